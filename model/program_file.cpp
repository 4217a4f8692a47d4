#include "model/program_file.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr int kMaxDirectoryDepth = 8; // real files use three levels
constexpr std::uint32_t kNoLanguage = 0xFFFFFFFF;

// Raised when the file's structure cannot be read; the whole file is dropped.
struct Abandon {};

struct ImageRef {
    std::uint32_t id;
    std::uint32_t language;
    std::uint64_t offset;
    // The resource's length as the file records it; an image never reads
    // past it into the resource that follows (0: not recorded).
    std::uint64_t length;
};

// The image identifiers a group directory lists. Groups that name the same
// directory share one list.
using GroupIds = std::shared_ptr<const std::vector<std::uint16_t>>;

struct GroupRef {
    std::uint32_t language;
    GroupIds ids; // null when the directory could not be read
};

struct ResourceIndex {
    std::vector<ImageRef> images;
    std::vector<GroupRef> groups;
    std::vector<std::string> names;
};

// Reads the file's structure: headers, resource directories, data entries
// and group directories. These are many small records close together, so
// they are read through a few cached windows of the file rather than one
// system call each. Images are read from source() directly.
class Reader {
  public:
    explicit Reader(ByteSource& source) : source_(source) {}

    std::uint64_t size() const { return source_.size(); }
    bool fits(std::uint64_t offset, std::uint64_t n) const { return offset <= size() && n <= size() - offset; }

    std::vector<std::uint8_t> bytes(std::uint64_t offset, std::uint64_t n)
    {
        if (!fits(offset, n))
            throw Abandon{};
        if (n <= kWindow / 4) {
            const Window& w = WindowFor(offset, n);
            const auto from = w.bytes.begin() + static_cast<std::ptrdiff_t>(offset - w.start);
            return std::vector<std::uint8_t>(from, from + static_cast<std::ptrdiff_t>(n));
        }
        std::vector<std::uint8_t> out;
        if (!source_.readAt(offset, n, out))
            throw Abandon{};
        return out;
    }
    std::uint16_t u16(std::uint64_t offset) { return LoadU16(bytes(offset, 2).data()); }
    std::uint32_t u32(std::uint64_t offset) { return LoadU32(bytes(offset, 4).data()); }
    std::uint8_t u8(std::uint64_t offset) { return bytes(offset, 1)[0]; }

    ByteSource& source() { return source_; }

  private:
    static constexpr std::uint64_t kWindow = 16 * 1024;
    static constexpr std::size_t kWindows = 8; // directories and data entries lie apart

    struct Window {
        std::uint64_t start = 0;
        std::vector<std::uint8_t> bytes;
        std::uint64_t used = 0; // for replacing the least recently used
    };

    // A window holding [offset, offset + n), read when none does.
    const Window& WindowFor(std::uint64_t offset, std::uint64_t n)
    {
        ++clock_;
        for (Window& w : windows_)
            if (offset >= w.start && offset + n <= w.start + w.bytes.size()) {
                w.used = clock_;
                return w;
            }
        Window* slot = nullptr;
        if (windows_.size() < kWindows)
            slot = &windows_.emplace_back();
        else
            slot = &*std::min_element(windows_.begin(), windows_.end(),
                                      [](const Window& a, const Window& b) { return a.used < b.used; });
        // Page-aligned, and long enough for the record whatever the alignment.
        slot->start = offset & ~std::uint64_t{4095};
        const std::uint64_t length = std::min(kWindow, size() - slot->start);
        if (!source_.readAt(slot->start, length, slot->bytes))
            throw Abandon{};
        slot->used = clock_;
        return *slot;
    }

    ByteSource& source_;
    std::vector<Window> windows_;
    std::uint64_t clock_ = 0;
};

