// "WARNING : File Associations": the four boxes of the start-up step.
#pragma once

#include <QDialog>

#include "shell/core/associations.h"

class QCheckBox;

namespace kavrel {

class CAssociationDialog : public QDialog {
    Q_OBJECT
  public:
    CAssociationDialog(const AssociationChoices& choices, QWidget* parent = nullptr);
    AssociationChoices Choices() const;
    QCheckBox* Box(int control) const; // 1113, 1114, 1042 or 1043
};

// The dialog as the start-up step shows it.
class QtAssociationWarning : public AssociationWarning {
  public:
    explicit QtAssociationWarning(QWidget* parent) : parent_(parent) {}
    bool Show(AssociationChoices& choices) override;

  private:
    QWidget* parent_;
};

} // namespace kavrel
