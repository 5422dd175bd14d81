#include "stitching/Line.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"

namespace nl {

namespace {
constexpr double TwoPi = 2.0 * Pi;

double ClampUnit(double v) {
    return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
}

// The "Direction" form of the bearing (r = 0 replaced by 0.00001).
double DirectionOf(double dx, double dy) {
    double r = std::sqrt(dx * dx + dy * dy);
    if (r == 0.0) r = 0.00001;
    if (dy >= 0) return dx <= 0 ? Pi + std::asin(ClampUnit(-dx / r)) : Pi - std::asin(ClampUnit(dx / r));
    return dx <= 0 ? TwoPi - std::asin(ClampUnit(-dx / r)) : std::asin(ClampUnit(dx / r));
}
} // namespace

double NormaliseOnce(double a) {
    if (a > TwoPi) return a - TwoPi;
    if (a < 0) return a + TwoPi;
    return a;
}

double QuadrantAngle(double dx, double dy) {
    double r = std::sqrt(dx * dx + dy * dy);
    if (r == 0.0) r = 0.0001;
    if (dy > 0) return dx < 0 ? Pi + std::asin(ClampUnit(-dx / r)) : Pi / 2 + std::asin(ClampUnit(dy / r));
    return dx >= 0 ? std::asin(ClampUnit(dx / r)) : 3 * Pi / 2 + std::asin(ClampUnit(-dy / r));
}

double AngleAround(double cx, double cy, double x, double y) {
    if (std::fabs(x - cx) < 0.001) return y > cy ? Pi : 0.0;
    return QuadrantAngle(x - cx, y - cy);
}

TPointD RotateAbout(TPointD p, TPointD centre, double angle) {
    double r = Distance(centre.X, centre.Y, p.X, p.Y);
    double a = NormaliseOnce(QuadrantAngle(p.X - centre.X, p.Y - centre.Y) + angle);
    return {centre.X + r * std::sin(a), centre.Y - r * std::cos(a)};
}

TPointD PlaceAt(TPointD p, TPointD centre, double angle) {
    double r = Distance(centre.X, centre.Y, p.X, p.Y);
    double a = NormaliseOnce(angle);
    return {centre.X + r * std::sin(a), centre.Y - r * std::cos(a)};
}

// ---- TKvLine ----

void TKvLine::Update() {
    double dx = X2 - X1;
    Vertical = dx >= -0.01 && dx <= 0.01;
    if (Vertical) return;
    Slope = (Y2 - Y1) / dx;
    Intercept = Y1 - X1 * Slope;
}

void TKvLine::ShiftTo(double x, double y) {
    X1 = X2;
    Y1 = Y2;
    X2 = x;
    Y2 = y;
    Update();
}

double TKvLine::SignedDistance(double x, double y) const {
    double a = Y1 - Y2, b = X2 - X1;
    double n = std::sqrt(a * a + b * b);
    if (n == 0.0) return Distance(X1, Y1, x, y);
    return (a * x + b * y + (X1 * Y2 - X2 * Y1)) / n;
}

void TKvLine::SetLength(double len) {
    if (Vertical) {
        Y2 = Y2 >= Y1 ? Y1 + len : Y1 - len;
        return;
    }
    if (Slope == 0.0) {
        X2 = X2 >= X1 ? X1 + len : X1 - len;
        return;
    }
    double th = std::atan(Slope);
    double ex = std::fabs(std::cos(th) * len), ey = std::fabs(std::sin(th) * len);
    if (len < 0) {
        ex = -ex;
        ey = -ey;
    }
    X2 = X2 > X1 ? X1 + ex : X1 - ex;
    Y2 = Y2 > Y1 ? Y1 + ey : Y1 - ey;
}

void TKvLine::MidEnd(const TKvLine& other) {
    X2 = (X2 + other.X2) / 2;
    Y2 = (Y2 + other.Y2) / 2;
    Update();
}

void TKvLine::ToRect(TKvRect& rect) const {
    rect.Left = RoundI(X1);
    rect.Top = RoundI(Y1);
    rect.Right = RoundI(X2);
    rect.Bottom = RoundI(Y2);
    rect.empty = false;
    rect.Normalize();
}

double TKvLine::Length() const {
    return Distance(X1, Y1, X2, Y2);
}

bool TKvLine::BoxesOverlap(const TKvLine& o) const {
    auto f = [](double v) { return static_cast<float>(v); };
    float l1 = f(std::min(X1, X2)), r1 = f(std::max(X1, X2)), t1 = f(std::min(Y1, Y2)),
          b1 = f(std::max(Y1, Y2));
    float l2 = f(std::min(o.X1, o.X2)), r2 = f(std::max(o.X1, o.X2)), t2 = f(std::min(o.Y1, o.Y2)),
          b2 = f(std::max(o.Y1, o.Y2));
    return l1 <= r2 && l2 <= r1 && t1 <= b2 && t2 <= b1;
}

void TKvLine::MoveStartTo(double x, double y) {
    X2 += x - X1;
    Y2 += y - Y1;
    X1 = x;
    Y1 = y;
    Update();
}

void TKvLine::OffsetBy(double dx, double dy) {
    X1 += dx;
    Y1 += dy;
    X2 += dx;
    Y2 += dy;
    Update();
}

void TKvLine::MakePerpendicular(TKvLine& t, double angle, double len, double x, double y) const {
    t.X1 = x;
    t.Y1 = y;
    if (Vertical) {
        t.X2 = Y1 > Y2 ? x - len : x + len;
        t.Y2 = y;
    } else if (Slope == 0.0) {
        t.X2 = x;
        t.Y2 = X2 >= X1 ? y - len : y + len;
    } else {
        double th = std::atan(-1.0 / Slope);
        double ex = std::fabs(std::cos(th)) * len, ey = std::fabs(std::sin(th)) * len;
        t.X2 = Y2 >= Y1 ? x + ex : x - ex;
        t.Y2 = X2 >= X1 ? y - ey : y + ey;
    }
    if (angle != 0.0) t.Rotate(angle, x, y);
    t.Update();
}

void TKvLine::Rotate(double angle, double cx, double cy) {
    if (angle == 0.0) return;
    TPointD a = RotateAbout({X1, Y1}, {cx, cy}, angle);
    TPointD b = RotateAbout({X2, Y2}, {cx, cy}, angle);
    X1 = a.X;
    Y1 = a.Y;
    X2 = b.X;
    Y2 = b.Y;
    Update();
}

double TKvLine::Direction() const {
    return DirectionOf(X2 - X1, Y2 - Y1);
}
double TKvLine::ReverseDirection() const {
    return DirectionOf(X1 - X2, Y1 - Y2);
}
double TKvLine::BackDirection() const {
    return QuadrantAngle(X1 - X2, Y1 - Y2);
}

double TKvLine::Turn(const TKvLine& other) const {
    double t = other.BackDirection() - BackDirection();
    while (t > Pi)
        t -= TwoPi;
    while (t <= -Pi)
        t += TwoPi;
    return t;
}

void TKvLine::PointAt(double angle, double len) {
    X2 = X1 + std::sin(angle) * len;
    Y2 = Y1 - std::cos(angle) * len;
    Update();
}

bool TKvLine::Intersect(const TKvLine& o, TPointD& at) const {
    double x, y;
    if (Vertical && o.Vertical) return false;
    if (Vertical) {
        x = X1;
        y = o.Slope * x + o.Intercept;
    } else if (o.Vertical) {
        x = o.X1;
        y = Slope * x + Intercept;
    } else {
        if (Slope == o.Slope) return false;
        x = (o.Intercept - Intercept) / (Slope - o.Slope);
        y = Slope * x + Intercept;
    }
    at.X = static_cast<float>(x);
    at.Y = static_cast<float>(y);
    return true;
}

namespace {
bool InWidenedBox(const TKvLine& l, double x, double y, double m) {
    return x >= std::min(l.X1, l.X2) - m && x <= std::max(l.X1, l.X2) + m && y >= std::min(l.Y1, l.Y2) - m &&
           y <= std::max(l.Y1, l.Y2) + m;
}
} // namespace

bool TKvLine::SegmentsIntersect(const TKvLine& o, TPointD& at) const {
    TPointD p;
    if (!Intersect(o, p)) return false;
    if (!InWidenedBox(*this, p.X, p.Y, 1.0) || !InWidenedBox(o, p.X, p.Y, 1.0)) return false;
    at = p;
    return true;
}

bool TKvLine::BoxContains(double x, double y) const {
    return InWidenedBox(*this, x, y, 0.0);
}

bool TKvLine::IsBeyondEnd(const TKvLine& o, TPointD* at) const {
    TPointD p;
    if (!Intersect(o, p)) return false;
    if (at) *at = p;
    if (!InWidenedBox(o, p.X, p.Y, 0.1)) return false;
    if (Vertical) return Y2 > Y1 ? p.Y > Y2 : p.Y < Y2;
    return X2 > X1 ? p.X > X2 : p.X < X2;
}

void TKvLine::Scale(uint32_t sides, double percent) {
    double l = Length();
    if (l == 0.0) l = 0.001;
    double f = (l + l * percent / 100.0) / l;
    double w = std::fabs(X1 - X2), h = std::fabs(Y1 - Y2);
    double ex = (w * f - w) / 2, ey = (h * f - h) / 2;
    bool a = (sides & SCALE_A_SIDE) != 0, b = (sides & SCALE_B_SIDE) != 0;
    // The start moves away from the end and the end away from the start, per axis.
    double sx = X1 >= X2 ? 1.0 : -1.0, sy = Y1 >= Y2 ? 1.0 : -1.0;
    if (a) {
        X1 += sx * ex;
        Y1 += sy * ey;
    }
    if (b) {
        X2 -= sx * ex;
        Y2 -= sy * ey;
    }
}

bool TKvLine::PickNear(double tolerance, double pickTolerance, double x, double y, TPointD* at) const {
    double w = std::fabs(X2 - X1), h = std::fabs(Y2 - Y1);
    if (Vertical) {
        if (y < std::min(Y1, Y2) - pickTolerance || y > std::max(Y1, Y2) + pickTolerance) return false;
        if (std::fabs(x - X1) > tolerance) return false;
        if (at) *at = {X1, y};
        return true;
    }
    if (w >= h) { // at most 45 degrees from horizontal: judged by the vertical offset
        if (x < std::min(X1, X2) - pickTolerance || x > std::max(X1, X2) + pickTolerance) return false;
        double ly = Slope * x + Intercept;
        if (std::fabs(y - ly) > tolerance) return false;
        if (at) *at = {x, ly};
        return true;
    }
    if (y < std::min(Y1, Y2) - pickTolerance || y > std::max(Y1, Y2) + pickTolerance) return false;
    double lx = (y - Intercept) / Slope;
    if (std::fabs(x - lx) > tolerance) return false;
    if (at) *at = {lx, y};
    return true;
}

} // namespace nl
