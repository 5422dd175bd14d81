#include "ui/FieldPage.h"

#include <algorithm>

#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/SLCurve.h"

namespace nl {

TSLCurve& AttributeCurve(TSLCurve& curve) {
    if ((curve.Flags & OF_RAIL_B) && curve.PartnerRail) return *curve.PartnerRail;
    return curve;
}

TFieldDesc DensityRow(int32_t min, int32_t max, std::function<bool(const TSLCurve&)> applies) {
    return {"Stitch Density",
            "per mm",
            min / 10.0,
            max / 10.0,
            1,
            [](const TSLCurve& c) { return c.Density / 10.0; },
            [min, max](TSLCurve& c, double v) { c.Density = Clamp(RoundI(v * 10), min, max); },
            std::move(applies)};
}

TFieldDesc RunLengthRow(std::string caption, std::function<bool(const TSLCurve&)> applies) {
    return {std::move(caption),
            "mm",
            0.5,
            8,
            2,
            [](const TSLCurve& c) { return c.RunLength / kUnitsPerMm; },
            [](TSLCurve& c, double v) { c.RunLength = std::max(1, RoundI(v * kUnitsPerMm)); },
            std::move(applies)};
}

TFieldDesc MinStitchRow(std::function<bool(const TSLCurve&)> applies) {
    return {"Min St. Dist",
            "mm",
            0.1,
            11,
            2,
            [](const TSLCurve& c) { return c.MinStitch() / kUnitsPerMm; },
            [](TSLCurve& c, double v) { c.SetStitchLimits(RoundI(v * kUnitsPerMm), c.MaxStitch()); },
            std::move(applies)};
}

TFieldDesc MaxStitchRow(std::function<bool(const TSLCurve&)> applies) {
    return {"Max St. Dist",
            "mm",
            4,
            20,
            2,
            [](const TSLCurve& c) { return c.MaxStitch() / kUnitsPerMm; },
            [](TSLCurve& c, double v) { c.SetStitchLimits(c.MinStitch(), RoundI(v * kUnitsPerMm)); },
            std::move(applies)};
}

} // namespace nl
