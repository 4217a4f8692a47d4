#include "shell/open_dialog.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "document/open_files.h"
#include "model/thumbnails.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

COLORREF ColorRefOf(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// The icon drawn the way lists draw it, on the list's own background.
QIcon Thumbnail(const CIconGroup& group, const QColor& background)
{
    const CIcon* icon = group.GetFormat(group.BestFormat(1, 1));
    if (!icon)
        return {};
    Bitmap cell = Bitmap::Color(32, 32);
    cell.fill(ColorRefOf(background));
    DC dc(cell);
    DrawIcon32(*icon, dc, 0, 0);
    QImage image(reinterpret_cast<const uchar*>(cell.colorBits()), 32, 32, 32 * 4, QImage::Format_RGB32);
    return QIcon(QPixmap::fromImage(image.copy()));
}

bool OffersIconFiles(const std::string& filter)
{
    for (const FilterEntry& e : ParseFilter(filter))
        for (const std::string& p : e.patterns)
            if (FileKind(p) != FileKindType::Unknown)
                return true;
    return false;
}

QString DefaultSuffix(const std::string& filter)
{
    for (const FilterEntry& e : ParseFilter(filter))
        for (const std::string& p : e.patterns)
            if (p.rfind("*.", 0) == 0 && p.find_first_of("*?", 2) == std::string::npos)
                return Q(p.substr(2));
    return {};
}

void SetUp(QFileDialog& dialog, const std::string& title, const std::string& filter)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(Q(title));
    const QStringList filters = QtNameFilters(filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(DefaultSuffix(filter));
}

std::vector<std::string> Paths(const QStringList& files)
{
    std::vector<std::string> out;
    for (const QString& f : files)
        out.push_back(QFileInfo(f).absoluteFilePath().toStdString());
    return out;
}

}  // namespace

QStringList QtNameFilters(const std::string& filter)
{
    QStringList out;
    for (const FilterEntry& e : ParseFilter(filter)) {
        // Qt takes the patterns from the last parenthesised part of the text,
        // separated by blanks; names that carry their own "(*.a;*.b)" lose it.
        QString name = Q(e.name).trimmed();
        if (name.endsWith(')')) {
            int open = name.lastIndexOf('(');
            if (open > 0)
                name = name.left(open).trimmed();
        }
        QStringList patterns;
        for (const std::string& p : e.patterns)
            patterns << Q(p);
        out << name + " (" + patterns.join(' ') + ")";
    }
    return out;
}

COpenDialog::COpenDialog(QWidget* parent, const std::string& title, const std::string& filter, bool multiple)
    : QFileDialog(parent)
{
    SetUp(*this, title, filter);
    setAcceptMode(AcceptOpen);
    setFileMode(multiple ? ExistingFiles : ExistingFile);
    setOption(ReadOnly, false);

    auto* panel = new QWidget(this);
    panel->setObjectName("iconPreview");
    auto* box = new QVBoxLayout(panel);
    box->setContentsMargins(6, 0, 0, 0);
    caption_ = new QLabel(panel);
    caption_->setObjectName("iconCaption");
    icons_ = new QListWidget(panel);
    icons_->setObjectName("iconList");
    icons_->setIconSize(QSize(32, 32));
    icons_->setSelectionMode(QAbstractItemView::NoSelection);
    icons_->setFocusPolicy(Qt::NoFocus);
    icons_->setMinimumWidth(180);
    box->addWidget(caption_);
    box->addWidget(icons_, 1);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);

    connect(this, &QFileDialog::currentChanged, this, &COpenDialog::UpdatePreview);
    if (auto* edit = findChild<QLineEdit*>("fileNameEdit"))
        connect(edit, &QLineEdit::textChanged, this, &COpenDialog::UpdatePreview);
}

QString COpenDialog::SelectedFile() const
{
    if (auto* edit = findChild<QLineEdit*>("fileNameEdit")) {
        const QString text = edit->text();
        if (!text.isEmpty()) {
            QFileInfo info(text);
            if (info.isRelative())
                info = QFileInfo(directory().absoluteFilePath(text));
            return info.isFile() ? info.absoluteFilePath() : QString();
        }
    }
    const QStringList files = selectedFiles();
    if (files.size() == 1 && QFileInfo(files.front()).isFile())
        return QFileInfo(files.front()).absoluteFilePath();
    return {};
}

void COpenDialog::UpdatePreview()
{
    const auto* edit = findChild<QLineEdit*>("fileNameEdit");
    const std::string text = edit ? edit->text().toStdString() : std::string();
    if (IsMultipleSelectionText(text)) {
        shownFile_.clear();
        icons_->clear();
        caption_->setText(Q(LoadString(55050)));
        return;
    }
    const QString file = SelectedFile();
    // The text changes on every key typed; read a file only when it is another one.
    if (file == shownFile_ && !caption_->text().isEmpty())
        return;
    shownFile_ = file;
    icons_->clear();
    if (file.isEmpty()) {
        caption_->clear();
        return;
    }
    IconFilePreview preview = PreviewIconFile(file.toStdString());
    caption_->setText(Q(preview.caption));
    const QColor background = icons_->palette().color(QPalette::Base);
    for (const CIconGroup& group : preview.icons)
        icons_->addItem(new QListWidgetItem(Thumbnail(group, background), Q(group.DisplayName())));
}

QString COpenDialog::PreviewCaption() const { return caption_->text(); }

QStringList COpenDialog::PreviewNames() const
{
    QStringList names;
    for (int i = 0; i < icons_->count(); ++i)
        names << icons_->item(i)->text();
    return names;
}

std::vector<std::string> COpenDialog::ChosenPaths() const { return Paths(selectedFiles()); }

std::vector<std::string> ShowOpenDialog(QWidget* parent, const std::string& title, const std::string& filter,
                                        bool multiple)
{
    if (!parent)
        parent = QApplication::activeWindow();
    if (OffersIconFiles(filter)) {
        COpenDialog dialog(parent, title, filter, multiple);
        return dialog.exec() == QDialog::Accepted ? dialog.ChosenPaths() : std::vector<std::string>{};
    }
    QFileDialog dialog(parent);
    SetUp(dialog, title, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    return dialog.exec() == QDialog::Accepted ? Paths(dialog.selectedFiles()) : std::vector<std::string>{};
}

std::vector<std::string> QtFileChooser::ChooseOpen(const std::string& title, const std::string& filter,
                                                   bool multiple)
{
    return ShowOpenDialog(parent_, title, filter, multiple);
}

std::string QtFileChooser::ChooseSave(const std::string& title, const std::string& filter,
                                      const std::string& suggestedPath)
{
    QFileDialog dialog(parent_ ? parent_ : QApplication::activeWindow());
    SetUp(dialog, title, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!suggestedPath.empty())
        dialog.selectFile(Q(suggestedPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QFileInfo(dialog.selectedFiles().front()).absoluteFilePath().toStdString();
}

}  // namespace kavrel
