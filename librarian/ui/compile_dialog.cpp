#include "librarian/ui/compile_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "librarian/compile.h"
#include "librarian/settings_librarian.h"
#include "librarian/ui/bar_art.h"
#include "librarian/ui/icon_list_box.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

// Dialog 178: the program's own notice.
constexpr const char* kCopyrightInfoText =
    "A compiled program carries copies of the icons it shows, and anyone who receives it can save them "
    "again as icon files.\n\n"
    "Only compile icons that you made yourself, or that their author allows you to hand on. Icons taken "
    "from other programs usually belong to the makers of those programs, even when they can be extracted "
    "freely.\n\n"
    "The title and the copyright text you enter are shown in the program's window, so that everyone who "
    "opens it knows who holds the rights to the icons.";

QLineEdit* Field(const std::string& text, int limit, const char* name)
{
    auto* edit = new QLineEdit;
    edit->setMaxLength(limit);
    edit->setText(QString::fromStdString(text).left(limit));
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

CCompileDialog::CCompileDialog(std::vector<CIconGroup> icons, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kCompileDialogTitle));
    const int count = static_cast<int>(icons.size());
    IconListOptions options;
    options.sizeClass = 1;
    options.colorClass = 2;
    options.info = true;
    list_.SetOptions(options);
    list_.SetItems(std::move(icons));
    list_.DeselectAll();

    path_ = Field(ExeFileName, static_cast<int>(kExeFileNameLimit), "path");
    title_ = Field(ExeTitle, static_cast<int>(kExeTitleSize), "title");
    copyright_ = Field(ExeCopyright, static_cast<int>(kExeCopyrightSize), "copyright");

    auto* pathLabel =
        new QLabel(QStringLiteral("&Enter the full pathname of the EXE file to produce for distribution:"));
    pathLabel->setBuddy(path_);
    auto* titleLabel = new QLabel(QStringLiteral("&Title:"));
    titleLabel->setBuddy(title_);
    auto* copyrightLabel = new QLabel(QStringLiteral("&Informations/ Copyright:"));
    copyrightLabel->setBuddy(copyright_);

    auto* browse = new QPushButton(QString::fromStdString(LoadString(kStrCompileBrowse)));
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &CCompileDialog::Browse);
    auto* more = new QPushButton(QStringLiteral("&More infos about Copyright.."));
    more->setObjectName(QStringLiteral("moreInfos"));
    more->setAutoDefault(false);
    connect(more, &QPushButton::clicked, this, &CCompileDialog::MoreInfos);

    box_ = new CIconListBox(list_);
    box_->setObjectName(QStringLiteral("icons"));
    box_->SetAcceptIcons(false);
    box_->setMinimumSize(420, 130);

    warning_ = new QLabel(QString::fromStdString(CompileWarningText(count)));
    warning_->setObjectName(QStringLiteral("warning"));
    QFont bold = warning_->font();
    bold.setBold(true);
    warning_->setFont(bold);
    warning_->setStyleSheet(QStringLiteral("color: #a00000"));

    auto* compile = new QPushButton(QString::fromLatin1(kCompileButtonText));
    compile->setObjectName(QStringLiteral("compile"));
    compile->setDefault(true);
    connect(compile, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* outer = new QHBoxLayout(this);
    outer->addWidget(DialogPictureColumn(DialogPicture::Compile, this));
    auto* layout = new QVBoxLayout;
    outer->addLayout(layout, 1);
    layout->addWidget(pathLabel);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse);
    layout->addLayout(pathRow);
    auto* grid = new QGridLayout;
    grid->addWidget(titleLabel, 0, 0);
    grid->addWidget(title_, 0, 1);
    grid->addWidget(copyrightLabel, 1, 0);
    grid->addWidget(copyright_, 1, 1);
    grid->addWidget(more, 2, 1, Qt::AlignRight);
    layout->addLayout(grid);
    layout->addWidget(box_, 1);
    layout->addWidget(warning_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(compile);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(640, 400);
}

CCompileDialog::~CCompileDialog() = default;

std::string CCompileDialog::Path() const
{
    return path_->text().toStdString();
}
std::string CCompileDialog::Title() const
{
    return title_->text().toStdString();
}
std::string CCompileDialog::Copyright() const
{
    return copyright_->text().toStdString();
}

void CCompileDialog::Browse()
{
    const std::string chosen =
        Chooser().ChooseSave(LoadString(kStrCompileBrowse), LoadString(kStrCompileFilter), Path());
    if (chosen.empty())
        return;
    const auto slash = chosen.find_last_of('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    std::string name = QString::fromStdString(chosen.substr(nameAt)).toLower().toStdString();
    // The default extension when none was typed.
    if (name.find('.') == std::string::npos)
        name += ".exe";
    path_->setText(QString::fromStdString(chosen.substr(0, nameAt) + name));
    path_->setFocus(Qt::OtherFocusReason);
    path_->selectAll();
}

void CCompileDialog::MoreInfos()
{
    QDialog info(this);
    info.setWindowTitle(QString::fromLatin1(kCopyrightInfoTitle));
    auto* layout = new QVBoxLayout(&info);
    auto* text = new QLabel(QString::fromLatin1(kCopyrightInfoText));
    text->setWordWrap(true);
    text->setMinimumWidth(380);
    layout->addWidget(text);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(ok, &QDialogButtonBox::accepted, &info, &QDialog::accept);
    layout->addWidget(ok);
    info.exec();
}

bool CompileIcons(CIconList& list, QWidget* parent)
{
    const CompileChoice choice = ChooseIconsToCompile(list.Count(), list.Selection());
    if (choice.icons.empty())
        return false;
    if (choice.selectAll)
        list.SelectAll();
    std::vector<CIconGroup> icons;
    icons.reserve(choice.icons.size());
    for (int i : choice.icons)
        icons.push_back(list.Item(i));

    CCompileDialog dialog(icons, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // Kept even when the compile then fails.
    ExeFileName = dialog.Path();
    ExeTitle = dialog.Title();
    ExeCopyright = dialog.Copyright();

    bool waiting = false;
    auto busy = [&waiting](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (waiting)
            QApplication::restoreOverrideCursor();
        waiting = on;
    };
    const CompileResult result = CompileExecutable(ExeFileName, ExeTitle, ExeCopyright, icons, CarriedViewer(), busy);
    return result == CompileResult::Written;
}

} // namespace kavrel
