// Turns resources/commands.tsv into C++ arrays (commands_data.cpp) and the
// header of command identifiers every other source names commands by.
// Usage: kavrel_gen_commands <commands.tsv> <output.cpp> <command_ids.h>
//
// Lines are fields separated by " | "; '#' starts a comment line; a field in
// double quotes keeps leading and trailing blanks.
//   cmd | id | NAME | caption | shortcut | prompt | tooltip
//   menu | kind  ... end          a menu bar (main, icon, file, library, iconfile)
//   context | n  ... end          context pop-up n
//   popup | caption  ... end      a submenu
//   block | name  ... end         items to reuse with "use | name"
//   item | id [| caption [| shortcut]]   caption and shortcut default to the command's
//   sep
//   accel | keys | id
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Trim(const std::string& s)
{
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return "";
    std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> Fields(std::string line)
{
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, " |") == 0)
        line += ' '; // an empty last field
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = line.find(" | ", start);
        std::string field = Trim(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        // A field in double quotes keeps its blanks.
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
            field = field.substr(1, field.size() - 2);
        out.push_back(field);
        if (bar == std::string::npos)
            break;
        start = bar + 3;
    }
    return out;
}

std::string Quote(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

struct Entry {
    explicit Entry(const char* t) : type(t) {}
    std::string type; // popup, end, item, sep
    std::string id = "0";
    std::string caption;
    std::string shortcut;
    bool hasCaption = false;
    bool hasShortcut = false;
};

bool IsCommandId(const std::string& s)
{
    if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long id = std::stoul(s);
    return id >= 1 && id <= 65535;
}

bool IsCommandName(const std::string& s)
{
    return s.size() > 3 && s.compare(0, 3, "ID_") == 0 &&
           s.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == std::string::npos;
}

// An unchanged output keeps its time stamp so that nothing that includes the
// header is rebuilt when only texts of the table change.
bool WriteIfChanged(const char* path, const std::string& text)
{
    {
        std::ifstream old(path, std::ios::binary);
        std::ostringstream now;
        now << old.rdbuf();
        if (old && now.str() == text)
            return true;
    }
    std::ofstream o(path, std::ios::binary);
    o << text;
    return static_cast<bool>(o);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: kavrel_gen_commands commands.tsv output.cpp command_ids.h\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << argv[1] << ": cannot read\n";
        return 1;
    }

    std::ostringstream commands, accels, ids;
    std::map<std::string, std::vector<Entry>> blocks;
    struct Menu {
        std::string group; // "menu" or "context"
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Menu> menus;

    // The open containers: a menu, a block, popups inside them.
    std::vector<Entry>* target = nullptr;
    std::vector<std::string> open; // "menu", "block", "popup"
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        std::cerr << argv[1] << ":" << lineNo << ": " << why << "\n";
        return 1;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#')
            continue;
        auto f = Fields(t);
        const std::string& kw = f[0];
        auto need = [&](std::size_t n) { return f.size() >= n; };
        if (kw == "cmd") {
            if (!need(7))
                return fail("cmd needs 7 fields");
            // Both end up in C++ source as they stand.
            if (!IsCommandId(f[1]))
                return fail("'" + f[1] + "' is no command id (1 to 65535)");
            if (!IsCommandName(f[2]))
                return fail("'" + f[2] + "' is no command name (ID_ and capitals, digits, _)");
            ids << "inline constexpr std::uint16_t " << f[2] << " = " << f[1] << ";\n";
            commands << "    {" << f[1] << ", " << Quote(f[2]) << ", " << Quote(f[3]) << ", " << Quote(f[4]) << ", "
                     << Quote(f[5]) << ", " << Quote(f[6]) << "},\n";
        } else if (kw == "accel") {
            if (!need(3))
                return fail("accel needs keys and a command");
            accels << "    {" << Quote(f[1]) << ", " << f[2] << "},\n";
        } else if (kw == "menu" || kw == "context") {
            if (!open.empty() || !need(2))
                return fail("menus cannot nest and need a name");
            menus.push_back({kw, f[1], {}});
            target = &menus.back().entries;
            open.push_back("menu");
        } else if (kw == "block") {
            if (!open.empty() || !need(2))
                return fail("blocks cannot nest and need a name");
            target = &blocks[f[1]];
            open.push_back("block");
        } else if (kw == "popup") {
            if (open.empty() || !need(2))
                return fail("popup outside a menu");
            Entry e("popup");
            e.caption = f[1];
            target->push_back(e);
            open.push_back("popup");
        } else if (kw == "end") {
            if (open.empty())
                return fail("end without a beginning");
            if (open.back() == "popup")
                target->push_back(Entry("end"));
            open.pop_back();
            if (open.empty())
                target = nullptr;
        } else if (kw == "item") {
            if (open.empty() || !need(2))
                return fail("item outside a menu");
            Entry e("item");
            e.id = f[1];
            if (f.size() >= 3 && !f[2].empty()) {
                e.caption = f[2];
                e.hasCaption = true;
            }
            if (f.size() >= 4) {
                e.shortcut = f[3];
                e.hasShortcut = true;
            }
            target->push_back(e);
        } else if (kw == "sep") {
            if (open.empty())
                return fail("separator outside a menu");
            target->push_back(Entry("sep"));
        } else if (kw == "use") {
            if (open.empty() || !need(2) || !blocks.count(f[1]))
                return fail("unknown block");
            const auto& b = blocks[f[1]];
            target->insert(target->end(), b.begin(), b.end());
        } else {
            return fail("unknown line kind '" + kw + "'");
        }
    }
    if (!open.empty())
        return fail("missing end");

    std::ostringstream out;
    out << "// Generated by kavrel_gen_commands from resources/commands.tsv. Do not edit.\n"
        << "#include \"resources/command_table_data.h\"\n\n#include <iterator>\n\nnamespace kavrel::gen {\n\n"
        << "const GenCommand kCommands[] = {\n"
        << commands.str() << "};\n"
        << "const std::size_t kCommandCount = std::size(kCommands);\n\n"
        << "const GenAccelerator kAccelerators[] = {\n"
        << accels.str() << "};\n"
        << "const std::size_t kAcceleratorCount = std::size(kAccelerators);\n\n"
        << "const GenMenuEntry kMenuEntries[] = {\n";
    for (std::size_t m = 0; m < menus.size(); ++m) {
        for (const auto& e : menus[m].entries) {
            out << "    {" << Quote(menus[m].group) << ", " << Quote(menus[m].name) << ", GenEntry::";
            out << (e.type == "popup" ? "Popup" : e.type == "end" ? "End" : e.type == "sep" ? "Separator" : "Item");
            out << ", " << e.id << ", " << (e.hasCaption || e.type == "popup" ? Quote(e.caption) : "nullptr") << ", "
                << (e.hasShortcut ? Quote(e.shortcut) : "nullptr") << "},\n";
        }
    }
    out << "};\nconst std::size_t kMenuEntryCount = std::size(kMenuEntries);\n\n}  // namespace kavrel::gen\n";

    std::ostringstream header;
    header << "// Generated by kavrel_gen_commands from resources/commands.tsv. Do not edit.\n"
           << "// The identifier of every command, named as in the table.\n"
           << "#pragma once\n\n#include <cstdint>\n\nnamespace kavrel {\n\n"
           << ids.str() << "\n}  // namespace kavrel\n";

    return WriteIfChanged(argv[2], out.str()) && WriteIfChanged(argv[3], header.str()) ? 0 : 1;
}
