// Context pop-ups built from the command table. An item is claimed by the
// window that opened the pop-up or, failing that, by the main window; its
// state is asked at the moment the pop-up opens.
#pragma once

#include <QPoint>

class QMenu;
class QObject;

namespace kavrel {

class CCmdTarget;
struct MenuItem;

// Adds the items of menu (submenus included) to into, routed to target.
// context owns the connections.
void AddCommandItems(QMenu* into, const MenuItem& menu, CCmdTarget* target, QObject* context);

// Opens menu beside the pointer, towards the middle of the screen: at
// (x - 10, y - 10) in the left half, else right-aligned at (x + 10, y - 10).
void PopupBesidePointer(QMenu* menu, const QPoint& global);

}  // namespace kavrel
