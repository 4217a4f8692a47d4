#include "model/picture_import.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "model/palettes.h"
#include "model/resample.h"
#include "model/settings_model.h"
#include "platform/screen.h"

namespace kavrel {

int CouleursJPEG = 2;

namespace {

// ---------------------------------------------------------------------------
// Packed DIBs we build and read back

struct Rgb {
    int r = 0, g = 0, b = 0;
};

PackedDib MakeDib(int width, int height, int bitCount, const std::vector<RGBQuad>& table)
{
    PackedDib dib;
    BitmapInfoHeader h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = static_cast<std::uint16_t>(bitCount);
    h.biSizeImage = static_cast<std::uint32_t>(DibRowBytes(width, bitCount) * static_cast<std::uint64_t>(height));
    h.biClrUsed = static_cast<std::uint32_t>(table.size());
    dib.bytes.assign(BitmapInfoHeader::kSize + table.size() * 4 + h.biSizeImage, 0);
    h.Write(dib.bytes.data());
    std::uint8_t* p = dib.bytes.data() + BitmapInfoHeader::kSize;
    for (const RGBQuad& q : table) {
        p[0] = q.blue;
        p[1] = q.green;
        p[2] = q.red;
        p[3] = 0;
        p += 4;
    }
    return dib;
}

std::uint8_t* DibBits(PackedDib& dib)
{
    std::uint32_t used = LoadU32(dib.bytes.data() + 32);
    return dib.bytes.data() + BitmapInfoHeader::kSize + std::size_t{used} * 4;
}

// A checked view of a packed DIB of the kinds the readers return (also one
// with a 12-byte core header); invalid when anything does not add up.
class DibView {
  public:
    explicit DibView(const PackedDib& dib)
    {
        auto header = dib.header();
        if (!header || header->biCompression != BI_RGB)
            return;
        int bits = header->biBitCount;
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
            return;
        std::int64_t w = header->biWidth, h = header->biHeight;
        bool topDown = h < 0;
        if (topDown)
            h = -h;
        if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide)
            return;
        table_ = dib.colorTable();
        if (table_.size() > 256)
            return;
        std::span<const std::uint8_t> all = dib.bits();
        std::uint64_t stride = DibRowBytes(w, bits);
        if (all.size() < stride * static_cast<std::uint64_t>(h))
            return;
        bits_ = all.data();
        width_ = static_cast<int>(w);
        height_ = static_cast<int>(h);
        bitCount_ = bits;
        stride_ = static_cast<std::size_t>(stride);
        topDown_ = topDown;
    }

    bool valid() const { return bits_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitCount() const { return bitCount_; }
    const std::vector<RGBQuad>& table() const { return table_; }

    // Row y counted from the top of the picture.
    const std::uint8_t* row(int y) const
    {
        int stored = topDown_ ? y : height_ - 1 - y;
        return bits_ + static_cast<std::size_t>(stored) * stride_;
    }
    int index(const std::uint8_t* row, int x) const
    {
        switch (bitCount_) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        default:
            return row[x];
        }
    }
    Rgb color(const std::uint8_t* row, int x) const
    {
        if (bitCount_ == 24) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
            return {p[2], p[1], p[0]};
        }
        // An index past a short colour table reads as black.
        std::size_t i = static_cast<std::size_t>(index(row, x));
        if (i >= table_.size())
            return {};
        return {table_[i].red, table_[i].green, table_[i].blue};
    }

  private:
    const std::uint8_t* bits_ = nullptr;
    std::vector<RGBQuad> table_;
    int width_ = 0, height_ = 0, bitCount_ = 0;
    std::size_t stride_ = 0;
    bool topDown_ = false;
};

bool ValidTargetSize(int width, int height)
{
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide;
}

// The source span that destination column x averages.
void ColumnSpan(int x, int srcWidth, int dstWidth, int& first, int& last)
{
    std::int64_t a = static_cast<std::int64_t>(x) * srcWidth / dstWidth;
    std::int64_t b = static_cast<std::int64_t>(x + 1) * srcWidth / dstWidth - 1;
    first = static_cast<int>(std::min<std::int64_t>(a, srcWidth - 1));
    last = static_cast<int>(std::clamp<std::int64_t>(b, first, srcWidth - 1));
}

