#include "librarian/grid_docs.h"

#include <algorithm>
#include <memory>

#include "document/open_files.h"
#include "librarian/import.h"
#include "librarian/program_save.h"
#include "librarian/settings_librarian.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/program_file.h"
#include "platform/byte_reader.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kStrFileWithoutIcons = 55048;

ProgressSink* g_progress = nullptr;

std::vector<CLibDoc*>& LibraryDocs()
{
    static std::vector<CLibDoc*> docs;
    return docs;
}

ProgressSink& Progress()
{
    return g_progress ? *g_progress : NullProgress();
}

std::string ModifiedPane(bool modified)
{
    return modified ? "@3 " : "   ";
}

} // namespace

IconListOptions GridOptionsFromSettings(bool numbers)
{
    IconListOptions options;
    options.sizeClass = std::clamp(FileTailleAffiche, 0, 2);
    options.colorClass = std::clamp(FileColorAffiche, 0, 2);
    options.info = FileAfficheInfos != 0;
    options.numbers = numbers;
    return options;
}

void StoreGridOptions(const IconListOptions& options)
{
    FileTailleAffiche = options.sizeClass;
    FileColorAffiche = options.colorClass;
    FileAfficheInfos = options.info ? 1 : 0;
}

// ------------------------------------------------------------ shared

