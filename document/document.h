// The document of the framework: title, path, modified flag and the views
// that show it. Documents are plain C++; the Qt shell puts their views in
// child frames.
#pragma once

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

class CDocument : public CCmdTarget {
  public:
    ~CDocument() override = default;

    const std::string& GetTitle() const { return title_; }
    virtual void SetTitle(const std::string& title) { title_ = title; }
    const std::string& GetPathName() const { return path_; }
    void SetPathName(const std::string& path) { path_ = path; }

    bool IsModified() const { return modified_; }
    virtual void SetModifiedFlag(bool modified = true) { modified_ = modified; }

    const std::vector<CDocumentView*>& Views() const { return views_; }
    void AddView(CDocumentView* view);
    void RemoveView(CDocumentView* view);
    void UpdateAllViews(CDocumentView* sender, long hint = 0);

    // The framework's steps; each gives false on failure.
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const std::string& path) = 0;
    virtual bool OnSaveDocument(const std::string& path) = 0;
    virtual void DeleteContents() {}

  private:
    std::string title_;
    std::string path_;
    bool modified_ = false;
    std::vector<CDocumentView*> views_;
};

} // namespace kavrel