int SourceRow(int y, int srcHeight, int dstHeight)
{
    return static_cast<int>(
        std::min<std::int64_t>(static_cast<std::int64_t>(y) * srcHeight / dstHeight, srcHeight - 1));
}

// The mean colour of source pixels first..last (inclusive) of a row.
Rgb SpanAverage(const DibView& view, const std::uint8_t* row, int first, int last)
{
    int r = 0, g = 0, b = 0;
    for (int sx = first; sx <= last; ++sx) {
        const Rgb c = view.color(row, sx);
        r += c.r;
        g += c.g;
        b += c.b;
    }
    const int n = last - first + 1;
    return {r / n, g / n, b / n};
}

// The rescaled picture as RGB, rows top-down.
std::vector<Rgb> RescaleToRgb(const DibView& view, int width, int height)
{
    std::vector<Rgb> out(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = view.row(SourceRow(y, view.height(), height));
        for (int x = 0; x < width; ++x) {
            int first, last;
            ColumnSpan(x, view.width(), width, first, last);
            out[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                SpanAverage(view, row, first, last);
        }
    }
    return out;
}

struct CubeShape {
    int shift[3];
    int mask[3];
};

const CubeShape& ShapeOf(ColorCube cube)
{
    static const CubeShape a{{0, 2, 5}, {192, 224, 192}};
    static const CubeShape b{{0, 1, 2}, {128, 128, 128}};
    return cube == ColorCube::A ? a : b;
}

int CubeChannel(const CubeShape& s, int channel, int index)
{
    int m = s.mask[channel];
    return (((index << s.shift[channel]) & m) * 255 + m / 2) / m;
}

// One Floyd-Steinberg share of an error, rounded away from zero symmetrically.
int Share(int e, int k)
{
    int v = (std::abs(e) * k + 8) / 16;
    return e < 0 ? -v : v;
}

// ---------------------------------------------------------------------------
// BMP files

// Decodes RLE8 data into bottom-up 8-bit rows. Encoders commonly run into the
// row's padding bytes, so a row reaches its padded end; runs and deltas that
// leave that or the bitmap make the whole picture unreadable.
bool DecodeRle8(std::span<const std::uint8_t> data, int height, std::size_t stride, std::uint8_t* out)
{
    std::size_t i = 0, n = data.size();
    std::int64_t x = 0, y = 0;
    const std::int64_t rowEnd = static_cast<std::int64_t>(stride);
    while (i + 1 < n) {
        int count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            if (y >= height || x + count > rowEnd)
                return false;
            std::memset(out + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x), value,
                        static_cast<std::size_t>(count));
            x += count;
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // delta
            if (i + 1 >= n)
                return false;
            x += data[i];
            y += data[i + 1];
            i += 2;
            if (x > rowEnd || y > height)
                return false;
            break;
        default: { // absolute run, padded to a 16-bit boundary
            std::size_t len = static_cast<std::size_t>(value);
            if (n - i < len || y >= height || x + value > rowEnd)
                return false;
            std::memcpy(out + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x), data.data() + i, len);
            x += value;
            i += len + (len & 1);
            break;
        }
        }
    }
    // Data that stops without an end-of-bitmap keeps what it drew.
    return true;
}

// ---------------------------------------------------------------------------
// JPEG

// Progressive files need about a dozen scans; 256 is a common decoder limit.
constexpr int kMaxJpegScans = 256;
constexpr long kMaxJpegMemory = 512L << 20;

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings that mean the data is damaged or cut short end the decode too: a
// picture half filled with grey is not what the user asked to import.
void JpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        JpegErrorExit(cinfo);
    default:
        ++cinfo->err->num_warnings;
    }
}

void JpegOutputMessage(j_common_ptr)
{
}

void JpegProgress(j_common_ptr cinfo)
{
    // Endless progressive scans cost time without adding a picture.
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
        JpegErrorExit(cinfo);
}