// Group directories: a 6-byte header (reserved, type, count), then 14-byte
// entries whose last two bytes are the image identifier. Each is read once
// however many groups name it, and the entries stored over all directories
// can be no more than the file could hold without overlapping them; a file
// claiming more is not read. Otherwise a small file whose groups all name one
// large directory would cost its size times the number of groups.
class GroupDirectories {
  public:
    explicit GroupDirectories(Reader& r) : r_(r), entryBudget_(r.size() / kEntrySize + 1) {}

    // Null when the directory does not lie in the file (or, with
    // requireType1, is not an icon directory).
    GroupIds Read(std::uint64_t offset, bool requireType1)
    {
        auto [it, fresh] = cache_.try_emplace(offset);
        if (fresh)
            it->second = Load(offset, requireType1);
        return it->second;
    }

  private:
    static constexpr std::uint64_t kEntrySize = 14;

    GroupIds Load(std::uint64_t offset, bool requireType1)
    {
        if (!r_.fits(offset, 6))
            return nullptr;
        auto header = r_.bytes(offset, 6);
        if (requireType1 && LoadU16(header.data() + 2) != 1)
            return nullptr;
        const std::uint16_t count = LoadU16(header.data() + 4);
        if (!r_.fits(offset + 6, kEntrySize * count))
            return nullptr;
        if (count > entryBudget_)
            throw Abandon{};
        entryBudget_ -= count;
        auto entries = r_.bytes(offset + 6, kEntrySize * count);
        auto ids = std::make_shared<std::vector<std::uint16_t>>(count);
        for (std::size_t i = 0; i < count; ++i)
            (*ids)[i] = LoadU16(entries.data() + kEntrySize * i + 12);
        return ids;
    }

    Reader& r_;
    std::unordered_map<std::uint64_t, GroupIds> cache_;
    std::uint64_t entryBudget_;
};

// --- 16-bit modules -------------------------------------------------------

bool IndexNe(Reader& r, std::uint64_t ne, ResourceIndex& index)
{
    // Windows 2.x modules keep icons in a layout of their own.
    if (r.u8(ne + 63) < 3)
        return false;
    std::uint16_t resourceTable = r.u16(ne + 36);
    std::uint16_t residentNames = r.u16(ne + 38);
    if (resourceTable == 0 || residentNames == 0)
        return false;
    std::uint64_t pos = ne + resourceTable;
    std::uint16_t shift = r.u16(pos);
    if (shift > 16)
        return false;
    pos += 2;

    std::vector<std::uint64_t> groupOffsets;
    std::vector<std::uint16_t> iconIds;
    for (;;) {
        std::uint16_t type = r.u16(pos);
        if (type == 0)
            break;
        std::uint16_t count = r.u16(pos + 2);
        auto records = r.bytes(pos + 8, 12ull * count);
        pos += 8 + 12ull * count;
        if (type != 0x8003 && type != 0x800E)
            continue;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* rec = records.data() + 12 * i;
            std::uint64_t offset = std::uint64_t{LoadU16(rec)} << shift;
            if (type == 0x8003) {
                index.images.push_back({0, 0, offset, std::uint64_t{LoadU16(rec + 2)} << shift});
                iconIds.push_back(LoadU16(rec + 6));
            } else {
                groupOffsets.push_back(offset);
            }
        }
    }

    // Groups name their images by identifier. When the images' own integer
    // identifiers are unique they are used, as the system's loader does;
    // otherwise an identifier k means the k-th image of the table.
    std::set<std::uint16_t> seen;
    bool byIdentifier = true;
    for (std::uint16_t id : iconIds)
        if (!(id & 0x8000) || !seen.insert(id).second)
            byIdentifier = false;
    for (std::size_t i = 0; i < index.images.size(); ++i)
        index.images[i].id = byIdentifier ? (iconIds[i] & 0x7FFF) : static_cast<std::uint32_t>(i + 1);

    // An unreadable directory still takes its place, keeping the names in step.
    GroupDirectories directories(r);
    for (std::uint64_t offset : groupOffsets)
        index.groups.push_back({0, directories.Read(offset, false)});

    // Icon names follow the module name "ICL"; other modules have none.
    std::uint64_t names = ne + residentNames;
    if (r.fits(names, 4)) {
        auto head = r.bytes(names, 4);
        if (std::memcmp(head.data(), "\x03ICL", 4) == 0) {
            pos = names + 4;
            while (r.fits(pos, 1)) {
                std::uint8_t length = r.u8(pos);
                if (length == 0 || !r.fits(pos + 1, length))
                    break;
                auto text = r.bytes(pos + 1, length);
                index.names.emplace_back(text.begin(), text.end());
                pos += 1 + length;
            }
        }
    }
    return true;
}

