#include "platform/registry.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/byte_reader.h"

namespace kavrel {

namespace {

// A hive file far beyond anything the program writes is not read at all.
constexpr std::uint64_t kMaxHiveFileBytes = 64ull << 20;
// Keys nested deeper than this are refused; it also bounds the recursion of
// serialisation and deletion.
constexpr int kMaxKeyDepth = 64;

const char* const kHeader = "Windows Registry Editor Version 5.00";
const char* const kOldHeader = "REGEDIT4";

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

// Splits a backslash path into its parts; empty parts (doubled or trailing
// backslashes) are dropped, as the system does.
std::vector<std::string_view> SplitPath(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool MakeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty())
            continue;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    errno = ENOTDIR; // a file stands where the folder should be
    return false;
}

void AppendQuoted(std::string& out, std::string_view s)
{
    out += '"';
    for (char c : s) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            out += c;
        }
    }
    out += '"';
}

// Reads a quoted string at text[pos] (which must be '"'); on success pos is
// just past the closing quote.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& out)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    out.clear();
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (++i >= text.size())
                return false;
            switch (text[i]) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case '0':
                out += '\0';
                break;
            default:
                out += text[i]; // \\ and \" and anything else stand for the character itself
            }
            continue;
        }
        out += c;
    }
    return false;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<std::uint32_t> ParseHexDword(std::string_view s)
{
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Files saved by the system's own editor are UTF-16; ours are UTF-8.
std::string DecodeFileText(std::span<const std::uint8_t> bytes)
{
    ByteReader r(bytes);
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        r.skip(2);
        std::string out;
        while (auto unit = r.u16()) {
            std::uint32_t cp = *unit;
            if (cp >= 0xD800 && cp < 0xDC00) {
                auto low = r.u16();
                if (!low || *low < 0xDC00 || *low >= 0xE000) {
                    out += '?';
                    continue;
                }
                cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
            } else if (cp >= 0xDC00 && cp < 0xE000) {
                cp = '?';
            }
            AppendUtf8(out, cp);
        }
        return out;
    }
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        r.skip(3);
    auto rest = r.bytes(r.remaining());
    return std::string(reinterpret_cast<const char*>(rest->data()), rest->size());
}

} // namespace

struct Registry::Key {
    struct Entry {
        std::string name;
        RegValue value;
    };
    std::string name;
    std::map<std::string, Entry> values;                  // by folded name
    std::map<std::string, std::unique_ptr<Key>> children; // by folded name
};

const char* RegHiveName(RegHive hive)
{
    switch (hive) {
    case RegHive::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RegHive::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RegHive::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    }
    return "HKEY_CURRENT_USER";
}

std::string ConfigFolder()
{
    auto env = [](const char* name) -> std::string {
        const char* v = std::getenv(name);
        return v ? std::string(v) : std::string();
    };
    if (std::string dir = env("KAVREL_CONFIG_DIR"); !dir.empty())
        return dir;
    if (std::string xdg = env("XDG_CONFIG_HOME"); !xdg.empty())
        return xdg + "/kavrel";
    if (std::string home = env("HOME"); !home.empty())
        return home + "/.config/kavrel";
    return ".config/kavrel";
}

// ---- RegKey ----

std::optional<std::string> RegKey::queryString(std::string_view name) const
{
    return registry_->queryString(hive_, path_, name);
}
std::optional<std::uint32_t> RegKey::queryDword(std::string_view name) const
{
    return registry_->queryDword(hive_, path_, name);
}
std::optional<RegValue> RegKey::query(std::string_view name) const
{
    return registry_->queryValue(hive_, path_, name);
}
void RegKey::setString(std::string_view name, std::string_view value)
{
    registry_->setString(hive_, path_, name, value);
}
void RegKey::setDword(std::string_view name, std::uint32_t value)
{
    registry_->setDword(hive_, path_, name, value);
}
bool RegKey::deleteValue(std::string_view name)
{
    return registry_->deleteValue(hive_, path_, name);
}
std::vector<std::string> RegKey::subkeys() const
{
    return registry_->subkeys(hive_, path_);
}
std::vector<std::string> RegKey::values() const
{
    return registry_->valueNames(hive_, path_);
}
RegKey RegKey::subkey(std::string_view name) const
{
    return RegKey(*registry_, hive_, path_.empty() ? std::string(name) : path_ + "\\" + std::string(name));
}

