// Fixtures for the librarian's tests: icons made in code, temporary folder
// trees, and a beeper that counts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "librarian/store.h"
#include "model/icon_model.h"

namespace kavrel::test {

// A 16-colour icon of the given side whose pixels depend on `seed`.
CIcon MakeLibIcon(int side, std::uint8_t seed);
CIconGroup MakeLibGroup(const std::string& name, std::uint8_t seed, int formats = 1);
std::vector<CIconGroup> MakeLibGroups(const std::vector<std::string>& names);
// The names of a library's icons as read back from disk; nullopt-like empty
// vector plus `ok` false when unreadable.
std::vector<std::string> LibraryNames(const std::string& path, bool* ok = nullptr);
void WriteLibrary(const std::string& path, const std::vector<std::string>& names);
void Touch(const std::string& path, const std::string& content = "x");

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

  private:
    std::string path_;
};

class CountingBeeper final : public Beeper {
  public:
    CountingBeeper() { SetBeeper(this); }
    ~CountingBeeper() override { SetBeeper(nullptr); }
    void Beep() override { ++beeps; }
    int beeps = 0;
};

} // namespace kavrel::test
