// Every fuzz target by name, with its generated seeds. The libFuzzer programs
// (fuzz/NAME_fuzz.cpp), the seed writer and the corpus regression test all
// work from this table; a new target adds one line to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "model/icon_model.h"

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
std::vector<Seed> PayloadSeeds();

// Fixture builders, shared with the benchmarks. A PE32 file with one .rsrc
// section holding resources by integer type and identifier (language 0x409),
// and an RT_GROUP_ICON directory naming images by identifier.
using PeResources = std::map<std::uint32_t, std::map<std::uint32_t, Seed>>;
Seed BuildPe(const PeResources& resources);
Seed GroupDirectory(const std::vector<std::pair<const CIcon*, std::uint16_t>>& entries);

}  // namespace kavrel::fuzz
