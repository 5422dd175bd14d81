#include "regions/SLRegion.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "core/Errors.h"
#include "core/Geometry.h"
#include "core/Numeric.h"
#include "core/Units.h"
#include "platform/Canvas.h"
#include "stitching/CurveParts.h"

namespace nl {

// ---- outline samples ----

int32_t LastSampleOf(TSLCurve& o) {
    int32_t k = o.SegmentCount();
    if (k == 0) return -1;
    size_t want = static_cast<size_t>(k) * kSamplesPerSegment + 1;
    if (o.PathX.size() != want || o.PathY.size() != want) o.Flatten();
    if (o.PathX.size() != want || o.PathY.size() != want) return -1;
    return k * kSamplesPerSegment;
}

void SamplePoint(TSLCurve& o, int32_t index, double percent, double& x, double& y) {
    int32_t last = LastSampleOf(o);
    if (last < 0) {
        x = y = 0;
        return;
    }
    index = Clamp(index, 0, last);
    auto i = static_cast<size_t>(index);
    x = o.PathX[i];
    y = o.PathY[i];
    if (index >= last || !std::isfinite(percent)) return; // the last sample has no segment after it
    x += (o.PathX[i + 1] - o.PathX[i]) * percent / 100.0;
    y += (o.PathY[i + 1] - o.PathY[i]) * percent / 100.0;
}

namespace {

// Percent of the way from sample index to index + 1 at which (x, y) lies; 0 for the last sample or
// a zero-length segment.
double PercentOn(TSLCurve& o, int32_t index, double x, double y) {
    int32_t last = LastSampleOf(o);
    if (last < 0 || index < 0 || index >= last) return 0;
    auto i = static_cast<size_t>(index);
    double seg = HypotDistance(o.PathX[i], o.PathY[i], o.PathX[i + 1], o.PathY[i + 1]);
    if (seg == 0) return 0;
    return 100.0 * HypotDistance(o.PathX[i], o.PathY[i], x, y) / seg;
}

// Intersection of segments p1-p2 and q1-q2 (parameters on both within [0, 1]).
bool SegmentsMeet(double p1x, double p1y, double p2x, double p2y, double q1x, double q1y, double q2x,
                  double q2y, double& x, double& y) {
    double rx = p2x - p1x, ry = p2y - p1y, sx = q2x - q1x, sy = q2y - q1y;
    double den = rx * sy - ry * sx;
    if (den == 0) return false;
    double t = ((q1x - p1x) * sy - (q1y - p1y) * sx) / den;
    double u = ((q1x - p1x) * ry - (q1y - p1y) * rx) / den;
    if (t < 0 || t > 1 || u < 0 || u > 1) return false;
    x = p1x + t * rx;
    y = p1y + t * ry;
    return true;
}

// Intersection of segment q1-q2 with the ray from o in direction d (beyond o).
bool RayMeets(double ox, double oy, double dx, double dy, double q1x, double q1y, double q2x, double q2y,
              double& x, double& y) {
    double sx = q2x - q1x, sy = q2y - q1y;
    double den = dx * sy - dy * sx;
    if (den == 0) return false;
    double t = ((q1x - ox) * sy - (q1y - oy) * sx) / den;
    double u = ((q1x - ox) * dy - (q1y - oy) * dx) / den;
    if (t <= 0 || u < 0 || u > 1) return false;
    x = ox + t * dx;
    y = oy + t * dy;
    return true;
}

struct TPoly {
    const std::vector<float>& X;
    const std::vector<float>& Y;
    int32_t Last;
    double x(int32_t i) const { return X[static_cast<size_t>(i)]; }
    double y(int32_t i) const { return Y[static_cast<size_t>(i)]; }
};

} // namespace

std::vector<TCandidate> FindCandidates(TSLCurve& P, TSLCurve& N) {
    std::vector<TCandidate> out;
    int32_t lp = LastSampleOf(P), ln = LastSampleOf(N);
    if (lp < 1 || ln < 1) return out;
    TPoly p{P.PathX, P.PathY, lp}, n{N.PathX, N.PathY, ln};
    const bool same = &P == &N;
    auto add = [&](double x, double y, uint32_t kind, int32_t ni, int32_t pi) {
        TCandidate c;
        c.X = static_cast<float>(x);
        c.Y = static_cast<float>(y);
        c.Kind = kind;
        c.NewIndex = ni;
        c.PrevIndex = pi;
        c.Outline = &N;
        out.push_back(c);
    };
    // End points.
    add(n.x(ln), n.y(ln), NK_JOIN_FROM_START, ln, 0);
    if (!same) add(n.x(ln), n.y(ln), NK_JOIN_FROM_END, ln, lp);
    add(n.x(0), n.y(0), NK_JOIN_FROM_END, 0, lp);
    if (!same) add(n.x(0), n.y(0), NK_JOIN_FROM_START, 0, 0);
    // Crossings.
    for (int32_t i = 0; i < ln; ++i) {
        double ax = n.x(i), ay = n.y(i), bx = n.x(i + 1), by = n.y(i + 1);
        double nx0 = std::min(ax, bx), nx1 = std::max(ax, bx), ny0 = std::min(ay, by), ny1 = std::max(ay, by);
        for (int32_t j = 0; j < lp; ++j) {
            if (same && i - 1 <= j && j <= i + 3) continue;
            double cx = p.x(j), cy = p.y(j), dx = p.x(j + 1), dy = p.y(j + 1);
            if (std::max(cx, dx) < nx0 || std::min(cx, dx) > nx1 || std::max(cy, dy) < ny0 ||
                std::min(cy, dy) > ny1)
                continue;
            double x, y;
            if (SegmentsMeet(ax, ay, bx, by, cx, cy, dx, dy, x, y)) add(x, y, NK_CROSSING, i, j);
        }
    }
    // Extensions of P (none for a degenerate end segment).
    double sdx = p.x(0) - p.x(1), sdy = p.y(0) - p.y(1);
    double edx = p.x(lp) - p.x(lp - 1), edy = p.y(lp) - p.y(lp - 1);
    for (int32_t i = 0; i < ln; ++i) {
        double x, y;
        if ((sdx != 0 || sdy != 0) &&
            RayMeets(p.x(0), p.y(0), sdx, sdy, n.x(i), n.y(i), n.x(i + 1), n.y(i + 1), x, y))
            add(x, y, NK_PREV_START_EXTENSION, i, 0);
        if ((edx != 0 || edy != 0) &&
            RayMeets(p.x(lp), p.y(lp), edx, edy, n.x(i), n.y(i), n.x(i + 1), n.y(i + 1), x, y))
            add(x, y, NK_PREV_END_EXTENSION, i, lp);
    }
    // Extensions of N.
    double nsdx = n.x(0) - n.x(1), nsdy = n.y(0) - n.y(1);
    double nedx = n.x(ln) - n.x(ln - 1), nedy = n.y(ln) - n.y(ln - 1);
    for (int32_t j = 0; j < lp; ++j) {
        double x, y;
        if ((nsdx != 0 || nsdy != 0) &&
            RayMeets(n.x(0), n.y(0), nsdx, nsdy, p.x(j), p.y(j), p.x(j + 1), p.y(j + 1), x, y))
            add(x, y, NK_NEW_START_EXTENSION, 0, j);
        if ((nedx != 0 || nedy != 0) &&
            RayMeets(n.x(ln), n.y(ln), nedx, nedy, p.x(j), p.y(j), p.x(j + 1), p.y(j + 1), x, y))
            add(x, y, NK_NEW_END_EXTENSION, ln, j);
    }
    GroupCoincident(out);
    return out;
}

void GroupCoincident(std::vector<TCandidate>& c) {
    std::vector<char> grouped(c.size(), 0);
    for (size_t i = 0; i < c.size(); ++i) {
        if (grouped[i]) continue;
        c[i].Group = 0;
        uint32_t next = 1;
        for (size_t j = i + 1; j < c.size(); ++j) {
            if (grouped[j]) continue;
            if (std::fabs(c[j].X - c[i].X) <= 5 && std::fabs(c[j].Y - c[i].Y) <= 5) {
                grouped[j] = 1;
                c[j].Group = std::min<uint32_t>(next, 7); // three bits: crowds beyond 7 share group 7
                ++next;
            }
        }
    }
}

double DecodeOffset(uint32_t v) {
    v &= 0xFFFF;
    return v < 2000 ? v / 10.0 : -(static_cast<double>(v) - 2000) / 10.0;
}

uint32_t EncodeOffset(double p) {
    int32_t v = p >= 0 ? RoundI(10 * p) : RoundI(2000 - 10 * p);
    return static_cast<uint32_t>(Clamp(v, 0, 0xFFFF));
}

// ---- the region ----

TSLRegion::TSLRegion() {
    Flags |= OF_REGION;
    StitchFlags = SF_A_SIDE | SF_B_SIDE | RSF_UNDER_ZIGZAG;
    TSP first = TSP::Plain(SP_FIRST_NODE | SP_REGION_NODE, 0, 0);
    Append(first);
    Node(0);
}

TSLRegion::~TSLRegion() = default;

TSP& TSLRegion::AppendNode(uint32_t flags, float x, float y, TSLCurve* outline, int32_t startIndex,
                           int32_t endIndex) {
    TSP& p = Append(TSP::Plain((flags & ~(SP_EXTRA | SP_MODIFY)) | SP_REGION_NODE, x, y));
    TRegionNode& n = EnsureNode(p);
    n.Outline = outline;
    n.StartIndex = startIndex;
    n.EndIndex = endIndex;
    return p;
}

std::vector<TWalkPoint> TSLRegion::WalkPath() const {
    std::vector<TWalkPoint> pts;
    const int32_t n = Count();
    if (n == 0) return pts;
    // Nodes being placed (start index -1) or without an outline are skipped.
    auto valid = [&](int32_t k) {
        const TRegionNode* d = NodeAt(k);
        return d && d->Outline && d->StartIndex >= 0 && LastSampleOf(*d->Outline) >= 0;
    };
    const TSP& p0 = (*this)[0];
    pts.push_back({p0.X, p0.Y, 0});
    if (!valid(0)) return pts;
    const int32_t s0 = NodeAt(0)->StartIndex;
    auto line = [&](double x, double y, int32_t k) { pts.push_back({x, y, k}); };
    for (int32_t k = 0; k < n; ++k) {
        if (!valid(k)) continue;
        const TRegionNode& d = *NodeAt(k);
        TSLCurve& o = *d.Outline;
        const int32_t last = LastSampleOf(o);
        int32_t next = k + 1;
        while (next < n && !valid(next))
            ++next;
        const bool closing = next >= n;
        if (closing && UnderConstruction()) break;
        int32_t s = Clamp(d.StartIndex, 0, last);
        int32_t e = closing ? s0 : (d.EndIndex < 0 ? s : d.EndIndex);
        e = Clamp(e, 0, last);
        if (e >= s) {
            for (int32_t i = s + 1; i <= e; ++i)
                line(o.PathX[static_cast<size_t>(i)], o.PathY[static_cast<size_t>(i)], k);
        } else {
            for (int32_t i = s; i >= e + 1; --i)
                line(o.PathX[static_cast<size_t>(i)], o.PathY[static_cast<size_t>(i)], k);
        }
        if (closing) {
            line(p0.X, p0.Y, k);
            break;
        }
        const TSP& np = (*this)[next];
        const TRegionNode& nd = *NodeAt(next);
        TSLCurve& no = *nd.Outline;
        switch (KindOf(np)) {
        case NK_JOIN_FROM_START:
        case NK_PREV_START_EXTENSION:
            line(o.PathX[0], o.PathY[0], k);
            line(np.X, np.Y, k);
            break;
        case NK_NEW_START_EXTENSION:
            line(np.X, np.Y, k);
            line(no.PathX[0], no.PathY[0], k);
            break;
        case NK_NEW_END_EXTENSION:
            line(np.X, np.Y, k);
            line(no.PathX.back(), no.PathY.back(), k);
            break;
        case NK_FIXED: {
            double ax, ay, bx, by;
            SamplePoint(o, e, nd.PercentA, ax, ay);
            SamplePoint(no, nd.StartIndex, nd.PercentB, bx, by);
            line(ax, ay, k);
            line(bx, by, k);
            break;
        }
        default:
            line(np.X, np.Y, k);
            break;
        }
    }
    return pts;
}

void TSLRegion::BoundaryPoint(int32_t node, double percent, double& x, double& y) const {
    x = Empty() ? 0 : (*this)[0].X;
    y = Empty() ? 0 : (*this)[0].Y;
    const TRegionNode* nd = (node >= 0 && node < Count()) ? NodeAt(node) : nullptr;
    if (!nd || !std::isfinite(percent)) return;
    auto pts = WalkPath();
    double target = nd->SegmentLength * percent / 100.0, total = 0;
    bool started = false;
    for (size_t i = 1; i < pts.size(); ++i) {
        if (!started && pts[i].Node == node) started = true;
        if (!started) continue;
        double len = HypotDistance(pts[i - 1].X, pts[i - 1].Y, pts[i].X, pts[i].Y);
        if (total + len >= target) {
            double t = len > 0 ? (target - total) / len : 0;
            x = pts[i - 1].X + (pts[i].X - pts[i - 1].X) * t;
            y = pts[i - 1].Y + (pts[i].Y - pts[i - 1].Y) * t;
            return;
        }
        total += len;
    }
}

bool TSLRegion::HitBoundary(double x, double y, double tolerance, int32_t& node, double& distance) const {
    auto pts = WalkPath();
    double along = 0;
    int32_t current = -1;
    // The nearest place on the path within the tolerance: the first piece within reach may lie a
    // few units short of where the user clicked.
    double best = tolerance;
    bool found = false;
    for (size_t i = 1; i < pts.size(); ++i) {
        if (pts[i].Node != current) {
            current = pts[i].Node;
            along = 0;
        }
        const TWalkPoint &a = pts[i - 1], &b = pts[i];
        double dx = b.X - a.X, dy = b.Y - a.Y, len = std::hypot(dx, dy);
        double t = len > 0 ? std::clamp(((x - a.X) * dx + (y - a.Y) * dy) / (len * len), 0.0, 1.0) : 0.0;
        const double d = HypotDistance(x, y, a.X + t * dx, a.Y + t * dy);
        if (d <= best && (!found || d < best)) {
            node = current;
            distance = along + t * len;
            best = d;
            found = true;
        }
        along += len;
    }
    return found;
}

void TSLRegion::DeriveStoredPoints() {
    BoundaryPoint(EntryNode, EntryPercent, EntryX, EntryY);
    BoundaryPoint(ExitNode, ExitPercent, ExitX, ExitY);
}

void TSLRegion::UpdateBounds(const TStitchContext& ctx) {
    (void)ctx;
    auto pts = WalkPath();
    Bounds = TKvRect{};
    Bounds.empty = true;
    for (int32_t k = 0; k < Count(); ++k)
        if (NodeAt(k)) Node(k).SegmentLength = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        if (!std::isfinite(pts[i].X) || !std::isfinite(pts[i].Y)) continue;
        Bounds.IncludePoint(static_cast<float>(pts[i].X), static_cast<float>(pts[i].Y));
        if (i == 0) continue;
        int32_t k = pts[i].Node;
        if (k >= 0 && k < Count() && NodeAt(k))
            Node(k).SegmentLength +=
                static_cast<float>(HypotDistance(pts[i - 1].X, pts[i - 1].Y, pts[i].X, pts[i].Y));
    }
}

