#include "document/document.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

std::function<void(CDocument&)>& SavedHandler()
{
    static std::function<void(CDocument&)> handler;
    return handler;
}

std::string FileNameOf(const std::string& path)
{
    auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsReadOnlyFile(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::perms perms = fs::status(path, ec).permissions();
    return !ec && (perms & fs::perms::owner_write) == fs::perms::none;
}

} // namespace

void CDocument::SetModifiedFlag(bool modified)
{
    modified_ = modified;
    if (!modified)
        RememberSavedState();
}

void CDocument::AddView(CDocumentView* view)
{
    if (view && std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
}

void CDocument::RemoveView(CDocumentView* view)
{
    std::erase(views_, view);
}

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

void CDocument::SetFileType(std::string filterName, std::string extension)
{
    filterName_ = std::move(filterName);
    extension_ = std::move(extension);
}

void CDocument::SetSavedHandler(std::function<void(CDocument&)> handler)
{
    SavedHandler() = std::move(handler);
}

SaveResult CDocument::SaveModified()
{
    if (!IsModified())
        return SaveResult::Saved;
    const std::string name = path_.empty() ? title_ : path_;
    switch (Prompts().Message(FormatString(kStrSaveChanges, name), MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES:
        return DoFileSave();
    case IDNO:
        return SaveResult::Declined;
    default:
        return SaveResult::Cancelled;
    }
}

SaveResult CDocument::DoFileSave()
{
    // A file that went read-only is not replaced: the user picks another name.
    return DoSave(path_.empty() || IsReadOnlyFile(path_));
}

SaveResult CDocument::DoSave(bool askForPath)
{
    std::string path = path_;
    if (askForPath || path.empty()) {
        std::string suggested = path.empty() ? title_ : path;
        if (path.empty() && !extension_.empty() && FileNameOf(suggested).find('.') == std::string::npos)
            suggested += extension_;
        const std::string filter =
            filterName_.empty() || extension_.empty() ? "*.*|*.*||" : filterName_ + "|*" + extension_ + "||";
        path = Chooser().ChooseSave(LoadString(kStrSaveAsTitle), filter, suggested);
        if (path.empty())
            return SaveResult::Cancelled;
        if (!extension_.empty() && FileNameOf(path).find('.') == std::string::npos)
            path += extension_;
    }
    if (!OnSaveDocument(path))
        return SaveResult::Failed;
    path_ = path;
    SetTitle(FileNameOf(path));
    SetModifiedFlag(false);
    if (SavedHandler())
        SavedHandler()(*this);
    return SaveResult::Saved;
}

std::string CannotSaveText(const std::string& path, int error)
{
    const std::string reason = SystemErrorText(error);
    return reason.empty() ? FormatString(kStrCannotSaveFile, path) : FormatString(kStrCannotSaveBecause, path, reason);
}

} // namespace kavrel
