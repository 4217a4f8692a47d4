#include "program_fixtures.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

#include "platform/byte_reader.h"

namespace kavrel::test {

namespace {

int Depth(int colorCount)
{
    return colorCount == 2 ? 1 : colorCount == 16 ? 4 : colorCount == 256 ? 8 : 24;
}

} // namespace

Bytes MakePackedImage(int width, int height, int colorCount, std::uint8_t seed)
{
    int depth = Depth(colorCount);
    std::uint32_t xorRow = (depth * width + 31) / 32 * 4;
    std::uint32_t andRow = (width + 31) / 32 * 4;
    ByteWriter w;
    w.u32(40);
    w.i32(width);
    w.i32(2 * height);
    w.u16(1);
    w.u16(static_cast<std::uint16_t>(depth));
    w.u32(0);
    w.u32(xorRow * height);
    w.u32(0);
    w.u32(0);
    w.u32(colorCount);
    w.u32(colorCount);
    std::size_t body = 4 * colorCount + (xorRow + andRow) * height;
    for (std::size_t i = 0; i < body; ++i)
        w.u8(static_cast<std::uint8_t>(seed * 31 + i * 7));
    return w.take();
}

CIcon MakeIcon(int width, int height, int colorCount, std::uint8_t seed)
{
    CIcon icon;
    icon.image = MakePackedImage(width, height, colorCount, seed);
    icon.width = width;
    icon.height = height;
    icon.colorCount = colorCount;
    icon.imageSize = static_cast<int>(icon.image.size());
    return icon;
}

Bytes MakeGroupDirectory(const std::vector<GroupEntry>& entries)
{
    ByteWriter w;
    w.u16(0);
    w.u16(1);
    w.u16(static_cast<std::uint16_t>(entries.size()));
    for (const auto& e : entries) {
        const Bytes& img = *e.image;
        w.u8(img[4]);
        w.u8(img[8] / 2);
        w.u8(img[32]);
        w.u8(0);
        w.u16(1);
        w.u16(LoadU16(img.data() + 14));
        w.u32(static_cast<std::uint32_t>(img.size()));
        w.u16(e.id);
    }
    return w.take();
}

Bytes MakeIcoFile(const std::vector<Bytes>& images)
{
    ByteWriter w;
    w.u16(0);
    w.u16(1);
    w.u16(static_cast<std::uint16_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const auto& img : images) {
        w.u8(img[4]);
        w.u8(img[8] / 2);
        w.u8(img[32]);
        w.u8(0);
        w.u16(1);
        w.u16(LoadU16(img.data() + 14));
        w.u32(static_cast<std::uint32_t>(img.size()));
        w.u32(offset);
        offset += static_cast<std::uint32_t>(img.size());
    }
    for (const auto& img : images)
        w.bytes(img);
    return w.take();
}

Bytes BuildNe(const std::vector<NeResource>& resources, const NeOptions& options)
{
    std::vector<std::uint16_t> types;
    for (const auto& r : resources)
        if (std::find(types.begin(), types.end(), r.type) == types.end())
            types.push_back(r.type);

    ByteWriter w;
    w.u8('M');
    w.u8('Z');
    w.zeros(58);
    w.u32(64);
    // NE header at 64; the resource table right after it.
    w.u8('N');
    w.u8('E');
    w.zeros(34);
    w.u16(64); // resource table, NE-relative
    std::size_t residentField = w.size();
    w.u16(0); // resident names, patched below
    w.zeros(23);
    w.u8(options.windowsVersion);
    w.u16(static_cast<std::uint16_t>(options.shift));
    std::vector<std::size_t> recordAt(resources.size());
    for (auto type : types) {
        std::uint16_t count = 0;
        for (const auto& r : resources)
            count += r.type == type;
        w.u16(type);
        w.u16(count);
        w.zeros(4);
        for (std::size_t i = 0; i < resources.size(); ++i) {
            if (resources[i].type != type)
                continue;
            recordAt[i] = w.size();
            w.zeros(6);
            w.u16(resources[i].id);
            w.zeros(4);
        }
    }
    w.u16(0);
    w.patchU16(residentField, static_cast<std::uint16_t>(w.size() - 64));
    if (options.iclNames) {
        w.u8(3);
        w.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("ICL"), 3));
        for (const auto& n : options.names) {
            w.u8(static_cast<std::uint8_t>(n.size()));
            w.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(n.data()), n.size()));
        }
    } else {
        w.u8(4);
        w.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("PROG"), 4));
        w.u16(0);
    }
    w.u8(0);
    std::size_t unit = std::size_t{1} << options.shift;
    for (std::size_t i = 0; i < resources.size(); ++i) {
        w.zeros((unit - w.size() % unit) % unit);
        w.patchU16(recordAt[i], static_cast<std::uint16_t>(w.size() / unit));
        w.patchU16(recordAt[i] + 2, static_cast<std::uint16_t>((resources[i].data.size() + unit - 1) / unit));
        w.bytes(resources[i].data);
    }
    return w.take();
}

