#include "editor/ui/palette_bar_widget.h"

#include <QAction>
#include <QColorDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "document/icon_document.h"
#include "editor/icon_view_state.h"
#include "editor/settings_editor.h"
#include "editor/ui/actual_size_preview.h"
#include "editor/ui/context_menu.h"
#include "editor/ui/editor_host.h"
#include "editor/ui/icon_view.h"
#include "resources/command_ids.h"
#include "resources/command_table.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

CColorPaletteBar* g_instance = nullptr;

constexpr int kColorsTitle = 16;
constexpr int kTransparentText = 55021;
constexpr int kInvertedText = 55022;

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
COLORREF FromQColor(const QColor& c)
{
    return RGB(c.red(), c.green(), c.blue());
}

// The tool strip's button images, drawn here rather than shipped.
QIcon StripIcon(std::uint16_t id)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    switch (id) {
    case ID_PALETTE_STANDARD: {
        const QColor colours[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
        for (int i = 0; i < 4; ++i) {
            p.fillRect(1 + (i % 2) * 7, 1 + (i / 2) * 7, 6, 6, colours[i]);
            p.setPen(Qt::black);
            p.drawRect(1 + (i % 2) * 7, 1 + (i / 2) * 7, 6, 6);
        }
        break;
    }
    case ID_PALETTE_OPEN:
        p.fillRect(1, 4, 13, 10, QColor(0xE0, 0xC0, 0x40));
        p.setPen(Qt::black);
        p.drawRect(1, 4, 13, 10);
        p.drawLine(1, 4, 4, 2);
        p.drawLine(4, 2, 7, 4);
        break;
    case ID_PALETTE_SAVE:
        p.fillRect(1, 1, 14, 14, QColor(0x00, 0x00, 0x80));
        p.fillRect(4, 1, 8, 6, Qt::white);
        p.fillRect(4, 10, 8, 5, QColor(0xC0, 0xC0, 0xC0));
        break;
    case ID_PALETTE_GRADIENT:
        for (int x = 0; x < 14; ++x)
            p.fillRect(1 + x, 3, 1, 10, QColor(x * 255 / 13, 0, 255 - x * 255 / 13));
        p.setPen(Qt::black);
        p.drawRect(1, 3, 13, 9);
        break;
    default:
        break;
    }
    return QIcon(pixmap);
}

} // namespace

// ---- the pieces the logic works through ----

class CColorPaletteBar::CanvasWidget final : public QWidget, public PaletteBarWindow {
  public:
    CanvasWidget(CColorPaletteBar& bar, QWidget* parent) : QWidget(parent), bar_(bar)
    {
        setFixedSize(kPaletteBarWidth, kPaletteBarHeight);
        setAttribute(Qt::WA_OpaquePaintEvent);
        font_ = QFont(QStringLiteral("Arial"));
        font_.setPixelSize(11);
    }

    void Repaint(const Rect& r) override
    {
        if (!r.empty())
            update(r.left, r.top, r.width(), r.height());
    }
    void RepaintAll() override { update(); }
    void RedrawViews(CIconViewState* view) override
    {
        if (!view || !view->Document())
            return;
        for (CDocumentView* v : view->Document()->Views())
            if (auto* iconView = dynamic_cast<CIconView*>(v)) {
                iconView->RedrawAllViews();
                break;
            }
        if (EditorHost* host = GetEditorHost())
            host->RepaintActualSizePreview();
        else
            CActualSizePreview::RepaintAll();
    }

