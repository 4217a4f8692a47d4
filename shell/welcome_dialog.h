// "Welcome - Tip of the day": shown at start-up while ShowBienvenue is 1 and
// by command ID_TIP_OF_THE_DAY. Each opening takes the tip at IndexOfTheTip
// and moves the index on; closing writes the check box back to ShowBienvenue.
#pragma once

#include <QDialog>
#include <functional>

#include "shell/core/help.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace kavrel {

class CTipPanel : public QWidget {
    Q_OBJECT
  public:
    explicit CTipPanel(QWidget* parent = nullptr);
    void SetTip(const QString& text);
    QString Tip() const { return tip_; }
    QSize sizeHint() const override { return {400, 180}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString tip_;
};

class CWelcomeDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CWelcomeDialog(QWidget* parent = nullptr);

    // The tip shown now (its string number).
    int TipId() const { return tipId_; }
    QString TipText() const;
    // " &Next Tip": the tip at IndexOfTheTip, the index moving on.
    void NextTip();

    QCheckBox* ShowAtStartup() const { return showAtStartup_; }
    QPushButton* NextTipButton() const { return next_; }
    CTipPanel* Panel() const { return panel_; }

    // What "Help" (topic 0) and "What is Kavrel ? " (topic 4) open; without
    // a handler the manual's contents and its "What is Kavrel" section.
    static void SetHelpHandler(std::function<void(int topic)> handler);

    void done(int result) override;

  private:
    CTipPanel* panel_ = nullptr;
    QCheckBox* showAtStartup_ = nullptr;
    QPushButton* next_ = nullptr;
    int tipId_ = 0;
};

// Shows the dialog (modal); ShowBienvenue and IndexOfTheTip change as it says.
void ShowWelcomeDialog(QWidget* parent);

} // namespace kavrel
