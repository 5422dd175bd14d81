// Invariants every stitch generator keeps, checked on objects built from random geometry and
// attributes within the ranges of their property pages. Shared by the property test (a seeded
// generator) and the fuzz target (the fuzzer's bytes).
//
// The objects: running and satin outlines, curved columns and region fills, with and without
// "Prog Stitch" patterns (flat or matched to the curve), and chains of outlines joined by jump
// links (running and satin, with and without short stitches, patterns and compensation).
//
// The invariants:
// - every needle point is finite and lies within the object's geometry grown by how far its
//   stitches may reach: the band width (profile heights, column width), feathering, compensation,
//   the slant of satin stitches, and the run-out of re-spaced chains at their ends; a point of an
//   outline lies that near its path itself (a stitch across the design would leave it);
// - no stitch is longer than the maximum stitch length (the length limit may leave a remainder up
//   to the minimum length longer, and a fill of at most 4 points is not limited);
// - regenerating gives the same points, bit for bit;
// - a satin stitch of an outline whose path turns smoothly and asks for no slant crosses the path
//   at a right angle.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Errors.h"
#include "regions/JumpNodes.h"
#include "regions/SLRegion.h"
#include "stitching/Feather.h"
#include "stitching/FillSplit.h"
#include "stitching/Overlay.h"
#include "stitching/SLCurve.h"
#include "stitching/SatinOutline.h"

