#include "model/program_file_write.h"

#include <algorithm>
#include <cstring>

#include "model/icon_model.h"
#include "platform/atomic_file.h"

namespace kavrel {

namespace {

std::optional<std::uint32_t> U32At(ByteSource& source, std::uint64_t offset)
{
    auto b = source.readAt(offset, 4);
    return b ? std::optional<std::uint32_t>(LoadU32(b->data())) : std::nullopt;
}

std::optional<std::uint16_t> U16At(ByteSource& source, std::uint64_t offset)
{
    auto b = source.readAt(offset, 2);
    return b ? std::optional<std::uint16_t>(LoadU16(b->data())) : std::nullopt;
}

bool ReadNeLayout(ByteSource& source, std::uint64_t ne, ProgramFileLayout& layout)
{
    auto table = U16At(source, ne + 36);
    if (!table || *table == 0)
        return false;
    std::uint64_t pos = ne + *table;
    auto shift = U16At(source, pos);
    if (!shift || *shift > 16)
        return false;
    pos += 2;
    // Every step moves past at least eight bytes that were read, so a damaged
    // table ends at the end of the file.
    for (;;) {
        auto type = U16At(source, pos);
        auto count = U16At(source, pos + 2);
        if (!type || *type == 0)
            return type.has_value();
        if (!count)
            return false;
        auto records = source.readAt(pos + 8, 12ull * *count);
        if (!records)
            return false;
        for (std::size_t i = 0; i < *count; ++i) {
            const std::uint8_t* rec = records->data() + 12 * i;
            std::uint64_t first = std::uint64_t{LoadU16(rec)} << *shift;
            std::uint64_t last = first + (std::uint64_t{LoadU16(rec + 2)} << *shift);
            layout.resourceData.emplace_back(first, std::min(last, source.size()));
        }
        pos += 8 + 12ull * *count;
    }
}

bool ReadPeLayout(ByteSource& source, std::uint64_t pe, ProgramFileLayout& layout)
{
    auto sectionCount = U16At(source, pe + 6);
    auto optionalSize = U16At(source, pe + 20);
    std::uint64_t optional = pe + 24;
    auto magic = U16At(source, optional);
    if (!sectionCount || !optionalSize || !magic)
        return false;
    layout.pe = true;

    if (*optionalSize >= 68) {
        if (auto checksum = U32At(source, optional + 64); checksum && *checksum != 0)
            layout.checksumOffset = optional + 64;
    }
    // The security directory is the fifth data directory; its address is a
    // file offset, not a virtual one.
    bool plus = *magic == 0x20B;
    std::uint64_t countAt = optional + (plus ? 108 : 92);
    std::uint64_t securityAt = optional + (plus ? 112 : 96) + 4 * 8;
    auto directories = U32At(source, countAt);
    if (directories && *directories > 4 && securityAt + 8 <= optional + *optionalSize) {
        auto address = U32At(source, securityAt);
        auto size = U32At(source, securityAt + 4);
        layout.signedFile = address && size && *address != 0 && *size != 0;
    }

    auto sections = source.readAt(optional + *optionalSize, 40ull * *sectionCount);
    if (!sections)
        return false;
    for (std::size_t i = 0; i < *sectionCount; ++i) {
        const std::uint8_t* s = sections->data() + 40 * i;
        char name[9] = {};
        std::memcpy(name, s, 8);
        if (std::strcmp(name, ".rsrc") != 0)
            continue;
        std::uint64_t raw = LoadU32(s + 20);
        std::uint64_t rawSize = LoadU32(s + 16);
        layout.resourceData.emplace_back(raw, std::min(raw + rawSize, source.size()));
    }
    return true;
}

} // namespace

bool ProgramFileLayout::Holds(std::uint64_t offset, std::uint64_t n) const
{
    return std::any_of(resourceData.begin(), resourceData.end(), [&](const auto& range) {
        return offset >= range.first && offset <= range.second && n <= range.second - offset;
    });
}

std::optional<ProgramFileLayout> ReadProgramFileLayout(ByteSource& source)
{
    auto header = U32At(source, 60);
    if (!header)
        return std::nullopt;
    auto signature = source.readAt(*header, 4);
    if (!signature)
        return std::nullopt;
    ProgramFileLayout layout;
    const auto& s = *signature;
    bool ok = false;
    if (s[0] == 'N' && s[1] == 'E')
        ok = ReadNeLayout(source, *header, layout);
    else if (s[0] == 'P' && s[1] == 'E' && s[2] == 0 && s[3] == 0)
        ok = ReadPeLayout(source, *header, layout);
    if (!ok)
        return std::nullopt;
    return layout;
}

void PeChecksum::Add(const std::uint8_t* bytes, std::uint64_t n)
{
    for (std::uint64_t i = 0; i < n; ++i, ++pos_) {
        if (pos_ >= skip_ && pos_ < skip_ + 4)
            continue;
        sum_ += (pos_ & 1) ? std::uint64_t{bytes[i]} << 8 : bytes[i];
    }
}

std::uint32_t PeChecksum::Value() const
{
    // Folding once at the end gives what folding after every word gives.
    std::uint64_t sum = sum_;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + pos_);
}

