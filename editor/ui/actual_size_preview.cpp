#include "editor/ui/actual_size_preview.h"

#include <QPainter>
#include <QPointer>
#include <vector>

#include "editor/icon_view_state.h"
#include "editor/selection.h"
#include "editor/settings_editor.h"
#include "editor/ui/icon_view.h"
#include "editor/view_patterns.h"
#include "editor/view_render.h"
#include "model/icon_model.h"

namespace kavrel {

namespace {

CIconView* g_activeView = nullptr;

std::vector<QPointer<CActualSizePreview>>& Previews()
{
    static std::vector<QPointer<CActualSizePreview>> previews;
    return previews;
}

} // namespace

CActualSizePreview::CActualSizePreview(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    Previews().emplace_back(this);
}

CActualSizePreview::~CActualSizePreview()
{
    std::erase_if(Previews(), [this](const QPointer<CActualSizePreview>& p) { return !p || p.data() == this; });
}

void CActualSizePreview::SetActiveView(CIconView* view)
{
    g_activeView = view;
    RepaintAll();
}

CIconView* CActualSizePreview::ActiveView()
{
    return g_activeView;
}

void CActualSizePreview::RepaintAll()
{
    for (const auto& p : Previews())
        if (p)
            p->update();
}

QSize CActualSizePreview::sizeHint() const
{
    return {95, 89};
}

void CActualSizePreview::paintEvent(QPaintEvent*)
{
    Bitmap canvas = Bitmap::Color(width(), height());
    const Bitmap* color = nullptr;
    const Bitmap* mask = nullptr;
    Bitmap floatColor, floatMask;
    if (g_activeView && ShowApercu)
        if (const CIconObject* f = g_activeView->CurrentFormat()) {
            color = &f->color;
            mask = &f->mask;
            if (f->selectionActive && HasFloating(*f)) {
                floatColor = f->color;
                floatMask = f->mask;
                LayDownFloating(*f, floatColor, floatMask, TransparencySwitch());
                color = &floatColor;
                mask = &floatMask;
            }
        }
    RenderActualSizePreview(canvas, color, mask, PreviewTransparentPattern(MotifTransparent));
    QPainter painter(this);
    if (canvas.isNull())
        return;
    const QImage image(reinterpret_cast<const uchar*>(canvas.colorBits()), canvas.width(), canvas.height(),
                       canvas.width() * 4, QImage::Format_RGB32);
    painter.drawImage(0, 0, image);
}

} // namespace kavrel
