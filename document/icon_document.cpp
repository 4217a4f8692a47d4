#include "document/icon_document.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>

#include "document/open_files.h"
#include "model/ico_file.h"
#include "platform/byte_reader.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

ProgressSink* g_progress = nullptr;

// "...converted from 32 bits with alpha...: %s ... Save anyway?"
constexpr int kStrFlattenQuestion = 61720;

ProgressSink& Progress()
{
    return g_progress ? *g_progress : NullProgress();
}

std::string FlattenedFormatName(const CIconObject& o)
{
    return FormatString(o.compressed ? 55302 : 55301, o.width, o.height);
}

} // namespace

// ---------------------------------------------------------------- sources

bool GroupIconSource::FillDocument(CIconDocument& doc)
{
    if (group_.FormatCount() == 0)
        return false;
    for (const auto& icon : group_.formats)
        doc.AdoptFormat(std::make_unique<CIconObject>(*icon));
    if (takeName_)
        doc.SetName(group_.name);
    return true;
}

// ---------------------------------------------------------------- document

CIconDocument::CIconDocument(IconSource* source) : source_(source)
{
    AddFormat(32, 32, 4, 0);
    RememberSavedState();
}

CIconDocument::~CIconDocument() = default;

void CIconDocument::SetProgressSink(ProgressSink* sink)
{
    g_progress = sink;
}

void CIconDocument::DeleteContents()
{
    formats_.clear();
}

bool CIconDocument::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return false;
    // Consulted once: a source never fills a second document.
    IconSource* source = std::exchange(source_, nullptr);
    if (source) {
        DeleteContents();
        if (source->FillDocument(*this) && !formats_.empty()) {
            SetModifiedFlag(false);
            return true;
        }
    }
    DeleteContents();
    AddFormat(32, 32, 4, 0);
    SetModifiedFlag(false);
    return true;
}