// The start-of-scan markers of a JPEG stream, counted by walking its
// segments and skipping entropy-coded data, up to the end-of-image marker.
// Each progressive scan makes the library pass over the whole picture again,
// so a file with too many is refused before any of them is decoded.
int CountJpegScans(std::span<const std::uint8_t> bytes)
{
    const std::size_t n = bytes.size();
    std::size_t i = 2; // after the start-of-image marker
    int scans = 0;
    while (i < n) {
        // Bytes between segments are skipped as the library skips them.
        while (i < n && bytes[i] != 0xFF)
            ++i;
        while (i < n && bytes[i] == 0xFF)
            ++i;
        if (i >= n)
            break;
        const std::uint8_t marker = bytes[i++];
        if (marker == 0xD9)
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x00)
            continue;
        if (i + 2 > n)
            break;
        const std::size_t length = static_cast<std::size_t>(bytes[i] << 8 | bytes[i + 1]);
        if (length < 2)
            break;
        i += length;
        if (marker != 0xDA)
            continue;
        if (++scans > kMaxJpegScans)
            break;
        // Entropy-coded data ends at the first marker other than a stuffed
        // zero or a restart marker.
        for (; i + 1 < n; ++i)
            if (bytes[i] == 0xFF && bytes[i + 1] != 0x00 && !(bytes[i + 1] >= 0xD0 && bytes[i + 1] <= 0xD7))
                break;
    }
    return scans;
}

struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    jpeg_progress_mgr progress;
    bool created = false;
    PackedDib dib;
    std::vector<std::uint8_t> row;
};

