#include "librarian/ui/bar_art.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <functional>

#include "resources/command_ids.h"

namespace kavrel {

namespace {

const QColor kFolderYellow(0xF0, 0xC8, 0x40);
const QColor kFolderEdge(0x90, 0x70, 0x10);
const QColor kBookBlue(0x30, 0x60, 0xC0);
const QColor kBookRed(0xC0, 0x30, 0x30);

QPixmap Blank(int w, int h)
{
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

void DrawFolder(QPainter& g, const QRect& r, bool open)
{
    g.setPen(kFolderEdge);
    g.setBrush(kFolderYellow.darker(110));
    g.drawRect(r.adjusted(0, 2, -1, -1));
    g.drawRect(QRect(r.left(), r.top(), r.width() / 2, 3));
    g.setBrush(kFolderYellow);
    if (open) {
        QPolygon front;
        front << QPoint(r.left() + 3, r.top() + 6) << QPoint(r.right(), r.top() + 6)
              << QPoint(r.right() - 3, r.bottom() - 1) << QPoint(r.left(), r.bottom() - 1);
        g.drawPolygon(front);
    } else {
        g.drawRect(r.adjusted(0, 5, -1, -1));
    }
}

// A closed book: the library.
void DrawBook(QPainter& g, const QRect& r, const QColor& cover)
{
    g.setPen(cover.darker(160));
    g.setBrush(Qt::white);
    g.drawRect(r.adjusted(2, 1, -1, -1));
    g.setBrush(cover);
    g.drawRect(r.adjusted(0, 0, -3, -2));
    g.setPen(cover.lighter(150));
    g.drawLine(r.left() + 2, r.top() + 2, r.left() + 2, r.bottom() - 3);
    // A little icon on the cover.
    g.fillRect(QRect(r.left() + 5, r.top() + 4, r.width() / 3, r.height() / 4), QColor(0xFF, 0xE0, 0x40));
}

void DrawCabinet(QPainter& g, const QRect& r)
{
    g.setPen(QColor(0x40, 0x40, 0x40));
    g.setBrush(QColor(0xA0, 0x80, 0x50));
    g.drawRect(r.adjusted(1, 0, -2, -1));
    const int shelf = r.height() / 2;
    g.drawLine(r.left() + 1, r.top() + shelf, r.right() - 2, r.top() + shelf);
    const QColor spines[] = {kBookRed, kBookBlue, QColor(0x30, 0xA0, 0x40)};
    for (int i = 0; i < 3; ++i) {
        g.fillRect(QRect(r.left() + 3 + i * 3, r.top() + 2, 2, shelf - 3), spines[i]);
        g.fillRect(QRect(r.left() + 3 + i * 3, r.top() + shelf + 2, 2, shelf - 4), spines[2 - i]);
    }
}

void DrawCross(QPainter& g, const QRect& r)
{
    g.setPen(QPen(QColor(0xD0, 0x10, 0x10), 2));
    g.drawLine(r.topLeft(), r.bottomRight());
    g.drawLine(r.topRight(), r.bottomLeft());
}

void DrawSquares(QPainter& g, int side, const QColor& c)
{
    g.setPen(Qt::black);
    g.setBrush(c);
    const int s = side;
    g.drawRect((12 - s) / 2, (12 - s) / 2, s - 1, s - 1);
}

QIcon Paint(int w, int h, const std::function<void(QPainter&)>& draw)
{
    QPixmap p = Blank(w, h);
    QPainter g(&p);
    draw(g);
    g.end();
    return QIcon(p);
}

} // namespace

QIcon TreeIcon(TreeImage image)
{
    return Paint(16, 16, [image](QPainter& g) {
        switch (image) {
        case TreeImage::Root:
        case TreeImage::RootOpen:
            DrawCabinet(g, QRect(1, 1, 15, 14));
            break;
        case TreeImage::Folder:
            DrawFolder(g, QRect(1, 3, 14, 11), false);
            break;
        case TreeImage::FolderOpen:
            DrawFolder(g, QRect(1, 3, 14, 11), true);
            break;
        case TreeImage::Library:
            DrawBook(g, QRect(2, 1, 13, 14), kBookBlue);
            break;
        case TreeImage::LibrarySelected:
            DrawBook(g, QRect(2, 1, 13, 14), kBookRed);
            break;
        }
    });
}

QIcon LibrarianCommandIcon(std::uint16_t id)
{
    switch (id) {
    case ID_LIB_NEW_FOLDER:
        return Paint(16, 15, [](QPainter& g) {
            DrawFolder(g, QRect(1, 3, 13, 10), false);
            g.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 1));
            g.fillRect(QRect(10, 0, 5, 5), QColor(0xFF, 0xE0, 0x00));
        });
    case ID_LIB_NEW_LIBRARY:
        return Paint(16, 15, [](QPainter& g) {
            DrawBook(g, QRect(1, 1, 12, 13), kBookBlue);
            g.fillRect(QRect(10, 0, 5, 5), QColor(0xFF, 0xE0, 0x00));
        });
    case ID_LIB_COMPILE:
        return Paint(16, 15, [](QPainter& g) {
            g.setPen(Qt::black);
            g.setBrush(QColor(0xC0, 0xC0, 0xC0));
            g.drawRect(1, 2, 13, 10);
            g.fillRect(QRect(2, 3, 12, 2), QColor(0x00, 0x00, 0x80));
            g.fillRect(QRect(4, 7, 4, 3), kBookRed);
        });
    case ID_LIB_OPEN_LIBRARY:
        return Paint(16, 15, [](QPainter& g) {
            DrawBook(g, QRect(0, 1, 10, 12), kBookBlue);
            g.setPen(QPen(Qt::black, 1));
            g.drawLine(9, 7, 15, 7);
            g.drawLine(12, 4, 15, 7);
            g.drawLine(12, 10, 15, 7);
        });
    case ID_LIB_RENAME:
        return Paint(16, 15, [](QPainter& g) {
            g.setPen(Qt::black);
            g.setBrush(Qt::white);
            g.drawRect(0, 4, 15, 7);
            g.drawLine(3, 6, 3, 9);
            g.drawLine(6, 2, 6, 13);
            g.drawLine(5, 2, 7, 2);
            g.drawLine(5, 13, 7, 13);
        });
    case ID_LIB_DELETE:
        return Paint(16, 15, [](QPainter& g) { DrawCross(g, QRect(3, 2, 10, 10)); });
    case ID_LIB_EXPORT_ICL:
        return Paint(16, 15, [](QPainter& g) {
            DrawBook(g, QRect(5, 2, 11, 12), kBookBlue);
            g.setPen(QPen(QColor(0x00, 0x80, 0x00), 2));
            g.drawLine(0, 3, 6, 3);
            g.drawLine(4, 1, 6, 3);
        });
    case ID_LIB_IMPORT:
        return Paint(16, 15, [](QPainter& g) {
            DrawBook(g, QRect(0, 2, 11, 12), kBookBlue);
            g.setPen(QPen(QColor(0x00, 0x80, 0x00), 2));
            g.drawLine(9, 3, 15, 3);
            g.drawLine(9, 3, 11, 1);
        });
    case ID_LIB_SHOW_16:
        return Paint(12, 12, [](QPainter& g) { DrawSquares(g, 5, QColor(0x40, 0x80, 0xFF)); });
    case ID_LIB_SHOW_32:
        return Paint(12, 12, [](QPainter& g) { DrawSquares(g, 8, QColor(0x40, 0x80, 0xFF)); });
    case ID_LIB_SHOW_48:
        return Paint(12, 12, [](QPainter& g) { DrawSquares(g, 11, QColor(0x40, 0x80, 0xFF)); });
    case ID_LIB_SHOW_MONO:
        return Paint(12, 12, [](QPainter& g) {
            g.fillRect(0, 0, 6, 12, Qt::black);
            g.fillRect(6, 0, 6, 12, Qt::white);
            g.setPen(Qt::black);
            g.drawRect(0, 0, 11, 11);
        });
    case ID_LIB_SHOW_16COLORS:
        return Paint(12, 12, [](QPainter& g) {
            const QColor c[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
            for (int i = 0; i < 4; ++i)
                g.fillRect((i % 2) * 6, (i / 2) * 6, 6, 6, c[i]);
        });
    case ID_LIB_SHOW_256COLORS:
        return Paint(12, 12, [](QPainter& g) {
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 12; ++x)
                    g.fillRect(x, y, 1, 1, QColor::fromHsv((x * 30) % 360, 255, 120 + y * 10));
        });
    case ID_LIB_SHOW_INFOS:
        return Paint(12, 12, [](QPainter& g) {
            g.fillRect(3, 0, 6, 6, QColor(0x40, 0x80, 0xFF));
            g.setPen(Qt::black);
            g.drawLine(1, 8, 10, 8);
            g.drawLine(1, 10, 7, 10);
        });
    default:
        return {};
    }
}