namespace nl::props {

// ---- draws ----

class TDraw {
public:
    virtual ~TDraw() = default;
    virtual uint32_t Bits() = 0;
    double Unit() { return Bits() / 4294967296.0; }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    int32_t Int(int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(Bits() % static_cast<uint32_t>(hi - lo + 1));
    }
    bool Chance(double p) { return Unit() < p; }
};

// splitmix64: the same sequence on every platform and library.
class TSeededDraw : public TDraw {
public:
    explicit TSeededDraw(uint64_t seed) : s_(seed) {}
    uint32_t Bits() override {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
    }

private:
    uint64_t s_;
};

// The fuzzer's bytes, four at a time; zeros once they run out.
class TByteDraw : public TDraw {
public:
    TByteDraw(const uint8_t* p, size_t n) : p_(p), n_(n) {}
    uint32_t Bits() override {
        uint32_t v = 0;
        size_t k = std::min<size_t>(4, n_);
        std::memcpy(&v, p_, k);
        p_ += k;
        n_ -= k;
        return v;
    }

private:
    const uint8_t* p_;
    size_t n_;
};

// ---- geometry ----

struct TBox {
    double L = 1e300, T = 1e300, R = -1e300, B = -1e300;
    void Add(double x, double y) {
        L = std::min(L, x), R = std::max(R, x), T = std::min(T, y), B = std::max(B, y);
    }
    double Diagonal() const { return std::hypot(R - L, B - T); }
    bool Holds(double x, double y, double grow) const {
        return x >= L - grow && x <= R + grow && y >= T - grow && y <= B + grow;
    }
};

// Every point of a Bezier path lies in the box of its control points.
inline TBox ControlBox(const TSLCurve& c) {
    TBox b;
    for (const TSP& p : c)
        b.Add(p.X, p.Y);
    return b;
}

constexpr double Pi = 3.14159265358979323846;

// The anchors and control points of a random path near (cx, cy). Smooth paths keep the two
// handles of every inner anchor on one line, so the path never turns abruptly; others turn by at
// most `maxTurn` at an anchor. Segment lengths are drawn between `lo` and `hi` units.
inline void RandomPath(TSLCurve& c, TDraw& d, double cx, double cy, int32_t segments, double lo, double hi,
                       bool smooth, bool firstHandleOnAnchor, double maxTurn = Pi / 2) {
    c.Clear();
    double x = cx, y = cy, heading = d.Uniform(0, 2 * Pi);
    std::vector<double> ax{x}, ay{y}, dir{heading};
    for (int32_t i = 0; i < segments; ++i) {
        heading += d.Uniform(-maxTurn, maxTurn) * (smooth ? 0.6 : 1.0);
        const double len = d.Uniform(lo, hi);
        x += len * std::sin(heading);
        y -= len * std::cos(heading);
        ax.push_back(x);
        ay.push_back(y);
        dir.push_back(heading);
    }
    for (int32_t i = 0; i <= segments; ++i) {
        c.AppendPoint(0, -1, static_cast<float>(ax[i]), static_cast<float>(ay[i]));
        if (i == segments) break;
        const double len = std::hypot(ax[i + 1] - ax[i], ay[i + 1] - ay[i]);
        double h1 = len * d.Uniform(0.1, 0.45), h2 = len * d.Uniform(0.1, 0.45);
        double d1, d2; // handle bearings out of anchor i and into anchor i + 1
        if (smooth) {
            // The tangent at an inner anchor is the mean of the chords either side of it.
            auto tangent = [&](int32_t k) {
                const double kx = ax[std::min(k + 1, segments)] - ax[std::max(k - 1, 0)];
                const double ky = ay[std::min(k + 1, segments)] - ay[std::max(k - 1, 0)];
                return std::atan2(kx, -ky);
            };
            d1 = tangent(i);
            d2 = tangent(i + 1);
        } else {
            const double chord = std::atan2(ax[i + 1] - ax[i], -(ay[i + 1] - ay[i]));
            d1 = chord + d.Uniform(-0.6, 0.6);
            d2 = chord + d.Uniform(-0.6, 0.6);
        }
        if (i == 0 && firstHandleOnAnchor) h1 = 0;
        c.AppendPoint(0, -1, static_cast<float>(ax[i] + h1 * std::sin(d1)),
                      static_cast<float>(ay[i] - h1 * std::cos(d1)));
        c.AppendPoint(0, -1, static_cast<float>(ax[i + 1] - h2 * std::sin(d2)),
                      static_cast<float>(ay[i + 1] + h2 * std::cos(d2)));
    }
}

// The size of a path: mostly ordinary, sometimes tiny (a stitch or two), sometimes long.
struct TScale {
    int32_t Segments;
    double Lo, Hi;
};
inline TScale RandomScale(TDraw& d) {
    const double r = d.Unit();
    if (r < 0.15) return {1, 8, 60};            // one or two stitches
    if (r < 0.45) return {d.Int(1, 4), 10, 60}; // short segments, 0.5 to 3 mm
    if (r < 0.9) return {d.Int(1, 6), 40, 400}; // everyday outlines
    return {d.Int(2, 8), 300, 1500};            // long ones
}

inline void RandomLimits(TSLStitch& o, TDraw& d) {
    // "Min St. Dist" 0.1 to 11 mm, "Max St. Dist" 4 to 20 mm; mostly near the defaults.
    if (d.Chance(0.5)) return;
    o.SetStitchLimits(static_cast<int32_t>(std::lround(d.Uniform(2, 220))),
                      static_cast<int32_t>(std::lround(d.Uniform(80, 400))));
}

inline std::unique_ptr<TFeather> RandomFeather(TDraw& d) {
    auto f = std::make_unique<TFeather>();
    f->FeatherFlags = static_cast<uint32_t>(d.Int(1, 15));
    f->WidthA = d.Int(0, 1000);
    f->WidthB = d.Int(0, 1000);
    f->ScaleA = static_cast<float>(d.Chance(0.3) ? d.Uniform(-0.99999, 10.001) : d.Uniform(-0.5, 1.5));
    f->ScaleB = static_cast<float>(d.Chance(0.3) ? d.Uniform(-0.99999, 10.001) : d.Uniform(-0.5, 1.5));
    f->Seed = static_cast<int32_t>(d.Bits());
    return f;
}

inline void RandomFillSplit(TSLCurve& c, TDraw& d) {
    if (!d.Chance(0.3)) return;
    c.StitchFlags |= SF_USE_FILL;
    c.FillPitch = static_cast<float>(d.Uniform(FILL_PITCH_MIN, FILL_PITCH_MAX));
    c.FillOffsets = PackFillOffsets(d.Uniform(-100, 100), d.Uniform(-100, 100));
    if (d.Chance(0.5)) c.StitchFlags |= SF_USE_OFFSET_B;
    const int32_t match = d.Int(0, 2);
    if (match == 1) c.StitchFlags |= SF_MATCH_TOP;
    if (match == 2) c.StitchFlags |= SF_MATCH_MIDDLE;
}

inline void RandomSides(TSLStitch& o, TDraw& d) {
    o.StitchFlags &= ~(SF_A_SIDE | SF_B_SIDE);
    const int32_t s = d.Int(0, 3);
    if (s != 1) o.StitchFlags |= SF_A_SIDE;
    if (s != 2) o.StitchFlags |= SF_B_SIDE;
}

// A "Prog Stitch" pattern copy: a few lines in a tile of the page's sizes, laid flat (turned by the
// pattern's angle) or, for curves, matched to the curve from one of its anchors.
inline std::unique_ptr<TObjectStitch> RandomPattern(TDraw& d, bool matchable) {
    auto p = std::make_unique<TObjectStitch>();
    p->Flags |= TObjectStitch::PATTERN_COPY;
    p->PatternWidth = d.Int(kPatternTileMin, kPatternTileMax / 3);
    p->PatternHeight = d.Int(kPatternTileMin, kPatternTileMax / 3);
    if (d.Chance(0.3)) p->PatternAngle = static_cast<float>(d.Uniform(-2 * Pi, 2 * Pi));
    if (matchable && d.Chance(0.5)) {
        const uint32_t anchors[] = {PATTERN_FROM_TOP, PATTERN_FROM_MIDDLE, PATTERN_FROM_BOTTOM};
        p->Flags = (p->Flags & ~(PATTERN_FROM_TOP | PATTERN_FROM_MIDDLE | PATTERN_FROM_BOTTOM)) |
                   PATTERN_MATCH_CURVE | anchors[d.Int(0, 2)];
    }
    const int32_t items = d.Int(1, 3);
    for (int32_t i = 0; i < items; ++i) {
        auto line = std::make_unique<TSLStitch>();
        const int32_t n = d.Int(2, 5);
        for (int32_t k = 0; k < n; ++k)
            line->Append(TSP::Plain(0, static_cast<float>(d.Uniform(0, p->PatternWidth)),
                                    static_cast<float>(d.Uniform(0, p->PatternHeight))));
        p->Items.emplace_back(std::move(line));
    }
    p->ItemCount = items;
    return p;
}

// ---- cases ----

enum class TKind { Running, SatinOutline, Column, Region, Linked };

inline const char* KindName(TKind k) {
    switch (k) {
    case TKind::Running:
        return "running";
    case TKind::SatinOutline:
        return "satin outline";
    case TKind::Column:
        return "column";
    case TKind::Linked:
        return "linked outlines";
    default:
        return "region";
    }
}

struct TGenCase {
    TKind Kind = TKind::Running;
    std::unique_ptr<TSLCurve> Curve; // outline, satin outline, rail A, a region's boundary, or the
                                     // first outline of a linked chain
    std::unique_ptr<TSLCurve> RailB;
    std::unique_ptr<TSLRegion> Region;
    std::vector<std::unique_ptr<TSLCurve>> Linked; // the other outlines of a chain
    TStitchContext Ctx;
    bool Smooth = false;
    std::string Text; // what was drawn, for failure messages

