#include "shell/customize_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editor/ui/format_list.h"
#include "librarian/icon_payload.h"
#include "model/ico_file.h"
#include "model/render.h"
#include "platform/prompter.h"
#include "resources/strings.h"
#include "shell/core/help.h"
#include "shell/open_dialog.h"

namespace kavrel {

namespace {

constexpr int kItemWidth = 72;
constexpr int kItemHeight = 79;
constexpr int kTextBand = 29;
constexpr int kStripHeight = 28;

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

QColor Ref(std::uint32_t colorRef)
{
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

QImage ToImage(const PngPixels& pixels)
{
    QImage image(pixels.width, pixels.height, QImage::Format_ARGB32);
    for (int y = 0; y < pixels.height; ++y)
        std::copy_n(pixels.argb.data() + static_cast<std::size_t>(y) * pixels.width, pixels.width,
                    reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    return image;
}

// The icons of a file, each at its 32x32 (or nearest) format.
std::vector<QPixmap> IconsOf(const std::string& path)
{
    std::vector<QPixmap> icons;
    std::vector<CIconGroup> groups;
    if (LoadIconsFromFile(groups, path) <= 0)
        return icons;
    for (const CIconGroup& group : groups) {
        QPixmap pixmap;
        if (group.FormatCount() > 0)
            if (auto pixels = RenderWithAlpha(*group.GetFormat(group.BestFormat(1, 2))))
                pixmap = QPixmap::fromImage(ToImage(*pixels));
        icons.push_back(pixmap);
    }
    return icons;
}

// Windows paths name nothing here: "%SystemRoot%" stands for the Windows folder.
std::string LocalPath(const std::string& path)
{
    const std::string root = "%SystemRoot%";
    if (path.starts_with(root))
        return WindowsDirectory() + path.substr(root.size());
    return path;
}

// Draws an entry as the item of an icon list: icon area, text band, red
// frame while it is the drop target.
class EntryDelegate : public QStyledItemDelegate {
  public:
    explicit EntryDelegate(CCustomizeEntryList* list) : QStyledItemDelegate(list), list_(list) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {kItemWidth, kItemHeight}; }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QRect item = option.rect;
        QRect band(item.left() + 1, item.bottom() - kTextBand + 1, item.width() - 2, kTextBand - 1);
        QRect iconArea = QRect(item.left(), item.top(), item.width(), item.height() - kTextBand).adjusted(6, 1, -6, -1);
        bool selected = option.state & QStyle::State_Selected;
        bool focused = list_->hasFocus();
        QColor window = option.palette.color(QPalette::Base);
        QColor iconFill = window, bandFill = window;
        if (selected) {
            iconFill = focused ? Ref(0xFF8080) : Ref(0xC0C0C0);
            bandFill = focused ? Ref(0x800000) : Ref(0x808080);
        }
        p->fillRect(iconArea, iconFill);
        p->fillRect(band, bandFill);
        QPixmap icon = index.data(Qt::DecorationRole).value<QPixmap>();
        if (!icon.isNull())
            p->drawPixmap(iconArea.center().x() - icon.width() / 2 + 1, iconArea.center().y() - icon.height() / 2 + 1,
                          icon);
        p->setPen(selected ? Qt::white : Qt::black);
        p->drawText(band.adjusted(1, 0, -1, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                    index.data(Qt::DisplayRole).toString());
        if (selected && focused) {
            QPen dotted(Qt::white, 1, Qt::DotLine);
            p->setPen(dotted);
            p->drawRect(band.adjusted(0, 0, -1, -1));
        }
        p->setPen(list_->DropHighlight() == index.row() ? Ref(0x0000FF) : window);
        p->setBrush(Qt::NoBrush);
        p->drawRect(item.adjusted(0, 0, -1, -1));
    }

  private:
    CCustomizeEntryList* list_;
};

} // namespace

QPixmap EntryIcon(const CustomEntry& entry)
{
    std::vector<QPixmap> icons = IconsOf(LocalPath(entry.path));
    if (entry.index >= 0 && static_cast<std::size_t>(entry.index) < icons.size() && !icons[entry.index].isNull())
        return icons[entry.index];
    icons = IconsOf(LocalPath(Shell32Path()));
    if (!icons.empty() && !icons[0].isNull())
        return icons[0];
    // The shell's files do not exist here: what the desktop shows for it now.
    QIcon fallback = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    if (!entry.themeName.empty())
        fallback = QIcon::fromTheme(QString::fromStdString(entry.themeName), fallback);
    return fallback.pixmap(32, 32);
}

// ---- the browse dialog ----

CIconBrowseDialog::CIconBrowseDialog(const QString& title, const QString& startPath, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ChangeIcon"));
    setWindowTitle(title);
    auto* layout = new QHBoxLayout(this);
    auto* files = new QFileDialog(this, title);
    files->setWindowFlags(Qt::Widget);
    files->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    files->setFileMode(QFileDialog::ExistingFile);
    files->setDefaultSuffix(QStringLiteral("ico"));
    QStringList filters;
    std::string filter = LoadString(55028);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < filter.size()) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string::npos)
            bar = filter.size();
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].empty()) {
            QString patterns = QString::fromStdString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
            filters << QString::fromStdString(parts[i]) + QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
    files->setNameFilters(filters);
    // The entry's file, when it exists here.
    bool startExists = !startPath.isEmpty() && QFileInfo(startPath).isFile();
    if (startExists)
        files->selectFile(startPath);
    layout->addWidget(files, 1);

    auto* panel = new QVBoxLayout;
    caption_ = new QLabel(this);
    icons_ = new QListWidget(this);
    icons_->setViewMode(QListView::IconMode);
    icons_->setGridSize(QSize(62, 72));
    icons_->setIconSize(QSize(32, 32));
    icons_->setMovement(QListView::Static);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setMinimumWidth(200);
    auto* hint = new QLabel(Text(56475), this);
    hint->setWordWrap(true);
    panel->addWidget(caption_);
    panel->addWidget(icons_, 1);
    panel->addWidget(hint);
    layout->addLayout(panel);

    connect(files, &QFileDialog::currentChanged, this, &CIconBrowseDialog::ShowIconsOf);
    // A name typed in whole shows its icons too.
    if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(name, &QLineEdit::textChanged, this, [this, files](const QString& text) {
            QString path = QDir(files->directory()).absoluteFilePath(text);
            if (QFileInfo(path).isFile() && path != file_)
                ShowIconsOf(path);
        });
    connect(files, &QFileDialog::fileSelected, this, [this](const QString& path) {
        file_ = path;
        accept();
    });
    connect(files, &QFileDialog::rejected, this, &QDialog::reject);
    connect(icons_, &QListWidget::itemDoubleClicked, this, [this] {
        if (!file_.isEmpty())
            accept();
    });
    if (startExists)
        ShowIconsOf(startPath);
    resize(860, 480);
}