// Everything that lives across the library's error exit is in `job`, owned by
// the caller, so the jump back skips no destructor.
bool RunJpegDecode(JpegJob& job, const std::uint8_t* data, unsigned long size, JpegMode mode)
{
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump))
        return false;
    jpeg_create_decompress(&cinfo);
    job.created = true;
    cinfo.progress = &job.progress;
    cinfo.mem->max_memory_to_use = kMaxJpegMemory;
    jpeg_mem_src(&cinfo, data, size);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    if (cinfo.image_width < 1 || cinfo.image_height < 1 || cinfo.image_width > kMaxImageSide ||
        cinfo.image_height > kMaxImageSide)
        return false;
    if (cinfo.num_components == 1)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else if (cinfo.num_components == 3 && (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB))
        cinfo.out_color_space = JCS_RGB;
    else
        return false;
    bool quantized = mode == JpegMode::Quantized;
    if (quantized) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 236;
        cinfo.dither_mode = JDITHER_FS;
        cinfo.two_pass_quantize = TRUE;
    }
    jpeg_start_decompress(&cinfo);
    int width = static_cast<int>(cinfo.output_width), height = static_cast<int>(cinfo.output_height);
    int components = cinfo.out_color_components;
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
        (components != 1 && components != 3))
        return false;
    if (quantized && (cinfo.actual_number_of_colors < 1 || cinfo.actual_number_of_colors > 256 || !cinfo.colormap))
        return false;

    job.dib = MakeDib(width, height, quantized ? 8 : 24, std::vector<RGBQuad>(quantized ? 256 : 0));
    std::uint8_t* bits = DibBits(job.dib);
    std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, quantized ? 8 : 24));
    job.row.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(components), 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint8_t* target =
            bits + static_cast<std::size_t>(height - 1 - static_cast<int>(cinfo.output_scanline)) * stride;
        JSAMPROW rowPtr = quantized ? target : job.row.data();
        if (jpeg_read_scanlines(&cinfo, &rowPtr, 1) != 1)
            return false;
        if (quantized)
            continue;
        const std::uint8_t* src = job.row.data();
        for (int x = 0; x < width; ++x, target += 3) {
            if (components == 3) {
                target[0] = src[2];
                target[1] = src[1];
                target[2] = src[0];
                src += 3;
            } else {
                target[0] = target[1] = target[2] = *src++;
            }
        }
    }
    if (quantized) {
        std::uint8_t* table = job.dib.bytes.data() + BitmapInfoHeader::kSize;
        for (int i = 0; i < cinfo.actual_number_of_colors; ++i, table += 4) {
            if (components == 3) {
                table[0] = cinfo.colormap[2][i];
                table[1] = cinfo.colormap[1][i];
                table[2] = cinfo.colormap[0][i];
            } else {
                table[0] = table[1] = table[2] = cinfo.colormap[0][i];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

// ---------------------------------------------------------------------------

PictureKind PictureKindOf(const std::string& path)
{
    auto endsWith = [&](const char* ext) {
        std::size_t n = std::strlen(ext);
        if (path.size() < n)
            return false;
        for (std::size_t i = 0; i < n; ++i)
            if (std::toupper(static_cast<unsigned char>(path[path.size() - n + i])) != ext[i])
                return false;
        return true;
    };
    if (endsWith("BMP") || endsWith("DIB") || endsWith("RLE"))
        return PictureKind::Bitmap;
    if (endsWith("JPG") || endsWith(".JPEG"))
        return PictureKind::Jpeg;
    if (endsWith("PNG"))
        return PictureKind::Png;
    return PictureKind::None;
}

PackedDib ReadBmp(ByteSource& source)
{
    const std::uint64_t fileSize = source.size();
    auto fileHeader = source.readAt(0, 14);
    if (!fileHeader || (*fileHeader)[0] != 'B' || (*fileHeader)[1] != 'M')
        return {};
    std::uint64_t bitsOffset = LoadU32(fileHeader->data() + 10);

    auto sizeField = source.readAt(14, 4);
    if (!sizeField)
        return {};
    std::uint32_t headerSize = LoadU32(sizeField->data());
    std::int64_t width, height;
    int bitCount;
    std::uint32_t compression = BI_RGB, sizeImage = 0, clrUsed = 0;
    std::int32_t xPels = 0, yPels = 0;
    bool core = headerSize == BitmapInfoHeader::kCoreSize;
    if (core) {
        auto h = source.readAt(14, 12);
        if (!h)
            return {};
        ByteReader r(*h);
        r.skip(4);
        width = *r.u16();
        height = *r.u16();
        r.skip(2);
        bitCount = *r.u16();
    } else {
        // Later header versions only add fields after the first 40 bytes.
        if (headerSize < BitmapInfoHeader::kSize || headerSize > 124)
            return {};
        auto h = source.readAt(14, BitmapInfoHeader::kSize);
        if (!h)
            return {};
        ByteReader r(*h);
        r.skip(4);
        width = *r.i32();
        height = *r.i32();
        r.skip(2);
        bitCount = *r.u16();
        compression = *r.u32();
        sizeImage = *r.u32();
        xPels = *r.i32();
        yPels = *r.i32();
        clrUsed = *r.u32();
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        return {};
    bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide)
        return {};
    if (compression == BI_RLE8) {
        if (bitCount != 8 || topDown)
            return {};
    } else if (compression != BI_RGB) {
        return {}; // RLE4, bit fields, embedded PNG or JPEG
    }
    const std::uint64_t stride = DibRowBytes(width, bitCount);
    const std::uint64_t imageBytes = stride * static_cast<std::uint64_t>(height);
    if (imageBytes > kMaxImageBytes)
        return {};

    std::uint64_t colors = clrUsed != 0 ? clrUsed : (bitCount <= 8 ? (1u << bitCount) : 0);
    if (colors > 256)
        return {};
    const std::uint64_t entrySize = core ? 3 : 4;
    const std::uint64_t tableOffset = 14 + std::uint64_t{headerSize};
    const std::uint64_t tableBytes = colors * entrySize;
    if (tableOffset + tableBytes > fileSize)
        return {};
    std::vector<RGBQuad> table;
    // A 24-bit picture's optional table and entries past 2^bits are never indexed.
    std::uint64_t kept = bitCount <= 8 ? std::min<std::uint64_t>(colors, 1u << bitCount) : 0;
    if (kept > 0) {
        auto raw = source.readAt(tableOffset, kept * entrySize);
        if (!raw)
            return {};
        for (std::uint64_t i = 0; i < kept; ++i) {
            const std::uint8_t* p = raw->data() + i * entrySize;
            table.push_back(RGBQuad{p[0], p[1], p[2], 0});
        }
    }
    if (bitsOffset == 0)
        bitsOffset = tableOffset + tableBytes;
    if (bitsOffset >= fileSize)
        return {};

    PackedDib dib = MakeDib(static_cast<int>(width), static_cast<int>(height), bitCount, table);
    StoreU32(dib.bytes.data() + 24, static_cast<std::uint32_t>(xPels));
    StoreU32(dib.bytes.data() + 28, static_cast<std::uint32_t>(yPels));
    std::uint8_t* out = DibBits(dib);
    if (compression == BI_RGB) {
        if (imageBytes > fileSize - bitsOffset)
            return {};
        std::vector<std::uint8_t> bits;
        if (!source.readAt(bitsOffset, imageBytes, bits))
            return {};
        if (!topDown) {
            std::memcpy(out, bits.data(), static_cast<std::size_t>(imageBytes));
        } else {
            for (std::int64_t y = 0; y < height; ++y)
                std::memcpy(out + static_cast<std::size_t>((height - 1 - y) * static_cast<std::int64_t>(stride)),
                            bits.data() + static_cast<std::size_t>(y * static_cast<std::int64_t>(stride)),
                            static_cast<std::size_t>(stride));
        }
        return dib;
    }
    std::uint64_t compressed = sizeImage != 0 ? sizeImage : fileSize - bitsOffset;
    if (compressed > fileSize - bitsOffset)
        return {};
    std::vector<std::uint8_t> data;
    if (!source.readAt(bitsOffset, compressed, data))
        return {};
    if (!DecodeRle8(data, static_cast<int>(height), static_cast<std::size_t>(stride), out))
        return {};
    // Whatever ran into the padding is not part of the picture.
    for (std::int64_t y = 0; y < height; ++y)
        std::memset(out + static_cast<std::size_t>(y * static_cast<std::int64_t>(stride) + width), 0,
                    static_cast<std::size_t>(static_cast<std::int64_t>(stride) - width));
    return dib;
}

PackedDib ReadBmpFile(const std::string& path)
{
    auto file = FileReader::Open(path);
    if (!file)
        return {};
    return ReadBmp(*file);
}

JpegMode JpegModeFor(int couleursJpeg, int screenBitsPerPixel)
{
    switch (couleursJpeg) {
    case 0:
        return JpegMode::TrueColor;
    case 1:
        return JpegMode::Quantized;
    default:
        return screenBitsPerPixel == 8 ? JpegMode::Quantized : JpegMode::TrueColor;
    }
}

PackedDib DecodeJpeg(std::span<const std::uint8_t> bytes, JpegMode mode)
{
    if (bytes.empty() || bytes.size() > kMaxImageBytes || CountJpegScans(bytes) > kMaxJpegScans)
        return {};
    auto job = std::make_unique<JpegJob>();
    std::memset(&job->cinfo, 0, sizeof job->cinfo);
    std::memset(&job->progress, 0, sizeof job->progress);
    job->cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = JpegErrorExit;
    job->err.pub.emit_message = JpegEmitMessage;
    job->err.pub.output_message = JpegOutputMessage;
    job->progress.progress_monitor = JpegProgress;
    bool ok = RunJpegDecode(*job, bytes.data(), static_cast<unsigned long>(bytes.size()), mode);
    if (job->created)
        jpeg_destroy_decompress(&job->cinfo);
    if (!ok)
        return {};
    return std::move(job->dib);
}

PackedDib ReadJpegFile(const std::string& path)
{
    auto bytes = ReadWholeFile(path, kMaxImageBytes);
    if (!bytes)
        return {};
    return DecodeJpeg(*bytes, JpegModeFor(CouleursJPEG, Screen().bitsPerPixel));
}

PackedDib LoadJpegResource(std::span<const std::uint8_t> resource)
{
    int screenBits = Screen().bitsPerPixel;
    PackedDib dib = DecodeJpeg(resource, JpegModeFor(2, screenBits));
    if (dib.empty() || screenBits >= 8)
        return dib;
    auto header = dib.header();
    if (!header)
        return {};
    return ReduceToCube(dib, header->biWidth, std::abs(header->biHeight), ColorCube::B);
}

std::optional<PngPixels> ReadPngFile(const std::string& path)
{
    auto bytes = ReadWholeFile(path, kMaxImageBytes);
    if (!bytes || !HasPngSignature(*bytes))
        return std::nullopt;
    return DecodePng(*bytes);
}

PackedDib ArgbToDib(const PngPixels& pixels, COLORREF transparent)
{
    if (!ValidTargetSize(pixels.width, pixels.height) ||
        pixels.argb.size() != static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height))
        return {};
    PackedDib out = MakeDib(pixels.width, pixels.height, 24, {});
    std::uint8_t* bits = DibBits(out);
    std::size_t stride = static_cast<std::size_t>(DibRowBytes(pixels.width, 24));
    for (int y = 0; y < pixels.height; ++y) {
        std::uint8_t* target = bits + static_cast<std::size_t>(pixels.height - 1 - y) * stride;
        const std::uint32_t* src = &pixels.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.width)];
        for (int x = 0; x < pixels.width; ++x, target += 3) {
            std::uint32_t p = src[x];
            if ((p >> 24) < 128)
                p = (GetRValue(transparent) << 16) | (GetGValue(transparent) << 8) | GetBValue(transparent);
            target[0] = static_cast<std::uint8_t>(p);
            target[1] = static_cast<std::uint8_t>(p >> 8);
            target[2] = static_cast<std::uint8_t>(p >> 16);
        }
    }
    return out;
}

