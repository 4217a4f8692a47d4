#include "document/document.h"

#include <algorithm>

namespace kavrel {

void CDocument::AddView(CDocumentView* view)
{
    if (view && std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
}

void CDocument::RemoveView(CDocumentView* view) { std::erase(views_, view); }

void CDocument::UpdateAllViews(CDocumentView* sender, long hint)
{
    // A view may close itself on an update; walk a copy.
    std::vector<CDocumentView*> views = views_;
    for (CDocumentView* view : views)
        if (view != sender)
            view->OnDocumentUpdate(sender, hint);
}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    SetModifiedFlag(false);
    path_.clear();
    return true;
}

}  // namespace kavrel
