// Fill stitch generation of a region: raster, span trees, tree walk, travel and row emission.
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/Errors.h"
#include "core/Geometry.h"
#include "core/Limits.h"
#include "core/Numeric.h"
#include "core/Units.h"
#include "regions/FillGen.h"
#include "regions/RgnTable.h"
#include "regions/SLRegion.h"
#include "stitching/Overlay.h"

namespace nl {

namespace {

TSP Pt(double x, double y, uint32_t f) {
    return TSP::Plain(f, static_cast<float>(x), static_cast<float>(y));
}

// Settings of one pass (fill or underlay).
struct TPass {
    double Theta = 0;
    int32_t D = 45;
    int32_t P = 40;
    double OffA = 0, OffB = 0;
    int32_t R = 20;
    int32_t T = 0;
    int32_t CL = 0, CR = 0;
    uint32_t Type = ST_TATAMI;
    bool Underlay = false;
    bool BackToStitch = false;
    bool TurnType2 = false;
    // "Prog Stitch": the pattern that pierces the rows in place of the pitch split, and the
    // raster whose frame the rows are emitted in.
    const TOverlay* Pattern = nullptr;
    const TFillRaster* Raster = nullptr;
};

void CheckSize(const std::vector<TSP>& out) {
    if (out.size() > kMaxFillPoints) throw TGenerationError("the fill needs too many stitches");
}

class TTreeWalker {
public:
    TTreeWalker(const TPass& p, std::vector<TSP>& out) : p_(p), out_(out) {}

    void Walk(TSpanTree& tree, bool startLeft);
    // The pitch split of the last segment; returns the number of points inserted.
    int32_t SplitLast();

private:
    struct TFrame {
        int32_t Node;
        bool Child;
        bool Start;
        bool H = false, Eps = false;
        uint32_t M = 0;
        int32_t R = 1;
        size_t NextChild = 0;
        bool Init = false;
    };
    void TravelRows(const TRgnTable& node, int32_t& r, int32_t t, double sigma, double A, bool mirrored,
                    std::vector<TSP>& travel) const;
    void Connect(std::vector<TSP>& travel);
    void EmitRows(const TRgnTable& node, uint32_t M);
    void TurnRule(size_t pi, size_t qi, int32_t k);

