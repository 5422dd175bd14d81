#include "stitching/Circle.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
// The point at bearing `a`, distance r from the centre.
TPointD OnCircle(double cx, double cy, double r, double a) {
    return {cx + r * std::sin(a), cy - r * std::cos(a)};
}

void Put(TSLCurve& curve, double x, double y) {
    curve.Append(TSP::Plain(0, static_cast<float>(x), static_cast<float>(y)));
}

// Empties the control polygon. The curve object itself stays, with its flags and attributes.
void ClearPoints(TSLCurve& curve) {
    curve.Clear();
    curve.Reserve(3 * CIRCLE_SEGMENTS_MAX + 1);
}

double FiniteOr(double v, double fallback) {
    return std::isfinite(v) ? v : fallback;
}
} // namespace

void SetCircle(TSLCurve& curve, double cx, double cy, double radius) {
    const double r = std::max(0.0, FiniteOr(radius, 0.0));
    const double k = 4.0 * r / 3.0;
    ClearPoints(curve);
    Put(curve, cx - r, cy);
    Put(curve, cx - r, cy - k);
    Put(curve, cx + r, cy - k);
    Put(curve, cx + r, cy);
    Put(curve, cx + r, cy + k);
    Put(curve, cx - r, cy + k);
    Put(curve, cx - r, cy);
}

void BuildArc(TSLCurve& curve, double cx, double cy, double start, double sweep, double radius, bool last) {
    const TPointD p0 = OnCircle(cx, cy, radius, start);
    const TPointD p3 = OnCircle(cx, cy, radius, start + sweep);
    // The tangents at P0 and at the arc's middle meet r tan(sweep / 4) from P0 (likewise for P3),
    // which is where the two perpendiculars to the radii cross; solved here directly rather than
    // by intersecting lines, which loses precision on tangents close to vertical.
    const double arm = radius * std::tan(sweep / 4.0) + radius * sweep / (3.5 * Pi);
    // Direction of travel (increasing bearing) at bearing a: (cos a, sin a).
    const TPointD c1{p0.X + arm * std::cos(start), p0.Y + arm * std::sin(start)};
    const double end = start + sweep;
    const TPointD c2{p3.X - arm * std::cos(end), p3.Y - arm * std::sin(end)};
    Put(curve, p0.X, p0.Y);
    Put(curve, c1.X, c1.Y);
    Put(curve, c2.X, c2.Y);
    if (last) Put(curve, p3.X, p3.Y);
}

void BuildCircle(TSLCurve& curve, double cx, double cy, double radius, int32_t segments, double offsetDeg) {
    const double r = std::clamp(FiniteOr(radius, CIRCLE_RADIUS_MIN), CIRCLE_RADIUS_MIN, CIRCLE_RADIUS_MAX);
    const int32_t n = std::clamp(segments, CIRCLE_SEGMENTS_MIN, CIRCLE_SEGMENTS_MAX);
    const double sweep = 2.0 * Pi / n;
    const double first = FiniteOr(offsetDeg, 0.0) * DegToRad + sweep / 2.0;
    ClearPoints(curve);
    for (int32_t i = 0; i < n; ++i)
        BuildArc(curve, cx, cy, first + i * sweep, sweep, r, i == n - 1);
    // Closed exactly: the end anchor is the start anchor, not a point that rounds near it.
    TSP& end = *curve.Last();
    end.X = curve[0].X;
    end.Y = curve[0].Y;

    // A width profile has one section per anchor of the old path; jump positions are samples of
    // it. The circle starts again as an outline without stitching.
    curve.Outlines.reset();
    curve.FreeGenerated();
    curve.Flags &= ~(OF_RUNNING | OF_VISIBLE);
    curve.SetStitchTypeBits(ST_NONE);
    const int32_t lastSample = curve.LastSample();
    if (curve.EntryIndex > lastSample) curve.EntryIndex = lastSample;
    if (curve.ExitIndex > lastSample) curve.ExitIndex = lastSample;
}

std::pair<TPointD, TPointD> SegmentLineEnds(double cx, double cy, int32_t i, int32_t n, double offsetDeg,
                                            double length, double centreOffset) {
    n = std::max(n, 1);
    const double sweep = 2.0 * Pi / n;
    const double theta = FiniteOr(offsetDeg, 0.0) * DegToRad + sweep / 2.0 + i * sweep;
    const double d = std::max(0.0, FiniteOr(centreOffset, 0.0));
    const double len = std::max(0.0, FiniteOr(length, 0.0));
    return {OnCircle(cx, cy, d, theta), OnCircle(cx, cy, d + len, theta)};
}

void SetStraightSegment(TSLCurve& curve, TPointD a, TPointD b) {
    ClearPoints(curve);
    Put(curve, a.X, a.Y);
    Put(curve, a.X + (b.X - a.X) / 3.0, a.Y + (b.Y - a.Y) / 3.0);
    Put(curve, a.X + 2.0 * (b.X - a.X) / 3.0, a.Y + 2.0 * (b.Y - a.Y) / 3.0);
    Put(curve, b.X, b.Y);
}

} // namespace nl
