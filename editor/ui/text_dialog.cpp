#include "editor/ui/text_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "editor/settings_editor.h"
#include "editor/text_tool.h"
#include "platform/screen.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

QString Q(int id)
{
    return QString::fromStdString(LoadString(id));
}

constexpr int kCaption = 56260;
constexpr int kTextLabel = 56261;
constexpr int kFontLabel = 56262;
constexpr int kSizeLabel = 56263;
constexpr int kBoldLabel = 56264;
constexpr int kItalicLabel = 56265;
constexpr int kOk = 56266;
constexpr int kCancel = 56267;

QColor FromColorRef(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

QFont QtFontFor(const std::string& face, int height, int weight, bool italic)
{
    QFont font(QString::fromStdString(face));
    font.setPixelSize(std::max(1, height < 0 ? -height : height));
    font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// ---- preview ----

CTextPreview::CTextPreview(QWidget* parent) : QWidget(parent)
{
    setObjectName("textPreview");
    setMinimumSize(200, 70);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CTextPreview::SetPreview(const QFont& font, const QString& text)
{
    font_ = font;
    text_ = text;
    update();
}

void CTextPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // Outline pens sit on the rectangle's edge pixels, as GDI draws them.
    const QRect panel = rect().adjusted(0, 0, -2, -2);
    p.setPen(QColor(0, 0, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(panel.translated(1, 1).adjusted(0, 0, -1, -1));
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.setBrush(FromColorRef(0xC0FFFF));
    p.drawRect(panel.adjusted(0, 0, -1, -1));
    p.setFont(font_);
    p.setPen(QColor(0, 0, 0));
    p.setClipRect(panel.adjusted(1, 1, -1, -1));
    p.drawText(panel, Qt::AlignCenter | Qt::TextSingleLine, text_);
}

// ---- dialog ----

CTextDialog::CTextDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Q(kCaption));
    setObjectName("addTextDialog");

    text_ = new QLineEdit(this);
    text_->setObjectName("text");
    text_->setMaxLength(kTextMaxLength);
    text_->setText(QString::fromStdString(insertTexteTexte).left(kTextMaxLength));
    text_->setMinimumWidth(260);

    fonts_ = new QComboBox(this);
    fonts_->setObjectName("font");
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families)
        if (!QFontDatabase::isPrivateFamily(family))
            fonts_->addItem(family);
    int current = fonts_->findText(QString::fromStdString(insertTextePolice), Qt::MatchFixedString);
    if (current < 0) {
        // The remembered face is not on this system: the desktop's own
        // face stands in, so that OK does not just beep.
        current =
            fonts_->findText(QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(), Qt::MatchFixedString);
        if (current < 0 && fonts_->count() > 0)
            current = 0;
    }
    fonts_->setCurrentIndex(current);

    size_ = new QSpinBox(this);
    size_->setObjectName("size");
    size_->setRange(kTextMinSize, kTextMaxSize);
    size_->setValue(std::clamp(insertTexteTaille, kTextMinSize, kTextMaxSize));

    bold_ = new QCheckBox(Q(kBoldLabel), this);
    bold_->setObjectName("bold");
    bold_->setChecked(insertTexteGras != 0);
    italic_ = new QCheckBox(Q(kItalicLabel), this);
    italic_->setObjectName("italic");
    italic_->setChecked(insertTexteItalic != 0);

    preview_ = new CTextPreview(this);

    auto* textLabel = new QLabel(Q(kTextLabel), this);
    textLabel->setBuddy(text_);
    auto* fontLabel = new QLabel(Q(kFontLabel), this);
    fontLabel->setBuddy(fonts_);
    auto* sizeLabel = new QLabel(Q(kSizeLabel), this);
    sizeLabel->setBuddy(size_);

    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(fonts_, 1);
    fontRow->addSpacing(8);
    fontRow->addWidget(sizeLabel);
    fontRow->addWidget(size_);
    auto* styleRow = new QHBoxLayout;
    styleRow->addWidget(bold_);
    styleRow->addWidget(italic_);
    styleRow->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow(textLabel, text_);
    form->addRow(fontLabel, fontRow);
    form->addRow(QString(), styleRow);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* ok = buttons->addButton(Q(kOk), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(Q(kCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(preview_, 1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addWidget(buttons);

    connect(text_, &QLineEdit::textChanged, this, [this] { UpdatePreview(); });
    connect(fonts_, &QComboBox::currentIndexChanged, this, [this] { UpdatePreview(); });
    connect(size_, &QSpinBox::valueChanged, this, [this] { UpdatePreview(); });
    connect(bold_, &QCheckBox::toggled, this, [this] { UpdatePreview(); });
    connect(italic_, &QCheckBox::toggled, this, [this] { UpdatePreview(); });
    UpdatePreview();
    text_->setFocus();
}

void CTextDialog::UpdatePreview()
{
    const QString face = fonts_->currentIndex() >= 0 ? fonts_->currentText() : QString(kDefaultTextFace);
    previewHeight_ = TextFontHeight(size_->value(), Screen().dpiY);
    preview_->SetPreview(
        QtFontFor(face.toStdString(), previewHeight_, bold_->isChecked() ? 700 : 400, italic_->isChecked()),
        text_->text());
}

void CTextDialog::accept()
{
    insertTexteTexte = text_->text().left(kTextMaxLength).toStdString();
    insertTextePolice = fonts_->currentIndex() >= 0 ? fonts_->currentText().toStdString() : std::string();
    insertTexteTaille = std::clamp(size_->value(), kTextMinSize, kTextMaxSize);
    insertTexteGras = bold_->isChecked() ? 1 : 0;
    insertTexteItalic = italic_->isChecked() ? 1 : 0;
    QDialog::accept();
}

bool CTextDialog::Run(QWidget* parent)
{
    CTextDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kavrel