TKvRect TSLRegion::GetStitchBounds() const {
    if (!FillStitches) return Bounds;
    TKvRect r;
    r.empty = true;
    for (const TSP& p : *FillStitches)
        r.IncludePoint(p.X, p.Y);
    return r;
}

void TSLRegion::ConvertNodeToFixed(int32_t k) {
    if (k < 1 || k >= Count()) return;
    TSP& p = (*this)[k];
    uint32_t kind = KindOf(p);
    if (kind == NK_FIXED || !NodeAt(k) || !NodeAt(k - 1)) return;
    TRegionNode& d = Node(k);
    const TRegionNode& prev = Node(k - 1);
    if (!d.Outline || !prev.Outline) return;
    auto pctN = [&] { return PercentOn(*d.Outline, d.StartIndex, p.X, p.Y); };
    auto pctP = [&] { return PercentOn(*prev.Outline, prev.EndIndex, p.X, p.Y); };
    switch (kind) {
    case NK_JOIN_FROM_START:
    case NK_JOIN_FROM_END:
        d.PercentA = d.PercentB = 0;
        break;
    case NK_CROSSING:
        d.PercentB = static_cast<float>(pctN());
        d.PercentA = static_cast<float>(pctP());
        break;
    case NK_PREV_START_EXTENSION:
    case NK_PREV_END_EXTENSION:
        d.PercentA = 0;
        d.PercentB = static_cast<float>(std::min(100.0, pctN()));
        break;
    default:
        d.PercentB = 0;
        d.PercentA = static_cast<float>(pctP());
        break;
    }
    p.Flags = (p.Flags & ~SP_NODE_KIND) | NK_FIXED;
}

