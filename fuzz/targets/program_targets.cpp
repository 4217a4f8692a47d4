#include "fuzz/targets/program_targets.h"

#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "model/icl_file.h"
#include "model/program_file.h"
#include "platform/byte_reader.h"

namespace kavrel::fuzz {
namespace {

[[noreturn]] void Mismatch(const char* what)
{
    std::fprintf(stderr, "library round trip: %s\n", what);
    std::abort();
}

std::vector<CIconGroup> Read(const std::uint8_t* data, std::size_t size)
{
    MemorySource source(std::span<const std::uint8_t>(data, size));
    std::vector<CIconGroup> groups;
    ReadProgramFileIcons(groups, source);
    return groups;
}

}  // namespace

int FuzzNeReader(const std::uint8_t* data, std::size_t size)
{
    const std::vector<CIconGroup> groups = Read(data, size);
    if (groups.empty())
        return 0;
    auto library = BuildIconLibrary(groups);
    if (!library)
        return 0;  // more than the format can hold
    MemorySource source(*library);
    std::vector<CIconGroup> again;
    ReadProgramFileIcons(again, source);
    if (again.size() != groups.size())
        Mismatch("icon count changed");
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (again[i].FormatCount() != groups[i].FormatCount())
            Mismatch("format count changed");
        for (int f = 0; f < groups[i].FormatCount(); ++f)
            if (again[i].GetFormat(f)->image != groups[i].GetFormat(f)->image)
                Mismatch("image bytes changed");
    }
    return 0;
}

int FuzzPeReader(const std::uint8_t* data, std::size_t size)
{
    (void)Read(data, size);
    return 0;
}

}  // namespace kavrel::fuzz
