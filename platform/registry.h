// An in-process registry: three hives of keys holding string and number
// values, kept in memory and saved as one "Windows Registry Editor Version
// 5.00" text file per hive in the user's configuration folder.
//
// Key and value names compare case-insensitively (ASCII) and keep the case
// they were created with. Paths use backslashes: "Software\\Orvane\\Kavrel 4.0".
// A damaged hive file is read as far as it parses; the original is kept
// beside it as "<file>.damaged" so that nothing the user had is lost unseen.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

enum class RegHive { CurrentUser, LocalMachine, ClassesRoot };

enum class RegType {
    String, // REG_SZ
    Dword,  // REG_DWORD
    Other,  // any other kind read from a file, kept verbatim and written back unchanged
};

struct RegValue {
    RegType type = RegType::String;
    std::string text;         // String: the value; Other: the file text after '='
    std::uint32_t number = 0; // Dword
};

// "HKEY_CURRENT_USER" and so on; the file of a hive is this name plus ".reg".
const char* RegHiveName(RegHive hive);

// $KAVREL_CONFIG_DIR, else $XDG_CONFIG_HOME/kavrel, else ~/.config/kavrel.
std::string ConfigFolder();

class Registry;

// A light handle on a key: a hive and a path inside one registry. It stays
// valid as a name even when the key is deleted (reads then find nothing).
class RegKey {
  public:
    RegKey(Registry& registry, RegHive hive, std::string path)
        : registry_(&registry), hive_(hive), path_(std::move(path))
    {
    }

    std::optional<std::string> queryString(std::string_view name) const;
    std::optional<std::uint32_t> queryDword(std::string_view name) const;
    std::optional<RegValue> query(std::string_view name) const;
    void setString(std::string_view name, std::string_view value);
    void setDword(std::string_view name, std::uint32_t value);
    bool deleteValue(std::string_view name);
    std::vector<std::string> subkeys() const;
    std::vector<std::string> values() const;
    RegKey subkey(std::string_view name) const;

    RegHive hive() const { return hive_; }
    const std::string& path() const { return path_; }

  private:
    Registry* registry_;
    RegHive hive_;
    std::string path_;
};

class Registry {
  public:
    // A registry saved in folder (created when first saved). An empty folder
    // keeps everything in memory only.
    explicit Registry(std::string folder);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The process-wide registry in ConfigFolder(), loaded on first use.
    static Registry& Instance();

    const std::string& folder() const { return folder_; }

    // Replaces the memory contents by the hive files (a missing file is an
    // empty hive). Returns false when some file was damaged or unreadable;
    // whatever parsed is kept either way.
    bool load();
    // Writes every hive changed since the last load or save. False when a
    // file could not be written; the old file is then left as it was.
    bool save();
    bool saveHive(RegHive hive);
    // The error number of the last failed save (0 after a good one).
    int saveError() const { return saveError_; }
    // Empties every hive in memory (the files are untouched until saved).
    void clear();

    // RegCreateKeyEx: opens the key, creating it and its parents as needed.
    RegKey createKey(RegHive hive, std::string_view path);
    // RegOpenKeyEx: the key when it exists.
    std::optional<RegKey> openKey(RegHive hive, std::string_view path);
    bool keyExists(RegHive hive, std::string_view path) const;

    std::optional<RegValue> queryValue(RegHive hive, std::string_view path, std::string_view name) const;
    std::optional<std::string> queryString(RegHive hive, std::string_view path, std::string_view name) const;
    std::optional<std::uint32_t> queryDword(RegHive hive, std::string_view path, std::string_view name) const;
    // Writing a value creates its key. The empty name is the key's default value.
    void setValue(RegHive hive, std::string_view path, std::string_view name, RegValue value);
    void setString(RegHive hive, std::string_view path, std::string_view name, std::string_view value);
    void setDword(RegHive hive, std::string_view path, std::string_view name, std::uint32_t value);
    bool deleteValue(RegHive hive, std::string_view path, std::string_view name);
    // Deletes a key that has no subkeys (false when it has some or is missing).
    bool deleteKey(RegHive hive, std::string_view path);
    // Deletes a key with everything below it.
    bool deleteTree(RegHive hive, std::string_view path);
    // Names of the direct subkeys and of the values, in name order.
    std::vector<std::string> subkeys(RegHive hive, std::string_view path) const;
    std::vector<std::string> valueNames(RegHive hive, std::string_view path) const;

    // The file text of a hive, as save() writes it.
    std::string serialize(RegHive hive) const;
    // Merges a hive file's text into a hive; false when some line did not
    // parse (the lines that did are kept).
    bool parse(RegHive hive, std::string_view text);

    struct Key;

  private:
    Key* find(RegHive hive, std::string_view path) const;
    Key& make(RegHive hive, std::string_view path);
    std::string hivePath(RegHive hive) const;

    std::string folder_;
    std::unique_ptr<Key> roots_[3];
    bool dirty_[3] = {false, false, false};
    int saveError_ = 0;
};

} // namespace kavrel
