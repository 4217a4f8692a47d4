// "NOTE: Program File": what can and cannot be done with the icons of a
// program file, shown after one opens while ShowWarnExeType is 1. Closing
// writes the check box back to ShowWarnExeType.
#pragma once

#include <QDialog>

class QCheckBox;

namespace kavrel {

class CProgramNoteDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CProgramNoteDialog(QWidget* parent = nullptr);
    QCheckBox* AlwaysDisplay() const { return always_; }
    void done(int result) override;

  private:
    QCheckBox* always_ = nullptr;
};

// Shows the note when ShowWarnExeType asks for it.
void ShowProgramNoteIfWanted(QWidget* parent);

} // namespace kavrel
