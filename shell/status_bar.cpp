#include "shell/status_bar.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <cstdint>
#include <qdrawutil.h>

#include "resources/strings.h"

namespace kavrel {

namespace {

// The progress strip's pieces, from its left: edge, filled block, empty
// block, right edge; 14 pixels high.
constexpr int kStripHeight = 14;
constexpr int kBlockWidth = 4;

QPixmap DrawGlyphStrip()
{
    const int w = CStatusBarEx::kGlyphPitch * CStatusBarEx::kGlyphCount;
    QPixmap strip(w, CStatusBarEx::kGlyphHeight);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(0, 0, 0), blue(0, 0, 160), red(192, 0, 0);

    // 0: position, a cross-hair with a dot in its centre.
    p.setPen(ink);
    p.drawLine(5, 0, 5, 3);
    p.drawLine(5, 7, 5, 10);
    p.drawLine(0, 5, 3, 5);
    p.drawLine(7, 5, 10, 5);
    p.setPen(red);
    p.drawPoint(5, 5);

    // 1: size, a dotted rectangle with a diagonal arrow.
    p.translate(CStatusBarEx::kGlyphPitch, 0);
    p.setPen(QPen(ink, 1, Qt::DotLine));
    p.drawRect(0, 1, 10, 9);
    p.setPen(blue);
    p.drawLine(2, 3, 8, 8);
    p.drawLine(8, 8, 8, 5);
    p.drawLine(8, 8, 5, 8);

    // 2: zoom, a magnifying glass.
    p.translate(CStatusBarEx::kGlyphPitch, 0);
    p.setPen(ink);
    p.drawEllipse(0, 0, 7, 7);
    p.fillRect(2, 2, 4, 4, QColor(170, 210, 255));
    p.setPen(QPen(ink, 2));
    p.drawLine(7, 7, 10, 10);

    // 3: colour, four colour squares.
    p.translate(CStatusBarEx::kGlyphPitch, 0);
    p.setPen(Qt::NoPen);
    p.fillRect(0, 1, 5, 5, QColor(255, 0, 0));
    p.fillRect(6, 1, 5, 5, QColor(0, 160, 0));
    p.fillRect(0, 7, 5, 5, QColor(0, 0, 255));
    p.fillRect(6, 7, 5, 5, QColor(255, 255, 0));
    return strip;
}

} // namespace

// ---- CStatusPane ----

CStatusPane::CStatusPane(CStatusBarEx* bar, Kind kind, int width, bool ownerDrawn, const QString& text)
    : QWidget(bar), bar_(bar), kind_(kind), width_(width), ownerDrawn_(ownerDrawn), text_(text)
{
    if (kind_ == Kind::Message)
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    else
        setFixedWidth(width_);
}

QSize CStatusPane::sizeHint() const
{
    int h = std::max(fontMetrics().height() + 4, kStripHeight + 4);
    return {kind_ == Kind::Message ? 100 : width_, h};
}

void CStatusPane::SetText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    // A text pane widens to show a text longer than its width whole (such
    // as "16,8M colors + alpha"), and keeps that width until the layout is
    // set again, so the panes do not move back and forth.
    if (kind_ == Kind::Text) {
        const bool glyph = ownerDrawn_ && text.size() >= 2 && text[0] == QLatin1Char('@') && text[1].isDigit();
        const int needed = fontMetrics().horizontalAdvance(glyph ? text.mid(3) : text) + (glyph ? 16 : 2) + 4;
        if (needed > width_) {
            width_ = needed;
            setFixedWidth(width_);
        }
    }
    update();
}

void CStatusPane::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    QRect r = rect();
    qDrawShadePanel(&p, r, pal, true, 1);
    QRect inside = r.adjusted(1, 1, -1, -1);

    if (kind_ == Kind::Message && bar_->ProgressActive()) {
        bar_->PaintProgress(p, inside);
        return;
    }

    QString text = text_;
    if (kind_ == Kind::Message && !bar_->tip_.isEmpty())
        text = bar_->tip_;
    if (kind_ == Kind::Text && !bar_->DocumentPanesEnabled())
        return;
    if (kind_ == Kind::Indicator) {
        // The lock keys' state is not known to us: the indicators show their
        // names in the disabled colour.
        p.setPen(pal.color(QPalette::Disabled, QPalette::WindowText));
        p.drawText(inside, Qt::AlignCenter, text);
        return;
    }
    if (!ownerDrawn_) {
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(inside.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        return;
    }

    // Owner-drawn: button text on button face, aligned to the bottom; "@N"
    // draws glyph N first and the text from its fourth character.
    p.fillRect(inside, pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::ButtonText));
    int textLeft = 2;
    if (text.size() >= 2 && text[0] == QLatin1Char('@') && text[1].isDigit()) {
        int n = text[1].digitValue();
        if (n < CStatusBarEx::kGlyphCount)
            p.drawPixmap(inside.left() + 2, inside.top() + 1, CStatusBarEx::GlyphStrip(), CStatusBarEx::kGlyphPitch * n,
                         0, CStatusBarEx::kGlyphHeight, CStatusBarEx::kGlyphHeight);
        text = text.mid(3);
        textLeft = 16;
    }
    p.drawText(inside.adjusted(textLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, text);
}

