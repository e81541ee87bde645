#pragma once
// The classic 15-bit linear-congruential generator, so that a shuffle draws the same way on every
// platform. It starts from seed 1; the program seeds it once at start-up from the clock, so that
// each session shuffles differently, and tests seed it themselves.
#include <cstdint>

namespace qv {

constexpr int kRandMax = 0x7FFF;

// Next value, 0 to 32767.
int Rand();

// Starts the sequence anew from a seed, as srand does.
void SeedRand(std::uint32_t seed);

// A seed that differs from one start of the program to the next: the clock, finer than seconds.
std::uint32_t ClockSeed();

// For tests only: puts the generator back to its initial state (seed 1).
void ResetRand();

}  // namespace qv
