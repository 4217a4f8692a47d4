#include "editor/ui/icon_print.h"

#include <QPainter>
#include <QPrinter>

namespace kavrel {

void PaintIconPage(QPainter&, const CIconView&, const IconPrintSource&) {}
bool PrintIcon(QPrinter&, const CIconView&, const IconPrintSource&) { return false; }

}  // namespace kavrel
