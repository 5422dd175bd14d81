#include "stitching/SatinOutline.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Errors.h"
#include "core/Geometry.h"
#include "core/Limits.h"
#include "core/Numeric.h"
#include "core/Random.h"
#include "stitching/Column.h"
#include "stitching/Compensation.h"
#include "stitching/Feather.h"
#include "stitching/FillSplit.h"
#include "stitching/Line.h"
#include "stitching/Overlay.h"
#include "stitching/Running.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

int32_t SampleOf(const TWalkVisit& v) {
    return static_cast<int32_t>((static_cast<float>(v.Segment) + v.T) / kSampleStep);
}

// The sections of the profile as the generator sees them: start samples made non-decreasing so
// that a damaged profile cannot send the section search backwards.
std::vector<int32_t> SectionStarts(const TOutlineList& profile, int32_t lastSample) {
    std::vector<int32_t> starts;
    int32_t prev = 0;
    for (int32_t i = 0; i < profile.Count(); ++i) {
        int32_t s = Clamp(profile[i]->StartSample, prev, lastSample);
        if (i == 0) s = 0;
        starts.push_back(s);
        prev = s;
    }
    return starts;
}

// Section lengths as the stitch walk will see them: chords summed per section, a chord that
// crosses an anchor split at the anchor.
void MeasureSections(const TSLCurve& curve, TOutlineList& profile, const std::vector<int32_t>& starts,
                     double s) {
    const int32_t count = profile.Count();
    std::vector<double> len(static_cast<size_t>(count), 0.0);
    int32_t section = 0;
    double px = 0, py = 0;
    bool first = true;
    curve.Walk(s, [&](const TWalkVisit& v) {
        if (first) {
            px = v.X, py = v.Y, first = false;
            return;
        }
        const int32_t f = SampleOf(v);
        while (section + 1 < count - 1 && f >= starts[static_cast<size_t>(section) + 1]) {
            TPointD a = curve.PointAtSample(starts[static_cast<size_t>(section) + 1]);
            len[static_cast<size_t>(section)] += HypotDistance(px, py, a.X, a.Y);
            px = a.X, py = a.Y;
            ++section;
        }
        len[static_cast<size_t>(section)] += HypotDistance(px, py, v.X, v.Y);
        px = v.X, py = v.Y;
    });
    // The length of the section that ends at anchor k lives in record k.
    for (int32_t k = 1; k < count; ++k)
        profile[k]->SectionLength = static_cast<float>(len[static_cast<size_t>(k - 1)]);
}

struct TAngleRamp {
    double Start = 0, Slope = 0;
    double At(double h) const { return Start + h * Slope; }
};

TAngleRamp RampOf(const TOutlineList& profile, int32_t section, double length) {
    const int32_t count = profile.Count();
    const TOutline& o = *profile[section];
    const TOutline& n = *profile[std::min(section + 1, count - 1)];
    TAngleRamp r;
    if (section == 0) {
        r.Start = o.StartAngle;
        r.Slope = length > 0 ? (n.StartAngle - o.StartAngle) / length : 0.0;
    } else {
        r.Start = 2.0 * o.EndRotation - o.StartAngle;
        r.Slope = length > 0 ? (n.StartAngle + o.StartAngle) / length : 0.0;
    }
    if (!std::isfinite(r.Start)) r.Start = 0;
    if (!std::isfinite(r.Slope)) r.Slope = 0;
    return r;
}

// Turns the stitch by w about the path point; each end slides along the tangent through its
// unturned position until it meets the turned stitch, so the slanted stitch still spans the band.
void Slant(TKvLine& stitch, double w, double cx, double cy, double tx, double ty) {
    TKvLine turned(stitch.X1, stitch.Y1, stitch.X2, stitch.Y2);
    turned.Rotate(w, cx, cy);
    turned.Update();
    TKvLine alongA(stitch.X1, stitch.Y1, stitch.X1 + tx, stitch.Y1 + ty);
    TKvLine alongB(stitch.X2, stitch.Y2, stitch.X2 + tx, stitch.Y2 + ty);
    TPointD a, b;
    if (!turned.Intersect(alongA, a) || !turned.Intersect(alongB, b)) return;
    if (!std::isfinite(a.X) || !std::isfinite(a.Y) || !std::isfinite(b.X) || !std::isfinite(b.Y)) return;
    stitch.Set(a.X, a.Y, b.X, b.Y);
}

