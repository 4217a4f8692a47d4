// The compile dialog ("Compile a Stand-Alone Executable Library") and the
// Compile command of the librarian bar and the library windows.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "librarian/icon_list.h"

class QLineEdit;
class QLabel;

namespace kavrel {

class CIconListBox;

inline constexpr const char* kCompileDialogTitle = "Compile a Stand-Alone Executable Library";
inline constexpr const char* kCompileButtonText = " COMPILE ! ";
inline constexpr const char* kCopyrightInfoTitle = "More Informations about Copyright";

class CCompileDialog : public QDialog {
    Q_OBJECT
  public:
    // `icons` are copies of the icons to compile; the fields start from the
    // settings ExeFileName, ExeTitle and ExeCopyright.
    CCompileDialog(std::vector<CIconGroup> icons, QWidget* parent = nullptr);
    ~CCompileDialog() override;

    std::string Path() const;
    std::string Title() const;
    std::string Copyright() const;

    QLineEdit* PathEdit() const { return path_; }
    QLineEdit* TitleEdit() const { return title_; }
    QLineEdit* CopyrightEdit() const { return copyright_; }
    QLabel* Warning() const { return warning_; }
    const CIconList& IconList() const { return list_; }

    // Browse...: a save-file dialog through Chooser(); the chosen file name in
    // lower case (its folder as chosen, since folders differ by case here).
    void Browse();
    // "More Informations about Copyright".
    void MoreInfos();

  private:
    CIconList list_;
    QLineEdit* path_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* copyright_ = nullptr;
    QLabel* warning_ = nullptr;
    CIconListBox* box_ = nullptr;
};

// Compile (command 32919 of the librarian bar, 32918 of a library window):
// with at most one icon selected the whole list is compiled and selected,
// else the selected icons; the dialog, then the compiled file written with
// the viewer the program carries. True when a file was written.
bool CompileIcons(CIconList& list, QWidget* parent);

} // namespace kavrel