// ---- CStatusBarEx ----

struct CStatusBarEx::PaneSpec {
    CStatusPane::Kind kind;
    int width;
    bool ownerDrawn;
    const char* text;
};

CStatusBarEx::CStatusBarEx(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    // The default interface font's size.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    // Prompts of highlighted commands arrive as the bar's own message; they
    // show in the message pane and leave the other panes in place.
    connect(this, &QStatusBar::messageChanged, this, [this](const QString& text) {
        tip_ = text;
        if (!panes_.empty())
            panes_[0]->update();
    });
    SetLayout(StatusLayout::None);
}

CStatusBarEx::~CStatusBarEx() = default;

void CStatusBarEx::Rebuild(const std::vector<PaneSpec>& specs)
{
    QString message = panes_.empty() ? message_ : panes_[0]->Text();
    for (CStatusPane* pane : panes_) {
        removeWidget(pane);
        delete pane;
    }
    panes_.clear();
    auto* messagePane = new CStatusPane(this, CStatusPane::Kind::Message, 0, false, message);
    addPermanentWidget(messagePane, 1);
    panes_.push_back(messagePane);
    for (const PaneSpec& s : specs) {
        int width = s.kind == CStatusPane::Kind::Indicator ? s.width : ScaledWidth(s.width);
        auto* pane = new CStatusPane(this, s.kind, width, s.ownerDrawn, QString::fromLatin1(s.text));
        addPermanentWidget(pane);
        panes_.push_back(pane);
    }
}

int CStatusBarEx::ScaledWidth(int width) const
{
    // The widths suit a font whose digits are 6 pixels wide, such as "16:1"
    // in the zoom pane; wider fonts widen the panes alike.
    int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    return digit <= 6 ? width : (width * digit + 3) / 6;
}

void CStatusBarEx::SetLayout(StatusLayout layout)
{
    if (layoutApplied_ && layout == layout_)
        return;
    using K = CStatusPane::Kind;
    const int indicatorWidth = fontMetrics().horizontalAdvance(QStringLiteral("CAP")) + 10;
    std::vector<PaneSpec> specs;
    switch (layout) {
    case StatusLayout::None:
        specs = {{K::Text, 123, false, ""},
                 {K::Indicator, indicatorWidth, false, "CAP"},
                 {K::Indicator, indicatorWidth, false, "NUM"}};
        break;
    case StatusLayout::Editor:
        specs = {{K::Text, 130, false, ""}, {K::Text, 50, true, ""}, {K::Text, 50, true, ""},
                 {K::Text, 40, true, ""},   {K::Text, 12, true, ""}, {K::Indicator, indicatorWidth, false, "NUM"}};
        break;
    case StatusLayout::ProgramFile:
    case StatusLayout::Library:
        specs = {{K::Text, 130, false, ""},
                 {K::Text, 170, false, ""},
                 {K::Text, 12, true, ""},
                 {K::Indicator, indicatorWidth, false, "NUM"}};
        break;
    }
    Rebuild(specs);
    layout_ = layout;
    layoutApplied_ = true;
}

CStatusPane* CStatusBarEx::Pane(int pane) const
{
    if (pane < 0 || pane >= PaneCount())
        return nullptr;
    return panes_[static_cast<std::size_t>(pane)];
}

QString CStatusBarEx::PaneText(int pane) const
{
    CStatusPane* p = Pane(pane);
    return p ? p->Text() : QString();
}

void CStatusBarEx::SetPaneText(int pane, const QString& text)
{
    CStatusPane* p = Pane(pane);
    if (!p || p->PaneKind() == CStatusPane::Kind::Indicator)
        return;
    if (pane == 0)
        message_ = text;
    p->SetText(text);
}

int CStatusBarEx::PaneWidth(int pane) const
{
    CStatusPane* p = Pane(pane);
    if (!p)
        return 0;
    return p->PaneKind() == CStatusPane::Kind::Message ? p->width() : p->PaneWidth();
}

bool CStatusBarEx::PaneOwnerDrawn(int pane) const
{
    CStatusPane* p = Pane(pane);
    return p && p->OwnerDrawn();
}

bool CStatusBarEx::PaneIsIndicator(int pane) const
{
    CStatusPane* p = Pane(pane);
    return p && p->PaneKind() == CStatusPane::Kind::Indicator;
}

void CStatusBarEx::SetDocumentPanesEnabled(bool enabled)
{
    if (enabled == documentPanesEnabled_)
        return;
    documentPanesEnabled_ = enabled;
    for (CStatusPane* p : panes_)
        if (p->PaneKind() == CStatusPane::Kind::Text)
            p->update();
}