void CIconBrowseDialog::ShowIconsOf(const QString& path)
{
    icons_->clear();
    file_ = path;
    caption_->setText(QString::fromStdString(FormatString(56474, QFileInfo(path).fileName().toStdString())));
    std::vector<QPixmap> icons = IconsOf(path.toStdString());
    for (std::size_t i = 0; i < icons.size(); ++i)
        icons_->addItem(new QListWidgetItem(QIcon(icons[i]), QString::fromStdString(FormatString(44, int(i) + 1))));
    if (!icons.empty())
        icons_->setCurrentRow(0);
}

int CIconBrowseDialog::SelectedIcon() const
{
    return std::max(0, icons_->currentRow());
}

bool QtIconChooser::ChooseIcon(const std::string& title, std::string& path, int& index)
{
    CIconBrowseDialog dialog(QString::fromStdString(title), QString::fromStdString(LocalPath(path)), parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.SelectedFile().isEmpty())
        return false;
    path = dialog.SelectedFile().toStdString();
    index = dialog.SelectedIcon();
    return true;
}

// ---- the entry list ----

CCustomizeEntryList::CCustomizeEntryList(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("1027"));
    SetUpIconGrid(*this, QSize(kItemWidth, kItemHeight));
    setItemDelegate(new EntryDelegate(this));
    setAcceptDrops(true);
    setDragEnabled(false);
    setDropIndicatorShown(false);
    viewport()->setAcceptDrops(true);
}