PictureSize FitPictureSize(int width, int height, int maxWidth, int maxHeight)
{
    if (width <= 0 || height <= 0 || maxWidth <= 0 || maxHeight <= 0)
        return {};
    if (width <= maxWidth && height <= maxHeight)
        return {width, height};
    std::int64_t fittedHeight = static_cast<std::int64_t>(maxWidth) * height / width;
    PictureSize size;
    if (maxHeight < fittedHeight)
        size = {static_cast<int>(static_cast<std::int64_t>(maxHeight) * width / height), maxHeight};
    else
        size = {maxWidth, static_cast<int>(fittedHeight)};
    // A very thin picture keeps at least one pixel across.
    size.width = std::max(size.width, 1);
    size.height = std::max(size.height, 1);
    return size;
}

PackedDib ResizeIndexed(const PackedDib& dib, int width, int height)
{
    DibView view(dib);
    if (!view.valid() || view.bitCount() != 8 || !ValidTargetSize(width, height))
        return {};
    Palette palette;
    {
        std::vector<PaletteEntry> entries;
        for (const RGBQuad& q : view.table())
            entries.push_back(PaletteEntry{q.red, q.green, q.blue, 0});
        palette = Palette(std::move(entries));
    }
    PackedDib out = MakeDib(width, height, 8, view.table());
    std::uint8_t* bits = DibBits(out);
    std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, 8));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = view.row(SourceRow(y, view.height(), height));
        std::uint8_t* target = bits + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            int first, last;
            ColumnSpan(x, view.width(), width, first, last);
            bool same = true;
            for (int sx = first + 1; sx <= last && same; ++sx)
                same = row[sx] == row[first];
            // A span of one index keeps it, even one past a short table.
            if (same) {
                target[x] = row[first];
                continue;
            }
            const Rgb c = SpanAverage(view, row, first, last);
            int index = NearestPaletteIndex(RGB(c.r, c.g, c.b), palette);
            target[x] = static_cast<std::uint8_t>(std::max(index, 0));
        }
    }
    return out;
}