void TSLRegion::ClampIndices() {
    const int32_t n = Count();
    for (int32_t k = 0; k < n; ++k) {
        if (!NodeAt(k)) continue;
        TRegionNode& d = Node(k);
        if (!std::isfinite(d.PercentA)) d.PercentA = 0;
        if (!std::isfinite(d.PercentB)) d.PercentB = 0;
        if (!d.Outline) continue;
        int32_t last = LastSampleOf(*d.Outline);
        if (last < 0) continue;
        if (d.StartIndex >= 0 || !UnderConstruction()) d.StartIndex = Clamp(d.StartIndex, 0, last);
        d.EndIndex = Clamp(d.EndIndex, -1, last);
    }
    ExitNode = Clamp(ExitNode, 0, std::max(0, n - 1));
    EntryNode = Clamp(EntryNode, 0, std::max(0, n - 1));
    if (!std::isfinite(ExitPercent)) ExitPercent = 0;
    if (!std::isfinite(EntryPercent)) EntryPercent = 0;
}

void TSLRegion::RebuildFromOutlines(const TStitchContext& ctx) {
    const int32_t n = Count();
    if (n == 0) return;
    ClampIndices();
    if (NodeAt(0) && NodeAt(0)->Outline) {
        double x, y;
        SamplePoint(*Node(0).Outline, Node(0).StartIndex, 0, x, y);
        (*this)[0].X = static_cast<float>(x);
        (*this)[0].Y = static_cast<float>(y);
    }
    for (int32_t k = 1; k < n; ++k) {
        if (!NodeAt(k) || !NodeAt(k - 1)) continue;
        TSP& p = (*this)[k];
        TRegionNode& d = Node(k);
        TRegionNode& prev = Node(k - 1);
        if (!d.Outline || !prev.Outline || d.StartIndex < 0) continue;
        uint32_t kind = KindOf(p);
        if (kind == NK_FIXED) {
            double x, y;
            SamplePoint(*d.Outline, d.StartIndex, d.PercentB, x, y);
            p.X = static_cast<float>(x);
            p.Y = static_cast<float>(y);
            continue;
        }
        auto cands = FindCandidates(*prev.Outline, *d.Outline);
        auto opposite = [](uint32_t a, uint32_t b) {
            return (a == NK_NEW_END_EXTENSION && b == NK_NEW_START_EXTENSION) ||
                   (a == NK_NEW_START_EXTENSION && b == NK_NEW_END_EXTENSION) ||
                   (a == NK_PREV_END_EXTENSION && b == NK_PREV_START_EXTENSION) ||
                   (a == NK_PREV_START_EXTENSION && b == NK_PREV_END_EXTENSION);
        };
        auto isJoin = [](uint32_t kd) { return kd == NK_JOIN_FROM_START || kd == NK_JOIN_FROM_END; };
        int32_t best = -1;
        int64_t bestScore = 0;
        for (size_t i = 0; i < cands.size(); ++i) {
            const TCandidate& c = cands[i];
            if (opposite(kind, c.Kind)) continue;
            bool extension = c.Kind >= NK_PREV_START_EXTENSION && c.Kind <= NK_NEW_END_EXTENSION;
            int64_t score = extension ? std::llabs(int64_t(d.StartIndex) - c.NewIndex)
                                      : std::llabs(int64_t(prev.EndIndex) - c.PrevIndex);
            if (c.Kind != kind) score += 1;
            if (isJoin(c.Kind)) score += 2;
            if (best < 0 || score <= bestScore) {
                best = static_cast<int32_t>(i);
                bestScore = score;
            }
        }
        if (best < 0) continue; // nothing matches: the node stays as it is
        if (isJoin(cands[static_cast<size_t>(best)].Kind)) {
            uint32_t jk = cands[static_cast<size_t>(best)].Kind;
            double bestD = 1e300;
            for (size_t i = 0; i < cands.size(); ++i) {
                if (cands[i].Kind != jk) continue;
                double dd = HypotDistance(cands[i].X, cands[i].Y, p.X, p.Y);
                if (dd < bestD) {
                    bestD = dd;
                    best = static_cast<int32_t>(i);
                }
            }
        }
        const TCandidate& w = cands[static_cast<size_t>(best)];
        p.X = w.X;
        p.Y = w.Y;
        p.Flags = (p.Flags & ~(SP_NODE_KIND | SP_GROUP_MASK)) | w.Kind;
        d.StartIndex = w.NewIndex;
        d.PercentA = d.PercentB = 0;
        prev.EndIndex = w.PrevIndex;
    }
    if (!UnderConstruction() && n > 0 && NodeAt(n - 1) && NodeAt(0))
        Node(n - 1).EndIndex = Node(0).StartIndex;
    ClampIndices();
    UpdateBounds(ctx);
}