// ---- Registry ----

Registry::Registry(std::string folder) : folder_(std::move(folder))
{
    for (auto& root : roots_)
        root = std::make_unique<Key>();
}

Registry::~Registry() = default;

Registry& Registry::Instance()
{
    static Registry registry(ConfigFolder());
    static const bool loaded = (registry.load(), true);
    (void)loaded;
    return registry;
}

void Registry::clear()
{
    for (int i = 0; i < 3; ++i) {
        roots_[i] = std::make_unique<Key>();
        dirty_[i] = true;
    }
}

Registry::Key* Registry::find(RegHive hive, std::string_view path) const
{
    Key* key = roots_[static_cast<int>(hive)].get();
    for (std::string_view part : SplitPath(path)) {
        auto it = key->children.find(Folded(part));
        if (it == key->children.end())
            return nullptr;
        key = it->second.get();
    }
    return key;
}

Registry::Key& Registry::make(RegHive hive, std::string_view path)
{
    Key* key = roots_[static_cast<int>(hive)].get();
    for (std::string_view part : SplitPath(path)) {
        auto& slot = key->children[Folded(part)];
        if (!slot) {
            slot = std::make_unique<Key>();
            slot->name = std::string(part);
            dirty_[static_cast<int>(hive)] = true;
        }
        key = slot.get();
    }
    return *key;
}

RegKey Registry::createKey(RegHive hive, std::string_view path)
{
    make(hive, path);
    return RegKey(*this, hive, std::string(path));
}

std::optional<RegKey> Registry::openKey(RegHive hive, std::string_view path)
{
    if (!find(hive, path))
        return std::nullopt;
    return RegKey(*this, hive, std::string(path));
}

bool Registry::keyExists(RegHive hive, std::string_view path) const
{
    return find(hive, path) != nullptr;
}

std::optional<RegValue> Registry::queryValue(RegHive hive, std::string_view path, std::string_view name) const
{
    const Key* key = find(hive, path);
    if (!key)
        return std::nullopt;
    auto it = key->values.find(Folded(name));
    if (it == key->values.end())
        return std::nullopt;
    return it->second.value;
}

std::optional<std::string> Registry::queryString(RegHive hive, std::string_view path, std::string_view name) const
{
    auto v = queryValue(hive, path, name);
    if (!v || v->type != RegType::String)
        return std::nullopt;
    return v->text;
}

std::optional<std::uint32_t> Registry::queryDword(RegHive hive, std::string_view path, std::string_view name) const
{
    auto v = queryValue(hive, path, name);
    if (!v || v->type != RegType::Dword)
        return std::nullopt;
    return v->number;
}

void Registry::setValue(RegHive hive, std::string_view path, std::string_view name, RegValue value)
{
    Key& key = make(hive, path);
    auto& entry = key.values[Folded(name)];
    if (entry.name.empty())
        entry.name = std::string(name);
    entry.value = std::move(value);
    dirty_[static_cast<int>(hive)] = true;
}

void Registry::setString(RegHive hive, std::string_view path, std::string_view name, std::string_view value)
{
    RegValue v;
    v.type = RegType::String;
    v.text = std::string(value);
    setValue(hive, path, name, std::move(v));
}

void Registry::setDword(RegHive hive, std::string_view path, std::string_view name, std::uint32_t value)
{
    RegValue v;
    v.type = RegType::Dword;
    v.number = value;
    setValue(hive, path, name, std::move(v));
}

bool Registry::deleteValue(RegHive hive, std::string_view path, std::string_view name)
{
    Key* key = find(hive, path);
    if (!key || key->values.erase(Folded(name)) == 0)
        return false;
    dirty_[static_cast<int>(hive)] = true;
    return true;
}

