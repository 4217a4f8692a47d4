// Printing and previewing the catalogue of a library or program-file window.
// One render function draws the plain layout (librarian/print_layout.h) on
// whatever the painter's device is, so the printer, a PDF file and the
// preview show the same pages.
#pragma once

#include <QImage>

#include "librarian/print_layout.h"

class QPainter;
class QPrinter;
class QWidget;

namespace kavrel {

// An image format as printed: on white paper, the mask ANDed and the colour
// XORed (classic formats), or the alpha blended over white (32-bit and PNG
// images). A null image when the format cannot be decoded.
QImage PrintedImage(const CIcon& icon);

// The measures of the painter's device.
PrintDevice PrintDeviceOf(const QPainter& painter);

// Draws page `page` (from 1) of the catalogue on the painter's device.
void RenderCataloguePage(QPainter& painter, const PrintCatalogue& catalogue, int page);

// Draws pages first..last (0, 0: every page) on the printer, each on a
// sheet of its own. False when the printer could not be started.
bool RenderCatalogue(QPrinter& printer, const PrintCatalogue& catalogue, int first = 0, int last = 0);

// Print: the print dialog of an installed printer, or, when none is
// installed, a PDF file the user names through Chooser(). False when
// cancelled or nothing could be printed. `printer` keeps the settings of
// Print Setup; nullptr uses a printer of this module's own.
bool PrintIcons(const PrintCatalogue& catalogue, QWidget* parent, QPrinter* printer = nullptr);

// Print Preview over the same pages.
void PreviewIcons(const PrintCatalogue& catalogue, QWidget* parent, QPrinter* printer = nullptr);

// The dialog title and filter of the PDF file asked for when no printer is
// installed.
inline constexpr const char* kPrintToPdfTitle = "Print to a PDF file";
inline constexpr const char* kPrintToPdfFilter = "PDF files (*.pdf)|*.pdf|All files(*.*)|*.*||";

} // namespace kavrel