namespace {

// Positions on an outline whose last sample is `last`, numbered the other way round. A node's
// index is either a sample (an end of the outline, the anchor) or the segment from that sample to
// the next (a crossing, an extension meeting the outline); the path walk reads both correctly
// from either side, so a segment keeps being a segment and a sample a sample.
int32_t ReversedSample(int32_t i, int32_t last) {
    return last - Clamp(i, 0, last);
}

int32_t ReversedSegment(int32_t i, int32_t last) {
    i = Clamp(i, 0, last);
    return i >= last ? 0 : last - 1 - i;
}

// A fixed position `percent` along the segment from sample i: the same point measured from the
// other end of the mirrored segment.
void ReverseFixed(int32_t& i, float& percent, int32_t last) {
    i = Clamp(i, 0, last);
    if (i >= last || !(percent > 0)) {
        i = last - i;
        percent = 0;
    } else if (percent >= 100) {
        i = last - 1 - i;
        percent = 0;
    } else {
        i = last - 1 - i;
        percent = 100 - percent;
    }
}

uint32_t Swapped(uint32_t kind, uint32_t a, uint32_t b) {
    return kind == a ? b : kind == b ? a : kind;
}

} // namespace

void TSLRegion::OutlineReversed(const TSLStitch& outline, const TStitchContext& ctx) {
    const int32_t n = Count();
    // Every index's role is read from the kinds as they were before any of them changes.
    std::vector<uint32_t> kinds(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k)
        kinds[static_cast<size_t>(k)] = KindOf((*this)[k]);
    auto on = [&](int32_t k) {
        const TRegionNode* d = NodeAt(k);
        return d && d->Outline == &outline;
    };
    for (int32_t k = 0; k < n; ++k) {
        if (!on(k)) continue;
        TRegionNode& d = Node(k);
        const int32_t last = LastSampleOf(*d.Outline);
        if (last < 0) continue;
        // Where the node lies on the outline (the anchor always on a sample).
        if (d.StartIndex >= 0) {
            switch (k == 0 ? NK_JOIN_FROM_START : kinds[static_cast<size_t>(k)]) {
            case NK_CROSSING:
            case NK_PREV_START_EXTENSION:
            case NK_PREV_END_EXTENSION:
                d.StartIndex = ReversedSegment(d.StartIndex, last);
                break;
            case NK_FIXED:
                ReverseFixed(d.StartIndex, d.PercentB, last);
                break;
            default:
                d.StartIndex = ReversedSample(d.StartIndex, last);
                break;
            }
        }
        // Where the path leaves it for the next node (the closing node: back at the anchor).
        if (d.EndIndex >= 0) {
            const bool hasNext = k + 1 < n && NodeAt(k + 1);
            switch (hasNext ? kinds[static_cast<size_t>(k + 1)] : NK_JOIN_FROM_START) {
            case NK_CROSSING:
            case NK_NEW_START_EXTENSION:
            case NK_NEW_END_EXTENSION:
                d.EndIndex = ReversedSegment(d.EndIndex, last);
                break;
            case NK_FIXED:
                ReverseFixed(d.EndIndex, Node(k + 1).PercentA, last);
                break;
            default:
                d.EndIndex = ReversedSample(d.EndIndex, last);
                break;
            }
        }
    }
    // The outline's start is now its end: joins and extensions naming one of its ends name the
    // other. The previous node's outline is the one left, the node's own the one entered.
    for (int32_t k = 1; k < n; ++k) {
        uint32_t kind = kinds[static_cast<size_t>(k)];
        if (on(k - 1)) {
            kind = Swapped(kind, NK_JOIN_FROM_START, NK_JOIN_FROM_END);
            kind = Swapped(kind, NK_PREV_START_EXTENSION, NK_PREV_END_EXTENSION);
        }
        if (on(k)) kind = Swapped(kind, NK_NEW_START_EXTENSION, NK_NEW_END_EXTENSION);
        TSP& p = (*this)[k];
        p.Flags = (p.Flags & ~SP_NODE_KIND) | kind;
    }
    UpdateBounds(ctx);
}

