#include "shell/program_note_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/core/settings.h"

namespace kavrel {

namespace {

// The warning picture: a program window with a caution sign over it.
QPixmap WarningPicture()
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(QColor(230, 230, 230));
    p.drawRect(2, 4, 34, 28);
    p.fillRect(3, 5, 33, 6, QColor(0, 0, 128));
    const QPointF sign[] = {{30, 18}, {46, 46}, {14, 46}};
    p.setBrush(QColor(255, 210, 0));
    p.drawPolygon(sign, 3);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(18);
    p.setFont(f);
    p.drawText(QRect(14, 24, 32, 22), Qt::AlignCenter, QStringLiteral("!"));
    return pm;
}

QLabel* Line(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

CProgramNoteDialog::CProgramNoteDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("NOTE: Program File"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setPixmap(WarningPicture());
    picture->setAlignment(Qt::AlignTop);
    top->addWidget(picture);
    top->addWidget(Line(QStringLiteral("You have opened a program file (*.VBX, *.DLL, *.EXE, *.DRV, *.OCX) as an icon "
                                       "library. These program files contain executable code and impose restrictions:"),
                        this),
                   1);
    layout->addLayout(top);

    auto* can = new QGroupBox(tr("You can"), this);
    auto* canLayout = new QVBoxLayout(can);
    canLayout->addWidget(
        Line(QStringLiteral("Visualize, modify, export, copy in clipboard and add to the librarian any "
                            "icon of this program file."),
             can));
    canLayout->addWidget(Line(QStringLiteral("Save your changes in the same file or export to ICL."), can));
    layout->addWidget(can);

    auto* cannot = new QGroupBox(tr("You cannot"), this);
    auto* cannotLayout = new QVBoxLayout(cannot);
    cannotLayout->addWidget(Line(QStringLiteral("Add or delete icons"), cannot));
    cannotLayout->addWidget(Line(QStringLiteral("Add or delete image formats in icons"), cannot));
    layout->addWidget(cannot);

    always_ = new QCheckBox(QStringLiteral("&Always Display this Message"), this);
    always_->setChecked(ShowWarnExeType != 0);
    layout->addWidget(always_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

void CProgramNoteDialog::done(int result)
{
    ShowWarnExeType = always_->isChecked() ? 1 : 0;
    QDialog::done(result);
}

void ShowProgramNoteIfWanted(QWidget* parent)
{
    if (ShowWarnExeType != 1)
        return;
    CProgramNoteDialog dialog(parent);
    dialog.exec();
}

} // namespace kavrel
