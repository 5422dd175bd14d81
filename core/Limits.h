// The generators' safety caps, in one place. An object whose attributes would need more than
// these is left without stitches (a TGenerationError, and Restitch switches it off) instead of
// exhausting memory or time: far beyond any real design, and a bound on what a hostile file can
// make us build.
#pragma once
#include <cstddef>
#include <cstdint>

namespace nl {

// Needle points of one running stitch outline or chain: 2 million.
constexpr int64_t kMaxRunPoints = 2000000;
// Points one walk along a curve may place: 1 million (the path length over the step may be up to
// four times this before the walk is refused outright).
constexpr int64_t kMaxWalkPoints = 1000000;
// Points of one satin outline edge run: 5 million.
constexpr double kMaxSatinPoints = 5.0e6;
// Points the splitting of long stitches may add to one list: 5 million.
constexpr double kMaxSplitPoints = 5.0e6;
// Needle points of one region fill: 4 million.
constexpr size_t kMaxFillPoints = 4000000;
// Cut points one fill pattern split may insert: 4 million.
constexpr double kMaxFillCuts = 4.0e6;
// Pixels of the fill raster (2^28, a 32 MiB bitmap); a bigger region gives no fill.
constexpr int64_t kMaxRasterPixels = int64_t(1) << 28;

} // namespace nl
