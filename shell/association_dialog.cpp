#include "shell/association_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/strings.h"

namespace kavrel {

namespace {

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

// The tall picture on the left: a warning sign over a document.
QPixmap WarningPicture()
{
    QPixmap picture(72, 180);
    picture.fill(QColor(0, 0, 128));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 255, 255));
    p.setPen(Qt::NoPen);
    p.drawRect(14, 90, 44, 56);
    p.setBrush(QColor(255, 204, 0));
    p.setPen(QPen(Qt::black, 2));
    QPolygon triangle({QPoint(36, 22), QPoint(64, 72), QPoint(8, 72)});
    p.drawPolygon(triangle);
    p.setPen(QPen(Qt::black, 5));
    p.drawLine(36, 38, 36, 56);
    p.drawPoint(36, 65);
    return picture;
}

} // namespace

CAssociationDialog::CAssociationDialog(const AssociationChoices& choices, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AssociationWarning"));
    setWindowTitle(Text(56440));
    auto* outer = new QHBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(WarningPicture());
    picture->setAlignment(Qt::AlignTop);
    outer->addWidget(picture);

    auto* right = new QVBoxLayout;
    auto* title = new QLabel(Text(56441), this);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    title->setFont(bold);
    right->addWidget(title);
    auto* intro = new QLabel(Text(56442), this);
    intro->setWordWrap(true);
    right->addWidget(intro);

    auto* kinds = new QGridLayout;
    auto addKind = [&](int row, int control, int name, int detail, int value) {
        auto* box = new QCheckBox(Text(name), this);
        box->setObjectName(QString::number(control));
        box->setChecked(value == 1);
        kinds->addWidget(box, row * 2, 0);
        auto* note = new QLabel(Text(detail), this);
        note->setIndent(24);
        kinds->addWidget(note, row * 2 + 1, 0);
    };
    addKind(0, 1114, 56443, 56444, choices.icons);
    addKind(1, 1113, 56445, 56446, choices.libraries);
    right->addLayout(kinds);
    for (auto [control, text, value] :
         {std::tuple{1042, 56447, choices.showWarning}, std::tuple{1043, 56448, choices.autoRepair}}) {
        auto* box = new QCheckBox(Text(text), this);
        box->setObjectName(QString::number(control));
        box->setChecked(value == 1);
        right->addWidget(box);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* repair = new QPushButton(Text(56449), this);
    repair->setDefault(true);
    auto* close = new QPushButton(Text(56450), this);
    connect(repair, &QPushButton::clicked, this, &QDialog::accept);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(repair);
    buttons->addWidget(close);
    right->addStretch();
    right->addLayout(buttons);
    outer->addLayout(right, 1);
    resize(560, 260);
}

QCheckBox* CAssociationDialog::Box(int control) const
{
    return findChild<QCheckBox*>(QString::number(control));
}

AssociationChoices CAssociationDialog::Choices() const
{
    auto value = [this](int control) { return Box(control)->isChecked() ? 1 : 0; };
    return {value(1114), value(1113), value(1042), value(1043)};
}

bool QtAssociationWarning::Show(AssociationChoices& choices)
{
    CAssociationDialog dialog(choices, parent_);
    bool repair = dialog.exec() == QDialog::Accepted;
    choices = dialog.Choices();
    return repair;
}

} // namespace kavrel
