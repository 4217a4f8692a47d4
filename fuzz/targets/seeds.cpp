// Seed corpora: small valid files of every kind each reader meets, so that
// fuzzing starts deep inside the formats.
#include <map>

#include "fuzz/targets/fuzz_targets.h"
#include "librarian/icon_payload.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/png_image.h"
#include "platform/byte_reader.h"

namespace kavrel::fuzz {
namespace {

// A classic format packed by the model, with a few pixels of colour and a
// transparent and an inverted corner.
CIcon ClassicIcon(int bitDepth, int size)
{
    CIconObject object(bitDepth, size, size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            object.color.setRawPixel(x, y, 0xFF000000u | static_cast<std::uint32_t>((x * 37 + y * 11) * 0x010307));
            object.mask.setRawPixel(x, y, 0);
        }
    object.mask.setRawPixel(0, 0, 1);
    object.color.setRawPixel(0, 0, 0xFF000000u);
    object.mask.setRawPixel(1, 0, 1);
    object.color.setRawPixel(1, 0, 0xFFFFFFFFu);
    object.PackToIcon();
    return object.packed;
}

Seed Dib32(int size)
{
    ByteWriter w;
    w.u32(40);
    w.i32(size);
    w.i32(2 * size);
    w.u16(1);
    w.u16(32);
    w.u32(0);
    w.u32(static_cast<std::uint32_t>(size * size * 4));
    w.zeros(16);
    for (int i = 0; i < size * size; ++i)
        w.u32(static_cast<std::uint32_t>(i % 3 ? 0xFF000000u : 0x40000000u) | static_cast<std::uint32_t>(i * 977));
    w.zeros(static_cast<std::size_t>(size) * ((size + 31) / 32) * 4);
    return w.take();
}

Seed PngImage(int size)
{
    PngPixels pixels{size, size, {}};
    for (int i = 0; i < size * size; ++i)
        pixels.argb.push_back((i % 5 ? 0xFF000000u : 0x20000000u) | static_cast<std::uint32_t>(i * 4099));
    return EncodePng(pixels);
}

CIcon IconFrom(const Seed& bytes)
{
    MemorySource source(bytes);
    CIcon icon;
    icon.ReadImage(source, 0);
    return icon;
}

std::vector<CIcon> SampleIcons()
{
    return {ClassicIcon(1, 16), ClassicIcon(4, 16), ClassicIcon(8, 32), ClassicIcon(24, 32),
            IconFrom(Dib32(16)), IconFrom(PngImage(32))};
}

Seed Ico(const std::vector<const CIcon*>& images) { return BuildIcoFile(images); }

}  // namespace

// A PE32 file with one .rsrc section holding the given resources by integer
// type and identifier, language 0x409.
Seed BuildPe(const PeResources& resources)
{
    constexpr std::uint32_t kRsrcRva = 0x1000, kRsrcFile = 0x200;
    // Directory tree, data entries, then data, all relative to the section.
    std::uint32_t treeSize = 16 + 8 * static_cast<std::uint32_t>(resources.size());
    std::uint32_t leafCount = 0;
    for (const auto& [type, ids] : resources) {
        treeSize += 16 + 8 * static_cast<std::uint32_t>(ids.size());
        treeSize += static_cast<std::uint32_t>(ids.size()) * (16 + 8);
        leafCount += static_cast<std::uint32_t>(ids.size());
    }
    ByteWriter rsrc;
    std::uint32_t next = 16 + 8 * static_cast<std::uint32_t>(resources.size());
    std::uint32_t entryArea = treeSize, dataArea = treeSize + 16 * leafCount;
    // Root.
    rsrc.zeros(12);
    rsrc.u16(0);
    rsrc.u16(static_cast<std::uint16_t>(resources.size()));
    std::vector<std::uint32_t> typeDirs;
    for (const auto& [type, ids] : resources) {
        rsrc.u32(type);
        rsrc.u32(0x80000000u | next);
        typeDirs.push_back(next);
        next += 16 + 8 * static_cast<std::uint32_t>(ids.size());
    }
    std::vector<const Seed*> blobs;
    for (const auto& [type, ids] : resources) {
        rsrc.zeros(12);
        rsrc.u16(0);
        rsrc.u16(static_cast<std::uint16_t>(ids.size()));
        std::uint32_t langDir = next;
        for (const auto& [id, data] : ids) {
            rsrc.u32(id);
            rsrc.u32(0x80000000u | langDir);
            langDir += 16 + 8;
        }
        next = langDir;
    }
    for (const auto& [type, ids] : resources)
        for (const auto& [id, data] : ids) {
            rsrc.zeros(12);
            rsrc.u16(0);
            rsrc.u16(1);
            rsrc.u32(0x409);
            rsrc.u32(entryArea);
            entryArea += 16;
            blobs.push_back(&data);
        }
    std::uint32_t at = dataArea;
    for (const Seed* blob : blobs) {
        rsrc.u32(kRsrcRva + at);
        rsrc.u32(static_cast<std::uint32_t>(blob->size()));
        rsrc.zeros(8);
        at += static_cast<std::uint32_t>((blob->size() + 3) & ~std::size_t(3));
    }
    for (const Seed* blob : blobs) {
        rsrc.bytes(*blob);
        rsrc.zeros(((blob->size() + 3) & ~std::size_t(3)) - blob->size());
    }
    const auto rsrcSize = static_cast<std::uint32_t>(rsrc.size());

    ByteWriter pe;
    pe.u16(0x5A4D);
    pe.zeros(0x3A);
    pe.u32(0x40);  // e_lfanew
    pe.u32(0x00004550);
    pe.u16(0x14C);  // i386
    pe.u16(1);      // sections
    pe.zeros(12);
    pe.u16(0xE0);    // optional header size
    pe.u16(0x2102);  // DLL
    const std::size_t optional = pe.size();
    pe.u16(0x10B);
    pe.zeros(0xE0 - 2);
    pe.patchU32(optional + 32, 0x1000);  // section alignment
    pe.patchU32(optional + 36, 0x200);   // file alignment
    pe.patchU32(optional + 56, kRsrcRva + ((rsrcSize + 0xFFF) & ~0xFFFu));  // size of image
    pe.patchU32(optional + 60, kRsrcFile);                                // size of headers
    pe.patchU32(optional + 92, 16);
    pe.patchU32(optional + 96 + 8 * 2, kRsrcRva);
    pe.patchU32(optional + 96 + 8 * 2 + 4, rsrcSize);
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    pe.bytes(std::span(reinterpret_cast<const std::uint8_t*>(name), 8));
    pe.u32(rsrcSize);
    pe.u32(kRsrcRva);
    pe.u32((rsrcSize + 0x1FF) & ~0x1FFu);
    pe.u32(kRsrcFile);
    pe.zeros(12);
    pe.u32(0x40000040u);
    pe.zeros(kRsrcFile - pe.size());
    pe.bytes(rsrc.data());
    pe.zeros(((rsrcSize + 0x1FF) & ~0x1FFu) - rsrcSize);
    return pe.take();
}

// An RT_GROUP_ICON directory naming images by identifier.
Seed GroupDirectory(const std::vector<std::pair<const CIcon*, std::uint16_t>>& entries)
{
    ByteWriter w;
    w.u16(0);
    w.u16(1);
    w.u16(static_cast<std::uint16_t>(entries.size()));
    for (const auto& [icon, id] : entries) {
        w.u8(static_cast<std::uint8_t>(icon->width));
        w.u8(static_cast<std::uint8_t>(icon->height));
        w.u8(static_cast<std::uint8_t>(icon->colorCount < 256 ? icon->colorCount : 0));
        w.u8(0);
        w.u16(1);
        w.u16(static_cast<std::uint16_t>(icon->bitCount()));
        w.u32(static_cast<std::uint32_t>(icon->image.size()));
        w.u16(id);
    }
    return w.take();
}

std::vector<Seed> IcoSeeds()
{
    const std::vector<CIcon> icons = SampleIcons();
    std::vector<Seed> seeds;
    std::vector<const CIcon*> all;
    for (const CIcon& icon : icons) {
        seeds.push_back(Ico({&icon}));
        all.push_back(&icon);
    }
    seeds.push_back(Ico(all));
    return seeds;
}

std::vector<Seed> DibSeeds()
{
    std::vector<Seed> seeds;
    for (const CIcon& icon : SampleIcons())
        if (!icon.isPng())
            seeds.push_back(icon.image);
    // A plain 8-bit DIB as a BMP body holds it (single height), and a 4-bit
    // one behind a 12-byte core header.
    ByteWriter dib;
    dib.u32(40);
    dib.i32(8);
    dib.i32(4);
    dib.u16(1);
    dib.u16(8);
    dib.zeros(16);
    dib.u32(4);
    dib.u32(4);
    for (std::uint32_t i = 0; i < 4; ++i)
        dib.u32(i * 0x3F3F3F);
    for (int i = 0; i < 8 * 4; ++i)
        dib.u8(static_cast<std::uint8_t>(i % 4));
    seeds.push_back(dib.take());
    ByteWriter core;
    core.u32(12);
    core.u16(8);
    core.u16(2);
    core.u16(1);
    core.u16(4);
    for (int i = 0; i < 16; ++i) {
        core.u8(static_cast<std::uint8_t>(i * 16));
        core.u8(static_cast<std::uint8_t>(255 - i * 16));
        core.u8(static_cast<std::uint8_t>(i * 8));
    }
    for (int i = 0; i < 8; ++i)
        core.u8(static_cast<std::uint8_t>(i * 0x13));
    seeds.push_back(core.take());
    return seeds;
}

std::vector<Seed> NeSeeds()
{
    const std::vector<CIcon> icons = SampleIcons();
    std::vector<Seed> seeds;
    CIconGroup named, classic;
    named.name = "Folder";
    for (int i = 0; i < 4; ++i)
        classic.AddFormat(icons[static_cast<std::size_t>(i)]);
    named.AddFormat(icons[1]);
    named.AddFormat(icons[3]);
    std::vector<CIconGroup> one;
    one.push_back(named);
    if (auto library = BuildIconLibrary(one))
        seeds.push_back(*library);
    std::vector<CIconGroup> two;
    two.push_back(classic);
    two.push_back(named);
    if (auto library = BuildIconLibrary(two))
        seeds.push_back(*library);
    return seeds;
}

std::vector<Seed> PeSeeds()
{
    const std::vector<CIcon> icons = SampleIcons();
    PeResources resources;
    for (std::size_t i = 0; i < icons.size(); ++i)
        resources[3][static_cast<std::uint32_t>(i + 1)] = icons[i].image;
    resources[14][1] = GroupDirectory({{&icons[0], 1}, {&icons[1], 2}, {&icons[3], 4}});
    resources[14][101] = GroupDirectory({{&icons[1], 2}, {&icons[4], 5}, {&icons[5], 6}});
    std::vector<Seed> seeds{BuildPe(resources)};
    resources.erase(14);
    resources[14][7] = GroupDirectory({{&icons[2], 3}});
    seeds.push_back(BuildPe(resources));
    return seeds;
}

std::vector<Seed> PayloadSeeds()
{
    const std::vector<CIcon> icons = SampleIcons();
    IconPayload one;
    one.kind = IconSourceKind::LibrarianBar;
    one.sourceKey = "/librarian/Web/Arrows.icl";
    one.title = "Arrows";
    one.indices = {0};
    one.icons.emplace_back();
    one.icons[0].name = "Up";
    one.icons[0].AddFormat(icons[1]);

    IconPayload several;
    several.kind = IconSourceKind::ProgramFile;
    several.sourceKey = "/usr/share/app/tools.dll";
    several.title = "tools.dll";
    for (std::size_t i = 0; i < icons.size(); ++i) {
        several.indices.push_back(static_cast<int>(i * 3));
        several.icons.emplace_back();
        several.icons.back().AddFormat(icons[i]);
        if (i + 1 < icons.size())
            several.icons.back().AddFormat(icons[i + 1]);
    }
    return {EncodeIconPayload(one), EncodeIconPayload(several)};
}

}  // namespace kavrel::fuzz
