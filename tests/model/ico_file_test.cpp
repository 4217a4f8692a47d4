#include "model/ico_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "model/png_image.h"
#include "platform/atomic_file.h"
#include "platform/dib.h"
#include "support/pixel_picture.h"

namespace kavrel {
namespace {

namespace fs = std::filesystem;

CIcon Format(int bitDepth, int width, int height, COLORREF fill = RGB(255, 0, 0))
{
    CIconObject o(bitDepth, width, height, 0);
    o.color.fill(fill);
    o.mask.fill(RGB(0, 0, 0));
    o.mask.setRawPixel(0, 0, 1); // one transparent corner
    o.color.setRawPixel(0, 0, 0xFF000000u);
    o.PackToIcon();
    return o.packed;
}

CIcon Argb32(int width, int height)
{
    CIcon icon;
    std::vector<std::uint8_t> b(40 + 4ull * width * height + height * DibRowBytes(width, 1));
    StoreU32(b.data(), 40);
    StoreU32(b.data() + 4, static_cast<std::uint32_t>(width));
    StoreU32(b.data() + 8, static_cast<std::uint32_t>(2 * height));
    StoreU16(b.data() + 12, 1);
    StoreU16(b.data() + 14, 32);
    for (std::size_t i = 40; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 13);
    MemorySource s(b);
    EXPECT_TRUE(icon.ReadImage(s, 0));
    return icon;
}

CIcon Png(int width, int height)
{
    PngPixels p;
    p.width = width;
    p.height = height;
    for (int i = 0; i < width * height; ++i)
        p.argb.push_back(static_cast<std::uint32_t>(i * 2654435761u) | (i % 2 ? 0xFF000000u : 0));
    auto bytes = EncodePng(p);
    MemorySource s(bytes);
    CIcon icon;
    EXPECT_TRUE(icon.ReadImage(s, 0));
    return icon;
}

// Every read the readers ask for is recorded, so a test can see that a
// hostile file never made them ask for more than the file holds.
class WatchedSource : public ByteSource {
  public:
    explicit WatchedSource(std::span<const std::uint8_t> bytes) : inner_(bytes) {}
    std::uint64_t size() const override { return inner_.size(); }
    bool readAt(std::uint64_t offset, std::uint64_t n, std::vector<std::uint8_t>& out) override
    {
        largest = std::max(largest, n);
        return inner_.readAt(offset, n, out);
    }
    using ByteSource::readAt;
    std::uint64_t largest = 0;