void TSLRegion::RebuildIfMeets(const TKvRect& changed, const TStitchContext& ctx) {
    if (!Bounds.empty && !changed.empty && !Bounds.Intersects(changed)) return;
    RebuildFromOutlines(ctx);
    Restitch(*this, ctx);
}

void TSLRegion::ResolveOutlines(const std::vector<TSLStitch*>& objects) {
    for (int32_t k = 0; k < Count(); ++k) {
        if (!NodeAt(k)) continue;
        TRegionNode& d = Node(k);
        int32_t m = d.OutlineMark;
        TSLCurve* c = nullptr;
        if (m >= 0 && static_cast<size_t>(m) < objects.size() && objects[static_cast<size_t>(m)] &&
            objects[static_cast<size_t>(m)]->Kind() == KIND_CURVE)
            c = dynamic_cast<TSLCurve*>(objects[static_cast<size_t>(m)]);
        if (!c)
            throw TReadError("a fill region refers to object " + std::to_string(m) +
                             ", which is not an outline");
        d.Outline = c;
    }
    ClampIndices();
}

std::vector<TSLStitch*> TSLRegion::UsedOutlines() const {
    std::vector<TSLStitch*> out;
    for (int32_t k = 0; k < Count(); ++k) {
        const TRegionNode* d = NodeAt(k);
        if (d && d->Outline && std::find(out.begin(), out.end(), d->Outline) == out.end())
            out.push_back(d->Outline);
    }
    return out;
}

