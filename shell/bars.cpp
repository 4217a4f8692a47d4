#include "shell/bars.h"

#include <QAction>
#include <QFrame>
#include <QGridLayout>
#include <QMainWindow>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <array>
#include <map>

#include "editor/ui/actual_size_preview.h"
#include "resources/command_ids.h"
#include "resources/strings.h"
#include "shell/framework/command_router.h"

namespace kavrel {

namespace {

constexpr std::uint16_t kStandardButtons[] = {
    ID_FILE_NEW,
    ID_FILE_OPEN,
    0,
    ID_PREFERENCES,
    ID_FILE_PRINT_SETUP,
    0,
    ID_CUSTOMIZE_WINDOWS,
    0,
    ID_VIEW_LIBRARIAN,
    ID_VIEW_DRAW_TOOLBAR,
    ID_VIEW_COLORS_TOOLBAR,
    ID_VIEW_SCALE_TOOLBAR,
    0,
    ID_REORGANIZE_FULL,
    ID_REORGANIZE_VERTICAL,
    ID_REORGANIZE_HORIZONTAL,
    0,
    ID_REORGANIZE_AUTO,
    0,
    ID_REORGANIZE,
    ID_TIP_OF_THE_DAY,
    ID_HELP_FINDER,
    ID_WEB_SITE,
};

constexpr std::uint16_t kDrawButtons[] = {
    ID_TOOL_SELECTION,
    ID_TOOL_PICKER,
    ID_TOOL_REPLACER,
    ID_TOOL_PENCIL,
    ID_TOOL_BRUSH,
    ID_TOOL_FILL,
    ID_TOOL_LINE,
    ID_TOOL_FRAME3D,
    ID_TOOL_RECTANGLE,
    ID_TOOL_FILLED_RECTANGLE,
    ID_TOOL_ELLIPSE,
    ID_TOOL_FILLED_ELLIPSE,
    0,
    ID_BRUSH_FINE,
    ID_BRUSH_SQUARE_MEDIUM,
    ID_BRUSH_SQUARE_LARGE,
    ID_BRUSH_SQUARE_XLARGE,
    ID_BRUSH_CIRCLE_SMALL,
    ID_BRUSH_CIRCLE_MEDIUM,
    ID_BRUSH_CIRCLE_LARGE,
    ID_BRUSH_CIRCLE_XLARGE,
    ID_BRUSH_OBLIQUE_RIGHT,
    ID_BRUSH_OBLIQUE_LEFT,
    ID_BRUSH_DIAMOND_MEDIUM,
    ID_BRUSH_DIAMOND_LARGE,
    0,
    ID_FILL_SOLID,
    ID_FILL_HGRADIENT,
    ID_FILL_VGRADIENT,
    ID_FILL_RADIAL,
    0,
    ID_MIRROR_VERTICAL,
    ID_MIRROR_HORIZONTAL,
    ID_ROTATE,
    ID_TEXT,
    ID_VIEW_GRID,
    ID_IMPORT_PICTURE,
    ID_TRANSPARENT_COPY,
};

// ---- button images, drawn on a 16x16 grid ----

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kGrey(128, 128, 128);
const QColor kLight(192, 192, 192);
const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kYellow(255, 255, 0);
const QColor kBrown(128, 64, 0);

void Page(QPainter& p)
{
    p.fillRect(3, 1, 9, 14, kPaper);
    p.setPen(kInk);
    p.drawRect(3, 1, 9, 14);
    p.drawLine(9, 1, 12, 4);
}

void Folder(QPainter& p)
{
    p.fillRect(1, 4, 13, 10, kYellow);
    p.setPen(kBrown);
    p.drawRect(1, 4, 13, 10);
    p.drawLine(2, 3, 6, 3);
}

void Window(QPainter& p, int x, int y, int w, int h)
{
    p.fillRect(x, y, w, h, kPaper);
    p.fillRect(x, y, w, 3, kNavy);
    p.setPen(kInk);
    p.drawRect(x, y, w - 1, h - 1);
}

void Printer(QPainter& p)
{
    p.fillRect(4, 1, 8, 6, kPaper);
    p.setPen(kInk);
    p.drawRect(4, 1, 8, 6);
    p.fillRect(1, 7, 14, 6, kLight);
    p.drawRect(1, 7, 14, 6);
    p.fillRect(11, 9, 2, 1, kGreen);
}

void Pencil(QPainter& p)
{
    QPolygon body({QPoint(3, 12), QPoint(11, 2), QPoint(14, 5), QPoint(5, 14)});
    p.setPen(kInk);
    p.setBrush(kYellow);
    p.drawPolygon(body);
    p.fillRect(2, 13, 2, 2, kInk);
}

void Brush(QPainter& p)
{
    p.setPen(QPen(kBrown, 2));
    p.drawLine(13, 2, 7, 9);
    p.setPen(kInk);
    p.setBrush(kRed);
    p.drawEllipse(2, 9, 6, 5);
}

void Bucket(QPainter& p)
{
    QPolygon bucket({QPoint(2, 7), QPoint(8, 1), QPoint(14, 7), QPoint(8, 13)});
    p.setPen(kInk);
    p.setBrush(kLight);
    p.drawPolygon(bucket);
    p.fillRect(12, 9, 3, 6, kBlue);
}

void Squares(QPainter& p, int size)
{
    int o = (16 - size) / 2;
    p.fillRect(o, o, size, size, kInk);
}

void Dot(QPainter& p, int size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    double o = (16 - size) / 2.0;
    p.drawEllipse(QRectF(o, o, size, size));
}

void Gradient(QPainter& p, QLinearGradient g)
{
    g.setColorAt(0, kNavy);
    g.setColorAt(1, kPaper);
    p.fillRect(1, 1, 14, 14, g);
    p.setPen(kInk);
    p.drawRect(1, 1, 13, 13);
}

void Arrow(QPainter& p, QPoint from, QPoint to)
{
    p.setPen(QPen(kNavy, 2));
    p.drawLine(from, to);
    QPointF d = QPointF(to - from) / std::max(1.0, QLineF(from, to).length());
    QPointF n(-d.y(), d.x());
    QPointF tip = to;
    p.setPen(Qt::NoPen);
    p.setBrush(kNavy);
    p.drawPolygon(QPolygonF({tip + d * 2, tip - d * 3 + n * 3, tip - d * 3 - n * 3}));
}

void Letter(QPainter& p, const QString& text, const QColor& colour, int pixelSize = 11)
{
    QFont f = p.font();
    f.setPixelSize(pixelSize);
    f.setBold(true);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, text);
}

void Tiles(QPainter& p, int mode)
{
    p.setPen(kInk);
    if (mode == 0) {
        Window(p, 1, 2, 14, 12);
    } else if (mode == 1) { // rows
        Window(p, 1, 1, 14, 7);
        Window(p, 1, 8, 14, 7);
    } else { // columns
        Window(p, 1, 1, 7, 14);
        Window(p, 8, 1, 7, 14);
    }
}

bool Paint(QPainter& p, std::uint16_t id)
{
    switch (id) {
    // ---- Standard toolbar ----
    case ID_FILE_NEW:
        Page(p);
        break;
    case ID_FILE_OPEN:
        Folder(p);
        Arrow(p, {8, 12}, {12, 6});
        break;
    case ID_PREFERENCES: // Preferences: a check list
        Page(p);
        p.setPen(kGreen);
        p.drawLine(5, 6, 6, 8);
        p.drawLine(6, 8, 9, 4);
        p.setPen(kGrey);
        p.drawLine(5, 11, 10, 11);
        break;
    case ID_FILE_PRINT_SETUP:
        Printer(p);
        break;
    case ID_CUSTOMIZE_WINDOWS: // Customize Windows: a window over the desktop
        p.fillRect(0, 10, 16, 6, kGreen);
        Window(p, 3, 1, 11, 9);
        break;
    case ID_VIEW_LIBRARIAN: // Librarian: books on a shelf
        p.fillRect(2, 2, 3, 12, kRed);
        p.fillRect(6, 4, 3, 10, kBlue);
        p.fillRect(10, 3, 3, 11, kGreen);
        p.fillRect(1, 14, 14, 1, kBrown);
        break;
    case ID_VIEW_DRAW_TOOLBAR:
        Pencil(p);
        break;
    case ID_VIEW_COLORS_TOOLBAR: // Colors bar: palette cells
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                p.fillRect(1 + 4 * i, 1 + 4 * j, 3, 3, QColor::fromHsv((i * 4 + j) * 22, 255, 230));
        break;
    case ID_VIEW_SCALE_TOOLBAR:
        Letter(p, QStringLiteral("1:1"), kNavy, 8);
        break;
    case ID_REORGANIZE_FULL:
        Tiles(p, 0);
        break;
    case ID_REORGANIZE_HORIZONTAL:
        Tiles(p, 1);
        break;
    case ID_REORGANIZE_VERTICAL:
        Tiles(p, 2);
        break;
    case ID_REORGANIZE_AUTO: // Automatic reorganization
        Tiles(p, 1);
        Letter(p, QStringLiteral("A"), kRed, 9);
        break;
    case ID_REORGANIZE: // Reorganize now
        Tiles(p, 2);
        Arrow(p, {2, 8}, {13, 8});
        break;
    case ID_TIP_OF_THE_DAY: // Tip of the day: a bulb
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawEllipse(3, 1, 10, 10);
        p.fillRect(6, 11, 5, 3, kGrey);
        break;
    case ID_HELP_FINDER:
        Letter(p, QStringLiteral("?"), kNavy, 13);
        break;
    case ID_WEB_SITE: // web site: a globe
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(kNavy);
        p.setBrush(QColor(120, 180, 255));
        p.drawEllipse(1, 1, 14, 14);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(5, 1, 6, 14);
        p.drawLine(1, 8, 15, 8);
        break;

    // ---- Draw toolbar ----
    case ID_TOOL_SELECTION: // Selection
        p.setPen(QPen(kInk, 1, Qt::DashLine));
        p.drawRect(2, 2, 11, 11);
        break;
    case ID_TOOL_PICKER: // Color Picker: a pipette
        p.setPen(QPen(kInk, 2));
        p.drawLine(3, 13, 10, 6);
        p.fillRect(10, 2, 4, 4, kInk);
        break;
    case ID_TOOL_REPLACER: // Color Replacer
        p.fillRect(1, 1, 7, 7, kRed);
        p.fillRect(8, 8, 7, 7, kBlue);
        Arrow(p, {4, 11}, {10, 5});
        break;
    case ID_TOOL_PENCIL:
        Pencil(p);
        break;
    case ID_TOOL_BRUSH:
        Brush(p);
        break;
    case ID_TOOL_FILL:
        Bucket(p);
        break;
    case ID_TOOL_LINE:
        p.setPen(QPen(kInk, 1));
        p.drawLine(2, 13, 13, 2);
        break;
    case ID_TOOL_FRAME3D: // 3D frame
        p.setPen(kPaper);
        p.fillRect(2, 2, 12, 12, kLight);
        p.drawLine(2, 2, 13, 2);
        p.drawLine(2, 2, 2, 13);
        p.setPen(kGrey);
        p.drawLine(13, 3, 13, 13);
        p.drawLine(3, 13, 13, 13);
        break;
    case ID_TOOL_RECTANGLE:
        p.setPen(kInk);
        p.drawRect(2, 3, 11, 9);
        break;
    case ID_TOOL_FILLED_RECTANGLE:
        p.setPen(kInk);
        p.setBrush(kGrey);
        p.drawRect(2, 3, 11, 9);
        break;
    case ID_TOOL_ELLIPSE:
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(kInk);
        p.drawEllipse(1, 3, 13, 10);
        break;
    case ID_TOOL_FILLED_ELLIPSE:
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(kInk);
        p.setBrush(kGrey);
        p.drawEllipse(1, 3, 13, 10);
        break;
    case ID_BRUSH_FINE:
        Squares(p, 1);
        break;
    case ID_BRUSH_SQUARE_MEDIUM:
        Squares(p, 3);
        break;
    case ID_BRUSH_SQUARE_LARGE:
        Squares(p, 5);
        break;
    case ID_BRUSH_SQUARE_XLARGE:
        Squares(p, 7);
        break;
    case ID_BRUSH_CIRCLE_SMALL:
        Dot(p, 3);
        break;
    case ID_BRUSH_CIRCLE_MEDIUM:
        Dot(p, 5);
        break;
    case ID_BRUSH_CIRCLE_LARGE:
        Dot(p, 7);
        break;
    case ID_BRUSH_CIRCLE_XLARGE:
        Dot(p, 9);
        break;
    case ID_BRUSH_OBLIQUE_RIGHT:
        p.setPen(QPen(kInk, 2));
        p.drawLine(5, 11, 11, 5);
        break;
    case ID_BRUSH_OBLIQUE_LEFT:
        p.setPen(QPen(kInk, 2));
        p.drawLine(5, 5, 11, 11);
        break;
    case ID_BRUSH_DIAMOND_MEDIUM:
    case ID_BRUSH_DIAMOND_LARGE: {
        int r = id == ID_BRUSH_DIAMOND_MEDIUM ? 3 : 5;
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPolygon(QPolygon({QPoint(8, 8 - r), QPoint(8 + r, 8), QPoint(8, 8 + r), QPoint(8 - r, 8)}));
        break;
    }
    case ID_FILL_SOLID:
        p.fillRect(1, 1, 14, 14, kNavy);
        break;
    case ID_FILL_HGRADIENT:
        Gradient(p, QLinearGradient(1, 0, 15, 0));
        break;
    case ID_FILL_VGRADIENT:
        Gradient(p, QLinearGradient(0, 1, 0, 15));
        break;
    case ID_FILL_RADIAL: {
        QRadialGradient g(8, 8, 8);
        g.setColorAt(0, kPaper);
        g.setColorAt(1, kNavy);
        p.fillRect(1, 1, 14, 14, g);
        break;
    }
    case ID_MIRROR_VERTICAL: // Vertical mirror: top and bottom swap
        Arrow(p, {8, 8}, {8, 14});
        Arrow(p, {8, 8}, {8, 2});
        p.fillRect(1, 7, 14, 2, kGrey);
        break;
    case ID_MIRROR_HORIZONTAL: // Horizontal mirror: left and right swap
        Arrow(p, {8, 8}, {14, 8});
        Arrow(p, {8, 8}, {2, 8});
        p.fillRect(7, 1, 2, 14, kGrey);
        break;
    case ID_ROTATE: { // 90 degree rotation
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kNavy, 2));
        p.drawArc(QRect(3, 3, 10, 10), 0, 270 * 16);
        Arrow(p, {12, 10}, {13, 6});
        break;
    }
    case ID_TEXT:
        Letter(p, QStringLiteral("A"), kInk, 13);
        break;
    case ID_VIEW_GRID: // Display Grid
        p.setPen(kGrey);
        for (int i = 1; i < 16; i += 4) {
            p.drawLine(i, 1, i, 13);
            p.drawLine(1, i, 13, i);
        }
        break;
    case ID_IMPORT_PICTURE: // Import a picture
        p.fillRect(1, 4, 11, 9, QColor(120, 180, 255));
        p.fillRect(1, 9, 11, 4, kGreen);
        p.setPen(kInk);
        p.drawRect(1, 4, 11, 9);
        Arrow(p, {14, 1}, {9, 6});
        break;
    case ID_TRANSPARENT_COPY: // Image transparency: a checkerboard behind a square
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                p.fillRect(x * 4, y * 4, 4, 4, (x + y) % 2 ? kLight : kPaper);
        p.fillRect(5, 5, 6, 6, kRed);
        break;

