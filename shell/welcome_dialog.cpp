#include "shell/welcome_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/command_ids.h"
#include "resources/strings.h"
#include "shell/core/frame_rules.h"
#include "shell/core/settings.h"
#include "shell/framework/command_router.h"

namespace kavrel {

namespace {

std::function<void(int)> g_helpHandler;

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

// The panel's picture: a light bulb, 32 by 32.
void DrawBulb(QPainter& p, int x, int y)
{
    p.save();
    p.translate(x, y);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(14, 11, 14);
    glow.setColorAt(0, QColor(255, 255, 220));
    glow.setColorAt(1, QColor(255, 220, 0));
    p.setPen(QPen(QColor(96, 64, 0), 1));
    p.setBrush(glow);
    p.drawEllipse(QRectF(4, 1, 22, 21));
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(10, 21, 10, 8));
    p.setPen(QColor(96, 96, 96));
    p.drawLine(10, 24, 20, 24);
    p.drawLine(10, 27, 20, 27);
    p.restore();
}

} // namespace

// ---- CTipPanel ----

CTipPanel::CTipPanel(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(300, 140);
}

void CTipPanel::SetTip(const QString& text)
{
    tip_ = text;
    update();
}

void CTipPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, QColor(255, 255, 192));
    // Sunken frame: grey and white outside, black and light grey inside.
    const int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
    p.setPen(QColor(128, 128, 128));
    p.drawLine(l, t, rr, t);
    p.drawLine(l, t, l, b);
    p.setPen(Qt::white);
    p.drawLine(l, b, rr, b);
    p.drawLine(rr, t, rr, b);
    p.setPen(Qt::black);
    p.drawLine(l + 1, t + 1, rr - 1, t + 1);
    p.drawLine(l + 1, t + 1, l + 1, b - 1);
    p.setPen(QColor(192, 192, 192));
    p.drawLine(l + 1, b - 1, rr - 1, b - 1);
    p.drawLine(rr - 1, t + 1, rr - 1, b - 1);

    DrawBulb(p, l + 15, t + 15);

    p.setPen(Qt::black);
    QFont heading(QStringLiteral("Arial"));
    heading.setPointSize(12);
    heading.setBold(true);
    p.setFont(heading);
    QFontMetrics hm(heading);
    p.drawText(QRect(l + 60, t + 25, r.width() - 90, hm.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               Text(55103));
    p.setFont(font());
    p.drawText(QRect(QPoint(l + 60, t + 55), QPoint(rr - 30, b - 5)), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               tip_);
}

// ---- CWelcomeDialog ----

CWelcomeDialog::CWelcomeDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("WelcomeDialog"));
    setWindowTitle(Text(56200));
    auto* title = new QLabel(Text(56201), this);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    title->setFont(titleFont);

    panel_ = new CTipPanel(this);
    showAtStartup_ = new QCheckBox(Text(56202), this);
    showAtStartup_->setChecked(ShowBienvenue == 1);

    auto* close = new QPushButton(Text(56203), this);
    next_ = new QPushButton(Text(56204), this);
    auto* help = new QPushButton(Text(56205), this);
    auto* what = new QPushButton(Text(56206), this);
    auto* web = new QPushButton(Text(56207), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(next_, &QPushButton::clicked, this, &CWelcomeDialog::NextTip);
    auto openHelp = [](int topic) {
        if (g_helpHandler) {
            g_helpHandler(topic);
            return;
        }
        OpenHelp(topic == 4 ? help_section::kWhatIsKavrel : help_section::kContents);
    };
    connect(help, &QPushButton::clicked, this, [openHelp] { openHelp(0); });
    connect(what, &QPushButton::clicked, this, [openHelp] { openHelp(4); });
    connect(web, &QPushButton::clicked, this, [] { OpenWebSite(); });

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {close, next_, help, what})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(panel_, 1);
    middle->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(showAtStartup_);
    bottom->addStretch(1);
    bottom->addWidget(web);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    NextTip();
}

QString CWelcomeDialog::TipText() const
{
    return Text(tipId_);
}

void CWelcomeDialog::NextTip()
{
    tipId_ = TakeTip(IndexOfTheTip);
    panel_->SetTip(TipText());
}

void CWelcomeDialog::SetHelpHandler(std::function<void(int)> handler)
{
    g_helpHandler = std::move(handler);
}

void CWelcomeDialog::done(int result)
{
    ShowBienvenue = showAtStartup_->isChecked() ? 1 : 0;
    QDialog::done(result);
}

void ShowWelcomeDialog(QWidget* parent)
{
    CWelcomeDialog dialog(parent);
    dialog.exec();
}

} // namespace kavrel
