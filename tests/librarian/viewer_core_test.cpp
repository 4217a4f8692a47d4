// The viewer program's portable core, compiled natively: it must read what
// the editor writes exactly as the editor reads it, and refuse damaged or
// hostile files without reading outside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "librarian/compile.h"
#include "model/icl_file.h"
#include "model/ico_file.h"
#include "model/program_file.h"
#include "model/program_fixtures.h"
#include "platform/byte_reader.h"
#include "resources/viewer/viewer_core.h"
#include "resources/viewer/viewer_stub.h"
#include "support/external_tools.h"

namespace kavrel {
namespace {

using test::Bytes;
using test::MakeIcon;
using test::MakePackedImage;

struct Library {
    explicit Library(const Bytes& b) : bytes(b) { status = kv_library_read(&lib, bytes.data(), bytes.size()); }
    ~Library() { kv_library_free(&lib); }
    Bytes bytes;
    kv_library lib{};
    int status;
};

Bytes Ico(const kv_library& lib, unsigned i)
{
    Bytes out(kv_ico_write(&lib, i, nullptr, 0));
    EXPECT_EQ(kv_ico_write(&lib, i, out.data(), out.size()), out.size());
    return out;
}

std::string Labels(const kv_library& lib, unsigned i)
{
    std::string s;
    char label[64];
    for (unsigned f = 0; f < lib.icons[i].count; ++f) {
        kv_format_label(&lib.formats[lib.icons[i].first + f], label, sizeof label);
        s += (f ? " " : "") + std::string(label);
    }
    return s;
}

// The viewer and the editor's reader agree on every icon: names, formats
// and the ICO file of each.
void ExpectReadAsTheEditorReads(const Bytes& file)
{
    std::vector<CIconGroup> groups;
    MemorySource source(file);
    ReadProgramFileIcons(groups, source);
    Library viewer(file);
    ASSERT_EQ(viewer.status, KV_OK);
    ASSERT_EQ(viewer.lib.icon_count, groups.size());
    for (unsigned i = 0; i < groups.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::string(viewer.lib.icons[i].name), groups[i].name);
        std::string labels;
        std::vector<const CIcon*> formats;
        for (const auto& f : groups[i].formats) {
            labels += (labels.empty() ? "" : " ") + f->FormatLabel();
            formats.push_back(f.get());
        }
        EXPECT_EQ(Labels(viewer.lib, i), labels);
        EXPECT_EQ(Ico(viewer.lib, i), BuildIcoFile(formats));
    }
}

CIconGroup Group(const std::string& name, std::vector<CIcon> formats)
{
    CIconGroup g;
    g.name = name;
    for (const CIcon& f : formats)
        g.AddFormat(f);
    return g;
}

TEST(ViewerCore, ReadsLibrariesAsTheEditorWritesThem)
{
    std::vector<CIconGroup> icons;
    icons.push_back(Group("Star", {MakeIcon(32, 32, 16, 1), MakeIcon(16, 16, 2, 2), MakeIcon(48, 48, 0, 3)}));
    icons.push_back(Group("", {MakeIcon(32, 32, 256, 4)}));
    icons.push_back(Group("@", {MakeIcon(16, 16, 16, 5)}));
    icons.push_back(Group(std::string(255, 'n'), {MakeIcon(24, 24, 16, 6)}));
    icons.push_back(Group("Caf\xC3\xA9", {MakeIcon(256, 256, 0, 7)}));

    // Modern formats from an independent tool: 32-bit with alpha and PNG.
    if (test::HaveTool("icotool") && test::HaveTool("convert")) {
        const std::string dir = test::TempFolder("viewer-core");
        ASSERT_TRUE(test::RunCommand("cd " + dir +
                                     " && convert -size 32x32 xc:'#FF000080' alpha.png"
                                     " && convert -size 256x256 xc:'#123456' big.png"
                                     " && icotool -c -b 32 -o modern.ico alpha.png -r big.png"));
        ASSERT_TRUE(ReadIcoGroupFile(dir + "/modern.ico", icons));
        icons.back().name = "Modern";
        std::filesystem::remove_all(dir);
    }

    const auto library = BuildIconLibrary(icons);
    ASSERT_TRUE(library);
    ExpectReadAsTheEditorReads(*library);
    Library viewer(*library);
    EXPECT_EQ(viewer.lib.end, library->size());
    EXPECT_EQ(Labels(viewer.lib, 0), "16x16x1 32x32x4 48x48x24");
    EXPECT_STREQ(viewer.lib.icons[1].name, "");
    EXPECT_STREQ(viewer.lib.icons[2].name, "");
    if (viewer.lib.icon_count == 6) {
        EXPECT_EQ(Labels(viewer.lib, 5), "32x32x32 256x256xpng");
    }

    // Data appended later (a signature) is not the library's.
    Bytes signed_ = *library;
    signed_.resize(signed_.size() + 4096, 0xA5);
    Library appended(signed_);
    ASSERT_EQ(appended.status, KV_OK);
    EXPECT_EQ(appended.lib.end, library->size());
    EXPECT_EQ(Ico(appended.lib, 0), Ico(viewer.lib, 0));
}

TEST(ViewerCore, FindsTheTrailerWhereTheStubEnds)
{
    const auto stub = ViewerStub();
    if (stub.empty())
        GTEST_SKIP() << "built without the viewer program";
    // The shipped stub is a 32-bit windowed program ending with its sections.
    kv_pe_info info{};
    ASSERT_TRUE(kv_pe_read(stub.data(), stub.size(), &info));
    EXPECT_EQ(info.machine, 0x14C);
    EXPECT_EQ(info.magic, 0x10B);
    EXPECT_EQ(info.subsystem, 2);
    EXPECT_EQ(info.image_end, stub.size());

    const auto library = BuildIconLibrary({Group("One", {MakeIcon(32, 32, 16, 1)})});
    const Bytes file = BuildCompiledExecutable(stub, "Title", "Copyright", *library);
    kv_viewer v;
    ASSERT_EQ(kv_viewer_open(&v, file.data(), file.size()), KV_OK);
    EXPECT_EQ(v.trailer, stub.size());
    EXPECT_STREQ(v.title, "Title");
    EXPECT_STREQ(v.copyright, "Copyright");
    EXPECT_EQ(v.lib.icon_count, 1u);
    kv_viewer_close(&v);

    // Cut anywhere in the trailer, or with a wrong marker, or with the
    // program's own headers broken.
    for (std::size_t cut : {stub.size(), stub.size() + 100, stub.size() + 336, stub.size() + 337, stub.size() + 400})
        EXPECT_NE(kv_viewer_open(&v, file.data(), cut), KV_OK) << cut;
    EXPECT_EQ(kv_viewer_open(&v, file.data(), stub.size() + 336), KV_ERR_TRAILER);
    Bytes damaged = file;
    damaged[stub.size() + 336] = '$';
    EXPECT_EQ(kv_viewer_open(&v, damaged.data(), damaged.size()), KV_ERR_TRAILER);
    damaged = file;
    damaged[60] = 0xFF;
    EXPECT_EQ(kv_viewer_open(&v, damaged.data(), damaged.size()), KV_ERR_IMAGE);
    // A library without icons shows nothing worth a window.
    const auto empty = BuildIconLibrary({});
    const Bytes hollow = BuildCompiledExecutable(stub, "", "", *empty);
    EXPECT_EQ(kv_viewer_open(&v, hollow.data(), hollow.size()), KV_ERR_EMPTY);
    // Every prefix is refused or read within bounds.
    for (std::size_t n = 0; n < file.size(); n += 1 + n / 50)
        if (kv_viewer_open(&v, file.data(), n) == KV_OK)
            kv_viewer_close(&v);
}

// A Windows machine has only its own DLLs: a runtime DLL of the cross
// compiler (libgcc, winpthread) would stop the viewer from starting.
TEST(ViewerCore, TheShippedViewerNeedsOnlySystemDlls)
{
    const auto stub = ViewerStub();
    if (stub.empty() || !test::HaveTool("i686-w64-mingw32-objdump"))
        GTEST_SKIP() << "no viewer program or no objdump";
    const std::string dir = test::TempFolder("viewer-dlls");
    test::WriteFileBytes(dir + "/viewer.exe", Bytes(stub.begin(), stub.end()));
    std::istringstream dump(
        test::CommandOutput("i686-w64-mingw32-objdump -p " + dir + "/viewer.exe | grep 'DLL Name'"));
    std::filesystem::remove_all(dir);
    std::set<std::string> dlls;
    for (std::string line; std::getline(dump, line);) {
        std::string name = line.substr(line.rfind(' ') + 1);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        dlls.insert(name);
    }
    const std::set<std::string> system = {"comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
                                          "msvcrt.dll",   "shell32.dll",  "user32.dll"};
    EXPECT_FALSE(dlls.empty());
    for (const std::string& dll : dlls)
        EXPECT_TRUE(system.count(dll)) << dll;
}

TEST(ViewerCore, HostileLibrariesAreRefusedOrReadAsTheEditorReadsThem)
{
    const Bytes a = MakePackedImage(16, 16, 16, 1), b = MakePackedImage(32, 32, 16, 2);
    auto group = [](std::vector<test::GroupEntry> e) { return test::MakeGroupDirectory(e); };
    test::NeOptions named;
    named.iclNames = true;
    named.names = {"Bad", "Good"};

    // A group naming an image twice and a missing one; a group of nothing
    // readable keeps the names in step.
    ExpectReadAsTheEditorReads(test::BuildNe({{0x8003, 0x8001, a},
                                              {0x8003, 0x8002, b},
                                              {0x800E, 0x8001, group({{&a, 9}})},
                                              {0x800E, 0x8002, group({{&b, 2}, {&a, 1}, {&b, 2}})}},
                                             named));
    // Identifiers that are not unique map by position.
    ExpectReadAsTheEditorReads(
        test::BuildNe({{0x8003, 0x8001, a}, {0x8003, 0x8001, b}, {0x800E, 0x8001, group({{&b, 2}})}}));

    test::NeOptions old;
    old.windowsVersion = 2;
    EXPECT_EQ(Library(test::BuildNe({{0x8003, 0x8001, a}, {0x800E, 0x8001, group({{&a, 1}})}}, old)).status,
              KV_ERR_LIBRARY);

    // A type record whose count runs off the end.
    Bytes runaway = test::BuildNe({{0x8003, 0x8001, a}, {0x800E, 0x8001, group({{&a, 1}})}});
    StoreU16(runaway.data() + 64 + 64 + 2 + 2, 0xFFFF);
    EXPECT_EQ(Library(runaway).status, KV_ERR_LIBRARY);

    // Thousands of groups sharing one large directory would multiply it far
    // beyond the file.
    std::vector<test::NeResource> resources = {{0x8003, 0x8001, a},
                                               {0x800E, 0x8001, group(std::vector<test::GroupEntry>(4000, {&a, 1}))}};
    for (int i = 1; i < 2000; ++i)
        resources.push_back({0x800E, static_cast<std::uint16_t>(0x8001 + i), group({{&a, 1}})});
    Bytes shared = test::BuildNe(resources);
    const std::size_t records = 64 + 64 + 2 + 8 + 12 + 8; // the group records
    for (int i = 1; i < 2000; ++i)
        std::copy_n(shared.begin() + records, 4, shared.begin() + static_cast<std::ptrdiff_t>(records + 12 * i));
    EXPECT_EQ(Library(shared).status, KV_ERR_LIBRARY);
}

} // namespace
} // namespace kavrel
