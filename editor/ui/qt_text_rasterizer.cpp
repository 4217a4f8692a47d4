#include "editor/ui/qt_text_rasterizer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "editor/ui/text_dialog.h"
#include "model/icon_model.h"

namespace kavrel {

Bitmap QtTextRasterizer::Render(const TextFont& f, const std::string& text)
{
    const QFont font = QtFontFor(f.face, f.height, f.weight, f.italic);
    const QFontMetrics metrics(font);
    const QString line = QString::fromStdString(text);
    const int w = metrics.horizontalAdvance(line), h = metrics.height();
    // A hundred characters at 128 points stay far below this; it only
    // guards the allocation.
    if (w <= 0 || h <= 0 || w > 4 * kMaxImageSide || h > kMaxImageSide)
        return {};
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::white);
        // One line as given: no mnemonic or tab processing.
        p.drawText(0, metrics.ascent(), line);
    }
    Bitmap pixels = Bitmap::Mono(w, h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            pixels.setRawPixel(x, y, qGray(row[x]) >= 128 ? 1 : 0);
    }
    return pixels;
}

} // namespace kavrel
