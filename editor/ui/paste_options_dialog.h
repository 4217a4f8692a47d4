// "Paste options": where a pasted image goes, at scale 1:1 or resized, in the
// editor area or in the selection. The choices for the selection are greyed
// when there is none.
#pragma once

#include <QDialog>
#include <QPointer>
#include <array>

#include "editor/clipboard.h"

class QRadioButton;

namespace kavrel {

class CPasteOptionsDialog final : public QDialog {
    Q_OBJECT
  public:
    CPasteOptionsDialog(int initial, bool selectionChoices, QWidget* parent = nullptr);
    int Placement() const;
    QRadioButton* Choice(int placement) const { return choices_[static_cast<std::size_t>(placement)]; }

  private:
    std::array<QRadioButton*, 4> choices_{};
};

// Asks with the dialog over a parent window.
class QtPasteOptionsPrompt final : public PasteOptionsPrompt {
  public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<int> Ask(int initial, bool selectionChoices) override;

  private:
    QPointer<QWidget> parent_;
};

} // namespace kavrel