  private:
    MemorySource inner_;
};

std::optional<CIconGroup> ReadGroup(const std::vector<std::uint8_t>& bytes)
{
    MemorySource s(bytes);
    std::vector<CIconGroup> groups;
    if (!ReadIcoGroup(s, groups))
        return std::nullopt;
    EXPECT_EQ(groups.size(), 1u);
    return std::move(groups[0]);
}

std::vector<std::uint8_t> Build(const std::vector<CIcon>& icons)
{
    std::vector<const CIcon*> p;
    for (const auto& i : icons)
        p.push_back(&i);
    return BuildIcoFile(p);
}

class TempDir {
  public:
    TempDir()
    {
        char pattern[] = "/tmp/kavrel-ico-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir()
    {
        chmod(path.c_str(), 0700);
        fs::remove_all(path);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string path;
};

std::vector<std::uint8_t> Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(IcoFile, FileKindByExtension)
{
    EXPECT_EQ(FileKind("a.ico"), FileKindType::Icon);
    EXPECT_EQ(FileKind("A.Ico"), FileKindType::Icon);
    EXPECT_EQ(FileKind("/x/B.ICO"), FileKindType::Icon);
    EXPECT_EQ(FileKind("C:\\ICONS\\disk.ico"), FileKindType::Icon);
    EXPECT_EQ(FileKind("a.ico.bak"), FileKindType::Unknown);
    EXPECT_EQ(FileKind("lib.il"), FileKindType::IconLibrary);
    EXPECT_EQ(FileKind("lib.NIL"), FileKindType::IconLibrary);
    EXPECT_EQ(FileKind("lib.icl"), FileKindType::IconLibrary);
    for (const char* p : {"x.exe", "x.DLL", "x.vbx", "x.ocx", "x.cpl", "x.drv"})
        EXPECT_EQ(FileKind(p), FileKindType::ProgramFile) << p;
    EXPECT_EQ(FileKind("x.icox"), FileKindType::Unknown);
    EXPECT_EQ(FileKind("dir.ico/readme"), FileKindType::Unknown);
    EXPECT_EQ(FileKind("ico"), FileKindType::Icon); // no '.': the whole name
    EXPECT_EQ(FileKind(""), FileKindType::Unknown);
}

TEST(IcoFile, WrittenLayout)
{
    CIconGroup group;
    group.AddFormat(Format(4, 32, 32));
    group.AddFormat(Format(8, 16, 16));
    group.AddFormat(Format(24, 48, 48));
    group.AddFormat(Format(1, 256, 256));
    group.AddFormat(Png(256, 256));
    group.AddFormat(Argb32(24, 24));
    TempDir dir;
    ASSERT_TRUE(group.SaveAsIco(dir.file("out.ico")));
    auto bytes = Slurp(dir.file("out.ico"));
    ASSERT_GE(bytes.size(), 6u + 16 * 6);
    EXPECT_EQ(LoadU16(bytes.data()), 0);
    EXPECT_EQ(LoadU16(bytes.data() + 2), 1);
    ASSERT_EQ(LoadU16(bytes.data() + 4), 6);

    struct Entry {
        int width, height, colors, bits;
    };
    // Sorted: width, then height, then depth (PNG counts as 32 bits).
    const Entry expected[] = {{16, 16, 0, 8},  {24, 24, 0, 32}, {32, 32, 16, 4},
                              {48, 48, 0, 24}, {0, 0, 2, 1},    {0, 0, 0, 32}};
    std::uint32_t offset = 6 + 16 * 6;
    for (int i = 0; i < 6; ++i) {
        const std::uint8_t* e = bytes.data() + 6 + 16 * i;
        const CIcon& f = *group.GetFormat(i);
        EXPECT_EQ(e[0], expected[i].width) << i;
        EXPECT_EQ(e[1], expected[i].height) << i;
        EXPECT_EQ(e[2], expected[i].colors) << i;
        EXPECT_EQ(e[3], 0) << i;
        EXPECT_EQ(LoadU16(e + 4), 1) << i;
        EXPECT_EQ(LoadU16(e + 6), expected[i].bits) << i;
        EXPECT_EQ(LoadU32(e + 8), f.image.size()) << i;
        EXPECT_EQ(LoadU32(e + 12), offset) << i;
        ASSERT_LE(offset + f.image.size(), bytes.size());
        EXPECT_TRUE(std::equal(f.image.begin(), f.image.end(), bytes.begin() + offset)) << i;
        offset += static_cast<std::uint32_t>(f.image.size());
    }
    EXPECT_EQ(offset, bytes.size());
    // A 24-bit image has no colour table: its bits follow the header.
    EXPECT_EQ(group.GetFormat(3)->image.size(), 40u + 48 * 48 * 3 + 48 * 8);

    // 32x32 16 colours and 16x16 256 colours: the 16x16 entry comes first.
    CIconGroup two;
    two.AddFormat(Format(4, 32, 32));
    two.AddFormat(Format(8, 16, 16));
    ASSERT_TRUE(two.SaveAsIco(dir.file("two.ico")));
    auto small = Slurp(dir.file("two.ico"));
    EXPECT_EQ(small[6], 16);
    EXPECT_EQ(small[6 + 2], 0);
    EXPECT_EQ(LoadU16(small.data() + 6 + 6), 8);
    EXPECT_EQ(LoadU32(small.data() + 6 + 12), 6u + 32);
    EXPECT_EQ(small[22], 32);
    EXPECT_EQ(small[22 + 2], 16);
}

TEST(IcoFile, ReadingUsesOnlyTheOffsets)
{
    CIcon a = Format(4, 32, 32), b = Format(8, 16, 16, RGB(0, 0, 255)), c = Format(24, 20, 10);
    // Images in reverse order, with gaps, and directory bytes that lie.
    std::vector<std::uint8_t> file(6 + 16 * 3, 0);
    StoreU16(file.data(), 0xBEEF); // the reserved word is not checked
    StoreU16(file.data() + 2, 1);
    StoreU16(file.data() + 4, 3);
    const CIcon* order[] = {&c, &b, &a};
    std::uint32_t offsets[3];
    for (int i = 2; i >= 0; --i) {
        file.insert(file.end(), 17, 0x55);
        offsets[i] = static_cast<std::uint32_t>(file.size());
        file.insert(file.end(), order[i]->image.begin(), order[i]->image.end());
    }
    for (int i = 0; i < 3; ++i) {
        std::uint8_t* e = file.data() + 6 + 16 * i;
        e[0] = 0;
        e[1] = 7;
        e[2] = 99;
        StoreU16(e + 6, 3);
        StoreU32(e + 8, 5);
        StoreU32(e + 12, offsets[i]);
    }
    auto group = ReadGroup(file);
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->name.empty());
    ASSERT_EQ(group->FormatCount(), 3);
    EXPECT_EQ(group->GetFormat(0)->image, b.image);
    EXPECT_EQ(group->GetFormat(1)->image, c.image);
    EXPECT_EQ(group->GetFormat(2)->image, a.image);
    EXPECT_EQ(group->GetFormat(1)->FormatLabel(), "20x10x24");

    MemorySource source(file);
    std::vector<CIconGroup> groups;
    std::vector<std::uint64_t> at;
    ASSERT_TRUE(ReadIcoGroupWithOffsets(source, groups, at));
    EXPECT_EQ(at, (std::vector<std::uint64_t>{offsets[1], offsets[0], offsets[2]}));

    // Written back, the images come out contiguous and in sorted order.
    std::vector<const CIcon*> images;
    for (const auto& f : group->formats)
        images.push_back(f.get());
    auto rewritten = BuildIcoFile(images);
    EXPECT_EQ(LoadU32(rewritten.data() + 6 + 12), 6u + 48);
    EXPECT_EQ(LoadU32(rewritten.data() + 22 + 12), 6u + 48 + b.image.size());
    EXPECT_EQ(rewritten.size(), 6 + 48 + a.image.size() + b.image.size() + c.image.size());
}

TEST(IcoFile, NotIconFilesAreRefused)
{
    auto good = Build({Format(4, 16, 16)});
    ASSERT_TRUE(ReadGroup(good));

    auto cursor = good;
    cursor[2] = 2;
    EXPECT_FALSE(ReadGroup(cursor));
    auto empty = good;
    StoreU16(empty.data() + 4, 0);
    EXPECT_FALSE(ReadGroup(empty));
    EXPECT_FALSE(ReadGroup({}));
    EXPECT_FALSE(ReadGroup({0, 0, 1, 0}));

    // One bad image abandons the whole file and leaves the list as it was.
    auto two = Build({Format(4, 16, 16), Format(4, 32, 32)});
    StoreU32(two.data() + 6 + 16 + 12, 0xFFF0); // second offset far out
    MemorySource s(two);
    std::vector<CIconGroup> groups(2);
    groups[0].name = "kept";
    EXPECT_FALSE(ReadIcoGroup(s, groups));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].name, "kept");

