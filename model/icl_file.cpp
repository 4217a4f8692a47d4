#include "model/icl_file.h"

#include <array>

#include "platform/atomic_file.h"
#include "platform/byte_reader.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

// DOS stub, NE header and segment table that every library starts with. Only
// the resident-name table offset (file offset 182) is rewritten; the other
// tables named here do not describe the file, which readers never rely on.
constexpr std::array<std::uint8_t, 232> kTemplate = {
    0x4D, 0x5A, 0x50, 0x00, 0x02, 0x00, 0x00, 0x00, 0x04, 0x00, 0x0F, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xB8, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x90, 0x00, 0x00, 0x00, 0xBA, 0x10, 0x00, 0x0E, 0x1F, 0xB4, 0x09, 0xCD,
    0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21, 0x90, 0x90, 0x54, 0x68, 0x69, 0x73, 0x20, 0x70, 0x72, 0x6F, 0x67, 0x72,
    0x61, 0x6D, 0x20, 0x6D, 0x75, 0x73, 0x74, 0x20, 0x62, 0x65, 0x20, 0x72, 0x75, 0x6E, 0x20, 0x75, 0x6E, 0x64,
    0x65, 0x72, 0x20, 0x4D, 0x69, 0x63, 0x72, 0x6F, 0x73, 0x6F, 0x66, 0x74, 0x20, 0x57, 0x69, 0x6E, 0x64, 0x6F,
    0x77, 0x73, 0x2E, 0x0D, 0x0A, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x4E, 0x45, 0x05, 0x0A, 0xB2, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x83, 0x03, 0x00, 0x00, 0x04,
    0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 0x00, 0x1A, 0x00, 0x40, 0x00,
    0x58, 0x00, 0x98, 0x00, 0xA8, 0x00, 0xAA, 0x00, 0x4C, 0x01, 0x00, 0x00, 0x01, 0x00, 0x09, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x00, 0x99, 0x0F, 0x50, 0x1D, 0x99, 0x0F,
    0x0A, 0x00, 0x10, 0x00, 0x50, 0x1D, 0x10, 0x00, 0x0B, 0x00, 0x10, 0x03, 0x71, 0x0D, 0x10, 0x03,
};

constexpr std::size_t kNeHeader = 144;
constexpr std::size_t kResidentNameField = 182;
constexpr std::uint16_t kRtIcon = 0x8003;
constexpr std::uint16_t kRtGroupIcon = 0x800E;
constexpr std::uint16_t kResourceFlags = 0x1C30;
constexpr std::size_t kMaxIdentifiers = 0x7FFF; // the top bit marks an integer identifier

std::uint64_t RoundUp(std::uint64_t n, unsigned shift)
{
    std::uint64_t unit = std::uint64_t{1} << shift;
    return (n + unit - 1) / unit * unit;
}

std::uint64_t GroupDirectorySize(const CIconGroup& g)
{
    return 6 + 14 * static_cast<std::uint64_t>(g.FormatCount());
}

std::string StoredName(const std::string& name)
{
    // The single at sign stands for an icon without a name.
    if (name.empty())
        return "@";
    return name.substr(0, kMaxLibraryNameLength);
}

