// Satin and zigzag outlines: stitches across a band that follows one Bezier path, its width given
// by the outline's width profile, with compensation, feathering, short stitches and fill split.
#pragma once
#include <cstdint>
#include <functional>

#include "core/Point.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSLCurve;
class TSLStitch;

// Density range of satin outlines (tenths of lines per mm): 0.1 to 50 per mm.
constexpr int32_t SATIN_DENSITY_MIN = 1, SATIN_DENSITY_MAX = 500;
// "Compensation" of satin outlines; each unit lengthens a stitch by 20 %.
constexpr float OUTLINE_COMPENSATION_MAX = 12.f;

// Appends the satin (or zigzag) stitches of a satin outline to `list`, pierced by its "Prog Stitch"
// pattern when it has one, without the closing steps.
// Throws TGenerationError for a path too short to hold one stitch.
// `onVisit`, when given, is shown the first point each visit emits (with short stitches, the
// point it adds to its edge chain) and the visit's path sample position; outlines joined by jumps
// turn such a point into a jump point. With short stitches the jump is carried through the
// chain's re-spacing and the pairing to the chain point nearest after it.
using TSatinVisitHook = std::function<void(TSP& point, int32_t sample)>;
void GenerateSatinOutline(TSLCurve& curve, TSLStitch& list, const TStitchContext& ctx,
                          const TSatinVisitHook& onVisit = nullptr);

// The outline generator for a satin outline: the return run, the satin stitches, their order,
// the stitch length limits and the colour point, into the curve's generated list.
void GenerateSatinOutlineList(TSLCurve& curve, const TStitchContext& ctx);

} // namespace nl
