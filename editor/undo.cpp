#include "editor/undo.h"

#include <algorithm>
#include <utility>

#include "document/icon_document.h"
#include "model/icon_model.h"

namespace kavrel {

namespace {

using Slot = CIconObject::UndoState;

void Empty(Slot& slot)
{
    slot.color.reset();
    slot.mask.reset();
    slot.contentId = 0;
}

void Store(Slot& slot, const CIconObject& f)
{
    slot.color = f.color;
    slot.mask = f.mask;
    slot.contentId = f.contentId;
}

bool Restore(CIconObject& f, const Slot& slot)
{
    if (!slot.color || !slot.mask)
        return false;
    f.color = *slot.color;
    f.mask = *slot.mask;
    // A slot saved without a number holds an image nothing else is known to equal.
    f.contentId = slot.contentId ? slot.contentId : NewContentId();
    return true;
}

// The fields as the history reads them, kept in range whatever a caller left.
int Count(const CIconObject& f)
{
    return std::clamp(f.undoLast, 0, kMaxUndoStates);
}
int Position(const CIconObject& f)
{
    return std::clamp(f.undoPosition, 0, Count(f));
}

} // namespace

void SaveUndoState(CIconObject& f, bool asRedoPoint)
{
    int count = Count(f);
    int position = Position(f);
    if (position == count) {
        // A present state kept by an earlier undo is no longer needed.
        Empty(f.undo[count]);
    } else {
        // A change after undo: what was undone can no longer be redone.
        for (int i = position; i <= count; ++i)
            Empty(f.undo[i]);
        count = position;
    }
    if (count == kMaxUndoStates) {
        Empty(f.undo[0]);
        std::rotate(f.undo.begin(), f.undo.begin() + 1, f.undo.begin() + kMaxUndoStates);
        --count;
        --position;
    }
    Store(f.undo[count], f);
    if (count + 1 < kUndoSlots)
        Empty(f.undo[count + 1]);
    if (!asRedoPoint) {
        ++count;
        ++position;
        // The change about to be made gives a new image.
        f.contentId = NewContentId();
    }
    f.undoLast = count;
    f.undoPosition = position;
}

bool CanUndo(const CIconObject& f)
{
    return Position(f) > 0;
}

bool CanRedo(const CIconObject& f)
{
    return Position(f) < Count(f);
}

bool Undo(CIconObject& f)
{
    const int count = Count(f);
    int position = Position(f);
    if (position <= 0)
        return false;
    if (position == count) {
        // Slot `count` is free even with fifteen earlier states: the present
        // goes there without pushing out the oldest, so all fifteen stay undoable.
        Store(f.undo[count], f);
    }
    --position;
    if (!Restore(f, f.undo[position]))
        return false;
    f.undoLast = count;
    f.undoPosition = position;
    return true;
}

bool Redo(CIconObject& f)
{
    const int count = Count(f);
    const int position = Position(f);
    if (position >= count)
        return false;
    if (!Restore(f, f.undo[position + 1]))
        return false;
    f.undoLast = count;
    f.undoPosition = position + 1;
    return true;
}

void ClearUndo(CIconObject& f)
{
    for (Slot& slot : f.undo)
        Empty(slot);
    f.undoLast = 0;
    f.undoPosition = 0;
}

void SaveUndoState(CIconDocument& doc, int format, bool asRedoPoint)
{
    doc.ForFormat([asRedoPoint](CIconObject& f) { SaveUndoState(f, asRedoPoint); }, format);
}

bool CanUndo(const CIconDocument& doc, int format)
{
    const CIconObject* f = doc.GetFormat(format);
    return f && CanUndo(*f);
}

bool CanRedo(const CIconDocument& doc, int format)
{
    const CIconObject* f = doc.GetFormat(format);
    return f && CanRedo(*f);
}

bool Undo(CIconDocument& doc, int format)
{
    CIconObject* f = doc.GetFormat(format);
    return f && Undo(*f);
}

bool Redo(CIconDocument& doc, int format)
{
    CIconObject* f = doc.GetFormat(format);
    return f && Redo(*f);
}

} // namespace kavrel