    // The document side leaves its formats unchanged on a bad file, too.
    std::vector<std::unique_ptr<CIconObject>> objects;
    objects.push_back(std::make_unique<CIconObject>(4, 32, 32, 0));
    CIconObject* before = objects[0].get();
    MemorySource bad(two);
    EXPECT_FALSE(ReadIcoObjects(bad, objects));
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].get(), before);
    MemorySource badCursor(cursor);
    EXPECT_FALSE(ReadIcoObjects(badCursor, objects));
    EXPECT_EQ(objects.size(), 1u);
}

TEST(IcoFile, ModernImagesSurviveReadAndWriteByteForByte)
{
    CIcon png = Png(256, 256), argb = Argb32(48, 48), classic = Format(8, 32, 32);
    auto file = Build({classic, argb, png});
    auto group = ReadGroup(file);
    ASSERT_TRUE(group);
    ASSERT_EQ(group->FormatCount(), 3);
    EXPECT_EQ(group->GetFormat(1)->image, argb.image);
    EXPECT_EQ(group->GetFormat(2)->image, png.image);
    EXPECT_TRUE(group->GetFormat(2)->isPng());
    TempDir dir;
    ASSERT_TRUE(group->SaveAsIco(dir.file("m.ico")));
    EXPECT_EQ(Slurp(dir.file("m.ico")), file);
    std::vector<CIconGroup> groups;
    EXPECT_EQ(LoadIconsFromFile(groups, dir.file("m.ico")), 1);
    EXPECT_EQ(groups[0].GetFormat(2)->image, png.image);
}

