#include "librarian/icon_editors.h"

#include <algorithm>

#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

std::vector<CFileIconDoc*>& Editors()
{
    static std::vector<CFileIconDoc*> editors;
    return editors;
}

// The icon as it stands in the editor, with the bytes of every format that
// was not changed since it was read or last packed.
CIconGroup PackedGroup(CIconDocument& doc)
{
    CIconGroup group;
    group.name = doc.GetName();
    for (int i = 0; i < doc.GetFormatCount(); ++i) {
        CIconObject& o = *doc.GetFormat(i);
        Bitmap color, mask;
        // 32-bit formats know by themselves whether their bytes still hold.
        bool unchanged =
            o.bitDepth != 32 && !o.packed.empty() && o.packed.Unpack(color, mask) && color == o.color && mask == o.mask;
        if (!unchanged)
            o.PackToIcon();
        group.AddFormat(o.packed);
    }
    return group;
}

} // namespace

CFileIconDoc::CFileIconDoc(IconSourceWindow* source, int index) : source_(source), index_(index)
{
    Editors().push_back(this);
}

CFileIconDoc::~CFileIconDoc()
{
    auto& editors = Editors();
    editors.erase(std::remove(editors.begin(), editors.end(), this), editors.end());
}

bool CFileIconDoc::OnNewDocument()
{
    if (!source_ || index_ < 0 || index_ >= source_->SourceList().Count())
        return false;
    CIconList& list = source_->SourceList();
    startFormat_ = std::max(0, list.DisplayFormat(index_));
    GroupIconSource copy(list.Item(index_), true);
    DeleteContents();
    if (!copy.FillDocument(*this))
        return false;
    SetModifiedFlag(false);
    SetTitle(FormatString(kStrIconInSource, index_ + 1, source_->SourceName()));
    return true;
}

bool CFileIconDoc::OnSaveDocument(const std::string& path)
{
    if (path.empty())
        return SaveIntoSource();
    const bool modified = IsModified();
    const std::string title = GetTitle();
    const std::string oldPath = GetPathName();
    bool ok = CIconDocument::OnSaveDocument(path);
    // The editor stays linked to its source, not to the ICO file.
    SetModifiedFlag(modified);
    SetPathName(oldPath);
    SetTitle(title);
    return ok;
}

bool CFileIconDoc::SaveIntoSource()
{
    if (!source_)
        return true;
    CIconList& list = source_->SourceList();
    if (index_ < 0 || index_ >= list.Count())
        return false;
    PrepareForSave();
    list.Item(index_) = PackedGroup(*this);
    source_->SourceModified();
    SetModifiedFlag(false);
    return true;
}

SaveResult CFileIconDoc::SaveModified()
{
    PrepareForSave();
    if (!IsModified() || !source_)
        return SaveResult::Saved;
    std::string icon = GetName().empty() ? FormatString(kStrPosition, index_ + 1) : "\"" + GetName() + "\"";
    int id = source_->IsLibrarySource() ? kStrSaveIconInLibrary : kStrSaveIconInFile;
    int answer = Prompts().Message(FormatString(id, icon, source_->SourceName()), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return SaveResult::Cancelled;
    if (answer == IDYES)
        return SaveIntoSource() ? SaveResult::Saved : SaveResult::Failed;
    return SaveResult::Declined;
}

std::vector<CFileIconDoc*> OpenIconEditors()
{
    return Editors();
}

CFileIconDoc* FindIconEditor(const IconSourceWindow* source, int index)
{
    for (CFileIconDoc* doc : Editors())
        if (doc->Source() == source && doc->Index() == index)
            return doc;
    return nullptr;
}

int ModifiedEditorsOf(const IconSourceWindow* source)
{
    return static_cast<int>(std::count_if(Editors().begin(), Editors().end(), [source](CFileIconDoc* doc) {
        return doc->Source() == source && doc->IsModified();
    }));
}

void CloseEditorsOf(const IconSourceWindow* source, bool writeBack)
{
    // Closing a window destroys its document, so work on a copy of the list.
    for (CFileIconDoc* doc : OpenIconEditors()) {
        if (doc->Source() != source)
            continue;
        if (doc->IsModified()) {
            if (writeBack)
                doc->SaveIntoSource();
            else
                doc->SetModifiedFlag(false);
        }
        if (doc->closeWindow)
            doc->closeWindow();
    }
}

} // namespace kavrel