PackedDib ResizeTrueColor(const PackedDib& dib, int width, int height)
{
    DibView view(dib);
    if (!view.valid() || !ValidTargetSize(width, height))
        return {};
    std::vector<Rgb> pixels = RescaleToRgb(view, width, height);
    PackedDib out = MakeDib(width, height, 24, {});
    std::uint8_t* bits = DibBits(out);
    std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, 24));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* target = bits + static_cast<std::size_t>(height - 1 - y) * stride;
        const Rgb* src = &pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)];
        for (int x = 0; x < width; ++x, target += 3) {
            target[0] = static_cast<std::uint8_t>(src[x].b);
            target[1] = static_cast<std::uint8_t>(src[x].g);
            target[2] = static_cast<std::uint8_t>(src[x].r);
        }
    }
    return out;
}

COLORREF CubeColor(ColorCube cube, int index)
{
    const CubeShape& s = ShapeOf(cube);
    return RGB(CubeChannel(s, 0, index), CubeChannel(s, 1, index), CubeChannel(s, 2, index));
}

PackedDib ReduceToCube(const PackedDib& dib, int width, int height, ColorCube cube)
{
    DibView view(dib);
    if (!view.valid() || !ValidTargetSize(width, height))
        return {};
    const CubeShape& s = ShapeOf(cube);
    std::vector<RGBQuad> table(256);
    for (int i = 0; i < 256; ++i) {
        COLORREF c = CubeColor(cube, i);
        table[static_cast<std::size_t>(i)] =
            RGBQuad{static_cast<std::uint8_t>(GetBValue(c)), static_cast<std::uint8_t>(GetGValue(c)),
                    static_cast<std::uint8_t>(GetRValue(c)), 0};
    }
    std::vector<Rgb> pixels = RescaleToRgb(view, width, height);
    PackedDib out = MakeDib(width, height, 8, table);
    std::uint8_t* bits = DibBits(out);
    std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, 8));

    // Errors carried into the current and the next row, one slot of margin
    // on each side so that the edges need no special case when adding.
    std::size_t slots = static_cast<std::size_t>(width) + 2;
    std::vector<Rgb> current(slots), next(slots);
    for (int y = 0; y < height; ++y) {
        std::fill(next.begin(), next.end(), Rgb{});
        std::uint8_t* target = bits + static_cast<std::size_t>(height - 1 - y) * stride;
        const Rgb* src = &pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)];
        bool lastRow = y == height - 1;
        for (int x = 0; x < width; ++x) {
            std::size_t at = static_cast<std::size_t>(x) + 1;
            int value[3] = {std::clamp(src[x].r + current[at].r, 0, 255), std::clamp(src[x].g + current[at].g, 0, 255),
                            std::clamp(src[x].b + current[at].b, 0, 255)};
            int index = 0;
            for (int c = 0; c < 3; ++c)
                index |= (value[c] & s.mask[c]) >> s.shift[c];
            target[x] = static_cast<std::uint8_t>(index);
            int err[3];
            for (int c = 0; c < 3; ++c)
                err[c] = value[c] - CubeChannel(s, c, index);
            bool lastColumn = x == width - 1;
            auto spread = [&](Rgb& slot, int k) {
                slot.r += Share(err[0], k);
                slot.g += Share(err[1], k);
                slot.b += Share(err[2], k);
            };
            if (!lastColumn)
                spread(current[at + 1], 7);
            if (!lastRow) {
                if (x > 0)
                    spread(next[at - 1], 3);
                spread(next[at], 5);
                if (!lastColumn)
                    spread(next[at + 1], 1);
            }
        }
        std::swap(current, next);
    }
    return out;
}

