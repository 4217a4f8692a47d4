#include "editor/ui/actual_size_preview.h"

#include <QPainter>

namespace kavrel {

namespace {
CIconView* g_activeView = nullptr;
}

CActualSizePreview::CActualSizePreview(QWidget* parent) : QWidget(parent) {}
CActualSizePreview::~CActualSizePreview() = default;

void CActualSizePreview::SetActiveView(CIconView* view)
{
    g_activeView = view;
    RepaintAll();
}
CIconView* CActualSizePreview::ActiveView() { return g_activeView; }
void CActualSizePreview::RepaintAll() {}
QSize CActualSizePreview::sizeHint() const { return {95, 89}; }
void CActualSizePreview::paintEvent(QPaintEvent*) {}

}  // namespace kavrel