bool CIconDocument::OnOpenDocument(const std::string& path)
{
    if (path.empty())
        return true;
    ProgressScope busy(Progress(), LoadString(55036), 0);
    loadFailed_ = 0;

    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        Prompts().Message(FormatString(55303, path), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    std::unique_ptr<FileReader> file = FileReader::Open(path);
    if (!file || std::filesystem::is_directory(path, ec)) {
        Prompts().Message(FormatString(55304, path), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // Read aside first: a bad file must not cost the user what the document held.
    std::vector<std::unique_ptr<CIconObject>> read;
    IcoImageCount count;
    if (!ReadIcoObjects(*file, read, IcoReadMode::IntactImages, &count) || read.empty()) {
        loadFailed_ = 1;
        Prompts().Message(AboutFile(path, 55037), MB_OK | MB_ICONSTOP);
        return false;
    }
    // A damaged file opens only as far as the user agrees to.
    const bool partial = count.read < count.listed;
    if (partial &&
        Prompts().Message(FormatString(55320, path, count.read, count.listed), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        loadFailed_ = 1;
        return false;
    }
    DeleteContents();
    formats_ = std::move(read);
    SortFormats();
    name_ = IconNameFromPath(path);
    SetPathName(path);
    // What is held is not what the file holds: closing asks before the
    // damaged file is left as it is.
    SetModifiedFlag(partial);
    return true;
}

void CIconDocument::PrepareForSave()
{
    std::vector<CDocumentView*> views = Views();
    for (CDocumentView* v : views)
        v->CommitBeforeSave();
}

std::vector<std::uint64_t> CIconDocument::ContentIds() const
{
    std::vector<std::uint64_t> ids;
    ids.reserve(formats_.size());
    for (const auto& o : formats_)
        ids.push_back(o->contentId);
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool CIconDocument::DiffersFromSaved() const
{
    return ContentIds() != savedIds_;
}

void CIconDocument::RememberSavedState()
{
    savedIds_ = ContentIds();
}

bool CIconDocument::OnSaveDocument(const std::string& path)
{
    SortFormats();
    // Ask before anything changes: a No must leave document and file as they were.
    std::string flattened;
    for (const auto& o : formats_) {
        if (o->converted) {
            if (!flattened.empty())
                flattened += ", ";
            flattened += FlattenedFormatName(*o);
        }
    }
    if (!flattened.empty() &&
        Prompts().Message(FormatString(kStrFlattenQuestion, flattened), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;

    PrepareForSave();
    ProgressScope busy(Progress(), LoadString(55039), 0);

    // Formats whose image did not change since it was read keep their bytes.
    std::vector<const CIcon*> images;
    images.reserve(formats_.size());
    for (auto& o : formats_) {
        o->PackToIcon();
        images.push_back(&o->packed);
    }
    int error = 0;
    if (!WriteIcoFile(path, images, &error)) {
        // The old file is intact; the history stays so nothing is lost.
        Prompts().Message(CannotSaveText(path, error), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // What was written is now what these formats hold.
    for (auto& o : formats_)
        o->converted = false;
    for (int i = 0; i < GetFormatCount(); ++i)
        DiscardUndo(i);
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

CIconObject* CIconDocument::GetFormat(int i)
{
    return i >= 0 && i < GetFormatCount() ? formats_[static_cast<std::size_t>(i)].get() : nullptr;
}

const CIconObject* CIconDocument::GetFormat(int i) const
{
    return i >= 0 && i < GetFormatCount() ? formats_[static_cast<std::size_t>(i)].get() : nullptr;
}

bool CIconDocument::AddFormat(int width, int height, int bitDepth, int ownPalette)
{
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return false;
    if (bitDepth != 1 && bitDepth != 4 && bitDepth != 8 && bitDepth != 24 && bitDepth != 32)
        return false;
    std::unique_ptr<CIconObject> o;
    try {
        o = std::make_unique<CIconObject>(bitDepth, width, height, ownPalette);
        formats_.push_back(std::move(o));
    } catch (const std::bad_alloc&) {
        return false;
    }
    SortFormats();
    return true;
}

void CIconDocument::AdoptFormat(std::unique_ptr<CIconObject> format)
{
    if (!format)
        return;
    formats_.push_back(std::move(format));
    SortFormats();
}

bool CIconDocument::RemoveFormat(int i)
{
    if (!GetFormat(i) || GetFormatCount() <= 1)
        return false;
    formats_.erase(formats_.begin() + i);
    return true;
}

int CIconDocument::BestFormat(int sizeIndex, int colorIndex) const
{
    if (formats_.empty())
        return -1;
    std::vector<FormatKey> keys;
    keys.reserve(formats_.size());
    for (const auto& o : formats_)
        keys.push_back(o->key());
    return BestFormatIndex(keys, sizeIndex, colorIndex);
}

void CIconDocument::SortFormats()
{
    std::stable_sort(formats_.begin(), formats_.end(),
                     [](const auto& a, const auto& b) { return FormatLess(a->key(), b->key()); });
}

CIconGroup CIconDocument::ToIconGroup()
{
    CIconGroup group;
    group.name = name_;
    for (auto& o : formats_) {
        o->PackToIcon();
        group.AddFormat(o->packed);
    }
    return group;
}

void CIconDocument::PackToIcon(int format)
{
    ForFormat([](CIconObject& o) { o.PackToIcon(); }, format);
}

void CIconDocument::DiscardUndo(int format)
{
    ForFormat(
        [](CIconObject& o) {
            for (auto& state : o.undo) {
                state.color.reset();
                state.mask.reset();
            }
            o.undoLast = 0;
            o.undoPosition = 0;
        },
        format);
}

std::string CIconDocument::IconNameFromPath(const std::string& path)
{
    std::string name = path;
    const std::size_t slash = name.find_last_of("\\/");
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    // Only a point inside the file name starts an extension: one in a folder
    // name would cut the path short, and a leading point is the whole name.
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 1 && dot > start)
        name.erase(dot);
    name.erase(0, start);
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

} // namespace kavrel