    // ---- local toolbars ----
    case ID_FILE_SAVE: // Save: a disk
        p.fillRect(1, 1, 14, 14, kNavy);
        p.fillRect(4, 1, 8, 5, kPaper);
        p.fillRect(4, 9, 8, 6, kLight);
        break;
    case ID_FILE_UPDATE:
        Arrow(p, {3, 13}, {12, 4});
        break;
    case ID_ADD_TO_LIBRARIAN: // Add to the librarian
        p.fillRect(2, 2, 3, 12, kRed);
        p.fillRect(6, 4, 3, 10, kBlue);
        Letter(p, QStringLiteral("+"), kGreen, 12);
        break;
    case ID_FORMAT_NEW:
        Page(p);
        Letter(p, QStringLiteral("+"), kGreen, 12);
        break;
    case ID_FORMAT_DELETE:
        Page(p);
        Letter(p, QStringLiteral("-"), kRed, 14);
        break;
    case ID_EDIT_UNDO:
        Arrow(p, {13, 10}, {3, 6});
        break;
    case ID_EDIT_REDO:
        Arrow(p, {3, 10}, {13, 6});
        break;
    case ID_EDIT_CUT: // Cut: scissors
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(kInk);
        p.drawLine(5, 1, 10, 10);
        p.drawLine(11, 1, 6, 10);
        p.drawEllipse(2, 10, 4, 4);
        p.drawEllipse(10, 10, 4, 4);
        break;
    case ID_EDIT_COPY:
        p.translate(-2, -1);
        Page(p);
        p.translate(4, 2);
        Page(p);
        break;
    case ID_EDIT_PASTE:
        p.fillRect(2, 2, 10, 13, kBrown);
        p.translate(3, 2);
        Page(p);
        break;
    case ID_ZOOM_IN:
        Letter(p, QStringLiteral("+"), kNavy, 14);
        break;
    case ID_ZOOM_OUT:
        Letter(p, QStringLiteral("-"), kNavy, 16);
        break;
    case ID_ZOOM_AUTO:
        Letter(p, QStringLiteral("A"), kNavy, 11);
        p.setPen(kNavy);
        p.drawRect(0, 0, 15, 15);
        break;
    case ID_FILE_PRINT:
        Printer(p);
        break;
    case ID_FILE_PRINT_PREVIEW:
        Page(p);
        p.setPen(kNavy);
        p.drawEllipse(6, 6, 6, 6);
        break;
    default:
        return false;
    }
    return true;
}

} // namespace

