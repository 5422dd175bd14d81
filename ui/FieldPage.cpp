#include "ui/FieldPage.h"

#include <algorithm>
#include <cstdio>

#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
std::string Trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}
} // namespace

std::string BoundText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.5f", v);
    std::string s = buf;
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string RangeRefusal(const std::string& caption, const std::string& entered, double min, double max,
                         const std::string& unit) {
    // "count" names what is counted; "1 to 50" says it already.
    const std::string u = Trimmed(unit) == "count" ? std::string() : Trimmed(unit);
    return Trimmed(caption) + ": " + Trimmed(entered) + " is outside the range " + BoundText(min) + " to " +
           BoundText(max) + (u.empty() ? "" : " " + u) + ". The previous value is kept.";
}

std::string NumberRefusal(const std::string& caption, const std::string& entered) {
    return Trimmed(caption) + ": \"" + Trimmed(entered) + "\" is not a number. The previous value is kept.";
}

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
