// Fixtures for the kavrel-cli tests: ICO files built byte by byte (so that
// they do not depend on the writer under test), a runner for the real binary
// and a PNG reader.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include "support/external_tools.h"

namespace kavrel::test {

// One classic or 32-bit image. `pixel` gives a palette index for 1, 4 and 8
// bits, 0xRRGGBB for 24 bits and 0xAARRGGBB for 32 bits; `mask` true means
// the AND bit is set. Coordinates are top-down.
struct FixtureImage {
    int width = 16, height = 16, bitCount = 4;
    std::vector<std::uint32_t> table;  // 0xRRGGBB entries for 1, 4, 8 bits
    std::function<std::uint32_t(int x, int y)> pixel;
    std::function<bool(int x, int y)> mask;

    std::vector<std::uint8_t> Packed() const;
    // The colour the pixel has in the composite rule: mask ANDed onto the
    // background, then the colour XORed.
    std::uint32_t Composite(int x, int y, std::uint32_t background) const;
};

// An ICO file with the images in the given order; `gap` bytes of junk are put
// before each image so that offsets are not simply contiguous. The image
// offsets are returned in `offsets`.
std::vector<std::uint8_t> BuildIco(const std::vector<FixtureImage>& images, std::size_t gap = 0,
                                   std::vector<std::uint32_t>* offsets = nullptr);

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

struct RunResult {
    int status = -1;
    std::string out, err;
};
// Runs `program` with `args`, capturing both streams.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args);
RunResult RunCli(const std::vector<std::string>& args);

// Pixels of a PNG file as top-down 0xAARRGGBB.
struct PngFile {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};
std::optional<PngFile> ReadPngFile(const std::filesystem::path& path);

// A fresh temporary folder, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace kavrel::test
