// The editor of an icon taken from a program file, a library window or the
// librarian: the icon editor view with Update, which puts the icon back into
// its source list.
#pragma once

#include "document/icon_document.h"
#include "editor/ui/icon_view.h"
#include "librarian/icon_editors.h"

namespace kavrel {

// The creation argument of a linked editor: the source and the position.
class LinkedIconSource final : public IconSource {
  public:
    LinkedIconSource(IconSourceWindow& window, int index) : window_(window), index_(index) {}
    bool FillDocument(CIconDocument&) override { return false; }
    IconSourceWindow& Window() const { return window_; }
    int Index() const { return index_; }

  private:
    IconSourceWindow& window_;
    int index_;
};

class CFileIconView : public CIconView {
    Q_OBJECT
  public:
    explicit CFileIconView(CFileIconDoc* doc, QWidget* parent = nullptr);

    CFileIconDoc* GetFileIconDoc() const { return fileDoc_; }

    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

  private:
    void Update();
    void SaveAsIco();

    CFileIconDoc* fileDoc_;
};

} // namespace kavrel