WriteBackResult WriteImagesBack(const std::string& path, const std::vector<ImageReplacement>& images,
                                std::optional<std::uint64_t> checksumOffset)
{
    auto file = FileReader::Open(path);
    if (!file)
        return WriteBackResult::CannotRead;
    if (checksumOffset && (*checksumOffset > file->size() || file->size() - *checksumOffset < 4))
        return WriteBackResult::NotAnImage;

    std::vector<const ImageReplacement*> order;
    for (const auto& r : images)
        order.push_back(&r);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->offset < b->offset; });

    // What lies at each offset now decides how many bytes may be replaced:
    // a program file cannot grow or shrink around its resources.
    std::uint64_t end = 0;
    for (const auto* r : order) {
        CIcon current;
        if (r->offset >= file->size() || !current.ReadImage(*file, r->offset))
            return WriteBackResult::NotAnImage;
        if (current.image.size() != r->bytes.size())
            return WriteBackResult::SizeMismatch;
        if (r->offset < end)
            return WriteBackResult::Overlap;
        end = r->offset + r->bytes.size();
        if (end > file->size())
            return WriteBackResult::NotAnImage;
        if (checksumOffset && *checksumOffset + 4 > r->offset && *checksumOffset < end)
            return WriteBackResult::Overlap;
    }

    AtomicFile out(path);
    if (!out.open())
        return WriteBackResult::WriteFailed;
    PeChecksum checksum(checksumOffset.value_or(~std::uint64_t{0} - 4));
    auto put = [&](const std::vector<std::uint8_t>& bytes, std::uint64_t n) {
        checksum.Add(bytes.data(), n);
        return out.write(bytes.data(), n);
    };
    constexpr std::uint64_t kChunk = 1 << 20;
    std::vector<std::uint8_t> buffer;
    auto copy = [&](std::uint64_t from, std::uint64_t to) {
        while (from < to) {
            std::uint64_t n = std::min(kChunk, to - from);
            if (!file->readAt(from, n, buffer) || !put(buffer, n))
                return false;
            from += n;
        }
        return true;
    };
    std::uint64_t pos = 0;
    for (const auto* r : order) {
        if (!copy(pos, r->offset) || !put(r->bytes, r->bytes.size()))
            return WriteBackResult::WriteFailed;
        pos = r->offset + r->bytes.size();
    }
    if (!copy(pos, file->size()))
        return WriteBackResult::WriteFailed;
    if (checksumOffset) {
        std::uint8_t value[4];
        StoreU32(value, checksum.Value());
        if (!out.seek(*checksumOffset) || !out.write(value, 4))
            return WriteBackResult::WriteFailed;
    }
    if (!out.commit())
        return WriteBackResult::WriteFailed;
    return WriteBackResult::Written;
}

} // namespace kavrel