// ---- TSLStitch slots ----

std::unique_ptr<TSLStitch> TSLRegion::Clone() const {
    return CloneAs<TSLRegion>();
}

void TSLRegion::Assign(const TSLStitch& source) {
    AssignAs<TSLRegion, TRegionFields>(*this, source);
}

void TSLRegion::Regenerate(const TStitchContext& ctx) {
    FillStitches.reset();
    RegenerateFill(ctx);
}

void TSLRegion::SetVisible(bool on, const TStitchContext& ctx) {
    if (on)
        Flags |= OF_VISIBLE;
    else
        Flags &= ~OF_VISIBLE;
    RegenerateFill(ctx);
}

void TSLRegion::ClearFlags(uint32_t mask) {
    Flags &= ~mask;
    if (FillStitches) FillStitches->Flags &= ~mask;
}

void TSLRegion::SetFlags(uint32_t mask) {
    Flags |= mask;
    if (FillStitches) FillStitches->Flags |= mask;
}

void TSLRegion::ToggleFlags(uint32_t mask) {
    Flags ^= mask;
    if (FillStitches) FillStitches->Flags ^= mask;
}

void TSLRegion::Offset(float dx, float dy) {
    TSLStitch::Offset(dx, dy);
    EntryX += dx;
    EntryY += dy;
    ExitX += dx;
    ExitY += dy;
    if (FillStitches) FillStitches->Offset(dx, dy);
}

void TSLRegion::SetColor(int32_t colour) {
    FillColor = colour;
    if (FillStitches && !FillStitches->Empty()) (*FillStitches)[0].SetColour(colour);
}

void TSLRegion::Mirror(bool horizontal, float cx, float cy) {
    TSLStitch::Mirror(horizontal, cx, cy);
    if (horizontal) {
        EntryX = 2.0 * cx - EntryX;
        ExitX = 2.0 * cx - ExitX;
    } else {
        EntryY = 2.0 * cy - EntryY;
        ExitY = 2.0 * cy - ExitY;
    }
}

void TSLRegion::ApplyRotation(double degrees, double cx, double cy, const TStitchContext& ctx) {
    double a = degrees * DegToRad;
    for (TSP& p : *this)
        RotateAbout(p.X, p.Y, cx, cy, a);
    auto turn = [&](double& x, double& y) {
        float fx = static_cast<float>(x), fy = static_cast<float>(y);
        RotateAbout(fx, fy, cx, cy, a);
        x = fx;
        y = fy;
    };
    turn(EntryX, EntryY);
    turn(ExitX, ExitY);
    auto wrap = [&](float& v) {
        v = static_cast<float>(v + degrees);
        if (v > 360)
            v -= 360;
        else if (v < 0)
            v += 360;
    };
    wrap(Rotation);
    wrap(UnderRotation);
    UpdateBounds(ctx);
}

