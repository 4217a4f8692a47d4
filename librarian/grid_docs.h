// The documents of the two icon-grid windows: a program file (its icons are
// written back into the file in place) and an icon library opened on its
// own. Each owns the icon list its window paints; editors opened from it
// link to it as their source.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/document.h"
#include "librarian/icon_editors.h"
#include "librarian/icon_list.h"
#include "librarian/icon_payload.h"
#include "librarian/librarian.h"
#include "model/progress.h"

namespace kavrel {

constexpr int kStrSaveFile = 55045;          // "Save changes in the file "%s" ?"
constexpr int kStrSaveEditorsOfFile = 55046; // "... all edit windows associated with the file "%s" ?"
constexpr int kStrTotalIconsFile = 55038;    // "Total : %d Icons"
constexpr int kStrTotalIconsLibrary = 86;    // "Total : %d icons"
constexpr int kStrNSelected = 55040;         // "%d Selected"

// The texts of the status bar while a grid window is active; a pane the
// window does not use is empty.
struct GridStatus {
    std::string message;   // the message pane
    std::string count;     // pane 1
    std::string selection; // pane 2
    std::string modified;  // pane 3: "@3 " or three spaces
};

// The display options both kinds of window take from File* settings.
IconListOptions GridOptionsFromSettings(bool numbers);
// Stores a window's options as the shared settings, for the next window.
void StoreGridOptions(const IconListOptions& options);

// Shared by both documents: the list, the editors' link and the questions
// before closing.
class CGridDoc : public CDocument, public IconSourceWindow {
  public:
    CIconList& List() { return list_; }
    const CIconList& List() const { return list_; }
    CIconList& SourceList() override { return list_; }
    void SourceModified() override { SetModifiedFlag(true); }

    // Before the window closes: 55046 for modified editors opened from this
    // document (Yes updates them first), every such editor closed, then 55045
    // for the document itself (Yes saves).
    SaveResult SaveModified() override;
    // Before an edit that breaks the editors' links (delete, drop): 55064
    // for modified editors, then every editor closed. False on Cancel.
    bool CloseEditorsForEdit();

    virtual GridStatus Status() const = 0;

  protected:
    CIconList list_;
};

// The icons of a program file (EXE, DLL, OCX, CPL, DRV, VBX).
class CFileDoc : public CGridDoc {
  public:
    CFileDoc();
    // "\nEXE File..." template string.
    static constexpr int kTemplateStringId = 5;

    bool IsLibrarySource() const override { return false; }
    std::string SourceName() const override;

    // Reads the icons with their file offsets; a file without icons shows
    // 55048 and fails.
    bool OnOpenDocument(const std::string& path) override;
    // Writes the edited images back in place (see SaveIconsIntoProgramFile);
    // the modified flag is cleared only when written.
    bool OnSaveDocument(const std::string& path) override;
    GridStatus Status() const override;

    static void SetProgressSink(ProgressSink* sink);
};

// An icon library in a window of its own.
class CLibDoc : public CGridDoc {
  public:
    CLibDoc();
    ~CLibDoc() override;
    static constexpr int kTemplateStringId = 6;

    bool IsLibrarySource() const override { return true; }
    std::string SourceName() const override;

    // Reads the library; one without icons opens empty. The first icon is
    // selected and the modified flag cleared.
    bool OnOpenDocument(const std::string& path) override;
    // Writes the list as a library through the atomic writer; 55060 on a
    // failure, which leaves the document modified.
    bool OnSaveDocument(const std::string& path) override;
    GridStatus Status() const override;

    // Appends the icons of each file, unnamed ones named after the file
    // ("Arrows", or "Arrows 1", "Arrows 2", ... for several); files without
    // icons are reported (55048 / 55049). Returns how many icons came in.
    int Import(const std::vector<std::string>& paths);
    // Removes the selected icons after the editors are dealt with.
    bool DeleteSelected();
    void RenameSelected(const std::string& baseName);
    void RenameOne(int index, const std::string& name);
    // Icons dropped at `index`: copies inserted and selected, unnamed
    // program-file icons named after their file. When the drop moves icons
    // within this library the originals go; a move from elsewhere is the
    // source's to finish. False when refused or cancelled.
    bool Drop(const IconPayload& payload, int index, bool ctrlHeld);
    // After icons dragged from here were moved elsewhere.
    void RemoveMovedIcons(const std::vector<int>& indices);

    // The window, closed when the librarian needs the library back; set by
    // the frame.
    std::function<void()> closeWindow;
};

// The library windows open now.
std::vector<CLibDoc*> OpenLibraryDocs();

// The librarian bar as the source of the editors opened from its list.
class LibrarianBarSource : public IconSourceWindow {
  public:
    explicit LibrarianBarSource(CLibrarian& librarian) : librarian_(librarian) {}
    CIconList& SourceList() override;
    bool IsLibrarySource() const override { return true; }
    std::string SourceName() const override;
    void SourceModified() override;

  private:
    CLibrarian& librarian_;
};

// What the windows tell the librarian: the editors opened from its list or
// from a library window, and the libraries open in windows.
class GridLibrarianLinks : public LibrarianLinks {
  public:
    GridLibrarianLinks(CLibrarian& librarian, LibrarianBarSource& bar) : librarian_(librarian), bar_(bar) {}
    LibrarianBarSource& Bar() { return bar_; }
    int ModifiedEditors(const std::string& libraryPath) override;
    void CloseEditors(const std::string& libraryPath, bool writeBack) override;
    std::vector<std::string> OpenLibraryWindows() override;
    void CloseLibraryWindow(const std::string& path, bool save) override;
    // A library window opened: when it holds the bar's library, the bar's
    // list turns disabled until another library is shown.
    void LibraryWindowOpened(const std::string& path);
    // A library window closed: when it held the bar's library, the bar
    // loads it afresh at its next timer step.
    void LibraryWindowClosed(const std::string& path);

  private:
    const IconSourceWindow* SourceFor(const std::string& libraryPath);
    CLibrarian& librarian_;
    LibrarianBarSource& bar_;
};

} // namespace kavrel
