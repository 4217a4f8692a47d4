#include "fuzz/targets/palette_targets.h"

#include <cstdlib>

#include "editor/palette_file.h"

namespace kavrel::fuzz {

int FuzzPaletteFile(const std::uint8_t* data, std::size_t size)
{
    for (PaletteFileKind kind : {PaletteFileKind::Cells, PaletteFileKind::Palette256}) {
        std::vector<COLORREF> values;
        const PaletteReadResult result = DecodePaletteFile({data, size}, kind, values);
        // Never more values than the kind holds, and only plain colours.
        if (values.size() > static_cast<std::size_t>(PaletteFileValueCount(kind)))
            std::abort();
        if (result != PaletteReadResult::Ok && !values.empty())
            std::abort();
        for (COLORREF c : values)
            if (c > 0x00FFFFFFu)
                std::abort();
    }
    return 0;
}

std::vector<std::vector<std::uint8_t>> PaletteSeeds()
{
    std::vector<std::vector<std::uint8_t>> seeds;
    std::vector<COLORREF> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[static_cast<std::size_t>(i)] = RGB(i, 255 - i, i ^ 0x5A);
    for (PaletteFileKind kind : {PaletteFileKind::Cells, PaletteFileKind::Palette256}) {
        const std::vector<std::uint8_t> whole = EncodePaletteFile(kind, colours);
        seeds.push_back(whole);
        seeds.emplace_back(whole.begin(), whole.begin() + 6 + 4 * 3 + 1);
    }
    return seeds;
}

}  // namespace kavrel::fuzz
