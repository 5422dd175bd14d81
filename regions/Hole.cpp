// Complex holes drawn into fill rasters, overlay outlines piercing fills, and the refill of the
// regions they shape.
#include "regions/Hole.h"

#include <algorithm>
#include <cmath>

#include "regions/FillGen.h"
#include "regions/RgnTable.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
void SyncList(std::vector<TSLStitch*>& list, std::span<TSLStitch* const> objects,
              bool (*qualifies)(const TSLStitch&)) {
    std::vector<TSLStitch*> kept;
    for (TSLStitch* o : list)
        if (o && std::find(kept.begin(), kept.end(), o) == kept.end() &&
            std::find(objects.begin(), objects.end(), o) != objects.end() && qualifies(*o))
            kept.push_back(o);
    for (TSLStitch* o : objects)
        if (o && qualifies(*o) && std::find(kept.begin(), kept.end(), o) == kept.end()) kept.push_back(o);
    list = std::move(kept);
}
} // namespace

void SetListMember(std::vector<TSLStitch*>& list, bool on, TSLStitch* object) {
    std::erase(list, object);
    if (on && object) list.push_back(object);
}

bool ListMeetsRect(const std::vector<TSLStitch*>& list, const TKvRect& r) {
    return std::any_of(list.begin(), list.end(),
                       [&r](const TSLStitch* o) { return o && !o->Bounds.empty && o->Bounds.Intersects(r); });
}

void SyncHoleList(THoleList& list, std::span<TSLStitch* const> objects) {
    SyncList(list, objects, IsComplexHole);
}

void SyncOverlayList(TOverlayList& list, std::span<TSLStitch* const> objects) {
    SyncList(list, objects, IsRegionOverlay);
}

void DrawHolesInto(std::span<TSLStitch* const> objects, const TSLRegion& region, TFillRaster& raster,
                   bool underlay) {
    for (TSLStitch* o : objects) {
        if (!o || !IsComplexHole(*o)) continue;
        const auto& hole = static_cast<const TSLRegion&>(*o);
        if (hole.UnderConstruction() || hole.Count() < 2 || hole.Bounds.empty || region.Bounds.empty ||
            !hole.Bounds.Intersects(region.Bounds))
            continue;
        std::vector<std::pair<double, double>> poly;
        bool finite = true;
        for (const TWalkPoint& w : hole.WalkPath()) {
            double rx, ry;
            raster.ToRaster(w.X, w.Y, rx, ry);
            finite = finite && std::isfinite(rx) && std::isfinite(ry);
            poly.push_back({rx, ry});
        }
        if (!finite || poly.size() < 2) continue;
        if (underlay && region.UnderMargin > 0 && std::isfinite(region.UnderMargin))
            poly = OffsetPolygon(std::move(poly), region.UnderMargin, true);
        std::vector<double> xs, ys;
        xs.reserve(poly.size());
        ys.reserve(poly.size());
        for (auto [x, y] : poly) {
            xs.push_back(x);
            ys.push_back(y);
        }
        raster.Polyline(xs, ys, true);
    }
}

std::vector<const TSLCurve*> CollectOverlays(std::span<TSLStitch* const> objects, const TSLRegion& region) {
    std::vector<const TSLCurve*> out;
    if (region.Flags & OF_NO_OVERLAYS) return out;
    for (TSLStitch* o : objects) {
        if (!o || !IsRegionOverlay(*o)) continue;
        const auto* curve = static_cast<const TSLCurve*>(o);
        TKvRect b = curve->GetPathBounds();
        if (b.empty || region.Bounds.empty || !b.Intersects(region.Bounds) || curve->PathX.size() < 2)
            continue;
        out.push_back(curve);
    }
    return out;
}

std::vector<const TSLCurve*> CollectOverlays(std::span<TSLStitch* const> objects, const TSLCurve& curve,
                                             const TSLStitch& stitches) {
    std::vector<const TSLCurve*> out;
    if (stitches.Empty()) return out;
    float x0 = stitches[0].X, x1 = x0, y0 = stitches[0].Y, y1 = y0;
    for (const TSP& p : stitches) {
        x0 = std::min(x0, p.X), x1 = std::max(x1, p.X);
        y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
    }
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1)) return out;
    TKvRect area;
    area.SetRounded(x0, y0, x1, y1);
    area.Inflate(1);
    for (TSLStitch* o : objects) {
        if (!o || !IsRegionOverlay(*o) || o == &curve || o == curve.PartnerRail) continue;
        const auto* overlay = static_cast<const TSLCurve*>(o);
        TKvRect b = overlay->GetPathBounds();
        if (b.empty || !b.Intersects(area) || overlay->PathX.size() < 2) continue;
        out.push_back(overlay);
    }
    return out;
}

