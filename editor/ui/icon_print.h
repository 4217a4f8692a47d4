// Printing an icon (File Print in an editor window).
#pragma once

#include <string>

class QPrinter;
class QPainter;

namespace kavrel {

class CIconView;

// Where the icon came from, for the line under the format.
struct IconPrintSource {
    enum class Kind { None, ProgramFile, IconLibrary };
    Kind kind = Kind::None;
    int iconIndex = 0;    // 0-based; printed + 1
    std::string fileName; // as shown
};

// The title line: "Icons (Untitled)" or "Icons" and the name in quotes.
std::string IconPrintTitle(const std::string& name);

// Draws the page of the view's edited format on a painter whose device is
// the page (printer or preview).
void PaintIconPage(QPainter& painter, const CIconView& view, const IconPrintSource& source);
// Prints on the printer; false when nothing could be printed.
bool PrintIcon(QPrinter& printer, const CIconView& view, const IconPrintSource& source = {});

} // namespace kavrel
