// Compensation and short stitches of columns: ShortenLast stops a stitch short of the shorter
// edge where one rail point serves several stitches, and CompensateAndFeather pushes the stitch
// ends of a finished column list outwards (by a share of the local width or by feathering).
#pragma once
#include <cstdint>

#include "core/Random.h"
#include "stitching/SLStitch.h"
#include "stitching/StitchContext.h"

namespace nl {

class TFeather;

// Which point of the list's last pair is shortened: A is the first point of the pair (index
// n - 1), B the last point (index n).
enum class TShortSide : uint8_t { A, B };

// Replaces the A or B point of the last pair by a short-stitch point (TSP::Modify) 50 to 80 % of
// the way from the opposite side. Lists of fewer than 4 points have no previous pair to measure
// from and are left alone.
void ShortenLast(TSLStitch& list, TShortSide side, TRandom& rng);

// Compensation counts while the view shows it and always when an export is written.
bool CompensationActive(double value, const TStitchContext& ctx);

// The per-point pass over a finished column list (pairs of alternating sides). `percent` is the
// compensation in per cent of the local width, used when `compensate` is set; feathering takes
// precedence on its active side. Short-stitch points stay where they are; fill points are neither
// moved nor counted as neighbours.
void CompensateAndFeather(TSLStitch& list, const TFeather* feather, bool compensate, double percent,
                          TRandom& rng);

} // namespace nl