    const TPass& p_;
    std::vector<TSP>& out_;
};

} // namespace

std::vector<TSP> PitchSplit(const TSP& S, const TSP& E, int32_t P, int32_t R, double offA, double offB) {
    std::vector<TSP> ins;
    if (P < 1) return ins;
    double slope = (S.X == E.X || S.Y == E.Y)
                       ? 0.0
                       : (static_cast<double>(E.Y) - S.Y) / (static_cast<double>(E.X) - S.X);
    bool right = E.X > S.X;
    double lo = right ? S.X : E.X, hi = right ? E.X : S.X;
    const TSP& base = right ? S : E;
    double offset = right ? offA : offB;
    int64_t o = RoundI(R / 200.0 * base.Y * offset);
    int64_t x = o % P;
    if (static_cast<double>(x) <= lo)
        x += (static_cast<int64_t>(std::floor((lo - static_cast<double>(x)) / P)) + 1) * P;
    for (; static_cast<double>(x) < hi; x += P)
        if (static_cast<double>(x) > lo)
            ins.push_back(
                Pt(static_cast<double>(x), base.Y + (static_cast<double>(x) - base.X) * slope, SP_FILL));
    if (!right) std::reverse(ins.begin(), ins.end());
    return ins;
}

void ResamplePoints(std::vector<TSP>& pts, uint32_t f, double m, double s) {
    if (pts.size() < 2) return;
    if (m > 0)
        for (size_t i = 0; i + 1 < pts.size(); ++i)
            if (HypotDistance(pts[i], pts[i + 1]) > m) pts[i].Flags |= SP_TRAVEL_EDGE;
    if (s < 1) return; // a step below one unit would never end
    std::vector<TSP> out;
    out.reserve(pts.size() * 2);
    out.push_back(pts[0]);
    size_t j = 1;
    const size_t last = pts.size() - 1;
    while (j < pts.size()) {
        TSP& cur = out.back();
        const TSP& nxt = pts[j];
        double h = HypotDistance(cur, nxt);
        if (h < s - 1 && j != last && !(nxt.Flags & SP_TRAVEL_EDGE)) {
            ++j; // too short: the next point is dropped
        } else if (h <= s + 2) {
            cur.Flags |= f;
            out.push_back(nxt);
            ++j;
        } else {
            double t = s / h;
            out.push_back(Pt(cur.X + (nxt.X - cur.X) * t, cur.Y + (nxt.Y - cur.Y) * t, f));
        }
    }
    pts.swap(out);
}

namespace {

// The crossings of the pattern with the row stitch S -> E (raster frame), ordered from S; the
// pattern's tiles lie on the worksheet, so the stitch is taken there and the crossings brought back.
std::vector<TSP> PatternCrossings(const TOverlay& pattern, const TFillRaster& ras, const TSP& S,
                                  const TSP& E) {
    std::vector<TSP> ins;
    double sx, sy, ex, ey;
    ras.FromRaster(S.X, S.Y, sx, sy);
    ras.FromRaster(E.X, E.Y, ex, ey);
    std::vector<TPointD> cuts;
    pattern.TiledCrossings(sx, sy, ex, ey, cuts);
    const double length = HypotDistance(S.X, S.Y, E.X, E.Y);
    for (const TPointD& c : cuts) {
        double rx, ry;
        ras.ToRaster(c.X, c.Y, rx, ry);
        // A crossing at either end adds nothing: the needle is there already.
        const double d = HypotDistance(S.X, S.Y, rx, ry);
        if (d < 0.5 || d > length - 0.5) continue;
        ins.push_back(Pt(rx, ry, SP_FILL));
    }
    return ins;
}

int32_t TTreeWalker::SplitLast() {
    if (out_.size() < 2) return 0;
    TSP E = out_.back();
    auto ins = p_.Pattern && p_.Raster ? PatternCrossings(*p_.Pattern, *p_.Raster, out_[out_.size() - 2], E)
                                       : PitchSplit(out_[out_.size() - 2], E, p_.P, p_.R, p_.OffA, p_.OffB);
    if (ins.empty()) return 0;
    out_.pop_back();
    out_.insert(out_.end(), ins.begin(), ins.end());
    out_.push_back(E);
    return static_cast<int32_t>(ins.size());
}

void TTreeWalker::TravelRows(const TRgnTable& node, int32_t& r, int32_t t, double sigma, double A,
                             bool mirrored, std::vector<TSP>& travel) const {
    t = std::min(t, node.PairCount());
    for (; r <= t; ++r) {
        const TRowPoint& L = node.Rows[static_cast<size_t>(2 * (r - 1))];
        const TRowPoint& R = node.Rows[static_cast<size_t>(2 * (r - 1) + 1)];
        double e = A * std::sin((r - 1) * sigma);
        if (mirrored) e = 100 - e;
        travel.push_back(Pt(L.X + (R.X - L.X) / 100.0 * e, L.Y, SP_UNDER));
    }
}

void TTreeWalker::Connect(std::vector<TSP>& travel) {
    if (!out_.empty()) {
        out_.back().Flags |= SP_TRAVEL_EDGE;
        if (!travel.empty()) travel.front().Flags |= SP_TRAVEL_EDGE;
        travel.insert(travel.begin(), out_.back());
        out_.pop_back();
    }
    ResamplePoints(travel, SP_UNDER, 0, p_.R);
    out_.insert(out_.end(), travel.begin(), travel.end());
    travel.clear();
    CheckSize(out_);
}

void TTreeWalker::TurnRule(size_t pi, size_t qi, int32_t k) {
    if (pi >= out_.size() || qi >= out_.size()) return;
    TSP& P = out_[pi];
    TSP& Q = out_[qi];
    const double T = p_.T;
    if (!p_.TurnType2) {
        if (k <= 1) return; // the first pair of a node is left alone
        if (std::fabs(P.X - Q.X) <= T)
            P.X = Q.X;
        else
            P.X += static_cast<float>(Q.X > P.X ? T : -T);
    } else {
        if (k % 2) return;
        if (2 * T >= std::fabs(P.X - Q.X)) {
            float mid = (P.X + Q.X) / 2;
            P.X = Q.X = mid;
        } else {
            float d = static_cast<float>(Q.X > P.X ? T : -T);
            P.X += d;
            Q.X -= d;
        }
    }
}

void TTreeWalker::EmitRows(const TRgnTable& node, uint32_t M) {
    const bool tatami = p_.Type == ST_TATAMI, zigzag = p_.Type == ST_ZIGZAG;
    std::vector<TRowPoint> work = node.Rows;
    int32_t c = 0, k = 0;
    size_t pIndex = 0;
    for (int32_t j = static_cast<int32_t>(work.size()) - 1; j >= 0; --j) {
        uint32_t b = M & 1;
        M = (M >> 1) | (b << 3);
        bool emit = false;
        TRowPoint pt;
        if (b) {
            pt = work[static_cast<size_t>(j)];
            emit = true;
        } else if (!zigzag && j >= 1) {
            pt = work[static_cast<size_t>(j - 1)];
            work[static_cast<size_t>(j - 1)] = work[static_cast<size_t>(j)];
            emit = true;
        }
        if (emit) {
            out_.push_back(Pt(pt.X, pt.Y, pt.Flags));
            ++c;
            if (c == 1) pIndex = out_.size() - 1;
            if (tatami && c == 2 && !p_.BackToStitch) TurnRule(pIndex, out_.size() - 1, ++k);
            int32_t splits = SplitLast();
            // Splitting the turn into the row puts its points in front of the row's first point:
            // the turn rule and "Back To Stitch" must still find that point, not a split point.
            if (c == 1) pIndex += static_cast<size_t>(splits);
            if (tatami && c == 2 && p_.BackToStitch) {
                ++k;
                bool act = p_.TurnType2 ? (k % 2 == 0) : (k > 1);
                if (act && splits > 0 && pIndex < out_.size()) {
                    out_.erase(out_.begin() + static_cast<std::ptrdiff_t>(pIndex));
                    if (pIndex < out_.size()) {
                        out_[pIndex].Flags = (out_[pIndex].Flags & ~SP_FILL) | SP_BOUNDARY;
                    }
                    if (p_.TurnType2 && out_.size() > pIndex + 1) {
                        out_.pop_back();
                        out_.back().Flags = (out_.back().Flags & ~SP_FILL) | SP_BOUNDARY;
                    }
                } else if (splits == 0) {
                    TurnRule(pIndex, out_.size() - 1, k);
                }
            }
        }
        if ((j & 1) == 0) c = 0;
    }
    CheckSize(out_);
}

void TTreeWalker::Walk(TSpanTree& tree, bool startLeft) {
    if (tree.Empty()) return;
    std::vector<TFrame> stack;
    stack.push_back(TFrame{0, false, startLeft});
    std::vector<TSP> travel;
    while (!stack.empty()) {
        TFrame& f = stack.back();
        const TRgnTable& node = tree.Nodes[static_cast<size_t>(f.Node)];
        const int32_t n = node.PairCount();
        if (!f.Init) {
            f.Init = true;
            const bool even = n % 2 == 0;
            switch (p_.Type) {
            case ST_ZIGZAG:
                f.M = (f.Start == even) ? 9 : 6;
                f.Eps = f.M == 6;
                break;
            case ST_SATIN:
                f.M = f.Start ? 15 : 10;
                f.Eps = !f.Start;
                break;
            default:
                f.M = (f.Start == even) ? 14 : 11;
                f.Eps = f.M == 14;
                break;
            }
            f.H = f.Child ? !f.Start : f.Start;
        }
        if (f.NextChild < node.Children.size()) {
            int32_t ci = node.Children[f.NextChild++];
            const TRgnTable& child = tree.Nodes[static_cast<size_t>(ci)];
            const bool right = child.ParentLeft < child.Left;
            int32_t t = child.BranchAt;
            if (t > 0) {
                double sigma, A;
                bool mirrored;
                if (right) {
                    if (f.H)
                        sigma = (Pi / 2) / t, A = 100, mirrored = false;
                    else
                        sigma = Pi / t, A = 40, mirrored = true;
                } else {
                    if (!f.H)
                        sigma = (Pi / 2) / t, A = 100, mirrored = true;
                    else
                        sigma = Pi / t, A = 40, mirrored = false;
                }
                TravelRows(node, f.R, t, sigma, A, mirrored, travel);
            }
            Connect(travel);
            TFrame next{ci, true, !right};
            stack.push_back(next); // f is not used after this
            continue;
        }
        // Final travel to the last row, then the rows back.
        int32_t t = n;
        if (t > 0) {
            double sigma, A;
            bool mirrored;
            if (f.H && !f.Eps)
                sigma = (Pi / 2) / t, A = 100, mirrored = false;
            else if (!f.H && f.Eps)
                sigma = (Pi / 2) / t, A = 100, mirrored = true;
            else if (f.H && f.Eps)
                sigma = Pi / t, A = 40, mirrored = false;
            else
                sigma = Pi / t, A = 40, mirrored = true;
            TravelRows(node, f.R, t, sigma, A, mirrored, travel);
        }
        Connect(travel);
        uint32_t M = f.M;
        int32_t idx = f.Node;
        stack.pop_back();
        EmitRows(tree.Nodes[static_cast<size_t>(idx)], M);
    }
}

// The running path from the entry point back to the start of the walk, or empty.
std::vector<TSP> EntryPath(TSpanTree& tree, bool nearLeft) {
    std::vector<TSP> path;
    if (tree.Empty()) return path;
    // Depth-first search for the first node that met the entry row, children in discovery order.
    std::vector<std::pair<int32_t, size_t>> stack{{0, 0}};
    bool found = tree.Nodes[0].EntryAt >= 0;
    while (!found && !stack.empty()) {
        auto& [node, next] = stack.back();
        const TRgnTable& t = tree.Nodes[static_cast<size_t>(node)];
        if (next < t.Children.size()) {
            int32_t c = t.Children[next++];
            stack.push_back({c, 0});
            if (tree.Nodes[static_cast<size_t>(c)].EntryAt >= 0) found = true;
        } else {
            stack.pop_back();
        }
    }
    if (!found) return path;
    for (size_t level = stack.size(); level-- > 0;) {
        int32_t idx = stack[level].first;
        TRgnTable& node = tree.Nodes[static_cast<size_t>(idx)];
        bool f = level == 0 ? nearLeft : node.ParentLeft < node.Left;
        if (level > 0) {
            TRgnTable& parent = tree.Nodes[static_cast<size_t>(stack[level - 1].first)];
            parent.EntryAt = 2 * node.BranchAt;
            parent.EntryNearLeft = !f;
        }
        const int32_t n = std::min(node.EntryAt / 2, node.PairCount());
        const bool e = node.EntryNearLeft;
        if (n == 1) {
            if (f && e) continue;
            const uint32_t fl = SP_UNDER | SP_TRAVEL_EDGE | SP_RETURN;
            const TRowPoint &L = node.Rows[0], &R = node.Rows[1];
            if (e) {
                path.push_back(Pt(L.X, L.Y, (L.Flags & ~SP_BOUNDARY) | fl));
                path.push_back(Pt(R.X, R.Y, (R.Flags & ~SP_BOUNDARY) | fl));
            } else {
                path.push_back(Pt(R.X, R.Y, (R.Flags & ~SP_BOUNDARY) | fl));
                path.push_back(Pt(L.X, L.Y, (L.Flags & ~SP_BOUNDARY) | fl));
            }
        } else if (n >= 2) {
            double sigma, A;
            bool mirrored;
            if (!f && !e)
                sigma = Pi / (n - 1), A = 20, mirrored = true;
            else if (!f && e)
                sigma = (Pi / 2) / (n - 1), A = 90, mirrored = true;
            else if (f && !e)
                sigma = (Pi / 2) / (n - 1), A = 90, mirrored = false;
            else
                sigma = Pi / (n - 1), A = 20, mirrored = false;
            size_t first = path.size();
            for (int32_t i = n - 1; i >= 0; --i) {
                const TRowPoint &L = node.Rows[static_cast<size_t>(2 * i)],
                                &R = node.Rows[static_cast<size_t>(2 * i + 1)];
                double E = A * std::sin(i * sigma);
                if (mirrored) E = 100 - E;
                path.push_back(Pt(L.X + (R.X - L.X) / 100.0 * E, L.Y, SP_UNDER | SP_RETURN));
            }
            path[first].Flags |= SP_TRAVEL_EDGE;
            path.back().Flags |= SP_TRAVEL_EDGE;
        }
    }
    return path;
}

// Even-odd test of a pixel centre against a closed polygon.
bool InsidePolygon(const std::vector<double>& xs, const std::vector<double>& ys, int32_t px, int32_t py) {
    bool in = false;
    const size_t n = xs.size();
    const double x = px, y = py;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        if ((ys[i] > y) != (ys[j] > y) && x < (xs[j] - xs[i]) * (y - ys[i]) / (ys[j] - ys[i]) + xs[i])
            in = !in;
    }
    return in;
}

// Consecutive duplicates dropped; the vertices of the underlay polygon inset by m.
std::vector<std::pair<double, double>> InsetPolygon(std::vector<std::pair<double, double>> v, double m,
                                                    bool outer = false) {
    std::vector<std::pair<double, double>> pts;
    for (auto& p : v)
        if (pts.empty() || pts.back() != p) pts.push_back(p);
    while (pts.size() > 1 && pts.back() == pts.front())
        pts.pop_back();
    if (m == 0 || pts.size() < 3) return pts;
    auto offsetSide = [&](double sign) {
        std::vector<std::pair<double, double>> out(pts.size());
        const size_t n = pts.size();
        for (size_t i = 0; i < n; ++i) {
            auto [ux, uy] = pts[(i + n - 1) % n];
            auto [vx, vy] = pts[i];
            auto [wx, wy] = pts[(i + 1) % n];
            double d1 = HypotDistance(ux, uy, vx, vy), d2 = HypotDistance(vx, vy, wx, wy);
            if (d1 == 0) d1 = 0.00001;
            if (d2 == 0) d2 = 0.00001;
            double o1x = vx + m * sign * (vy - uy) / d1, o1y = vy - m * sign * (vx - ux) / d1;
            double o2x = vx + m * sign * (wy - vy) / d2, o2y = vy - m * sign * (wx - vx) / d2;
            double ax = (o1x + o2x) / 2 - vx, ay = (o1y + o2y) / 2 - vy;
            double len = std::hypot(ax, ay);
            out[i] = len > 1e-12 ? std::make_pair(vx + m * ax / len, vy + m * ay / len) : pts[i];
        }
        return out;
    };
    auto area = [](const std::vector<std::pair<double, double>>& p) {
        double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
        for (auto [x, y] : p) {
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
        return (x1 - x0) * (y1 - y0);
    };
    auto a = offsetSide(1), b = offsetSide(-1);
    return (area(a) <= area(b)) != outer ? a : b;
}

} // namespace

void WalkSpanTree(TSpanTree& tree, uint32_t type, bool startLeft, int32_t pitch, int32_t runLength,
                  std::vector<TSP>& out) {
    TPass p;
    p.Type = type;
    p.P = pitch;
    p.R = runLength;
    TTreeWalker w(p, out);
    w.Walk(tree, startLeft);
}

std::vector<std::pair<double, double>> InsetPolygonForTest(const std::vector<std::pair<double, double>>& v,
                                                           double m) {
    return InsetPolygon(v, m);
}

std::vector<std::pair<double, double>> OffsetPolygon(std::vector<std::pair<double, double>> v, double m,
                                                     bool outer) {
    return InsetPolygon(std::move(v), m, outer);
}

std::unique_ptr<TSLStitch> RunFillPass(TSLRegion& rg, bool underlay, const TStitchContext& ctx,
                                       TFillStats* stats) {
    auto list = std::make_unique<TSLStitch>();
    TPass p;
    p.Underlay = underlay;
    p.Theta = (underlay ? rg.UnderRotation : rg.Rotation) * DegToRad;
    p.D = underlay ? rg.UnderDensity : rg.Density;
    double pitch = underlay ? rg.UnderPitch : rg.Pitch;
    p.P = std::isfinite(pitch) ? RoundI(pitch) : 0;
    uint32_t offsets = underlay ? static_cast<uint32_t>(rg.UnderOffset) : rg.PitchOffsets;
    p.OffA = p.P * DecodeOffset(offsets & 0xFFFF) / 100.0;
    p.OffB = (rg.StitchFlags & SF_USE_OFFSET_B) ? p.P * DecodeOffset(offsets >> 16) / 100.0 : p.OffA;
    if (rg.Flags & RF_SPLIT_PITCH) p.OffB = -p.OffA;
    p.R = rg.RunLength;
    if (underlay) {
        uint32_t u = rg.StitchFlags & RSF_UNDER_MASK;
        p.Type = (u & RSF_UNDER_TATAMI) ? ST_TATAMI : (u & RSF_UNDER_SATIN) ? ST_SATIN : ST_ZIGZAG;
    } else {
        uint32_t t = rg.StitchType();
        p.Type = (t & ST_TATAMI)   ? ST_TATAMI
                 : (t & ST_SATIN)  ? ST_SATIN
                 : (t & ST_ZIGZAG) ? ST_ZIGZAG
                                   : ST_TATAMI;
    }
    // A negative turn would push row ends outwards without limit.
    p.T = p.Type == ST_TATAMI ? std::max(0, rg.TatamiMin) : 0;
    p.BackToStitch = (rg.StitchFlags & RSF_BACK_TO_STITCH) != 0;
    p.TurnType2 = (rg.StitchFlags & RSF_TURN_TYPE_2) != 0;
    if (!underlay && rg.Compensation != 0 && (ctx.ForExport || ctx.View.ShowCompensation)) {
        int32_t A = RoundI(rg.Compensation * kUnitsPerMm);
        p.CL = (rg.StitchFlags & SF_A_SIDE) ? A : 0;
        p.CR = (rg.StitchFlags & SF_B_SIDE) ? A : 0;
    }
    // A density below one row per mm gives no fill (and none at all at 0 or below).
    if (p.D < 10 || rg.Bounds.empty) return list;
    p.D = std::min(p.D, 2000);

    TFillRaster ras;
    if (!ras.Prepare(rg.Bounds, p.Theta)) return list;
    auto walk = rg.WalkPath();
    std::vector<double> xs, ys;
    xs.reserve(walk.size());
    ys.reserve(walk.size());
    for (const TWalkPoint& w : walk) {
        double rx, ry;
        ras.ToRaster(w.X, w.Y, rx, ry);
        if (!std::isfinite(rx) || !std::isfinite(ry)) return list;
        xs.push_back(rx);
        ys.push_back(ry);
    }
    if (!underlay) {
        ras.Polyline(xs, ys, false);
    } else {
        std::vector<std::pair<double, double>> poly;
        poly.reserve(xs.size());
        for (size_t i = 0; i < xs.size(); ++i)
            poly.push_back({xs[i], ys[i]});
        auto inset = InsetPolygon(std::move(poly), rg.UnderMargin);
        std::vector<double> ix, iy;
        for (auto [x, y] : inset) {
            ix.push_back(x);
            iy.push_back(y);
        }
        ras.Polyline(ix, iy, true);
    }
    double ex, ey, nx, ny;
    ras.ToRaster(rg.EntryX, rg.EntryY, nx, ny);
    if (underlay) {
        ex = nx;
        ey = ny;
    } else {
        ras.ToRaster(rg.ExitX, rg.ExitY, ex, ey);
    }
    int32_t entryX = RoundI(nx), entryY = RoundI(ny), exitX = RoundI(ex), exitY = RoundI(ey);
    ras.FindInterior(entryX, entryY);
    ras.FindInterior(exitX, exitY);
    if (underlay) {
        // A margin wide for the shape moves inset corners across the opposite edge or turns the
        // polygon inside out, and its area then reaches outside the region. The underlay starts
        // inside the region or not at all, and the boundary drawn as well keeps it there. The
        // start was looked for first, so that it is still found inside the inset polygon.
        if (!InsidePolygon(xs, ys, exitX, exitY)) return list;
        ras.Polyline(xs, ys, false);
    }
    if ((rg.Flags & OF_ALLOW_HOLES) && ctx.DrawRegionHoles) ctx.DrawRegionHoles(rg, ras, underlay);
    if (!ras.Inside(exitY, exitX) || ras.IsSet(exitY, exitX)) return list;

    TRowTable table;
    table.Build(ras.Height(), p.D, 0);
    if (table.Count() == 0) return list;
    int32_t i = table.RowAfter(exitY);
    if (table[i] == exitY) {
        table.Build(ras.Height(), p.D, 1);
        i = table.RowAfter(exitY);
    }
    int32_t left = ras.RunLeft(exitY, exitX);
    int32_t right = ras.Claim(exitY, left);
    TGrowParams gp;
    gp.Rows = &table;
    gp.EntryX = entryX;
    gp.EntryY = entryY;
    gp.CL = p.CL;
    gp.CR = p.CR;
    gp.Underlay = underlay;
    TSpanTree up, down;
    if (!up.Grow(ras, gp, exitY, left, right, i, -1)) return list;
    if (!down.Grow(ras, gp, exitY, left, right, i, +1)) return list;
    if (stats) {
        stats->RasterBytes = ras.MemoryBytes();
        stats->TreeBytes = up.MemoryBytes() + down.MemoryBytes();
        stats->TreeNodes = up.Nodes.size() + down.Nodes.size();
    }

    bool nearLeft = (exitX - left) < (right - exitX);
    std::vector<TSP> entry = EntryPath(up, nearLeft);
    if (entry.empty()) entry = EntryPath(down, nearLeft);

    // "Prog Stitch" (not on the underlay): the pattern's tiles on a grid from the region's
    // top-left corner, turned with the fill direction plus the pattern's own angle, pierce the rows.
    std::optional<TOverlay> pattern;
    if (!underlay && rg.FillPattern && (rg.StitchFlags & SF_PROG_STITCH) && !rg.FillPattern->Items.empty()) {
        pattern.emplace(*rg.FillPattern, rg.Bounds.Left, rg.Bounds.Top,
                        rg.Rotation * DegToRad + rg.FillPattern->PatternAngle);
        p.Pattern = &*pattern;
        p.Raster = &ras;
    }
    std::vector<TSP> out;
    out.reserve(4096);
    TTreeWalker walker(p, out);
    walker.Walk(up, nearLeft);
    std::optional<TSP> zigzagEnd;
    if (p.Type == ST_ZIGZAG) {
        nearLeft = !nearLeft;
        if (!out.empty()) zigzagEnd = out.back();
    }
    walker.Walk(down, nearLeft);
    if (zigzagEnd) {
        out.push_back(*zigzagEnd);
        walker.SplitLast();
    }
    if (!entry.empty()) {
        ResamplePoints(entry, SP_UNDER | SP_RETURN, 3.0 * p.R, p.R);
        out.insert(out.begin(), entry.begin(), entry.end());
    }
    for (TSP& q : out) {
        double x, y;
        ras.FromRaster(q.X, q.Y, x, y);
        q.X = static_cast<float>(x);
        q.Y = static_cast<float>(y);
    }
    list->Raw() = std::move(out);
    list->Flags |= rg.Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    if (!(rg.Flags & OF_NO_OVERLAYS) && ctx.PierceRegionOverlays) ctx.PierceRegionOverlays(rg, *list);
    list->Flags |= OF_NEEDLE_POINTS;
    return list;
}

void TSLRegion::RegenerateFill(const TStitchContext& ctx) {
    if ((StitchFlags & ST_NONE) || !(Flags & (OF_VISIBLE | OF_GENERATE_HIDDEN)) || UnderConstruction() ||
        Empty()) {
        FillStitches.reset();
        return;
    }
    if (DeriveEntryExit) {
        UpdateBounds(ctx);
        DeriveStoredPoints();
        DeriveEntryExit = false;
    }
    if (Bounds.empty) UpdateBounds(ctx);
    auto result = std::make_unique<TSLStitch>();
    if (StitchFlags & RSF_USE_UNDERLAY) {
        auto under = RunFillPass(*this, true, ctx);
        for (TSP& q : *under)
            q.Flags = (q.Flags & ~(SP_UNDER | SP_BOUNDARY)) | SP_UNDERLAY;
        result->Raw() = std::move(under->Raw());
    }
    auto fill = RunFillPass(*this, false, ctx);
    auto& v = result->Raw();
    v.insert(v.end(), fill->Raw().begin(), fill->Raw().end());
    fill->Raw().clear();
    // The thread colour travels on the first point, whichever pass produced it.
    if (!v.empty()) v[0] = TSP::Colour(v[0].Flags & ~SP_JUMP_BITS, v[0].X, v[0].Y, FillColor);
    result->Flags |= (Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT)) | OF_NEEDLE_POINTS;
    if (result->Count() > 4) {
        int32_t mx = MaxStitch(), mn = std::min(MinStitch(), mx);
        result->RemoveShortStitches(mn);
        result->SplitLongStitches(mn, mx);
    }
    result->UpdateBounds(ctx);
    FillStitches = std::move(result);
}

} // namespace nl
