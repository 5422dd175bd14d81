#include "stitching/FillSplit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Errors.h"
#include "core/Geometry.h"
#include "core/Limits.h"
#include "core/Numeric.h"
#include "stitching/SLCurve.h"

namespace nl {

uint16_t EncodeFillOffset(double percent) {
    if (!std::isfinite(percent)) return 0;
    percent = Clamp(percent, -100.0, 100.0);
    if (percent >= 0) return static_cast<uint16_t>(RoundI(100.0 * percent));
    return static_cast<uint16_t>(RoundI(20000.0 - 100.0 * percent));
}

double DecodeFillOffset(uint16_t word) {
    if (word <= 10000) return word / 100.0;
    if (word < 20000) return 0.0; // no offset encodes to these
    return std::max(-100.0, (20000.0 - word) / 100.0);
}

uint32_t PackFillOffsets(double percentA, double percentB) {
    return static_cast<uint32_t>(EncodeFillOffset(percentA)) |
           (static_cast<uint32_t>(EncodeFillOffset(percentB)) << 16);
}

float ClampFillPitch(float pitch) {
    return ClampF(pitch, FILL_PITCH_MIN, FILL_PITCH_MAX, FILL_PITCH_DEFAULT);
}

TFillSettings TFillSettings::Of(const TSLCurve& curve) {
    TFillSettings s;
    s.Enabled = (curve.StitchFlags & SF_USE_FILL) != 0;
    s.Pitch = ClampFillPitch(curve.FillPitch);
    s.OffsetA = FillOffsetA(curve.FillOffsets) / 100.0 * s.Pitch * 0.5;
    s.OffsetB = (curve.StitchFlags & SF_USE_OFFSET_B) ? FillOffsetB(curve.FillOffsets) / 100.0 * s.Pitch * 0.5
                                                      : s.OffsetA;
    if (curve.StitchFlags & SF_MATCH_TOP)
        s.Match = TFillMatch::Top;
    else if (curve.StitchFlags & SF_MATCH_MIDDLE)
        s.Match = TFillMatch::Middle;
    else
        s.Match = TFillMatch::Bottom;
    return s;
}

void PointAlong(double distance, double length, double x1, double y1, double x2, double y2, double& x,
                double& y) {
    x = x1 + (x2 - x1) * distance / length;
    y = y1 + (y2 - y1) * distance / length;
}

TFillSplitter::TFillSplitter(const TFillSettings& settings)
    : s_(settings), fromStart_(settings.Match != TFillMatch::Top) {
    s_.Pitch = ClampFillPitch(static_cast<float>(s_.Pitch));
}

namespace {
double ModPitch(double v, double pitch) {
    return v - pitch * std::trunc(v / pitch);
}
} // namespace

void TFillSplitter::Split(TSLStitch& list, int32_t index, double distance, bool column) {
    if (index < 2 || index > list.Count()) return;
    const double pitch = s_.Pitch;
    const TSP& start = list[index - 2];
    const TSP& end = list[index - 1];
    const TSP& from = fromStart_ ? start : end;
    const TSP& to = fromStart_ ? end : start;
    const double len = HypotDistance(start.X, start.Y, end.X, end.Y);
    bool measureFromStart = fromStart_;
    fromStart_ = !fromStart_;
    if (!std::isfinite(len) || len <= 0.0 || !std::isfinite(distance)) return;

    // A shortened stitch keeps the pattern of its full length, aligned to the far edge.
    double full = 0.0;
    if (column && (from.Flags & SP_SHORT) && from.Class() == TPointClass::Modify &&
        std::isfinite(from.FullLength))
        full = std::max(0.0, static_cast<double>(from.FullLength));
    double q = ModPitch(distance * (measureFromStart ? s_.OffsetA : s_.OffsetB), pitch);
    if (full > 0) q -= full - len;
    if (q > 0) q -= pitch;
    if (s_.Match == TFillMatch::Middle) {
        double half = len / 2;
        if (column) {
            if (full > 0)
                half = full / 2;
            else if ((to.Flags & SP_SHORT) && to.Class() == TPointClass::Modify &&
                     std::isfinite(to.FullLength))
                half = std::max(0.0, static_cast<double>(to.FullLength)) / 2;
            q -= ModPitch(half, pitch);
        } else {
            q += ModPitch(half, pitch);
        }
    }
    if (!std::isfinite(q)) return;
    if (q <= 0) q += pitch * (std::floor(-q / pitch) + 1);
    while (q <= 0)
        q += pitch; // rounding at the boundary

    // Stitches from damaged geometry can be kilometres long: the cuts of one generation are
    // bounded, and a split beyond the bound fails the generation instead of exhausting memory.
    const double expected = (len - q) / pitch + 1;
    if (expected > 0) {
        cutsMade_ += expected;
        if (cutsMade_ > kMaxFillCuts) throw TGenerationError("fill pattern too fine for the stitch lengths");
    }
    std::vector<TSP> cuts;
    for (; q < len; q += pitch) {
        double x, y;
        PointAlong(q, len, from.X, from.Y, to.X, to.Y, x, y);
        cuts.push_back(TSP::Plain(SP_FILL, static_cast<float>(x), static_cast<float>(y)));
    }
    if (cuts.empty()) return;
    // The cuts go into the list in stitching order, from the stitch start to its end.
    if (!measureFromStart) std::reverse(cuts.begin(), cuts.end());
    int32_t at = index - 1;
    list.InsertGap(at, static_cast<int32_t>(cuts.size()));
    for (size_t i = 0; i < cuts.size(); ++i)
        list[at + static_cast<int32_t>(i)] = cuts[i];
}

void TFillSplitter::SplitAll(TSLStitch& list, double step) {
    if (list.Count() < 2) return;
    TSLStitch out;
    out.Reserve(list.Count() * 2);
    auto& src = list.Raw();
    out.Append(src[0]);
    for (size_t i = 1; i < src.size(); ++i) {
        out.Append(src[i]);
        Split(out, out.Count(), step * static_cast<double>(i), true);
    }
    // The points (and what they own) moved to `out`; the old slots must not free anything.
    src.clear();
    list.MoveAppend(out, false);
}

} // namespace nl
