// Splitting a long move into equal steps a record can carry. Formats whose records hold a small
// displacement (HUS and VIP, and later EXP and JEF) share it, so that every writer splits the
// same way: the fewest steps that fit, all of (nearly) the same length, adding up exactly.
#pragma once
#include <algorithm>
#include <cstdint>

namespace nl {

// Steps a move of (dx, dy) needs when no step may exceed maxStep (> 0) on either axis; at least 1.
inline int64_t StepCount(int64_t dx, int64_t dy, int32_t maxStep) {
    const int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    return std::max<int64_t>({1, (ax + maxStep - 1) / maxStep, (ay + maxStep - 1) / maxStep});
}

namespace detail {
// The ends k/n of one axis of a move, rounded to the nearest integer with halves to the even
// neighbour, in exact integer arithmetic (k * |d| is kept as quotient and remainder, so nothing
// overflows however long the move).
class TSplitAxis {
public:
    TSplitAxis(int64_t d, int64_t n) : neg_(d < 0), n_(n) {
        const int64_t a = d < 0 ? -d : d;
        stepQ_ = a / n;
        stepR_ = a % n;
    }
    // Advances to the next end and returns the step from the previous end.
    int64_t Next() {
        q_ += stepQ_;
        r_ += stepR_;
        if (r_ >= n_) {
            r_ -= n_;
            ++q_;
        }
        const int64_t end = q_ + ((2 * r_ > n_ || (2 * r_ == n_ && (q_ & 1))) ? 1 : 0);
        const int64_t step = end - last_;
        last_ = end;
        return neg_ ? -step : step;
    }

private:
    bool neg_;
    int64_t n_, stepQ_, stepR_, q_ = 0, r_ = 0, last_ = 0;
};
} // namespace detail

// Calls step(ex, ey, last) for each of the StepCount(dx, dy, maxStep) steps of the move. Step k
// ends at k/n of the move, rounded; so the steps add up to (dx, dy) exactly, each stays within
// -maxStep..maxStep, and they differ in length by at most one unit. A move that fits is one step.
template <class F> void SplitMove(int64_t dx, int64_t dy, int32_t maxStep, F&& step) {
    const int64_t n = StepCount(dx, dy, maxStep);
    if (n == 1) {
        step(static_cast<int32_t>(dx), static_cast<int32_t>(dy), true);
        return;
    }
    detail::TSplitAxis sx(dx, n), sy(dy, n);
    for (int64_t k = 1; k <= n; ++k) {
        const int64_t ex = sx.Next(), ey = sy.Next();
        step(static_cast<int32_t>(ex), static_cast<int32_t>(ey), k == n);
    }
}

} // namespace nl
