#include "stitching/Column.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "core/Errors.h"
#include "core/Numeric.h"
#include "platform/Canvas.h"
#include "stitching/Compensation.h"
#include "stitching/Feather.h"
#include "stitching/FillSplit.h"
#include "stitching/Overlay.h"
#include "stitching/Running.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

// One chain during pairing: the points not yet used, and the last one used.
struct TChainCursor {
    std::deque<TSP> Left;
    TSP LastUsed{};
    bool HasLast = false;

    TChainCursor() = default;
    TChainCursor(const TChainCursor&) = delete;
    TChainCursor& operator=(const TChainCursor&) = delete;
    // Whatever the counts did not claim (or a failed pairing left) is freed with the cursor.
    ~TChainCursor() {
        for (TSP& q : Left)
            TPointList::Free(q);
    }

    TSP Take() {
        // The counts promised a point that is not there. Making one up would put a stitch at
        // the worksheet origin, so the generation fails instead.
        if (Left.empty()) throw TGenerationError("edge chain has fewer points than its section counts");
        TSP p = Left.front();
        Left.pop_front();
        LastUsed = p;
        HasLast = true;
        return p;
    }
    // A section without a point of this chain: its last point (or, before any, its next one)
    // serves the whole section.
    bool Borrow() {
        if (HasLast)
            Left.push_front(TPointList::DeepCopy(LastUsed));
        else if (!Left.empty())
            Left.push_front(TPointList::DeepCopy(Left.front()));
        else
            return false;
        return true;
    }
};

} // namespace

void PairChains(TRailChain& first, TRailChain& second, TSLStitch& out, TRandom& rng, TPointList* centre,
                std::vector<int32_t>* pairsPerSection) {
    for (TRailChain* c : {&first, &second}) {
        int64_t counted = 0;
        for (int32_t n : c->PerSection)
            counted += std::max(0, n);
        if (counted != static_cast<int64_t>(c->Points.size())) {
            for (TRailChain* owned : {&first, &second}) {
                for (TSP& q : owned->Points)
                    TPointList::Free(q);
                owned->Points.clear();
            }
            throw TGenerationError("edge chain and its section counts disagree");
        }
    }
    TChainCursor c1, c2;
    c1.Left.assign(first.Points.begin(), first.Points.end());
    c2.Left.assign(second.Points.begin(), second.Points.end());
    first.Points.clear(); // ownership of any ext moved into the cursors
    second.Points.clear();
    const size_t sections = std::max(first.PerSection.size(), second.PerSection.size());
    if (pairsPerSection) pairsPerSection->assign(sections, 0);
    out.Reserve(out.Count() + static_cast<int32_t>(c1.Left.size() + c2.Left.size()) * 2);
    for (size_t j = 0; j < sections; ++j) {
        int32_t a = j < first.PerSection.size() ? std::max(0, first.PerSection[j]) : 0;
        int32_t b = j < second.PerSection.size() ? std::max(0, second.PerSection[j]) : 0;
        if (a == 0 && b == 0) continue;
        if (a == 0 && c1.Borrow()) a = 1;
        if (b == 0 && c2.Borrow()) b = 1;
        if (a == 0 || b == 0) continue;
        // The side with fewer points is used again; the order within a pair never changes.
        const bool reuseFirst = b >= a;
        const int32_t many = reuseFirst ? b : a, few = reuseFirst ? a : b;
        TChainCursor& reused = reuseFirst ? c1 : c2;
        const double step = static_cast<double>(many - few) / many + 0.0001;
        int32_t budget = many - few; // reuses beyond this would eat the next section's points
        double p = step;
        if (pairsPerSection) (*pairsPerSection)[j] = many;
        for (int32_t i = 0; i < many; ++i) {
            TSP pa = c1.Take();
            TSP pb = c2.Take();
            out.Append(pa);
            out.Append(pb);
            if (centre) centre->Append(TSP::Plain(0, (pa.X + pb.X) / 2, (pa.Y + pb.Y) / 2));
            p += step;
            if (p >= 1) {
                auto n = static_cast<int32_t>(p);
                p -= n;
                if (n > 0 && budget > 0) {
                    // The copies are taken before shortening: the shortened point gives up what the
                    // point used (a jump record), and the copy used next keeps it.
                    TSP again = TPointList::DeepCopy(reused.LastUsed);
                    for (int32_t k = 0; k < n && budget > 0; ++k, --budget) {
                        ShortenLast(out, reuseFirst ? TShortSide::A : TShortSide::B, rng);
                        reused.Left.push_front(TPointList::DeepCopy(again));
                    }
                    TPointList::Free(again);
                    reused.LastUsed = reused.Left.front(); // the shortened point's record is gone
                }
            }
        }
    }
}