Bytes BuildPe(const std::vector<PeResource>& resources, bool pe32plus)
{
    // (named, name, id) orders named entries first, as the format wants.
    using Key = std::tuple<bool, std::string, std::uint32_t>;
    auto keyOf = [](const std::string& name, std::uint32_t id) { return Key{name.empty(), name, id}; };
    std::map<std::uint32_t, std::map<Key, std::map<std::uint16_t, const Bytes*>>> tree;
    for (const auto& r : resources)
        tree[r.type][keyOf(r.name, r.id)][r.language] = &r.data;

    constexpr std::uint32_t kVirtualAddress = 0x1000;
    // Sizes first: root, type directories, name directories, language
    // directories, then name strings, data entries and data.
    std::uint32_t pos = 16 + 8 * static_cast<std::uint32_t>(tree.size());
    for (auto& [type, names] : tree)
        pos += 16 + 8 * static_cast<std::uint32_t>(names.size());
    for (auto& [type, names] : tree)
        for (auto& [key, langs] : names)
            pos += 16 + 8 * static_cast<std::uint32_t>(langs.size());
    std::uint32_t stringsAt = pos;
    for (auto& [type, names] : tree)
        for (auto& [key, langs] : names)
            pos += 2 + 2 * static_cast<std::uint32_t>(std::get<1>(key).size());
    pos = (pos + 3) & ~3u;
    std::uint32_t entriesAt = pos;
    std::uint32_t leafCount = 0;
    for (auto& [type, names] : tree)
        for (auto& [key, langs] : names)
            leafCount += static_cast<std::uint32_t>(langs.size());
    std::uint32_t dataAt = entriesAt + 16 * leafCount;

    ByteWriter s;
    auto directoryHeader = [&](std::size_t named, std::size_t numbered) {
        s.zeros(12);
        s.u16(static_cast<std::uint16_t>(named));
        s.u16(static_cast<std::uint16_t>(numbered));
    };
    std::uint32_t next = 16 + 8 * static_cast<std::uint32_t>(tree.size());
    directoryHeader(0, tree.size());
    for (auto& [type, names] : tree) {
        s.u32(type);
        s.u32(0x80000000u | next);
        next += 16 + 8 * static_cast<std::uint32_t>(names.size());
    }
    std::uint32_t stringPos = stringsAt;
    for (auto& [type, names] : tree) {
        std::size_t named = 0;
        for (auto& [key, langs] : names)
            named += !std::get<0>(key);
        directoryHeader(named, names.size() - named);
        for (auto& [key, langs] : names) {
            const std::string& name = std::get<1>(key);
            if (name.empty()) {
                s.u32(std::get<2>(key));
            } else {
                s.u32(0x80000000u | stringPos);
                stringPos += 2 + 2 * static_cast<std::uint32_t>(name.size());
            }
            s.u32(0x80000000u | next);
            next += 16 + 8 * static_cast<std::uint32_t>(langs.size());
        }
    }
    std::uint32_t entry = entriesAt;
    for (auto& [type, names] : tree)
        for (auto& [key, langs] : names) {
            directoryHeader(0, langs.size());
            for (auto& [lang, data] : langs) {
                s.u32(lang);
                s.u32(entry);
                entry += 16;
            }
        }
    for (auto& [type, names] : tree)
        for (auto& [key, langs] : names) {
            const std::string& name = std::get<1>(key);
            if (name.empty())
                continue;
            s.u16(static_cast<std::uint16_t>(name.size()));
            for (char c : name)
                s.u16(static_cast<std::uint8_t>(c));
        }
    s.zeros(entriesAt - s.size());
    std::uint32_t data = dataAt;
    std::vector<const Bytes*> order;
    for (auto& [type, names] : tree)
        for (auto& [key, langs] : names)
            for (auto& [lang, bytes] : langs) {
                s.u32(kVirtualAddress + data);
                s.u32(static_cast<std::uint32_t>(bytes->size()));
                s.zeros(8);
                data += (static_cast<std::uint32_t>(bytes->size()) + 7) & ~7u;
                order.push_back(bytes);
            }
    for (const Bytes* b : order) {
        s.bytes(*b);
        s.zeros((8 - b->size() % 8) % 8);
    }
    Bytes section = s.take();

    ByteWriter w;
    w.u8('M');
    w.u8('Z');
    w.zeros(58);
    w.u32(64);
    w.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("PE\0\0"), 4));
    std::uint16_t optionalSize = pe32plus ? 240 : 224;
    w.u16(pe32plus ? 0x8664 : 0x14C);
    w.u16(1);
    w.zeros(12);
    w.u16(optionalSize);
    w.u16(pe32plus ? 0x2022 : 0x2102);
    std::size_t optional = w.size();
    w.u16(pe32plus ? 0x20B : 0x10B);
    w.zeros(optionalSize - 2);
    // The resource data directory (third of sixteen) points at the section.
    std::size_t directories = optional + (pe32plus ? 112 : 96);
    w.patchU32(directories - 4, 16);
    w.patchU32(directories + 16, kVirtualAddress);
    w.patchU32(directories + 20, static_cast<std::uint32_t>(section.size()));
    w.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(".rsrc\0\0\0"), 8));
    w.u32(static_cast<std::uint32_t>(section.size()));
    w.u32(kVirtualAddress);
    w.u32(static_cast<std::uint32_t>(section.size()));
    w.u32(static_cast<std::uint32_t>(kPeResourceBase));
    w.zeros(12);
    w.u32(0x40000040);
    w.zeros(kPeResourceBase - w.size());
    w.bytes(section);
    return w.take();
}

bool HaveMingw(const std::string& arch)
{
    return HaveTool(arch + "-w64-mingw32-windres") && HaveTool(arch + "-w64-mingw32-gcc");
}

std::string BuildMingwProgram(const std::string& dir, const std::string& name, const std::string& script, bool dll,
                              const std::string& arch)
{
    if (!HaveMingw(arch))
        return {};
    std::string main = "int main(void) { return 0; }\n";
    WriteFileBytes(dir + "/main.c", Bytes(main.begin(), main.end()));
    WriteFileBytes(dir + "/" + name + ".rc", Bytes(script.begin(), script.end()));
    std::string out = dir + "/" + name + (dll ? ".dll" : ".exe");
    std::string tools = arch + "-w64-mingw32-";
    std::string cmd = "cd '" + dir + "' && " + tools + "windres -O coff -o " + name + ".o " + name + ".rc && " + tools +
                      "gcc " + (dll ? "-shared " : "") + "-o '" + out + "' main.c " + name + ".o 2>&1";
    return RunCommand(cmd) ? out : std::string{};
}

Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder(const std::string& name)
{
    auto dir = std::filesystem::temp_directory_path() / ("kavrel-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

} // namespace kavrel::test