PackedDib ReduceToStandardPalette(const PackedDib& dib, int width, int height)
{
    DibView view(dib);
    if (!view.valid() || !ValidTargetSize(width, height))
        return {};
    std::vector<RGBQuad> table(256);
    const Palette& standard = StandardPalette();
    for (int i = 0; i < 256 && i < standard.size(); ++i)
        table[static_cast<std::size_t>(i)] = RGBQuad{standard[i].blue, standard[i].green, standard[i].red, 0};
    std::vector<Rgb> pixels = RescaleToRgb(view, width, height);
    PackedDib out = MakeDib(width, height, 8, table);
    std::uint8_t* bits = DibBits(out);
    std::size_t stride = static_cast<std::size_t>(DibRowBytes(width, 8));
    // The dither cell is anchored to the DIB's own rows, bottom row first.
    for (int row = 0; row < height; ++row) {
        const Rgb* src = &pixels[static_cast<std::size_t>(height - 1 - row) * static_cast<std::size_t>(width)];
        std::uint8_t* target = bits + static_cast<std::size_t>(row) * stride;
        for (int x = 0; x < width; ++x)
            target[x] =
                static_cast<std::uint8_t>(StandardDitherIndex(RGB(src[x].r, src[x].g, src[x].b), x, row, false));
    }
    return out;
}

