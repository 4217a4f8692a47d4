#include "editor/ui/icon_print.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>

#include "document/icon_document.h"
#include "editor/ui/icon_view.h"
#include "model/icon_model.h"
#include "model/render.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kIconsText = 27;
constexpr int kUntitledText = 28;
constexpr int kInProgramFile = 40;
constexpr int kInIconLibrary = 41;
constexpr int kFormatLine = 55031;
constexpr int kPageLine = 55072;

// The image on white paper: transparent pixels show the paper, inverted ones
// print black.
QImage PrintedImage(const CIconObject& f)
{
    QImage image(f.width, f.height, QImage::Format_RGB32);
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            // On white paper: alpha blends, a legacy mask ANDs and XORs.
            if (f.color.hasAlpha()) {
                image.setPixel(x, y, BlendOver(f.color.rawPixel(x, y), 0x00FFFFFFu));
                continue;
            }
            const std::uint32_t under = f.mask.rawPixel(x, y) ? 0xFFFFFFFFu : 0xFF000000u;
            image.setPixel(x, y, 0xFF000000u | ((under ^ f.color.rawPixel(x, y)) & 0x00FFFFFFu));
        }
    return image;
}

QFont Arial(int points, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

} // namespace

std::string IconPrintTitle(const std::string& name)
{
    if (name.empty())
        return LoadString(kIconsText) + " (" + LoadString(kUntitledText) + ")";
    return LoadString(kIconsText) + " \"" + name + "\"";
}

void PaintIconPage(QPainter& painter, const CIconView& view, const IconPrintSource& source)
{
    const CIconObject* f = view.CurrentFormat();
    const CIconDocument* doc = view.GetDocument();
    if (!f || !painter.device())
        return;
    const QRect page(0, 0, painter.device()->width(), painter.device()->height());
    const int margin = page.width() / 20;
    QRect area = page.adjusted(margin, margin, -margin, -margin);

    auto line = [&](const std::string& text, const QFont& font) {
        painter.setFont(font);
        const QRect used = painter.boundingRect(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                                                QString::fromStdString(text));
        painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, QString::fromStdString(text));
        area.setTop(used.bottom() + used.height() / 2);
    };
    painter.setPen(Qt::black);
    line(IconPrintTitle(doc ? doc->GetName() : std::string()), Arial(16, true));
    line(FormatString(kFormatLine, f->width, f->height, FormatDepthName(f->bitDepth)), Arial(12, true));
    if (source.kind != IconPrintSource::Kind::None)
        line(FormatString(source.kind == IconPrintSource::Kind::ProgramFile ? kInProgramFile : kInIconLibrary,
                          source.iconIndex + 1, source.fileName),
             Arial(10, false));

    // The foot line first, so that the image keeps clear of it.
    painter.setFont(Arial(10, false));
    const QString foot = QString::fromStdString(FormatString(kPageLine, 1, 1));
    const int footHeight = painter.fontMetrics().height();
    painter.drawText(QRect(area.left(), page.bottom() - margin - footHeight, area.width(), footHeight),
                     Qt::AlignHCenter | Qt::AlignBottom, foot);
    area.setBottom(page.bottom() - margin - 2 * footHeight);
    if (area.width() <= 0 || area.height() <= 0)
        return;

    // As large as the area allows, keeping the proportions, pixels kept square.
    const double scale =
        std::min(static_cast<double>(area.width()) / f->width, static_cast<double>(area.height()) / f->height);
    const int w = static_cast<int>(f->width * scale), h = static_cast<int>(f->height * scale);
    const QRect target(area.left() + (area.width() - w) / 2, area.top() + (area.height() - h) / 2, w, h);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, PrintedImage(*f));
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(target.adjusted(0, 0, -1, -1));
}

bool PrintIcon(QPrinter& printer, const CIconView& view, const IconPrintSource& source)
{
    if (!view.CurrentFormat())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    PaintIconPage(painter, view, source);
    return painter.end();
}

} // namespace kavrel
