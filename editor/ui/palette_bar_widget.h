// CColorPaletteBar: the colour palette bar, a dock of the main window (bar id
// 1003, "Colors", left or right). It shows CPaletteBar (editor/palette_bar.h)
// and hands it the mouse, the colour dialog and its slider timer; the bar's
// logic is what new editing windows take their colours from.
//
// The main window creates one, docks it on the right, calls Follow with the
// active editing window on its 50 ms update, and hands it the commands it
// claims: ID_VIEW_COLORS_TOOLBAR (show or hide the bar) and the palette
// commands ID_PALETTE_STANDARD, ID_PALETTE_SAVE, ID_PALETTE_OPEN,
// ID_PALETTE_MODIFY and ID_PALETTE_GRADIENT.
#pragma once

#include <QDockWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "document/cmd_target.h"
#include "editor/palette_bar.h"

class QMenu;

namespace kavrel {

class CIconView;

inline constexpr int kColorBarId = 1003;

class CColorPaletteBar : public QDockWidget, public CCmdTarget {
    Q_OBJECT
  public:
    explicit CColorPaletteBar(QWidget* parent = nullptr);
    ~CColorPaletteBar() override;

    // The one of the main window (nullptr when none exists).
    static CColorPaletteBar* Instance();

    CPaletteBar& Logic() { return *logic_; }
    // The bar's client area, kPaletteBarWidth x kPaletteBarHeight, in whose
    // coordinates the layout is given.
    QWidget* Canvas() const;
    // The four buttons over the top of the canvas.
    QWidget* ToolStrip() const { return strip_; }

    // Follows the active editing window (nullptr: none is active).
    void Follow(CIconView* view);
    bool Follows(const CIconView* view) const;
    // Called after the bar was shown or hidden by its command.
    void SetToggledHandler(std::function<void()> handler) { toggled_ = std::move(handler); }
    // Replaces the colour dialog (tests); nullptr restores the real one.
    void SetColourDialog(ColourDialog* dialog);

    // Context pop-up 4, its items sent to this bar or the main window.
    QMenu* BuildContextMenu(QWidget* parent);

    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

  private:
    class CanvasWidget;
    class Timer;
    class QtColourDialog;
    void ShowContextMenu(const QPoint& global);
    void UpdateToolStrip();

    std::unique_ptr<CPaletteBar> logic_;
    CanvasWidget* canvas_ = nullptr;
    QWidget* strip_ = nullptr;
    std::unique_ptr<Timer> timer_;
    std::unique_ptr<QtColourDialog> dialog_;
    std::function<void()> toggled_;
};

} // namespace kavrel
