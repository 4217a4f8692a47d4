// The librarian on disk: a folder tree below one root, every directory a
// folder of the librarian and every ".icl" file a library. Nothing is cached:
// each listing reads the disk afresh, so changes made outside the program
// show at the next expansion.
//
// Paths use '/'. A library's path is its real file on disk (x.ICL stays
// x.ICL); its label is the file name without the last extension.
#pragma once

#include <string>
#include <vector>

namespace kavrel {

// Refused tree and drag operations only beep; tests count the beeps.
class Beeper {
  public:
    virtual ~Beeper() = default;
    virtual void Beep() = 0;
};
// The beeper in use; the default one is silent. nullptr restores it.
Beeper& Beeps();
void SetBeeper(Beeper* beeper);

enum class LibItemKind { Root, Folder, Library };

struct LibEntry {
    LibItemKind kind = LibItemKind::Folder;
    std::string label;
    std::string path;
};

// String-table numbers of the store's texts.
constexpr int kStrLibrarianRoot = 45; // "Librarian"
constexpr int kStrNewLibrary = 46;    // "New library"
constexpr int kStrNewFolder = 47;     // "New folder"
constexpr int kStrCopying = 11;       // "Copying..."

// parent + '/' + name, without doubling a trailing '/'.
std::string JoinPath(const std::string& parent, const std::string& name);
// The folder holding a path (everything before its last '/').
std::string ParentPath(const std::string& path);
// The last component of a path.
std::string LastComponent(const std::string& path);
// "a.b.icl" -> "a.b"; a name without a dot stays whole.
std::string LabelFromFileName(const std::string& fileName);
// Whether the name ends in ".icl" in any case.
bool IsLibraryFileName(const std::string& fileName);
// A name the user may give a folder or library: not empty after trimming
// blanks, not "." or "..", no '/' and no NUL, so it stays in its folder.
bool IsValidItemName(const std::string& name);
// ASCII case-insensitive equality.
bool SameTextNoCase(const std::string& a, const std::string& b);
// Whether `path` is `folder` itself or lies below it.
bool IsSameOrInside(const std::string& path, const std::string& folder);

class CLibraryStore {
  public:
    explicit CLibraryStore(std::string root);

    const std::string& Root() const { return root_; }
    LibEntry RootEntry() const;

    // The libraries of a folder sorted by label, then its folders sorted by
    // label; entries beginning with '.' are skipped.
    std::vector<LibEntry> List(const std::string& folder) const;
    // Something to show below the folder: a subdirectory or a library.
    bool HasContent(const std::string& folder) const;

    // Each returns false (after a beep) when the name is invalid, the target
    // exists or the file system refuses; on success the new path is stored
    // in *result when given. No operation ever replaces an existing entry.
    bool CreateFolder(const std::string& parent, const std::string& name, std::string* result = nullptr);
    // Checks only that the library's file does not exist yet; nothing is
    // written (the shown library writes it when it is first loaded).
    bool CheckNewLibrary(const std::string& parent, const std::string& name, std::string* result = nullptr);
    bool RenameLibrary(const std::string& path, const std::string& newName, std::string* result = nullptr);
    bool RenameFolder(const std::string& path, const std::string& newName, std::string* result = nullptr);
    // Moves a folder or library into the root or a folder. Refused when the
    // target is the item itself, inside it, already its parent, or a library.
    bool Move(const std::string& dragged, const std::string& target, std::string* result = nullptr);

    // Deletes a library file; a file already gone is not a failure.
    void DeleteLibrary(const std::string& path);
    // Deletes a folder and everything in it. A symbolic link is removed as a
    // link and never followed, so nothing outside the folder is touched.
    bool DeleteFolder(const std::string& path);

  private:
    bool IsLibraryPath(const std::string& path) const;
    std::string root_;
};

// Where the tree opens from a remembered path (BankPathName).
struct RememberedWalk {
    std::vector<std::string> expanded; // folders to expand, outermost first
    LibEntry selected;                 // the root when nothing matched
};
// Walks from the root along `remembered` (a path below the root, compared
// without regard to case), expanding each matching folder; stops at the
// first level without a match (the root stays selected), or at a library or
// an empty folder (that item is selected).
RememberedWalk WalkRememberedPath(const CLibraryStore& store, const std::string& remembered);

} // namespace kavrel
