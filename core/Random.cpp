#include "core/Random.h"

#include <chrono>

namespace nl {

uint32_t ClockSeed() {
    // Both clocks are mixed so that two seeds drawn in quick succession still differ.
    auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    uint64_t v = static_cast<uint64_t>(wall) ^ (static_cast<uint64_t>(mono) * 0x9E3779B97F4A7C15ull);
    static uint32_t calls = 0; // successive calls within one clock tick still give new seeds
    v += 0x632BE59BD9B4E019ull * ++calls;
    return static_cast<uint32_t>(v ^ (v >> 32));
}

} // namespace nl
