#include "librarian/bar_dialogs.h"

namespace kavrel {

namespace {
LibrarianDialogs g_defaultDialogs;
LibrarianDialogs* g_dialogs = &g_defaultDialogs;
} // namespace

LibrarianDialogs& BarDialogs()
{
    return *g_dialogs;
}

void SetBarDialogs(LibrarianDialogs* dialogs)
{
    g_dialogs = dialogs ? dialogs : &g_defaultDialogs;
}

} // namespace kavrel