std::span<const std::uint16_t> StandardToolbarButtons()
{
    return kStandardButtons;
}
std::span<const std::uint16_t> DrawToolbarButtons()
{
    return kDrawButtons;
}

QIcon CommandIcon(std::uint16_t id)
{
    static std::map<std::uint16_t, QIcon> cache;
    if (auto it = cache.find(id); it != cache.end())
        return it->second;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    bool drawn;
    {
        QPainter p(&pixmap);
        drawn = Paint(p, id);
    }
    QIcon icon = drawn ? QIcon(pixmap) : QIcon();
    cache.emplace(id, icon);
    return icon;
}

// ---- Draw toolbar ----

CDrawToolBar::CDrawToolBar(CCommandRouter& router, QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("Bar%1").arg(kDrawBarId));
    setWindowTitle(QString::fromStdString(LoadString(18)));
    setAllowedAreas(Qt::LeftToolBarArea | Qt::RightToolBarArea);
    setOrientation(Qt::Vertical);
    setMovable(true);

    auto* grid = new QWidget(this);
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    int row = 0, column = 0;
    for (std::uint16_t id : kDrawButtons) {
        if (id == 0) {
            // A separator ends the row it is in and draws a line of its own.
            if (column > 0)
                ++row;
            auto* line = new QFrame(grid);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            layout->addWidget(line, row++, 0, 1, kColumns);
            column = 0;
            continue;
        }
        auto* button = new QToolButton(grid);
        button->setDefaultAction(router.Action(id));
        button->setAutoRaise(true);
        button->setIconSize(QSize(16, 16));
        button->setProperty("kavrelCommand", static_cast<int>(id));
        button->setProperty("kavrelRow", row);
        button->setProperty("kavrelColumn", column);
        layout->addWidget(button, row, column);
        if (++column == kColumns) {
            column = 0;
            ++row;
        }
    }
    rows_ = column > 0 ? row + 1 : row;
    addWidget(grid);
}

