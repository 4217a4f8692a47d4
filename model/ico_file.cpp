#include "model/ico_file.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "model/program_file.h"
#include "platform/atomic_file.h"

namespace kavrel {

namespace {

constexpr std::uint64_t kIcoHeaderSize = 6;
constexpr std::uint64_t kIcoEntrySize = 16;

int DefaultProgramFileReader(const std::string& path, std::vector<CIconGroup>& groups)
{
    return ReadProgramFileIcons(groups, path);
}

ProgramFileReader& ProgramReader()
{
    static ProgramFileReader reader = DefaultProgramFileReader;
    return reader;
}

// The image offsets of a checked ICO directory, in directory order.
std::optional<std::vector<std::uint64_t>> ReadDirectory(ByteSource& source)
{
    if (source.size() < kIcoHeaderSize)
        return std::nullopt;
    auto header = source.readAt(0, kIcoHeaderSize);
    if (!header)
        return std::nullopt;
    // The reserved word is not checked: some writers leave it non-zero.
    const std::uint16_t type = LoadU16(header->data() + 2);
    const std::uint64_t count = LoadU16(header->data() + 4);
    if (type != 1 || count == 0)
        return std::nullopt;
    if (kIcoEntrySize * count > source.size() - kIcoHeaderSize)
        return std::nullopt;
    auto directory = source.readAt(kIcoHeaderSize, kIcoEntrySize * count);
    if (!directory)
        return std::nullopt;
    std::vector<std::uint64_t> offsets(count);
    for (std::uint64_t i = 0; i < count; ++i)
        offsets[i] = LoadU32(directory->data() + kIcoEntrySize * i + 12);
    return offsets;
}

// Entries that share image bytes could otherwise make a small file claim
// gigabytes; what a file can justify is bounded by its own size.
std::uint64_t ReadBudget(const ByteSource& source)
{
    return std::max<std::uint64_t>(source.size(), kMaxImageBytes);
}

enum class ImageRead { Ok, Damaged, OverBudget };

// Reads every image of the directory with `read(slot, offset)`, where `slot`
// ends where the next image begins (or the file ends): an image whose header
// claims more than that is damaged, never read across its neighbour. In
// Whole mode one damaged image fails the file; with IntactImages it is left
// out. False when nothing was read.
template <typename Read> bool ReadEachImage(ByteSource& source, IcoReadMode mode, IcoImageCount* count, Read&& read)
{
    auto offsets = ReadDirectory(source);
    if (!offsets)
        return false;
    std::vector<std::uint64_t> starts = *offsets;
    std::sort(starts.begin(), starts.end());
    IcoImageCount seen{static_cast<int>(offsets->size()), 0};
    for (std::uint64_t offset : *offsets) {
        auto next = std::upper_bound(starts.begin(), starts.end(), offset);
        PrefixSource slot(source, next == starts.end() ? source.size() : *next);
        switch (read(slot, offset)) {
        case ImageRead::Ok:
            ++seen.read;
            break;
        case ImageRead::Damaged:
            if (mode == IcoReadMode::Whole)
                return false;
            break;
        case ImageRead::OverBudget:
            return false;
        }
    }
    if (count)
        *count = seen;
    return seen.read > 0;
}

// The images that read, sorted, with their offsets.
std::optional<std::vector<std::pair<CIcon, std::uint64_t>>> ReadIcoImages(ByteSource& source, IcoReadMode mode,
                                                                          IcoImageCount* count, ImageBytes bytes)
{
    std::vector<std::pair<CIcon, std::uint64_t>> images;
    std::uint64_t total = 0;
    const std::uint64_t budget = ReadBudget(source);
    const bool ok = ReadEachImage(source, mode, count, [&](ByteSource& slot, std::uint64_t offset) {
        CIcon icon;
        if (!icon.ReadImage(slot, offset, bytes))
            return ImageRead::Damaged;
        total += static_cast<std::uint64_t>(icon.imageSize);
        if (total > budget)
            return ImageRead::OverBudget;
        images.emplace_back(std::move(icon), offset);
        return ImageRead::Ok;
    });
    if (!ok)
        return std::nullopt;
    std::stable_sort(images.begin(), images.end(), [](const auto& a, const auto& b) {
        return FormatLess({a.first.width, a.first.height, a.first.bitCount(), a.first.colorCount},
                          {b.first.width, b.first.height, b.first.bitCount(), b.first.colorCount});
    });
    return images;
}

std::string UpperExtension(const std::string& path)
{
    std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? name : name.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

FileKindType FileKind(const std::string& path)
{
    const std::string ext = UpperExtension(path);
    if (ext == "ICO")
        return FileKindType::Icon;
    for (const char* k : {"EXE", "DLL", "VBX", "OCX", "CPL", "DRV"})
        if (ext == k)
            return FileKindType::ProgramFile;
    for (const char* k : {"ICL", "IL", "NIL"})
        if (ext == k)
            return FileKindType::IconLibrary;
    return FileKindType::Unknown;
}

bool ReadIcoGroup(ByteSource& source, std::vector<CIconGroup>& groups)
{
    std::vector<std::uint64_t> offsets;
    return ReadIcoGroupWithOffsets(source, groups, offsets);
}

bool ReadIcoGroupWithOffsets(ByteSource& source, std::vector<CIconGroup>& groups, std::vector<std::uint64_t>& offsets,
                             IcoReadMode mode, IcoImageCount* count, ImageBytes bytes)
{
    auto images = ReadIcoImages(source, mode, count, bytes);
    if (!images)
        return false;
    CIconGroup group;
    std::vector<std::uint64_t> sortedOffsets;
    group.formats.reserve(images->size());
    for (auto& [icon, offset] : *images) {
        group.formats.push_back(std::make_unique<CIcon>(std::move(icon)));
        sortedOffsets.push_back(offset);
    }
    groups.push_back(std::move(group));
    offsets = std::move(sortedOffsets);
    return true;
}

bool ReadIcoGroupFile(const std::string& path, std::vector<CIconGroup>& groups)
{
    auto file = FileReader::Open(path);
    return file && ReadIcoGroup(*file, groups);
}

std::vector<std::uint8_t> BuildIcoFile(const std::vector<const CIcon*>& images)
{
    std::vector<const CIcon*> present;
    for (const CIcon* icon : images)
        if (icon && !icon->empty())
            present.push_back(icon);
    const std::size_t count = std::min<std::size_t>(present.size(), 0xFFFF);

    ByteWriter out;
    out.u16(0);
    out.u16(1);
    out.u16(static_cast<std::uint16_t>(count));
    const std::size_t directory = out.size();
    out.zeros(kIcoEntrySize * count);
    for (std::size_t i = 0; i < count; ++i) {
        const CIcon& icon = *present[i];
        const std::size_t entry = directory + kIcoEntrySize * i;
        const std::size_t offset = out.size();
        std::uint8_t* e = out.data().data() + entry;
        e[0] = static_cast<std::uint8_t>(icon.width);
        e[1] = static_cast<std::uint8_t>(icon.height);
        e[2] = icon.isClassic() ? static_cast<std::uint8_t>(icon.colorCount) : 0;
        e[3] = 0;
        StoreU16(e + 4, 1);
        StoreU16(e + 6, static_cast<std::uint16_t>(icon.bitCount()));
        StoreU32(e + 8, static_cast<std::uint32_t>(icon.image.size()));
        StoreU32(e + 12, static_cast<std::uint32_t>(offset));
        out.bytes(icon.image);
    }
    return out.take();
}

bool WriteIcoFile(const std::string& path, const std::vector<const CIcon*>& images, int* error)
{
    if (error)
        *error = 0;
    std::size_t present = 0;
    for (const CIcon* icon : images) {
        if (!icon || icon->empty())
            return false;
        ++present;
    }
    if (present == 0 || present > 0xFFFF)
        return false;
    std::vector<std::uint8_t> bytes = BuildIcoFile(images);
    if (bytes.size() > 0xFFFFFFFFull)
        return false;
    return WriteFileAtomically(path, bytes, error);
}

bool CIconGroup::SaveAsIco(const std::string& path, int* error) const
{
    std::vector<const CIcon*> images;
    for (const auto& f : formats)
        images.push_back(f.get());
    std::stable_sort(images.begin(), images.end(), [](const CIcon* a, const CIcon* b) {
        return FormatLess({a->width, a->height, a->bitCount(), a->colorCount},
                          {b->width, b->height, b->bitCount(), b->colorCount});
    });
    return WriteIcoFile(path, images, error);
}

bool ReadIcoObjects(ByteSource& source, std::vector<std::unique_ptr<CIconObject>>& objects, IcoReadMode mode,
                    IcoImageCount* count)
{
    std::vector<std::unique_ptr<CIconObject>> read;
    std::uint64_t total = 0;
    const std::uint64_t budget = ReadBudget(source);
    const bool ok = ReadEachImage(source, mode, count, [&](ByteSource& slot, std::uint64_t offset) {
        auto object = std::make_unique<CIconObject>();
        if (!object->ReadFromFile(slot, offset))
            return ImageRead::Damaged;
        // Decoded bitmaps cost four bytes a pixel whatever the file holds; a
        // 32-bit format keeps a second copy to know whether it changed.
        const std::uint64_t perPixel = object->packedColor ? 8 : 4;
        total += object->packed.image.size() +
                 perPixel * static_cast<std::uint64_t>(object->width) * static_cast<std::uint64_t>(object->height);
        if (total > 4 * budget)
            return ImageRead::OverBudget;
        read.push_back(std::move(object));
        return ImageRead::Ok;
    });
    if (!ok)
        return false;
    std::stable_sort(read.begin(), read.end(),
                     [](const auto& a, const auto& b) { return FormatLess(a->key(), b->key()); });
    objects = std::move(read);
    return true;
}

bool WriteIcoObjects(const std::string& path, std::vector<std::unique_ptr<CIconObject>>& objects)
{
    std::vector<CIconObject*> order;
    for (auto& o : objects)
        if (o)
            order.push_back(o.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const CIconObject* a, const CIconObject* b) { return FormatLess(a->key(), b->key()); });
    std::vector<const CIcon*> images;
    for (CIconObject* o : order) {
        o->PackToIcon();
        images.push_back(&o->packed);
    }
    return WriteIcoFile(path, images);
}

void SetProgramFileReader(ProgramFileReader reader)
{
    ProgramReader() = reader ? std::move(reader) : ProgramFileReader(DefaultProgramFileReader);
}

int LoadIconsFromFile(std::vector<CIconGroup>& groups, const std::string& path)
{
    if (path.empty())
        return 0;
    switch (FileKind(path)) {
    case FileKindType::Icon:
        ReadIcoGroupFile(path, groups);
        break;
    case FileKindType::ProgramFile:
    case FileKindType::IconLibrary:
        if (ProgramReader())
            ProgramReader()(path, groups);
        break;
    case FileKindType::Unknown:
        return 0;
    }
    return static_cast<int>(groups.size());
}

} // namespace kavrel