// "Prog Stitch": a pattern matched to the outline pierces each stitch where it lies along the path
// (`distance` per point, the frame pivoting on the A edge); a flat one pierces the stitches as
// they lie. `matchedToo` is false where a matched pattern does not apply.
void ApplyOutlinePattern(const TObjectStitch& pattern, TSLStitch& list, const std::vector<double>& distance,
                         bool aFirst, bool matchedToo) {
    if (pattern.Flags & PATTERN_MATCH_CURVE) {
        if (matchedToo) TOverlay(pattern, 0, 0, 0).ApplyMatched(list, distance, aFirst);
    } else {
        TOverlay(pattern, pattern.Bounds.Left, pattern.Bounds.Top, pattern.PatternAngle).ApplyTiled(list);
    }
}

} // namespace

void GenerateSatinOutline(TSLCurve& curve, TSLStitch& list, const TStitchContext& ctx,
                          const TSatinVisitHook& onVisit) {
    if (!curve.Outlines || curve.Outlines->Count() < 2 || curve.SegmentCount() == 0) return;
    TOutlineList& profile = *curve.Outlines;
    const int32_t count = profile.Count();
    const int32_t density = Clamp(curve.Density, SATIN_DENSITY_MIN, SATIN_DENSITY_MAX);
    const bool zigzag = curve.StitchType() == ST_ZIGZAG;
    const bool shortStitches = (curve.Flags & OF_SHORT_STITCHES) != 0;

    // 1. Spacing: the path divided into n equal chords.
    double pathLength = 0;
    {
        double px = 0, py = 0;
        bool first = true;
        curve.Walk(200.0 / density, [&](const TWalkVisit& v) {
            if (!first) pathLength += HypotDistance(px, py, v.X, v.Y);
            px = v.X, py = v.Y, first = false;
        });
    }
    double s = 200.0 / density;
    if (pathLength > 0) {
        int32_t n = RoundI(density * pathLength / 200.0);
        if (n <= 0) throw TGenerationError("satin outline too short for one stitch");
        s = pathLength / n;
    }

    // 2. Section lengths.
    const std::vector<int32_t> starts = SectionStarts(profile, curve.LastSample());
    MeasureSections(curve, profile, starts, s);

    // 3. Stitches.
    const TFeather* feather = profile.OutlineFeather.get();
    TRandom rng(feather ? static_cast<uint32_t>(feather->Seed) : FIXED_COLUMN_SEED);
    const bool featherOn = !shortStitches && FeatherActive(feather);
    const double compValue = ClampF(profile.OutlineCompensation, 0.f, OUTLINE_COMPENSATION_MAX, 0.f);
    const bool compensate = CompensationActive(compValue, ctx);
    TFillSettings fill = TFillSettings::Of(curve);
    // Without short stitches a "Prog Stitch" pattern takes the place of the fill split.
    if (!shortStitches && CurvePattern(curve)) fill.Enabled = false;
    TFillSplitter splitter(fill);
    const uint32_t sides = curve.StitchFlags & (SF_A_SIDE | SF_B_SIDE);

    // The edge chains of short stitches: lists that own the jump records a visit hook may give
    // their points.
    struct TEdgeChain {
        TPointList Points;
        std::vector<int32_t> PerSection;
    };
    TEdgeChain chainA, chainB;
    if (shortStitches) {
        chainA.PerSection.assign(static_cast<size_t>(count), 0);
        chainB.PerSection.assign(static_cast<size_t>(count), 0);
    }

    // One or two points per chord; the walk places at most a million.
    list.Reserve(list.Count() +
                 2 * static_cast<int32_t>(std::min(pathLength / s, static_cast<double>(kMaxWalkPoints))) + 8);

    // Distance along the path of the visit that made each point, for a pattern matched to the
    // outline (a satin visit makes two points at one place).
    std::vector<double> pointDistance(static_cast<size_t>(list.Count()), 0.0);

    int32_t section = 0;
    double sectionLen = profile[1]->SectionLength;
    profile.BeginSection(0, static_cast<float>(sectionLen));
    TAngleRamp ramp = RampOf(profile, 0, sectionLen);
    double h = 0, distance = 0, prevDistance = 0;
    double px = 0, py = 0;
    int32_t visit = 0;
    curve.Walk(s, [&](const TWalkVisit& v) {
        const double chord = visit == 0 ? 0.0 : HypotDistance(px, py, v.X, v.Y);
        px = v.X, py = v.Y;
        const int32_t f = SampleOf(v);
        // Switch sections while the position has passed the next section start; the final
        // anchor starts no section of its own.
        bool switched = false;
        while (section + 1 < count - 1 && f >= starts[static_cast<size_t>(section) + 1]) {
            ++section;
            switched = true;
        }
        if (switched) {
            TPointD anchor = curve.PointAtSample(starts[static_cast<size_t>(section)]);
            h = HypotDistance(anchor.X, anchor.Y, v.X, v.Y);
            sectionLen = profile[section + 1]->SectionLength;
            profile.BeginSection(section, static_cast<float>(sectionLen));
            ramp = RampOf(profile, section, sectionLen);
        } else {
            h += chord;
        }
        prevDistance = distance;
        distance += chord;
        const int32_t thisVisit = visit++;
        if (v.Last && thisVisit > 0 && !(chord > 0.95 * s)) return;

        // Rays at the visited position; at an anchor the next sample keeps them off the corner.
        const int32_t raySample = (f % kSamplesPerSegment == 0) ? f + 1 : f;
        TRays rays = curve.Perpendiculars(raySample, v.T, 1.0);
        // The tangent is the unit A ray turned back a quarter, taken before the rays get their
        // heights: an edge that feathering or the profile puts on the path has no direction.
        const double tx = -(rays.A.Y2 - rays.A.Y1), ty = rays.A.X2 - rays.A.X1;
        double ha = profile.ProfileHeightA(static_cast<float>(h));
        double hb = profile.ProfileHeightB(static_cast<float>(h));
        // A damaged profile gives no edge rather than points at infinity.
        if (!std::isfinite(ha)) ha = 0;
        if (!std::isfinite(hb)) hb = 0;
        if (featherOn) {
            if (FeatherAbove(feather)) ha = FeatherAmount(*feather, true, ha, rng);
            if (FeatherBelow(feather)) hb = FeatherAmount(*feather, false, hb, rng);
        }
        rays.A.SetLength(ha);
        rays.B.SetLength(hb);
        TKvLine stitch(rays.A.X2, rays.A.Y2, rays.B.X2, rays.B.Y2);
        if (compensate && !shortStitches) {
            stitch.Scale(sides, 20.0 * compValue);
            stitch.Update();
        }
        const double w = ramp.At(h);
        if (std::fabs(w) > 0.00001) {
            Slant(stitch, w, rays.A.X1, rays.A.Y1, tx, ty);
        }
        const auto ax = static_cast<float>(stitch.X1), ay = static_cast<float>(stitch.Y1);
        const auto bx = static_cast<float>(stitch.X2), by = static_cast<float>(stitch.Y2);
        const bool evenVisit = (thisVisit % 2) == 0;
        if (shortStitches) {
            // The visit's first point (Satin: the A edge; Zigzag: its one edge point) is the one a
            // hook may make a jump point.
            TSP* first = nullptr;
            if (!zigzag || evenVisit) {
                first = &chainA.Points.Append(TSP::Plain(SP_BOUNDARY, ax, ay));
                chainA.PerSection[static_cast<size_t>(section)]++;
            }
            if (!zigzag || !evenVisit) {
                TSP& b = chainB.Points.Append(TSP::Plain(SP_BOUNDARY, bx, by));
                if (!first) first = &b;
                chainB.PerSection[static_cast<size_t>(section)]++;
            }
            if (onVisit) onVisit(*first, f);
            return;
        }
        if (!zigzag) {
            list.AppendPoint(SP_BOUNDARY, -1, ax, ay);
            if (onVisit) onVisit(*list.Last(), f);
            if (fill.Enabled && list.Count() >= 2) splitter.SplitOutline(list, list.Count(), prevDistance);
            list.AppendPoint(SP_BOUNDARY, -1, bx, by);
        } else {
            if (evenVisit)
                list.AppendPoint(SP_BOUNDARY, -1, ax, ay);
            else
                list.AppendPoint(SP_BOUNDARY, -1, bx, by);
            if (onVisit) onVisit(*list.Last(), f);
        }
        if (fill.Enabled && list.Count() >= 2) splitter.SplitOutline(list, list.Count(), distance);
        pointDistance.resize(static_cast<size_t>(list.Count()), distance);
    });

    const TObjectStitch* pattern = CurvePattern(curve);
    if (!shortStitches) {
        if (pattern) ApplyOutlinePattern(*pattern, list, pointDistance, true, true);
        return;
    }
    // Short stitches: both edge chains re-spaced at the line spacing and paired section by
    // section like the rails of a column, the B edge first in every pair.
    TRailChain spacedA, spacedB;
    // Points the pairing has not taken over (an error on the way) are freed with what they own.
    struct TFreeLeft {
        TRailChain& A;
        TRailChain& B;
        ~TFreeLeft() {
            for (TRailChain* c : {&A, &B})
                for (TSP& q : c->Points)
                    TPointList::Free(q);
        }
    } freeLeft{spacedA, spacedB};
    auto respace = [&](const TEdgeChain& from, TRailChain& to) {
        double chain = 0;
        for (int32_t i = 1; i < from.Points.Count(); ++i)
            chain +=
                HypotDistance(from.Points[i - 1].X, from.Points[i - 1].Y, from.Points[i].X, from.Points[i].Y);
        // The run is sized once: growing it point by point would cost quadratic time on the
        // longest chains a damaged profile can produce.
        const double expected = chain / std::max(1.0, 200.0 / density) + 4;
        if (!(expected <= kMaxSatinPoints))
            throw TGenerationError("satin outline edge too long for its density");
        TSLStitch run;
        run.Reserve(static_cast<int32_t>(expected));
        std::vector<int32_t> counts = from.PerSection;
        PolylineRun(from.Points, run, 200.0 / density, &counts);
        // The counts are those of the re-spaced run; pairing checks them against its points.
        to.PerSection = counts;
        for (const TSP& p : run)
            to.Points.push_back(TPointList::DeepCopy(p));
    };
    respace(chainA, spacedA);
    respace(chainB, spacedB);
    TSLStitch pairs;
    std::vector<int32_t> pairsPerSection;
    PairChains(spacedB, spacedA, pairs, rng, nullptr, &pairsPerSection);
    // Compensation in per cent of the local width: ten times the outline's value gives the same
    // lengthening as the 20 % per unit of ordinary satin outlines, which spread it on both ends.
    CompensateAndFeather(pairs, feather, compensate, 10.0 * compValue, rng);
    if (pattern && !fill.Enabled) {
        // Both points of a pair lie at one place along the path.
        std::vector<double> sectionLength;
        for (int32_t k = 1; k < count; ++k)
            sectionLength.push_back(profile[k]->SectionLength);
        ApplyOutlinePattern(*pattern, pairs, PairedDistances(pairsPerSection, sectionLength, 0.0), false,
                            true);
    } else if (fill.Enabled) {
        TFillSplitter(fill).SplitAll(pairs, s);
        // A pattern matched to the outline is not laid over the fill split; a flat one is.
        if (pattern) ApplyOutlinePattern(*pattern, pairs, {}, false, false);
    }
    list.MoveAppend(pairs, false);
}

void GenerateSatinOutlineList(TSLCurve& curve, const TStitchContext& ctx) {
    if (!curve.Generated) curve.Generated = std::make_unique<TSLStitch>();
    TSLStitch& list = *curve.Generated;
    list.Clear();
    list.Reserve(10000);
    list.Flags = curve.Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    list.StitchLimits = curve.StitchLimits;
    const bool returnRun = curve.Outlines && (curve.Outlines->ProfileFlags & PF_RETURN_STITCH);
    const bool fromEnd = (curve.Flags & OF_STITCH_FROM_END) != 0;
    TSLStitch run;
    if (returnRun) RunPass(curve, run, -1);
    TSLStitch satin;
    GenerateSatinOutline(curve, satin, ctx);
    if (returnRun) {
        list.MoveAppend(run, fromEnd);
        list.MoveAppend(satin, !fromEnd);
    } else {
        list.MoveAppend(satin, fromEnd);
    }
    FinishGeneratedList(list, curve, ctx);
}

} // namespace nl
