#include "editor/ui/qt_text_rasterizer.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "editor/ui/text_dialog.h"
#include "model/icon_model.h"

namespace kavrel {

namespace {

// The line drawn white on black over its extent; a null image when the font
// cannot draw it.
QImage DrawLine(const TextFont& f, const std::string& text, bool antialiased)
{
    QFont font = QtFontFor(f.face, f.height, f.weight, f.italic);
    if (antialiased)
        font.setStyleStrategy(QFont::PreferAntialias);
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
        p.setRenderHint(QPainter::TextAntialiasing, antialiased);
        p.setFont(font);
        p.setPen(Qt::white);
        // One line as given: no mnemonic or tab processing.
        p.drawText(0, metrics.ascent(), line);
    }
    return image;
}

} // namespace

Bitmap QtTextRasterizer::Render(const TextFont& f, const std::string& text)
{
    const QImage image = DrawLine(f, text, false);
    if (image.isNull())
        return {};
    Bitmap pixels = Bitmap::Mono(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            pixels.setRawPixel(x, y, qGray(row[x]) >= 128 ? 1 : 0);
    }
    return pixels;
}

Bitmap QtTextRasterizer::RenderCoverage(const TextFont& f, const std::string& text)
{
    const QImage image = DrawLine(f, text, true);
    if (image.isNull())
        return {};
    Bitmap coverage = Bitmap::Color(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Subpixel rendering may tint the channels; their mean is the cover.
            const auto c = static_cast<std::uint32_t>((qRed(row[x]) + qGreen(row[x]) + qBlue(row[x]) + 1) / 3);
            coverage.setRawPixel(x, y, 0xFF000000u | c << 16 | c << 8 | c);
        }
    }
    return coverage;
}

} // namespace kavrel
