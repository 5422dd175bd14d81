// TKvLine: the line segment all stitch geometry is built on, and the bearing-angle functions.
//
// Angles are bearings: radians, 0 towards decreasing Y ("up" on the worksheet), growing clockwise
// as drawn. A point at distance r and bearing a from (cx, cy) is (cx + r sin a, cy - r cos a).
// Results are returned to the caller; nothing here keeps state between calls.
#pragma once
#include <cstdint>

#include "core/Geometry.h"
#include "core/KvRect.h"

namespace nl {

// "A Side" / "B Side" bits of StitchFlags, used by Scale.
constexpr uint32_t SCALE_A_SIDE = 0x20000;
constexpr uint32_t SCALE_B_SIDE = 0x40000;

class TKvLine {
public:
    TKvLine() = default;
    TKvLine(double x1, double y1, double x2, double y2) : X1(x1), Y1(y1), X2(x2), Y2(y2) { Update(); }

    double X1 = 0.0, Y1 = 0.0, X2 = 0.0, Y2 = 0.0;
    // Derived by Update; stale after a direct change of the end points.
    double Slope = 0.0;
    double Intercept = 0.0;
    bool Vertical = true;

    void Assign(const TKvLine& source) { *this = source; }
    void Set(double x1, double y1, double x2, double y2) {
        X1 = x1;
        Y1 = y1;
        X2 = x2;
        Y2 = y2;
        Update();
    }
    void Update();
    // Start := old end, end := (x, y): walks a polyline segment by segment.
    void ShiftTo(double x, double y);
    // Positive on the left of the direction of travel as drawn. A zero-length line gives the
    // distance to its start point instead of 0/0.
    double SignedDistance(double x, double y) const;
    // Keeps the start, puts the end |len| from it along the line (negative len: the other way).
    // Does not call Update.
    void SetLength(double len);
    void MidEnd(const TKvLine& other);
    void ToRect(TKvRect& rect) const;
    double Length() const;
    bool BoxesOverlap(const TKvLine& other) const;
    void MoveStartTo(double x, double y);
    void OffsetBy(double dx, double dy);
    // Builds in target a segment from (x, y) perpendicular to this line, of length len, on the left
    // of this line's direction for positive len; then turns it by angle about (x, y).
    void MakePerpendicular(TKvLine& target, double angle, double len, double x, double y) const;
    void Rotate(double angle, double cx, double cy);
    double Direction() const;
    double ReverseDirection() const;
    double BackDirection() const;
    // other.BackDirection - BackDirection, normalised into (-pi, pi].
    double Turn(const TKvLine& other) const;
    void PointAt(double angle, double len);
    // Intersection of the two infinite lines; false (and `at` untouched) for parallel lines.
    bool Intersect(const TKvLine& other, TPointD& at) const;
    // As Intersect, and the point lies in both segments' boxes widened by 1 unit.
    bool SegmentsIntersect(const TKvLine& other, TPointD& at) const;
    bool BoxContains(double x, double y) const;
    // The intersection with other lies in other's box widened by 0.1 and strictly beyond this
    // line's end in its direction of travel.
    bool IsBeyondEnd(const TKvLine& other, TPointD* at = nullptr) const;
    // Lengthens by percent, half at each end whose side bit is set. Does not call Update.
    void Scale(uint32_t sides, double percent);
    // Hit test; `pickTolerance` bounds the segment's range along its longer axis, `tolerance` the
    // offset across it. On success `at` is the line point under the pick position.
    bool PickNear(double tolerance, double pickTolerance, double x, double y, TPointD* at = nullptr) const;
};

// Bearing of the vector (dx, dy) by the quadrant rule (a zero vector gives 0).
double QuadrantAngle(double dx, double dy);
// Bearing of (x, y) seen from (cx, cy); exactly 0 or pi when x is within 0.001 of cx.
double AngleAround(double cx, double cy, double x, double y);
// Turns p about centre by angle (clockwise as drawn for positive angles).
TPointD RotateAbout(TPointD p, TPointD centre, double angle);
// Keeps p's distance from centre and moves it to the absolute bearing angle (normalised into
// [0, 2pi]).
TPointD PlaceAt(TPointD p, TPointD centre, double angle);
// Brings an angle into [0, 2pi] by one addition or subtraction of 2pi.
double NormaliseOnce(double a);

} // namespace nl
