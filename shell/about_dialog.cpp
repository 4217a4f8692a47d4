#include "shell/about_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "model/picture_import.h"
#include "platform/dib.h"
#include "platform/screen.h"
#include "resources/strings.h"
#include "shell/core/frame_rules.h"

namespace kavrel {

namespace {

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

// The start-up picture beside the program, when there is one.
QImage StartupPicture()
{
    std::string path = QCoreApplication::applicationDirPath().toStdString() + "/kavrel-splash.jpg";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {};
    std::optional<Bitmap> bitmap = DibToBitmap(ReadJpegFile(path));
    if (!bitmap || bitmap->isNull() || bitmap->isMono())
        return {};
    return QImage(reinterpret_cast<const uchar*>(bitmap->colorBits()), bitmap->width(), bitmap->height(),
                  bitmap->width() * 4, QImage::Format_RGB32)
        .copy();
}

// The box's picture: the start-up picture, else the product name over a
// dusk gradient with a few enlarged pixels, drawn here.
QPixmap Picture()
{
    QImage startup = StartupPicture();
    if (!startup.isNull())
        return QPixmap::fromImage(startup);

    QPixmap pm(360, 115);
    QPainter p(&pm);
    QLinearGradient sky(0, 0, 0, pm.height());
    sky.setColorAt(0, QColor(10, 20, 70));
    sky.setColorAt(1, QColor(90, 40, 120));
    p.fillRect(pm.rect(), sky);
    const QColor cells[] = {QColor(255, 80, 80), QColor(255, 200, 0), QColor(80, 200, 80), QColor(80, 160, 255)};
    for (int i = 0; i < 12; ++i)
        p.fillRect(250 + (i % 4) * 22, 20 + (i / 4) * 22, 20, 20, cells[(i * 7 + i / 4) % 4]);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(34);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(16, 10, 240, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kavrel"));
    f.setPixelSize(14);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(220, 220, 255));
    p.drawText(QRect(18, 64, 240, 30), Qt::AlignLeft | Qt::AlignVCenter, Text(56211));
    return pm;
}

} // namespace

std::string SystemMemoryLine()
{
    std::ifstream in("/proc/meminfo");
    if (in) {
        std::stringstream text;
        text << in.rdbuf();
        if (auto kb = TotalMemoryKb(text.str()))
            return MemoryLine(*kb);
    }
    long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    if (pages > 0 && size > 0)
        return MemoryLine(static_cast<long long>(pages) * size / 1024);
    return {};
}

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(Text(56210));
    auto* picture = new QLabel(this);
    picture->setPixmap(Picture());
    picture->setFrameShape(QFrame::Panel);
    picture->setFrameShadow(QFrame::Sunken);
    auto* name = new QLabel(Text(2), this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    memory_ = new QLabel(QString::fromStdString(SystemMemoryLine()), this);
    video_ = new QLabel(QString::fromStdString(VideoLine(Screen())), this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Text(56212), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(name);
    layout->addWidget(memory_);
    layout->addWidget(video_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CAboutDialog::MemoryText() const
{
    return memory_->text();
}
QString CAboutDialog::VideoText() const
{
    return video_->text();
}

void ShowAboutBox(QWidget* parent)
{
    CAboutDialog dialog(parent);
    dialog.exec();
}

} // namespace kavrel
