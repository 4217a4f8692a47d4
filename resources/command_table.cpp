#include "resources/command_table.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

#include "resources/command_table_data.h"

namespace kavrel {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

// Splits "Ctrl+Shift+F1" into modifiers and key; "+" alone is a key.
void SplitKeys(std::string_view keys, unsigned& modifiers, std::string_view& key)
{
    modifiers = 0;
    for (;;) {
        std::size_t plus = keys.find('+');
        if (plus == std::string_view::npos || plus + 1 == keys.size()) {
            key = keys;
            return;
        }
        std::string_view mod = keys.substr(0, plus);
        if (SameNoCase(mod, "Ctrl"))
            modifiers |= kModCtrl;
        else if (SameNoCase(mod, "Shift"))
            modifiers |= kModShift;
        else if (SameNoCase(mod, "Alt"))
            modifiers |= kModAlt;
        else {
            key = keys;
            return;
        }
        keys.remove_prefix(plus + 1);
    }
}

const std::vector<CommandInfo>& CommandList()
{
    static const std::vector<CommandInfo> list = [] {
        std::vector<CommandInfo> v;
        for (std::size_t i = 0; i < gen::kCommandCount; ++i) {
            const auto& c = gen::kCommands[i];
            v.push_back({c.id, c.name, c.caption, c.shortcut, c.prompt, c.tooltip});
        }
        return v;
    }();
    return list;
}

struct Menus {
    std::map<std::string, MenuItem> bars;  // by kind name; each holds the top-level menus
    std::array<MenuItem, kContextMenuCount> contexts;
};

const Menus& AllMenus()
{
    static const Menus menus = [] {
        Menus m;
        for (auto& c : m.contexts)
            c.type = MenuItem::Type::Submenu;
        std::string group, name;
        std::vector<MenuItem*> stack;
        for (std::size_t i = 0; i < gen::kMenuEntryCount; ++i) {
            const auto& e = gen::kMenuEntries[i];
            if (group != e.group || name != e.menu) {
                group = e.group;
                name = e.menu;
                stack.clear();
                MenuItem* root = nullptr;
                if (group == "menu") {
                    root = &m.bars[name];
                } else {
                    int n = std::atoi(name.c_str());
                    root = n >= 0 && n < kContextMenuCount ? &m.contexts[static_cast<std::size_t>(n)] : nullptr;
                }
                if (root) {
                    root->type = MenuItem::Type::Submenu;
                    stack.push_back(root);
                }
            }
            if (stack.empty())
                continue;
            MenuItem& parent = *stack.back();
            switch (e.type) {
            case gen::GenEntry::Popup: {
                MenuItem sub;
                sub.type = MenuItem::Type::Submenu;
                sub.caption = e.caption ? e.caption : "";
                parent.items.push_back(std::move(sub));
                stack.push_back(&parent.items.back());
                break;
            }
            case gen::GenEntry::End:
                if (stack.size() > 1)
                    stack.pop_back();
                break;
            case gen::GenEntry::Separator: {
                MenuItem sep;
                sep.type = MenuItem::Type::Separator;
                parent.items.push_back(std::move(sep));
                break;
            }
            case gen::GenEntry::Item: {
                MenuItem item;
                item.command = e.id;
                const CommandInfo* c = FindCommand(e.id);
                item.caption = e.caption ? std::string(e.caption) : c ? std::string(c->caption) : std::string();
                item.shortcut = e.shortcut ? std::string(e.shortcut) : c ? std::string(c->shortcut) : std::string();
                parent.items.push_back(std::move(item));
                break;
            }
            }
        }
        return m;
    }();
    return menus;
}

const std::vector<Accelerator>& AcceleratorList()
{
    static const std::vector<Accelerator> list = [] {
        std::vector<Accelerator> v;
        for (std::size_t i = 0; i < gen::kAcceleratorCount; ++i) {
            Accelerator a{gen::kAccelerators[i].keys, 0, {}, gen::kAccelerators[i].command};
            SplitKeys(a.keys, a.modifiers, a.key);
            v.push_back(a);
        }
        return v;
    }();
    return list;
}

void Collect(const MenuItem& menu, std::vector<std::uint16_t>& out)
{
    for (const auto& item : menu.items) {
        if (item.type == MenuItem::Type::Command)
            out.push_back(item.command);
        else if (item.type == MenuItem::Type::Submenu)
            Collect(item, out);
    }
}

}  // namespace

std::span<const CommandInfo> Commands() { return CommandList(); }

const CommandInfo* FindCommand(std::uint16_t id)
{
    for (const auto& c : CommandList())
        if (c.id == id)
            return &c;
    return nullptr;
}

std::string CommandPromptString(std::uint16_t id)
{
    const CommandInfo* c = FindCommand(id);
    if (!c)
        return {};
    std::string s(c->prompt);
    if (!c->tooltip.empty()) {
        s += '\n';
        s += c->tooltip;
    }
    return s;
}

const std::vector<MenuItem>& MenuBar(MenuKind kind)
{
    static const std::vector<MenuItem> none;
    const char* name = "main";
    switch (kind) {
    case MenuKind::Main: name = "main"; break;
    case MenuKind::IconDocument: name = "icon"; break;
    case MenuKind::ProgramFile: name = "file"; break;
    case MenuKind::IconLibrary: name = "library"; break;
    case MenuKind::IconInFile: name = "iconfile"; break;
    }
    const auto& bars = AllMenus().bars;
    auto it = bars.find(name);
    return it == bars.end() ? none : it->second.items;
}

const MenuItem& ContextMenu(int index)
{
    static const MenuItem empty{MenuItem::Type::Submenu, 0, {}, {}, {}};
    if (index < 0 || index >= kContextMenuCount)
        return empty;
    return AllMenus().contexts[static_cast<std::size_t>(index)];
}

std::span<const Accelerator> Accelerators() { return AcceleratorList(); }

const Accelerator* FindAccelerator(std::string_view keys)
{
    unsigned modifiers = 0;
    std::string_view key;
    SplitKeys(keys, modifiers, key);
    for (const auto& a : AcceleratorList())
        if (a.modifiers == modifiers && SameNoCase(a.key, key))
            return &a;
    return nullptr;
}

std::vector<std::uint16_t> CommandsOf(const MenuItem& menu)
{
    std::vector<std::uint16_t> out;
    Collect(menu, out);
    return out;
}

}  // namespace kavrel