void CCustomizeEntryList::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QString::fromLatin1(kIconsMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CCustomizeEntryList::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasFormat(QString::fromLatin1(kIconsMimeType))) {
        event->ignore();
        return;
    }
    QListWidgetItem* item = itemAt(event->position().toPoint());
    SetDropHighlight(item ? row(item) : -1);
    if (item)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CCustomizeEntryList::dragLeaveEvent(QDragLeaveEvent* event)
{
    SetDropHighlight(-1);
    QListWidget::dragLeaveEvent(event);
}

void CCustomizeEntryList::dropEvent(QDropEvent* event)
{
    QListWidgetItem* item = itemAt(event->position().toPoint());
    SetDropHighlight(-1);
    QByteArray bytes = event->mimeData()->data(QString::fromLatin1(kIconsMimeType));
    std::optional<IconPayload> payload =
        DecodeIconPayload(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
    if (!item || !payload || payload->indices.empty() || payload->sourceKey.empty()) {
        event->ignore();
        return;
    }
    // The icon stays where it is: the entry only names its file.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit iconDropped(row(item), QString::fromStdString(payload->sourceKey), payload->indices.front(),
                     payload->kind == IconSourceKind::LibrarianBar);
}

void CCustomizeEntryList::SetDropHighlight(int entry)
{
    if (entry == dropHighlight_)
        return;
    dropHighlight_ = entry;
    viewport()->repaint();
}

// ---- the tool window ----

CCustomizeWindow::CCustomizeWindow(std::unique_ptr<CustomizeWindows> core, QWidget* parent, IconChooser* chooser)
    : QWidget(parent, Qt::Tool), core_(std::move(core)), chooser_(chooser)
{
    setObjectName(QStringLiteral("CustomizeWindows"));
    setWindowTitle(Text(48));
    if (!chooser_) {
        ownChooser_ = std::make_unique<QtIconChooser>(this);
        chooser_ = ownChooser_.get();
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pages_ = new QTabWidget(this);
    pages_->addTab(MakeParameters(), Text(56460));
    pages_->addTab(MakeEntryPage(1), Text(56461));
    pages_->addTab(MakeEntryPage(2), Text(56462));
    layout->addWidget(pages_, 1);
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page > 0)
            FillPage(page);
    });

    auto* strip = new QWidget(this);
    strip->setFixedHeight(kStripHeight + 6);
    strip->setAutoFillBackground(true);
    QPalette grey = strip->palette();
    grey.setColor(QPalette::Window, Ref(0xC0C0C0));
    strip->setPalette(grey);
    auto* buttons = new QHBoxLayout(strip);
    buttons->setContentsMargins(6, 3, 6, 3);
    buttons->addStretch();
    apply_ = new QPushButton(Text(56463), strip);
    apply_->setObjectName(QStringLiteral("152"));
    auto* close = new QPushButton(Text(56464), strip);
    close->setObjectName(QStringLiteral("151"));
    for (QPushButton* b : {apply_, close}) {
        b->setMinimumSize(80, 23);
        buttons->addWidget(b);
    }
    apply_->setEnabled(false);
    connect(apply_, &QPushButton::clicked, this, [this] { Apply(false); });
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    layout->addWidget(strip);
    resize(440, 460);
}

CCustomizeWindow::~CCustomizeWindow() = default;

