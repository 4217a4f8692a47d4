// The pictures of the tools' cursors, our own artwork on a 16x16 grid:
// '#' black, 'w' white, '.' transparent. The hot spot lies where the tool
// acts: the tip of a pencil, brush or pipette, the end of the paint running
// from the bucket, the centre of the cross for the selection and the shapes.
#pragma once

#include <array>
#include <span>

namespace kavrel {

constexpr int kCursorSize = 16;

struct CursorArt {
    int id = 0; // the cursor resource of the tool table
    int hotX = 0, hotY = 0;
    std::array<const char*, kCursorSize> rows{};
};

std::span<const CursorArt> ToolCursorArts();
// The picture of a cursor resource, or nullptr for one the tools do not use.
const CursorArt* ToolCursorArt(int cursorId);

} // namespace kavrel
