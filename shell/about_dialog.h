// The About box (command ID_APP_ABOUT): the product's picture and name, the total
// physical memory and the screen's size and colour depth.
#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace kavrel {

class CAboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDialog(QWidget* parent = nullptr);
    QString MemoryText() const;
    QString VideoText() const;

  private:
    QLabel* memory_ = nullptr;
    QLabel* video_ = nullptr;
};

// The memory line of this machine ("%ld KB of  RAM"), empty when unknown.
std::string SystemMemoryLine();

void ShowAboutBox(QWidget* parent);

} // namespace kavrel