QWidget* CCustomizeWindow::MakeParameters()
{
    loading_ = true;
    CustomParameters p = core_->ReadParameters();
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);

    auto* sizeGroup = new QGroupBox(Text(56477), page);
    auto* sizeLayout = new QHBoxLayout(sizeGroup);
    const int controls[4] = {1116, 1117, 1118, 1126};
    auto* group = new QButtonGroup(page);
    for (int i = 0; i < 4; ++i) {
        sizes_[i] = new QRadioButton(Text(56465 + i), sizeGroup);
        sizes_[i]->setObjectName(QString::number(controls[i]));
        group->addButton(sizes_[i], i);
        sizeLayout->addWidget(sizes_[i]);
    }
    sizes_[std::clamp(p.sizeIndex, 0, 3)]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this] { Changed(); });
    layout->addWidget(sizeGroup);

    auto* spacing = new QGroupBox(Text(56480), page);
    auto* grid = new QGridLayout(spacing);
    hSpacing_ = new QSpinBox(spacing);
    vSpacing_ = new QSpinBox(spacing);
    int row = 0;
    for (auto [spin, text, value, control] : {std::tuple{hSpacing_, 56478, p.horizontalSpacing, 1122},
                                              std::tuple{vSpacing_, 56479, p.verticalSpacing, 1121}}) {
        spin->setRange(1, 100);
        spin->setValue(value);
        spin->setObjectName(QString::number(control));
        auto* label = new QLabel(Text(text), spacing);
        label->setBuddy(spin);
        grid->addWidget(label, row, 0);
        grid->addWidget(spin, row, 1);
        ++row;
        connect(spin, &QSpinBox::valueChanged, this, [this] { Changed(); });
    }
    grid->setColumnStretch(2, 1);
    layout->addWidget(spacing);

    arrow_ = new QCheckBox(Text(56469), page);
    arrow_->setObjectName(QStringLiteral("1120"));
    arrow_->setChecked(p.arrow);
    highColour_ = new QCheckBox(Text(56470), page);
    highColour_->setObjectName(QStringLiteral("1119"));
    highColour_->setChecked(p.highColour);
    for (QCheckBox* box : {arrow_, highColour_}) {
        layout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this] { Changed(); });
    }
    useTheme_ = new QCheckBox(Text(56476), page);
    useTheme_->setChecked(core_->UsingTheme());
    connect(useTheme_, &QCheckBox::clicked, this, [this](bool use) { core_->UseTheme(use); });
    layout->addWidget(useTheme_);

    auto* rebuild = new QPushButton(Text(56471), page);
    rebuild->setObjectName(QStringLiteral("1125"));
    connect(rebuild, &QPushButton::clicked, this, [this] { core_->RebuildIconCache(); });
    auto* rebuildRow = new QHBoxLayout;
    rebuildRow->addWidget(rebuild);
    rebuildRow->addStretch();
    layout->addLayout(rebuildRow);
    layout->addStretch();
    loading_ = false;
    return page;
}

QWidget* CCustomizeWindow::MakeEntryPage(int page)
{
    auto* widget = new QWidget(this);
    auto* layout = new QVBoxLayout(widget);
    lists_[page - 1] = new CCustomizeEntryList(widget);
    layout->addWidget(lists_[page - 1], 1);
    auto* buttons = new QHBoxLayout;
    auto* change = new QPushButton(Text(56472), widget);
    change->setObjectName(QStringLiteral("1124"));
    auto* reset = new QPushButton(Text(56473), widget);
    reset->setObjectName(QStringLiteral("1125"));
    buttons->addWidget(change);
    buttons->addWidget(reset);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(change, &QPushButton::clicked, this, [this, page] { ChangeIcon(page); });
    connect(lists_[page - 1], &CCustomizeEntryList::iconDropped, this,
            [this, page](int entry, const QString& path, int index, bool fromLibrarian) {
                if (fromLibrarian && saveLibrarian_)
                    saveLibrarian_();
                DropIcon(page, entry, path.toStdString(), index);
            });
    connect(reset, &QPushButton::clicked, this, [this, page] { DefaultIcon(page); });
    return widget;
}

CCustomizeEntryList* CCustomizeWindow::List(int page) const
{
    return page == 1 || page == 2 ? lists_[page - 1] : nullptr;
}