void TSLRegion::RegenerateCompensated(const TStitchContext& ctx) {
    if (Compensation > 0 && Visible()) Regenerate(ctx);
}

void TSLRegion::RegenerateIfMeets(const TKvRect& changed, const TStitchContext& ctx) {
    if (!Bounds.empty && !changed.empty && Bounds.Intersects(changed)) Regenerate(ctx);
}

void TSLRegion::SetEntryExit(int32_t entryNode, float entryPercent, int32_t exitNode, float exitPercent,
                             const TStitchContext& ctx) {
    EntryNode = entryNode;
    EntryPercent = entryPercent;
    ExitNode = exitNode;
    ExitPercent = exitPercent;
    ClampIndices();
    UpdateBounds(ctx);
    DeriveStoredPoints();
    DeriveEntryExit = false;
    Restitch(*this, ctx);
}

void TSLRegion::ApplyScale(double cx, double cy, double sx, double sy, const TStitchContext& ctx) {
    for (TSP& p : *this)
        ScaleAbout(p.X, p.Y, cx, cy, sx, sy);
    auto scale = [&](double& x, double& y) {
        x = cx + (x - cx) * sx / 100.0;
        y = cy + (y - cy) * sy / 100.0;
    };
    scale(EntryX, EntryY);
    scale(ExitX, ExitY);
    UnderMargin = UnderMargin * (sx > 0 ? sx : sy) / 100.0;
    UpdateBounds(ctx);
}

int32_t TSLRegion::GetStartStitch(float& x, float& y) const {
    if (!FillStitches || FillStitches->Empty()) {
        x = y = 0;
        return FillColor;
    }
    return TSLStitch::GetStartStitch(x, y);
}

bool TSLRegion::GetEntryPoint(float& x, float& y) const {
    return FillStitches ? FillStitches->GetEntryPoint(x, y) : false;
}

bool TSLRegion::GetExitPoint(float& x, float& y) const {
    return FillStitches ? FillStitches->GetExitPoint(x, y) : false;
}

void TSLRegion::SetStitchType(uint32_t type, const TStitchContext& ctx) {
    if (type == ST_NONE || type == ST_RUNNING) return;
    SetStitchTypeBits(type);
    Restitch(*this, ctx);
}

void TSLRegion::SetDensity(float value, const TStitchContext& ctx) {
    (void)ctx;
    Density = RoundI(value);
}

bool TSLRegion::HitTest(float x, float y, const TStitchContext& ctx, int32_t* pointIndex) const {
    if (pointIndex) *pointIndex = -1;
    double tol = std::max(1, ctx.PickTolerance);
    for (int32_t k = 0; k < Count(); ++k) {
        const TSP& p = (*this)[k];
        if (KindOf(p) != NK_FIXED && std::fabs(p.X - x) <= tol && std::fabs(p.Y - y) <= tol) {
            if (pointIndex) *pointIndex = k;
            return true;
        }
    }
    if (Bounds.empty || !Bounds.ContainsPointF(x, y)) return false;
    // Even-odd test against the boundary path.
    auto pts = WalkPath();
    bool inside = false;
    for (size_t i = 0, j = pts.empty() ? 0 : pts.size() - 1; i < pts.size(); j = i++) {
        const TWalkPoint &a = pts[i], &b = pts[j];
        if ((a.Y > y) != (b.Y > y) && x < (b.X - a.X) * (y - a.Y) / (b.Y - a.Y) + a.X) inside = !inside;
    }
    return inside;
}

// ---- drawing ----

void TSLRegion::DrawPath(TDrawContext& dc, int32_t colour, float width) const {
    if (!dc.Target) return;
    auto pts = WalkPath();
    if (pts.size() < 2) return;
    std::vector<TPointF> v;
    v.reserve(pts.size());
    for (const TWalkPoint& p : pts)
        v.push_back({dc.SX(p.X), dc.SY(p.Y)});
    dc.Target->SetPen(colour, width);
    dc.Target->Polyline(v);
}

void TSLRegion::DrawEdit(TDrawContext& dc) const {
    if (!dc.Target) return;
    if (dc.ClipValid && !Bounds.empty && !Bounds.Intersects(dc.Clip)) return;
    const bool selected = (Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT)) != 0;
    constexpr int32_t RegionBoundaryColour = 0x00808080;
    // The highlight band lies under the fill, so it shows as a glow along the boundary.
    if (dc.View.Highlight) DrawPath(dc, HIGHLIGHT_BAND_COLOUR, HIGHLIGHT_BAND_WIDTH);
    if (FillStitches && !FillStitches->Empty()) {
        TDrawContext fdc = dc;
        const uint32_t type = StitchType();
        if (type != ST_SATIN && type != ST_ZIGZAG) fdc.View.LongStitchLimit = 0;
        if (dc.View.ShowStitches) {
            FillStitches->DrawEdit(fdc);
        } else {
            // "Hide Region Fill Stitches": the fill is shown by its needle points only, inside
            // a thin boundary so the region can still be found and picked.
            DrawPath(dc, selected ? FillColor : RegionBoundaryColour, 1.f);
            // Here the points are all there is to see: every one is marked.
            fdc.Markers = nullptr;
            if (fdc.View.ShowStitchPoints) FillStitches->DrawStitchPoints(fdc);
        }
        if (selected && dc.View.ShowOutlines) DrawPath(dc, FillColor, 1.f);
        return;
    }
    DrawPath(dc, selected ? FillColor : RegionBoundaryColour, UnderConstruction() ? 1.f : 3.f);
    if (selected || UnderConstruction()) {
        for (const TSP& p : *this)
            dc.Target->Marker(dc.SX(p.X), dc.SY(p.Y),
                              KindOf(p) == NK_FIXED ? TMarker::FilledSquare : TMarker::Square, dc.MarkerSize,
                              0x00000000);
    }
}

