// The rows kavrel_gen_commands generates from commands.tsv; read them
// through command_table.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kavrel::gen {

struct GenCommand {
    std::uint16_t id;
    const char* name;
    const char* caption;
    const char* shortcut;
    const char* prompt;
    const char* tooltip;
};

struct GenAccelerator {
    const char* keys;
    std::uint16_t command;
};

enum class GenEntry { Popup, End, Item, Separator };

struct GenMenuEntry {
    const char* group;  // "menu" or "context"
    const char* menu;   // the menu kind, or the pop-up number
    GenEntry type;
    std::uint16_t id;
    const char* caption;   // nullptr: the command's own
    const char* shortcut;  // nullptr: the command's own
};

extern const GenCommand kCommands[];
extern const std::size_t kCommandCount;
extern const GenAccelerator kAccelerators[];
extern const std::size_t kAcceleratorCount;
extern const GenMenuEntry kMenuEntries[];
extern const std::size_t kMenuEntryCount;

}  // namespace kavrel::gen
