// Builders of test fixtures: packed images, ICO files, and 16-bit and PE
// modules holding icon resources, made byte by byte so that tests can also
// damage them on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/icon_model.h"
#include "support/external_tools.h"

namespace kavrel::test {

using Bytes = std::vector<std::uint8_t>;

// A classic packed image (header, colour table, XOR and AND bits) whose body
// bytes are a pattern of `seed`, so that images differ.
Bytes MakePackedImage(int width, int height, int colorCount, std::uint8_t seed);
CIcon MakeIcon(int width, int height, int colorCount, std::uint8_t seed);

// A group directory (6-byte header, 14-byte entries) naming the given images.
struct GroupEntry {
    const Bytes* image;
    std::uint16_t id;
};
Bytes MakeGroupDirectory(const std::vector<GroupEntry>& entries);

// An ICO file of the images in order.
Bytes MakeIcoFile(const std::vector<Bytes>& images);

struct NeResource {
    std::uint16_t type; // 0x8003, 0x800E, ...
    std::uint16_t id;   // 0x8001, ... (top bit: integer identifier)
    Bytes data;
};
struct NeOptions {
    std::uint8_t windowsVersion = 3;
    unsigned shift = 4;
    bool iclNames = false; // resident names "ICL" then `names`; else a module name
    std::vector<std::string> names;
};
// Types are written in the order they first appear in `resources`.
Bytes BuildNe(const std::vector<NeResource>& resources, const NeOptions& options = {});

struct PeResource {
    std::uint32_t type;
    std::uint32_t id; // used when name is empty
    std::string name;
    std::uint16_t language;
    Bytes data;
};
constexpr std::uint64_t kPeResourceBase = 0x200;
Bytes BuildPe(const std::vector<PeResource>& resources, bool pe32plus = false);

// A program built by the mingw tool chain of `arch` ("i686", "x86_64") in
// dir from resource script lines (files named there are read from dir); a
// library when dll. Empty when the tools are missing or the build fails.
bool HaveMingw(const std::string& arch);
std::string BuildMingwProgram(const std::string& dir, const std::string& name, const std::string& script, bool dll,
                              const std::string& arch = "i686");

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
// A fresh empty folder for one test.
std::string TempFolder(const std::string& name);

} // namespace kavrel::test