void TSLRegion::DrawLayout(TDrawContext& dc) const {
    DrawEdit(dc);
    if ((Flags & OF_SELECTED_LAYOUT) && dc.Selection) dc.Selection->UnionWith(Bounds);
}

// ---- records ----

namespace {

// The region's fields after the base record (whose points are the boundary nodes).
template <class IO, class R> void RegionFields(IO& io, R& g) {
    io.Field(g.FillColor, g.Rotation, g.Density, g.RunLength, g.Compensation, g.Pitch, g.PitchOffsets);
    io.Field(g.ExitNode, g.ExitPercent, g.EntryNode, g.EntryPercent);
    if (io.Has(kVersionRegionUnderlay)) {
        io.Field(g.UnderRotation, g.UnderDensity, g.UnderPitch);
        if (io.Has(kVersionUnderMarginFloat)) {
            io.Field(g.UnderMargin);
        } else {
            int32_t margin = RoundI(g.UnderMargin); // whole units before 1010
            io.Field(margin);
            if constexpr (IO::Reading) g.UnderMargin = margin;
        }
        io.Field(g.UnderOffset);
    }
    // Files before the stored points carry only the node/percent pairs: they derive the points.
    const bool storedPoints = io.Has(kVersionStoredEntryExit);
    if (storedPoints) {
        io.X(g.EntryX);
        io.Y(g.EntryY);
        io.X(g.ExitX);
        io.Y(g.ExitY);
    }
    if (io.Flag(bool(g.FillStitches)))
        io.Object(g.FillStitches, TStitchListOnly{"the fill stitches of a region are not a stitch list"});
    // The programmable fill pattern: a presence byte, then the pattern record.
    io.Part(g.FillPattern, [&](auto& pattern) { pattern.Record(io); });
    if constexpr (IO::Reading)
        if (g.FillPattern) g.StitchFlags |= SF_PROG_STITCH;
    if constexpr (IO::Reading) {
        g.Rotation = ClampF(g.Rotation, -1e6f, 1e6f, 0.f);
        g.Compensation = ClampF(g.Compensation, 0.f, 100.f, 0.f);
        g.Pitch = ClampF(g.Pitch, -1e6f, 1e6f, 40.f);
        g.UnderRotation = ClampF(g.UnderRotation, -1e6f, 1e6f, 0.f);
        if (!std::isfinite(g.UnderMargin)) g.UnderMargin = 10.0;
        g.UnderMargin = std::clamp(g.UnderMargin, -1e6, 1e6);
        g.DeriveEntryExit = !storedPoints;
        for (double* d : {&g.EntryX, &g.EntryY, &g.ExitX, &g.ExitY})
            if (!std::isfinite(*d)) *d = 0;
        // Before densities the field held a row spacing.
        if (!io.Has(kVersionDensity)) g.Density = g.Density == 0 ? 45 : RoundI(200.0 / g.Density);
        if (g.StitchType() == 0) g.SetStitchTypeBits(ST_ZIGZAG);
        g.Flags &= ~RF_UNDER_CONSTRUCTION;
        g.Flags |= OF_REGION;
    }
}

} // namespace

void TSLRegion::ValidateLoaded() {
    if (Count() == 0) throw TReadError("a fill region has no boundary nodes");
    for (int32_t k = 0; k < Count(); ++k) {
        const TRegionNode* d = NodeAt(k);
        if (!d) throw TReadError("a fill region boundary point is not a region node");
        if (d->OutlineMark < 0) throw TReadError("a fill region node has no outline");
        if (d->StartIndex < -1 || d->EndIndex < -1)
            throw TReadError("a fill region node index is out of range");
    }
    ExitNode = Clamp(ExitNode, 0, Count() - 1);
    EntryNode = Clamp(EntryNode, 0, Count() - 1);
    if (!std::isfinite(ExitPercent)) ExitPercent = 0;
    if (!std::isfinite(EntryPercent)) EntryPercent = 0;
}

void TSLRegion::Record(TRecordWriter& io) const {
    TSLStitch::Record(io);
    RegionFields(io, *this);
}

void TSLRegion::Record(TRecordReader& io) {
    TSLStitch::Record(io);
    RegionFields(io, *this);
    ValidateLoaded();
}

} // namespace nl
