// Picture import: BMP (uncompressed or RLE8) and JPEG pictures read into
// packed DIBs, fitted into an image format's size and converted to its depth.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "model/icon_model.h"
#include "model/png_image.h"
#include "platform/byte_reader.h"
#include "platform/dib.h"

namespace kavrel {

// By the name's extension, in any case: BMP, DIB and RLE are bitmap files,
// JPG and JPEG are JPEG, PNG is PNG; everything else is no picture.
enum class PictureKind { None, Bitmap, Jpeg, Png };
PictureKind PictureKindOf(const std::string& path);

// Every reader returns a packed DIB with a 40-byte header, bottom-up rows, no
// compression and 1, 4, 8 or 24 bits, or an empty one when the data cannot be
// read. Core headers and colour-table triples are widened, RLE8 is decoded,
// top-down rows are turned over.
PackedDib ReadBmp(ByteSource& source);
PackedDib ReadBmpFile(const std::string& path);

// 236 colours (8 bits, the library's Floyd-Steinberg quantisation) or 24 bits.
enum class JpegMode { Quantized, TrueColor };
// The mode for a CouleursJPEG value on a screen of the given depth.
JpegMode JpegModeFor(int couleursJpeg, int screenBitsPerPixel);
PackedDib DecodeJpeg(std::span<const std::uint8_t> bytes, JpegMode mode);
// Decodes in the mode that CouleursJPEG and the screen choose.
PackedDib ReadJpegFile(const std::string& path);
// The program's own pictures: decoded as with CouleursJPEG 2, then reduced
// to the 8-colour cube on screens of fewer than 8 bits.
PackedDib LoadJpegResource(std::span<const std::uint8_t> resource);

// A PNG file's pixels with their alpha, top-down 0xAARRGGBB. The file is
// read only up to the image byte limit and its header checked against the
// size limits before anything is decoded; nullopt for a missing, damaged or
// oversized file.
std::optional<PngPixels> ReadPngFile(const std::string& path);
// PNG pixels as a 24-bit DIB, for the depths that have no alpha: pixels of
// alpha below 128 take `transparent`, the others their colour.
PackedDib ArgbToDib(const PngPixels& pixels, COLORREF transparent = RGB(255, 255, 255));

struct PictureSize {
    int width = 0, height = 0;
    bool operator==(const PictureSize&) const = default;
};
// The size a w x h picture takes in a W x H format: shrunk keeping its
// proportions, never enlarged.
PictureSize FitPictureSize(int width, int height, int maxWidth, int maxHeight);

// Rescaling: each destination row samples one source row; each destination
// column averages its span of source pixels. The source may have any depth
// a reader returns.
// An 8-bit picture to an 8-bit DIB with the picture's own colour table.
PackedDib ResizeIndexed(const PackedDib& dib, int width, int height);
PackedDib ResizeTrueColor(const PackedDib& dib, int width, int height);

// Rescaled and reduced to a fixed colour cube with Floyd-Steinberg error
// diffusion: A is 4 x 8 x 4 (256-colour formats), B the 8 colours of black,
// white, the primaries and their mixes (16-colour and monochrome formats).
enum class ColorCube { A, B };
PackedDib ReduceToCube(const PackedDib& dib, int width, int height, ColorCube cube);
// The colour-table entry of a cube index, as 0x00BBGGRR.
COLORREF CubeColor(ColorCube cube, int index);
// Rescaled and ordered-dithered to the standard 256-colour palette, for
// showing a picture on a screen of 8 bits or fewer.
PackedDib ReduceToStandardPalette(const PackedDib& dib, int width, int height);

// Fits a picture into maxWidth x maxHeight at a target depth: 8 keeps an
// 8-bit picture's palette, 9 and more gives 24 bits, 8 otherwise cube A,
// below 8 cube B. A monochrome format asks for 24.
PackedDib FitPicture(const PackedDib& picture, int maxWidth, int maxHeight, int targetBitDepth);
// Reads the picture by its kind and fits it; empty for a missing file, an
// unknown kind or a failed read.
PackedDib ImportPicture(const std::string& path, int maxWidth, int maxHeight, int targetBitDepth);

// Draws a DIB into a format's bitmaps at (x, y) as opaque pixels; what lies
// outside the format is clipped.
void PlaceDibInFormat(const PackedDib& dib, CIconObject& format, int x, int y);

// A new image format of width x height at bitDepth (1, 4, 8 or 24) holding the
// imported picture at its top-left, opaque, and transparent elsewhere. An
// 8-bit format takes the picture's palette when the picture brings 256
// colours. Null when the picture cannot be read or the format is invalid.
std::unique_ptr<CIconObject> ImportPictureAsFormat(const std::string& path, int width, int height, int bitDepth);

} // namespace kavrel
