#include "editor/draw_tool.h"

namespace kavrel {

namespace {
std::array<std::unique_ptr<CDrawTool>, kToolCount>& Table()
{
    static std::array<std::unique_ptr<CDrawTool>, kToolCount> table;
    return table;
}
} // namespace

CDrawTool* Tool(int index)
{
    if (index < 0 || index >= kToolCount)
        return nullptr;
    return Table()[static_cast<std::size_t>(index)].get();
}

void InstallTool(int index, std::unique_ptr<CDrawTool> tool)
{
    if (index >= 0 && index < kToolCount)
        Table()[static_cast<std::size_t>(index)] = std::move(tool);
}

void ClearTools()
{
    for (auto& t : Table())
        t.reset();
}

} // namespace kavrel
