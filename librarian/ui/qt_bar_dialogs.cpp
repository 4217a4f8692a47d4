#include "librarian/ui/qt_bar_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "librarian/icon_list.h"
#include "librarian/ui/bar_art.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

QListWidget* NameList(const std::vector<std::string>& names, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    for (const std::string& n : names)
        list->addItem(QString::fromStdString(n.empty() ? LoadString(55044) : n));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setMaximumHeight(120);
    return list;
}

// A confirmation: picture, texts and optional list, "DELETE!" and Cancel.
bool Confirm(QWidget* parent, const QString& title, DialogPicture picture, const QStringList& texts,
             const std::vector<std::string>* names, const QString& button)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* outer = new QHBoxLayout(&dialog);
    outer->addWidget(DialogPictureColumn(picture, &dialog));
    auto* body = new QVBoxLayout;
    outer->addLayout(body);
    for (int i = 0; i < texts.size(); ++i) {
        auto* label = new QLabel(texts[i], &dialog);
        label->setWordWrap(true);
        body->addWidget(label);
        if (i == 0 && names)
            body->addWidget(NameList(*names, &dialog));
    }
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* yes = buttons->addButton(button, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    (void)yes;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    body->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<std::string> AskName(QWidget* parent, const QString& title, const QString& prompt,
                                   const std::string& initial, int maxLength, DialogPicture picture,
                                   const std::vector<std::string>* names = nullptr)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* outer = new QHBoxLayout(&dialog);
    outer->addWidget(DialogPictureColumn(picture, &dialog));
    auto* body = new QVBoxLayout;
    outer->addLayout(body);
    if (names)
        body->addWidget(NameList(*names, &dialog));
    auto* label = new QLabel(prompt, &dialog);
    auto* edit = new QLineEdit(QString::fromStdString(initial), &dialog);
    edit->setMaxLength(maxLength);
    edit->selectAll();
    label->setBuddy(edit);
    body->addWidget(label);
    body->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    body->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text().toStdString();
}

} // namespace

bool QtLibrarianDialogs::ConfirmDeleteIcons(const std::vector<std::string>& names)
{
    return Confirm(parent_, QStringLiteral("Deleting one or more icons"), DialogPicture::DeleteIcon,
                   {QStringLiteral("You are about to delete the following icons:"),
                    QStringLiteral("Note: You will NOT be able to UNDO this operation")},
                   &names, QStringLiteral("DELETE!"));
}

bool QtLibrarianDialogs::ConfirmDeleteLibrary(const std::string& label, const std::vector<std::string>& names)
{
    return Confirm(parent_, QStringLiteral("Delete a library"), DialogPicture::DeleteLibrary,
                   {QStringLiteral("You are about to delete the library named  \"%1\" and that contains %2  icons:")
                        .arg(QString::fromStdString(label))
                        .arg(names.size()),
                    QStringLiteral("Note: You will NOT be able to UNDO this operation")},
                   &names, QStringLiteral("DELETE!"));
}

bool QtLibrarianDialogs::ConfirmDeleteFolder(const std::string& name)
{
    return Confirm(parent_, QStringLiteral("Delete a folder"), DialogPicture::DeleteFolder,
                   {QStringLiteral("You are about to delete the selected folder and its content:"),
                    QString::fromStdString(name), QStringLiteral("DO YOU REALLY WANT TO DELETE\nTHIS FOLDER?")},
                   nullptr, QStringLiteral("DELETE! "));
}

std::optional<std::string> QtLibrarianDialogs::RenameIcon(const std::string& name)
{
    return AskName(parent_, QStringLiteral("Rename icon"), QStringLiteral("&New name:"), name,
                   static_cast<int>(kMaxIconNameLength), DialogPicture::RenameIcon);
}

std::optional<std::string> QtLibrarianDialogs::RenameIcons(const std::vector<std::string>& names)
{
    return AskName(parent_, QStringLiteral("Rename several icons"), QStringLiteral("&Base name:"),
                   LoadString(kStrIconsBaseName), static_cast<int>(kMaxIconNameLength), DialogPicture::RenameIcon,
                   &names);
}

std::optional<std::string> QtLibrarianDialogs::RenameLibrary(const std::string& label)
{
    return AskName(parent_, QStringLiteral("Rename a library"), QStringLiteral("Enter the new name of the library"),
                   label, static_cast<int>(kMaxItemNameLength), DialogPicture::RenameIcon);
}

std::optional<std::string> QtLibrarianDialogs::RenameFolder(const std::string& label)
{
    return AskName(parent_, QStringLiteral("Rename a folder"), QStringLiteral("Enter the name of the folder"), label,
                   static_cast<int>(kMaxItemNameLength), DialogPicture::RenameIcon);
}

void QtBeeper::Beep()
{
    QApplication::beep();
}

QtConversionView::QtConversionView(QWidget* parent) : parent_(parent)
{
}

QtConversionView::~QtConversionView() = default;

void QtConversionView::Show(int steps)
{
    dialog_ = std::make_unique<QProgressDialog>(QStringLiteral("Converting existing libraries"), QString(), 0,
                                                std::max(steps, 1), parent_);
    dialog_->setWindowTitle(QStringLiteral("Converting existing libraries"));
    dialog_->setMinimumDuration(0);
    dialog_->setValue(0);
    dialog_->show();
    QApplication::processEvents();
}

void QtConversionView::Step(int done)
{
    if (dialog_)
        dialog_->setValue(done);
    QApplication::processEvents();
}

void QtConversionView::Close()
{
    dialog_.reset();
}

} // namespace kavrel
