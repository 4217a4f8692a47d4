// kavrel_fuzz_seeds DIR: writes each target's generated seeds to DIR/NAME/.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fuzz/targets/fuzz_targets.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kavrel_fuzz_seeds DIR\n");
        return 2;
    }
    namespace fs = std::filesystem;
    for (const auto& target : kavrel::fuzz::FuzzTargets()) {
        const fs::path dir = fs::path(argv[1]) / target.name;
        fs::create_directories(dir);
        int n = 0;
        for (const auto& seed : target.seeds()) {
            std::ofstream f(dir / ("seed-" + std::to_string(++n)), std::ios::binary | std::ios::trunc);
            f.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
            if (!f) {
                std::fprintf(stderr, "kavrel_fuzz_seeds: cannot write %s\n", dir.c_str());
                return 1;
            }
        }
    }
    return 0;
}
