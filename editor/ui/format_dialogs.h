// The other dialogs of the format commands ("Delete an image format",
// "Select an image format", "Insufficient video configuration", "Convert to
// another depth") and the Qt
// side of FormatDialogs that the program installs at start-up.
#pragma once

#include <QDialog>
#include <vector>

#include "editor/format_rules.h"

class QButtonGroup;
class QCheckBox;

namespace kavrel {

class CFormatListBox;

class CDeleteFormatDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CDeleteFormatDialog(const CIcon& format, QWidget* parent = nullptr);
};

class CSelectFormatDialog : public QDialog {
    Q_OBJECT
  public:
    CSelectFormatDialog(const std::vector<CIcon>& formats, int current, QWidget* parent = nullptr);
    int Chosen() const;
    CFormatListBox* FormatList() const { return list_; }

  private:
    CFormatListBox* list_ = nullptr;
};

class CColourWarningDialog : public QDialog {
    Q_OBJECT
  public:
    CColourWarningDialog(const std::string& text1, const std::string& text2, QWidget* parent = nullptr);
    bool AlwaysWarn() const;
    QCheckBox* AlwaysBox() const { return always_; }

  private:
    QCheckBox* always_ = nullptr;
};

// "Convert to another depth": the format and the depths it can go to.
class CConvertDepthDialog : public QDialog {
    Q_OBJECT
  public:
    CConvertDepthDialog(const CIcon& format, int currentDepth, QWidget* parent = nullptr);
    int Chosen() const; // the depth checked, or -1
    QButtonGroup* Depths() const { return group_; }

  private:
    QButtonGroup* group_ = nullptr;
};

// Shows the dialogs above the active window.
class CQtFormatDialogs final : public FormatDialogs {
  public:
    NewFormatResult NewFormat(const std::vector<CIcon>& formats, const NewFormatChoices& start) override;
    bool ConfirmDelete(const CIcon& format) override;
    int SelectFormat(const std::vector<CIcon>& formats, int current) override;
    bool ColourWarning(const std::string& text1, const std::string& text2) override;
    int ConvertDepth(const CIcon& format, int currentDepth) override;
};

// The program's one instance.
FormatDialogs& QtFormatDialogs();

} // namespace kavrel