TEST(IcoFile, EveryTruncationIsReadOrRefusedSafely)
{
    auto file = Build(
        {Format(1, 16, 16), Format(4, 16, 16), Format(8, 32, 32), Format(24, 16, 16), Argb32(16, 16), Png(20, 20)});
    ASSERT_TRUE(ReadGroup(file));
    for (std::size_t n = 0; n < file.size(); ++n) {
        std::vector<std::uint8_t> prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        WatchedSource s(prefix);
        std::vector<CIconGroup> groups;
        // The last image ends at the end of the file, so every prefix lacks a part.
        EXPECT_FALSE(ReadIcoGroup(s, groups)) << n;
        EXPECT_LE(s.largest, n) << n;
        if (n % 7 == 0) {
            WatchedSource d(prefix);
            std::vector<std::unique_ptr<CIconObject>> objects;
            EXPECT_FALSE(ReadIcoObjects(d, objects)) << n;
            EXPECT_TRUE(objects.empty());
        }
    }
}

TEST(IcoFile, ACutFileGivesItsIntactImagesOnlyWhenAsked)
{
    // Cut inside its last image, a PNG: the first two images are intact.
    const CIcon a = Format(4, 16, 16), b = Format(8, 32, 32), c = Png(48, 48);
    auto file = Build({a, b, c});
    file.resize(file.size() - c.image.size() / 2);
    MemorySource source(file);

    std::vector<CIconGroup> groups;
    std::vector<std::uint64_t> offsets;
    IcoImageCount count;
    EXPECT_FALSE(ReadIcoGroupWithOffsets(source, groups, offsets, IcoReadMode::Whole, &count));
    ASSERT_TRUE(ReadIcoGroupWithOffsets(source, groups, offsets, IcoReadMode::IntactImages, &count));
    EXPECT_EQ(count.listed, 3);
    EXPECT_EQ(count.read, 2);
    ASSERT_EQ(groups.size(), 1u);
    ASSERT_EQ(groups[0].FormatCount(), 2);
    EXPECT_EQ(groups[0].GetFormat(0)->image, a.image);
    EXPECT_EQ(groups[0].GetFormat(1)->image, b.image);
    EXPECT_EQ(offsets, (std::vector<std::uint64_t>{6 + 48, 6 + 48 + a.image.size()}));

    std::vector<std::unique_ptr<CIconObject>> objects;
    EXPECT_FALSE(ReadIcoObjects(source, objects));
    ASSERT_TRUE(ReadIcoObjects(source, objects, IcoReadMode::IntactImages, &count));
    EXPECT_EQ(count.read, 2);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[1]->width, 32);

    // A whole file reads the same in both modes; one with no intact image
    // gives nothing either way.
    const auto wholeFile = Build({a, b, c});
    MemorySource whole(wholeFile);
    EXPECT_TRUE(ReadIcoObjects(whole, objects, IcoReadMode::IntactImages, &count));
    EXPECT_EQ(count.read, 3);
    file.resize(6 + 48 + 20);
    MemorySource nothing(file);
    EXPECT_FALSE(ReadIcoObjects(nothing, objects, IcoReadMode::IntactImages, &count));
    EXPECT_EQ(objects.size(), 3u);
}

TEST(IcoFile, AnImageIsNeverReadAcrossItsNeighbour)
{
    // The first image (by offset) claims 32x32 in its header: read as it
    // says, it would take the second image's bytes for its own. The
    // directory lists them in the other order, so the neighbour is found by
    // offset.
    const CIcon small = Format(4, 16, 16), large = Format(4, 32, 32, RGB(0, 0, 255));
    auto file = Build({small, large});
    const std::uint32_t smallAt = LoadU32(&file[6 + 12]), largeAt = LoadU32(&file[6 + 16 + 12]);
    ASSERT_LT(smallAt, largeAt);
    StoreU32(&file[6 + 12], largeAt);
    StoreU32(&file[6 + 16 + 12], smallAt);
    StoreU32(&file[smallAt + 4], 32);
    StoreU32(&file[smallAt + 8], 64);
    file.resize(file.size() + 1000, 0); // room enough at the end of the file

    EXPECT_FALSE(ReadGroup(file));
    MemorySource source(file);
    std::vector<CIconGroup> groups;
    std::vector<std::uint64_t> offsets;
    IcoImageCount count;
    ASSERT_TRUE(ReadIcoGroupWithOffsets(source, groups, offsets, IcoReadMode::IntactImages, &count));
    EXPECT_EQ(count.read, 1);
    ASSERT_EQ(groups[0].FormatCount(), 1);
    EXPECT_EQ(groups[0].GetFormat(0)->image, large.image);

    // Two entries naming the same image are not each other's neighbours.
    auto shared = Build({small, large});
    StoreU32(&shared[6 + 16 + 12], LoadU32(&shared[6 + 12]));
    auto group = ReadGroup(shared);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->FormatCount(), 2);
}

