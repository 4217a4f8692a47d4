// The undo history of an image format. Each CIconObject keeps sixteen slots
// of (colour, mask) copies, a count of the states saved before the present
// (undoLast, 0 to 15) and the state the image shows (undoPosition, equal to
// the count when nothing is undone). While states are undone, slot `count`
// holds the present state so that it can be redone.
//
// Each state keeps the content number of the image it holds (contentId), and
// saving a state before a change gives the present a new one. The document
// compares these numbers with the ones it last saved or opened, so it is
// modified exactly when undo and redo leave it somewhere else.
#pragma once

namespace kavrel {

class CIconDocument;
class CIconObject;

constexpr int kUndoSlots = 16;
constexpr int kMaxUndoStates = kUndoSlots - 1;

// Saves the format's bitmaps before a change. A change after some undos drops
// the states that could have been redone; with fifteen earlier states the
// oldest is dropped. As a redo point the present is stored in slot `count`
// without counting as an earlier state.
void SaveUndoState(CIconObject& format, bool asRedoPoint = false);

bool CanUndo(const CIconObject& format);
bool CanRedo(const CIconObject& format);

// Each puts the bitmaps of the state before (after) the one shown back into
// the format; false, changing nothing, outside the history.
bool Undo(CIconObject& format);
bool Redo(CIconObject& format);

// Empties every slot: saving a document and deleting a format drop history.
void ClearUndo(CIconObject& format);

// The same by format index of a document; nothing (false) for an index out of
// range.
void SaveUndoState(CIconDocument& doc, int format, bool asRedoPoint = false);
bool CanUndo(const CIconDocument& doc, int format);
bool CanRedo(const CIconDocument& doc, int format);
bool Undo(CIconDocument& doc, int format);
bool Redo(CIconDocument& doc, int format);

} // namespace kavrel
