// TRandom: the 32-bit linear congruential generator behind feathering and short stitches.
// Each generation owns its generator and seeds it from the object, so stitches depend only on the
// object that produces them.
#pragma once
#include <cstdint>

namespace nl {

// Seed of every curved column without a feather, and of satin outlines without one.
constexpr uint32_t FIXED_COLUMN_SEED = 0x16B9FC86;

class TRandom {
public:
    explicit TRandom(uint32_t seed = FIXED_COLUMN_SEED) : State(seed) {}

    uint32_t State;

    void Seed(uint32_t seed) { State = seed; }
    // x := x * 134775813 + 1 (mod 2^32); the value is x / 2^32, in [0, 1).
    double Next() {
        State = State * 134775813u + 1u;
        return static_cast<double>(State) / 4294967296.0;
    }
};

// A seed drawn from the clock, for new feather records and "New Random Seed".
uint32_t ClockSeed();

} // namespace nl
