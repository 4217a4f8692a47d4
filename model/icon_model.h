// The icon model: one image format in packed form (CIcon), an icon in stored
// form (CIconGroup) and one image format in editable form (CIconObject).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/png_image.h"
#include "platform/byte_reader.h"
#include "platform/gdi.h"

namespace kavrel {

class AtomicFile;

// Bit depth <-> colour count (0 means 24 bits; any other count orders as 4 bits).
int BitDepthFromColorCount(int colorCount);
int ColorCountFromBitDepth(int bitDepth);
// "Mono", "16 colors", ... by bit depth, also the screen-only 15, 16 and 32.
std::string ColorName(int bitDepth);

// The name of an image format's depth: ColorName, except that 32 bits are
// true colours with alpha (ColorName(32) names a screen depth).
std::string FormatDepthName(int bitDepth);
// Whether a new 32-bit format of this size is written PNG-compressed.
bool DefaultCompressed(int width, int height);

// Hard limits on what any reader decodes.
constexpr int kMaxImageSide = 4096;
constexpr std::uint64_t kMaxImageBytes = 64ull << 20;

// Whether a read copies the image bytes or only checks and describes them.
enum class ImageBytes { Read, Skip };

// One image format in packed form: exactly as an ICO file stores it.
//
// Classic formats (1, 4, 8, 24 bits) are a BITMAPINFOHEADER with doubled
// height, colour table, XOR bits and AND bits. Modern files add 32-bit images
// with alpha and PNG-compressed images; those are kept byte for byte as read,
// with bitCount 32 or png set, so that copying or saving keeps them exactly.
class CIcon {
  public:
    CIcon() = default;
    CIcon(const CIcon& other) { CopyFrom(other); }
    CIcon& operator=(const CIcon& other)
    {
        if (this != &other)
            CopyFrom(other);
        return *this;
    }

    // Stores the size and colour count and allocates a zero-filled block by
    // the block-size rule.
    bool AllocateImage(int width, int height, int colorCount);
    void CopyFrom(const CIcon& other); // the standard-palette flag is not copied

    // Fills the allocated block from a format's bitmaps.
    void Pack(const Bitmap& color, const Bitmap& mask, const Palette* palette);
    // Creates the two bitmaps from the block. 32-bit and PNG images give an
    // alpha colour bitmap (see BitmapsFromArgb); a 32-bit image without any
    // alpha takes its AND mask. False on a bad block.
    bool Unpack(Bitmap& color, Bitmap& mask, const Palette* palette = nullptr) const;
    // Makes this a 32-bit image of the given pixels (top-down 0xAARRGGBB,
    // straight alpha): a PNG stream when `compressed`, else a 32-bit DIB
    // whose AND mask is set where alpha is 0. False, leaving this icon
    // unchanged, for sizes outside the limits or a failed encoding.
    bool PackArgb(const PngPixels& pixels, bool compressed);
    // A palette from the colour table; none without a table. Clears the
    // standard-palette flag when a 256-entry table differs from the standard
    // palette.
    std::optional<Palette> CreateImagePalette();

    // Reads one image at `offset`: a classic or 32-bit DIB (its size from its
    // own header, never from a directory) or a PNG stream (its length from its
    // chunks). False, leaving this icon unchanged, when the data is short,
    // inconsistent, of an unsupported depth or over the size limits. With
    // ImageBytes::Skip the same checks run on the headers alone and the image
    // stays empty, `imageSize` giving the size it would have (for listings).
    bool ReadImage(ByteSource& source, std::uint64_t offset, ImageBytes bytes = ImageBytes::Read);
    // Appends the packed image; nothing when empty.
    void WriteImage(std::vector<std::uint8_t>& out) const;

    // Block size for a classic format, in 64 bits; 0 for an unsupported count.
    static std::uint64_t BlockSize(std::int64_t width, std::int64_t height, int colorCount);

    bool empty() const { return image.empty(); }
    int bitCount() const; // 1, 4, 8, 24 or 32; 32 for PNG images
    bool isPng() const { return png; }
    // Classic formats only: what an editor can take without converting.
    bool isClassic() const { return !png && bitCountRaw != 32; }
    std::string FormatLabel() const; // "32x32x4", "256x256xpng"

    void FreeThumbnail()
    {
        thumbnailBits.clear();
        thumbnailSize = 0;
    }

    // The packed image and its cached thumbnail (the rendered 70x70 cell).
    std::vector<std::uint8_t> image;
    std::vector<std::uint32_t> thumbnailBits;
    int thumbnailSize = 0;
    int width = 0;
    int height = 0;
    int colorCount = 0; // 0, 2, 16, 256
    int imageSize = 0;
    // Where the image data lies in the file it was read from (program files
    // and libraries, for writing an edited image back); absent when unknown.
    std::optional<std::uint64_t> sourceOffset;
    int standardPalette = 1;
    int bitCountRaw = 0; // 32 for a 32-bit image; else 0 (derived from colorCount)
    bool png = false;
};

// A 32-bit image format's bitmaps from top-down 0xAARRGGBB pixels: an alpha
// colour bitmap (a pixel of alpha 0 is 0x00000000) and the mask, 1 exactly
// where alpha is 0. Null bitmaps when the pixels do not fill their size.
void BitmapsFromArgb(const PngPixels& pixels, Bitmap& color, Bitmap& mask);
// The reverse, for any colour bitmap: an alpha bitmap keeps its alpha; a
// plain one is opaque where the mask is 0 and transparent where it is 1
// (inverted pixels too: alpha cannot invert what lies behind).
PngPixels ArgbFromBitmaps(const Bitmap& color, const Bitmap* mask);

// An icon in stored form: a name and its formats, always sorted.
class CIconDocument;

class CIconGroup {
  public:
    CIconGroup() = default;
    CIconGroup(const CIconGroup& other);
    CIconGroup& operator=(const CIconGroup& other);
    CIconGroup(CIconGroup&&) noexcept = default;
    CIconGroup& operator=(CIconGroup&&) noexcept = default;

