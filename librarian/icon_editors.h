// Icon editors linked to the icon grid they were opened from: the librarian
// bar, a library window or a program-file window. An editor knows its source
// and the icon's position there; Update puts the edited icon back into the
// source list and marks the source modified.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/icon_document.h"
#include "librarian/icon_list.h"

namespace kavrel {

constexpr int kStrIconInSource = 94;         // "Icon %d in %s"
constexpr int kStrQuotedLibrary = 55056;     // "\"%s\""
constexpr int kStrQuotedProgramFile = 55057; // "\"%s\""
constexpr int kStrSaveIconInFile = 55043;    // "Save changes in icon %s in the file %s ?"
constexpr int kStrSaveIconInLibrary = 55076; // "Save changes in icon %s in library %s ?"
constexpr int kStrPosition = 24;             // "%d"

// What an icon grid is to the editors opened from it.
class IconSourceWindow {
  public:
    virtual ~IconSourceWindow() = default;
    virtual CIconList& SourceList() = 0;
    // The librarian bar or a library window: formats may be added and
    // deleted, and the close question names a library.
    virtual bool IsLibrarySource() const = 0;
    // The text naming the source in titles and questions, in double quotes.
    virtual std::string SourceName() const = 0;
    virtual void SourceModified() = 0;
};

class CFileIconDoc : public CIconDocument {
  public:
    // The editor of icon `index` of `source`; OnNewDocument fills it.
    CFileIconDoc(IconSourceWindow* source, int index);
    ~CFileIconDoc() override;

    IconSourceWindow* Source() const { return source_; }
    int Index() const { return index_; }
    // The format the source list was showing for the icon, to start on.
    int StartFormat() const { return startFormat_; }

    // Copies the source's icon, name included, and titles the window
    // "Icon %d in %s". False when the source no longer has the icon.
    bool OnNewDocument() override;
    // An empty path saves into the source (Update); any other writes an ICO
    // file and keeps the modified flag, so the pending change still reaches
    // the source.
    bool OnSaveDocument(const std::string& path) override;
    // Replaces the source's item with this icon and marks the source
    // modified; the modified flag is cleared. Formats left as they were read
    // keep their bytes. True without a source.
    bool SaveIntoSource();
    // The question before the window closes: 55076 (library sources) or
    // 55043 naming the icon (its name in quotes, else its position) and the
    // source. Yes updates the source, No drops the changes.
    SaveResult SaveModified() override;
    // Formats may be added or deleted only for library sources: a program
    // file keeps the layout of its images.
    bool CanChangeFormats() const { return source_ && source_->IsLibrarySource(); }

    // The window of this editor, closed by CloseEditorsOf; set by the frame.
    std::function<void()> closeWindow;
    // Brings an existing window forward; set by the frame.
    std::function<void()> activateWindow;

  private:
    IconSourceWindow* source_;
    int index_;
    int startFormat_ = 0;
};

// The editors open now, in the order they were opened.
std::vector<CFileIconDoc*> OpenIconEditors();
// The editor of (source, index), or nullptr.
CFileIconDoc* FindIconEditor(const IconSourceWindow* source, int index);
// Editors of the source that hold changes.
int ModifiedEditorsOf(const IconSourceWindow* source);
// Closes every editor of the source, one at a time: a modified one is first
// saved into the source when `writeBack`, else its changes are dropped.
void CloseEditorsOf(const IconSourceWindow* source, bool writeBack);

} // namespace kavrel
