#include "editor/ui/new_format_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "editor/ui/format_list.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kStrTitle = 56300;
constexpr int kStrSizes = 56301; // 56301..56306
constexpr int kStrWidth = 56307;
constexpr int kStrHeight = 56308;
constexpr int kStrSquare = 56309;
constexpr int kStrColours = 56312; // 56312..56316
constexpr int kStrExisting = 56317;
constexpr int kStrCancel = 56322;
constexpr int kStrSizeBox = 56324;
constexpr int kStrColourBox = 56325;
constexpr int kStrOk = 56326;
constexpr int kStrWidthRange = 56327;
constexpr int kStrHeightRange = 56328;
constexpr int kStrAlphaChoice = 61721; // "True colors + alpha"
constexpr int kStrFromCurrent = 61722; // "From the current format"
constexpr int kStrCompressed = 61723;  // "Compressed (PNG)"

// A custom side. Whatever is typed stays as typed, so that a side out of
// range is refused with its reason instead of being cut ("300" to "30") or
// put back; the arrows keep within the range.
class CSideSpinBox : public QSpinBox {
  public:
    explicit CSideSpinBox(QWidget* parent) : QSpinBox(parent) { setRange(0, 9999); }
    void stepBy(int steps) override { setValue(std::clamp(value() + steps, kMinCustomSide, kMaxCustomSide)); }

  protected:
    StepEnabled stepEnabled() const override
    {
        StepEnabled e = StepNone;
        if (value() < kMaxCustomSide)
            e |= StepUpEnabled;
        if (value() > kMinCustomSide)
            e |= StepDownEnabled;
        return e;
    }
};

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

} // namespace

CNewFormatDialog::CNewFormatDialog(const std::vector<CIcon>& formats, const NewFormatChoices& start, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Text(kStrTitle));
    setObjectName(QStringLiteral("newFormatDialog"));

    auto* sizeBox = new QGroupBox(Text(kStrSizeBox), this);
    auto* sizeLayout = new QVBoxLayout(sizeBox);
    sizeGroup_ = new QButtonGroup(this);
    for (int i = 0; i < kSizeChoiceCount; ++i) {
        auto* b = new QRadioButton(Text(kStrSizes + i), sizeBox);
        sizes_[static_cast<std::size_t>(i)] = b;
        sizeGroup_->addButton(b, i);
        sizeLayout->addWidget(b);
        b->installEventFilter(this);
    }
    // The custom sides sit under "Custom size", indented as its part.
    auto* custom = new QGridLayout;
    custom->setContentsMargins(20, 0, 0, 0);
    width_ = new CSideSpinBox(sizeBox);
    height_ = new CSideSpinBox(sizeBox);
    for (QSpinBox* s : {width_, height_})
        s->setAccelerated(true);
    auto* widthLabel = new QLabel(Text(kStrWidth), sizeBox);
    auto* heightLabel = new QLabel(Text(kStrHeight), sizeBox);
    widthLabel->setBuddy(width_);
    heightLabel->setBuddy(height_);
    custom->addWidget(widthLabel, 0, 0);
    custom->addWidget(width_, 0, 1);
    custom->addWidget(heightLabel, 1, 0);
    custom->addWidget(height_, 1, 1);
    square_ = new QCheckBox(Text(kStrSquare), sizeBox);
    custom->addWidget(square_, 2, 0, 1, 2);
    sizeLayout->addLayout(custom);
    sizeLayout->addStretch(1);

    auto* colourBox = new QGroupBox(Text(kStrColourBox), this);
    auto* colourLayout = new QVBoxLayout(colourBox);
    colourGroup_ = new QButtonGroup(this);
    for (int i = 0; i < kColorChoiceCount; ++i) {
        auto* b = new QRadioButton(Text(i < 5 ? kStrColours + i : kStrAlphaChoice), colourBox);
        colours_[static_cast<std::size_t>(i)] = b;
        colourGroup_->addButton(b, i);
        colourLayout->addWidget(b);
        b->installEventFilter(this);
    }
    compressed_ = new QCheckBox(Text(kStrCompressed), colourBox);
    auto* compressedRow = new QHBoxLayout;
    compressedRow->setContentsMargins(20, 0, 0, 0);
    compressedRow->addWidget(compressed_);
    colourLayout->addLayout(compressedRow);
    colourLayout->addStretch(1);
    fromCurrent_ = new QCheckBox(Text(kStrFromCurrent), colourBox);
    colourLayout->addWidget(fromCurrent_);

    auto* existingLabel = new QLabel(Text(kStrExisting), this);
    list_ = new CFormatListBox(this);
    existingLabel->setBuddy(list_);
    list_->SetFormats(formats);
    // Room for three cells across and two rows.
    list_->setMinimumSize(3 * CFormatListBox::kItemWidth + 24, 2 * CFormatListBox::kItemHeight + 8);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Text(kStrOk), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(Text(kStrCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* choices = new QHBoxLayout;
    choices->addWidget(sizeBox);
    choices->addWidget(colourBox);
    auto* right = new QVBoxLayout;
    right->addWidget(existingLabel);
    right->addWidget(list_, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(choices);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);

    // The remembered choices; an unknown one shows as 32x32 in 16 colours.
    const int size = start.sizeChoice >= 0 && start.sizeChoice < kSizeChoiceCount ? start.sizeChoice : 1;
    const int colour = start.colorChoice >= 0 && start.colorChoice < kColorChoiceCount ? start.colorChoice : 1;
    sizes_[static_cast<std::size_t>(size)]->setChecked(true);
    colours_[static_cast<std::size_t>(colour)]->setChecked(true);
    width_->setValue(start.customWidth);
    height_->setValue(start.customHeight);
    square_->setChecked(start.squareAspect);
    fromCurrent_->setChecked(start.fromCurrent);
    UpdateCustomFields();
    ProposeCompressed();

    connect(sizeGroup_, &QButtonGroup::idToggled, this, [this](int, bool) {
        UpdateCustomFields();
        ProposeCompressed();
    });
    connect(colourGroup_, &QButtonGroup::idToggled, this, [this](int, bool) { UpdateCustomFields(); });
    // Each digit typed is copied as it comes, so the other side ends as typed.
    connect(width_, &QSpinBox::valueChanged, this, [this] {
        CopySide(width_, height_);
        ProposeCompressed();
    });
    connect(height_, &QSpinBox::valueChanged, this, [this] {
        CopySide(height_, width_);
        ProposeCompressed();
    });
    connect(square_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            CopySide(width_, height_);
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        existing_ = list_->row(item);
        QDialog::accept();
    });
}

