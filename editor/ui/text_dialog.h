// The "Add text" dialog: the text, its font, size, bold and italic, and a
// preview that shows the text in the chosen font at the screen's size. It is
// filled from the text settings and writes them back on OK.
#pragma once

#include <QDialog>
#include <QFont>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace kavrel {

// The preview (control 1081): the text on a 0xC0FFFF panel outlined in grey,
// over a black-outlined copy of the panel one pixel lower and to the right.
class CTextPreview : public QWidget {
    Q_OBJECT
  public:
    explicit CTextPreview(QWidget* parent = nullptr);
    void SetPreview(const QFont& font, const QString& text);
    const QFont& PreviewFont() const { return font_; }
    QSize sizeHint() const override { return {300, 90}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QFont font_;
    QString text_;
};

class CTextDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CTextDialog(QWidget* parent = nullptr);

    // Shows the dialog; true after OK (the settings then hold its values).
    static bool Run(QWidget* parent);

    QLineEdit* TextEdit() const { return text_; }
    QComboBox* FontList() const { return fonts_; }
    QSpinBox* SizeBox() const { return size_; }
    QCheckBox* BoldBox() const { return bold_; }
    QCheckBox* ItalicBox() const { return italic_; }
    CTextPreview* Preview() const { return preview_; }
    // The height the preview font was made with (negative, in pixels).
    int PreviewFontHeight() const { return previewHeight_; }

    void accept() override;

  private:
    // Re-creates the preview font from the font, size, bold and italic.
    void UpdatePreview();

    QLineEdit* text_ = nullptr;   // 1043
    QComboBox* fonts_ = nullptr;  // 1110
    QSpinBox* size_ = nullptr;    // 1109 with its up-down 1108
    QCheckBox* bold_ = nullptr;   // 1111
    QCheckBox* italic_ = nullptr; // 1112
    CTextPreview* preview_ = nullptr;
    int previewHeight_ = 0;
};

// The font a TextFont stands for in Qt (pixel height, weight, italic), drawn
// without antialiasing so that every pixel is either the text's or not.
QFont QtFontFor(const std::string& face, int height, int weight, bool italic);

} // namespace kavrel
