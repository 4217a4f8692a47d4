#include "editor/ui/context_menu.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include "document/cmd_target.h"
#include "editor/ui/editor_host.h"
#include "editor/ui/icon_view.h"
#include "resources/command_table.h"

namespace kavrel {

void AddCommandItems(QMenu* into, const MenuItem& menu, CCmdTarget* target, QObject* context)
{
    for (const MenuItem& child : menu.items) {
        switch (child.type) {
        case MenuItem::Type::Separator:
            into->addSeparator();
            break;
        case MenuItem::Type::Submenu:
            AddCommandItems(into->addMenu(QString::fromStdString(child.caption)), child, target, context);
            break;
        case MenuItem::Type::Command: {
            QString text = QString::fromStdString(child.caption);
            if (!child.shortcut.empty())
                text += QLatin1Char('\t') + QString::fromStdString(child.shortcut);
            QAction* action = into->addAction(text);
            const std::uint16_t id = child.command;
            CCmdTarget* route[] = {target};
            CCmdUI ui = UpdateCommand(route, id);
            if (!ui.claimed)
                if (EditorHost* host = GetEditorHost())
                    ui = host->UpdateMainWindowCommand(id);
            action->setEnabled(ui.claimed && ui.enabled);
            if (ui.checked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            QObject::connect(action, &QAction::triggered, context, [target, id] {
                CCmdTarget* r[] = {target};
                if (!SendCommand(r, id))
                    if (EditorHost* host = GetEditorHost())
                        host->SendMainWindowCommand(id);
            });
            break;
        }
        }
    }
}

void PopupBesidePointer(QMenu* menu, const QPoint& global)
{
    QScreen* screen = QGuiApplication::screenAt(global);
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
    const CIconView::MenuPlacement place =
        CIconView::ContextMenuPlacement(global.x(), global.y(), area.left(), area.width());
    QPoint at(place.x, place.y);
    if (place.alignRight)
        at.rx() -= menu->sizeHint().width();
    menu->popup(at);
}

}  // namespace kavrel
