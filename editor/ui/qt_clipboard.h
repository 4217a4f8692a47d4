// The editor's clipboard on the system clipboard. Copy offers the program's
// own block under its own MIME type (the registered name "Kavrel 4.0 Data"),
// and the composited image as image/png and image/bmp so that any other
// program can paste it. Paste takes the block first, then a standard image;
// an image too large for the program is described by its size only, so that
// the editor refuses it without decoding it.
#pragma once

#include <QImage>
#include <QMetaObject>
#include <QString>

#include <optional>

#include "editor/clipboard.h"

class QMimeData;

namespace kavrel {

class QtClipboard final : public ClipboardService {
  public:
    QtClipboard() = default;
    ~QtClipboard() override;
    QtClipboard(const QtClipboard&) = delete;
    QtClipboard& operator=(const QtClipboard&) = delete;

    // The MIME type Qt maps onto a clipboard format registered by name.
    static QString PrivateMimeType();

    bool Put(const ClipboardContents& contents) override;
    bool CanPaste() const override;
    std::optional<ClipboardContents> Get() override;

    // Conversions used by Put and Get, exposed for tests.
    static QImage ImageFromDib(const PackedDib& dib);
    // A standard image as a DIB: 8 bits with its colour table for an indexed
    // image of up to 256 colours, else 24 bits, alpha laid on white.
    static PackedDib DibFromImage(const QImage& image);
    static ClipboardContents ContentsFrom(const QMimeData& mime);

  private:
    // Asking the window system what the clipboard holds is a round trip, and
    // the idle update asks for every Paste item twenty times a second: the
    // answer is kept until the clipboard says it changed.
    mutable std::optional<bool> canPaste_;
    mutable QMetaObject::Connection changed_;
};

} // namespace kavrel
