#include "editor/ui/size_set_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kStrTitle = 61763;   // "Make image formats"
constexpr int kStrWindows = 61764; // "Windows set"
constexpr int kStrMinimal = 61765; // "Minimal set"
constexpr int kStrPrompt = 61766;  // "Sizes to make from the %s image format, in 32 bits with alpha:"
constexpr int kStrCancel = 56322;
constexpr int kStrOk = 56326;
constexpr int kColumns = 5;

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

} // namespace

CSizeSetDialog::CSizeSetDialog(const std::vector<int>& start, const std::string& sourceText, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Text(kStrTitle));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(QString::fromStdString(FormatString(kStrPrompt, sourceText)), this);
    prompt->setWordWrap(true);
    layout->addWidget(prompt);

    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < kStandardSizes.size(); ++i) {
        const int side = kStandardSizes[i];
        auto* box = new QCheckBox(QStringLiteral("%1x%1").arg(side), this);
        boxes_[i] = box;
        grid->addWidget(box, static_cast<int>(i) / kColumns, static_cast<int>(i) % kColumns);
        connect(box, &QCheckBox::toggled, this, [this] { UpdateOk(); });
    }
    layout->addLayout(grid);

    auto* presets = new QHBoxLayout;
    windows_ = new QPushButton(Text(kStrWindows), this);
    minimal_ = new QPushButton(Text(kStrMinimal), this);
    windows_->setAutoDefault(false);
    minimal_->setAutoDefault(false);
    connect(windows_, &QPushButton::clicked, this, [this] { Tick(PresetSizes(SizePreset::Windows)); });
    connect(minimal_, &QPushButton::clicked, this, [this] { Tick(PresetSizes(SizePreset::Minimal)); });
    presets->addWidget(windows_);
    presets->addWidget(minimal_);
    presets->addStretch(1);
    layout->addLayout(presets);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(Text(kStrOk), QDialogButtonBox::AcceptRole);
    ok_->setDefault(true);
    buttons->addButton(Text(kStrCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    Tick(start);
}

void CSizeSetDialog::Tick(const std::vector<int>& sizes)
{
    for (std::size_t i = 0; i < kStandardSizes.size(); ++i)
        boxes_[i]->setChecked(std::find(sizes.begin(), sizes.end(), kStandardSizes[i]) != sizes.end());
    UpdateOk();
}

std::vector<int> CSizeSetDialog::Chosen() const
{
    std::vector<int> sizes;
    for (std::size_t i = 0; i < kStandardSizes.size(); ++i)
        if (boxes_[i]->isChecked())
            sizes.push_back(kStandardSizes[i]);
    return sizes;
}

QPushButton* CSizeSetDialog::PresetButton(SizePreset preset) const
{
    return preset == SizePreset::Windows ? windows_ : minimal_;
}

void CSizeSetDialog::UpdateOk()
{
    // Nothing ticked makes nothing: OK waits for a size.
    ok_->setEnabled(!Chosen().empty());
}

std::optional<std::vector<int>> CQtSizeSetDialog::ChooseSizes(const std::vector<int>& start,
                                                              const std::string& sourceText)
{
    CSizeSetDialog dialog(start, sourceText, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}

SizeSetDialog& QtSizeSetDialog()
{
    static CQtSizeSetDialog dialog;
    return dialog;
}

} // namespace kavrel