// --- 32- and 64-bit modules -----------------------------------------------

class PeResourceWalker {
  public:
    PeResourceWalker(Reader& r, std::uint64_t base, std::uint32_t sectionAddress, ResourceIndex& index)
        : r_(r), base_(base), sectionAddress_(sectionAddress), index_(index), directories_(r),
          entryBudget_(r.size() / 8 + 64)
    {
    }

    void WalkRoot()
    {
        ForEachEntry(base_, 0, [&](std::uint32_t name, std::uint32_t target) {
            if ((name & 0x80000000u) || !(target & 0x80000000u))
                return;
            if (name == kRtIcon)
                Walk(target, 1, Kind::Icon, std::nullopt);
            else if (name == kRtGroupIcon)
                Walk(target, 1, Kind::Group, std::nullopt);
        });
    }

  private:
    enum class Kind { Icon, Group };

    template <typename F> void ForEachEntry(std::uint64_t directory, int depth, F&& visit)
    {
        // A directory reached twice, or deeper than any real file nests, is
        // a loop or a trap: it adds nothing.
        if (depth > kMaxDirectoryDepth || !visited_.insert(directory).second)
            return;
        auto header = r_.bytes(directory, 16);
        std::uint64_t count = std::uint64_t{LoadU16(header.data() + 12)} + LoadU16(header.data() + 14);
        if (count > entryBudget_)
            throw Abandon{};
        entryBudget_ -= count;
        auto entries = r_.bytes(directory + 16, 8 * count);
        for (std::uint64_t i = 0; i < count; ++i)
            visit(LoadU32(entries.data() + 8 * i), LoadU32(entries.data() + 8 * i + 4));
    }

    // `id` is the icon identifier once known: the level below the type.
    void Walk(std::uint32_t target, int depth, Kind kind, std::optional<std::uint32_t> id,
              std::uint32_t language = kNoLanguage)
    {
        std::uint64_t at = base_ + (target & 0x7FFFFFFFu);
        if (!(target & 0x80000000u)) {
            Data(at, kind, id, language);
            return;
        }
        ForEachEntry(at, depth, [&](std::uint32_t name, std::uint32_t next) {
            bool named = name & 0x80000000u;
            if (!id) {
                // Icon images are found by number; named ones cannot be.
                if (kind == Kind::Icon && named)
                    return;
                Walk(next, depth + 1, kind, named ? 0 : name);
            } else {
                Walk(next, depth + 1, kind, id, named ? kNoLanguage : name);
            }
        });
    }

    void Data(std::uint64_t entry, Kind kind, std::optional<std::uint32_t> id, std::uint32_t language)
    {
        if (!id)
            return; // a data entry in place of the identifier level
        auto data = r_.bytes(entry, 16);
        std::uint32_t rva = LoadU32(data.data());
        if (rva < sectionAddress_)
            return;
        std::uint64_t offset = base_ + (rva - sectionAddress_);
        if (kind == Kind::Icon) {
            index_.images.push_back({*id, language, offset, LoadU32(data.data() + 4)});
        } else if (auto ids = directories_.Read(offset, true)) {
            index_.groups.push_back({language, std::move(ids)});
        }
    }

    Reader& r_;
    std::uint64_t base_;
    std::uint32_t sectionAddress_;
    ResourceIndex& index_;
    GroupDirectories directories_;
    std::set<std::uint64_t> visited_;
    std::uint64_t entryBudget_; // no file holds more entries than fit in it
};

