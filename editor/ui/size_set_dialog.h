// "Make image formats": the standard sizes as check boxes with the two
// presets, and the Qt side of SizeSetDialog that the program installs.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "editor/format_sizes.h"
#include "model/resample.h"

class QCheckBox;
class QPushButton;

namespace kavrel {

class CSizeSetDialog : public QDialog {
    Q_OBJECT
  public:
    CSizeSetDialog(const std::vector<int>& start, const std::string& sourceText, QWidget* parent = nullptr);
    std::vector<int> Chosen() const;
    void Tick(const std::vector<int>& sizes);
    QCheckBox* Box(int index) const { return boxes_[static_cast<std::size_t>(index)]; }
    QPushButton* PresetButton(SizePreset preset) const;
    QPushButton* OkButton() const { return ok_; }

  private:
    void UpdateOk();

    std::array<QCheckBox*, kStandardSizes.size()> boxes_{};
    QPushButton* windows_ = nullptr;
    QPushButton* minimal_ = nullptr;
    QPushButton* ok_ = nullptr;
};

class CQtSizeSetDialog final : public SizeSetDialog {
  public:
    std::optional<std::vector<int>> ChooseSizes(const std::vector<int>& start, const std::string& sourceText) override;
};

// The program's one instance.
SizeSetDialog& QtSizeSetDialog();

} // namespace kavrel
