// The librarian's state behind its bar: the store on disk, the one library
// shown in the bar's icon list (its path, label, modified and loaded flags,
// the pending new library), the debounced loading that follows the tree's
// selection, and every operation on folders, libraries and dropped icons
// with its questions and refusals. The bar (Qt) only turns clicks and keys
// into these calls and paints the results.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "librarian/icon_list.h"
#include "librarian/icon_payload.h"
#include "librarian/store.h"
#include "model/progress.h"

namespace kavrel {

// String-table numbers of the librarian's questions and messages.
constexpr int kStrSaveEditorsOfLibrary = 55058;   // "Save changes in all edit windows associated with the library %s ?"
constexpr int kStrSaveLibraryChanges = 55059;     // "Save changes in the library "%s" ?"
constexpr int kStrRootNotRemovable = 55063;       // "You can't remove the root folder."
constexpr int kStrCloseEditorsOfLibrary = 55064;  // "... close all edit windows associated with the library ..."
constexpr int kStrDeleteFailed = 55065;           // "An error has occured while deleting the current library. ..."
constexpr int kStrCloseLibrariesInFolder = 55131; // "To rename this folder, Kavrel must close some icon libraries. ..."

// What the librarian needs from the windows above it: the icon editors
// opened from its libraries' icons and the libraries open in windows of
// their own. The defaults stand for a program with no such window.
class LibrarianLinks {
  public:
    virtual ~LibrarianLinks() = default;
    // How many editors opened from the library's icons hold changes.
    virtual int ModifiedEditors(const std::string& libraryPath)
    {
        (void)libraryPath;
        return 0;
    }
    // Closes every editor opened from the library, writing each icon back
    // into the shown list first when `writeBack`.
    virtual void CloseEditors(const std::string& libraryPath, bool writeBack) { (void)libraryPath, (void)writeBack; }
    // The paths of the libraries open in windows of their own.
    virtual std::vector<std::string> OpenLibraryWindows() { return {}; }
    virtual void CloseLibraryWindow(const std::string& path, bool save) { (void)path, (void)save; }
};

class CLibrarian {
  public:
    // Milliseconds from any fixed start; tests give their own.
    using Clock = std::function<std::int64_t()>;
    static constexpr std::int64_t kDebounceMs = 200;

    explicit CLibrarian(std::string root);

    void SetLinks(LibrarianLinks* links) { links_ = links ? links : &noLinks_; }
    void SetProgress(ProgressSink* progress) { progress_ = progress ? progress : &NullProgress(); }
    void SetClock(Clock clock);

    CLibraryStore& Store() { return store_; }
    const CLibraryStore& Store() const { return store_; }
    CIconList& List() { return list_; }
    const CIconList& List() const { return list_; }

    // ---- the shown library ----
    const std::string& ShownPath() const { return shownPath_; }
    const std::string& ShownLabel() const { return shownLabel_; }
    bool Loaded() const { return loaded_; }
    bool Modified() const { return modified_; }
    void SetModified() { modified_ = true; }
    const std::string& PendingNewLibrary() const { return pendingPath_; }
    // The shown library is open in a window of its own: the list is
    // disabled and takes no edits.
    bool ShownOpenElsewhere();
    bool IsOpenInWindow(const std::string& path);

    // Loads a library into the list (an empty path empties it), after
    // Save-if-needed with the forced flag. A pending new library is written
    // empty on its first load.
    void Load(const std::string& path, const std::string& label = "");
    // The Save library command: writes when modified; the flag is cleared
    // only when the write succeeded. False after a failed write (reported).
    bool Save();
    // Asks (unless ConfirmeSave is 0) and writes what the shown library and
    // its editors hold. With `forced` the modified flag is clear afterwards
    // whatever the answer: the list is about to be replaced.
    void SaveIfNeeded(bool forced);

    // ---- the tree's selection, debounced ----
    // Called from the main window's periodic timer with the tree's current
    // selection: a selection that stayed 200 ms is loaded (a library) or
    // empties the list (a folder or the root).
    void TimerStep(const LibEntry& selection);
    // While a new item is being named nothing is loaded.
    void SetNaming(bool naming) { naming_ = naming; }
    // Forces the next timer step to load again (a library window on the
    // shown library closed).
    void ResetNotedSelection() { noted_ = "@"; }

    // ---- folders and libraries (refusals beep) ----
    bool NewFolder(const std::string& parent, const std::string& name, std::string* result = nullptr);
    // Only checks the name and notes the library as pending: its file is
    // written when it is first loaded.
    bool NewLibrary(const std::string& parent, const std::string& name, std::string* result = nullptr);
    bool RenameLibrary(const std::string& path, const std::string& newName, std::string* result = nullptr);
    // Closes the library windows inside the folder first (asking 55131);
    // false when the user cancels or the rename fails.
    bool RenameFolder(const std::string& path, const std::string& newName, std::string* result = nullptr);
    bool Move(const std::string& dragged, const std::string& target, std::string* result = nullptr);
    void DeleteLibrary(const std::string& path);
    // Reports 55065 on failure.
    bool DeleteFolder(const std::string& path);
    // The root cannot go: 55063.
    void RefuseRootDelete();

    // ---- icons of the shown list ----
    // Deals with the editors opened from the shown library before an
    // operation that closes them (55064 with Yes, No, Cancel); false on Cancel.
    bool CloseEditorsForEdit();
    // Removes the selected icons (after CloseEditorsForEdit); the library
    // becomes modified. Returns the index selected afterwards.
    int DeleteSelectedIcons();
    void RenameIcon(int index, const std::string& name);
    void RenameSelectedIcons(const std::string& baseName);
    // Appends copies (F3 in an editor, Add to the librarian), selected.
    bool AddIcons(std::vector<CIconGroup> icons);

    // ---- drops ----
    // The key this list puts in its payloads.
    std::string SourceKey() const { return shownPath_; }
    IconPayload DragPayload() const;
    // Icons dropped on the list at `dropIndex`: inserted in dragged order and
    // selected. A move within this list takes the originals out. False when
    // refused (beep) or cancelled.
    bool DropOnList(const IconPayload& payload, int dropIndex, bool ctrlHeld);
    // Icons dropped on a library in the tree: refused for the shown library
    // or one open in its own window; otherwise read, the icons inserted at
    // its beginning and written at once (55060 on failure).
    bool DropOnLibrary(const std::string& path, const IconPayload& payload);
    // After a move out of this list to elsewhere: the originals go, the item
    // at the first removed index is selected, the library becomes modified.
    void RemoveMovedIcons(const std::vector<int>& indices);

  private:
    bool WriteShown();
    void Forget();
    void RebaseShown(const std::string& from, const std::string& to);

    CLibraryStore store_;
    CIconList list_;
    LibrarianLinks noLinks_;
    LibrarianLinks* links_ = &noLinks_;
    ProgressSink* progress_ = &NullProgress();
    Clock clock_;

    std::string shownPath_, shownLabel_, pendingPath_;
    bool loaded_ = false;
    bool modified_ = false;

    std::string noted_ = "@";
    std::int64_t notedAt_ = 0;
    bool loadDue_ = false;
    bool naming_ = false;
};

} // namespace kavrel
