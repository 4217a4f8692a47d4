#include "librarian/librarian.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "librarian/settings_librarian.h"
#include "model/icl_file.h"
#include "model/program_file.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

bool Refuse()
{
    Beeps().Beep();
    return false;
}

std::int64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool Ask(int id, const std::string& value)
{
    if (ConfirmeSave == 0)
        return true;
    return Prompts().Message(FormatString(id, value), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<std::uint64_t> FileSize(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

// Reads a library; nullopt when the file holds something that is not a
// library we can read (rewriting it would lose what it holds). A missing
// file reads as an empty library.
std::optional<std::vector<CIconGroup>> ReadLibrary(const std::string& path, ProgressSink& progress)
{
    std::vector<CIconGroup> groups;
    const auto size = FileSize(path);
    if (!size)
        return groups;
    if (ReadProgramFileIcons(groups, path, progress) > 0)
        return groups;
    static const std::uint64_t emptySize = BuildIconLibrary({}).value_or(std::vector<std::uint8_t>{}).size();
    if (*size > emptySize)
        return std::nullopt;
    return groups;
}

std::string Rebased(const std::string& path, const std::string& from, const std::string& to)
{
    if (!IsSameOrInside(path, from))
        return path;
    return to + path.substr(from.size());
}

} // namespace

CLibrarian::CLibrarian(std::string root) : store_(std::move(root)), clock_(SteadyMilliseconds)
{
}

void CLibrarian::SetClock(Clock clock)
{
    clock_ = clock ? std::move(clock) : Clock(SteadyMilliseconds);
}

bool CLibrarian::IsOpenInWindow(const std::string& path)
{
    if (path.empty())
        return false;
    const auto windows = links_->OpenLibraryWindows();
    return std::find(windows.begin(), windows.end(), path) != windows.end();
}

bool CLibrarian::ShownOpenElsewhere()
{
    return loaded_ && IsOpenInWindow(shownPath_);
}

void CLibrarian::Load(const std::string& path, const std::string& label)
{
    SaveIfNeeded(true);
    modified_ = false;
    list_.Clear();
    list_.enabled = true;
    if (path.empty()) {
        loaded_ = false;
        shownPath_.clear();
        if (!label.empty())
            shownLabel_ = label;
        return;
    }
    loaded_ = true;
    auto groups = ReadLibrary(path, *progress_);
    shownPath_ = path;
    shownLabel_ = label.empty() ? LabelFromFileName(LastComponent(path)) : label;
    if (!pendingPath_.empty() && pendingPath_ == path) {
        // Written empty only while nothing else put a file there meanwhile.
        if (!FileSize(path)) {
            modified_ = true;
            SaveIfNeeded(true);
        }
        pendingPath_.clear();
    }
    list_.SetItems(groups ? std::move(*groups) : std::vector<CIconGroup>{});
    list_.enabled = !IsOpenInWindow(path);
    if (list_.enabled && !list_.empty())
        list_.SelectOnly(0);
}

bool CLibrarian::WriteShown()
{
    std::string error;
    if (WriteIconLibrary(shownPath_, list_.Items(), *progress_, &error))
        return true;
    Prompts().Message(error, MB_OK | MB_ICONSTOP);
    return false;
}

bool CLibrarian::Save()
{
    if (!loaded_ || !modified_)
        return true;
    if (!WriteShown())
        return false;
    modified_ = false;
    return true;
}

void CLibrarian::SaveIfNeeded(bool forced)
{
    if (!loaded_) {
        if (forced)
            modified_ = false;
        return;
    }
    if (links_->ModifiedEditors(shownPath_) > 0) {
        const bool yes = Ask(kStrSaveEditorsOfLibrary, shownLabel_);
        links_->CloseEditors(shownPath_, yes);
    } else {
        links_->CloseEditors(shownPath_, false);
    }
    bool written = false;
    if (modified_ && !list_.empty()) {
        if (Ask(kStrSaveLibraryChanges, shownLabel_))
            written = WriteShown();
    } else if (modified_) {
        written = WriteShown();
    }
    // A written library holds no more changes; with `forced` the list is
    // about to go, so a declined save discards them.
    if (forced || written)
        modified_ = false;
}

void CLibrarian::TimerStep(const LibEntry& selection)
{
    if (naming_)
        return;
    const std::int64_t now = clock_();
    if (selection.path != noted_) {
        noted_ = selection.path;
        notedAt_ = now;
        loadDue_ = true;
        return;
    }
    if (!loadDue_ || now - notedAt_ < kDebounceMs)
        return;
    loadDue_ = false;
    Load(selection.kind == LibItemKind::Library ? selection.path : std::string(), selection.label);
}

bool CLibrarian::NewFolder(const std::string& parent, const std::string& name, std::string* result)
{
    return store_.CreateFolder(parent, name, result);
}

bool CLibrarian::NewLibrary(const std::string& parent, const std::string& name, std::string* result)
{
    std::string path;
    if (!store_.CheckNewLibrary(parent, name, &path))
        return false;
    pendingPath_ = path;
    if (result)
        *result = path;
    return true;
}

bool CLibrarian::RenameLibrary(const std::string& path, const std::string& newName, std::string* result)
{
    if (IsOpenInWindow(path) || !IsValidItemName(newName))
        return Refuse();
    if (path == pendingPath_ && !FileSize(path)) {
        // Not written yet: only the name it will get changes.
        std::string renamed;
        if (!store_.CheckNewLibrary(ParentPath(path), newName, &renamed))
            return false;
        pendingPath_ = renamed;
        if (result)
            *result = renamed;
        return true;
    }
    const bool shown = loaded_ && path == shownPath_;
    if (shown)
        SaveIfNeeded(true);
    std::string renamed;
    if (!store_.RenameLibrary(path, newName, &renamed))
        return false;
    if (shown) {
        shownPath_ = renamed;
        shownLabel_ = newName;
    }
    if (noted_ == path)
        noted_ = renamed;
    if (result)
        *result = renamed;
    return true;
}

bool CLibrarian::RenameFolder(const std::string& path, const std::string& newName, std::string* result)
{
    if (path == store_.Root() || !IsValidItemName(newName))
        return Refuse();
    if (JoinPath(ParentPath(path), newName) == path) {
        if (result)
            *result = path;
        return true;
    }
    std::vector<std::string> inside;
    for (const auto& window : links_->OpenLibraryWindows())
        if (IsSameOrInside(window, path))
            inside.push_back(window);
    if (!inside.empty()) {
        const int answer = Prompts().Message(LoadString(kStrCloseLibrariesInFolder), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return false;
        for (const auto& window : inside)
            links_->CloseLibraryWindow(window, answer == IDYES);
    }
    std::string renamed;
    if (!store_.RenameFolder(path, newName, &renamed))
        return false;
    RebaseShown(path, renamed);
    if (result)
        *result = renamed;
    return true;
}

bool CLibrarian::Move(const std::string& dragged, const std::string& target, std::string* result)
{
    // A library window keeps its path: moving what it shows would leave it
    // writing where the file no longer is.
    for (const auto& window : links_->OpenLibraryWindows())
        if (IsSameOrInside(window, dragged))
            return Refuse();
    std::string moved;
    if (!store_.Move(dragged, target, &moved))
        return false;
    RebaseShown(dragged, moved);
    if (result)
        *result = moved;
    return true;
}

void CLibrarian::RebaseShown(const std::string& from, const std::string& to)
{
    if (loaded_)
        shownPath_ = Rebased(shownPath_, from, to);
    if (!pendingPath_.empty())
        pendingPath_ = Rebased(pendingPath_, from, to);
    if (noted_ != "@")
        noted_ = Rebased(noted_, from, to);
}

void CLibrarian::Forget()
{
    links_->CloseEditors(shownPath_, false);
    list_.Clear();
    modified_ = false;
    loaded_ = false;
    shownPath_.clear();
    noted_ = "@";
}

void CLibrarian::DeleteLibrary(const std::string& path)
{
    if (IsOpenInWindow(path)) {
        Refuse();
        return;
    }
    // The shown library's changes go with its file instead of bringing it back.
    if (loaded_ && path == shownPath_)
        Forget();
    if (path == pendingPath_)
        pendingPath_.clear();
    store_.DeleteLibrary(path);
}

bool CLibrarian::DeleteFolder(const std::string& path)
{
    if (path == store_.Root()) {
        RefuseRootDelete();
        return false;
    }
    for (const auto& window : links_->OpenLibraryWindows())
        if (IsSameOrInside(window, path))
            return Refuse();
    if (!store_.DeleteFolder(path)) {
        Prompts().Message(LoadString(kStrDeleteFailed), MB_OK | MB_ICONSTOP);
        return false;
    }
    if (loaded_ && IsSameOrInside(shownPath_, path))
        Forget();
    if (!pendingPath_.empty() && IsSameOrInside(pendingPath_, path))
        pendingPath_.clear();
    return true;
}

void CLibrarian::RefuseRootDelete()
{
    Prompts().Message(LoadString(kStrRootNotRemovable), MB_OK | MB_ICONSTOP);
}

bool CLibrarian::CloseEditorsForEdit()
{
    bool writeBack = false;
    if (links_->ModifiedEditors(shownPath_) > 0) {
        const int answer =
            Prompts().Message(FormatString(kStrCloseEditorsOfLibrary, shownLabel_), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return false;
        writeBack = answer == IDYES;
    }
    links_->CloseEditors(shownPath_, writeBack);
    return true;
}

int CLibrarian::DeleteSelectedIcons()
{
    if (!loaded_ || ShownOpenElsewhere() || list_.SelectedCount() == 0)
        return -1;
    if (!CloseEditorsForEdit())
        return -1;
    const int next = list_.DeleteSelected();
    modified_ = true;
    return next;
}

void CLibrarian::RenameIcon(int index, const std::string& name)
{
    if (!loaded_ || ShownOpenElsewhere() || index < 0 || index >= list_.Count())
        return;
    list_.RenameOne(index, name);
    modified_ = true;
}

void CLibrarian::RenameSelectedIcons(const std::string& baseName)
{
    if (!loaded_ || ShownOpenElsewhere() || list_.SelectedCount() == 0)
        return;
    list_.RenameSelected(baseName);
    modified_ = true;
}

bool CLibrarian::AddIcons(std::vector<CIconGroup> icons)
{
    if (!loaded_ || ShownOpenElsewhere() || icons.empty())
        return Refuse();
    list_.Append(std::move(icons));
    modified_ = true;
    return true;
}

IconPayload CLibrarian::DragPayload() const
{
    return MakeIconPayload(list_, IconSourceKind::LibrarianBar, SourceKey(), shownLabel_);
}

bool CLibrarian::DropOnList(const IconPayload& payload, int dropIndex, bool ctrlHeld)
{
    if (!loaded_ || ShownOpenElsewhere() || payload.icons.empty())
        return Refuse();
    const bool sameList = payload.kind == IconSourceKind::LibrarianBar && payload.sourceKey == SourceKey();
    const bool move = DropActionFor(payload.kind, ctrlHeld) == DropAction::Move;
    if (sameList && std::any_of(payload.indices.begin(), payload.indices.end(),
                                [this](int i) { return i < 0 || i >= list_.Count(); }))
        return Refuse();
    if (!CloseEditorsForEdit())
        return false;
    std::vector<CIconGroup> icons = DroppedIcons(payload);
    int index = std::clamp(dropIndex, 0, list_.Count());
    if (sameList && move) {
        index -= static_cast<int>(
            std::count_if(payload.indices.begin(), payload.indices.end(), [index](int i) { return i < index; }));
        list_.RemoveIndices(payload.indices);
    }
    list_.Insert(index, std::move(icons));
    modified_ = true;
    return true;
}

bool CLibrarian::DropOnLibrary(const std::string& path, const IconPayload& payload)
{
    if (payload.icons.empty() || (loaded_ && path == shownPath_) || IsOpenInWindow(path) ||
        !IsLibraryFileName(LastComponent(path)))
        return Refuse();
    auto groups = ReadLibrary(path, *progress_);
    if (!groups)
        return Refuse();
    std::vector<CIconGroup> icons = DroppedIcons(payload);
    icons.insert(icons.end(), std::make_move_iterator(groups->begin()), std::make_move_iterator(groups->end()));
    std::string error;
    if (!WriteIconLibrary(path, icons, *progress_, &error)) {
        Prompts().Message(error, MB_OK | MB_ICONSTOP);
        return false;
    }
    // The file is written now; its first load must not replace it by an empty one.
    if (path == pendingPath_)
        pendingPath_.clear();
    return true;
}

void CLibrarian::RemoveMovedIcons(const std::vector<int>& indices)
{
    if (!loaded_ || ShownOpenElsewhere())
        return;
    if (list_.RemoveIndices(indices) >= 0 || list_.empty())
        modified_ = true;
}

} // namespace kavrel