QToolButton* CDrawToolBar::Button(std::uint16_t id) const
{
    for (QToolButton* b : findChildren<QToolButton*>())
        if (b->property("kavrelCommand").toInt() == id)
            return b;
    return nullptr;
}

std::pair<int, int> CDrawToolBar::Cell(std::uint16_t id) const
{
    QToolButton* b = Button(id);
    if (!b)
        return {-1, -1};
    return {b->property("kavrelRow").toInt(), b->property("kavrelColumn").toInt()};
}

// ---- Scale 1:1 bar ----

CScaleBar::CScaleBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("Bar%1").arg(kScaleBarId));
    setWindowTitle(QString::fromStdString(LoadString(17)));
    setAllowedAreas(Qt::LeftToolBarArea | Qt::RightToolBarArea);
    setOrientation(Qt::Vertical);
    preview_ = new CActualSizePreview(this);
    addWidget(preview_);
}

// ---- creation ----

MainBars CreateMainBars(QMainWindow* frame, CCommandRouter& router)
{
    router.SetIconProvider(&CommandIcon);
    MainBars bars;

    bars.standard = new QToolBar(frame);
    bars.standard->setObjectName(QStringLiteral("Bar%1").arg(kStandardBarId));
    bars.standard->setWindowTitle(QString::fromStdString(LoadString(19)));
    bars.standard->setAllowedAreas(Qt::AllToolBarAreas);
    bars.standard->setIconSize(QSize(16, 16));
    for (std::uint16_t id : kStandardButtons) {
        if (id == 0)
            bars.standard->addSeparator();
        else
            bars.standard->addAction(router.Action(id));
    }

    bars.draw = new CDrawToolBar(router, frame);
    bars.scale = new CScaleBar(frame);

    frame->addToolBar(Qt::TopToolBarArea, bars.standard);
    // The Draw toolbar shares the Scale 1:1 bar's dock row, just below it.
    frame->addToolBar(Qt::RightToolBarArea, bars.scale);
    frame->addToolBar(Qt::RightToolBarArea, bars.draw);
    return bars;
}

} // namespace kavrel