TEST(IcoFile, HostileDirectoriesAreRefusedWithoutLargeReads)
{
    auto base = Build({Format(4, 16, 16)});
    auto refuse = [](const std::vector<std::uint8_t>& bytes, const char* what) {
        WatchedSource s(bytes);
        std::vector<CIconGroup> groups;
        EXPECT_FALSE(ReadIcoGroup(s, groups)) << what;
        EXPECT_LE(s.largest, bytes.size()) << what;
        WatchedSource d(bytes);
        std::vector<std::unique_ptr<CIconObject>> objects;
        EXPECT_FALSE(ReadIcoObjects(d, objects)) << what;
    };
    auto hugeCount = base;
    StoreU16(hugeCount.data() + 4, 0xFFFF);
    refuse(hugeCount, "count larger than the file");
    auto farOffset = base;
    StoreU32(farOffset.data() + 6 + 12, 0xFFFFFFFFu);
    refuse(farOffset, "offset beyond the file");
    auto atEnd = base;
    StoreU32(atEnd.data() + 6 + 12, static_cast<std::uint32_t>(atEnd.size()));
    refuse(atEnd, "offset at the end");
    auto wide = base;
    StoreU32(wide.data() + 22 + 4, 0x7FFFFFFF);
    refuse(wide, "width overflowing");
    auto tall = base;
    StoreU32(tall.data() + 22 + 8, 0xFFFFFFFEu);
    refuse(tall, "negative height");
    auto sixteen = base;
    StoreU16(sixteen.data() + 22 + 14, 16);
    refuse(sixteen, "16 bits");

    auto png = Build({Png(8, 8)});
    auto bigPng = png;
    StoreU32(bigPng.data() + 22 + 16, 0x01100000); // big-endian 4097
    refuse(bigPng, "4097-pixel PNG");
    auto hugeChunk = png;
    StoreU32(hugeChunk.data() + 22 + 33, 0xFFFFFF7Fu); // first chunk after IHDR
    refuse(hugeChunk, "chunk beyond the file");

    // Many entries sharing one image: each read stays small and the total is
    // bounded, so the file is either read or refused quickly.
    CIcon tiny = Format(1, 1, 1);
    std::vector<std::uint8_t> shared(6 + 16 * 4000, 0);
    StoreU16(shared.data() + 2, 1);
    StoreU16(shared.data() + 4, 4000);
    std::uint32_t at = static_cast<std::uint32_t>(shared.size());
    shared.insert(shared.end(), tiny.image.begin(), tiny.image.end());
    for (int i = 0; i < 4000; ++i)
        StoreU32(shared.data() + 6 + 16 * i + 12, at);
    WatchedSource s(shared);
    std::vector<CIconGroup> groups;
    ASSERT_TRUE(ReadIcoGroup(s, groups));
    EXPECT_EQ(groups[0].FormatCount(), 4000);
    EXPECT_LE(s.largest, shared.size());
}

// The formats and offsets a read gives ("32x32x4@54"), or nothing when refused.
std::optional<std::vector<std::string>> Listing(const std::vector<std::uint8_t>& bytes, IcoReadMode mode,
                                                ImageBytes what, std::uint64_t* largestRead = nullptr)
{
    WatchedSource s(bytes);
    std::vector<CIconGroup> groups;
    std::vector<std::uint64_t> offsets;
    IcoImageCount count;
    const bool ok = ReadIcoGroupWithOffsets(s, groups, offsets, mode, &count, what);
    if (largestRead)
        *largestRead = s.largest;
    if (!ok)
        return std::nullopt;
    std::vector<std::string> lines{std::to_string(count.read) + "/" + std::to_string(count.listed)};
    for (int i = 0; i < groups[0].FormatCount(); ++i) {
        const CIcon& icon = *groups[0].GetFormat(i);
        EXPECT_EQ(icon.empty(), what == ImageBytes::Skip);
        lines.push_back(icon.FormatLabel() + "@" + std::to_string(offsets[static_cast<std::size_t>(i)]) + "#" +
                        std::to_string(icon.imageSize));
    }
    return lines;
}

