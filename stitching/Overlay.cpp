#include "stitching/Overlay.h"

#include <algorithm>
#include <cmath>

#include "stitching/Outline.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

// The crossing of segments p1-p2 and q1-q2, strictly inside both (end points count as inside);
// parallel or collinear segments have none, so a stitch lying along a pattern line is not pierced.
bool Cross(double p1x, double p1y, double p2x, double p2y, double q1x, double q1y, double q2x, double q2y,
           TPointD& at) {
    const double rx = p2x - p1x, ry = p2y - p1y, sx = q2x - q1x, sy = q2y - q1y;
    const double d = rx * sy - ry * sx;
    if (std::fabs(d) < 1e-12) return false;
    const double qpx = q1x - p1x, qpy = q1y - p1y;
    const double t = (qpx * sy - qpy * sx) / d;
    const double u = (qpx * ry - qpy * rx) / d;
    if (t < 0.0 || t > 1.0 || u < 0.0 || u > 1.0) return false;
    at = {p1x + t * rx, p1y + t * ry};
    return true;
}

void SortFrom(double ax, double ay, std::vector<TPointD>& pts) {
    std::sort(pts.begin(), pts.end(), [&](const TPointD& a, const TPointD& b) {
        return (a.X - ax) * (a.X - ax) + (a.Y - ay) * (a.Y - ay) <
               (b.X - ax) * (b.X - ax) + (b.Y - ay) * (b.Y - ay);
    });
    // A crossing on a tile edge is found in both tiles: once is enough.
    pts.erase(std::unique(pts.begin(), pts.end(),
                          [](const TPointD& a, const TPointD& b) {
                              return std::fabs(a.X - b.X) < 1e-6 && std::fabs(a.Y - b.Y) < 1e-6;
                          }),
              pts.end());
}

// Tile index of a coordinate: floor, so that stitches left of or above the origin get their tiles.
int64_t TileOf(double v, double size) {
    return static_cast<int64_t>(std::floor(v / size));
}

} // namespace

std::vector<TPatternSegment> PatternSegments(const TObjectStitch& pattern) {
    std::vector<TPatternSegment> segs;
    auto polyline = [&](const std::vector<float>& xs, const std::vector<float>& ys) {
        for (size_t i = 1; i < xs.size() && i < ys.size(); ++i)
            if (xs[i - 1] != xs[i] || ys[i - 1] != ys[i])
                segs.push_back({xs[i - 1], ys[i - 1], xs[i], ys[i]});
    };
    for (const auto& item : pattern.Items) {
        if (!item) continue;
        std::vector<float> xs, ys;
        if (item->Kind() == KIND_CURVE) {
            static_cast<const TSLCurve&>(*item).FlattenVisit(0, -1, [&](float x, float y, int32_t) {
                xs.push_back(x);
                ys.push_back(y);
            });
        } else {
            for (const TSP& p : *item) {
                xs.push_back(p.X);
                ys.push_back(p.Y);
            }
        }
        polyline(xs, ys);
    }
    return segs;
}

void EnumerateTile(const TObjectStitch& pattern, double x0, double y0,
                   const std::function<void(double, double, double, double)>& visit) {
    for (const TPatternSegment& s : PatternSegments(pattern))
        visit(s.X1 + x0, s.Y1 + y0, s.X2 + x0, s.Y2 + y0);
}

int32_t InsertCrossing(TSLStitch& list, int32_t k, float x, float y) {
    if (k < 0 || k >= list.Count()) return -1;
    const TSP& s = list[k];
    const double sx = s.X, sy = s.Y;
    const double d = std::hypot(x - sx, y - sy);
    for (int32_t j = k + 1; j < list.Count(); ++j) {
        const TSP& p = list[j];
        if (std::hypot(p.X - sx, p.Y - sy) > d) {
            list.Insert(j, TSP::Plain(SP_FILL, x, y));
            return j;
        }
        if (p.Flags & SP_BOUNDARY) return -1; // beyond the stitch end
    }
    return -1;
}