namespace {

// The segments of the overlay paths in a uniform grid of square cells, so that a stitch is tested
// only against the few path segments near it.
class TSegmentGrid {
public:
    explicit TSegmentGrid(const std::vector<const TSLCurve*>& overlays) {
        for (const TSLCurve* c : overlays) {
            const size_t n = std::min(c->PathX.size(), c->PathY.size());
            for (size_t i = 0; i + 1 < n; ++i) {
                const double ax = c->PathX[i], ay = c->PathY[i], bx = c->PathX[i + 1], by = c->PathY[i + 1];
                if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
                    continue;
                if (ax == bx && ay == by) continue;
                seg_.push_back({ax, ay, bx, by});
                x0_ = std::min({x0_, ax, bx});
                y0_ = std::min({y0_, ay, by});
                x1_ = std::max({x1_, ax, bx});
                y1_ = std::max({y1_, ay, by});
            }
        }
        if (seg_.empty()) return;
        cols_ = std::clamp(static_cast<int32_t>((x1_ - x0_) / kCell) + 1, 1, 4096);
        rows_ = std::clamp(static_cast<int32_t>((y1_ - y0_) / kCell) + 1, 1, 4096);
        cellW_ = (x1_ - x0_) / cols_ + 1e-9;
        cellH_ = (y1_ - y0_) / rows_ + 1e-9;
        cells_.resize(static_cast<size_t>(cols_) * static_cast<size_t>(rows_));
        for (size_t s = 0; s < seg_.size(); ++s) {
            const TSeg& g = seg_[s];
            int32_t c0, c1, r0, r1;
            if (!Range(std::min(g.ax, g.bx), std::max(g.ax, g.bx), std::min(g.ay, g.by), std::max(g.ay, g.by),
                       c0, c1, r0, r1))
                continue;
            for (int32_t r = r0; r <= r1; ++r)
                for (int32_t c = c0; c <= c1; ++c)
                    cells_[static_cast<size_t>(r) * static_cast<size_t>(cols_) + static_cast<size_t>(c)]
                        .push_back(static_cast<int32_t>(s));
        }
        stamp_.assign(seg_.size(), 0);
    }

    bool Empty() const { return seg_.empty(); }

    // Parameters (0..1 from a towards b) of every crossing of the stitch a-b with an overlay
    // segment, at least half a unit away from both ends, ascending.
    void Crossings(double ax, double ay, double bx, double by, std::vector<double>& ts) {
        ts.clear();
        int32_t c0, c1, r0, r1;
        if (!Range(std::min(ax, bx), std::max(ax, bx), std::min(ay, by), std::max(ay, by), c0, c1, r0, r1))
            return;
        const double dx = bx - ax, dy = by - ay;
        const double len = std::hypot(dx, dy);
        if (!(len > 1.0)) return;
        const double margin = 0.5 / len;
        ++tick_;
        for (int32_t r = r0; r <= r1; ++r)
            for (int32_t c = c0; c <= c1; ++c)
                for (int32_t s :
                     cells_[static_cast<size_t>(r) * static_cast<size_t>(cols_) + static_cast<size_t>(c)]) {
                    if (stamp_[static_cast<size_t>(s)] == tick_) continue;
                    stamp_[static_cast<size_t>(s)] = tick_;
                    const TSeg& g = seg_[static_cast<size_t>(s)];
                    const double ex = g.bx - g.ax, ey = g.by - g.ay;
                    const double den = dx * ey - dy * ex;
                    if (den == 0) continue; // parallel: no single crossing point
                    const double qx = g.ax - ax, qy = g.ay - ay;
                    const double t = (qx * ey - qy * ex) / den;
                    const double u = (qx * dy - qy * dx) / den;
                    if (t <= margin || t >= 1 - margin || u < 0 || u > 1) continue;
                    ts.push_back(t);
                }
        std::sort(ts.begin(), ts.end());
        // Two overlay segments meeting on the stitch give one crossing, not two.
        ts.erase(std::unique(ts.begin(), ts.end(), [margin](double p, double q) { return q - p < margin; }),
                 ts.end());
    }

private:
    static constexpr double kCell = 64.0;
    struct TSeg {
        double ax, ay, bx, by;
    };
    bool Range(double lx, double hx, double ly, double hy, int32_t& c0, int32_t& c1, int32_t& r0,
               int32_t& r1) const {
        if (hx < x0_ || lx > x1_ || hy < y0_ || ly > y1_) return false;
        c0 = std::clamp(static_cast<int32_t>((lx - x0_) / cellW_), 0, cols_ - 1);
        c1 = std::clamp(static_cast<int32_t>((hx - x0_) / cellW_), 0, cols_ - 1);
        r0 = std::clamp(static_cast<int32_t>((ly - y0_) / cellH_), 0, rows_ - 1);
        r1 = std::clamp(static_cast<int32_t>((hy - y0_) / cellH_), 0, rows_ - 1);
        return true;
    }

