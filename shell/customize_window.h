// "Customize Windows": the modeless tool window over shell/core/customize_windows.h,
// with the pages "Parameters", "Desktop icons" and "Standard icons" above
// "Apply" and "Close". Close and the close box only hide it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QListWidget>
#include <QWidget>

#include "shell/core/customize_windows.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace kavrel {

// Chooses an icon of a file: the browse dialog of "&Change icon...".
class IconChooser {
  public:
    virtual ~IconChooser() = default;
    // Starts on `path`; true with the file and icon index chosen.
    virtual bool ChooseIcon(const std::string& title, std::string& path, int& index) = 0;
};

// The browse dialog: a file dialog with a panel listing the icons of the
// selected file ("Icons in %s :", "Icon %d"); double-clicking an icon chooses it.
class CIconBrowseDialog : public QDialog {
    Q_OBJECT
  public:
    CIconBrowseDialog(const QString& title, const QString& startPath, QWidget* parent = nullptr);
    QString SelectedFile() const { return file_; }
    int SelectedIcon() const;
    QListWidget* Icons() const { return icons_; }
    // Shows the icons of a file in the panel.
    void ShowIconsOf(const QString& path);

  private:
    QString file_;
    QLabel* caption_ = nullptr;
    QListWidget* icons_ = nullptr;
};

class QtIconChooser : public IconChooser {
  public:
    explicit QtIconChooser(QWidget* parent) : parent_(parent) {}
    bool ChooseIcon(const std::string& title, std::string& path, int& index) override;

  private:
    QWidget* parent_;
};

// One list of entries (pages 2 and 3), drawn as the items of an icon list.
// Icons dragged from the librarian bar, a library window or a program-file
// window drop on an entry: it takes their file and the first one's index.
class CCustomizeEntryList : public QListWidget {
    Q_OBJECT
  public:
    explicit CCustomizeEntryList(QWidget* parent = nullptr);
    // The entry marked as the drop target (-1: none).
    void SetDropHighlight(int entry);
    int DropHighlight() const { return dropHighlight_; }

  signals:
    // Icons of `path` dropped on `entry`; fromLibrarian: the librarian bar's library.
    void iconDropped(int entry, const QString& path, int index, bool fromLibrarian);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    int dropHighlight_ = -1;
};

class CCustomizeWindow : public QWidget {
    Q_OBJECT
  public:
    // core: the rules over the store; chooser: the browse dialog (a
    // QtIconChooser when null).
    CCustomizeWindow(std::unique_ptr<CustomizeWindows> core, QWidget* parent = nullptr, IconChooser* chooser = nullptr);
    ~CCustomizeWindow() override;

    CustomizeWindows& Core() { return *core_; }
    QTabWidget* Pages() const { return pages_; }
    QPushButton* ApplyButton() const { return apply_; }
    CCustomizeEntryList* List(int page) const; // 1 desktop icons, 2 standard icons
    std::vector<CustomEntry>& Entries(int page);

    // Page 1's controls.
    QRadioButton* SizeButton(int index) const { return sizes_[index]; }
    QSpinBox* HorizontalSpacing() const { return hSpacing_; }
    QSpinBox* VerticalSpacing() const { return vSpacing_; }
    QCheckBox* ArrowBox() const { return arrow_; }
    QCheckBox* HighColourBox() const { return highColour_; }
    QCheckBox* UseThemeBox() const { return useTheme_; }

    void Apply(bool fromClosing = false);
    // Change icon and Default icon on the selected entry of `page`.
    void ChangeIcon(int page);
    void DefaultIcon(int page);
    // The drop: entry under a point of the page's list (-1 for none); an icon
    // dropped there takes the file and index.
    int EntryAt(int page, const QPoint& listPoint) const;
    bool DropIcon(int page, int entry, const std::string& path, int index);
    // The main window closes: pending changes are applied after a question.
    void FrameClosing();
    // What saves the librarian bar's library before one of its icons is
    // taken by a drop (its file must hold what the user sees).
    void SetLibrarianSaver(std::function<void()> save) { saveLibrarian_ = std::move(save); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* MakeParameters();
    QWidget* MakeEntryPage(int page);
    void FillPage(int page);
    void RepaintEntry(int page, int entry);
    void Changed();

    std::unique_ptr<CustomizeWindows> core_;
    std::unique_ptr<IconChooser> ownChooser_;
    IconChooser* chooser_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QPushButton* apply_ = nullptr;
    QRadioButton* sizes_[4] = {};
    QSpinBox* hSpacing_ = nullptr;
    QSpinBox* vSpacing_ = nullptr;
    QCheckBox* arrow_ = nullptr;
    QCheckBox* highColour_ = nullptr;
    QCheckBox* useTheme_ = nullptr;
    CCustomizeEntryList* lists_[2] = {};
    std::vector<CustomEntry> entries_[2];
    bool filled_[2] = {false, false};
    bool loading_ = false;
    bool placed_ = false;
    std::function<void()> saveLibrarian_;
};

// The icon an entry shows: its file's icon, else icon 0 of the shell's
// file, else the desktop theme's icon of its name.
QPixmap EntryIcon(const CustomEntry& entry);

} // namespace kavrel
