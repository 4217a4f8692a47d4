// The "Scale 1:1" bar's preview (control 1093): the edited image format of
// the active editing window at actual size, over the transparent pattern.
#pragma once

#include <QWidget>

namespace kavrel {

class CIconView;

class CActualSizePreview : public QWidget {
    Q_OBJECT
  public:
    explicit CActualSizePreview(QWidget* parent = nullptr);
    ~CActualSizePreview() override;

    // The active view whose format is shown; the main window sets it when the
    // active document window changes (nullptr: no editor is active).
    static void SetActiveView(CIconView* view);
    static CIconView* ActiveView();
    // Repaints every preview (the editor calls it after each change).
    static void RepaintAll();

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kavrel
