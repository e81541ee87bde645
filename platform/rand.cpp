#include "platform/rand.h"

#include <atomic>

namespace qv {
namespace {
std::atomic<std::uint32_t> g_seed{1};
}

int Rand() {
    std::uint32_t seed = g_seed.load(std::memory_order_relaxed) * 214013u + 2531011u;
    g_seed.store(seed, std::memory_order_relaxed);
    return static_cast<int>((seed >> 16) & 0x7FFF);
}

void ResetRand() { g_seed.store(1, std::memory_order_relaxed); }

}  // namespace qv