    const TSLStitch* Stitches() const {
        if (Region) return Region->FillStitches.get();
        return Curve ? Curve->Generated.get() : nullptr;
    }
    void Regenerate() {
        if (Region)
            Restitch(*Region, Ctx);
        else
            Restitch(*Curve, Ctx);
    }
};

inline std::string Num(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

// A satin or zigzag outline on a random path: heights, slant, compensation, feather, short
// stitches, return run, fill split, a pattern, limits. `smooth` says whether the path turns
// smoothly; what was drawn is added to `text`.
inline std::unique_ptr<TSLCurve> MakeSatinOutline(TDraw& d, double cx, double cy, bool& smooth,
                                                  std::string& text) {
    auto c = std::make_unique<TSLCurve>();
    const TScale s = RandomScale(d);
    smooth = d.Chance(0.5);
    const bool onAnchor = d.Chance(0.2);
    RandomPath(*c, d, cx, cy, s.Segments, s.Lo, s.Hi, smooth, onAnchor);
    const bool zigzag = d.Chance(0.4);
    const bool shortStitches = d.Chance(0.4);
    c->Flags |= OF_VISIBLE | (shortStitches ? uint32_t{OF_SHORT_STITCHES} : 0u) |
                (d.Chance(0.2) ? uint32_t{OF_STITCH_FROM_END} : 0u);
    c->SetStitchTypeBits(zigzag ? ST_ZIGZAG : ST_SATIN);
    // "Stitch Density" 0.1 to 50 per mm; mostly the everyday 1 to 7.
    c->Density = d.Chance(0.8) ? d.Int(10, 70) : d.Int(1, 500);
    if (s.Segments == 1 && s.Hi <= 60) c->Density = d.Int(5, 20); // a stitch or two
    c->RunLength = d.Int(10, 160);
    c->Outlines = TOutlineList::MakeDefault(c->AnchorCount());
    TOutlineList& p = *c->Outlines;
    const bool wide = d.Chance(0.1);
    for (int32_t i = 0; i < p.Count(); ++i) {
        TOutline& o = *p[i];
        // End heights 0 to 100 mm (mostly a few mm), control heights -200 to 501 units.
        const double top = wide ? 2000 : 80;
        o.HeightA = static_cast<float>(std::max(1.0, d.Uniform(0, top)));
        o.HeightB = static_cast<float>(std::max(1.0, d.Uniform(0, top)));
        o.CtrlHeight1A = static_cast<float>(d.Chance(0.2) ? d.Uniform(-200, 501) : o.HeightA);
        o.CtrlHeight2A = static_cast<float>(d.Chance(0.2) ? d.Uniform(-200, 501) : o.HeightA);
        o.CtrlHeight1B = static_cast<float>(d.Chance(0.2) ? d.Uniform(-200, 501) : o.HeightB);
        o.CtrlHeight2B = static_cast<float>(d.Chance(0.2) ? d.Uniform(-200, 501) : o.HeightB);
        o.CtrlPos1A = static_cast<float>(d.Uniform(0, 100));
        o.CtrlPos2A = static_cast<float>(d.Uniform(0, 100));
        o.CtrlPos1B = static_cast<float>(d.Uniform(0, 100));
        o.CtrlPos2B = static_cast<float>(d.Uniform(0, 100));
    }
    // "Rotate" of the first and last handle (the page allows a full turn; the slant that far
    // out is checked separately by its own reach).
    if (!smooth || d.Chance(0.3)) {
        p[0]->EndRotation = static_cast<float>(d.Uniform(-60, 60) * Pi / 180);
        p[p.Count() - 1]->EndRotation = static_cast<float>(d.Uniform(-60, 60) * Pi / 180);
    }
    if (d.Chance(0.4)) p.OutlineCompensation = static_cast<float>(d.Uniform(0, 12));
    if (d.Chance(0.3)) {
        p.OutlineFeather = RandomFeather(d);
        c->Flags |= OF_FEATHER;
    }
    if (d.Chance(0.2)) p.ProfileFlags |= PF_RETURN_STITCH;
    RandomSides(*c, d);
    RandomFillSplit(*c, d);
    RandomLimits(*c, d);
    const bool patterned = d.Chance(0.3);
    if (patterned) {
        p.OutlinePattern = TDeepPtr<TObjectStitch>(RandomPattern(d, true));
        c->StitchFlags |= SF_PROG_STITCH;
    }
    text += std::string(zigzag ? " zigzag" : " satin") + (shortStitches ? " short" : "") +
            (smooth ? " smooth" : "") + (onAnchor ? " first-handle-on-anchor" : "") + " density " +
            Num(c->Density) + " segments " + Num(s.Segments) + " compensation " + Num(p.OutlineCompensation) +
            (p.OutlineFeather ? " feather" : "") +
            (patterned ? ((p.OutlinePattern->Flags & PATTERN_MATCH_CURVE) ? " matched pattern" : " pattern")
                       : "");
    return c;
}

inline TGenCase MakeCase(TDraw& d, TKind kind) {
    TGenCase g;
    g.Kind = kind;
    g.Ctx.ForExport = d.Chance(0.5);
    g.Ctx.View.ShowCompensation = d.Chance(0.7);
    // Far from the worksheet origin, so that a point made from nothing stands out.
    const double cx = d.Uniform(4000, 8000), cy = d.Uniform(4000, 8000);
    g.Text = std::string(KindName(kind)) + " at " + Num(cx) + "," + Num(cy);

    if (kind == TKind::Running) {
        auto c = std::make_unique<TSLCurve>();
        const TScale s = RandomScale(d);
        RandomPath(*c, d, cx, cy, s.Segments, s.Lo, s.Hi, d.Chance(0.5), d.Chance(0.2));
        for (int32_t i = 3; i + 3 < c->Count(); i += 3)
            if (d.Chance(0.2)) (*c)[i].Flags |= SP_FORCE;
        c->Flags |= OF_VISIBLE | OF_RUNNING | (d.Chance(0.3) ? uint32_t{OF_STITCH_FROM_END} : 0u);
        c->SetStitchTypeBits(ST_RUNNING);
        c->Passes = d.Int(1, 8);
        c->RunLength = d.Int(10, 160);
        RandomLimits(*c, d);
        g.Text += " passes " + Num(c->Passes) + " run " + Num(c->RunLength);
        g.Curve = std::move(c);
    } else if (kind == TKind::SatinOutline) {
        g.Curve = MakeSatinOutline(d, cx, cy, g.Smooth, g.Text);
    } else if (kind == TKind::Column) {
        auto a = std::make_unique<TSLCurve>();
        auto b = std::make_unique<TSLCurve>();
        const TScale s = RandomScale(d);
        RandomPath(*a, d, cx, cy, s.Segments, s.Lo, s.Hi, d.Chance(0.5), d.Chance(0.2));
        // Rail B follows rail A at a random distance, with its own wobble.
        const double w = d.Uniform(10, 300), side = d.Uniform(0, 2 * Pi);
        for (const TSP& q : *a)
            b->AppendPoint(0, -1, static_cast<float>(q.X + w * std::sin(side) + d.Uniform(-w, w) * 0.3),
                           static_cast<float>(q.Y - w * std::cos(side) + d.Uniform(-w, w) * 0.3));
        a->Flags = OF_RAIL_A | OF_VISIBLE | (d.Chance(0.2) ? uint32_t{OF_RETURN_STITCH} : 0u) |
                   (d.Chance(0.2) ? uint32_t{OF_STITCH_FROM_END} : 0u);
        b->Flags = OF_RAIL_B | OF_VISIBLE;
        a->SetStitchTypeBits(ST_SATIN);
        b->SetStitchTypeBits(ST_SATIN);
        a->PartnerRail = b.get();
        b->PartnerRail = a.get();
        a->Density = d.Int(10, 70);
        b->Density = 0;
        a->RunLength = d.Int(10, 160);
        if (d.Chance(0.4)) a->Compensation = static_cast<float>(d.Uniform(0, 100));
        if (d.Chance(0.3)) {
            b->Feather = RandomFeather(d);
            a->Flags |= OF_FEATHER;
        }
        RandomSides(*a, d);
        RandomFillSplit(*a, d);
        RandomLimits(*a, d);
        if (d.Chance(0.2)) {
            b->Pattern = TDeepPtr<TObjectStitch>(RandomPattern(d, true));
            a->StitchFlags |= SF_PROG_STITCH;
            g.Text += (b->Pattern->Flags & PATTERN_MATCH_CURVE) ? " matched pattern" : " pattern";
        }
        a->Flatten();
        b->Flatten();
        g.Text += " density " + Num(a->Density) + " compensation " + Num(a->Compensation) +
                  (b->Feather ? " feather" : "");
        g.Curve = std::move(a);
        g.RailB = std::move(b);
    } else if (kind == TKind::Linked) {
        // Two or three outlines, running or satin, side by side, joined into a chain by links at
        // random places; the first is where the chain is entered.
        const int32_t n = d.Int(2, 3);
        std::vector<std::unique_ptr<TSLCurve>> chain;
        for (int32_t i = 0; i < n; ++i) {
            const double x = cx + 900.0 * i, y = cy + d.Uniform(-300, 300);
            std::unique_ptr<TSLCurve> c;
            g.Text += " [";
            if (d.Chance(0.4)) {
                c = std::make_unique<TSLCurve>();
                const TScale sc = RandomScale(d);
                RandomPath(*c, d, x, y, sc.Segments, sc.Lo, sc.Hi, d.Chance(0.5), d.Chance(0.2));
                c->Flags |= OF_VISIBLE | OF_RUNNING;
                c->SetStitchTypeBits(ST_RUNNING);
                RandomLimits(*c, d);
                g.Text += "running";
            } else {
                bool smooth = false;
                c = MakeSatinOutline(d, x, y, smooth, g.Text);
            }
            c->RunLength = d.Int(10, 160);
            c->Mark = i;
            c->UpdateBounds(g.Ctx);
            g.Text += "]";
            chain.push_back(std::move(c));
        }
        for (int32_t i = 1; i < n; ++i) {
            TSLCurve& from = *chain[static_cast<size_t>(d.Int(0, i - 1))];
            TSLCurve& to = *chain[static_cast<size_t>(i)];
            LinkOutlines(from, to, d.Int(0, from.LastSample()), d.Int(0, to.LastSample()));
        }
        PropagateChain(*chain[0]);
        if (d.Chance(0.5)) chain[0]->EntryIndex = d.Int(0, chain[0]->LastSample());
        g.Curve = std::move(chain[0]);
        for (int32_t i = 1; i < n; ++i)
            g.Linked.push_back(std::move(chain[static_cast<size_t>(i)]));
    } else {
        // A star-shaped polygon, straight edges, 3 to 10 corners, up to 60 mm across.
        auto c = std::make_unique<TSLCurve>();
        const int32_t n = d.Int(3, 10);
        const double radius = d.Uniform(40, 600);
        std::vector<double> angles;
        for (int32_t i = 0; i < n; ++i)
            angles.push_back(d.Uniform(0, 2 * Pi));
        std::sort(angles.begin(), angles.end());
        std::vector<std::pair<float, float>> corners;
        for (double a : angles) {
            const double r = radius * d.Uniform(0.35, 1.0);
            corners.push_back(
                {static_cast<float>(cx + r * std::sin(a)), static_cast<float>(cy - r * std::cos(a))});
        }
        corners.push_back(corners.front());
        for (size_t i = 0; i < corners.size(); ++i) {
            auto [x, y] = corners[i];
            if (i > 0) {
                auto [px, py] = corners[i - 1];
                c->AppendPoint(0, -1, px + (x - px) / 3, py + (y - py) / 3);
                c->AppendPoint(0, -1, px + 2 * (x - px) / 3, py + 2 * (y - py) / 3);
            }
            c->AppendPoint(0, -1, x, y);
        }
        c->Flatten();
        auto r = std::make_unique<TSLRegion>();
        TSP& first = (*r)[0];
        first.X = c->PathX[0];
        first.Y = c->PathY[0];
        TRegionNode& n0 = EnsureNode(first);
        n0.Outline = c.get();
        n0.StartIndex = 0;
        n0.EndIndex = LastSampleOf(*c);
        r->AppendNode(NK_JOIN_FROM_END, c->PathX[0], c->PathY[0], c.get(), 0, 0);
        r->Flags |= OF_HIGHLIGHT | OF_VISIBLE;
        const uint32_t types[] = {ST_TATAMI, ST_SATIN, ST_ZIGZAG};
        const uint32_t type = types[d.Int(0, 2)];
        r->SetStitchTypeBits(type);
        // The "Region" page's ranges.
        r->Density = d.Int(10, 70);
        r->RunLength = d.Int(10, 160);
        r->Rotation = static_cast<float>(d.Uniform(-360, 360));
        r->Pitch = static_cast<float>(std::lround(d.Uniform(40, 200)));
        r->PitchOffsets = EncodeOffset(d.Uniform(-100, 100)) | EncodeOffset(d.Uniform(-100, 100)) << 16;
        if (d.Chance(0.3))
            r->Compensation = static_cast<float>(d.Chance(0.8) ? d.Uniform(0, 3) : d.Uniform(0, 100));
        r->TatamiMin = d.Int(0, 40);
        if (d.Chance(0.3)) r->StitchFlags |= RSF_BACK_TO_STITCH;
        if (d.Chance(0.3)) r->StitchFlags |= RSF_TURN_TYPE_2;
        if (d.Chance(0.3)) r->StitchFlags |= SF_USE_OFFSET_B;
        if (d.Chance(0.2)) r->Flags |= RF_SPLIT_PITCH;
        RandomSides(*r, d);
        if (d.Chance(0.4)) {
            r->StitchFlags |= RSF_USE_UNDERLAY;
            r->StitchFlags &= ~RSF_UNDER_MASK;
            const uint32_t under[] = {RSF_UNDER_TATAMI, RSF_UNDER_SATIN, RSF_UNDER_ZIGZAG};
            r->StitchFlags |= under[d.Int(0, 2)];
            r->UnderDensity = d.Int(10, 70);
            r->UnderRotation = static_cast<float>(d.Uniform(-360, 360));
            r->UnderPitch = d.Int(10, 220);
            r->UnderMargin = d.Uniform(0, 800);
            r->UnderOffset = static_cast<int32_t>(std::lround(d.Uniform(0, 1000)));
        }
        RandomLimits(*r, d);
        if (d.Chance(0.3)) {
            r->FillPattern = TDeepPtr<TObjectStitch>(RandomPattern(d, false));
            r->StitchFlags |= SF_PROG_STITCH;
            g.Text += " pattern";
        }
        r->UpdateBounds(g.Ctx);
        r->DeriveEntryExit = true;
        if (d.Chance(0.3)) {
            r->EntryNode = r->ExitNode = 0;
            r->EntryPercent = static_cast<float>(d.Uniform(0, 100));
            r->ExitPercent = static_cast<float>(d.Uniform(0, 100));
        }
        g.Text += " type " + Num(type) + " density " + Num(r->Density) + " rotation " + Num(r->Rotation) +
                  " compensation " + Num(r->Compensation) +
                  ((r->StitchFlags & RSF_USE_UNDERLAY)
                       ? " underlay margin " + Num(r->UnderMargin) + " rotation " + Num(r->UnderRotation)
                       : "") +
                  " corners " + Num(n) + " radius " + Num(radius);
        g.Curve = std::move(c);
        g.Region = std::move(r);
    }
    return g;
}

// ---- reach ----

// How far from its geometry a generated point may lie; negative when no bound applies (a slant
// within a few degrees of the path direction stretches stitches without limit).
inline double SatinReach(const TSLCurve& c) {
    const TOutlineList& p = *c.Outlines;
    double H = 0;
    for (const auto& o : p)
        for (float h :
             {o->HeightA, o->HeightB, o->CtrlHeight1A, o->CtrlHeight2A, o->CtrlHeight1B, o->CtrlHeight2B})
            H = std::max(H, std::fabs(static_cast<double>(h)));
    H = H * 1.02 + 1; // the profile is extended in a line a little past a section's end
    // The slant of each section runs in a line from its start angle to its end angle.
    double w = 0;
    const int32_t n = p.Count();
    for (int32_t j = 0; j + 1 < n; ++j) {
        const double sa = p[j]->StartAngle, next = p[j + 1]->StartAngle;
        const double from = j == 0 ? sa : 2.0 * p[j]->EndRotation - sa;
        const double to = j == 0 ? next : 2.0 * p[j]->EndRotation + next;
        w = std::max({w, std::fabs(from), std::fabs(to)});
    }
    if (w > 80 * Pi / 180) return -1;
    const double slant = 1.0 / std::cos(w);
    const TFeather* f = p.OutlineFeather.get();
    const double comp = std::clamp(static_cast<double>(p.OutlineCompensation), 0.0, 12.0);
    const double density = std::clamp(c.Density, 1, 500);
    auto featherReach = [&](double u) {
        double r = 0;
        if (FeatherAbove(f))
            r = std::max(r, std::max(0.0, static_cast<double>(f->ScaleA)) *
                                ((f->FeatherFlags & FF_AUTO_ABOVE) ? u : std::clamp(f->WidthA, 0, 1000)));
        if (FeatherBelow(f))
            r = std::max(r, std::max(0.0, static_cast<double>(f->ScaleB)) *
                                ((f->FeatherFlags & FF_AUTO_BELOW) ? u : std::clamp(f->WidthB, 0, 1000)));
        return r;
    };
    if (!(c.Flags & OF_SHORT_STITCHES)) {
        const double r0 = H + featherReach(H);
        return r0 * (1 + 0.2 * comp) * slant + 1;
    }
    // Short stitches: the slanted edges are re-spaced (each chain may run out two steps past its
    // end), then compensation and feathering push each end away from the opposite edge.
    const double edge = H * slant, run = 2 * std::max(1.0, 200.0 / density);
    const double width = 2 * edge + 2 * run;
    return edge + run + std::max(0.1 * comp * width, featherReach(width)) + 1;
}

inline double ColumnReach(const TSLCurve& a, const TSLCurve& b, double diagonal) {
    double r = std::clamp(static_cast<double>(a.Compensation), 0.0, 100.0) / 100 * diagonal;
    const TFeather* f = b.Feather.get();
    if (FeatherAbove(f))
        r = std::max(r, std::max(0.0, static_cast<double>(f->ScaleA)) *
                            ((f->FeatherFlags & FF_AUTO_ABOVE) ? diagonal : std::clamp(f->WidthA, 0, 1000)));
    if (FeatherBelow(f))
        r = std::max(r, std::max(0.0, static_cast<double>(f->ScaleB)) *
                            ((f->FeatherFlags & FF_AUTO_BELOW) ? diagonal : std::clamp(f->WidthB, 0, 1000)));
    if (a.Flags & OF_RETURN_STITCH) r += 2 * std::clamp(a.RunLength, 1, 160);
    return r + 1;
}

// ---- the satin stitch against the path ----

struct TPathEval {
    const TSLCurve& C;
    int32_t Segments() const { return C.SegmentCount(); }
    void At(double u, double& x, double& y, double& dx, double& dy) const {
        const int32_t k = Segments();
        int32_t s = std::clamp(static_cast<int32_t>(std::floor(u)), 0, k - 1);
        const double t = std::clamp(u - s, 0.0, 1.0), m = 1 - t;
        const TSP *p0 = &C[3 * s], *p1 = &C[3 * s + 1], *p2 = &C[3 * s + 2], *p3 = &C[3 * s + 3];
        x = m * m * m * p0->X + 3 * m * m * t * p1->X + 3 * m * t * t * p2->X + t * t * t * p3->X;
        y = m * m * m * p0->Y + 3 * m * m * t * p1->Y + 3 * m * t * t * p2->Y + t * t * t * p3->Y;
        dx = 3 * m * m * (p1->X - p0->X) + 6 * m * t * (p2->X - p1->X) + 3 * t * t * (p3->X - p2->X);
        dy = 3 * m * m * (p1->Y - p0->Y) + 6 * m * t * (p2->Y - p1->Y) + 3 * t * t * (p3->Y - p2->Y);
        if (std::hypot(dx, dy) < 1e-9) {
            // A handle on its anchor: the path leaves towards the next distinct control point.
            const TSP* q[4] = {p0, p1, p2, p3};
            if (t < 0.5) {
                for (int i = 1; i < 4; ++i)
                    if (q[i]->X != p0->X || q[i]->Y != p0->Y) {
                        dx = q[i]->X - p0->X, dy = q[i]->Y - p0->Y;
                        break;
                    }
            } else {
                for (int i = 2; i >= 0; --i)
                    if (q[i]->X != p3->X || q[i]->Y != p3->Y) {
                        dx = p3->X - q[i]->X, dy = p3->Y - q[i]->Y;
                        break;
                    }
            }
        }
    }
};

// Each satin stitch A -> B of an outline whose path turns smoothly and asks for no slant crosses
// the path at a right angle (within `toleranceDeg`). Returns the worst angle off, in degrees.
inline double WorstSatinAngle(TSLCurve& c, const TStitchContext& ctx, std::string* where) {
    TSLStitch raw;
    try {
        GenerateSatinOutline(c, raw, ctx);
    } catch (const TGenerationError&) {
        return 0;
    }
    std::vector<const TSP*> pts;
    for (const TSP& p : raw)
        if (!(p.Flags & SP_FILL)) pts.push_back(&p);
    const TPathEval ev{c};
    const int32_t k = ev.Segments();
    double u = 0, worst = 0;
    for (size_t i = 0; i + 1 < pts.size(); i += 2) {
        const double ax = pts[i]->X, ay = pts[i]->Y, bx = pts[i + 1]->X, by = pts[i + 1]->Y;
        const double vx = bx - ax, vy = by - ay, len = std::hypot(vx, vy);
        if (len < 1) continue;
        // Signed distance of the path from the stitch line, and where along the stitch it lies.
        auto side = [&](double at, double& along) {
            double x, y, dx, dy;
            ev.At(at, x, y, dx, dy);
            along = ((x - ax) * vx + (y - ay) * vy) / (len * len);
            return (vx * (y - ay) - vy * (x - ax)) / len;
        };
        // The stitches follow the path: look for where this one crosses it, from the previous
        // crossing on. A stitch wider than the path's bend may cross it more than once; the
        // crossing it was made at is the one it is square to.
        const double step = 0.01, from = std::max(0.0, u - step), to = std::min<double>(k, u + 1.0);
        double found = -1, best = 1e9, along0 = 0, prev = side(from, along0);
        auto consider = [&](double at) {
            double x, y, dx, dy;
            ev.At(at, x, y, dx, dy);
            const double tl = std::hypot(dx, dy);
            if (tl <= 0) return;
            const double off =
                std::asin(std::min(1.0, std::fabs((dx * vx + dy * vy) / (tl * len)))) * 180 / Pi;
            if (off < best) best = off, found = at;
        };
        if (std::fabs(prev) < 1e-3) consider(from);
        for (double at = from + step; at <= to + 1e-9; at += step) {
            const double here = std::min(at, static_cast<double>(k));
            double along = 0, f = side(here, along);
            if (std::fabs(f) < 1e-3 && along > -3 && along < 4) {
                consider(here);
            } else if ((prev < 0) != (f < 0) && along > -3 && along < 4) {
                double lo = at - step, hi = here, flo = prev;
                for (int it = 0; it < 50; ++it) {
                    double mid = (lo + hi) / 2, a2, fm = side(mid, a2);
                    if ((fm < 0) == (flo < 0))
                        lo = mid, flo = fm;
                    else
                        hi = mid;
                }
                consider((lo + hi) / 2);
            }
            prev = f;
        }
        if (found < 0) continue; // a stitch that leaves the path's neighbourhood: not this check's business
        u = found;
        if (best > worst) {
            worst = best;
            if (where) *where = "stitch " + Num(static_cast<double>(i / 2)) + " at u=" + Num(u);
        }
    }
    return worst;
}

// ---- distance to a path ----

// The path of an outline as chords that lie within a twentieth of a unit of the curve, sorted
// into square cells, so that the distance from a point to the path is found among a few chords.
class TPathNear {
public:
    TPathNear(const TSLCurve& c, double cell) : cell_(std::max(cell, 16.0)) {
        const TPathEval ev{c};
        for (int32_t k = 0; k < ev.Segments(); ++k)
            Subdivide(ev, k, k + 1.0, 0);
        for (size_t i = 0; i < chords_.size(); ++i) {
            const TChord& h = chords_[i];
            for (int64_t cy = Cell(std::min(h.Y1, h.Y2)); cy <= Cell(std::max(h.Y1, h.Y2)); ++cy)
                for (int64_t cx = Cell(std::min(h.X1, h.X2)); cx <= Cell(std::max(h.X1, h.X2)); ++cx)
                    cells_[Key(cx, cy)].push_back(static_cast<int32_t>(i));
        }
    }
    // The distance from (x, y) to the path when it is less than a cell; something at least a
    // cell otherwise. With `enough`, the search stops at the first chord that near.
    double Distance(double x, double y, double enough = -1) const {
        double best = 1e300;
        const int64_t cx = Cell(x), cy = Cell(y);
        // The point's own cell first: a point near the path mostly finds its chord there.
        for (int pass = 0; pass < 2; ++pass)
            for (int64_t j = cy - 1; j <= cy + 1; ++j)
                for (int64_t i = cx - 1; i <= cx + 1; ++i) {
                    if ((pass == 0) != (i == cx && j == cy)) continue;
                    auto it = cells_.find(Key(i, j));
                    if (it == cells_.end()) continue;
                    for (int32_t k : it->second) {
                        const TChord& h = chords_[static_cast<size_t>(k)];
                        const double dx = h.X2 - h.X1, dy = h.Y2 - h.Y1, l2 = dx * dx + dy * dy;
                        const double t =
                            l2 > 0 ? std::clamp(((x - h.X1) * dx + (y - h.Y1) * dy) / l2, 0.0, 1.0) : 0.0;
                        best = std::min(best, std::hypot(h.X1 + t * dx - x, h.Y1 + t * dy - y));
                        if (best <= enough) return best;
                    }
                }
        return best;
    }

private:
    struct TChord {
        double X1, Y1, X2, Y2;
    };
    void Subdivide(const TPathEval& ev, double u0, double u1, int depth) {
        double x0, y0, x1, y1, xm, ym, dx, dy;
        ev.At(u0, x0, y0, dx, dy);
        ev.At(u1, x1, y1, dx, dy);
        ev.At((u0 + u1) / 2, xm, ym, dx, dy);
        if (depth >= 14 || std::hypot((x0 + x1) / 2 - xm, (y0 + y1) / 2 - ym) < 0.05) {
            // At the ends of an interval the curve may still bend away (an S within it): split at
            // least a few times before trusting the middle alone.
            if (depth >= 3) {
                chords_.push_back({x0, y0, x1, y1});
                return;
            }
        }
        Subdivide(ev, u0, (u0 + u1) / 2, depth + 1);
        Subdivide(ev, (u0 + u1) / 2, u1, depth + 1);
    }
    int64_t Cell(double v) const { return static_cast<int64_t>(std::floor(v / cell_)); }
    static int64_t Key(int64_t i, int64_t j) { return (i << 32) ^ (j & 0xFFFFFFFF); }
    double cell_;
    std::vector<TChord> chords_;
    std::unordered_map<int64_t, std::vector<int32_t>> cells_;
};

// ---- the check ----

struct TResult {
    bool Generated = false;     // the object has stitches
    bool BoundsChecked = false; // a reach applied
    std::vector<std::string> Faults;
};

// One generated list of a case with what it is checked against: the object whose limits it keeps,
// the box of its geometry, how far beyond that its points may reach and whether they must lie that
// near the curve's path as well.
struct TSubject {
    const TSLStitch* Owner = nullptr;
    const TSLCurve* Path = nullptr; // the outline whose path the points stay near; null: box only
    TBox Box;
    double Reach = 0.5;
    std::string Name;
    const TSLStitch* List() const {
        if (Owner->Kind() == KIND_REGION) return static_cast<const TSLRegion&>(*Owner).FillStitches.get();
        return static_cast<const TSLCurve&>(*Owner).Generated.get();
    }
};

inline std::vector<TSubject> Subjects(const TGenCase& g) {
    std::vector<TSubject> out;
    TSubject s;
    s.Box = ControlBox(*g.Curve);
    switch (g.Kind) {
    case TKind::Running:
        s.Owner = s.Path = g.Curve.get();
        out.push_back(s);
        break;
    case TKind::SatinOutline:
        s.Owner = s.Path = g.Curve.get();
        s.Reach = SatinReach(*g.Curve);
        out.push_back(s);
        break;
    case TKind::Column:
        s.Owner = g.Curve.get();
        for (const TSP& p : *g.RailB)
            s.Box.Add(p.X, p.Y);
        s.Reach = ColumnReach(*g.Curve, *g.RailB, s.Box.Diagonal());
        out.push_back(s);
        break;
    case TKind::Region:
        s.Owner = g.Region.get();
        s.Reach = 20.0 * std::max(0.f, g.Region->Compensation) + 3;
        out.push_back(s);
        break;
    case TKind::Linked: {
        std::vector<const TSLCurve*> chain{g.Curve.get()};
        for (const auto& c : g.Linked)
            chain.push_back(c.get());
        for (size_t i = 0; i < chain.size(); ++i) {
            TSubject m;
            m.Owner = m.Path = chain[i];
            m.Box = ControlBox(*chain[i]);
            m.Reach = chain[i]->Outlines ? SatinReach(*chain[i]) : 0.5;
            m.Name = "outline " + Num(static_cast<double>(i)) + ": ";
            out.push_back(m);
        }
        break;
    }
    }
    return out;
}

inline std::vector<std::vector<TSP>> Snapshot(const std::vector<TSubject>& subjects) {
    std::vector<std::vector<TSP>> v;
    for (const TSubject& s : subjects) {
        const TSLStitch* l = s.List();
        v.emplace_back(l ? std::vector<TSP>(l->begin(), l->end()) : std::vector<TSP>{});
    }
    return v;
}

inline TResult Check(TGenCase& g, double perpendicularToleranceDeg = 1.5) {
    TResult res;
    if (g.Region) {
        Restitch(*g.Region, g.Ctx);
    } else if (g.Kind == TKind::Linked) {
        // The links know their places once every outline of the chain has its path.
        g.Curve->UpdateBounds(g.Ctx);
        for (const auto& c : g.Linked)
            c->UpdateBounds(g.Ctx);
        g.Regenerate();
    } else {
        g.Curve->UpdateBounds(g.Ctx);
    }
    auto fault = [&](const std::string& what) { res.Faults.push_back(g.Text + ": " + what); };
    const std::vector<TSubject> subjects = Subjects(g);
    const std::vector<std::vector<TSP>> firsts = Snapshot(subjects);

    // Determinism: the same object gives the same points again.
    g.Regenerate();
    const std::vector<std::vector<TSP>> seconds = Snapshot(subjects);
    for (size_t k = 0; k < subjects.size(); ++k) {
        const std::vector<TSP>& first = firsts[k];
        const std::vector<TSP>& second = seconds[k];
        res.Generated = res.Generated || !first.empty();
        bool same = first.size() == second.size();
        for (size_t i = 0; same && i < first.size(); ++i)
            same = std::memcmp(&first[i].X, &second[i].X, sizeof(float)) == 0 &&
                   std::memcmp(&first[i].Y, &second[i].Y, sizeof(float)) == 0 &&
                   first[i].Flags == second[i].Flags;
        if (!same) fault(subjects[k].Name + "regenerating gave other points");
    }

    for (size_t k = 0; k < subjects.size(); ++k) {
        const TSubject& sub = subjects[k];
        const std::vector<TSP>& first = firsts[k];
        if (first.empty()) continue;
        const TSLStitch& owner = *sub.Owner;
        const bool region = owner.Kind() == KIND_REGION;
        const double mx = owner.MaxStitch(),
                     mn = std::min(owner.MinStitch(), region ? owner.MaxStitch() : 1 << 30);
        const bool limited = !region || first.size() > 4;
        const double reach = sub.Reach;
        res.BoundsChecked = res.BoundsChecked || reach >= 0;
        std::unique_ptr<TPathNear> near;
        if (sub.Path && reach >= 0) near = std::make_unique<TPathNear>(*sub.Path, reach + 1);
        for (size_t i = 0; i < first.size(); ++i) {
            const TSP& p = first[i];
            if (!std::isfinite(p.X) || !std::isfinite(p.Y)) {
                fault(sub.Name + "point " + Num(static_cast<double>(i)) + " is not a number");
                return res;
            }
            if (reach >= 0 && !sub.Box.Holds(p.X, p.Y, reach)) {
                fault(sub.Name + "point " + Num(static_cast<double>(i)) + " (" + Num(p.X) + ", " + Num(p.Y) +
                      ") is outside the geometry [" + Num(sub.Box.L) + ", " + Num(sub.Box.T) + " .. " +
                      Num(sub.Box.R) + ", " + Num(sub.Box.B) + "] grown by " + Num(reach));
                break;
            }
            if (near) {
                const double d = near->Distance(p.X, p.Y, reach + 0.1);
                if (d > reach + 0.1) {
                    fault(sub.Name + "point " + Num(static_cast<double>(i)) + " (" + Num(p.X) + ", " +
                          Num(p.Y) + ") is " + (d < 1e299 ? Num(d) : std::string("far")) +
                          " from the path (reach " + Num(reach) + ")");
                    break;
                }
            }
        }
        if (limited)
            for (size_t i = 1; i < first.size(); ++i) {
                const double len = std::hypot(static_cast<double>(first[i].X) - first[i - 1].X,
                                              static_cast<double>(first[i].Y) - first[i - 1].Y);
                if (len > mx + mn + 0.05) {
                    fault(sub.Name + "stitch " + Num(static_cast<double>(i)) + " is " + Num(len) +
                          " long (max " + Num(mx) + ")");
                    break;
                }
            }
    }

    // A smooth satin outline without slant: every stitch square to the path.
    if (g.Kind == TKind::SatinOutline && g.Smooth && g.Curve->StitchType() == ST_SATIN &&
        !(g.Curve->Flags & OF_SHORT_STITCHES) && g.Curve->Outlines->Item(0)->EndRotation == 0 &&
        g.Curve->Outlines->Item(g.Curve->Outlines->Count() - 1)->EndRotation == 0) {
        std::string where;
        const double worst = WorstSatinAngle(*g.Curve, g.Ctx, &where);
        if (worst > perpendicularToleranceDeg)
            fault("a satin stitch misses the perpendicular by " + Num(worst) + " degrees (" + where + ")");
    }
    return res;
}

} // namespace nl::props
