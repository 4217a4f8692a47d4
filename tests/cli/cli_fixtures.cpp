#include "cli/cli_fixtures.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include <png.h>

extern char** environ;

namespace kavrel::test {
namespace {

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
std::size_t RowBytes(int width, int bits)
{
    return static_cast<std::size_t>((bits * width + 31) / 32) * 4;
}

} // namespace

std::vector<std::uint8_t> FixtureImage::Packed() const
{
    std::vector<std::uint8_t> b;
    const std::size_t tableSize = bitCount <= 8 ? table.size() : 0;
    const std::size_t xorRow = RowBytes(width, bitCount), andRow = RowBytes(width, 1);
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(2 * height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bitCount));
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(xorRow * height));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(tableSize));
    Put32(b, static_cast<std::uint32_t>(tableSize));
    for (std::size_t i = 0; i < tableSize; ++i)
        Put32(b, table[i] & 0xFFFFFF);
    for (int y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(xorRow, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixel(x, y);
            switch (bitCount) {
            case 1:
                row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[x] = static_cast<std::uint8_t>(v);
                break;
            case 24:
            case 32:
                row[x * (bitCount / 8)] = static_cast<std::uint8_t>(v);
                row[x * (bitCount / 8) + 1] = static_cast<std::uint8_t>(v >> 8);
                row[x * (bitCount / 8) + 2] = static_cast<std::uint8_t>(v >> 16);
                if (bitCount == 32)
                    row[x * 4 + 3] = static_cast<std::uint8_t>(v >> 24);
                break;
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    for (int y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(andRow, 0);
        for (int x = 0; x < width; ++x)
            if (mask && mask(x, y))
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

std::uint32_t FixtureImage::Composite(int x, int y, std::uint32_t background) const
{
    const std::uint32_t v = pixel(x, y);
    if (bitCount == 32) {
        // Blended with its alpha, rounded to the nearest.
        const std::uint32_t a = v >> 24;
        std::uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const std::uint32_t c = (v >> shift) & 0xFF, b = (background >> shift) & 0xFF;
            out |= ((c * a + b * (255 - a) + 127) / 255) << shift;
        }
        return out;
    }
    const std::uint32_t color = bitCount <= 8 ? table.at(v) : v & 0xFFFFFF;
    const bool m = mask && mask(x, y);
    return ((m ? background : 0) ^ color) & 0xFFFFFF;
}

std::vector<std::uint8_t> BuildIco(const std::vector<FixtureImage>& images, std::size_t gap,
                                   std::vector<std::uint32_t>* offsets)
{
    std::vector<std::uint8_t> dir, data;
    Put16(dir, 0);
    Put16(dir, 1);
    Put16(dir, static_cast<std::uint32_t>(images.size()));
    const std::size_t start = 6 + 16 * images.size();
    if (offsets)
        offsets->clear();
    for (const FixtureImage& image : images) {
        data.insert(data.end(), gap, 0xA5);
        const std::vector<std::uint8_t> packed = image.Packed();
        const auto offset = static_cast<std::uint32_t>(start + data.size());
        dir.push_back(static_cast<std::uint8_t>(image.width));
        dir.push_back(static_cast<std::uint8_t>(image.height));
        dir.push_back(static_cast<std::uint8_t>(image.bitCount <= 4 ? (1u << image.bitCount) : 0));
        dir.push_back(0);
        Put16(dir, 1);
        Put16(dir, static_cast<std::uint32_t>(image.bitCount));
        Put32(dir, static_cast<std::uint32_t>(packed.size()));
        Put32(dir, offset);
        if (offsets)
            offsets->push_back(offset);
        data.insert(data.end(), packed.begin(), packed.end());
    }
    dir.insert(dir.end(), data.begin(), data.end());
    return dir;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

static std::string Slurp(const std::filesystem::path& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args)
{
    TempDir capture;
    const std::string outPath = (capture / "out").string(), errPath = (capture / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    RunResult r;
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid)
            r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    r.out = Slurp(outPath);
    r.err = Slurp(errPath);
    return r;
}

RunResult RunCli(const std::vector<std::string>& args)
{
    return RunProgram(KAVREL_CLI_PATH, args);
}

std::optional<PngFile> ReadPngFile(const std::filesystem::path& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return std::nullopt;
    image.format = PNG_FORMAT_BGRA; // little-endian words of 0xAARRGGBB
    PngFile png;
    png.width = static_cast<int>(image.width);
    png.height = static_cast<int>(image.height);
    png.argb.resize(static_cast<std::size_t>(png.width) * png.height);
    if (!png_image_finish_read(&image, nullptr, png.argb.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return png;
}

TempDir::TempDir()
{
    std::random_device rd;
    for (;;) {
        path_ = std::filesystem::temp_directory_path() / ("kavrel-cli-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(path_))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

} // namespace kavrel::test
