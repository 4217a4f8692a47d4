#include "shell/framework/command_router.h"
#include "resources/command_ids.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace kavrel {

namespace {

CCommandRouter* g_router = nullptr;

const char* const kRecentEntry = "kavrelRecentEntry";
const char* const kWindowMenu = "kavrelWindowMenu";
const char* const kWindowEntry = "kavrelWindowEntry";

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString MenuText(const std::string& caption, const std::string& shortcut)
{
    QString text = QString::fromStdString(caption);
    if (!shortcut.empty())
        text += QLatin1Char('\t') + QString::fromStdString(shortcut);
    return text;
}

CCommandRouter::CCommandRouter(RouteProvider route, QObject* parent) : QObject(parent), route_(std::move(route))
{
    g_router = this;
}

CCommandRouter::~CCommandRouter()
{
    if (g_router == this)
        g_router = nullptr;
}

CCommandRouter* CCommandRouter::Instance()
{
    return g_router;
}

std::uint16_t CCommandRouter::CommandOf(const QAction* action)
{
    if (!action)
        return 0;
    bool ok = false;
    uint id = action->data().toUInt(&ok);
    return ok && id <= 0xFFFF ? static_cast<std::uint16_t>(id) : 0;
}

CCmdUI CCommandRouter::Update(std::uint16_t id) const
{
    auto route = route_ ? route_() : std::vector<CCmdTarget*>();
    return UpdateCommand(std::span<CCmdTarget* const>(route), id);
}

bool CCommandRouter::Send(std::uint16_t id)
{
    auto route = route_ ? route_() : std::vector<CCmdTarget*>();
    bool handled = SendCommand(std::span<CCmdTarget* const>(route), id);
    emit commandSent(id, handled);
    return handled;
}

QAction* CCommandRouter::Action(std::uint16_t id)
{
    if (auto it = actions_.find(id); it != actions_.end())
        return it->second;
    auto* action = new QAction(this);
    action->setData(static_cast<uint>(id));
    if (const CommandInfo* info = FindCommand(id)) {
        action->setText(FromView(info->caption));
        action->setToolTip(FromView(info->tooltip.empty() ? info->caption : info->tooltip));
        action->setStatusTip(FromView(info->prompt));
    }
    if (iconProvider_)
        action->setIcon(iconProvider_(id));
    connect(action, &QAction::triggered, this, [this, id] { Send(id); });
    actions_.emplace(id, action);
    ApplyState(action, id);
    return action;
}

void CCommandRouter::UpdateActions()
{
    for (auto& [id, action] : actions_)
        ApplyState(action, id);
}

void CCommandRouter::ApplyState(QAction* action, std::uint16_t id) const
{
    CCmdUI ui = Update(id);
    bool enabled = ui.claimed && ui.enabled;
    if (action->isEnabled() != enabled)
        action->setEnabled(enabled);
    if (ui.checked) {
        action->setCheckable(true);
        action->setChecked(true);
    } else if (action->isCheckable()) {
        action->setChecked(false);
        action->setCheckable(false);
    }
    if (ui.hasText) {
        QString text = QString::fromStdString(ui.text);
        if (action->text() != text)
            action->setText(text);
    }
}

void CCommandRouter::BuildMenuBar(QMenuBar* bar, MenuKind kind)
{
    for (QMenu* old : bar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        old->deleteLater();
    bar->clear();
    for (const MenuItem& top : MenuBar(kind)) {
        if (top.type != MenuItem::Type::Submenu)
            continue;
        QMenu* menu = BuildMenu(top, bar);
        // "W&indow" or "&Window": the menu that lists the document windows.
        if (QString::fromStdString(top.caption).remove(QLatin1Char('&')) == QLatin1String("Window"))
            menu->setProperty(kWindowMenu, true);
        bar->addMenu(menu);
    }
}

QMenu* CCommandRouter::BuildMenu(const MenuItem& item, QWidget* parent)
{
    auto* menu = new QMenu(QString::fromStdString(item.caption), parent);
    FillMenu(menu, item.items);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
    return menu;
}

void CCommandRouter::FillMenu(QMenu* menu, const std::vector<MenuItem>& items)
{
    for (const MenuItem& item : items) {
        switch (item.type) {
        case MenuItem::Type::Separator:
            menu->addSeparator();
            break;
        case MenuItem::Type::Submenu:
            menu->addMenu(BuildMenu(item, menu));
            break;
        case MenuItem::Type::Command: {
            QAction* action = menu->addAction(MenuText(item.caption, item.shortcut));
            action->setData(static_cast<uint>(item.command));
            if (const CommandInfo* info = FindCommand(item.command))
                action->setStatusTip(FromView(info->prompt));
            std::uint16_t id = item.command;
            if (id != ID_FILE_MRU_FILE1)
                connect(action, &QAction::triggered, this, [this, id] { Send(id); });
            break;
        }
        }
    }
}

void CCommandRouter::UpdateMenu(QMenu* menu)
{
    QAction* recent = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || action->menu() || action->property(kRecentEntry).toBool() ||
            action->property(kWindowEntry).toBool())
            continue;
        std::uint16_t id = CommandOf(action);
        if (id == ID_FILE_MRU_FILE1) {
            recent = action;
            continue;
        }
        if (id)
            ApplyState(action, id);
    }
    if (recent)
        FillRecentFiles(menu, recent);
    if (menu->property(kWindowMenu).toBool())
        FillWindowList(menu);
}