bool Registry::deleteKey(RegHive hive, std::string_view path)
{
    Key* key = find(hive, path);
    if (!key || !key->children.empty())
        return false;
    return deleteTree(hive, path);
}

bool Registry::deleteTree(RegHive hive, std::string_view path)
{
    auto parts = SplitPath(path);
    if (parts.empty())
        return false; // a hive itself cannot be deleted
    std::string parentPath;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        parentPath += parts[i];
        parentPath += '\\';
    }
    Key* parent = find(hive, parentPath);
    if (!parent || parent->children.erase(Folded(parts.back())) == 0)
        return false;
    dirty_[static_cast<int>(hive)] = true;
    return true;
}

std::vector<std::string> Registry::subkeys(RegHive hive, std::string_view path) const
{
    std::vector<std::string> names;
    if (const Key* key = find(hive, path))
        for (const auto& [folded, child] : key->children)
            names.push_back(child->name);
    return names;
}

std::vector<std::string> Registry::valueNames(RegHive hive, std::string_view path) const
{
    std::vector<std::string> names;
    if (const Key* key = find(hive, path))
        for (const auto& [folded, entry] : key->values)
            names.push_back(entry.name);
    return names;
}

std::string Registry::serialize(RegHive hive) const
{
    std::string out = kHeader;
    out += "\r\n\r\n";
    struct Walker {
        std::string& out;
        void walk(const Key& key, const std::string& path, bool isRoot)
        {
            // Every key is written, so that keys created empty survive.
            if (!isRoot || !key.values.empty()) {
                out += '[' + path + "]\r\n";
                for (const auto& [folded, entry] : key.values) {
                    if (entry.name.empty())
                        out += '@';
                    else
                        AppendQuoted(out, entry.name);
                    out += '=';
                    switch (entry.value.type) {
                    case RegType::String:
                        AppendQuoted(out, entry.value.text);
                        break;
                    case RegType::Dword: {
                        char buf[16];
                        std::snprintf(buf, sizeof buf, "dword:%08x", entry.value.number);
                        out += buf;
                        break;
                    }
                    case RegType::Other:
                        out += entry.value.text;
                        break;
                    }
                    out += "\r\n";
                }
                out += "\r\n";
            }
            for (const auto& [folded, child] : key.children)
                walk(*child, path + '\\' + child->name, false);
        }
    } walker{out};
    walker.walk(*roots_[static_cast<int>(hive)], RegHiveName(hive), true);
    return out;
}

