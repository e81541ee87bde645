#include "platform/rand.h"

#include <atomic>
#include <chrono>

namespace qv {
namespace {
std::atomic<std::uint32_t> g_seed{1};
}

int Rand() {
    std::uint32_t seed = g_seed.load(std::memory_order_relaxed) * 214013u + 2531011u;
    g_seed.store(seed, std::memory_order_relaxed);
    return static_cast<int>((seed >> 16) & 0x7FFF);
}

void SeedRand(std::uint32_t seed) {
    g_seed.store(seed, std::memory_order_relaxed);
}

std::uint32_t ClockSeed() {
    auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    auto value = static_cast<std::uint64_t>(ticks);
    return static_cast<std::uint32_t>(value ^ (value >> 32));
}

void ResetRand() {
    SeedRand(1);
}

}  // namespace qv