QPixmap DialogPicturePixmap(DialogPicture picture)
{
    QPixmap p = Blank(64, 64);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case DialogPicture::DeleteIcon:
        g.fillRect(QRect(12, 12, 40, 40), QColor(0x40, 0x80, 0xFF));
        g.fillRect(QRect(20, 20, 24, 24), QColor(0xFF, 0xE0, 0x40));
        DrawCross(g, QRect(8, 8, 48, 48));
        break;
    case DialogPicture::DeleteLibrary:
        DrawBook(g, QRect(10, 6, 44, 52), kBookBlue);
        DrawCross(g, QRect(8, 8, 48, 48));
        break;
    case DialogPicture::DeleteFolder:
        DrawFolder(g, QRect(6, 12, 52, 40), false);
        DrawCross(g, QRect(8, 8, 48, 48));
        break;
    case DialogPicture::RenameIcon:
        g.fillRect(QRect(6, 6, 32, 32), QColor(0x40, 0x80, 0xFF));
        g.setPen(Qt::black);
        g.setBrush(Qt::white);
        g.drawRect(14, 40, 46, 14);
        g.drawLine(20, 43, 20, 51);
        break;
    case DialogPicture::Compile: {
        // A program window showing icons.
        g.setPen(Qt::black);
        g.setBrush(Qt::white);
        g.drawRect(6, 10, 52, 44);
        g.fillRect(QRect(7, 11, 51, 8), QColor(0x20, 0x40, 0x90));
        const QColor cells[] = {QColor(0xE0, 0x30, 0x30), QColor(0x30, 0xA0, 0x40), QColor(0x40, 0x80, 0xFF),
                                QColor(0xFF, 0xC0, 0x20)};
        for (int i = 0; i < 4; ++i)
            g.fillRect(QRect(12 + (i % 2) * 22, 24 + (i / 2) * 15, 16, 11), cells[i]);
        break;
    }
    case DialogPicture::Brand: {
        QFont font = g.font();
        font.setBold(true);
        font.setPixelSize(18);
        g.setFont(font);
        g.setPen(QColor(0x20, 0x40, 0x90));
        g.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, QStringLiteral("K"));
        g.setPen(QPen(QColor(0x20, 0x40, 0x90), 2));
        g.drawEllipse(QRect(14, 14, 36, 36));
        break;
    }
    }
    g.end();
    return p;
}

QWidget* DialogPictureColumn(DialogPicture picture, QWidget* parent)
{
    auto* column = new QWidget(parent);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QLabel(column);
    top->setPixmap(DialogPicturePixmap(picture));
    auto* brand = new QLabel(column);
    brand->setPixmap(DialogPicturePixmap(DialogPicture::Brand));
    layout->addWidget(top);
    layout->addWidget(brand);
    layout->addStretch();
    return column;
}

} // namespace kavrel