bool IndexPe(Reader& r, std::uint64_t pe, ResourceIndex& index)
{
    auto fileHeader = r.bytes(pe + 4, 20);
    std::uint16_t sectionCount = LoadU16(fileHeader.data() + 2);
    std::uint16_t optionalSize = LoadU16(fileHeader.data() + 16);
    auto sections = r.bytes(pe + 24 + optionalSize, 40ull * sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* s = sections.data() + 40 * i;
        char name[9] = {};
        std::memcpy(name, s, 8);
        if (std::strcmp(name, ".rsrc") != 0)
            continue;
        std::uint32_t virtualAddress = LoadU32(s + 12);
        std::uint32_t rawData = LoadU32(s + 20);
        PeResourceWalker walker(r, rawData, virtualAddress, index);
        walker.WalkRoot();
        return true;
    }
    return false;
}

// --- assembly -------------------------------------------------------------

class Assembler {
  public:
    Assembler(Reader& r, const ResourceIndex& index, ImageBytes bytes)
        : r_(r), index_(index), bytes_(bytes), budget_(4 * r.size() + (16ull << 20))
    {
        for (std::size_t i = 0; i < index.images.size(); ++i) {
            const ImageRef& image = index.images[i];
            byId_.try_emplace(image.id, i);
            byIdAndLanguage_.try_emplace(std::uint64_t{image.id} << 32 | image.language, i);
        }
    }

    std::vector<CIconGroup> Build(ProgressSink& progress)
    {
        std::vector<CIconGroup> out;
        ProgressScope scope(progress, LoadString(kStrLoading), static_cast<int>(index_.groups.size()));
        for (std::size_t g = 0; g < index_.groups.size(); ++g) {
            CIconGroup group;
            for (const auto& [image, offset] : Formats(index_.groups[g])) {
                // Skipped bytes count as read: they are read when the icon is used.
                Spend(static_cast<std::uint64_t>(image->imageSize) + kCopyCost);
                auto copy = std::make_unique<CIcon>(*image);
                copy->sourceOffset = offset;
                group.formats.push_back(std::move(copy));
            }
            scope.Step(static_cast<int>(g + 1));
            if (group.formats.empty())
                continue;
            if (g < index_.names.size() && index_.names[g] != "@")
                group.name = index_.names[g];
            out.push_back(std::move(group));
        }
        return out;
    }

  private:
    // What a copy costs besides its image bytes.
    static constexpr std::uint64_t kCopyCost = sizeof(CIcon) + 64;

    using FormatList = std::vector<std::pair<const CIcon*, std::uint64_t>>;

    // A group's images in sorted order with their offsets. Groups naming the
    // same directory in the same language get the same images, so each such
    // list is worked out once.
    const FormatList& Formats(const GroupRef& group)
    {
        static const FormatList none;
        if (!group.ids)
            return none;
        auto [it, fresh] = formats_.try_emplace({group.ids.get(), group.language});
        if (!fresh)
            return it->second;
        std::set<std::uint64_t> taken;
        for (std::uint16_t id : *group.ids) {
            const ImageRef* ref = Find(id, group.language);
            if (!ref || !taken.insert(ref->offset).second)
                continue;
            if (const CIcon* image = Image(*ref))
                it->second.emplace_back(image, ref->offset);
        }
        std::stable_sort(it->second.begin(), it->second.end(), [](const auto& a, const auto& b) {
            return FormatLess({a.first->width, a.first->height, a.first->bitCount(), a.first->colorCount},
                              {b.first->width, b.first->height, b.first->bitCount(), b.first->colorCount});
        });
        return it->second;
    }

    // The image of that identifier in the group's language, else the first.
    const ImageRef* Find(std::uint16_t id, std::uint32_t language) const
    {
        auto exact = byIdAndLanguage_.find(std::uint64_t{id} << 32 | language);
        if (exact != byIdAndLanguage_.end())
            return &index_.images[exact->second];
        auto any = byId_.find(id);
        return any == byId_.end() ? nullptr : &index_.images[any->second];
    }

