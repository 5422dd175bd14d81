// The geometry of the circle tool: the 7-point default circle shown while the radius is dragged,
// a circle of n cubic Bezier arcs, and the straight segment lines that radiate from its centre.
// Every function rebuilds the points of the curve it is given in place, so whatever already
// holds that curve (the current object, the selection, a region being built) keeps holding it.
#pragma once
#include <cstdint>
#include <vector>

#include "stitching/Line.h"

namespace nl {

class TSLCurve;

// StitchFlags bit of the objects the circle dialog adds beside the circle itself (the concentric
// circle and the segment lines).
constexpr uint32_t SF_CIRCLE_PART = 0x80000;

// Ranges of the circle dialog, in worksheet units (20 per mm) and counts. The geometry below
// brings its arguments into them, so no degenerate arc is ever built.
constexpr double CIRCLE_RADIUS_MIN = 20.0;    // 1 mm
constexpr double CIRCLE_RADIUS_MAX = 20000.0; // 1000 mm
constexpr int32_t CIRCLE_SEGMENTS_MIN = 2;
constexpr int32_t CIRCLE_SEGMENTS_MAX = 40;

// The default circle: two half-circle segments with control arms of 4r/3, starting and ending
// at the leftmost point (7 points). A radius of 0 (the first instant of a drag) or below puts all
// seven points on the centre.
void SetCircle(TSLCurve& curve, double cx, double cy, double radius);

// Appends one arc of the circle round (cx, cy): its start anchor and two control points, and its
// end anchor when `last`. Bearings in radians (0 up, clockwise as drawn); the arc runs from
// bearing `start` through `sweep`. Each control point lies on the tangent at its anchor, a little
// beyond where that tangent meets the tangent at the arc's middle: by r * sweep / (3.5 pi).
void BuildArc(TSLCurve& curve, double cx, double cy, double start, double sweep, double radius, bool last);

// Rebuilds `curve` as a closed circle of `segments` arcs whose first anchor lies at bearing
// offset + half a sweep (for two segments and no offset: the rightmost point). The last point is
// the first point exactly. The radius and the count are brought into the ranges above; a
// non-finite offset counts as 0. The curve becomes a plain outline with no stitching (stitch type
// None, no width profile) because the profile's sections follow the anchors being replaced.
void BuildCircle(TSLCurve& curve, double cx, double cy, double radius, int32_t segments, double offsetDeg);

// The i-th of n segment lines round (cx, cy): it points from the centre at bearing
// offset + half a sweep + i sweeps, starts `centreOffset` from the centre and is `length` long.
// Returns its start and end.
std::pair<TPointD, TPointD> SegmentLineEnds(double cx, double cy, int32_t i, int32_t n, double offsetDeg,
                                            double length, double centreOffset);

// Rebuilds `curve` as one straight Bezier segment from `a` to `b` (control points at the thirds).
void SetStraightSegment(TSLCurve& curve, TPointD a, TPointD b);

} // namespace nl
