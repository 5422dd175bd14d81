#include "stitching/Running.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "core/Limits.h"
#include "stitching/Column.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
constexpr uint32_t RUN_FLAGS = SP_BOUNDARY | SP_FLAT;

bool CarriesJump(const TSP& p) {
    return (p.Flags & SP_JUMP_SHARED) || p.JumpExt() != nullptr;
}
} // namespace

namespace {
// The points of one forward pass, start and end included.
std::vector<TSP> WalkPass(const TSLCurve& curve) {
    std::vector<TSP> pass;
    curve.Walk(curve.RunLength,
               [&](const TWalkVisit& v) { pass.push_back(TSP::Plain(RUN_FLAGS, v.X, v.Y)); });
    return pass;
}

// Places a pass: appended in order (insertAt = -1), or every point inserted at the same index,
// which leaves the pass reversed in front of it. Placed in one move: inserting point by point
// at a fixed index would cost a quadratic number of moves on long outlines.
void PlacePass(TSLStitch& list, const std::vector<TSP>& pass, int32_t insertAt) {
    if (pass.empty()) return;
    const int32_t n = static_cast<int32_t>(pass.size());
    if (insertAt < 0 || insertAt >= list.Count()) {
        list.Reserve(list.Count() + n);
        if (insertAt < 0) {
            for (const TSP& p : pass)
                list.Append(p);
        } else {
            for (auto it = pass.rbegin(); it != pass.rend(); ++it)
                list.Append(*it);
        }
        return;
    }
    list.InsertGap(insertAt, n);
    for (int32_t i = 0; i < n; ++i)
        list[insertAt + i] = pass[static_cast<size_t>(n - 1 - i)];
}
} // namespace

void RunPass(const TSLCurve& curve, TSLStitch& list, int32_t insertAt) {
    PlacePass(list, WalkPass(curve), insertAt);
}

void GenerateRunningOutline(TSLCurve& curve, const TStitchContext& ctx) {
    const bool running = (curve.Flags & OF_RUNNING) != 0;
    if (!running && !curve.Outlines) {
        curve.Generated.reset();
        return;
    }
    auto list = std::make_unique<TSLStitch>();
    list->Flags = curve.Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    if (running && !curve.Outlines) {
        // Passes alternate direction; "Stitch From End" makes the first one run backwards.
        int32_t passes = std::clamp(curve.Passes, 0, PASSES_MAX);
        int32_t insertAt = (curve.Flags & OF_STITCH_FROM_END) ? list->Count() : -1;
        // Every pass walks the same path: walk it once.
        const std::vector<TSP> pass = passes > 0 ? WalkPass(curve) : std::vector<TSP>{};
        for (int32_t p = 0; p < passes; ++p) {
            PlacePass(*list, pass, insertAt);
            if (list->Count() > kMaxRunPoints) throw TGenerationError("outline has too many stitches");
            // Every pass is placed at the end of the list, so its last stitch is the list's last
            // point; it marks where the next pass turns back.
            if (p + 1 < passes && !list->Empty()) list->Last()->Flags |= SP_PASS_END;
            insertAt = insertAt == -1 ? list->Count() : -1;
        }
    }
    // A satin outline's columns come from the satin generator; until it runs the list stays empty.
    list->RemoveShortStitches(curve.MinStitch());
    list->SplitLongStitches(curve.MinStitch(), curve.MaxStitch());
    PierceCurveOverlays(curve, *list, ctx);
    list->SetCapacity(list->Count());
    if (!list->Empty()) {
        list->MarkColourStart(0);
        list->SetColor(curve.Color);
    }
    list->Flags |= OF_NEEDLE_POINTS;
    list->UpdateBounds(ctx);
    curve.Generated = std::move(list);
}

