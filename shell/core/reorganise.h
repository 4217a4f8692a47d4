// Desktop reorganisation: where each document window goes inside the main
// window's client area, in the three modes of TypeReorganisation, and when an
// automatic reorganisation is due. Plain C++; shell/reorganise_mdi.h applies
// the result to the MDI area.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace kavrel {

struct ReorgRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ReorgRect&) const = default;
};

// Editors (icon editors, also on an icon taken from a file) and browsers
// (program-file and library windows) are laid out apart.
enum class ReorgKind { Editor, Browser };

struct ReorgWindow {
    ReorgKind kind = ReorgKind::Editor;
    bool maximised = false;
    bool minimised = false;
};

// TypeReorganisation values.
enum ReorgMode : int { kReorgFullWindow = 0, kReorgHorizontal = 1, kReorgVertical = 2 };

// The mode that ID_REORGANIZE_FULL, ID_REORGANIZE_HORIZONTAL or
// ID_REORGANIZE_VERTICAL chooses, -1 for any other command.
int ReorganisationModeOfCommand(unsigned command);

// The place of every window, in the order given (the MDI area's child
// order). Nothing (nullopt) when any window is maximised: the desktop is then
// left alone. Minimised windows get a place too and count in the indexes;
// the caller leaves them where they are. A mode outside 0-2 is full window.
std::optional<std::vector<ReorgRect>> ComputeReorganisation(const ReorgRect& area, std::span<const ReorgWindow> windows,
                                                            int mode);

// Where a newly created editor goes at once, before the full reorganisation
// that follows: as editor number 0 among the windows already there plus itself.
ReorgRect NewEditorPlacement(const ReorgRect& area, std::span<const ReorgWindow> others, int mode);

// ---- the reorganise-pending flag and the triggers ----
//
// Opening, creating or closing a document window, and a few commands, only
// ask for a reorganisation; the main window's 50 ms update consumes the
// request and reorganises then, while ReorganiseAuto is 1. Moves and resizes
// of the main window and toggles of the side bars reorganise at once.

// Sets the flag (any code that opens, creates or closes a document window).
void RequestReorganisation();
// Sets or clears the flag.
void SetReorganisationPending(bool on);
bool ReorganisationPending();

// What a trigger asks the main window to do.
enum class ReorgAction {
    None, // nothing now
    Now,  // reorganise at once
};

// Document window opened, created or closed: the flag is set.
void OnDocumentWindowOpened();
void OnDocumentWindowClosed();
// Start-up, after the command line was opened: the flag is set when
// ReorganiseLancement or ReorganiseAuto is 1.
void OnStartupReorganisation();
// The main window was moved, or resized to a state other than minimised.
ReorgAction OnFrameMoved();
ReorgAction OnFrameResized(bool minimised);
// The Draw, Colors, Scale 1:1 or Librarian bar was shown or hidden.
ReorgAction OnSideBarToggled();
// The Standard toolbar or the status bar was shown or hidden.
void OnStandardBarToggled();
// F11: toggles ReorganiseAuto; the flag takes its new value.
void OnToggleAutomaticReorganisation();
// The three mode commands: the mode; the flag is set when it changes.
void OnChooseReorganisationMode(int mode);
// F12 (always enabled) reorganises at once.
inline ReorgAction OnReorganiseCommand()
{
    return ReorgAction::Now;
}
// The main window's active-window update (not while minimised, nor during a
// mouse operation in an editor): consumes the flag; Now when it was set and
// ReorganiseAuto is 1.
ReorgAction OnActiveWindowUpdate();

// The area of the document windows changed size (a bar shown or hidden, the
// main window resized): a window that reached its right or bottom edge keeps
// reaching it, so no empty strip opens beside it and none is cut off.
ReorgRect FollowAreaEdges(const ReorgRect& window, int oldWidth, int oldHeight, int newWidth, int newHeight);

} // namespace kavrel
