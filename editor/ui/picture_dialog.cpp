#include "editor/ui/picture_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "document/open_files.h"
#include "model/picture_import.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kPreviewLabel = 56268;
constexpr int kPreviewSide = 128;

QImage ImageOf(const Bitmap& b)
{
    return QImage(reinterpret_cast<const uchar*>(b.colorBits()), b.width(), b.height(), b.width() * 4,
                  QImage::Format_RGB32)
        .copy();
}

} // namespace

QStringList PictureNameFilters(const std::string& filter)
{
    QStringList out;
    for (const FilterEntry& e : ParseFilter(filter)) {
        QString name = QString::fromStdString(e.name).trimmed();
        // Qt reads the patterns from the last parenthesised part.
        if (const int open = name.lastIndexOf('('); open > 0 && name.endsWith(')'))
            name = name.left(open).trimmed();
        QStringList patterns;
        for (const std::string& p : e.patterns)
            patterns << QString::fromStdString(p == "*.*" ? std::string("*") : p);
        out << name + " (" + patterns.join(' ') + ")";
    }
    return out;
}

CPictureDialog::CPictureDialog(QWidget* parent, const std::string& title, const std::string& filter)
    : QFileDialog(parent)
{
    setOption(DontUseNativeDialog, true);
    setWindowTitle(QString::fromStdString(title));
    setNameFilters(PictureNameFilters(filter));
    setDefaultSuffix("bmp");
    setAcceptMode(AcceptOpen);
    setFileMode(ExistingFile);

    auto* panel = new QWidget(this);
    panel->setObjectName("picturePreview");
    auto* box = new QVBoxLayout(panel);
    box->setContentsMargins(6, 0, 0, 0);
    previewBox_ = new QCheckBox(QString::fromStdString(LoadString(kPreviewLabel)), panel);
    previewBox_->setObjectName("previewCheck");
    previewBox_->setChecked(true);
    picture_ = new QLabel(panel);
    picture_->setObjectName("pictureLabel");
    picture_->setFixedSize(kPreviewSide + 4, kPreviewSide + 4);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameShape(QFrame::StyledPanel);
    box->addWidget(previewBox_);
    box->addWidget(picture_);
    box->addStretch(1);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);

    connect(this, &QFileDialog::currentChanged, this, &CPictureDialog::ShowPreview);
    // A name typed or pasted into the file-name field previews as well.
    if (auto* edit = findChild<QLineEdit*>("fileNameEdit"))
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
            QFileInfo info(text);
            if (info.isRelative())
                info = QFileInfo(directory().absoluteFilePath(text));
            if (info.isFile())
                ShowPreview(info.absoluteFilePath());
        });
    connect(previewBox_, &QCheckBox::toggled, this, [this] {
        const QString again = shown_;
        shown_.clear();
        ShowPreview(again);
    });
}

void CPictureDialog::ShowPreview(const QString& path)
{
    if (path == shown_ && !path.isEmpty())
        return;
    shown_ = path;
    picture_->clear();
    if (!previewBox_->isChecked() || path.isEmpty() || !QFileInfo(path).isFile())
        return;
    // Read with the import's own readers, so the preview shows what imports.
    const PackedDib dib = ImportPicture(path.toStdString(), kPreviewSide, kPreviewSide, 24);
    if (dib.empty())
        return;
    if (const std::optional<Bitmap> b = DibToBitmap(dib))
        picture_->setPixmap(QPixmap::fromImage(ImageOf(*b)));
}

QImage CPictureDialog::PreviewImage() const
{
    return picture_->pixmap().toImage();
}

std::string CPictureDialog::ChosenPath() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? std::string() : QFileInfo(files.front()).absoluteFilePath().toStdString();
}

std::string ChoosePictureFile(QWidget* parent, const std::string& title, const std::string& filter)
{
    CPictureDialog dialog(parent ? parent : QApplication::activeWindow(), title, filter);
    return dialog.exec() == QDialog::Accepted ? dialog.ChosenPath() : std::string();
}

} // namespace kavrel
