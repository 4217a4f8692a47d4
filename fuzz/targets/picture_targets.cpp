#include "fuzz/targets/picture_targets.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "model/picture_import.h"
#include "platform/byte_reader.h"

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

} // namespace

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

namespace {

// A BMP file around the given bits; colours are a ramp of the table's size.
std::vector<std::uint8_t> Bmp(int width, int height, int bitCount, std::uint32_t compression, int colors,
                              const std::vector<std::uint8_t>& bits, bool core = false)
{
    ByteWriter w;
    const std::uint32_t headerSize = core ? 12 : 40;
    const std::uint32_t entry = core ? 3 : 4;
    const std::uint32_t offBits = 14 + headerSize + static_cast<std::uint32_t>(colors) * entry;
    w.u8('B');
    w.u8('M');
    w.u32(offBits + static_cast<std::uint32_t>(bits.size()));
    w.u32(0);
    w.u32(offBits);
    w.u32(headerSize);
    if (core) {
        w.u16(static_cast<std::uint16_t>(width));
        w.u16(static_cast<std::uint16_t>(height));
        w.u16(1);
        w.u16(static_cast<std::uint16_t>(bitCount));
    } else {
        w.i32(width);
        w.i32(height);
        w.u16(1);
        w.u16(static_cast<std::uint16_t>(bitCount));
        w.u32(compression);
        w.u32(compression ? static_cast<std::uint32_t>(bits.size()) : 0);
        w.u32(0);
        w.u32(0);
        w.u32(static_cast<std::uint32_t>(colors));
        w.u32(0);
    }
    for (int i = 0; i < colors; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (colors > 1 ? colors - 1 : 1));
        w.u8(v);
        w.u8(static_cast<std::uint8_t>(255 - v));
        w.u8(static_cast<std::uint8_t>(v / 2));
        if (!core)
            w.u8(0);
    }
    w.bytes(bits);
    return w.take();
}

std::vector<std::uint8_t> Pattern(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i * 37 + i / 7);
    return v;
}

// A w x h JPEG of a colour or grey gradient, progressive with the library's
// scans or with `scans` when given.
std::vector<std::uint8_t> Jpeg(int width, int height, bool colour, bool progressive,
                               const std::vector<jpeg_scan_info>* scans = nullptr)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = colour ? 3 : 1;
    c.in_color_space = colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 75, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    if (scans) {
        c.scan_info = scans->data();
        c.num_scans = static_cast<int>(scans->size());
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * static_cast<std::size_t>(c.input_components));
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < c.input_components; ++k)
                row[static_cast<std::size_t>(x * c.input_components + k)] =
                    static_cast<JSAMPLE>((x * 255 / width + k * 80 + static_cast<int>(c.next_scanline) * 3) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<std::uint8_t> bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

} // namespace

std::vector<std::vector<std::uint8_t>> BmpSeeds()
{
    // Rows are padded to four bytes.
    std::vector<std::vector<std::uint8_t>> seeds;
    seeds.push_back(Bmp(8, 8, 1, 0, 2, Pattern(4 * 8)));
    seeds.push_back(Bmp(9, 5, 4, 0, 16, Pattern(8 * 5)));
    seeds.push_back(Bmp(7, 6, 8, 0, 256, Pattern(8 * 6)));
    seeds.push_back(Bmp(5, 4, 24, 0, 0, Pattern(16 * 4)));
    seeds.push_back(Bmp(6, 3, 1, 0, 2, Pattern(4 * 3), true));
    // RLE8: a run, an absolute run, a delta, end of line and end of bitmap.
    seeds.push_back(Bmp(8, 4, 8, 1, 16, {4, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 1, 2, 5, 0, 0, 8, 9, 0, 1}));
    return seeds;
}

std::vector<std::uint8_t> ManyScanJpeg(int size, int bits)
{
    std::vector<jpeg_scan_info> scans;
    scans.push_back({1, {0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k) {
        scans.push_back({1, {0}, k, k, 0, bits});
        for (int al = bits - 1; al >= 0; --al)
            scans.push_back({1, {0}, k, k, al + 1, al});
    }
    return Jpeg(size, size, false, false, &scans);
}

std::vector<std::vector<std::uint8_t>> JpegSeeds()
{
    return {Jpeg(16, 16, true, false), Jpeg(40, 25, true, true), Jpeg(9, 13, false, false)};
}

} // namespace kavrel::fuzz
