// Feathering: stitch ends pushed outwards (or pulled in) by reproducible random amounts.
#pragma once
#include <cstdint>
#include <memory>

#include "core/Random.h"
#include "stitching/CurveParts.h"

namespace nl {

// Bits of TFeather::FeatherFlags.
enum : uint32_t { FF_ABOVE = 0x1, FF_BELOW = 0x2, FF_AUTO_ABOVE = 0x4, FF_AUTO_BELOW = 0x8 };

// Dialog ranges: "Feather Width" 0 to 50 mm (stored x 20), "Times Height" -0.99999 to 10.001.
constexpr int32_t FEATHER_WIDTH_MAX = 1000;
constexpr float FEATHER_SCALE_MIN = -0.99999f, FEATHER_SCALE_MAX = 10.001f;

inline bool FeatherAbove(const TFeather* f) {
    return f && (f->FeatherFlags & FF_ABOVE);
}
inline bool FeatherBelow(const TFeather* f) {
    return f && (f->FeatherFlags & FF_BELOW);
}
inline bool FeatherActive(const TFeather* f) {
    return FeatherAbove(f) || FeatherBelow(f);
}

// A new record with the default settings and a seed from the clock.
std::unique_ptr<TFeather> NewFeather();

// The new distance of a stitch end that lies `u` from its reference: u + r * scale * D, with D
// the column width (auto mode) or the fixed feather width. Never below 0, so a negative scale can
// pull an end back to the reference but never across it.
double FeatherAmount(const TFeather& f, bool above, double u, TRandom& rng);

// "New Random Seed": a fresh seed from the clock, always different from the old one.
void NewRandomSeed(TFeather& f);

} // namespace nl
