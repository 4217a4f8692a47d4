#include "editor/view_patterns.h"

#include <array>

namespace kavrel {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLight = RGB(0xC0, 0xC0, 0xC0);

template <class F> Bitmap Make(F colourAt)
{
    Bitmap b = Bitmap::Color(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            b.setRawPixel(x, y, PixelFromColorRef(colourAt(x, y)));
    return b;
}

struct Pair {
    Bitmap view, preview;
};

const std::array<Pair, 4>& Pairs()
{
    static const std::array<Pair, 4> pairs = {
        // 0: checkerboard, 4-pixel squares in the view, 2-pixel ones at 1:1.
        Pair{Make([](int x, int y) { return ((x / 4 + y / 4) % 2) ? kLight : kWhite; }),
             Make([](int x, int y) { return ((x / 2 + y / 2) % 2) ? kLight : kWhite; })},
        // 1: diagonal hatching.
        Pair{Make([](int x, int y) { return ((x + y) % 4 == 0) ? kLight : kWhite; }),
             Make([](int x, int y) { return ((x + y) % 2 == 0) ? kLight : kWhite; })},
        // 2: grey dots on white.
        Pair{Make([](int x, int y) { return (x % 4 == 1 && y % 4 == 1) ? RGB(0x80, 0x80, 0x80) : kWhite; }),
             Make([](int x, int y) { return (x % 2 == 0 && y % 2 == 0) ? kLight : kWhite; })},
        // 3: pale blue with a lighter cross-hatch.
        Pair{Make([](int x, int y) {
                 return (x % 4 == 0 || y % 4 == 0) ? RGB(0xE8, 0xF0, 0xFF) : RGB(0xC8, 0xD8, 0xF0);
             }),
             Make([](int x, int y) { return ((x + y) % 2) ? RGB(0xE8, 0xF0, 0xFF) : RGB(0xC8, 0xD8, 0xF0); })},
    };
    return pairs;
}

const Pair& PairOf(int motif)
{
    if (motif < 0 || motif > 3)
        motif = 0;
    return Pairs()[static_cast<std::size_t>(motif)];
}

} // namespace

const Bitmap& ViewTransparentPattern(int motif)
{
    return PairOf(motif).view;
}
const Bitmap& PreviewTransparentPattern(int motif)
{
    return PairOf(motif).preview;
}

const Bitmap& GridPattern()
{
    static const Bitmap grid =
        Make([](int x, int y) { return ((x + y) % 2) ? RGB(0xC0, 0xC0, 0xC0) : RGB(0x80, 0x80, 0x80); });
    return grid;
}

} // namespace kavrel
