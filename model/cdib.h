// A picture held as a packed device-independent bitmap with its palette, as
// the welcome screen and picture previews keep it.
#pragma once

#include <cstdint>

#include "platform/byte_reader.h"
#include "platform/dib.h"
#include "platform/gdi.h"

namespace kavrel {

class CDIB {
  public:
    CDIB() = default;
    explicit CDIB(PackedDib dib) { SetDib(std::move(dib)); }

    bool empty() const { return dib_.empty(); }
    const PackedDib& dib() const { return dib_; }
    // The palette built from the colour table; empty for a picture without one.
    const Palette& palette() const { return palette_; }
    int width() const;
    int height() const; // always positive, whatever the row order

    void SetDib(PackedDib dib);
    void Clear();

    // The stored form: a 32-bit flag (1 with a picture, else 0), then the
    // 32-bit byte count and the block written in pieces of at most 32768 bytes.
    void Store(ByteWriter& out) const;
    // Reads the stored form. False, leaving this picture unchanged, when the
    // bytes are short or the block is not a usable DIB.
    bool Load(ByteReader& in);

    // Header + colour table + rows: the byte count the stored form records.
    // 0 when the header cannot describe a picture.
    static std::uint64_t BlockSize(const BitmapInfoHeader& header);

    // Where the picture lands in `target`: as large as fits with its aspect
    // ratio kept, centred. Empty when there is no picture or no room.
    Rect FitRect(const Rect& target) const;
    // Draws the picture fitted into `target`. On a screen of 8 bits or less a
    // picture without a palette of its own is first reduced to the standard
    // palette by ordered dithering.
    void Draw(DC& dc, const Rect& target) const;

    static constexpr std::uint32_t kPieceSize = 32768;

  private:
    PackedDib dib_;
    Palette palette_;
};

} // namespace kavrel
