// The Qt cursors of the drawing tools, made from our own pictures
// (editor/tool_cursors.h) on first use.
#pragma once

#include <QCursor>

namespace kavrel {

// The cursor of a cursor resource of the tool table; 0 or an unknown id give
// the standard arrow.
QCursor ToolCursor(int cursorId);
// The image a cursor is made from (32x32, each picture pixel doubled) and
// its hot spot, for tests.
QImage ToolCursorImage(int cursorId, QPoint* hotSpot = nullptr);
// Frees the cursors made so far (at exit, while the application still runs).
void ReleaseToolCursors();

} // namespace kavrel
