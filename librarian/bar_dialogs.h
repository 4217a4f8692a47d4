// The librarian bar's own dialogs (confirmations of a delete, the rename
// boxes), asked through one interface so that tests answer them from a
// script. The Qt bar installs real dialogs; the default confirms every
// delete and cancels every rename.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kavrel {

class LibrarianDialogs {
  public:
    virtual ~LibrarianDialogs() = default;
    // "Deleting one or more icons": true on "DELETE!".
    virtual bool ConfirmDeleteIcons(const std::vector<std::string>& names)
    {
        (void)names;
        return true;
    }
    // "Delete a library" with its icons listed.
    virtual bool ConfirmDeleteLibrary(const std::string& label, const std::vector<std::string>& names)
    {
        (void)label, (void)names;
        return true;
    }
    // "Delete a folder".
    virtual bool ConfirmDeleteFolder(const std::string& name)
    {
        (void)name;
        return true;
    }
    // "Rename icon": the new name (at most 50 characters), nullopt on Cancel.
    virtual std::optional<std::string> RenameIcon(const std::string& name)
    {
        (void)name;
        return std::nullopt;
    }
    // "Rename several icons": the base name, nullopt on Cancel.
    virtual std::optional<std::string> RenameIcons(const std::vector<std::string>& names)
    {
        (void)names;
        return std::nullopt;
    }
    // "Rename a library" / "Rename a folder" (at most 80 characters).
    virtual std::optional<std::string> RenameLibrary(const std::string& label)
    {
        (void)label;
        return std::nullopt;
    }
    virtual std::optional<std::string> RenameFolder(const std::string& label)
    {
        (void)label;
        return std::nullopt;
    }
};

LibrarianDialogs& BarDialogs();
// nullptr restores the default.
void SetBarDialogs(LibrarianDialogs* dialogs);

// Longest name the library and folder rename boxes take.
constexpr std::size_t kMaxItemNameLength = 80;

} // namespace kavrel
