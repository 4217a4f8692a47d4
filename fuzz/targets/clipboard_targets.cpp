#include "fuzz/targets/clipboard_targets.h"

#include <span>

#include "editor/clipboard_block.h"
#include "model/palettes.h"

namespace kavrel::fuzz {

int FuzzClipboardBlock(const std::uint8_t* data, std::size_t size)
{
    const auto block = ParseClipboardBlock(std::span<const std::uint8_t>(data, size));
    if (!block)
        return 0;
    std::uint32_t sum = 0;
    for (int y = 0; y < block->height; ++y)
        for (int x = 0; x < block->width; ++x)
            sum += block->color.rawPixel(x, y) + block->mask.rawPixel(x, y);
    return sum == 0xFFFFFFFFu ? 1 : 0;
}

std::vector<std::vector<std::uint8_t>> ClipboardSeeds()
{
    std::vector<std::vector<std::uint8_t>> seeds;
    for (const int w : {1, 5, 17}) {
        Bitmap color = Bitmap::Color(w, 3), mask = Bitmap::Mono(w, 3);
        for (int x = 0; x < w; ++x) {
            color.setRawPixel(x, 1, 0xFF000000u | static_cast<std::uint32_t>(x * 0x0F0F0F));
            mask.setRawPixel(x, 2, x % 2);
        }
        seeds.push_back(BuildClipboardBlock(color, mask, 24, nullptr));
        seeds.push_back(BuildClipboardBlock(color, mask, 8, &StandardPalette()));
    }
    const auto whole = seeds.front();
    for (const std::size_t cut : {std::size_t{20}, kClipboardBlockHeader, whole.size() - 1})
        seeds.emplace_back(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    return seeds;
}

} // namespace kavrel::fuzz
