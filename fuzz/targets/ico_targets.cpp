#include "fuzz/targets/ico_targets.h"

#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "model/ico_file.h"
#include "model/render.h"
#include "platform/byte_reader.h"
#include "platform/dib.h"

namespace kavrel::fuzz {
namespace {

[[noreturn]] void Mismatch(const char* what)
{
    std::fprintf(stderr, "ico round trip: %s\n", what);
    std::abort();
}

} // namespace

int FuzzIcoReader(const std::uint8_t* data, std::size_t size)
{
    MemorySource source(std::span<const std::uint8_t>(data, size));
    std::vector<CIconGroup> first;
    if (!ReadIcoGroup(source, first))
        return 0;
    if (first.size() != 1)
        Mismatch("one file gave several groups");
    const CIconGroup& group = first[0];

    std::vector<const CIcon*> images;
    for (const auto& f : group.formats)
        images.push_back(f.get());
    const std::vector<std::uint8_t> written = BuildIcoFile(images);
    MemorySource again(written);
    std::vector<CIconGroup> second;
    if (!ReadIcoGroup(again, second))
        Mismatch("the written file does not read");
    if (second.size() != 1 || second[0].FormatCount() != group.FormatCount())
        Mismatch("format count changed");
    for (int i = 0; i < group.FormatCount(); ++i) {
        const CIcon& a = *group.GetFormat(i);
        const CIcon& b = *second[0].GetFormat(i);
        if (a.FormatLabel() != b.FormatLabel())
            Mismatch("format changed");
        if (a.image != b.image || a.imageSize != b.imageSize)
            Mismatch("image bytes changed");
    }
    // Decoding is where PNG and 32-bit images are flattened.
    for (const auto& f : group.formats) {
        (void)RenderComposite(*f, RGB(255, 255, 255));
        (void)RenderWithAlpha(*f); // thumbnails keep the alpha
    }
    return 0;
}

int FuzzDibReader(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    (void)BitmapInfoHeader::Parse(bytes);

    PackedDib dib;
    dib.bytes.assign(data, data + size);
    if (dib.header()) {
        (void)dib.colorCount();
        (void)dib.colorTable();
        (void)dib.bits();
        (void)DibColorCount(dib);
        (void)DibPalette(dib);
        // Converting back maps every pixel to a palette: small images only,
        // so that a large valid header is not reported as a timeout.
        if (auto bitmap = DibToBitmap(dib); bitmap && bitmap->width() * bitmap->height() <= 64 * 64)
            (void)BitmapToDib(*bitmap, nullptr, 8);
    }

    MemorySource source(bytes);
    CIcon icon;
    if (icon.ReadImage(source, 0)) {
        Bitmap color, mask;
        (void)icon.Unpack(color, mask);
        (void)icon.CreateImagePalette();
    }
    return 0;
}

} // namespace kavrel::fuzz