void PolylineRun(const TPointList& source, TSLStitch& target, double step,
                 std::vector<int32_t>* sectionCounts) {
    const int32_t n = source.Count();
    if (n < 2) {
        // Nothing to walk: a single point is its own re-spacing. The counts are always rewritten,
        // so that they never describe points the run does not hold.
        if (sectionCounts) {
            std::vector<int32_t> counts(sectionCounts->size(), 0);
            if (n == 1) {
                TSP p = TPointList::DeepCopy(source[0]);
                p.Flags |= SP_BOUNDARY;
                target.Append(p);
                for (size_t sct = 0; sct < counts.size(); ++sct)
                    if ((*sectionCounts)[sct] > 0 || sct + 1 == counts.size()) {
                        counts[sct] = 1;
                        break;
                    }
            }
            *sectionCounts = std::move(counts);
        } else if (n == 1) {
            TSP p = TPointList::DeepCopy(source[0]);
            p.Flags |= SP_BOUNDARY;
            target.Append(p);
        }
        return;
    }
    if (!(step >= 1.0)) step = 1.0;
    // Positions of a private copy of the chain.
    std::vector<double> xs(static_cast<size_t>(n)), ys(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        xs[i] = source[i].X;
        ys[i] = source[i].Y;
    }
    // Lengthen the last segment by 2 x step so the run reaches the chain's end.
    for (int32_t j = n - 2; j >= 0; --j) {
        double dx = xs[n - 1] - xs[j], dy = ys[n - 1] - ys[j], len = std::sqrt(dx * dx + dy * dy);
        if (len > 0 && std::isfinite(len)) {
            xs[n - 1] += dx / len * 2 * step;
            ys[n - 1] += dy / len * 2 * step;
            break;
        }
    }

    // Section of each source point, from the per-section counts.
    std::vector<int32_t> sectionOf;
    std::vector<int32_t> newCounts;
    if (sectionCounts) {
        sectionOf.assign(static_cast<size_t>(n),
                         std::max<int32_t>(0, static_cast<int32_t>(sectionCounts->size()) - 1));
        int32_t idx = 0;
        for (size_t sct = 0; sct < sectionCounts->size(); ++sct)
            for (int32_t c = 0; c < (*sectionCounts)[sct] && idx < n; ++c)
                sectionOf[static_cast<size_t>(idx++)] = static_cast<int32_t>(sct);
        newCounts.assign(sectionCounts->size(), 0);
    }
    auto count = [&](int32_t sourceIndex) {
        if (!newCounts.empty()) ++newCounts[static_cast<size_t>(sectionOf[static_cast<size_t>(sourceIndex)])];
    };
    int64_t appended = 0;
    auto append = [&](double x, double y, const TSP* jumpFrom, int32_t sourceIndex) {
        if (++appended > kMaxRunPoints) throw TGenerationError("chain too long for its stitch length");
        if (jumpFrom) {
            TSP p = TPointList::DeepCopy(*jumpFrom);
            p.X = static_cast<float>(x);
            p.Y = static_cast<float>(y);
            p.Flags |= SP_BOUNDARY;
            target.Append(p);
        } else {
            target.AppendPoint(SP_BOUNDARY, -1, static_cast<float>(x), static_cast<float>(y));
        }
        count(sourceIndex);
    };

    append(xs[0], ys[0], CarriesJump(source[0]) ? &source[0] : nullptr, 0);
    double px = xs[0], py = ys[0];
    const TSP* pending = nullptr;
    for (int32_t i = 0; i + 1 < n; ++i) {
        double ax = xs[i], ay = ys[i], dx = xs[i + 1] - ax, dy = ys[i + 1] - ay;
        double a = dx * dx + dy * dy;
        double sLast = -1.0;
        if (a > 0 && std::isfinite(a)) {
            for (;;) {
                // Where the circle of radius step around the last point meets the segment, ahead.
                double fx = ax - px, fy = ay - py;
                double b = 2 * (fx * dx + fy * dy), c = fx * fx + fy * fy - step * step;
                double disc = b * b - 4 * a * c;
                if (!(disc >= 0)) break;
                double s = (-b + std::sqrt(disc)) / (2 * a);
                if (!(s >= 0 && s <= 1) || !(s > sLast + 1e-12)) break;
                sLast = s;
                px = ax + s * dx;
                py = ay + s * dy;
                append(px, py, pending, i + 1);
                pending = nullptr;
            }
        }
        if (CarriesJump(source[i + 1])) pending = &source[i + 1];
    }
    // A jump on the chain's last point has no point after it: the run's last point takes it.
    if (pending && target.Count() > 0) {
        TSP p = TPointList::DeepCopy(*pending);
        p.X = target.Last()->X;
        p.Y = target.Last()->Y;
        p.Flags |= SP_BOUNDARY;
        target.Replace(target.Count() - 1, p);
    }
    if (sectionCounts) *sectionCounts = std::move(newCounts);
}

} // namespace nl