    const CIcon* Image(const ImageRef& ref)
    {
        auto [it, fresh] = cache_.try_emplace(ref.offset);
        if (fresh && ref.offset <= static_cast<std::uint64_t>(INT_MAX)) {
            auto icon = std::make_unique<CIcon>();
            // An image claiming more than its resource would take the next
            // resource's bytes, and writing it back would overwrite them.
            PrefixSource resource(r_.source(), ref.length ? ref.offset + ref.length : r_.size());
            if (icon->ReadImage(resource, ref.offset, bytes_)) {
                Spend(static_cast<std::uint64_t>(icon->imageSize));
                it->second = std::move(icon);
            }
        }
        return it->second.get();
    }

    // Overlapping or shared images could make a small file decode into far
    // more memory than it holds; such a file is not read.
    void Spend(std::uint64_t n)
    {
        if (n > budget_)
            throw Abandon{};
        budget_ -= n;
    }

    Reader& r_;
    const ResourceIndex& index_;
    ImageBytes bytes_;
    std::unordered_map<std::uint32_t, std::size_t> byId_;
    std::unordered_map<std::uint64_t, std::size_t> byIdAndLanguage_;
    std::map<std::uint64_t, std::unique_ptr<CIcon>> cache_;
    std::map<std::pair<const void*, std::uint32_t>, FormatList> formats_;
    std::uint64_t budget_;
};

} // namespace

int ReadProgramFileIcons(std::vector<CIconGroup>& groups, ByteSource& source, ProgressSink& progress, ImageBytes bytes)
{
    Reader r(source);
    std::vector<CIconGroup> found;
    try {
        std::uint64_t header = r.u32(60);
        auto signature = r.bytes(header, 2);
        ResourceIndex index;
        bool ok = false;
        if (signature[0] == 'N' && signature[1] == 'E')
            ok = IndexNe(r, header, index);
        else if (signature[0] == 'P' && signature[1] == 'E')
            ok = IndexPe(r, header, index);
        if (!ok)
            return 0;
        Assembler assembler(r, index, bytes);
        found = assembler.Build(progress);
    } catch (const Abandon&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (auto& g : found)
        groups.push_back(std::move(g));
    return static_cast<int>(found.size());
}

int ReadProgramFileIcons(std::vector<CIconGroup>& groups, const std::string& path, ProgressSink& progress,
                         ImageBytes bytes)
{
    auto file = FileReader::Open(path);
    if (!file)
        return 0;
    return ReadProgramFileIcons(groups, *file, progress, bytes);
}

bool ReadSkippedImages(CIconGroup& group, ByteSource& source)
{
    bool all = true;
    auto& formats = group.formats;
    for (auto it = formats.begin(); it != formats.end();) {
        CIcon& icon = **it;
        if (!icon.image.empty() || !icon.sourceOffset) {
            ++it;
            continue;
        }
        // The headers were checked against the resource's bounds when listed;
        // the image must still be the one listed, or writing it back could
        // reach past its resource.
        CIcon fresh;
        PrefixSource bounded(source, *icon.sourceOffset + static_cast<std::uint64_t>(icon.imageSize));
        bool read = false;
        try {
            read = fresh.ReadImage(bounded, *icon.sourceOffset);
        } catch (const std::bad_alloc&) {
            // Dropped like an unreadable image; the window stays up.
        }
        if (read && fresh.width == icon.width && fresh.height == icon.height && fresh.colorCount == icon.colorCount &&
            fresh.png == icon.png && fresh.bitCountRaw == icon.bitCountRaw && fresh.imageSize == icon.imageSize) {
            icon.image = std::move(fresh.image);
            ++it;
        } else {
            it = formats.erase(it);
            all = false;
        }
    }
    if (!all)
        group.displayFormat = -1;
    return all;
}

} // namespace kavrel
