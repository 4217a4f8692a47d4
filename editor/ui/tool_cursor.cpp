#include "editor/ui/tool_cursor.h"

#include <QImage>
#include <QPixmap>
#include <map>

#include "editor/tool_cursors.h"
#include "editor/tool_selection.h"

namespace kavrel {

namespace {

// Pictures are drawn on a 16x16 grid; cursors are shown at the usual 32x32.
constexpr int kScale = 2;

std::map<int, QCursor>& Cache()
{
    static std::map<int, QCursor> cache;
    return cache;
}

} // namespace

QImage ToolCursorImage(int cursorId, QPoint* hotSpot)
{
    const CursorArt* art = ToolCursorArt(cursorId);
    if (!art)
        return {};
    QImage image(kCursorSize * kScale, kCursorSize * kScale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            const char c = art->rows[static_cast<std::size_t>(y)][x];
            if (c != '#' && c != 'w')
                continue;
            const QRgb value = c == '#' ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            for (int dy = 0; dy < kScale; ++dy)
                for (int dx = 0; dx < kScale; ++dx)
                    image.setPixel(x * kScale + dx, y * kScale + dy, value);
        }
    }
    if (hotSpot)
        *hotSpot = QPoint(art->hotX * kScale + kScale / 2, art->hotY * kScale + kScale / 2);
    return image;
}

QCursor ToolCursor(int cursorId)
{
    if (cursorId == kMoveCursorId)
        return QCursor(Qt::SizeAllCursor);
    auto& cache = Cache();
    if (auto it = cache.find(cursorId); it != cache.end())
        return it->second;
    QPoint hot;
    const QImage image = ToolCursorImage(cursorId, &hot);
    if (image.isNull())
        return QCursor(Qt::ArrowCursor);
    QCursor cursor(QPixmap::fromImage(image), hot.x(), hot.y());
    cache.emplace(cursorId, cursor);
    return cursor;
}

void ReleaseToolCursors()
{
    Cache().clear();
}

} // namespace kavrel