TOverlay::TOverlay(const TObjectStitch& pattern, double originX, double originY, double angle)
    : segments_(PatternSegments(pattern)),
      width_(std::clamp(pattern.PatternWidth, kPatternTileMin, kPatternTileMax)),
      height_(std::clamp(pattern.PatternHeight, kPatternTileMin, kPatternTileMax)), ox_(originX),
      oy_(originY), cos_(std::cos(angle)), sin_(std::sin(angle)),
      turned_(std::isfinite(angle) && angle != 0.0), flags_(pattern.Flags) {
    if (!turned_) cos_ = 1.0, sin_ = 0.0;
}

void TOverlay::TiledCrossings(double ax, double ay, double bx, double by, std::vector<TPointD>& out) const {
    out.clear();
    if (segments_.empty()) return;
    // Into the grid's frame: relative to its corner, turned back by its angle.
    auto in = [&](double x, double y) {
        const double dx = x - ox_, dy = y - oy_;
        return TPointD{dx * cos_ + dy * sin_, -dx * sin_ + dy * cos_};
    };
    const TPointD a = in(ax, ay), b = in(bx, by);
    if (!std::isfinite(a.X + a.Y + b.X + b.Y)) return;
    const int64_t c0 = TileOf(std::min(a.X, b.X), width_) - 1, c1 = TileOf(std::max(a.X, b.X), width_);
    const int64_t r0 = TileOf(std::min(a.Y, b.Y), height_) - 1, r1 = TileOf(std::max(a.Y, b.Y), height_);
    // A stitch spanning absurdly many tiles is not pierced (a hostile size, not a design).
    if ((c1 - c0 + 1) * (r1 - r0 + 1) > 10000) return;
    const double minX = std::min(a.X, b.X), maxX = std::max(a.X, b.X);
    const double minY = std::min(a.Y, b.Y), maxY = std::max(a.Y, b.Y);
    for (int64_t r = r0; r <= r1; ++r)
        for (int64_t c = c0; c <= c1; ++c) {
            const double x0 = static_cast<double>(c) * width_, y0 = static_cast<double>(r) * height_;
            for (const TPatternSegment& s : segments_) {
                const double x1 = s.X1 + x0, y1 = s.Y1 + y0, x2 = s.X2 + x0, y2 = s.Y2 + y0;
                if (std::max(x1, x2) < minX || std::min(x1, x2) > maxX || std::max(y1, y2) < minY ||
                    std::min(y1, y2) > maxY)
                    continue;
                TPointD at;
                if (!Cross(a.X, a.Y, b.X, b.Y, x1, y1, x2, y2, at)) continue;
                // Back onto the worksheet.
                out.push_back({ox_ + at.X * cos_ - at.Y * sin_, oy_ + at.X * sin_ + at.Y * cos_});
            }
        }
    SortFrom(ax, ay, out);
}

void TOverlay::MatchedCrossings(double ax, double ay, double bx, double by, double distance, bool reverse,
                                std::vector<TPointD>& out) const {
    out.clear();
    if (segments_.empty()) return;
    // The pivot stays; the other end goes straight up from it (the same edge always on top).
    const double px = reverse ? bx : ax, py = reverse ? by : ay;
    const double qx = reverse ? ax : bx, qy = reverse ? ay : by;
    const double len = std::hypot(qx - px, qy - py);
    if (!(len > 0.0) || !std::isfinite(len)) return;
    // Unit vectors of the upright frame: up = from the pivot towards the other end.
    const double ux = (qx - px) / len, uy = (qy - py) / len;
    // Upright coordinates: x across (to the right of up), y downward with the pivot at 0.
    auto back = [&](double x, double y) {
        // y = -len * t along the stitch; x across.
        return TPointD{px + ux * (-y) + (-uy) * x, py + uy * (-y) + ux * x};
    };
    const double top = -len, bottom = 0.0;
    // One choice of the three; a new pattern carries 0x400 ("From Bottom") from its constructor,
    // so an explicit "From Top" or "From Middle" wins over it.
    double anchor = top;
    if (flags_ & PATTERN_FROM_TOP)
        anchor = top;
    else if (flags_ & PATTERN_FROM_MIDDLE)
        anchor = (top + bottom) / 2;
    else if (flags_ & PATTERN_FROM_BOTTOM)
        anchor = bottom;
    const double x0 = -std::fmod(std::max(0.0, distance), width_);
    const int64_t r0 = TileOf(top - anchor, height_) - 1, r1 = TileOf(bottom - anchor, height_) + 1;
    if (r1 - r0 > 10000) return;
    for (int64_t r = r0; r <= r1; ++r) {
        const double y0 = anchor + static_cast<double>(r) * height_;
        for (const TPatternSegment& s : segments_) {
            TPointD at;
            if (!Cross(0.0, bottom, 0.0, top, s.X1 + x0, s.Y1 + y0, s.X2 + x0, s.Y2 + y0, at)) continue;
            out.push_back(back(at.X, at.Y));
        }
    }
    SortFrom(ax, ay, out);
}

