#include "editor/ui/format_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/ui/format_list.h"
#include "editor/ui/new_format_dialog.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kStrDeleteTitle = 56318;
constexpr int kStrDeleteText = 56319;
constexpr int kStrDeleteWarning = 56320;
constexpr int kStrDeleteButton = 56321;
constexpr int kStrCancel = 56322;
constexpr int kStrSelectTitle = 56323;
constexpr int kStrOk = 56326;
constexpr int kStrWarnTitle = 61702;   // "Insufficient video configuration"
constexpr int kStrWarnAlways = 61707;  // "&Always Display this Warning Message"
constexpr int kStrColours = 56312;     // the depths of the New image format dialog
constexpr int kStrAlphaChoice = 61721; // "True colors + alpha"
constexpr int kStrConvertTitle = 61724;
constexpr int kStrConvertText = 61725;

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

QWidget* DialogParent()
{
    return QApplication::activeWindow();
}

QLabel* WrappedLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

CDeleteFormatDialog::CDeleteFormatDialog(const CIcon& format, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(kStrDeleteTitle));
    setObjectName(QStringLiteral("deleteFormatDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel(Text(kStrDeleteText), this));
    auto* list = new CFormatListBox(this);
    list->SetFormats({format});
    list->setFixedSize(CFormatListBox::kItemWidth + 8, CFormatListBox::kItemHeight + 8);
    list->setCurrentRow(0);
    list->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(list, 0, Qt::AlignHCenter);
    auto* warning = WrappedLabel(Text(kStrDeleteWarning), this);
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    layout->addWidget(warning);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Text(kStrDeleteButton), QDialogButtonBox::AcceptRole);
    // Deleting cannot be undone: Cancel is what Enter does.
    QPushButton* cancel = buttons->addButton(Text(kStrCancel), QDialogButtonBox::RejectRole);
    cancel->setDefault(true);
    cancel->setFocus();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CSelectFormatDialog::CSelectFormatDialog(const std::vector<CIcon>& formats, int current, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Text(kStrSelectTitle));
    setObjectName(QStringLiteral("selectFormatDialog"));
    auto* layout = new QVBoxLayout(this);
    list_ = new CFormatListBox(this);
    list_->SetFormats(formats);
    list_->setMinimumSize(4 * CFormatListBox::kItemWidth + 24, 2 * CFormatListBox::kItemHeight + 8);
    if (current >= 0 && current < list_->count())
        list_->setCurrentRow(current);
    layout->addWidget(list_, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Text(kStrOk), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(Text(kStrCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    layout->addWidget(buttons);
}

int CSelectFormatDialog::Chosen() const
{
    return list_->currentRow();
}

CColourWarningDialog::CColourWarningDialog(const std::string& text1, const std::string& text2, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Text(kStrWarnTitle));
    setObjectName(QStringLiteral("colourWarningDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel(QString::fromStdString(text1), this));
    layout->addWidget(WrappedLabel(QString::fromStdString(text2), this));
    always_ = new QCheckBox(Text(kStrWarnAlways), this);
    always_->setChecked(true);
    layout->addWidget(always_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Text(kStrOk));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

bool CColourWarningDialog::AlwaysWarn() const
{
    return always_->isChecked();
}

CConvertDepthDialog::CConvertDepthDialog(const CIcon& format, int currentDepth, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(kStrConvertTitle));
    setObjectName(QStringLiteral("convertDepthDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedLabel(Text(kStrConvertText), this));
    auto* list = new CFormatListBox(this);
    list->SetFormats({format});
    list->setFixedSize(CFormatListBox::kItemWidth + 8, CFormatListBox::kItemHeight + 8);
    list->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(list, 0, Qt::AlignHCenter);
    group_ = new QButtonGroup(this);
    // The depths of the New image format dialog, without the indexed 256.
    const std::pair<int, int> depths[] = {
        {1, kStrColours}, {4, kStrColours + 1}, {8, kStrColours + 2}, {24, kStrColours + 4}, {32, kStrAlphaChoice}};
    bool checked = false;
    for (auto [depth, text] : depths) {
        auto* b = new QRadioButton(Text(text), this);
        group_->addButton(b, depth);
        layout->addWidget(b);
        b->setEnabled(depth != currentDepth);
        if (depth != currentDepth && !checked && (depth > currentDepth || depth == 24)) {
            b->setChecked(true);
            checked = true;
        }
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Text(kStrOk), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(Text(kStrCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CConvertDepthDialog::Chosen() const
{
    return group_->checkedId();
}

FormatDialogs::NewFormatResult CQtFormatDialogs::NewFormat(const std::vector<CIcon>& formats,
                                                           const NewFormatChoices& start)
{
    CNewFormatDialog dialog(formats, start, DialogParent());
    NewFormatResult result;
    result.accepted = dialog.exec() == QDialog::Accepted;
    result.choices = dialog.Choices();
    result.existing = dialog.ChosenExisting();
    return result;
}

bool CQtFormatDialogs::ConfirmDelete(const CIcon& format)
{
    CDeleteFormatDialog dialog(format, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

int CQtFormatDialogs::SelectFormat(const std::vector<CIcon>& formats, int current)
{
    CSelectFormatDialog dialog(formats, current, DialogParent());
    return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : -1;
}

int CQtFormatDialogs::ConvertDepth(const CIcon& format, int currentDepth)
{
    CConvertDepthDialog dialog(format, currentDepth, DialogParent());
    return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : -1;
}

bool CQtFormatDialogs::ColourWarning(const std::string& text1, const std::string& text2)
{
    CColourWarningDialog dialog(text1, text2, DialogParent());
    dialog.exec();
    return dialog.AlwaysWarn();
}

FormatDialogs& QtFormatDialogs()
{
    static CQtFormatDialogs dialogs;
    return dialogs;
}

} // namespace kavrel