TEST(IcoFile, HeaderOnlyReadsListTheSameFormatsAsFullReads)
{
    const CIcon png = Png(20, 20);
    const auto whole =
        Build({Format(1, 16, 16), Format(4, 16, 16), Format(8, 32, 32), Format(24, 16, 16), Argb32(16, 16), png});
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files{{"whole", whole}};
    for (std::size_t n = 0; n < whole.size(); n += 5)
        files.emplace_back("cut at " + std::to_string(n), std::vector(whole.begin(), whole.begin() + n));

    auto shortTable = Build({Format(8, 16, 16), Format(4, 32, 32)});
    StoreU32(shortTable.data() + 6 + 32 + 32, 200); // stored table shorter than the depth's
    files.emplace_back("short colour table", shortTable);
    auto overlap = Build({Format(4, 16, 16), Format(4, 32, 32)});
    StoreU32(&overlap[LoadU32(&overlap[6 + 12]) + 4], 32); // claims its neighbour's bytes
    StoreU32(&overlap[LoadU32(&overlap[6 + 12]) + 8], 64);
    files.emplace_back("image over its neighbour", overlap);
    auto farOffset = Build({Format(4, 16, 16), Format(8, 16, 16)});
    StoreU32(farOffset.data() + 6 + 16 + 12, 0xFFFFFFF0u);
    files.emplace_back("offset beyond the file", farOffset);
    auto cutPng = Build({Format(4, 16, 16), png});
    StoreU32(&cutPng[cutPng.size() - png.image.size() + 33], 0x7FFFFFF0u); // a chunk longer than the file
    files.emplace_back("PNG chunk beyond the file", cutPng);
    // Thousands of entries sharing one large image go over the read budget.
    CIcon big = Format(24, 256, 256);
    std::vector<std::uint8_t> shared(6 + 16 * 1000, 0);
    StoreU16(shared.data() + 2, 1);
    StoreU16(shared.data() + 4, 1000);
    for (int i = 0; i < 1000; ++i)
        StoreU32(shared.data() + 6 + 16 * i + 12, static_cast<std::uint32_t>(shared.size()));
    shared.insert(shared.end(), big.image.begin(), big.image.end());
    files.emplace_back("shared image over the budget", shared);

    int read = 0;
    for (const auto& [what, bytes] : files) {
        for (IcoReadMode mode : {IcoReadMode::Whole, IcoReadMode::IntactImages}) {
            std::uint64_t largest = 0;
            const auto full = Listing(bytes, mode, ImageBytes::Read);
            const auto headers = Listing(bytes, mode, ImageBytes::Skip, &largest);
            EXPECT_EQ(full, headers) << what;
            read += full.has_value();
            // Nothing beyond the directory and the 40-byte headers is asked for.
            const std::uint64_t directory = bytes.size() < 6 ? 0 : 16ull * LoadU16(bytes.data() + 4);
            EXPECT_LE(largest, std::max<std::uint64_t>(40, directory)) << what;
        }
    }
    EXPECT_GT(read, 5); // the cases are not all refusals
}

