// The views of the icon-grid windows: CFileView on a program file and
// CLibView on an icon library. Both fill their client area with the shared
// icon grid and forward their commands to the plain grid commands.
#pragma once

#include <QWidget>
#include <functional>

#include "document/document.h"
#include "librarian/grid_commands.h"

class QPrinter;

namespace kavrel {

class CIconListBox;
class GridLibrarianLinks;

// What the grid windows need of the application.
struct GridViewHooks {
    std::function<void(IconSourceWindow&, int)> openLinkedIcon;
    std::function<void(const CIconGroup&)> openAsNewIcon;
    std::function<void(int pane, const std::string&)> setStatusText;
    // Tab and Space: the keyboard focus to the librarian bar; Esc hides it.
    std::function<void()> focusLibrarian;
    std::function<void()> hideLibrarian;
    // The printer that keeps the settings of Print Setup (nullptr: the
    // print module's own).
    std::function<QPrinter*()> printer;
};
void SetGridViewHooks(GridViewHooks hooks);
// The links between the librarian and the grid windows, made with the bar.
GridLibrarianLinks* GridLinks();

class CGridView : public QWidget, public CDocumentView, public CFrameView, public CCmdTarget, private GridWindowHost {
    Q_OBJECT
  public:
    explicit CGridView(CGridDoc* doc, QWidget* parent = nullptr);
    ~CGridView() override;

    CGridDoc* GetDocument() const { return doc_; }
    CIconListBox* ListBox() const { return box_; }

    // CDocumentView: the list changed (an Update, a save).
    void OnDocumentUpdate(CDocumentView* sender, long hint) override;
    // CFrameView: the status panes of Part program file / library.
    void UpdateStatus() override;
    void OnActivateView(bool active) override;
    // CCmdTarget
    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

  private:
    // GridWindowHost
    void OpenLinkedIcon(IconSourceWindow& source, int index) override;
    void OpenAsNewIcon(const CIconGroup& icon) override;
    CLibrarian* Librarian() override;
    void RebuildList() override;
    bool ConfirmDelete(int count) override;
    std::optional<std::string> AskName(const std::string& current, int count) override;
    void Compile() override;
    void Print(bool preview) override;

    bool OnKey(int key, Qt::KeyboardModifiers mods);

    CGridDoc* doc_;
    CIconListBox* box_;
};

class CFileView final : public CGridView {
    Q_OBJECT
  public:
    explicit CFileView(CFileDoc* doc, QWidget* parent = nullptr) : CGridView(doc, parent) {}
};

class CLibView final : public CGridView {
    Q_OBJECT
  public:
    explicit CLibView(CLibDoc* doc, QWidget* parent = nullptr) : CGridView(doc, parent) {}
};

} // namespace kavrel
