#include "editor/ui/editor_host.h"

namespace kavrel {

namespace {
EditorHost* g_host = nullptr;
}

EditorHost* GetEditorHost()
{
    return g_host;
}
void SetEditorHost(EditorHost* host)
{
    g_host = host;
}

} // namespace kavrel
