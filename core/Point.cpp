#include "core/Point.h"

#include <cmath>

#include "core/Numeric.h"

namespace nl {

void ScaleAbout(float& x, float& y, double cx, double cy, double sxPercent, double syPercent) {
    x = static_cast<float>(cx + (x - cx) * sxPercent / 100.0);
    y = static_cast<float>(cy + (y - cy) * syPercent / 100.0);
}

namespace {
long double BearingOf(long double dx, long double dy, long double r) {
    const long double pi = Pi;
    auto clampUnit = [](long double v) { return v > 1 ? 1.0L : (v < -1 ? -1.0L : v); };
    if (dy <= 0 && dx >= 0) return std::asin(clampUnit(dx / r));
    if (dy > 0 && dx >= 0) return std::asin(clampUnit(dy / r)) + pi / 2;
    if (dy > 0 && dx < 0) return std::asin(clampUnit(-dx / r)) + pi;
    return std::asin(clampUnit(-dy / r)) + 3 * pi / 2;
}
} // namespace

void RotateAbout(float& x, float& y, double cx, double cy, double a) {
    long double dx = static_cast<long double>(x) - cx;
    long double dy = static_cast<long double>(y) - cy;
    long double r = std::sqrt(dx * dx + dy * dy);
    if (r == 0) return; // a point on the centre has no bearing and does not move
    const long double twoPi = 2 * static_cast<long double>(Pi);
    long double b = BearingOf(dx, dy, r) + a;
    if (b > twoPi) b -= twoPi;
    else if (b < 0) b += twoPi;
    x = static_cast<float>(cx + r * std::sin(b));
    y = static_cast<float>(cy - r * std::cos(b));
}

double BearingFrom(double cx, double cy, double x, double y) {
    double dx = x - cx, dy = y - cy;
    if (std::fabs(dx) < 0.001) return dy > 0 ? Pi : 0.0;
    double r = std::sqrt(dx * dx + dy * dy);
    if (r == 0) r = 0.0001;
    return static_cast<double>(BearingOf(dx, dy, r));
}

} // namespace nl
