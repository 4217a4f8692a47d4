// The Import image dialog: a file dialog of our own drawing with a panel
// that previews the selected picture while "&Preview" is checked.
#pragma once

#include <QFileDialog>
#include <string>

class QCheckBox;
class QLabel;

namespace kavrel {

class CPictureDialog : public QFileDialog {
    Q_OBJECT
  public:
    // filter in the "Name|patterns|...|" form of the string table.
    CPictureDialog(QWidget* parent, const std::string& title, const std::string& filter);

    std::string ChosenPath() const;
    QCheckBox* PreviewBox() const { return previewBox_; }
    // The picture the panel shows (null when none).
    QImage PreviewImage() const;

  public slots:
    void ShowPreview(const QString& path);

  private:
    QCheckBox* previewBox_ = nullptr;
    QLabel* picture_ = nullptr;
    QString shown_;
};

// Qt name filters for a "Name|patterns|...|" filter.
QStringList PictureNameFilters(const std::string& filter);

// Shows the dialog; the chosen file, or empty when cancelled.
std::string ChoosePictureFile(QWidget* parent, const std::string& title, const std::string& filter);

} // namespace kavrel
