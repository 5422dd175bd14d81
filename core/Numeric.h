// Rounding and clamping used wherever a real becomes an integer.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace nl {

// Nearest integer with halves to even (the rule for every float-to-integer conversion).
// Saturates instead of overflowing; NaN gives 0.
inline int32_t RoundI(double v) {
    if (std::isnan(v)) return 0;
    double r = std::nearbyint(v); // default rounding mode: to nearest, ties to even
    if (r >= 2147483647.0) return INT32_MAX;
    if (r <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(r);
}

// Truncation toward zero, saturating.
inline int32_t TruncI(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

template <typename T> T Clamp(T v, T lo, T hi) { return std::min(std::max(v, lo), hi); }

// Clamps a float read from a file; NaN becomes `fallback`.
inline float ClampF(float v, float lo, float hi, float fallback) {
    if (std::isnan(v)) return fallback;
    return std::min(std::max(v, lo), hi);
}

constexpr double DegToRad = 0.017453292519943295;
constexpr double Pi = 3.14159265358979323846;

} // namespace nl
