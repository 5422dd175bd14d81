// Plane geometry in worksheet units: the one point type of the engine's geometry and the distance
// between two points.
#pragma once
#include <cmath>

namespace nl {

struct TPointD {
    double X = 0.0;
    double Y = 0.0;
};

// Euclidean distance as sqrt(dx * dx + dy * dy). Inline, because the curve walk calls it in its
// inner loop; DistanceSquared is the value under the root.
inline double DistanceSquared(TPointD a, TPointD b) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    return dx * dx + dy * dy;
}
inline double Distance(TPointD a, TPointD b) {
    return std::sqrt(DistanceSquared(a, b));
}
inline double Distance(double x1, double y1, double x2, double y2) {
    return Distance(TPointD{x1, y1}, TPointD{x2, y2});
}

// Anything with X and Y (a stitch point, a path sample): its coordinates taken in double precision.
template <class P>
concept PointLike = requires(const P& p) {
    p.X;
    p.Y;
};
template <PointLike P> double Distance(const P& a, const P& b) {
    return Distance(a.X, a.Y, b.X, b.Y);
}

// The same distance through std::hypot, which never overflows and rounds once, so its last bit
// may differ from Distance(). The fills, region nodes, satin edges, short stitches and the
// editing hit tests were built on it, and stitches and stored lengths depend on that bit, so they
// keep it.
inline double HypotDistance(double x1, double y1, double x2, double y2) {
    return std::hypot(x2 - x1, y2 - y1);
}
template <PointLike P> double HypotDistance(const P& a, const P& b) {
    return HypotDistance(a.X, a.Y, b.X, b.Y);
}

} // namespace nl
