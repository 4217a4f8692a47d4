#include "librarian/ui/catalogue_print.h"

#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <algorithm>

#include "model/render.h"
#include "platform/prompter.h"

namespace kavrel {

namespace {

QRect ToQRect(const Rect& r)
{
    return QRect(r.left, r.top, r.width(), r.height());
}

QFont FontFor(PrintFontKind kind, int dpiY)
{
    const PrintFont spec = PrintFontFor(kind, dpiY);
    QFont font(QString::fromStdString(spec.family));
    font.setPixelSize(std::max(spec.pixelHeight, 1));
    font.setWeight(spec.weight >= 700 ? QFont::Bold : QFont::Normal);
    // Printed metrics, not the screen's hinted ones.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void DrawText(QPainter& painter, const PrintText& text, int dpiY)
{
    int flags = Qt::TextSingleLine;
    flags |= (text.align & kAlignCenter)  ? Qt::AlignHCenter
             : (text.align & kAlignRight) ? Qt::AlignRight
                                          : Qt::AlignLeft;
    flags |= (text.align & kAlignVCenter) ? Qt::AlignVCenter : Qt::AlignTop;
    painter.setFont(FontFor(text.font, dpiY));
    painter.drawText(ToQRect(text.rect), flags, QString::fromStdString(text.text));
}

QPrinter& OwnPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

} // namespace

QImage PrintedImage(const CIcon& icon)
{
    if (icon.isClassic()) {
        const Bitmap composite = RenderComposite(icon, RGB(255, 255, 255));
        if (composite.isNull())
            return {};
        QImage image(composite.width(), composite.height(), QImage::Format_RGB32);
        for (int y = 0; y < composite.height(); ++y)
            std::copy_n(composite.colorBits() + static_cast<std::size_t>(y) * composite.width(), composite.width(),
                        reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
        return image;
    }
    const std::optional<PngPixels> pixels = RenderWithAlpha(icon);
    if (!pixels || pixels->width <= 0 || pixels->height <= 0)
        return {};
    QImage image(pixels->width, pixels->height, QImage::Format_RGB32);
    for (int y = 0; y < pixels->height; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < pixels->width; ++x) {
            const std::uint32_t p = pixels->argb[static_cast<std::size_t>(y) * pixels->width + x];
            const std::uint32_t a = p >> 24;
            auto over = [a](std::uint32_t c) { return (c * a + 255u * (255u - a) + 127u) / 255u; };
            line[x] = 0xFF000000u | over((p >> 16) & 0xFF) << 16 | over((p >> 8) & 0xFF) << 8 | over(p & 0xFF);
        }
    }
    return image;
}

PrintDevice PrintDeviceOf(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return {};
    return {device->width(), device->height(), device->logicalDpiX(), device->logicalDpiY()};
}

void RenderCataloguePage(QPainter& painter, const PrintCatalogue& catalogue, int page)
{
    const PrintDevice device = PrintDeviceOf(painter);
    const PrintPage layout = LayoutPrintPage(device, catalogue, page);
    painter.save();
    painter.setPen(Qt::black);
    for (const PrintText& text : layout.texts)
        DrawText(painter, text, device.dpiY);
    for (const PrintCell& cell : layout.cells) {
        const CIconGroup& icon = (*catalogue.icons)[static_cast<std::size_t>(cell.index)];
        if (const CIcon* format = cell.format >= 0 ? icon.GetFormat(cell.format) : nullptr) {
            const QImage image = PrintedImage(*format);
            if (!image.isNull()) {
                const QRect target = ToQRect(WholeFactorRect(cell.imageRect, image.width(), image.height()));
                // Scaled here, pixel for pixel, so that no viewer or printer
                // driver smooths the enlarged pixels; only a shrink is smoothed.
                const bool shrink = target.width() < image.width();
                painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
                // PDF output would otherwise store the icons as JPEG.
                painter.setRenderHint(QPainter::LosslessImageRendering, true);
                painter.drawImage(target.topLeft(),
                                  image.scaled(target.size(), Qt::IgnoreAspectRatio,
                                               shrink ? Qt::SmoothTransformation : Qt::FastTransformation));
            }
        }
        DrawText(painter, cell.line1, device.dpiY);
        DrawText(painter, cell.line2, device.dpiY);
    }
    painter.restore();
}

bool RenderCatalogue(QPrinter& printer, const PrintCatalogue& catalogue, int first, int last)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const int count = catalogue.icons ? static_cast<int>(catalogue.icons->size()) : 0;
    const int pages = std::max(PaginatePrint(PrintDeviceOf(painter), count).pages, 1);
    first = first <= 0 ? 1 : std::min(first, pages);
    last = last <= 0 ? pages : std::clamp(last, first, pages);
    for (int page = first; page <= last; ++page) {
        if (page > first && !printer.newPage())
            break;
        RenderCataloguePage(painter, catalogue, page);
    }
    return painter.end();
}

bool PrintIcons(const PrintCatalogue& catalogue, QWidget* parent, QPrinter* printer)
{
    QPrinter& target = printer ? *printer : OwnPrinter();
    if (!QPrinterInfo::availablePrinters().isEmpty()) {
        target.setOutputFormat(QPrinter::NativeFormat);
        QPrintDialog dialog(&target, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (dialog.printRange() == QAbstractPrintDialog::PageRange)
            return RenderCatalogue(target, catalogue, target.fromPage(), target.toPage());
        return RenderCatalogue(target, catalogue);
    }
    // Without a printer the pages go to a file the user names.
    std::string suggested = catalogue.title.empty() ? "icons" : catalogue.title;
    suggested = QFileInfo(QString::fromStdString(suggested)).completeBaseName().toStdString() + ".pdf";
    const std::string path = Chooser().ChooseSave(kPrintToPdfTitle, kPrintToPdfFilter, suggested);
    if (path.empty())
        return false;
    const QPrinter::OutputFormat format = target.outputFormat();
    const QString file = target.outputFileName();
    target.setOutputFormat(QPrinter::PdfFormat);
    target.setOutputFileName(QString::fromStdString(path));
    const bool done = RenderCatalogue(target, catalogue);
    target.setOutputFileName(file);
    if (format != QPrinter::PdfFormat)
        target.setOutputFormat(format);
    return done;
}

void PreviewIcons(const PrintCatalogue& catalogue, QWidget* parent, QPrinter* printer)
{
    QPrinter& target = printer ? *printer : OwnPrinter();
    QPrintPreviewDialog dialog(&target, parent);
    // Large enough to read a page; Qt's own default is a small window.
    const QSize room = parent ? parent->window()->size() : QSize(1000, 1000);
    dialog.resize(std::max(room.width() * 4 / 5, 640), std::max(room.height() * 9 / 10, 600));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&catalogue](QPrinter* shown) { RenderCatalogue(*shown, catalogue); });
    dialog.exec();
}

} // namespace kavrel