  protected:
    void paintEvent(QPaintEvent* event) override
    {
        bar_.Logic().Render(image_);
        QPainter p(this);
        const QImage image(reinterpret_cast<const uchar*>(image_.colorBits()), image_.width(), image_.height(),
                           image_.width() * 4, QImage::Format_RGB32);
        p.drawImage(event->rect(), image, event->rect());
        p.setFont(font_);
        p.setPen(Qt::black);
        // The names sit on a plain patch so that the patterns around them
        // cannot hide them.
        for (const auto& [r, id] : {std::pair{CPaletteBar::TransparentCellRect(), kTransparentText},
                                    std::pair{CPaletteBar::InvertedCellRect(), kInvertedText}}) {
            const QRect cell(r.left, r.top, r.width(), r.height());
            const QString text = QString::fromStdString(LoadString(id));
            const QRect box = p.fontMetrics().boundingRect(cell, Qt::AlignCenter, text).adjusted(-2, 0, 2, 0) &
                              cell.adjusted(1, 2, -1, -2);
            p.fillRect(box, QColor(0xC0, 0xC0, 0xC0));
            // Greyed where the colour does not exist (images with alpha).
            const bool greyed = id == kInvertedText && bar_.Logic().AlphaShown();
            p.setPen(greyed ? QColor(0x80, 0x80, 0x80) : QColor(Qt::black));
            p.drawText(cell, Qt::AlignCenter, text);
        }
        if (bar_.Logic().AlphaShown()) {
            // The alpha slider's letter, right of its plus button.
            const Rect plus = CPaletteBar::SliderPlusRect(kAlphaChannel);
            p.setPen(bar_.Logic().AlphaSliderActive() ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
            p.drawText(QRect(plus.right + 3, plus.top, 24, plus.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::number(bar_.Logic().LastButtonAlpha()));
        }
    }

    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(event);
            const int id = bar_.Logic().ToolTipAt(help->pos().x(), help->pos().y());
            if (id != 0)
                QToolTip::showText(help->globalPos(), QString::fromStdString(LoadString(id)), this);
            else
                QToolTip::hideText();
            return true;
        }
        return QWidget::event(event);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        const int button = event->button() == Qt::LeftButton ? 0 : event->button() == Qt::RightButton ? 1 : -1;
        if (button < 0)
            return;
        const QPoint pos = event->position().toPoint();
        const bool coarse = (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0;
        if (bar_.Logic().ButtonDown(button, pos.x(), pos.y(), coarse) == CPaletteBar::Press::ContextMenu)
            bar_.ShowContextMenu(event->globalPosition().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint pos = event->position().toPoint();
        const bool coarse = (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0;
        bar_.Logic().PointerMove(pos.x(), pos.y(), coarse);
    }
    void mouseReleaseEvent(QMouseEvent*) override { bar_.Logic().ButtonUp(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) {
            mousePressEvent(event);
            return;
        }
        const QPoint pos = event->position().toPoint();
        bar_.Logic().DoubleClick(pos.x(), pos.y());
    }

  private:
    CColorPaletteBar& bar_;
    Bitmap image_;
    QFont font_;
};

class CColorPaletteBar::Timer final : public BarTimer {
  public:
    explicit Timer(CPaletteBar& logic)
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [&logic] { logic.OnTimer(); });
    }
    void Start(int ms) override { timer_.start(ms); }
    void Stop() override { timer_.stop(); }

  private:
    QTimer timer_;
};

class CColorPaletteBar::QtColourDialog final : public ColourDialog {
  public:
    explicit QtColourDialog(QWidget* parent) : parent_(parent) {}
    bool Choose(COLORREF& colour, std::uint32_t (&custom)[16]) override
    {
        // Our own dialog, so that the 16 custom colours are the ones it shows.
        for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, ToQColor(custom[i]));
        QColorDialog dialog(ToQColor(colour), parent_);
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        const bool ok = dialog.exec() == QDialog::Accepted;
        for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i)
            custom[i] = FromQColor(QColorDialog::customColor(i));
        if (ok)
            colour = FromQColor(dialog.selectedColor());
        return ok;
    }

  private:
    QWidget* parent_;
};

// ---- the bar ----

