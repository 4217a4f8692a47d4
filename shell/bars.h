// The main window's toolbars: Standard, Draw (buttons in rows of 4) and the
// "Scale 1:1" bar holding the actual-size preview. Buttons are the command
// router's shared actions, so they send command ids along the active route
// and take their enabled and checked state from it.
#pragma once

#include <QIcon>
#include <QToolBar>
#include <cstdint>
#include <span>

#include "resources/command_ids.h"

class QMainWindow;
class QToolButton;

namespace kavrel {

class CCommandRouter;
class CActualSizePreview;

// Bar ids (also the bars' object names, "Bar<id>", under which the bar
// layout is saved).
inline constexpr int kStandardBarId = ID_VIEW_TOOLBAR;
inline constexpr int kDrawBarId = 1001;
inline constexpr int kScaleBarId = 1002;

// Button lists, 0 being a separator.
std::span<const std::uint16_t> StandardToolbarButtons();
std::span<const std::uint16_t> DrawToolbarButtons();

// Our own button image of a command (a null icon for a command without one).
QIcon CommandIcon(std::uint16_t id);

// The Draw toolbar: its buttons wrap into rows of 4 and a separator always
// ends a row. Docks left or right only.
class CDrawToolBar : public QToolBar {
    Q_OBJECT
  public:
    static constexpr int kColumns = 4;
    CDrawToolBar(CCommandRouter& router, QWidget* parent = nullptr);
    // The button of a command (nullptr when the bar has none).
    QToolButton* Button(std::uint16_t id) const;
    // Row and column of a command's button, or (-1, -1).
    std::pair<int, int> Cell(std::uint16_t id) const;
    int RowCount() const { return rows_; }

  private:
    int rows_ = 0;
};

// The "Scale 1:1" bar: the editor's actual-size preview.
class CScaleBar : public QToolBar {
    Q_OBJECT
  public:
    explicit CScaleBar(QWidget* parent = nullptr);
    CActualSizePreview* Preview() const { return preview_; }

  private:
    CActualSizePreview* preview_ = nullptr;
};

struct MainBars {
    QToolBar* standard = nullptr;
    CDrawToolBar* draw = nullptr;
    CScaleBar* scale = nullptr;
};

// Creates the three bars in frame and docks them: Standard at the top, the
// Scale 1:1 bar on the right with the Draw toolbar in the same dock row.
// Installs CommandIcon as the router's icon provider first.
MainBars CreateMainBars(QMainWindow* frame, CCommandRouter& router);

} // namespace kavrel