bool Registry::parse(RegHive hive, std::string_view text)
{
    bool clean = true;
    const std::string hiveName = RegHiveName(hive);
    Key* current = nullptr; // null: before the first key, or inside a key of another hive
    bool skipping = false;  // inside a key we do not take (another hive, or a deleted one)

    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    bool sawHeader = false;
    for (std::size_t li = 0; li < lines.size(); ++li) {
        std::string_view line = Trim(lines[li]);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (!sawHeader) {
            sawHeader = true;
            if (line == kHeader || line == kOldHeader)
                continue;
            clean = false; // no header: read on, but the file is not ours as written
        }
        if (line.front() == '[') {
            std::size_t close = line.rfind(']');
            if (close == std::string_view::npos) {
                clean = false;
                current = nullptr;
                skipping = true;
                continue;
            }
            std::string_view name = line.substr(1, close - 1);
            bool remove = !name.empty() && name.front() == '-';
            if (remove)
                name.remove_prefix(1);
            auto parts = SplitPath(name);
            if (parts.empty() || !EqualsNoCase(parts.front(), hiveName)) {
                // Another hive's key, or no hive at all: not ours to take.
                if (parts.empty() || parts.front().substr(0, 5) != "HKEY_")
                    clean = false;
                current = nullptr;
                skipping = true;
                continue;
            }
            if (parts.size() > kMaxKeyDepth + 1) {
                clean = false;
                current = nullptr;
                skipping = true;
                continue;
            }
            std::string path;
            for (std::size_t i = 1; i < parts.size(); ++i) {
                if (i > 1)
                    path += '\\';
                path += parts[i];
            }
            if (remove) {
                deleteTree(hive, path);
                current = nullptr;
                skipping = true;
            } else {
                current = &make(hive, path);
                skipping = false;
            }
            continue;
        }

        // A value line: "name"=... or @=...
        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (!ReadQuoted(line, pos, name)) {
            clean = false;
            continue;
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        if (pos >= line.size() || line[pos] != '=') {
            clean = false;
            continue;
        }
        std::string_view data = Trim(line.substr(pos + 1));

        // Binary and other typed values may continue over several lines.
        std::string joined;
        if (!data.empty() && data.front() != '"' && data.back() == '\\') {
            joined = std::string(data.substr(0, data.size() - 1));
            while (li + 1 < lines.size()) {
                std::string_view next = Trim(lines[++li]);
                bool more = !next.empty() && next.back() == '\\';
                joined += more ? next.substr(0, next.size() - 1) : next;
                if (!more)
                    break;
            }
            data = joined;
        }

        if (!current) {
            if (!skipping)
                clean = false; // a value before any key
            continue;
        }

        RegValue value;
        if (data == "-") {
            if (current->values.erase(Folded(name)) != 0)
                dirty_[static_cast<int>(hive)] = true;
            continue;
        }
        if (!data.empty() && data.front() == '"') {
            std::size_t p = 0;
            std::string s;
            if (!ReadQuoted(data, p, s) || !Trim(data.substr(p)).empty()) {
                clean = false;
                continue;
            }
            value.type = RegType::String;
            value.text = std::move(s);
        } else if (data.size() > 6 && EqualsNoCase(data.substr(0, 6), "dword:")) {
            auto n = ParseHexDword(data.substr(6));
            if (!n) {
                clean = false;
                continue;
            }
            value.type = RegType::Dword;
            value.number = *n;
        } else if (data.find(':') != std::string_view::npos) {
            value.type = RegType::Other;
            value.text = std::string(data);
        } else {
            clean = false;
            continue;
        }
        auto& entry = current->values[Folded(name)];
        entry.name = name;
        entry.value = std::move(value);
    }
    return clean;
}

std::string Registry::hivePath(RegHive hive) const
{
    return folder_ + "/" + RegHiveName(hive) + ".reg";
}

bool Registry::load()
{
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        RegHive hive = static_cast<RegHive>(i);
        roots_[i] = std::make_unique<Key>();
        dirty_[i] = false;
        if (folder_.empty())
            continue;
        std::string path = hivePath(hive);
        struct stat st {};
        if (stat(path.c_str(), &st) != 0)
            continue; // no file yet: an empty hive
        if (!S_ISREG(st.st_mode)) {
            ok = false;
            continue;
        }
        auto bytes = ReadWholeFile(path, kMaxHiveFileBytes);
        if (!bytes) {
            ok = false;
            // Too large or unreadable: kept aside whole before the next save
            // writes what this session knows over it.
            std::rename(path.c_str(), (path + ".damaged").c_str());
            continue;
        }
        if (!parse(hive, DecodeFileText(*bytes))) {
            ok = false;
            // Keep the damaged original: the next save rewrites the file with
            // only what could be read.
            WriteFileAtomically(path + ".damaged", *bytes);
        }
        dirty_[i] = false;
    }
    return ok;
}

bool Registry::saveHive(RegHive hive)
{
    int i = static_cast<int>(hive);
    if (folder_.empty()) {
        dirty_[i] = false;
        return true;
    }
    if (!MakeFolders(folder_)) {
        saveError_ = errno != 0 ? errno : ENOTDIR;
        return false;
    }
    std::string text = serialize(hive);
    std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    int error = 0;
    if (!WriteFileAtomically(hivePath(hive), bytes, &error)) {
        saveError_ = error;
        return false;
    }
    dirty_[i] = false;
    return true;
}

bool Registry::save()
{
    saveError_ = 0;
    bool ok = true;
    for (int i = 0; i < 3; ++i)
        if (dirty_[i] && !saveHive(static_cast<RegHive>(i)))
            ok = false;
    return ok;
}

} // namespace kavrel