void CNewFormatDialog::UpdateCustomFields()
{
    const bool custom = sizes_[kCustomSizeChoice]->isChecked();
    width_->setEnabled(custom);
    height_->setEnabled(custom);
    square_->setEnabled(custom);
    compressed_->setEnabled(colours_[kColorChoiceCount - 1]->isChecked());
}

void CNewFormatDialog::ProposeCompressed()
{
    const FormatSpec spec = FormatFromChoices(Choices());
    compressed_->setChecked(DefaultCompressed(spec.width, spec.height));
}

void CNewFormatDialog::CopySide(QSpinBox* from, QSpinBox* to)
{
    if (copying_ || !square_->isChecked())
        return;
    copying_ = true;
    to->setValue(from->value());
    copying_ = false;
}

NewFormatChoices CNewFormatDialog::Choices() const
{
    NewFormatChoices c;
    c.sizeChoice = sizeGroup_->checkedId();
    c.colorChoice = colourGroup_->checkedId();
    c.customWidth = width_->value();
    c.customHeight = height_->value();
    c.squareAspect = square_->isChecked();
    c.fromCurrent = fromCurrent_->isChecked();
    c.compressed = compressed_->isChecked();
    return c;
}

void CNewFormatDialog::accept()
{
    // A side typed out of range (or left empty) keeps the dialog open.
    if (sizes_[kCustomSizeChoice]->isChecked()) {
        for (auto [s, reason] : {std::pair{width_, kStrWidthRange}, std::pair{height_, kStrHeightRange}}) {
            if (!s->hasAcceptableInput() || !IsValidCustomSide(s->value())) {
                Prompts().Message(FormatString(reason, kMinCustomSide, kMaxCustomSide), MB_OK | MB_ICONEXCLAMATION);
                s->setFocus();
                s->selectAll();
                return;
            }
        }
    }
    existing_ = -1;
    QDialog::accept();
}

bool CNewFormatDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* b = qobject_cast<QRadioButton*>(watched)) {
            b->setChecked(true);
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kavrel
