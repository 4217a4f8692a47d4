// Desktop reorganisation applied to the main window's MDI area.
#pragma once

#include "shell/core/reorganise.h"

class QMdiArea;
class QMdiSubWindow;

namespace kavrel {

// Editors are the windows of icon documents (also on an icon taken from a
// file or library); program-file and library windows are browsers.
ReorgKind KindOfSubWindow(const QMdiSubWindow* window);

// Places every document window of area, in creation order, in the given
// TypeReorganisation mode, without activating any and without changing the
// stacking order. Minimised windows keep their place (they still count).
// False when nothing was done because a window is maximised.
bool ReorganiseMdiArea(QMdiArea* area, int mode);

// A newly created editor window goes at once where editor 0 will be.
void PlaceNewEditorWindow(QMdiArea* area, QMdiSubWindow* window, int mode);

} // namespace kavrel
