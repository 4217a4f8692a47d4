// What the editor needs of the main window, so that editor/ui does not depend
// on the shell above it. The main window implements EditorHost and registers
// itself with SetEditorHost at start-up (and nullptr when it goes away); with
// no host the editor simply does without status texts, preview and frame.
//
// The main window knows the view only as a CFrameView (document/document.h):
// when the active document window changes it calls OnActivateView(false) on
// the view that was active and (true) on the new one, which makes the
// actual-size preview and the palette bar follow it; every 50 ms it calls
// UpdateStatus on the active view unless IsBusy.
//
// The drop-down list of image formats: the view creates and fills its own
// QComboBox (CIconView::FormatList()); the frame puts it into its local
// toolbar with QToolBar::addWidget, which reparents it. The view keeps a
// guarded pointer to it and deletes it only if no toolbar ever adopted it.
#pragma once

#include <cstdint>
#include <string>

#include "document/cmd_target.h"

namespace kavrel {

class CIconView;

class EditorHost {
  public:
    virtual ~EditorHost() = default;

    // Panes 1 to 5 of the status bar (format, position, size, zoom, modified);
    // the text goes to the status bar as it stands, glyph prefix included.
    virtual void SetStatusPaneText(int pane, const std::string& text) = 0;
    virtual bool IsStatusBarShown() const = 0;

    // The "Scale 1:1" bar's actual-size preview should draw again.
    virtual void RepaintActualSizePreview() = 0;

    // Makes the view's child frame the active document window.
    virtual void ActivateViewFrame(CIconView* view) = 0;

    // Sends a command to the main window (for example ID_VIEW_LIBRARIAN, the librarian
    // window command sent by Esc).
    virtual void SendMainWindowCommand(std::uint16_t id) = 0;
    // The state of a command along the main window's route (for the items of
    // the view's context menu that other targets handle). Unclaimed by default.
    virtual CCmdUI UpdateMainWindowCommand(std::uint16_t id)
    {
        CCmdUI ui;
        ui.id = id;
        ui.enabled = false;
        return ui;
    }

    // The local toolbar of the view's child frame (commands ID_VIEW_LOCAL_TOOLBAR / ID_LOCAL_TOOLBAR_HIDE).
    virtual bool IsLocalToolbarShown(CIconView* view) const = 0;
    virtual void ShowLocalToolbar(CIconView* view, bool show) = 0;

    // Tab and Space in the view: give the keyboard focus to the librarian
    // window when it is visible; false when it is not.
    virtual bool FocusLibrarian() = 0;
};

EditorHost* GetEditorHost();
void SetEditorHost(EditorHost* host);

} // namespace kavrel