void CStatusBarEx::SetMessage(const QString& text)
{
    SetPaneText(0, text);
    if (!panes_.empty())
        panes_[0]->repaint();
}

void CStatusBarEx::SetMessage(int stringId)
{
    SetMessage(QString::fromStdString(LoadString(stringId)));
}

QString CStatusBarEx::Message() const
{
    return PaneText(0);
}

void CStatusBarEx::SaveMessage()
{
    savedMessage_ = Message();
}

void CStatusBarEx::RestoreMessage()
{
    SetMessage(savedMessage_);
}

// ---- progress ----

void CStatusBarEx::ProgressBegin(const QString& text)
{
    if (!progressEnabled_)
        return;
    // A second Begin before End keeps the message saved by the first, so End
    // still brings back what the pane showed before any progress.
    if (!progressActive_)
        progressSavedMessage_ = Message();
    progressCaption_ = text.isEmpty() ? QString::fromStdString(LoadString(55083)) : text;
    SetPaneText(0, progressCaption_);
    int w = PaneWidth(0) - 30;
    if (!progressCaption_.isEmpty())
        w -= 100;
    w = std::max(w, 0);
    blocks_ = std::min(w / kBlockWidth, 100);
    filled_ = 0;
    percent_ = 0;
    progressActive_ = true;
    ++progressDraws_;
    if (!panes_.empty())
        panes_[0]->repaint();
}

void CStatusBarEx::ProgressStep(int i, int n)
{
    if (!progressActive_ || n <= 0)
        return;
    i = std::clamp(i, 0, n);
    percent_ = static_cast<int>(static_cast<std::int64_t>(i) * 100 / n);
    int filled = static_cast<int>(static_cast<std::int64_t>(i) * blocks_ / n);
    if (filled == filled_)
        return;
    int from = std::min(filled, filled_), to = std::max(filled, filled_);
    filled_ = filled;
    RepaintProgressBlocks(from, to);
}

void CStatusBarEx::ProgressEnd()
{
    if (!progressActive_)
        return;
    progressActive_ = false;
    progressCaption_.clear();
    SetMessage(progressSavedMessage_);
}

void CStatusBarEx::Begin(const std::string& caption, int steps)
{
    progressSteps_ = steps;
    ProgressBegin(QString::fromStdString(caption));
}

void CStatusBarEx::Step(int i)
{
    ProgressStep(i, progressSteps_);
}

void CStatusBarEx::End()
{
    ProgressEnd();
}

void CStatusBarEx::RepaintProgressBlocks(int from, int to)
{
    ++progressDraws_;
    if (panes_.empty())
        return;
    CStatusPane* pane = panes_[0];
    int x0 = 1 + (progressCaption_.isEmpty() ? 0 : 90);
    // The changed blocks and the percentage after them.
    QRect dirty(x0 + 5 + kBlockWidth * from, 0, kBlockWidth * (to - from), pane->height());
    QRect percent(x0 + kBlockWidth * blocks_ + 10, 0, pane->width(), pane->height());
    pane->repaint(QRegion(dirty) + QRegion(percent));
}

void CStatusBarEx::PaintProgress(QPainter& p, const QRect& r)
{
    const QColor face = palette().color(QPalette::Button);
    p.fillRect(r, face);
    p.setPen(palette().color(QPalette::ButtonText));
    int x0 = progressCaption_.isEmpty() ? 0 : 90;
    if (!progressCaption_.isEmpty())
        p.drawText(QRect(r.left() + 2, r.top(), x0 - 4, r.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, progressCaption_);
    int left = r.left() + x0;
    int top = r.top() + 1;
    const QColor edge(128, 128, 128), fill(0, 0, 128), empty(255, 255, 255);
    // Left edge, the blocks, the right edge.
    p.fillRect(left + 4, top, 1, kStripHeight, edge);
    for (int k = 0; k < blocks_; ++k) {
        int x = left + 5 + kBlockWidth * k;
        p.fillRect(x, top, kBlockWidth, kStripHeight, edge);
        p.fillRect(x, top + 1, kBlockWidth - 1, kStripHeight - 2, k < filled_ ? fill : empty);
    }
    int right = left + 5 + kBlockWidth * blocks_;
    p.fillRect(right, top, 2, kStripHeight, edge);

    QString percent = QStringLiteral("%1%       ").arg(percent_);
    QRect box(left + kBlockWidth * blocks_ + 10, top, p.fontMetrics().horizontalAdvance(percent), kStripHeight);
    p.fillRect(box, QColor(0xC0, 0xC0, 0xC0));
    p.setPen(Qt::black);
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, percent);
}

const QPixmap& CStatusBarEx::GlyphStrip()
{
    // Kept for the whole run: a pixmap must not outlive the application object.
    static const QPixmap* strip = new QPixmap(DrawGlyphStrip());
    return *strip;
}

} // namespace kavrel
