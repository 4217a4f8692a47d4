#include "editor/ui/paste_options_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kavrel {

CPasteOptionsDialog::CPasteOptionsDialog(int initial, bool selectionChoices, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Paste options"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(this);
    auto* inner = new QVBoxLayout(group);
    const char* const texts[] = {"&Paste at scale 1:1 in the editor area", "&Resize image to fit the editor area",
                                 "P&aste at scale 1:1 in the selection area", "R&esize image to fit selection area"};
    for (int i = 0; i < 4; ++i) {
        choices_[i] = new QRadioButton(tr(texts[i]), group);
        inner->addWidget(choices_[i]);
    }
    choices_[2]->setEnabled(selectionChoices);
    choices_[3]->setEnabled(selectionChoices);
    if (initial < 0 || initial > 3 || (!selectionChoices && initial >= 2))
        initial = 0;
    choices_[initial]->setChecked(true);
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CPasteOptionsDialog::Placement() const
{
    for (int i = 0; i < 4; ++i)
        if (choices_[i]->isChecked())
            return i;
    return 0;
}

std::optional<int> QtPasteOptionsPrompt::Ask(int initial, bool selectionChoices)
{
    CPasteOptionsDialog dialog(initial, selectionChoices, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Placement();
}

} // namespace kavrel