SaveResult CGridDoc::SaveModified()
{
    bool writeBack = false;
    if (ModifiedEditorsOf(this) > 0) {
        int answer =
            Prompts().Message(FormatString(kStrSaveEditorsOfFile, GetTitle()), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return SaveResult::Cancelled;
        writeBack = answer == IDYES;
    }
    CloseEditorsOf(this, writeBack);
    if (!IsModified())
        return SaveResult::Saved;
    int answer = Prompts().Message(FormatString(kStrSaveFile, GetTitle()), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return SaveResult::Cancelled;
    if (answer == IDNO)
        return SaveResult::Declined;
    return OnSaveDocument(GetPathName()) ? SaveResult::Saved : SaveResult::Failed;
}

bool CGridDoc::CloseEditorsForEdit()
{
    bool writeBack = false;
    if (ModifiedEditorsOf(this) > 0) {
        int answer =
            Prompts().Message(FormatString(kStrCloseEditorsOfLibrary, GetTitle()), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return false;
        writeBack = answer == IDYES;
    }
    CloseEditorsOf(this, writeBack);
    return true;
}

// ------------------------------------------------------------ program files

CFileDoc::CFileDoc()
{
    list_.SetOptions(GridOptionsFromSettings(true));
}

void CFileDoc::SetProgressSink(ProgressSink* sink)
{
    g_progress = sink;
}

std::string CFileDoc::SourceName() const
{
    return FormatString(kStrQuotedProgramFile, GetTitle());
}

bool CFileDoc::OnOpenDocument(const std::string& path)
{
    if (path.empty())
        return true;
    // Only the resource tree and the image headers are read now; an icon's
    // images are read through the open file when its cell is first drawn or
    // the icon is used. A large library thus opens at once, and what is
    // never shown is never read.
    std::shared_ptr<FileReader> file = FileReader::Open(path);
    std::vector<CIconGroup> icons;
    if (file)
        ReadProgramFileIcons(icons, *file, Progress(), ImageBytes::Skip);
    if (icons.empty()) {
        Prompts().Message(LoadString(kStrFileWithoutIcons), MB_OK | MB_ICONSTOP);
        return false;
    }
    list_.SetItems(std::move(icons), [file](CIconGroup& group) { ReadSkippedImages(group, *file); });
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CFileDoc::OnSaveDocument(const std::string& path)
{
    for (CDocumentView* view : Views())
        view->CommitBeforeSave();
    // Taking the items out drops the selection; put both back.
    std::vector<int> selection = list_.Selection();
    std::vector<CIconGroup> icons = list_.TakeItems();
    ProgramSaveResult result = SaveIconsIntoProgramFile(path.empty() ? GetPathName() : path, icons);
    list_.SetItems(std::move(icons));
    for (int i : selection)
        list_.SetSelected(i, true);
    if (result != ProgramSaveResult::Saved)
        return false;
    SetModifiedFlag(false);
    return true;
}

GridStatus CFileDoc::Status() const
{
    GridStatus status;
    status.message = FormatString(kStrTotalIconsFile, list_.Count());
    if (int n = list_.SelectedCount(); n >= 2)
        status.selection = FormatString(kStrNSelected, n);
    status.modified = ModifiedPane(IsModified());
    return status;
}

// ------------------------------------------------------------ libraries

CLibDoc::CLibDoc()
{
    list_.SetOptions(GridOptionsFromSettings(false));
    LibraryDocs().push_back(this);
}

CLibDoc::~CLibDoc()
{
    auto& docs = LibraryDocs();
    docs.erase(std::remove(docs.begin(), docs.end(), this), docs.end());
}

std::vector<CLibDoc*> OpenLibraryDocs()
{
    return LibraryDocs();
}

std::string CLibDoc::SourceName() const
{
    return FormatString(kStrQuotedLibrary, GetTitle());
}

bool CLibDoc::OnOpenDocument(const std::string& path)
{
    std::vector<CIconGroup> icons;
    if (!path.empty()) {
        // A library without icons opens empty; one that cannot be read at all
        // does not open.
        if (!FileReader::Open(path)) {
            Prompts().Message(LoadString(kStrFileWithoutIcons), MB_OK | MB_ICONSTOP);
            return false;
        }
        LoadIconsFromFile(icons, path);
    }
    list_.SetItems(std::move(icons));
    if (!list_.empty())
        list_.SelectOnly(0);
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CLibDoc::OnSaveDocument(const std::string& path)
{
    std::string target = path.empty() ? GetPathName() : path;
    std::string error;
    if (!WriteIconLibrary(target, list_.Items(), Progress(), &error)) {
        Prompts().Message(error, MB_OK | MB_ICONSTOP);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

GridStatus CLibDoc::Status() const
{
    GridStatus status;
    status.count = FormatString(kStrTotalIconsLibrary, list_.Count());
    int n = list_.SelectedCount();
    if (n == 1) {
        const CIconGroup& icon = list_.Item(list_.FirstSelected());
        status.selection = icon.DisplayName() + " " + icon.FormatCountText(0);
    } else if (n >= 2) {
        status.selection = FormatString(kStrNSelected, n);
    }
    status.modified = ModifiedPane(IsModified());
    return status;
}

int CLibDoc::Import(const std::vector<std::string>& paths)
{
    ImportedIcons imported = ReadIconsForImport(paths, Progress());
    ReportFilesWithoutIcons(static_cast<int>(paths.size()), imported.filesWithoutIcons);
    int count = static_cast<int>(imported.icons.size());
    if (count > 0) {
        list_.Append(std::move(imported.icons));
        SetModifiedFlag(true);
    }
    return count;
}

bool CLibDoc::DeleteSelected()
{
    if (list_.SelectedCount() == 0 || !CloseEditorsForEdit())
        return false;
    list_.DeleteSelected();
    SetModifiedFlag(true);
    return true;
}

void CLibDoc::RenameSelected(const std::string& baseName)
{
    if (list_.SelectedCount() == 0)
        return;
    list_.RenameSelected(baseName);
    SetModifiedFlag(true);
}

void CLibDoc::RenameOne(int index, const std::string& name)
{
    if (index < 0 || index >= list_.Count())
        return;
    list_.RenameOne(index, name);
    SetModifiedFlag(true);
}

bool CLibDoc::Drop(const IconPayload& payload, int index, bool ctrlHeld)
{
    if (payload.icons.empty())
        return false;
    const bool sameList = payload.kind == IconSourceKind::LibraryWindow && payload.sourceKey == GetPathName();
    const bool move = DropActionFor(payload.kind, ctrlHeld) == DropAction::Move;
    if (sameList && std::any_of(payload.indices.begin(), payload.indices.end(),
                                [this](int i) { return i < 0 || i >= list_.Count(); }))
        return false;
    if (!CloseEditorsForEdit())
        return false;
    int at = std::clamp(index, 0, list_.Count());
    if (sameList && move) {
        at -= static_cast<int>(
            std::count_if(payload.indices.begin(), payload.indices.end(), [at](int i) { return i < at; }));
        list_.RemoveIndices(payload.indices);
    }
    list_.Insert(at, DroppedIcons(payload));
    SetModifiedFlag(true);
    return true;
}

void CLibDoc::RemoveMovedIcons(const std::vector<int>& indices)
{
    if (indices.empty() || !CloseEditorsForEdit())
        return;
    list_.RemoveIndices(indices);
    SetModifiedFlag(true);
}

// ------------------------------------------------------------ the librarian

CIconList& LibrarianBarSource::SourceList()
{
    return librarian_.List();
}

std::string LibrarianBarSource::SourceName() const
{
    return FormatString(kStrQuotedLibrary, librarian_.ShownLabel());
}

void LibrarianBarSource::SourceModified()
{
    librarian_.SetModified();
}

const IconSourceWindow* GridLibrarianLinks::SourceFor(const std::string& libraryPath)
{
    for (CLibDoc* doc : LibraryDocs())
        if (doc->GetPathName() == libraryPath)
            return doc;
    if (libraryPath == librarian_.ShownPath())
        return &bar_;
    return nullptr;
}

int GridLibrarianLinks::ModifiedEditors(const std::string& libraryPath)
{
    const IconSourceWindow* source = SourceFor(libraryPath);
    return source ? ModifiedEditorsOf(source) : 0;
}

void GridLibrarianLinks::CloseEditors(const std::string& libraryPath, bool writeBack)
{
    if (const IconSourceWindow* source = SourceFor(libraryPath))
        CloseEditorsOf(source, writeBack);
}

std::vector<std::string> GridLibrarianLinks::OpenLibraryWindows()
{
    std::vector<std::string> paths;
    for (CLibDoc* doc : LibraryDocs())
        paths.push_back(doc->GetPathName());
    return paths;
}

void GridLibrarianLinks::CloseLibraryWindow(const std::string& path, bool save)
{
    for (CLibDoc* doc : OpenLibraryDocs()) {
        if (doc->GetPathName() != path)
            continue;
        CloseEditorsOf(doc, save);
        if (save && doc->IsModified())
            doc->OnSaveDocument(path);
        if (doc->closeWindow)
            doc->closeWindow();
    }
}

void GridLibrarianLinks::LibraryWindowOpened(const std::string& path)
{
    if (librarian_.Loaded() && path == librarian_.ShownPath())
        librarian_.List().enabled = false;
}

void GridLibrarianLinks::LibraryWindowClosed(const std::string& path)
{
    if (path == librarian_.ShownPath())
        librarian_.ResetNotedSelection();
}

} // namespace kavrel
