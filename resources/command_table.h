// The command vocabulary: every command's caption, shown shortcut, status-bar
// prompt and tooltip, the menu bar of each document kind, the accelerator
// table (the keys that act) and the context pop-ups. The data is
// resources/commands.tsv, turned into C++ at build time.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

struct CommandInfo {
    std::uint16_t id;
    std::string_view name;      // symbolic name, ID_...
    std::string_view caption;   // menu text with its & mnemonic
    std::string_view shortcut;  // shown after the caption only; the accelerators are what act
    std::string_view prompt;    // status-bar text while the item is highlighted
    std::string_view tooltip;   // empty: the button has none
};

// Every command, in the order of the data.
std::span<const CommandInfo> Commands();
// The command, or nullptr for an unknown id.
const CommandInfo* FindCommand(std::uint16_t id);
// The string-resource form of a command's text: "prompt\ntooltip".
std::string CommandPromptString(std::uint16_t id);

struct MenuItem {
    enum class Type { Command, Separator, Submenu };
    Type type = Type::Command;
    std::uint16_t command = 0;  // Command
    std::string caption;        // the item's own text (a menu may word a command differently)
    std::string shortcut;
    std::vector<MenuItem> items;  // Submenu
};

// The menu bar shown while a window of this kind is active.
enum class MenuKind {
    Main,          // no document window open
    IconDocument,  // icon editor
    ProgramFile,   // program-file browser
    IconLibrary,   // icon-library browser
    IconInFile,    // editor on an icon taken from a program file or library
};

// The top-level menus of a kind's menu bar, each a Submenu.
const std::vector<MenuItem>& MenuBar(MenuKind kind);

// The context pop-ups 0 to 8; an empty submenu for any other number.
inline constexpr int kContextMenuCount = 9;
const MenuItem& ContextMenu(int index);

// Key modifiers of an accelerator.
enum : unsigned { kModCtrl = 1, kModShift = 2, kModAlt = 4 };

struct Accelerator {
    std::string_view keys;  // "Ctrl+F8", "Shift+Insert", "Alt+Backspace": the form key-sequence parsers take
    unsigned modifiers;     // kModCtrl | kModShift | kModAlt
    std::string_view key;   // the key without modifiers: "F8", "Insert", "B"
    std::uint16_t command;
};

std::span<const Accelerator> Accelerators();
// The accelerator for a key text (modifiers in any order, case-insensitive), or nullptr.
const Accelerator* FindAccelerator(std::string_view keys);

// Every command a menu item (at any depth) names, in order.
std::vector<std::uint16_t> CommandsOf(const MenuItem& menu);

}  // namespace kavrel