void CCommandRouter::FillWindowList(QMenu* menu)
{
    for (QAction* action : menu->actions())
        if (action->property(kWindowEntry).toBool()) {
            menu->removeAction(action);
            action->deleteLater();
        }
    const std::vector<WindowEntry> windows = windowList_ ? windowList_() : std::vector<WindowEntry>();
    if (windows.empty())
        return;
    menu->addSeparator()->setProperty(kWindowEntry, true);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        QString title = windows[i].title;
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        QAction* action = menu->addAction(number + QLatin1Char(' ') + title);
        action->setProperty(kWindowEntry, true);
        action->setCheckable(true);
        action->setChecked(windows[i].active);
        const int index = static_cast<int>(i);
        connect(action, &QAction::triggered, this, [this, index] {
            if (activateWindow_)
                activateWindow_(index);
        });
    }
}

void CCommandRouter::SetWindowList(WindowListProvider provider, std::function<void(int)> activate)
{
    windowList_ = std::move(provider);
    activateWindow_ = std::move(activate);
}

void CCommandRouter::FillRecentFiles(QMenu* menu, QAction* placeholder)
{
    for (QAction* action : menu->actions())
        if (action->property(kRecentEntry).toBool()) {
            menu->removeAction(action);
            action->deleteLater();
        }
    std::vector<std::string> files = recentFiles_ ? recentFiles_() : std::vector<std::string>();
    placeholder->setVisible(files.empty());
    placeholder->setEnabled(false);
    for (std::size_t i = 0; i < files.size(); ++i) {
        QString label = QStringLiteral("&%1 %2").arg(i + 1 < 10 ? QString::number(i + 1) : QStringLiteral("1&0"),
                                                     QString::fromStdString(files[i]));
        auto* action = new QAction(label, menu);
        action->setProperty(kRecentEntry, true);
        action->setData(static_cast<uint>(ID_FILE_MRU_FILE1 + i));
        if (const CommandInfo* info = FindCommand(ID_FILE_MRU_FILE1))
            action->setStatusTip(FromView(info->prompt));
        int index = static_cast<int>(i);
        connect(action, &QAction::triggered, this, [this, index] {
            if (openRecent_)
                openRecent_(index);
        });
        menu->insertAction(placeholder, action);
    }
}

void CCommandRouter::SetRecentFiles(RecentFilesProvider provider, std::function<void(int)> open)
{
    recentFiles_ = std::move(provider);
    openRecent_ = std::move(open);
}

void CCommandRouter::InstallAccelerators(QWidget* window)
{
    for (QAction* action : accelerators_) {
        window->removeAction(action);
        action->deleteLater();
    }
    accelerators_.clear();
    for (const Accelerator& accel : Accelerators()) {
        auto* action = new QAction(window);
        action->setShortcut(QKeySequence(FromView(accel.keys)));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setData(static_cast<uint>(accel.command));
        std::uint16_t id = accel.command;
        connect(action, &QAction::triggered, this, [this, id] { Send(id); });
        window->addAction(action);
        accelerators_.push_back(action);
    }
}

} // namespace kavrel
