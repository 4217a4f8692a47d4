// The document of the framework: title, path, modified flag and the views
// that show it. Documents are plain C++; the Qt shell puts their views in
// child frames.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/cmd_target.h"

namespace kavrel {

class CDocument;

// The kinds of document the application opens, each with its template. The
// application registers their templates in this order.
enum class DocKind {
    Icon,        // an icon editor on an ICO file or a new icon
    IconInFile,  // an editor on an icon taken from a program file or library
    ProgramFile, // the icons of a program file
    IconLibrary, // an icon library (ICL) in its own window
};
inline constexpr int kStrSaveChanges = 61700;       // "Save changes to %s?"
inline constexpr int kStrSaveAsTitle = 61701;       // "Save As"
inline constexpr int kStrCannotSaveFile = 61708;    // "%s\nThe file could not be written..."
inline constexpr int kStrCannotSaveBecause = 61709; // "%s\nThe file could not be written: %s."

// What a document needs of a view that shows it.
class CDocumentView {
  public:
    virtual ~CDocumentView() = default;
    // The document changed; sender is the view that changed it (or nullptr).
    virtual void OnDocumentUpdate(CDocumentView* sender, long hint) { (void)sender, (void)hint; }
    // The document is about to be written: finish any edit the file must
    // not miss (an icon view stamps its floating selection in place).
    virtual void CommitBeforeSave() {}
};

// What the main window asks of its active view, whatever kind of document the
// view shows; the main window knows views only through this.
class CFrameView {
  public:
    virtual ~CFrameView() = default;
    // The view became (true) or stopped being (false) the active view.
    virtual void OnActivateView(bool active) { (void)active; }
    // A mouse operation is under way: the main window's periodic update waits.
    virtual bool IsBusy() const { return false; }
    // The main window's periodic update while the view is active and not busy:
    // the view writes its status texts and brings up to date what follows
    // the active view.
    virtual void UpdateStatus() {}
};

// How a save, or the question before closing, ended.
enum class SaveResult {
    Saved,     // written, or nothing needed writing
    Declined,  // the user chose not to save: the changes may go
    Cancelled, // the user cancelled: keep the document open
    Failed,    // not written, and the user has been told why
};

// Whether a document may close after SaveModified gave this.
inline bool CanClose(SaveResult result)
{
    return result == SaveResult::Saved || result == SaveResult::Declined;
}

class CDocument : public CCmdTarget {
  public:
    ~CDocument() override = default;

    const std::string& GetTitle() const { return title_; }
    virtual void SetTitle(const std::string& title) { title_ = title; }
    const std::string& GetPathName() const { return path_; }
    void SetPathName(const std::string& path) { path_ = path; }

    // Modified exactly when what the document holds differs from what was
    // last saved or opened.
    bool IsModified() const { return modified_ || DiffersFromSaved(); }
    // True marks a change that no undo takes back, kept until the next save.
    // False declares what the document holds now to be what is saved.
    void SetModifiedFlag(bool modified = true);

    const std::vector<CDocumentView*>& Views() const { return views_; }
    void AddView(CDocumentView* view);
    void RemoveView(CDocumentView* view);
    void UpdateAllViews(CDocumentView* sender, long hint = 0);

    // The framework's steps; each gives false on failure. OnSaveDocument
    // reports its own failures (and may ask questions of its own): false
    // means not written and the user knows why.
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const std::string& path) = 0;
    virtual bool OnSaveDocument(const std::string& path) = 0;
    virtual void DeleteContents() {}

    // Before the document closes: a modified document asks "Save changes to
    // %s?" through Prompts(); Yes saves (DoFileSave), No declines, Cancel
    // cancels. An unmodified document gives Saved at once. The caller closes
    // the document only on Saved or Declined.
    virtual SaveResult SaveModified();
    // Save: to the document's path, or to a chosen one when it has none or
    // its file is read-only.
    SaveResult DoFileSave();
    // Save As when askForPath, else as DoFileSave without the read-only check.
    SaveResult DoSave(bool askForPath);

    // The file type offered by Save As: filter name ("Icon Files (*.ICO)")
    // and default extension (".ico"), from the document's template.
    void SetFileType(std::string filterName, std::string extension);
    // Called after every successful save (the shell retitles windows and
    // updates the recent-file list).
    static void SetSavedHandler(std::function<void(CDocument&)> handler);

  protected:
    // Whether the content differs from the state recorded by
    // RememberSavedState (documents with an undo history compare states).
    virtual bool DiffersFromSaved() const { return false; }
    virtual void RememberSavedState() {}

  private:
    std::string title_;
    std::string path_;
    std::string filterName_;
    std::string extension_;
    bool modified_ = false;
    std::vector<CDocumentView*> views_;
};

// The message for a file that could not be written: the path, then the
// system's reason when one is known (an error number), else general advice.
std::string CannotSaveText(const std::string& path, int error);

} // namespace kavrel
