#pragma once
// The classic 15-bit linear-congruential generator, so that a shuffle gives the same order on
// every platform. It starts from seed 1 and is never reseeded by the program.
#include <cstdint>

namespace qv {

constexpr int kRandMax = 0x7FFF;

// Next value, 0 to 32767.
int Rand();

// For tests only: puts the generator back to its initial state (seed 1).
void ResetRand();

}  // namespace qv