    std::vector<TSeg> seg_;
    double x0_ = 1e300, y0_ = 1e300, x1_ = -1e300, y1_ = -1e300;
    int32_t cols_ = 0, rows_ = 0;
    double cellW_ = 1, cellH_ = 1;
    std::vector<std::vector<int32_t>> cells_;
    std::vector<uint32_t> stamp_;
    uint32_t tick_ = 0;
};

} // namespace

void PierceWithOverlays(const std::vector<const TSLCurve*>& overlays, TSLStitch& fill) {
    if (overlays.empty() || fill.Count() < 2) return;
    TSegmentGrid grid(overlays);
    if (grid.Empty()) return;
    std::vector<TSP>& pts = fill.Raw();
    // The entry path runs under the fill from the entry point and is left as it is.
    size_t first = 0;
    while (first < pts.size() && (pts[first].Flags & SP_RETURN))
        ++first;
    first = std::max<size_t>(first, 1);
    std::vector<TSP> out;
    out.reserve(pts.size() + pts.size() / 8);
    std::vector<double> ts;
    for (size_t i = 0; i < pts.size(); ++i) {
        if (i >= first) {
            const TSP& a = pts[i - 1];
            const TSP& b = pts[i];
            grid.Crossings(a.X, a.Y, b.X, b.Y, ts);
            for (double t : ts)
                out.push_back(TSP::Plain(SP_FILL, static_cast<float>(a.X + (b.X - a.X) * t),
                                         static_cast<float>(a.Y + (b.Y - a.Y) * t)));
        }
        out.push_back(pts[i]);
    }
    pts.swap(out);
}

std::vector<TSLStitch*> RegionsShapedIn(std::span<TSLStitch* const> objects, const TKvRect& area, bool holes,
                                        bool overlays) {
    std::vector<TSLStitch*> out;
    if (area.empty || (!holes && !overlays)) return out;
    for (TSLStitch* o : objects) {
        if (!o || o->Kind() != KIND_REGION || o->Bounds.empty || !o->Bounds.Intersects(area)) continue;
        const bool byHoles = holes && (o->Flags & OF_ALLOW_HOLES);
        const bool byOverlays = overlays && !(o->Flags & OF_NO_OVERLAYS);
        if (byHoles || byOverlays) out.push_back(o);
    }
    return out;
}

std::vector<TSLStitch*> OutlinesPiercedIn(std::span<TSLStitch* const> objects, const TKvRect& area) {
    std::vector<TSLStitch*> out;
    if (area.empty) return out;
    for (TSLStitch* o : objects) {
        if (!o || o->Kind() != KIND_CURVE || o->Bounds.empty || !o->Bounds.Intersects(area)) continue;
        const auto& c = static_cast<const TSLCurve&>(*o);
        // Rail A regenerates its column and carries its switches.
        if ((c.Flags & OF_RAIL_B) || (c.Flags & OF_NO_OVERLAYS)) continue;
        if (c.IsRail() || c.Outlines || (c.Flags & OF_RUNNING)) out.push_back(o);
    }
    return out;
}

std::vector<TSLStitch*> ObjectsShapedIn(std::span<TSLStitch* const> objects, const TKvRect& area, bool holes,
                                        bool overlays) {
    std::vector<TSLStitch*> out = RegionsShapedIn(objects, area, holes, overlays);
    if (overlays) {
        std::vector<TSLStitch*> outlines = OutlinesPiercedIn(objects, area);
        out.insert(out.end(), outlines.begin(), outlines.end());
    }
    return out;
}

int32_t RefillShapedRegions(std::span<TSLStitch* const> objects, const TKvRect& area, bool holes,
                            bool overlays, const TStitchContext& ctx) {
    const std::vector<TSLStitch*> regions = RegionsShapedIn(objects, area, holes, overlays);
    for (TSLStitch* r : regions)
        Restitch(*r, ctx);
    return static_cast<int32_t>(regions.size());
}

} // namespace nl