CColorPaletteBar::CColorPaletteBar(QWidget* parent) : QDockWidget(parent)
{
    g_instance = this;
    setObjectName(QStringLiteral("Bar%1").arg(kColorBarId));
    setWindowTitle(QString::fromStdString(LoadString(kColorsTitle)));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable | QDockWidget::DockWidgetClosable);

    auto* body = new QWidget(this);
    body->setFixedSize(kPaletteBarWidth, kPaletteBarHeight);
    canvas_ = new CanvasWidget(*this, body);
    canvas_->move(0, 0);
    logic_ = std::make_unique<CPaletteBar>(canvas_);
    timer_ = std::make_unique<Timer>(*logic_);
    dialog_ = std::make_unique<QtColourDialog>(this);
    logic_->SetTimer(timer_.get());
    logic_->SetColourDialog(dialog_.get());

    // The tool strip over the top of the canvas: Standard palette, Open,
    // Save, Create a color gradient.
    strip_ = new QWidget(body);
    strip_->setGeometry(2, 0, 104, 30);
    int x = 0;
    for (std::uint16_t id : {ID_PALETTE_STANDARD, ID_PALETTE_OPEN, ID_PALETTE_SAVE, ID_PALETTE_GRADIENT}) {
        const CommandInfo* info = FindCommand(id);
        auto* action =
            new QAction(StripIcon(id), info ? QString::fromStdString(std::string(info->tooltip)) : QString(), strip_);
        action->setData(static_cast<int>(id));
        if (info)
            action->setStatusTip(QString::fromStdString(std::string(info->prompt)));
        connect(action, &QAction::triggered, this, [this, id] {
            CCmdTarget* route[] = {this};
            SendCommand(route, id);
        });
        strip_->addAction(action);
        auto* button = new QToolButton(strip_);
        button->setDefaultAction(action);
        button->setAutoRaise(true);
        button->setIconSize(QSize(16, 16));
        button->setGeometry(x, 3, 24, 24);
        x += 26;
    }
    setWidget(body);
    SetPaletteBar(logic_.get());
    UpdateToolStrip();
}

CColorPaletteBar::~CColorPaletteBar()
{
    if (GetPaletteBar() == logic_.get())
        SetPaletteBar(nullptr);
    if (g_instance == this)
        g_instance = nullptr;
    timer_->Stop();
    logic_->SetTimer(nullptr);
    logic_->SetWindow(nullptr);
    logic_.reset(); // writes the bar's settings back
}

CColorPaletteBar* CColorPaletteBar::Instance()
{
    return g_instance;
}

QWidget* CColorPaletteBar::Canvas() const
{
    return canvas_;
}

void CColorPaletteBar::SetColourDialog(ColourDialog* dialog)
{
    logic_->SetColourDialog(dialog ? dialog : dialog_.get());
}

void CColorPaletteBar::Follow(CIconView* view)
{
    logic_->SetActiveView(view ? &view->State() : nullptr);
    UpdateToolStrip();
}

bool CColorPaletteBar::Follows(const CIconView* view) const
{
    return view && logic_->ActiveView() == &view->State();
}

void CColorPaletteBar::UpdateToolStrip()
{
    for (QAction* action : strip_->actions()) {
        CCmdUI ui;
        ui.id = static_cast<std::uint16_t>(action->data().toInt());
        if (logic_->OnUpdateCommand(ui) && action->isEnabled() != ui.enabled)
            action->setEnabled(ui.enabled);
    }
}

QMenu* CColorPaletteBar::BuildContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    AddCommandItems(menu, ContextMenu(4), this, this);
    return menu;
}

void CColorPaletteBar::ShowContextMenu(const QPoint& global)
{
    // As the editor's own menu: beside the pointer, towards the screen's middle.
    QMenu* menu = BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    PopupBesidePointer(menu, global);
}

bool CColorPaletteBar::OnUpdateCommand(CCmdUI& ui)
{
    if (ui.id == ID_VIEW_COLORS_TOOLBAR) {
        ui.Enable(true);
        ui.SetCheck(isVisible());
        return true;
    }
    return logic_->OnUpdateCommand(ui);
}

void CColorPaletteBar::OnCommand(std::uint16_t id)
{
    if (id == ID_VIEW_COLORS_TOOLBAR) {
        setVisible(!isVisible());
        if (toggled_)
            toggled_();
        return;
    }
    logic_->OnCommand(id);
    UpdateToolStrip();
}

} // namespace kavrel
