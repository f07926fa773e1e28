// Test support: how many random programs a check runs, and in which blocks.
//
// A random check runs its full count in an optimised build and a tenth of it under the
// sanitizers or without optimisation, where each program costs ten to forty times as much.
// Its programs are split into blocks, one test each (INSTANTIATE_TEST_SUITE_P over
// Range(0, kBlocks)), so that no single test comes near its time limit on a busy machine
// and the blocks run side by side. A seed names one program whatever the build: the slow
// builds run the first seeds of each block, and failure messages give the seed.
#ifndef RANDOM_BLOCKS_H
#define RANDOM_BLOCKS_H

#include <cstdlib>

namespace random_blocks {

#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
constexpr bool kSlowBuild = true;
#else
constexpr bool kSlowBuild = false;
#endif

constexpr int kBlocks = 10;

// The programs of a check run in this build: full, or a tenth of it (at least one per block).
constexpr unsigned scaled(unsigned full) {
  return !kSlowBuild ? full : (full / 10 < kBlocks ? kBlocks : full / 10);
}

// The seeds of one block of a check of `full` programs from seed `first`: [begin, end).
struct Seeds {
  unsigned begin, end;
};

// Block `block` of the `full` programs from `first` (split in kBlocks runs of equal length);
// in a slow build only the first scaled(full) / kBlocks seeds of the block.
constexpr Seeds block_seeds(int block, unsigned full, unsigned first = 1) {
  const unsigned per_block = (full + kBlocks - 1) / kBlocks;
  const unsigned run = scaled(full) / kBlocks < per_block ? scaled(full) / kBlocks : per_block;
  const unsigned begin = first + static_cast<unsigned>(block) * per_block;
  return Seeds{begin, begin + run};
}

// A count taken from the environment variable `name` when it is set, else `otherwise`: lets
// a developer run a check once over many more programs (e.g. ZARIM_MULTI_PROGRAMS=5000).
inline unsigned from_environment(const char* name, unsigned otherwise) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : otherwise;
}

}  // namespace random_blocks

#endif