namespace {

// Walks a rail at `step`, keeping every other visit (from visit `parity`), counted by the walk's
// segment index so that every segment has its entry; the length walked is summed per segment too.
TRailChain CollectRail(const TSLCurve& rail, double step, int32_t parity, int32_t segments) {
    TRailChain chain;
    chain.PerSection.assign(static_cast<size_t>(std::max(segments, 0)), 0);
    chain.Length.assign(static_cast<size_t>(std::max(segments, 0)), 0.0);
    int32_t visit = 0;
    float px = 0, py = 0;
    rail.Walk(step, [&](const TWalkVisit& v) {
        const auto seg = static_cast<size_t>(Clamp(v.Segment, 0, std::max(segments - 1, 0)));
        if (visit > 0 && segments > 0) chain.Length[seg] += HypotDistance(px, py, v.X, v.Y);
        px = v.X, py = v.Y;
        if ((visit++ % 2) != parity) return;
        chain.Points.push_back(TSP::Plain(SP_BOUNDARY, v.X, v.Y));
        if (segments > 0) chain.PerSection[seg]++;
    });
    return chain;
}

} // namespace

std::vector<double> PairedDistances(const std::vector<int32_t>& pairsPerSection,
                                    const std::vector<double>& sectionLength, double secondOffset) {
    std::vector<double> distance;
    double start = 0;
    for (size_t j = 0; j < pairsPerSection.size(); ++j) {
        const int32_t m = pairsPerSection[j];
        const double length =
            j < sectionLength.size() && std::isfinite(sectionLength[j]) ? sectionLength[j] : 0.0;
        for (int32_t k = 0; k < m; ++k) {
            distance.push_back(start + length * k / m);
            distance.push_back(start + length * (k + secondOffset) / m);
        }
        start += length;
    }
    return distance;
}

void DrawColumnRungs(const TSLCurve& railA, TDrawContext& dc) {
    const TSLCurve* railB = railA.PartnerRail;
    if (!dc.Target || !railB) return;
    dc.Target->SetPen(0x00A0A0A0, 1.f, TPenStyle::Dash);
    const int32_t n = std::min(railA.Count(), railB->Count());
    for (int32_t i = 0; i < n; i += 3)
        dc.Target->Line(dc.SX(railA[i].X), dc.SY(railA[i].Y), dc.SX((*railB)[i].X), dc.SY((*railB)[i].Y));
}

void PierceCurveOverlays(const TSLCurve& curve, TSLStitch& list, const TStitchContext& ctx) {
    if (list.Count() < 2 || !ctx.PierceOutlineOverlays) return;
    const TSLCurve& owner = (curve.Flags & OF_RAIL_B) && curve.PartnerRail ? *curve.PartnerRail : curve;
    if (owner.Flags & OF_NO_OVERLAYS) return;
    ctx.PierceOutlineOverlays(owner, list);
}

void FinishGeneratedList(TSLStitch& list, const TSLCurve& curve, const TStitchContext& ctx) {
    if (list.Empty()) return;
    list.RemoveShortStitches(curve.MinStitch());
    list.SplitLongStitches(curve.MinStitch(), curve.MaxStitch());
    PierceCurveOverlays(curve, list, ctx);
    list.SetCapacity(list.Count());
    list.MarkColourStart(0);
    list.SetColor(curve.Color);
    list.UpdateBounds(ctx);
    list.Flags |= OF_NEEDLE_POINTS;
}

