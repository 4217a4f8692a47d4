#include "fuzz/targets/picture_targets.h"

#include <cstdlib>

#include "model/picture_import.h"

namespace kavrel::fuzz {

namespace {

// Every conversion of a picture must give a DIB of the fitted size or none.
void FitEveryWay(const PackedDib& picture)
{
    for (int depth : {1, 4, 8, 24}) {
        PackedDib fitted = FitPicture(picture, 32, 32, depth == 1 ? 24 : depth);
        if (fitted.empty())
            continue;
        auto header = fitted.header();
        if (!header || header->biWidth < 1 || header->biWidth > 32 || header->biHeight < 1 || header->biHeight > 32)
            std::abort();
    }
    (void)ReduceToStandardPalette(picture, 16, 16);
}

}  // namespace

int FuzzBmpReader(const std::uint8_t* data, std::size_t size)
{
    MemorySource source({data, size});
    PackedDib picture = ReadBmp(source);
    if (!picture.empty())
        FitEveryWay(picture);
    return 0;
}

int FuzzJpegReader(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> bytes(data, size);
    PackedDib picture = DecodeJpeg(bytes, JpegMode::TrueColor);
    if (!picture.empty())
        FitEveryWay(picture);
    if (size % 2 == 1)
        (void)DecodeJpeg(bytes, JpegMode::Quantized);
    return 0;
}

}  // namespace kavrel::fuzz
