#include "stitching/SLCurve.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Errors.h"
#include "core/Geometry.h"
#include "core/Limits.h"
#include "core/Numeric.h"
#include "platform/Canvas.h"
#include "regions/JumpNodes.h"
#include "stitching/Column.h"
#include "stitching/Running.h"
#include "stitching/SatinOutline.h"

namespace nl {

const float SAMPLE_T[kSamplesPerSegment + 1] = {0.00f, 0.04f, 0.08f, 0.12f, 0.16f, 0.20f, 0.24f, 0.28f, 0.32f,
                                                0.36f, 0.40f, 0.44f, 0.48f, 0.52f, 0.56f, 0.60f, 0.64f, 0.68f,
                                                0.72f, 0.76f, 0.80f, 0.84f, 0.88f, 0.92f, 0.96f, 1.00f};

namespace {

// Cubic coefficients of one segment, single precision: P(t) = a t^3 + b t^2 + c t + P0.
struct TBezier {
    float ax, bx, cx, x0, ay, by, cy, y0;
    TBezier(const TSP& p0, const TSP& p1, const TSP& p2, const TSP& p3) {
        cx = 3 * (p1.X - p0.X);
        bx = 3 * (p2.X - p1.X) - cx;
        ax = p3.X - p0.X - cx - bx;
        x0 = p0.X;
        cy = 3 * (p1.Y - p0.Y);
        by = 3 * (p2.Y - p1.Y) - cy;
        ay = p3.Y - p0.Y - cy - by;
        y0 = p0.Y;
    }
    float X(float t) const { return ((ax * t + bx) * t + cx) * t + x0; }
    float Y(float t) const { return ((ay * t + by) * t + cy) * t + y0; }
};

// Evaluates points (segment, t) along a path, keeping the coefficients of the last segment.
class TPathEvaluator {
public:
    explicit TPathEvaluator(const TSLCurve& c) : c_(c) {}
    TPointD At(int32_t seg, float t) {
        if (seg != seg_) {
            seg_ = seg;
            b_ = TBezier(c_[3 * seg], c_[3 * seg + 1], c_[3 * seg + 2], c_[3 * seg + 3]);
        }
        return {b_.X(t), b_.Y(t)};
    }

private:
    const TSLCurve& c_;
    int32_t seg_ = -1;
    TBezier b_{TSP{}, TSP{}, TSP{}, TSP{}};
};

// The walk's evaluator: the coefficients of every segment made once per walk, not again each
// time the bisection crosses back over a segment boundary.
class TWalkEvaluator {
public:
    explicit TWalkEvaluator(const TSLCurve& c) : k_(c.SegmentCount()) {
        b_.reserve(static_cast<size_t>(k_));
        for (int32_t s = 0; s < k_; ++s)
            b_.emplace_back(c[3 * s], c[3 * s + 1], c[3 * s + 2], c[3 * s + 3]);
    }
    // The point at position u = segment + t, the segment clamped into the path (NaN: the first).
    // Positions of the walk lie in [0, k], where truncation is floor.
    TPointD At(double u) const {
        const int32_t seg = u >= 0 ? (u < k_ ? static_cast<int32_t>(u) : k_ - 1) : 0;
        float t = static_cast<float>(u - seg);
        const TBezier& b = b_[static_cast<size_t>(seg)];
        return {b.X(t), b.Y(t)};
    }

private:
    int32_t k_;
    std::vector<TBezier> b_;
};

// The smallest double g >= 0 for which `holds` is true, for a test that is false below some
// point and true from it on; false when the search leaves the finite numbers or takes too long.
template <class P> bool LowestHolding(P holds, double guess, double& found) {
    double g = guess;
    for (int i = 0; i < 4096; ++i) {
        if (!(g >= 0.0) || !std::isfinite(g)) return false;
        if (holds(g)) {
            const double below = std::nextafter(g, 0.0);
            if (g > 0.0 && holds(below)) {
                g = below;
                continue;
            }
            found = g;
            return true;
        }
        g = std::nextafter(g, HUGE_VAL);
    }
    return false;
}

// The walk's tests on a distance r = sqrt(x), answered from x alone. The rounded square
// root and the rounded subtraction are both monotone, so each test holds exactly on one side of a
// threshold on x; the thresholds are found once per walk by stepping through neighbouring
// doubles, and the answers are the same as those of the tests on r, NaN and infinity included.
class TReachTest {
public:
    explicit TReachTest(double step) : step_(step) {
        exact_ = LowestHolding([&](double x) { return std::sqrt(x) >= step; }, step * step, atLeast_) &&
                 LowestHolding([&](double x) { return std::sqrt(x) - step > 0.1; },
                               (step + 0.1) * (step + 0.1), beyond_) &&
                 LowestHolding([&](double x) { return !(std::sqrt(x) - step < -0.1); },
                               (step - 0.1) * (step - 0.1), notShort_) &&
                 LowestHolding([&](double x) { return !(std::sqrt(x) <= step); }, step * step, notWithin_);
    }
    // sqrt(x) <= step
    bool Within(double x) const { return exact_ ? x < notWithin_ : std::sqrt(x) <= step_; }
    // sqrt(x) >= step
    bool AtLeast(double x) const { return exact_ ? x >= atLeast_ : std::sqrt(x) >= step_; }
    // fabs(sqrt(x) - step) > 0.1
    bool Off(double x) const {
        return exact_ ? (x >= beyond_ || x < notShort_) : std::fabs(std::sqrt(x) - step_) > 0.1;
    }

private:
    double step_;
    bool exact_ = false;
    double atLeast_ = 0.0, beyond_ = 0.0, notShort_ = 0.0, notWithin_ = 0.0;
};

} // namespace

TSLCurve::TSLCurve() = default;
TSLCurve::~TSLCurve() = default;

void TSLCurve::Assign(const TSLStitch& source) {
    AssignAs<TSLCurve, TCurveFields>(*this, source);
    // The copied stitches' link points referred to the source's link records: a copy has its
    // own records, so they refer to nothing until the copy is generated again.
    if (Generated)
        for (TSP& p : *Generated)
            if ((p.Flags & SP_JUMP_LINK) && !p.OwnsExt() && p.IsExtra()) p.Ext = nullptr;
}

std::unique_ptr<TSLStitch> TSLCurve::Clone() const {
    // The copy is a new object: it is not anybody's partner until the caller links it.
    return CloneAs<TSLCurve>();
}

void TSLCurve::SetColor(int32_t colour) {
    Color = colour;
    if (Generated) Generated->SetColor(colour);
}

TKvRect TSLCurve::GetExtent() const {
    TKvRect r = Bounds;
    if (!PathBounds.empty) r.UnionWith(PathBounds);
    return r;
}

TKvRect TSLCurve::GetDrawExtent() const {
    TKvRect r = GetPathBounds();
    if (Generated && !Generated->Bounds.empty) r.UnionWith(Generated->Bounds);
    return r;
}

void TSLCurve::ClearFlags(uint32_t mask) {
    Flags &= ~mask;
    if (Generated) Generated->Flags &= ~mask;
}

void TSLCurve::SetFlags(uint32_t mask) {
    Flags |= mask;
    if (Generated) Generated->Flags |= mask;
}

void TSLCurve::ToggleFlags(uint32_t mask) {
    Flags ^= mask;
    if (Generated) Generated->Flags ^= mask;
}

void TSLCurve::SetVisible(bool on, const TStitchContext& ctx) {
    if (on) {
        if (StitchFlags & SF_WAS_VISIBLE) Flags |= OF_VISIBLE;
    } else if (Flags & OF_VISIBLE) {
        Flags &= ~OF_VISIBLE;
        StitchFlags |= SF_WAS_VISIBLE;
    }
    Restitch(*this, ctx);
}

void TSLCurve::Regenerate(const TStitchContext& ctx) {
    Generated.reset();
    Restitch(*this, ctx);
}

std::vector<TSLStitch*> TSLCurve::JumpChain() const {
    if (!Jumps) return {};
    auto& self = const_cast<TSLCurve&>(*this);
    TSLCurve* root = ChainRoot(self);
    std::vector<TSLStitch*> out;
    for (TSLCurve* c : ChainOf(root ? *root : self))
        out.push_back(c);
    return out;
}

const TJumpLinks* TSLCurve::JumpLinks() const {
    if (!Jumps) return nullptr;
    if (!linksView_) linksView_ = std::make_unique<TCurveJumpLinks>(*this);
    return linksView_.get();
}

void TSLCurve::GenerateOutline(const TStitchContext& ctx) {
    // Outlines joined by jumps stitch out and back along their links.
    if (Jumps && !IsRail() && ((Flags & OF_RUNNING) || Outlines)) {
        GenerateLinkedOutline(*this, ctx);
        return;
    }
    // A satin outline (one with a width profile) is stitched across its band.
    if (Outlines && !Jumps)
        GenerateSatinOutlineList(*this, ctx);
    else
        GenerateRunningOutline(*this, ctx);
}

void TSLCurve::GenerateColumn(const TStitchContext& ctx) {
    if (Flags & OF_RAIL_B) {
        if (PartnerRail) nl::GenerateColumn(*PartnerRail, ctx);
        return;
    }
    nl::GenerateColumn(*this, ctx);
}

// ---- path evaluation ----

TPointD TSLCurve::PointAtT(int32_t segment, float t) const {
    int32_t k = SegmentCount();
    if (k == 0) return Empty() ? TPointD{} : TPointD{(*this)[0].X, (*this)[0].Y};
    segment = std::clamp(segment, 0, k - 1);
    TBezier b((*this)[3 * segment], (*this)[3 * segment + 1], (*this)[3 * segment + 2],
              (*this)[3 * segment + 3]);
    return {b.X(t), b.Y(t)};
}

TPointD TSLCurve::PointAtSample(int32_t s) const {
    int32_t k = SegmentCount();
    if (k == 0) return PointAtT(0, 0.f);
    if (s >= kSamplesPerSegment * k) return {Last()->X, Last()->Y};
    if (s < 0) s = 0;
    return PointAtT(s / kSamplesPerSegment, SAMPLE_T[s % kSamplesPerSegment]);
}

TPointD TSLCurve::PointAtSampleT(int32_t s, float t) const {
    int32_t k = SegmentCount();
    int32_t seg = std::clamp(s / kSamplesPerSegment, 0, std::max(0, k - 1));
    if (t < 0) {
        if (seg + 1 < k) return PointAtT(seg + 1, 1.f - t);
        return PointAtT(seg, 1.f);
    }
    return PointAtT(seg, t);
}

void TSLCurve::Flatten() {
    PathX.clear();
    PathY.clear();
    PathBounds = TKvRect{};
    PathBounds.empty = true;
    int32_t k = SegmentCount();
    if (k == 0) return;
    PathX.resize(static_cast<size_t>(kSamplesPerSegment * k + 1));
    PathY.resize(PathX.size());
    size_t o = 0;
    for (int32_t s = 0; s < k; ++s) {
        TBezier b((*this)[3 * s], (*this)[3 * s + 1], (*this)[3 * s + 2], (*this)[3 * s + 3]);
        for (int i = 0; i < kSamplesPerSegment; ++i, ++o) {
            PathX[o] = b.X(SAMPLE_T[i]);
            PathY[o] = b.Y(SAMPLE_T[i]);
        }
    }
    PathX[o] = Last()->X;
    PathY[o] = Last()->Y;
    float l = PathX[0], r = PathX[0], t = PathY[0], bt = PathY[0];
    for (size_t i = 1; i < PathX.size(); ++i) {
        l = std::min(l, PathX[i]);
        r = std::max(r, PathX[i]);
        t = std::min(t, PathY[i]);
        bt = std::max(bt, PathY[i]);
    }
    PathBounds.IncludePoint(l, t);
    PathBounds.IncludePoint(r, bt);
}

void TSLCurve::FlattenVisit(int32_t first, int32_t last,
                            const std::function<void(float, float, int32_t)>& visit) const {
    int32_t k = SegmentCount();
    if (k == 0) return;
    int32_t n = kSamplesPerSegment * k;
    if (last < 0 || last >= n) last = n - 1;
    first = std::max(first, 0);
    TPathEvaluator ev(*this);
    for (int32_t s = first; s <= last; ++s) {
        TPointD p = ev.At(s / kSamplesPerSegment, SAMPLE_T[s % kSamplesPerSegment]);
        visit(static_cast<float>(p.X), static_cast<float>(p.Y), s);
    }
    visit(Last()->X, Last()->Y, n);
}

void TSLCurve::Walk(double step, const std::function<void(const TWalkVisit&)>& visit) const {
    const int32_t k = SegmentCount();
    if (k == 0) return;
    // A step read from a file can be 0, negative or NaN: at least one unit.
    if (!(step >= 1.0)) step = 1.0;
    // The control polygon is at least as long as the path: refuse at once what could only end
    // at the point limit (or not at all, with non-finite points).
    double polygon = 0.0;
    for (int32_t i = 1; i < Count(); ++i)
        polygon += Distance((*this)[i - 1].X, (*this)[i - 1].Y, (*this)[i].X, (*this)[i].Y);
    if (!std::isfinite(polygon)) throw TGenerationError("path has points that are not numbers");
    if (polygon / step > 4.0 * kMaxWalkPoints) throw TGenerationError("path too long for its stitch length");
    const TWalkEvaluator ev(*this);
    const TReachTest reach(step);
    const TSP& a0 = (*this)[0];
    TPointD last{a0.X, a0.Y};
    int64_t visits = 1;
    visit({a0.X, a0.Y, 0, 0.f, true, false});

    double uLo = 0.0, d = 0.03;
    int32_t prevSeg = 0;
    const double uEnd = k - 0.0001;

    auto emit = [&](TPointD q, double u) {
        if (++visits > kMaxWalkPoints) throw TGenerationError("path too long for its stitch length");
        int32_t seg = std::clamp(static_cast<int32_t>(std::floor(u)), 0, k - 1);
        visit({static_cast<float>(q.X), static_cast<float>(q.Y), seg, static_cast<float>(u - seg), false,
               false});
        last = q;
        uLo = u;
        prevSeg = seg;
    };
    // Bisection between uLo and uHi for the point `step` from the last one; bounded, so a path
    // with degenerate or non-finite points still ends. `x` is the squared distance of the point
    // `at` at `hi`; `at` comes back as the point at the returned position, which the bisection
    // has already evaluated.
    auto refine = [&](double hi, double x, TPointD& at) {
        double lo = uLo, pos = hi;
        for (int it = 0; it < 64 && reach.Off(x); ++it) {
            const double um = (lo + hi) / 2;
            const TPointD pm = ev.At(um);
            const double xm = DistanceSquared(pm, last);
            if (reach.AtLeast(xm))
                hi = um;
            else
                lo = um;
            pos = um;
            x = xm;
            at = pm;
        }
        return pos;
    };
    // The first anchor after the previous visit, up to segment `seg`, that must receive a point
    // and is not already within reach of q; -1 when none. Every anchor passed is checked, so a
    // short forced segment that one step jumps over still gets its point.
    auto forcedAnchor = [&](int32_t seg, TPointD q) {
        for (int32_t i = prevSeg + 1; i <= seg && i < k; ++i) {
            const TSP& a = (*this)[3 * i];
            if ((a.Flags & SP_FORCE) && Distance(q.X, q.Y, a.X, a.Y) > 1.0001) return i;
        }
        return -1;
    };

    for (;;) {
        double uHi = uLo + d;
        if (uHi >= k) {
            TPointD e = ev.At(uEnd);
            int32_t f = forcedAnchor(k - 1, {Last()->X, Last()->Y});
            if (f >= 0) {
                emit({(*this)[3 * f].X, (*this)[3 * f].Y}, f);
                continue;
            }
            double x = DistanceSquared(e, last), r = std::sqrt(x);
            // The end anchor is visited when the remaining chord is within step + 0.1, so an
            // exact multiple of the step does not end in a tiny extra stitch.
            if (r > step + 0.1) {
                double pos = refine(uEnd, x, e);
                emit(e, pos);
                continue;
            }
            visit({Last()->X, Last()->Y, k - 1, 1.f, false, true});
            return;
        }
        TPointD q = ev.At(uHi);
        const double x = DistanceSquared(q, last);
        if (reach.Within(x)) {
            const double r = std::sqrt(x);
            d *= 1 + r / step;
            uLo = uHi;
            continue;
        }
        double pos = refine(uHi, x, q);
        int32_t seg = std::clamp(static_cast<int32_t>(std::floor(pos)), 0, k - 1);
        int32_t f = forcedAnchor(seg, q);
        if (f >= 0) {
            q = {(*this)[3 * f].X, (*this)[3 * f].Y};
            pos = f;
        }
        emit(q, pos);
    }
}

TPointD TSLCurve::DirectionAtT(int32_t segment, double t) const {
    const int32_t k = SegmentCount();
    if (k == 0) return {};
    segment = std::clamp(segment, 0, k - 1);
    const TSP* q[4] = {&(*this)[3 * segment], &(*this)[3 * segment + 1], &(*this)[3 * segment + 2],
                       &(*this)[3 * segment + 3]};
    // The derivative, in double: a chord over a tiny step of t is mostly rounding on short segments.
    const double m = 1.0 - t;
    double dx = 3 * m * m * (static_cast<double>(q[1]->X) - q[0]->X) +
                6 * m * t * (static_cast<double>(q[2]->X) - q[1]->X) +
                3 * t * t * (static_cast<double>(q[3]->X) - q[2]->X);
    double dy = 3 * m * m * (static_cast<double>(q[1]->Y) - q[0]->Y) +
                6 * m * t * (static_cast<double>(q[2]->Y) - q[1]->Y) +
                3 * t * t * (static_cast<double>(q[3]->Y) - q[2]->Y);
    double n = std::hypot(dx, dy);
    if (!(n > 1e-9)) {
        // A control point on its anchor stops the path there for an instant: it leaves towards
        // (or arrives from) the next distinct control point.
        dx = dy = 0;
        if (t < 0.5) {
            for (int i = 1; i < 4; ++i)
                if (q[i]->X != q[0]->X || q[i]->Y != q[0]->Y) {
                    dx = static_cast<double>(q[i]->X) - q[0]->X;
                    dy = static_cast<double>(q[i]->Y) - q[0]->Y;
                    break;
                }
        } else {
            for (int i = 2; i >= 0; --i)
                if (q[i]->X != q[3]->X || q[i]->Y != q[3]->Y) {
                    dx = static_cast<double>(q[3]->X) - q[i]->X;
                    dy = static_cast<double>(q[3]->Y) - q[i]->Y;
                    break;
                }
        }
        n = std::hypot(dx, dy);
    }
    if (!(n > 0) || !std::isfinite(n)) return {};
    return {dx / n, dy / n};
}

TRays TSLCurve::Perpendiculars(int32_t s, float t, double len) const {
    TRays rays;
    const int32_t k = SegmentCount();
    if (k == 0) return rays;
    const int32_t n = kSamplesPerSegment * k;
    s = std::clamp(s, 0, n);
    int32_t seg = std::min(s / kSamplesPerSegment, k - 1);
    bool atEnd = s >= n;
    if (atEnd) t = 1.f;
    TPointD p = PointAtT(seg, t);
    // The base line runs along the unit tangent, so that "vertical" means within a hundredth of
    // a unit per unit of length, whatever the length of the segment.
    auto raysOf = [&](TPointD dir, TKvLine& a, TKvLine& b) {
        TKvLine base(p.X, p.Y, p.X + dir.X, p.Y + dir.Y);
        base.MakePerpendicular(a, 0.0, len, p.X, p.Y);
        base.MakePerpendicular(b, 0.0, -len, p.X, p.Y);
        return base;
    };
    TKvLine out = raysOf(DirectionAtT(seg, t), rays.A, rays.B);
    if (!atEnd && s % kSamplesPerSegment == 0 && s > 0 && t == 0.f) {
        // Interior anchor: the rays bisect the corner between the incoming and outgoing tangent.
        TKvLine inA, inB;
        TKvLine in = raysOf(DirectionAtT(seg - 1, 1.0), inA, inB);
        rays.A.X2 = (rays.A.X2 + inA.X2) / 2;
        rays.A.Y2 = (rays.A.Y2 + inA.Y2) / 2;
        rays.B.X2 = (rays.B.X2 + inB.X2) / 2;
        rays.B.Y2 = (rays.B.Y2 + inB.Y2) / 2;
        rays.A.Update();
        rays.B.Update();
        rays.AngleOffset = in.Turn(out) / 2;
    }
    return rays;
}

void TSLCurve::ComputeEdges() {
    if (!Outlines) return;
    auto& e = Outlines->EdgeSamples;
    e.Clear();
    const int32_t k = SegmentCount();
    if (k == 0 || Outlines->Count() == 0) return;
    const int32_t n = kSamplesPerSegment * k + 1;
    e.AX.resize(n), e.AY.resize(n), e.BX.resize(n), e.BY.resize(n), e.Dist.resize(n), e.Angle.resize(n);
    std::vector<TRays> rays(static_cast<size_t>(n));
    // The display edges walk the sections; the section the generator or the editor is in stays
    // what it was (it is saved with the worksheet, so a reload must not move it).
    const int32_t keepSection = Outlines->CurrentSection;
    for (int32_t s = 0; s < n; ++s) {
        rays[s] = Perpendiculars(s, SAMPLE_T[s % kSamplesPerSegment], 1.0);
        e.Angle[s] = static_cast<float>(rays[s].AngleOffset);
        e.Dist[s] = s == 0 ? 0.f : static_cast<float>(Distance(PointAtSample(s), PointAtSample(s - 1)));
    }
    TOutlineList& list = *Outlines;
    const int32_t sections = list.Count();
    for (int32_t j = 0; j < sections; ++j) {
        TOutline& o = *list[j];
        int32_t ss = std::clamp(o.StartSample, 0, n - 1);
        o.StartAngle = e.Angle[ss] + o.EndRotation;
    }
    for (int32_t j = 0; j < sections; ++j) {
        TOutline& o = *list[j];
        int32_t from = std::clamp(o.StartSample, 0, n - 1);
        int32_t to = j + 1 < sections ? std::clamp(list[j + 1]->StartSample, from, n - 1) : from;
        float measure = 0.f;
        for (int32_t s = from + 1; s <= to; ++s)
            measure += e.Dist[s];
        o.SectionMeasure = measure;
        list.BeginSection(j, measure);
        float endAngle = j + 1 < sections ? list[j + 1]->StartAngle : o.StartAngle;
        float x = 0.f;
        for (int32_t s = from; s <= to; ++s) {
            if (s > from) x += e.Dist[s];
            float ha = list.ProfileHeightA(x), hb = list.ProfileHeightB(x);
            const TRays& r = rays[s];
            e.AX[s] = static_cast<float>(r.A.X1 + (r.A.X2 - r.A.X1) * ha);
            e.AY[s] = static_cast<float>(r.A.Y1 + (r.A.Y2 - r.A.Y1) * ha);
            e.BX[s] = static_cast<float>(r.B.X1 + (r.B.X2 - r.B.X1) * hb);
            e.BY[s] = static_cast<float>(r.B.Y1 + (r.B.Y2 - r.B.Y1) * hb);
            float f = measure > 0 ? x / measure : 0.f;
            e.Angle[s] = o.StartAngle + (endAngle - o.StartAngle) * f;
        }
    }
    list.CurrentSection = keepSection;
}

void TSLCurve::InsertSection(int32_t anchorIndex) {
    if (Outlines) Outlines->InsertSection(anchorIndex);
}

// ---- bounds ----

void TSLCurve::RefreshGeometry(const TStitchContext& ctx) {
    TSLStitch::UpdateBounds(ctx);
    Flatten();
    ComputeEdges();
    if (!PathBounds.empty && !(Flags & OF_PATTERN_MEMBER))
        PathBounds.Inflate(std::max(1, ctx.SelectionMargin));
    if (!PathBounds.empty) Bounds.UnionWith(PathBounds);
    // Links follow the path (a path that lost segments loses the links past its end).
    if (Jumps) RecomputeJumpPoints(*this);
    if (PartnerRail && PartnerRail != this) {
        // Both rails of a column report the union of their bounds.
        TSLCurve& p = *PartnerRail;
        p.TSLStitch::UpdateBounds(ctx);
        p.Flatten();
        if (!p.PathBounds.empty) {
            p.PathBounds.Inflate(std::max(1, ctx.SelectionMargin));
            p.Bounds.UnionWith(p.PathBounds);
        }
        Bounds.UnionWith(p.Bounds);
        p.Bounds = Bounds;
    }
}

void TSLCurve::UpdateBounds(const TStitchContext& ctx) {
    RefreshGeometry(ctx);
    Restitch(*this, ctx);
}

void TSLCurve::Offset(float dx, float dy) {
    TSLStitch::Offset(dx, dy);
    PathBounds.Offset(RoundI(dx), RoundI(dy));
    for (auto& x : PathX)
        x += dx;
    for (auto& y : PathY)
        y += dy;
    if (Generated) Generated->Offset(dx, dy);
    if (Jumps) Jumps->Offset(dx, dy);
    if (Outlines) {
        auto& e = Outlines->EdgeSamples;
        for (auto& v : e.AX)
            v += dx;
        for (auto& v : e.BX)
            v += dx;
        for (auto& v : e.AY)
            v += dy;
        for (auto& v : e.BY)
            v += dy;
    }
}

void TSLCurve::Mirror(bool horizontal, float cx, float cy) {
    TSLStitch::Mirror(horizontal, cx, cy);
    // A mirrored path turns the other way: the upper edge becomes the lower one.
    if (Outlines) Outlines->SwapSides();
    TStitchContext ctx;
    UpdateBounds(ctx);
}

// ---- object commands ----

namespace {
void ReversePoints(TSLCurve& c) {
    auto& v = c.Raw();
    std::reverse(v.begin(), v.end());
}
} // namespace

void TSLCurve::ReverseStitching(const TStitchContext& ctx) {
    if (Empty()) return;
    ReversePoints(*this);
    if (Outlines && Outlines->Count() > 0) {
        // The sections run the other way; each position keeps its start sample.
        std::vector<int32_t> starts;
        for (const auto& s : *Outlines)
            starts.push_back(s->StartSample);
        std::vector<std::unique_ptr<TOutline>> items;
        for (int32_t i = Outlines->Count() - 1; i >= 0; --i)
            items.push_back(Outlines->Extract(i));
        for (size_t i = 0; i < items.size(); ++i) {
            items[i]->StartSample = starts[i];
            Outlines->Add(std::move(items[i]));
        }
        Outlines->SetCurrent(nullptr);
    }
    if (PartnerRail && PartnerRail != this) ReversePoints(*PartnerRail);
    // Jump links stay where they are on the path.
    ReverseJumpIndices(*this);
    UpdateBounds(ctx);
}

void TSLCurve::ToggleLine(const TStitchContext& ctx) {
    StitchFlags ^= SF_LINE_OBJECT;
    if (IsLineObject())
        for (int32_t s = 0; s < SegmentCount(); ++s)
            StraightenSegment(s);
    UpdateBounds(ctx);
}

void TSLCurve::StraightenSegment(int32_t s) {
    if (s < 0 || s >= SegmentCount()) return;
    const TSP& a = (*this)[3 * s];
    const TSP& b = (*this)[3 * s + 3];
    TSP& c1 = (*this)[3 * s + 1];
    TSP& c2 = (*this)[3 * s + 2];
    c1.X = a.X + (b.X - a.X) / 3;
    c1.Y = a.Y + (b.Y - a.Y) / 3;
    c2.X = a.X + 2 * (b.X - a.X) / 3;
    c2.Y = a.Y + 2 * (b.Y - a.Y) / 3;
}

void TSLCurve::SetPolyline(const std::vector<std::pair<float, float>>& corners) {
    Clear();
    for (size_t i = 0; i < corners.size(); ++i) {
        if (i > 0) {
            Append(TSP::Plain(0, 0, 0));
            Append(TSP::Plain(0, 0, 0));
        }
        Append(TSP::Plain(0, corners[i].first, corners[i].second));
    }
    for (int32_t s = 0; s < SegmentCount(); ++s)
        StraightenSegment(s);
}

std::unique_ptr<TSLCurve> TSLCurve::FromPolyline(const std::vector<std::pair<float, float>>& corners) {
    auto c = std::make_unique<TSLCurve>();
    c->SetPolyline(corners);
    c->Flatten();
    return c;
}

bool TSLCurve::ToggleForce(int32_t pointIndex, const TStitchContext& ctx) {
    if (pointIndex < 0 || pointIndex >= Count() || pointIndex % 3 != 0) return false;
    (*this)[pointIndex].Flags ^= SP_FORCE;
    UpdateBounds(ctx);
    return true;
}

// ---- records ----

namespace {

// The curve's fields after the base record. Four role slots come first: an outline or rail A
// stores its passes, colour, density and running length; rail B stores whether its partner,
// pattern and feather exist (1 or 0; readers test only zero or not) and its density 0.
template <class IO, class C> void CurveFields(IO& io, C& c) {
    if constexpr (IO::Reading) {
        // The path must be whole Bezier segments before anything indexes into it.
        if (c.Count() < 4 || (c.Count() - 1) % 3 != 0) throw TReadError("curve point count is not 3k + 1");
        if ((c.Flags & OF_RAIL_A) && (c.Flags & OF_RAIL_B)) throw TReadError("curve is marked as both rails");
    }
    const bool rail = c.IsRail(), railB = c.IsRailB();
    const int32_t last = c.LastSample();
    int32_t passesOrPartner = rail ? c.PartnerRail != nullptr : c.Passes;
    int32_t colourOrPattern = railB ? c.Pattern != nullptr : c.Color;
    int32_t runOrFeather = railB ? c.Feather != nullptr : c.RunLength;
    io.Field(passesOrPartner, colourOrPattern, c.Density, runOrFeather, c.EntryIndex);
    io.Since(kVersionExitIndex, c.ExitIndex, -1);
    const TCurveFields defaults;
    io.Since(kVersionFillFields, c.FillPitch, defaults.FillPitch);
    io.Since(kVersionFillFields, c.FillOffsets, defaults.FillOffsets);
    io.Since(kVersionFillFields, c.Reserved, defaults.Reserved);
    io.Rect(c.PathBounds);
    if constexpr (IO::Reading) {
        if (c.EntryIndex < -1 || c.EntryIndex > last) throw TReadError("curve entry index out of range");
        if (c.ExitIndex < -1 || c.ExitIndex > last) throw TReadError("curve exit index out of range");
        c.PartnerRail = nullptr; // linked by the loader
        c.Passes = rail ? defaults.Passes : Clamp(passesOrPartner, PASSES_MIN, PASSES_MAX);
        c.Color = railB ? defaults.Color : colourOrPattern;
        c.RunLength = railB ? defaults.RunLength : Clamp(runOrFeather, RUN_LENGTH_MIN, RUN_LENGTH_MAX);
        if (!railB) {
            // Old files (and values below 10) hold the stitch spacing; its conversion must not
            // divide by zero or go negative. The result is brought into the page's range, which
            // starts at 10: a density read is then written back as a density and reads back
            // unchanged.
            if (!io.Has(kVersionDensity) || c.Density < 10)
                c.Density = c.Density <= 0 ? DEFAULT_DENSITY : 200 / c.Density;
            c.Density = rail ? Clamp(c.Density, RAIL_DENSITY_MIN, RAIL_DENSITY_MAX)
                             : Clamp(c.Density, OUTLINE_DENSITY_MIN, OUTLINE_DENSITY_MAX);
        }
    }
    io.Part(c.Outlines, [&](auto& profile) { profile.Record(io, c.AnchorCount()); });
    if (railB) {
        // Rail B carries the column's pattern and feather, announced by their role slots.
        io.Owned(c.Pattern, colourOrPattern != 0, [&](auto& pattern) { pattern.Record(io); });
        io.Owned(c.Feather, runOrFeather != 0, [&](auto& feather) { feather.Record(io); });
    } else if (!io.Stream()) {
        // A generated list is stored unless a jump list is (the jumps are rebuilt with the list).
        if (io.Flag(c.Generated && !c.Jumps))
            io.Object(c.Generated, TStitchListOnly{"curve stitch list has the wrong kind"});
    }
    io.Part(c.Jumps, [&](auto& jumps) { jumps.Record(io, last); });
}

} // namespace

void TSLCurve::Record(TRecordWriter& io) const {
    TSLStitch::Record(io);
    CurveFields(io, *this);
}

void TSLCurve::Record(TRecordReader& io) {
    TSLStitch::Record(io);
    CurveFields(io, *this);
    TStitchContext sc;
    // Rails wait for their partner (LinkRails); a stored list or a jump chain is kept as read.
    if (IsRail() || Generated || Jumps)
        RefreshGeometry(sc);
    else
        UpdateBounds(sc);
}

void LinkRails(TSLCurve& a, TSLCurve& b, const TStitchContext& ctx) {
    if (&a == &b || !(a.Flags & OF_RAIL_A) || !(b.Flags & OF_RAIL_B))
        throw TReadError("curved column rails are not an A and B pair");
    if (a.Count() != b.Count()) throw TReadError("curved column rails have different point counts");
    a.PartnerRail = &b;
    b.PartnerRail = &a;
    a.UpdateBounds(ctx);
}

void LinkRailsInOrder(const std::vector<TSLStitch*>& objects, const TStitchContext& ctx) {
    TSLCurve* pendingA = nullptr;
    for (TSLStitch* o : objects) {
        auto* c = dynamic_cast<TSLCurve*>(o);
        if (!c) continue;
        if (c->Flags & OF_RAIL_A) {
            if (pendingA) throw TReadError("curved column rail A without its rail B");
            pendingA = c;
        } else if (c->Flags & OF_RAIL_B) {
            if (!pendingA) throw TReadError("curved column rail B without its rail A");
            LinkRails(*pendingA, *c, ctx);
            pendingA = nullptr;
        }
    }
    if (pendingA) throw TReadError("curved column rail A without its rail B");
}

// ---- drawing and hit tests ----

void TSLCurve::DrawEdit(TDrawContext& dc) const {
    if (!dc.Target || Empty()) return;
    Canvas& c = *dc.Target;
    bool selected = (Flags & OF_SELECTED_EDIT) != 0;
    // The path (or, before it can be flattened, the control polygon).
    std::vector<TPointF> pts;
    if (!PathX.empty()) {
        for (size_t i = 0; i < PathX.size(); ++i)
            pts.push_back({dc.SX(PathX[i]), dc.SY(PathY[i])});
    } else {
        for (const TSP& p : *this)
            pts.push_back({dc.SX(p.X), dc.SY(p.Y)});
    }
    if (dc.View.Highlight) {
        c.SetPen(HIGHLIGHT_BAND_COLOUR, HIGHLIGHT_BAND_WIDTH);
        c.Polyline(pts);
    }
    if (dc.View.ShowOutlines || selected) {
        c.SetPen(selected ? 0x000000FF : 0x00808080, selected ? 2.f : 1.f);
        c.Polyline(pts);
    }
    if (Outlines && Outlines->EdgeSamples.Size() >= 2 && (dc.View.ShowOutlines || selected)) {
        // The two edges of a satin outline's width profile.
        const auto& e = Outlines->EdgeSamples;
        std::vector<TPointF> a, b;
        a.reserve(e.Size());
        b.reserve(e.Size());
        for (size_t i = 0; i < e.Size(); ++i) {
            a.push_back({dc.SX(e.AX[i]), dc.SY(e.AY[i])});
            b.push_back({dc.SX(e.BX[i]), dc.SY(e.BY[i])});
        }
        c.SetPen(0x00C0C0C0, 1.f, TPenStyle::Dot);
        c.Polyline(a);
        c.Polyline(b);
    }
    if (Generated && dc.View.ShowStitches) {
        // Only columns and satin outlines lay satin stitches that can be too long.
        TDrawContext gdc = dc;
        if (!IsRail() && StitchType() != ST_SATIN && StitchType() != ST_ZIGZAG) gdc.View.LongStitchLimit = 0;
        Generated->DrawEdit(gdc);
    }
    if (selected || (IsRail() && dc.View.ShowColumnHandles)) {
        // Anchors as squares, control points as circles joined to their anchors. A line object's
        // control points follow its anchors and are not handles: only its anchors are shown.
        const bool line = IsLineObject();
        c.SetPen(0x00A0A0A0, 1.f, TPenStyle::Dot);
        for (int32_t i = 0; i + 1 < Count() && !line; ++i) {
            if (i % 3 == 1) continue; // the line between the two controls is not a handle
            c.Line(dc.SX((*this)[i].X), dc.SY((*this)[i].Y), dc.SX((*this)[i + 1].X),
                   dc.SY((*this)[i + 1].Y));
        }
        for (int32_t i = 0; i < Count(); ++i) {
            if (line && i % 3 != 0) continue;
            const TSP& p = (*this)[i];
            c.Marker(dc.SX(p.X), dc.SY(p.Y), i % 3 == 0 ? TMarker::Square : TMarker::Circle, dc.MarkerSize,
                     (p.Flags & SP_FORCE) ? 0x000000FF : 0x00000000);
        }
        if ((Flags & OF_RAIL_A) && PartnerRail) DrawColumnRungs(*this, dc);
    }
}

void TSLCurve::DrawLayout(TDrawContext& dc) const {
    DrawEdit(dc);
    if ((Flags & OF_SELECTED_LAYOUT) && dc.Selection) dc.Selection->UnionWith(GetPathBounds());
}

bool TSLCurve::HitTest(float x, float y, const TStitchContext& ctx, int32_t* pointIndex) const {
    int32_t i = HitPoint(x, y, ctx);
    if (pointIndex) *pointIndex = i;
    return i >= 0 || HitPath(x, y, ctx);
}

bool TSLCurve::HitPath(float x, float y, const TStitchContext& ctx) const {
    double tol = std::max(1, ctx.PickTolerance);
    if (!PathX.empty()) {
        for (size_t i = 1; i < PathX.size(); ++i)
            if (NearSegment(x, y, PathX[i - 1], PathY[i - 1], PathX[i], PathY[i], tol)) return true;
        return false;
    }
    for (int32_t i = 1; i < Count(); ++i)
        if (NearSegment(x, y, (*this)[i - 1].X, (*this)[i - 1].Y, (*this)[i].X, (*this)[i].Y, tol))
            return true;
    return false;
}

} // namespace nl