    bool AddFormat(const CIcon& icon); // a copy, then sorted
    CIcon* GetFormat(int i);
    const CIcon* GetFormat(int i) const;
    int FormatCount() const { return static_cast<int>(formats.size()); }
    void SortFormats();
    int BestFormat(int sizeIndex, int colorIndex) const; // needs one format
    std::string DisplayName() const;                     // "Untitled" when unnamed
    std::string FormatCountText(int number) const;
    int FreeThumbnails();
    void Clear() { formats.clear(); }
    // Writes the group as an ICO file through the atomic writer.
    // On failure `error` receives the system's error number (0 if none).
    bool SaveAsIco(const std::string& path, int* error = nullptr) const;

    std::string name;
    std::vector<std::unique_ptr<CIcon>> formats;
    int displayFormat = -1;
};

// Sorting and best-format rules on bare (width, height, depth) triples, shared
// by groups and documents. bitDepth uses 32 for 32-bit and PNG images.
struct FormatKey {
    int width, height, bitDepth, colorCount;
};
bool FormatLess(const FormatKey& a, const FormatKey& b);
int BestFormatIndex(std::span<const FormatKey> formats, int sizeIndex, int colorIndex);

// A number no other content state of any format has had in this process:
// equal numbers mean equal images, so a document can tell whether undo and
// redo brought it back to what was saved.
std::uint64_t NewContentId();

// One image format in editable form.
class CIconObject {
  public:
    CIconObject(); // 32x32 placeholder with the standard palette, no bitmaps
    CIconObject(int bitDepth, int width, int height, int ownPalette);
    explicit CIconObject(const CIcon& icon);
    virtual ~CIconObject() = default;
    CIconObject(const CIconObject&) = delete;
    CIconObject& operator=(const CIconObject&) = delete;

    bool SetFormat(int bitDepth, int width, int height, int ownPalette);
    virtual void CreateBitmaps();
    void UpdateDescription();
    // Packs the bitmaps into `packed`. A 32-bit format goes through
    // CIcon::PackArgb as `compressed` says, unless its image is still the one
    // `packed` holds: then the bytes stay as they are.
    void PackToIcon();
    // The same into another icon, leaving this object alone.
    bool PackInto(CIcon& out) const;
    // Reads one image of a file into this object (false on a bad image).
    bool ReadFromFile(ByteSource& source, std::uint64_t offset);
    void WriteToFile(std::vector<std::uint8_t>& out);
    FormatKey key() const { return {width, height, bitDepth, colorCount}; }

    // Gives the palette new colours. Every opaque pixel keeps its index, so
    // the image, its undo states and a floating selection take the new
    // colour of their entry: what is shown is what a save writes.
    void ChangePalette(Palette next);
    // The index a pixel of an 8-bit image is saved with.
    int PixelIndex(int x, int y) const;

    int colorCount = 0;
    int bitDepth = 24;
    Bitmap color;
    Bitmap mask;
    int width = 32;
    int height = 32;
    int workingWidth = 32, workingHeight = 32;
    Rect selection{-1, -1, -1, -1}; // inclusive; -1s when none
    std::optional<Bitmap> floatingColor, floatingMask;
    int selectionActive = 0;
    // 1 while the image under the selection is untouched; 0 once it moved or
    // when the selection came from a paste, text or import.
    int selectionInPlace = 1;
    // The right colour when the selection tool was last pressed (a colour value).
    std::uint32_t transparentColor = 0xF1000000u;
    std::uint8_t transparentAlpha = 255; // its alpha (32-bit formats)
    Palette palette;
    int ownPalette = 0;
    struct UndoState {
        std::optional<Bitmap> color, mask;
        std::uint64_t contentId = 0;
    };
    std::array<UndoState, 16> undo;
    int undoLast = 0, undoPosition = 0;
    // Identifies the image shown now; the undo history gives a new one to
    // every change and puts back the old one when the change is undone.
    std::uint64_t contentId = NewContentId();
    CIcon packed;
    // The index each pixel had when the image was read or last recoloured,
    // with the colour it showed then. While a pixel still shows that colour
    // it keeps that index, even where two entries hold the same colour.
    std::vector<std::uint8_t> keptIndex;
    std::vector<std::uint32_t> keptColour;
    std::string description;
    // Set when a 32-bit format was converted to a legacy depth since it was
    // last saved: saving it loses its alpha, so a save asks first.
    bool converted = false;
    // 32-bit formats: written as a PNG stream ("Compressed (PNG)") or as a
    // 32-bit DIB. Read formats keep their form; new ones follow
    // DefaultCompressed.
    bool compressed = false;
    // 32-bit formats: the colour bitmap `packed` was read or packed from.
    std::optional<Bitmap> packedColor;

  private:
    bool PackedIsCurrent() const;
};

} // namespace kavrel