void TOverlay::Pierce(TSLStitch& list,
                      const std::function<void(int32_t, std::vector<TPointD>&)>& crossings) const {
    if (segments_.empty() || list.Count() < 2) return;
    std::vector<TSP>& in = list.Raw();
    std::vector<TSP> out;
    out.reserve(in.size() + in.size() / 2);
    std::vector<TPointD> cuts;
    out.push_back(in[0]);
    for (size_t i = 1; i < in.size(); ++i) {
        crossings(static_cast<int32_t>(i), cuts);
        const TSP& a = in[i - 1];
        const TSP& b = in[i];
        const double total = std::hypot(b.X - a.X, b.Y - a.Y);
        for (const TPointD& c : cuts) {
            // A crossing at either end adds nothing.
            const double d = std::hypot(c.X - a.X, c.Y - a.Y);
            if (d < 0.5 || d > total - 0.5) continue;
            out.push_back(TSP::Plain(SP_FILL, static_cast<float>(c.X), static_cast<float>(c.Y)));
        }
        out.push_back(in[i]);
    }
    // The points (and what they own) move to the new order; the old vector lets go of them.
    in.swap(out);
    out.clear();
}

void TOverlay::ApplyTiled(TSLStitch& list) const {
    const std::vector<TSP>& in = list.Raw();
    Pierce(list, [&](int32_t i, std::vector<TPointD>& cuts) {
        const TSP& a = in[static_cast<size_t>(i - 1)];
        const TSP& b = in[static_cast<size_t>(i)];
        // Jumps and colour changes are not stitches.
        if ((b.Flags & SP_EXTRA) || (a.Flags & SP_EXTRA && b.X == a.X && b.Y == a.Y)) {
            cuts.clear();
            return;
        }
        TiledCrossings(a.X, a.Y, b.X, b.Y, cuts);
    });
}

void TOverlay::ApplyMatched(TSLStitch& list, const std::vector<double>& distance, bool aFirst) const {
    const std::vector<TSP>& in = list.Raw();
    Pierce(list, [&](int32_t i, std::vector<TPointD>& cuts) {
        const TSP& a = in[static_cast<size_t>(i - 1)];
        const TSP& b = in[static_cast<size_t>(i)];
        const auto at = static_cast<size_t>(i);
        const double d = distance.empty() ? 0.0 : distance[std::min(at, distance.size() - 1)];
        // The stitch pivots on its end when its end is the A edge point.
        const bool startsOnA = ((i - 1) % 2 == 0) == aFirst;
        MatchedCrossings(a.X, a.Y, b.X, b.Y, d, !startsOnA, cuts);
    });
}

const TObjectStitch* CurvePattern(const TSLCurve& curve) {
    if (!(curve.StitchFlags & SF_PROG_STITCH)) return nullptr;
    if (curve.IsRail()) {
        const TSLCurve* railB = curve.IsRailB() ? &curve : curve.PartnerRail;
        return railB && railB->Pattern && !railB->Pattern->Items.empty() ? railB->Pattern.get() : nullptr;
    }
    if (curve.Outlines && curve.Outlines->OutlinePattern && !curve.Outlines->OutlinePattern->Items.empty())
        return curve.Outlines->OutlinePattern.get();
    return nullptr;
}

} // namespace nl
