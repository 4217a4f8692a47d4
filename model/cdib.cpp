#include "model/cdib.h"

#include <algorithm>
#include <cstdlib>

#include "model/icon_model.h"
#include "model/palettes.h"
#include "platform/screen.h"

namespace kavrel {

namespace {

bool SupportedBitCount(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

} // namespace

std::uint64_t CDIB::BlockSize(const BitmapInfoHeader& header)
{
    const std::int64_t width = header.biWidth;
    const std::int64_t height = std::llabs(static_cast<long long>(header.biHeight));
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        !SupportedBitCount(header.biBitCount))
        return 0;

    std::uint64_t colors = header.biClrUsed;
    if (colors == 0 && header.biBitCount <= 8)
        colors = 1ull << header.biBitCount;
    if (colors > 256)
        return 0;
    std::uint64_t table = colors * (header.isCore() ? 3 : 4);
    if (header.biCompression == BI_BITFIELDS)
        table += 12;

    std::uint64_t bits = static_cast<std::uint64_t>(height) * DibRowBytes(width, header.biBitCount);
    // Run-length rows have no fixed size: the header says how many bytes they take.
    if (header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4)
        bits = header.biSizeImage;
    const std::uint64_t size = header.biSize + table + bits;
    return size <= kMaxImageBytes ? size : 0;
}

int CDIB::width() const
{
    const auto header = dib_.header();
    return header ? header->biWidth : 0;
}

int CDIB::height() const
{
    const auto header = dib_.header();
    return header ? std::abs(header->biHeight) : 0;
}

void CDIB::SetDib(PackedDib dib)
{
    dib_ = std::move(dib);
    palette_ = dib_.empty() ? Palette() : DibPalette(dib_);
}

void CDIB::Clear()
{
    dib_ = PackedDib();
    palette_ = Palette();
}

void CDIB::Store(ByteWriter& out) const
{
    const auto header = dib_.header();
    const std::uint64_t count = header ? BlockSize(*header) : 0;
    if (count == 0) {
        out.u32(0);
        return;
    }
    out.u32(1);
    out.u32(static_cast<std::uint32_t>(count));
    // The count is what the header describes; a block that stops short is
    // padded so that the stored form always holds as many bytes as it says.
    const std::span<const std::uint8_t> block(dib_.bytes);
    std::uint64_t written = 0;
    while (written < count) {
        const std::uint64_t piece = std::min<std::uint64_t>(kPieceSize, count - written);
        const std::uint64_t available =
            written < block.size() ? std::min<std::uint64_t>(piece, block.size() - written) : 0;
        out.bytes(block.subspan(static_cast<std::size_t>(written), static_cast<std::size_t>(available)));
        out.zeros(static_cast<std::size_t>(piece - available));
        written += piece;
    }
}

bool CDIB::Load(ByteReader& in)
{
    const std::uint64_t start = in.pos();
    auto fail = [&] {
        in.seek(start);
        return false;
    };

    const auto flag = in.u32();
    if (!flag)
        return fail();
    if (*flag == 0) {
        Clear();
        return true;
    }
    const auto count = in.u32();
    if (!count || *count < BitmapInfoHeader::kCoreSize || *count > in.remaining() || *count > kMaxImageBytes)
        return fail();

    PackedDib dib;
    dib.bytes.reserve(*count);
    std::uint64_t read = 0;
    while (read < *count) {
        const auto piece = in.bytes(std::min<std::uint64_t>(kPieceSize, *count - read));
        if (!piece)
            return fail();
        dib.bytes.insert(dib.bytes.end(), piece->begin(), piece->end());
        read += piece->size();
    }

    const auto header = BitmapInfoHeader::Parse(dib.bytes);
    if (!header)
        return fail();
    const std::uint64_t needed = BlockSize(*header);
    if (needed == 0 || needed > dib.bytes.size())
        return fail();
    SetDib(std::move(dib));
    return true;
}

Rect CDIB::FitRect(const Rect& target) const
{
    const std::int64_t w = width(), h = height();
    const Rect area = target.normalized();
    const std::int64_t aw = area.width(), ah = area.height();
    if (w <= 0 || h <= 0 || aw <= 0 || ah <= 0)
        return {};
    std::int64_t dw, dh;
    if (w * ah <= h * aw) {
        dh = ah;
        dw = std::max<std::int64_t>(1, w * ah / h);
    } else {
        dw = aw;
        dh = std::max<std::int64_t>(1, h * aw / w);
    }
    const int left = area.left + static_cast<int>((aw - dw) / 2);
    const int top = area.top + static_cast<int>((ah - dh) / 2);
    return Rect{left, top, left + static_cast<int>(dw), top + static_cast<int>(dh)};
}

void CDIB::Draw(DC& dc, const Rect& target) const
{
    const Rect fit = FitRect(target);
    if (fit.empty())
        return;
    auto bitmap = DibToBitmap(dib_);
    if (!bitmap || bitmap->isNull())
        return;

    const auto header = dib_.header();
    if (Screen().bitsPerPixel <= 8 && header && header->biBitCount > 8) {
        const Palette& standard = StandardPalette();
        for (int y = 0; y < bitmap->height(); ++y)
            for (int x = 0; x < bitmap->width(); ++x) {
                const COLORREF c = bitmap->pixel(x, y);
                bitmap->setRawPixel(x, y, PixelFromColorRef(standard.colorRef(StandardDitherIndex(c, x, y, false))));
            }
    }

    const DC source(*bitmap);
    if (fit.width() == bitmap->width() && fit.height() == bitmap->height())
        BitBlt(dc, fit.left, fit.top, fit.width(), fit.height(), source, 0, 0, SRCCOPY);
    else
        StretchBlt(dc, fit.left, fit.top, fit.width(), fit.height(), source, 0, 0, bitmap->width(), bitmap->height(),
                   SRCCOPY);
}

} // namespace kavrel
