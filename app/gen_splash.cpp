// Writes the start-up picture: a JPEG of our own drawing, 529 x 169 pixels,
// made at build time so that no picture file needs to be kept in the tree.
//   kavrel_gen_splash OUT.jpg
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kWidth = 529;
constexpr int kHeight = 169;

struct Rgb {
    std::uint8_t r, g, b;
};

class Canvas {
public:
    Canvas() : pixels_(static_cast<std::size_t>(kWidth) * kHeight) {}
    void set(int x, int y, Rgb c)
    {
        if (x >= 0 && y >= 0 && x < kWidth && y < kHeight)
            pixels_[static_cast<std::size_t>(y) * kWidth + x] = c;
    }
    void fill(int x0, int y0, int w, int h, Rgb c)
    {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                set(x, y, c);
    }
    const std::vector<Rgb>& pixels() const { return pixels_; }

private:
    std::vector<Rgb> pixels_;
};

// A 5 x 7 face for the few letters the picture needs.
const char* Glyph(char c)
{
    switch (c) {
    case 'K': return "#...##..#.#.#..##...#.#..#..#.#...#";
    case 'A': return ".###.#...##...#######...##...##...#";
    case 'V': return "#...##...##...##...##...#.#.#...#..";
    case 'R': return "####.#...##...#####.#.#..#..#.#...#";
    case 'E': return "######....#....####.#....#....#####";
    case 'L': return "#....#....#....#....#....#....#####";
    case '4': return "...#...##..#.#.#..#.#####...#....#.";
    case '0': return ".###.#...##..###.#.###..##...#.###.";
    case '.': return "...............................##..";
    default: return "...................................";
    }
}

void DrawText(Canvas& canvas, const char* text, int x, int y, int scale, Rgb ink, Rgb shade)
{
    for (const char* p = text; *p; ++p, x += 6 * scale) {
        const char* g = Glyph(*p);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g[row * 5 + col] == '#') {
                    canvas.fill(x + col * scale + 3, y + row * scale + 3, scale, scale, shade);
                    canvas.fill(x + col * scale, y + row * scale, scale - 1, scale - 1, ink);
                }
    }
}

// A 16 x 16 icon drawn as an editor shows it: enlarged, on a grid.
void DrawIcon(Canvas& canvas, int x0, int y0, int cell)
{
    static const char* const kIcon[16] = {
        "................", "..........##....", ".........#yy#...", "........#yyyy#..",
        ".......#yyyy#...", "......#yyyy#....", ".....#yyyy#.....", "....#yyyy#......",
        "...#yyyy#.......", "..#pyyy#........", "..#ppy#.........", ".#kpp#..........",
        ".#kk#...........", ".####...........", "................", "................",
    };
    const Rgb grid{96, 110, 130};
    canvas.fill(x0 - 1, y0 - 1, 16 * cell + 1, 16 * cell + 1, grid);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool light = ((x / 2) + (y / 2)) % 2 == 0;
            Rgb c = light ? Rgb{236, 236, 236} : Rgb{200, 200, 200};
            switch (kIcon[y][x]) {
            case '#': c = {20, 20, 20}; break;
            case 'y': c = {250, 200, 40}; break;
            case 'p': c = {240, 150, 140}; break;
            case 'k': c = {60, 60, 60}; break;
            default: break;
            }
            canvas.fill(x0 + x * cell, y0 + y * cell, cell - 1, cell - 1, c);
        }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kavrel_gen_splash OUT.jpg\n");
        return 2;
    }
    Canvas canvas;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            int t = x * 255 / (kWidth - 1);
            canvas.set(x, y,
                       Rgb{static_cast<std::uint8_t>(10 + t / 8), static_cast<std::uint8_t>(30 + t / 3),
                           static_cast<std::uint8_t>(80 + t / 3 - y / 6)});
        }
    DrawIcon(canvas, 20, 20, 8);
    DrawText(canvas, "KAVREL", 176, 34, 9, Rgb{255, 255, 255}, Rgb{5, 15, 45});
    DrawText(canvas, "4.0", 176, 108, 5, Rgb{250, 200, 40}, Rgb{5, 15, 45});

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(kWidth * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const Rgb* src = &canvas.pixels()[static_cast<std::size_t>(cinfo.next_scanline) * kWidth];
        for (int x = 0; x < kWidth; ++x) {
            row[x * 3] = src[x].r;
            row[x * 3 + 1] = src[x].g;
            row[x * 3 + 2] = src[x].b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0 ? 0 : 1;
}