std::vector<CustomEntry>& CCustomizeWindow::Entries(int page)
{
    FillPage(page);
    return entries_[page - 1];
}

void CCustomizeWindow::FillPage(int page)
{
    if (page < 1 || page > 2 || filled_[page - 1])
        return;
    filled_[page - 1] = true;
    entries_[page - 1] = page == 1 ? core_->ReadDesktopItems() : core_->ReadStandardIcons();
    CCustomizeEntryList* list = lists_[page - 1];
    list->clear();
    for (const CustomEntry& e : entries_[page - 1]) {
        auto* item = new QListWidgetItem(QString::fromStdString(e.name));
        item->setData(Qt::DecorationRole, EntryIcon(e));
        item->setSizeHint(QSize(kItemWidth, kItemHeight));
        list->addItem(item);
    }
}

void CCustomizeWindow::RepaintEntry(int page, int entry)
{
    const CustomEntry& e = entries_[page - 1][static_cast<std::size_t>(entry)];
    if (QListWidgetItem* item = lists_[page - 1]->item(entry))
        item->setData(Qt::DecorationRole, EntryIcon(e));
}

void CCustomizeWindow::Changed()
{
    if (!loading_)
        apply_->setEnabled(true);
}

void CCustomizeWindow::ChangeIcon(int page)
{
    int entry = lists_[page - 1]->currentRow();
    if (entry < 0)
        return;
    CustomEntry& e = entries_[page - 1][static_cast<std::size_t>(entry)];
    std::string path = e.path;
    int index = e.index;
    if (!chooser_->ChooseIcon(FormatString(77, e.name), path, index))
        return;
    CustomizeWindows::SetIcon(e, path, index);
    RepaintEntry(page, entry);
    Changed();
}

void CCustomizeWindow::DefaultIcon(int page)
{
    int entry = lists_[page - 1]->currentRow();
    if (entry < 0)
        return;
    CustomEntry& e = entries_[page - 1][static_cast<std::size_t>(entry)];
    if (Prompts().Message(FormatString(78, e.name), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    core_->SetDefaultIcon(e);
    RepaintEntry(page, entry);
    Changed();
}

int CCustomizeWindow::EntryAt(int page, const QPoint& listPoint) const
{
    CCustomizeEntryList* list = List(page);
    if (!list)
        return -1;
    QListWidgetItem* item = list->itemAt(listPoint);
    return item ? list->row(item) : -1;
}

bool CCustomizeWindow::DropIcon(int page, int entry, const std::string& path, int index)
{
    if (page < 1 || page > 2 || entry < 0 || static_cast<std::size_t>(entry) >= Entries(page).size())
        return false;
    CustomEntry& e = entries_[page - 1][static_cast<std::size_t>(entry)];
    e.path = path;
    e.index = index;
    lists_[page - 1]->SetDropHighlight(-1);
    RepaintEntry(page, entry);
    Changed();
    return true;
}

void CCustomizeWindow::Apply(bool fromClosing)
{
    CustomParameters p;
    for (int i = 0; i < 4; ++i)
        if (sizes_[i]->isChecked())
            p.sizeIndex = i;
    p.horizontalSpacing = hSpacing_->value();
    p.verticalSpacing = vSpacing_->value();
    p.arrow = arrow_->isChecked();
    p.highColour = highColour_->isChecked();
    static const std::vector<CustomEntry> none;
    core_->Apply(p, filled_[0] ? entries_[0] : none, filled_[1] ? entries_[1] : none, fromClosing);
    apply_->setEnabled(false);
}

void CCustomizeWindow::FrameClosing()
{
    if (!apply_->isEnabled())
        return;
    std::string question = FormatString(80, LoadString(48));
    if (Prompts().Message(question, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        Apply(true);
}

void CCustomizeWindow::showEvent(QShowEvent* event)
{
    // The first time, over the middle of the main window.
    if (!placed_ && parentWidget()) {
        placed_ = true;
        QRect frame = parentWidget()->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    QWidget::showEvent(event);
}

void CCustomizeWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

} // namespace kavrel
