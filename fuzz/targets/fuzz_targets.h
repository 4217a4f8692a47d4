// Every fuzz target by name, with its generated seeds. The libFuzzer programs
// (fuzz/NAME_fuzz.cpp), the seed writer and the corpus regression test all
// work from this table; a new target adds one line to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavrel::fuzz {

using Seed = std::vector<std::uint8_t>;

struct FuzzTarget {
    const char* name;  // the corpus folder fuzz/corpus/NAME and the program NAME_fuzz
    int (*run)(const std::uint8_t* data, std::size_t size);
    std::vector<Seed> (*seeds)();
};

const std::vector<FuzzTarget>& FuzzTargets();

// Seed corpora, made by code.
std::vector<Seed> IcoSeeds();
std::vector<Seed> DibSeeds();
std::vector<Seed> NeSeeds();
std::vector<Seed> PeSeeds();

}  // namespace kavrel::fuzz