PackedDib FitPicture(const PackedDib& picture, int maxWidth, int maxHeight, int targetBitDepth)
{
    DibView view(picture);
    if (!view.valid())
        return {};
    PictureSize size = FitPictureSize(view.width(), view.height(), maxWidth, maxHeight);
    if (!ValidTargetSize(size.width, size.height))
        return {};
    if (targetBitDepth == 8 && view.bitCount() == 8)
        return ResizeIndexed(picture, size.width, size.height);
    if (targetBitDepth > 8)
        return ResizeTrueColor(picture, size.width, size.height);
    if (targetBitDepth == 8)
        return ReduceToCube(picture, size.width, size.height, ColorCube::A);
    return ReduceToCube(picture, size.width, size.height, ColorCube::B);
}

PackedDib ImportPicture(const std::string& path, int maxWidth, int maxHeight, int targetBitDepth)
{
    PackedDib picture;
    switch (PictureKindOf(path)) {
    case PictureKind::Bitmap:
        picture = ReadBmpFile(path);
        break;
    case PictureKind::Jpeg:
        picture = ReadJpegFile(path);
        break;
    case PictureKind::Png:
        // Shrunk with its alpha first, so that edges blend before the
        // transparent pixels lose their colour.
        if (auto pixels = ReadPngFile(path)) {
            PictureSize size = FitPictureSize(pixels->width, pixels->height, maxWidth, maxHeight);
            picture = ArgbToDib(ResizeArgb(*pixels, size.width, size.height));
        }
        break;
    case PictureKind::None:
        return {};
    }
    if (picture.empty())
        return {};
    return FitPicture(picture, maxWidth, maxHeight, targetBitDepth);
}

void PlaceDibInFormat(const PackedDib& dib, CIconObject& format, int x, int y)
{
    DibView view(dib);
    if (!view.valid() || format.color.isNull() || format.mask.isNull())
        return;
    const Palette* palette = format.palette.size() > 0 ? &format.palette : nullptr;
    for (int py = 0; py < view.height(); ++py) {
        int ty = y + py;
        if (ty < 0 || ty >= format.color.height() || ty >= format.mask.height())
            continue;
        const std::uint8_t* row = view.row(py);
        for (int px = 0; px < view.width(); ++px) {
            int tx = x + px;
            if (tx < 0 || tx >= format.color.width() || tx >= format.mask.width())
                continue;
            Rgb c = view.color(row, px);
            SetImagePixel(format.color, format.mask, RGB(c.r, c.g, c.b), tx, ty, palette);
        }
    }
}

std::unique_ptr<CIconObject> ImportPictureAsFormat(const std::string& path, int width, int height, int bitDepth)
{
    if (bitDepth != 1 && bitDepth != 4 && bitDepth != 8 && bitDepth != 24)
        return nullptr;
    if (!ValidTargetSize(width, height))
        return nullptr;
    PackedDib dib = ImportPicture(path, width, height, bitDepth == 1 ? 24 : bitDepth);
    if (dib.empty())
        return nullptr;
    DibView view(dib);
    if (!view.valid())
        return nullptr;
    bool takesPalette = bitDepth == 8 && view.bitCount() == 8 && view.table().size() == 256;
    auto format = std::make_unique<CIconObject>(bitDepth, width, height, takesPalette ? 1 : 0);
    if (takesPalette) {
        std::vector<PaletteEntry> entries;
        for (const RGBQuad& q : view.table())
            entries.push_back(PaletteEntry{q.red, q.green, q.blue, 0});
        format->palette = Palette(std::move(entries));
    }
    format->CreateBitmaps();
    if (format->color.isNull() || format->mask.isNull())
        return nullptr;
    for (int py = 0; py < height; ++py)
        for (int px = 0; px < width; ++px)
            SetImagePixel(format->color, format->mask, COLOR_TRANSPARENT, px, py, &format->palette);
    PlaceDibInFormat(dib, *format, 0, 0);
    format->PackToIcon();
    return format;
}

} // namespace kavrel