// Resource data is counted in units of 2^shift bytes in 16-bit fields. Units
// of 64 bytes serve libraries up to 4 MB; larger ones need larger units.
std::optional<unsigned> ChooseShift(const std::vector<CIconGroup>& icons, std::uint64_t dataStart)
{
    for (unsigned shift = 6; shift <= 15; ++shift) {
        std::uint64_t pos = RoundUp(dataStart, shift);
        bool fits = true;
        auto place = [&](std::uint64_t size) {
            std::uint64_t padded = RoundUp(size, shift);
            if ((pos >> shift) > 0xFFFF || (padded >> shift) > 0xFFFF)
                fits = false;
            pos += padded;
        };
        for (const auto& g : icons) {
            for (const auto& f : g.formats)
                place(f->image.size());
            place(GroupDirectorySize(g));
        }
        if (fits)
            return shift;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> Build(const std::vector<CIconGroup>& icons, ProgressSink& progress)
{
    std::size_t imageCount = 0;
    for (const auto& g : icons)
        imageCount += g.formats.size();
    if (imageCount > kMaxIdentifiers || icons.size() > kMaxIdentifiers)
        return std::nullopt;

    ByteWriter out;
    out.bytes(kTemplate);
    std::size_t shiftAt = out.size();
    out.u16(6);
    out.u16(kRtIcon);
    out.u16(static_cast<std::uint16_t>(imageCount));
    out.zeros(4);
    std::size_t iconRecords = out.size();
    out.zeros(12 * imageCount);
    out.u16(kRtGroupIcon);
    out.u16(static_cast<std::uint16_t>(icons.size()));
    out.zeros(4);
    std::size_t groupRecords = out.size();
    out.zeros(12 * icons.size());
    out.zeros(2);

    std::uint64_t namesAt = out.size() - kNeHeader;
    if (namesAt > 0xFFFF)
        return std::nullopt;
    out.patchU16(kResidentNameField, static_cast<std::uint16_t>(namesAt));
    out.u8(3);
    out.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("ICL"), 3));
    for (const auto& g : icons) {
        std::string name = StoredName(g.name);
        out.u8(static_cast<std::uint8_t>(name.size()));
        out.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
    }
    out.zeros(2);

    auto shift = ChooseShift(icons, out.size());
    if (!shift)
        return std::nullopt;
    out.patchU16(shiftAt, static_cast<std::uint16_t>(*shift));
    out.zeros(RoundUp(out.size(), *shift) - out.size());

    auto record = [&](std::size_t at, std::uint64_t dataPos, std::uint64_t padded, std::size_t number) {
        out.patchU16(at, static_cast<std::uint16_t>(dataPos >> *shift));
        out.patchU16(at + 2, static_cast<std::uint16_t>(padded >> *shift));
        out.patchU16(at + 4, kResourceFlags);
        out.patchU16(at + 6, static_cast<std::uint16_t>(0x8001 + number));
    };

    std::size_t first = 0;
    for (std::size_t g = 0; g < icons.size(); ++g) {
        const CIconGroup& icon = icons[g];
        for (std::size_t i = 0; i < icon.formats.size(); ++i) {
            const auto& image = icon.formats[i]->image;
            std::uint64_t padded = RoundUp(image.size(), *shift);
            record(iconRecords + 12 * (first + i), out.size(), padded, first + i);
            out.bytes(image);
            out.zeros(padded - image.size());
        }
        std::uint64_t padded = RoundUp(GroupDirectorySize(icon), *shift);
        record(groupRecords + 12 * g, out.size(), padded, g);
        std::size_t start = out.size();
        out.u16(0);
        out.u16(1);
        out.u16(static_cast<std::uint16_t>(icon.formats.size()));
        for (std::size_t i = 0; i < icon.formats.size(); ++i) {
            const CIcon& f = *icon.formats[i];
            out.u8(static_cast<std::uint8_t>(f.width));
            out.u8(static_cast<std::uint8_t>(f.height));
            out.u8(static_cast<std::uint8_t>(f.colorCount));
            out.u8(0);
            out.u16(1);
            out.u16(static_cast<std::uint16_t>(f.bitCount()));
            out.u32(static_cast<std::uint32_t>(f.image.size()));
            out.u16(static_cast<std::uint16_t>(first + i + 1));
        }
        out.zeros(padded - (out.size() - start));
        first += icon.formats.size();
        progress.Step(static_cast<int>(g + 1));
    }
    return out.take();
}

} // namespace

std::optional<std::vector<std::uint8_t>> BuildIconLibrary(const std::vector<CIconGroup>& icons)
{
    return Build(icons, NullProgress());
}

bool WriteIconLibrary(const std::string& path, const std::vector<CIconGroup>& icons, ProgressSink& progress,
                      std::string* error)
{
    bool ok = false;
    int writeError = 0;
    {
        ProgressScope scope(progress, LoadString(kStrSaving), static_cast<int>(icons.size()));
        auto bytes = Build(icons, progress);
        ok = bytes && WriteFileAtomically(path, *bytes, &writeError);
    }
    if (!ok && error)
        *error = WithSystemReason(FormatString(kStrUnableToSaveLibrary, path), writeError);
    return ok;
}

} // namespace kavrel
