// "Create a new image format": six size and six colour choices (the last,
// 32 bits with alpha, with its "Compressed (PNG)" box), "From the current
// format", a custom
// size of 8 to 256 pixels (Square aspect keeps both sides equal) and the
// icon's existing formats. A double-click on a choice confirms the dialog; a
// double-click on an existing format confirms it with that format chosen.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "editor/format_rules.h"

class QButtonGroup;
class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace kavrel {

class CFormatListBox;

class CNewFormatDialog : public QDialog {
    Q_OBJECT
  public:
    CNewFormatDialog(const std::vector<CIcon>& formats, const NewFormatChoices& start, QWidget* parent = nullptr);

    // The choices as they stand (read after exec).
    NewFormatChoices Choices() const;
    // The existing format chosen by double-click, or -1.
    int ChosenExisting() const { return existing_; }

    QRadioButton* SizeButton(int choice) const { return sizes_[static_cast<std::size_t>(choice)]; }
    QRadioButton* ColourButton(int choice) const { return colours_[static_cast<std::size_t>(choice)]; }
    QSpinBox* WidthBox() const { return width_; }
    QSpinBox* HeightBox() const { return height_; }
    QCheckBox* SquareBox() const { return square_; }
    QCheckBox* CompressedBox() const { return compressed_; }
    QCheckBox* FromCurrentBox() const { return fromCurrent_; }
    CFormatListBox* FormatList() const { return list_; }

    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void UpdateCustomFields();
    void CopySide(QSpinBox* from, QSpinBox* to);
    // The PNG choice follows the size: on for 256x256.
    void ProposeCompressed();

    std::array<QRadioButton*, kSizeChoiceCount> sizes_{};
    std::array<QRadioButton*, kColorChoiceCount> colours_{};
    QButtonGroup* sizeGroup_ = nullptr;
    QButtonGroup* colourGroup_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QCheckBox* square_ = nullptr;
    QCheckBox* compressed_ = nullptr;
    QCheckBox* fromCurrent_ = nullptr;
    CFormatListBox* list_ = nullptr;
    int existing_ = -1;
    bool copying_ = false;
};

} // namespace kavrel
