// The Open dialog of the Open and Import commands: a file dialog of our own
// drawing (never the desktop's, so it looks and behaves the same everywhere)
// with a preview panel listing the icons of the selected file.
#pragma once

#include <string>
#include <vector>

#include <QFileDialog>

#include "platform/prompter.h"

class QLabel;
class QListWidget;

namespace kavrel {

class COpenDialog : public QFileDialog {
    Q_OBJECT
public:
    // filter in the "Name|patterns|...||" form of the string table.
    COpenDialog(QWidget* parent, const std::string& title, const std::string& filter, bool multiple);

    // The chosen files as full paths, after exec() accepted.
    std::vector<std::string> ChosenPaths() const;

    // The panel as it stands: "%d icon(s) in %s :", "(No icon)",
    // "(Multiple selection)" or empty with no file selected; the icons' names.
    QString PreviewCaption() const;
    QStringList PreviewNames() const;

public slots:
    // Refills the panel from the file-name text and the selection.
    void UpdatePreview();

private:
    QString SelectedFile() const;

    QLabel* caption_ = nullptr;     // control 1013
    QListWidget* icons_ = nullptr;  // control 1012
    QString shownFile_;
};

// The dialog's name filters for Qt: each entry as "Name (pattern pattern)".
QStringList QtNameFilters(const std::string& filter);

// Shows the Open dialog and gives the chosen paths; empty when cancelled.
// The preview panel is shown when the filter offers files that hold icons.
std::vector<std::string> ShowOpenDialog(QWidget* parent, const std::string& title, const std::string& filter,
                                        bool multiple);

// The FileChooser of the Qt shell: ChooseOpen shows the dialog above (with
// its preview whenever the filter offers icon files), ChooseSave a save
// dialog of the same kind. Install with SetFileChooser at start-up.
class QtFileChooser final : public FileChooser {
public:
    explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::vector<std::string> ChooseOpen(const std::string& title, const std::string& filter,
                                        bool multiple) override;
    std::string ChooseSave(const std::string& title, const std::string& filter,
                           const std::string& suggestedPath) override;

private:
    QWidget* parent_;
};

}  // namespace kavrel