void GenerateColumn(TSLCurve& railA, const TStitchContext& ctx) {
    TSLCurve* railB = railA.PartnerRail;
    if (!railA.Generated) railA.Generated = std::make_unique<TSLStitch>();
    TSLStitch& list = *railA.Generated;
    list.Clear();
    list.Reserve(10000);
    list.Flags = railA.Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    list.StitchLimits = railA.StitchLimits;
    if (!railB || railA.SegmentCount() == 0 || railB->SegmentCount() == 0) return;

    // A density of 0 from a file would divide by zero; the page's range holds for every column.
    const int32_t density = Clamp(railA.Density, COLUMN_DENSITY_MIN, COLUMN_DENSITY_MAX);
    const double s = 200.0 / density;

    TRandom rng(FIXED_COLUMN_SEED);
    const TFeather* feather = railB->Feather.get();
    if (feather) rng.Seed(static_cast<uint32_t>(feather->Seed));
    const TFillSettings fill = TFillSettings::Of(railA);
    const bool returnRun = (railA.Flags & OF_RETURN_STITCH) != 0;

    const int32_t segments = std::max(railA.SegmentCount(), railB->SegmentCount());
    TRailChain a = CollectRail(railA, s, 0, segments);
    TRailChain b = CollectRail(*railB, s, 1, segments);
    // The band's length per section: halfway between its rails.
    std::vector<double> sectionLength(static_cast<size_t>(segments));
    for (size_t j = 0; j < sectionLength.size(); ++j)
        sectionLength[j] = (a.Length[j] + b.Length[j]) / 2;
    TPointList centre;
    std::vector<int32_t> pairsPerSection;
    PairChains(a, b, list, rng, returnRun ? &centre : nullptr, &pairsPerSection);

    const bool compensate = CompensationActive(railA.Compensation, ctx);
    float comp = ClampF(railA.Compensation, 0.f, COLUMN_COMPENSATION_MAX, 0.f);
    CompensateAndFeather(list, feather, compensate, comp, rng);
    // "Prog Stitch": a matched pattern pierces the column stitch by stitch as it advances along it,
    // a flat one pierces the finished list.
    const TObjectStitch* pattern = CurvePattern(railA);
    const bool matched = pattern && (pattern->Flags & PATTERN_MATCH_CURVE);
    // The rails take turns: a rail B point lies half a pair's share after its rail A point.
    if (matched)
        TOverlay(*pattern, 0, 0, 0)
            .ApplyMatched(list, PairedDistances(pairsPerSection, sectionLength, 0.5), true);
    // The split comes last so that compensation and feathering only ever see rail points.
    if (fill.Enabled) TFillSplitter(fill).SplitAll(list, s);
    if (pattern && !matched)
        TOverlay(*pattern, pattern->Bounds.Left, pattern->Bounds.Top, pattern->PatternAngle).ApplyTiled(list);

    const bool fromEnd = (railA.Flags & OF_STITCH_FROM_END) != 0;
    if (returnRun && centre.Count() > 0) {
        TSLStitch run;
        PolylineRun(centre, run, std::max(1, railA.RunLength), nullptr);
        if (run.Count() > 0) run.Delete(run.Count() - 1);
        TSLStitch column;
        column.MoveAppend(list, false);
        if (fromEnd) {
            list.MoveAppend(run, true);
            list.MoveAppend(column, false);
        } else {
            list.MoveAppend(run, false);
            list.MoveAppend(column, true);
        }
    } else if (fromEnd) {
        TSLStitch column;
        column.MoveAppend(list, false);
        list.MoveAppend(column, true);
    }
    FinishGeneratedList(list, railA, ctx);
}

} // namespace nl
