#include "librarian_fixtures.h"

#include <stdlib.h>

#include <fstream>

#include "model/icl_file.h"
#include "model/program_file.h"
#include "platform/byte_reader.h"

namespace kavrel::test {

namespace fs = std::filesystem;

CIcon MakeLibIcon(int side, std::uint8_t seed)
{
    CIcon icon;
    icon.AllocateImage(side, side, 16);
    std::uint8_t* h = icon.image.data();
    StoreU32(h, 40);
    StoreU32(h + 4, static_cast<std::uint32_t>(side));
    StoreU32(h + 8, static_cast<std::uint32_t>(side * 2));
    StoreU16(h + 12, 1);
    StoreU16(h + 14, 4);
    // The colour table and XOR bits follow the 40-byte header; the AND mask
    // stays clear so every pixel is opaque.
    const std::size_t bits = 40 + 16 * 4;
    for (int i = 0; i < 16; ++i) {
        icon.image[40 + 4 * i] = static_cast<std::uint8_t>(i * 16);
        icon.image[40 + 4 * i + 1] = static_cast<std::uint8_t>(255 - i * 16);
        icon.image[40 + 4 * i + 2] = static_cast<std::uint8_t>(i * 7 + seed);
    }
    const std::size_t xorBytes = static_cast<std::size_t>(side) * side / 2;
    for (std::size_t i = 0; i < xorBytes; ++i)
        icon.image[bits + i] = static_cast<std::uint8_t>(seed + i * 3);
    return icon;
}

CIconGroup MakeLibGroup(const std::string& name, std::uint8_t seed, int formats)
{
    CIconGroup g;
    g.name = name;
    static constexpr int kSides[3] = {16, 32, 48};
    for (int i = 0; i < formats; ++i)
        g.AddFormat(MakeLibIcon(kSides[i % 3], static_cast<std::uint8_t>(seed + i)));
    return g;
}

std::vector<CIconGroup> MakeLibGroups(const std::vector<std::string>& names)
{
    std::vector<CIconGroup> groups;
    std::uint8_t seed = 1;
    for (const auto& n : names)
        groups.push_back(MakeLibGroup(n, seed++));
    return groups;
}

std::vector<std::string> LibraryNames(const std::string& path, bool* ok)
{
    std::vector<CIconGroup> groups;
    const bool exists = fs::exists(path);
    if (exists)
        ReadProgramFileIcons(groups, path);
    if (ok)
        *ok = exists;
    std::vector<std::string> names;
    for (const auto& g : groups)
        names.push_back(g.name);
    return names;
}

void WriteLibrary(const std::string& path, const std::vector<std::string>& names)
{
    WriteIconLibrary(path, MakeLibGroups(names));
}

void Touch(const std::string& path, const std::string& content)
{
    std::ofstream(path) << content;
}

TempTree::TempTree()
{
    std::string pattern = (fs::temp_directory_path() / "kavrel-lib-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
}

TempTree::~TempTree()
{
    std::error_code ec;
    // Make any folder a test locked writable again before removing.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

} // namespace kavrel::test