TEST(IcoFile, DocumentSideReadsSortedAndWritesSorted)
{
    auto file = Build({Format(8, 32, 32), Format(4, 16, 16), Format(4, 32, 32), Png(64, 64)});
    MemorySource s(file);
    std::vector<std::unique_ptr<CIconObject>> objects;
    ASSERT_TRUE(ReadIcoObjects(s, objects));
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[0]->description, "16x16 - 16 colors");
    EXPECT_EQ(objects[1]->description, "32x32 - 16 colors");
    EXPECT_EQ(objects[2]->description, "32x32 - 256 colors");
    EXPECT_EQ(objects[3]->description, "64x64 - 16,8M colors + alpha");
    EXPECT_EQ(objects[3]->bitDepth, 32);
    EXPECT_TRUE(objects[3]->compressed);
    EXPECT_FALSE(objects[3]->converted);

    // Added as 32x32 256 colours then 16x16 16 colours: written 16x16 first.
    std::vector<std::unique_ptr<CIconObject>> added;
    added.push_back(std::make_unique<CIconObject>(8, 32, 32, 0));
    added.push_back(std::make_unique<CIconObject>(4, 16, 16, 0));
    TempDir dir;
    ASSERT_TRUE(WriteIcoObjects(dir.file("doc.ico"), added));
    auto bytes = Slurp(dir.file("doc.ico"));
    EXPECT_EQ(bytes[6], 16);
    EXPECT_EQ(bytes[22], 32);
    auto group = ReadGroup(bytes);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->GetFormat(0)->FormatLabel(), "16x16x4");
    EXPECT_EQ(group->GetFormat(1)->FormatLabel(), "32x32x8");
}

TEST(IcoFile, FailedSavesLeaveTheOldFile)
{
    TempDir dir;
    const std::string path = dir.file("keep.ico");
    CIconGroup original;
    original.AddFormat(Format(4, 16, 16));
    ASSERT_TRUE(original.SaveAsIco(path));
    const auto before = Slurp(path);

    CIconGroup bigger;
    bigger.AddFormat(Format(24, 64, 64));
    bigger.AddFormat(Format(8, 48, 48));
    for (const char* step : {"write", "commit"}) {
        SetAtomicFileFaultHook([step](const std::string& s) { return s != step; });
        EXPECT_FALSE(bigger.SaveAsIco(path)) << step;
        SetAtomicFileFaultHook(nullptr);
        EXPECT_EQ(Slurp(path), before) << step;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.ico"}) << step;
    }
    std::vector<std::unique_ptr<CIconObject>> objects;
    objects.push_back(std::make_unique<CIconObject>(24, 32, 32, 0));
    SetAtomicFileFaultHook([](const std::string&) { return false; });
    EXPECT_FALSE(WriteIcoObjects(path, objects));
    SetAtomicFileFaultHook(nullptr);
    EXPECT_EQ(Slurp(path), before);

    // A folder that cannot be written to (root writes anywhere, so skip then).
    if (geteuid() != 0) {
        chmod(dir.path.c_str(), 0500);
        EXPECT_FALSE(bigger.SaveAsIco(path));
        chmod(dir.path.c_str(), 0700);
        EXPECT_EQ(Slurp(path), before);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.ico"});
    }
    EXPECT_FALSE(CIconGroup{}.SaveAsIco(dir.file("none.ico"))); // nothing to write
    EXPECT_FALSE(fs::exists(dir.file("none.ico")));
    EXPECT_FALSE(original.SaveAsIco(dir.file("missing/dir.ico")));
}

TEST(IcoFile, LoadIconsFromFileDispatchesByKind)
{
    TempDir dir;
    CIconGroup group;
    group.AddFormat(Format(4, 16, 16));
    ASSERT_TRUE(group.SaveAsIco(dir.file("a.ICO")));
    std::vector<CIconGroup> groups;
    EXPECT_EQ(LoadIconsFromFile(groups, ""), 0);
    EXPECT_EQ(LoadIconsFromFile(groups, dir.file("a.ICO")), 1);
    EXPECT_EQ(LoadIconsFromFile(groups, dir.file("missing.ico")), 1);

    std::vector<std::string> asked;
    SetProgramFileReader([&](const std::string& path, std::vector<CIconGroup>& out) {
        asked.push_back(path);
        out.emplace_back();
        return 1;
    });
    EXPECT_EQ(LoadIconsFromFile(groups, "x.dll"), 2);
    EXPECT_EQ(LoadIconsFromFile(groups, "y.icl"), 3);
    EXPECT_EQ(LoadIconsFromFile(groups, "z.txt"), 0);
    SetProgramFileReader(nullptr);
    EXPECT_EQ(asked, (std::vector<std::string>{"x.dll", "y.icl"}));
    EXPECT_EQ(LoadIconsFromFile(groups, dir.file("missing.exe")), 3); // the built-in reader is back
    EXPECT_TRUE(asked.size() == 2);
}

} // namespace
} // namespace kavrel
