// "Preferences": the three-page sheet over shell/core/preferences.h. No Apply
// button; OK writes the pages back, Cancel changes nothing.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QDialog>

#include "shell/core/preferences.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;

namespace kavrel {

// The standard colour dialog, fully open, with the custom colours.
class QtColourChooser : public ColourChooser {
  public:
    explicit QtColourChooser(QWidget* parent) : parent_(parent) {}
    bool ChooseColour(std::uint32_t& colour, std::uint32_t (&custom)[16]) override;

  private:
    QWidget* parent_;
};

class CPrefsPropertySheet : public QDialog {
    Q_OBJECT
  public:
    // chooser: the colour button's dialog (a QtColourChooser when null).
    explicit CPrefsPropertySheet(QWidget* parent = nullptr, ColourChooser* chooser = nullptr);
    ~CPrefsPropertySheet() override;

    // What OK does besides copying the values (reloading patterns, repainting).
    void SetEffects(PrefsEffects effects) { effects_ = std::move(effects); }
    // The Help button's target.
    void SetHelp(std::function<void()> help) { help_ = std::move(help); }

    QTabWidget* Pages() const { return pages_; }
    // The page values as the controls show them.
    PrefsValues Values() const;
    QCheckBox* Box(PrefsPage page, int control) const; // by its control number
    QComboBox* PatternList() const { return patterns_; }
    QPushButton* ColourButton() const { return colourButton_; }

    void accept() override;

  private:
    QWidget* MakePage(PrefsPage page);
    void PaintColourButton();

    PrefsValues values_;
    PrefsEffects effects_;
    std::function<void()> help_;
    std::unique_ptr<ColourChooser> ownChooser_;
    ColourChooser* chooser_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QComboBox* patterns_ = nullptr;
    QPushButton* colourButton_ = nullptr;
    struct BoundBox {
        PrefsPage page;
        int control;
        int PrefsValues::*value;
        QCheckBox* box;
    };
    std::vector<BoundBox> boxes_;
};

} // namespace kavrel
