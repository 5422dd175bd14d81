#include "regions/RgnTable.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "core/Limits.h"
#include "core/Numeric.h"
#include "core/Point.h"

namespace nl {

// ---- raster ----

bool TFillRaster::Prepare(const TKvRect& bounds, double theta) {
    theta_ = theta;
    cos_ = std::cos(theta);
    sin_ = std::sin(theta);
    cx_ = (static_cast<double>(bounds.Left) + bounds.Right) / 2.0;
    cy_ = (static_cast<double>(bounds.Top) + bounds.Bottom) / 2.0;
    // The frame is the box of the bounds' corners turned about the centre; the bounds are symmetric
    // about it, so either turning sense gives the same box.
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    const double xs[2] = {static_cast<double>(bounds.Left), static_cast<double>(bounds.Right)};
    const double ys[2] = {static_cast<double>(bounds.Top), static_cast<double>(bounds.Bottom)};
    for (double x : xs)
        for (double y : ys) {
            double dx = x - cx_, dy = y - cy_;
            double tx = cx_ + dx * cos_ - dy * sin_, ty = cy_ + dx * sin_ + dy * cos_;
            minX = std::min(minX, tx);
            maxX = std::max(maxX, tx);
            minY = std::min(minY, ty);
            maxY = std::max(maxY, ty);
        }
    if (!std::isfinite(minX) || !std::isfinite(maxX) || !std::isfinite(minY) || !std::isfinite(maxY))
        return false;
    double L = std::nearbyint(minX), T = std::nearbyint(minY), R = std::nearbyint(maxX),
           B = std::nearbyint(maxY);
    originX_ = L - 3;
    originY_ = T - 3;
    double h = B - T + 9;
    double w = 32.0 * std::nearbyint((R - L + 9) / 32.0 + 0.5);
    if (h < 1 || w < 32 || h * w > static_cast<double>(kMaxRasterPixels)) return false;
    return Allocate(static_cast<int32_t>(w), static_cast<int32_t>(h));
}

bool TFillRaster::Allocate(int32_t width, int32_t height) {
    if (width < 3 || height < 3 || static_cast<int64_t>(width) * height > kMaxRasterPixels) return false;
    width_ = width;
    height_ = height;
    words_ = (width + 63) / 64;
    bits_.assign(static_cast<size_t>(words_) * static_cast<size_t>(height), 0);
    DrawFrame();
    return true;
}

void TFillRaster::DrawFrame() {
    // Bits past the row's width are permanently set so that no scan runs beyond the row.
    int32_t spare = words_ * 64 - width_;
    uint64_t pad = spare > 0 ? ~uint64_t(0) << (64 - spare) : 0;
    for (int32_t r = 0; r < height_; ++r) {
        uint64_t* row = Row(r);
        if (r == 0 || r == height_ - 1) {
            std::fill(row, row + words_, ~uint64_t(0));
            continue;
        }
        row[words_ - 1] |= pad;
        Mark(r, 0);
        Mark(r, width_ - 1);
    }
}

void TFillRaster::ToRaster(double x, double y, double& rx, double& ry) const {
    double dx = x - cx_, dy = y - cy_;
    rx = cx_ + dx * cos_ + dy * sin_ - originX_;
    ry = cy_ - dx * sin_ + dy * cos_ - originY_;
}

void TFillRaster::FromRaster(double rx, double ry, double& x, double& y) const {
    double dx = rx + originX_ - cx_, dy = ry + originY_ - cy_;
    x = cx_ + dx * cos_ - dy * sin_;
    y = cy_ + dx * sin_ + dy * cos_;
}

bool TFillRaster::IsSet(int32_t r, int32_t x) const {
    if (!Inside(r, x)) return false;
    return (Row(r)[x >> 6] >> (x & 63)) & 1u;
}

void TFillRaster::Mark(int32_t r, int32_t x) {
    if (!Inside(r, x)) return;
    Row(r)[x >> 6] |= uint64_t(1) << (x & 63);
}

int32_t TFillRaster::SkipSet(int32_t r, int32_t x) const {
    if (r < 0 || r >= height_ || x >= width_) return width_;
    if (x < 0) x = 0;
    const uint64_t* row = Row(r);
    int32_t wi = x >> 6;
    uint64_t w = ~row[wi] & (~uint64_t(0) << (x & 63));
    while (w == 0) {
        if (++wi >= words_) return width_;
        w = ~row[wi];
    }
    return std::min(width_, wi * 64 + std::countr_zero(w));
}

int32_t TFillRaster::RunRight(int32_t r, int32_t x) const {
    if (r < 0 || r >= height_ || x >= width_) return width_ - 1;
    if (x < 0) x = 0;
    const uint64_t* row = Row(r);
    int32_t wi = x >> 6;
    uint64_t w = row[wi] & (~uint64_t(0) << (x & 63));
    while (w == 0) {
        if (++wi >= words_) return width_ - 1;
        w = row[wi];
    }
    return std::min(width_, wi * 64 + std::countr_zero(w)) - 1;
}

int32_t TFillRaster::RunLeft(int32_t r, int32_t x) const {
    if (r < 0 || r >= height_ || x < 0) return 0;
    if (x >= width_) x = width_ - 1;
    const uint64_t* row = Row(r);
    int32_t wi = x >> 6;
    int sh = 63 - (x & 63);
    uint64_t w = row[wi] & (~uint64_t(0) >> sh);
    while (w == 0) {
        if (--wi < 0) return 0;
        w = row[wi];
    }
    return wi * 64 + (63 - std::countl_zero(w)) + 1;
}

int32_t TFillRaster::Claim(int32_t r, int32_t x) {
    int32_t e = RunRight(r, x);
    if (r < 0 || r >= height_ || x < 0 || e < x) return e;
    uint64_t* row = Row(r);
    int32_t a = x, b = e; // inclusive
    int32_t wa = a >> 6, wb = b >> 6;
    uint64_t ma = ~uint64_t(0) << (a & 63);
    uint64_t mb = ~uint64_t(0) >> (63 - (b & 63));
    if (wa == wb) {
        row[wa] |= ma & mb;
    } else {
        row[wa] |= ma;
        for (int32_t i = wa + 1; i < wb; ++i)
            row[i] = ~uint64_t(0);
        row[wb] |= mb;
    }
    return e;
}

namespace {
// Runs of set bits whose first bit lies in [from, to] of a row (bit from - 1 taken as clear).
int32_t RunStarts(const uint64_t* row, int32_t from, int32_t to) {
    if (from > to) return 0;
    int32_t n = 0;
    uint64_t carry = 0; // bit just before the current word
    for (int32_t wi = from >> 6; wi <= (to >> 6); ++wi) {
        uint64_t w = row[wi];
        int32_t lo = std::max(from, wi * 64) - wi * 64, hi = std::min(to, wi * 64 + 63) - wi * 64;
        uint64_t mask = (~uint64_t(0) << lo) & (~uint64_t(0) >> (63 - hi));
        uint64_t prev = (w << 1) | carry;
        if (wi * 64 + lo == from) prev &= ~(uint64_t(1) << lo); // the bit before `from` counts as clear
        n += std::popcount(w & ~prev & mask);
        carry = w >> 63;
    }
    return n;
}
} // namespace

int32_t TFillRaster::RunsLeft(int32_t r, int32_t x) const {
    if (r < 0 || r >= height_) return 0;
    return RunStarts(Row(r), 0, std::min(x, width_) - 1);
}

int32_t TFillRaster::RunsRight(int32_t r, int32_t x) const {
    if (r < 0 || r >= height_) return 0;
    return RunStarts(Row(r), std::max(x + 1, 0), width_ - 1);
}

int32_t TFillRaster::RunsAbove(int32_t r, int32_t x) const {
    int32_t n = 0;
    bool prev = false;
    for (int32_t y = 0; y < r && y < height_; ++y) {
        bool s = IsSet(y, x);
        if (s && !prev) ++n;
        prev = s;
    }
    return n;
}

int32_t TFillRaster::RunsBelow(int32_t r, int32_t x) const {
    int32_t n = 0;
    bool prev = false;
    for (int32_t y = std::max(r + 1, 0); y < height_; ++y) {
        bool s = IsSet(y, x);
        if (s && !prev) ++n;
        prev = s;
    }
    return n;
}

void TFillRaster::Line(double x0, double y0, double x1, double y1) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
    // Clip to the raster (Liang-Barsky), so that far-away points never cost a long walk.
    double lo[2] = {-0.5, -0.5}, hi[2] = {width_ - 0.5, height_ - 0.5};
    double p0[2] = {x0, y0}, d[2] = {x1 - x0, y1 - y0};
    double t0 = 0, t1 = 1;
    for (int i = 0; i < 2; ++i) {
        if (d[i] == 0) {
            if (p0[i] < lo[i] || p0[i] > hi[i]) return;
            continue;
        }
        double a = (lo[i] - p0[i]) / d[i], b = (hi[i] - p0[i]) / d[i];
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (t0 > t1) return;
    }
    int32_t ax = RoundI(x0 + d[0] * t0), ay = RoundI(y0 + d[1] * t0);
    int32_t bx = RoundI(x0 + d[0] * t1), by = RoundI(y0 + d[1] * t1);
    int32_t dx = std::abs(bx - ax), dy = -std::abs(by - ay);
    int32_t sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int32_t err = dx + dy;
    for (;;) {
        Mark(ay, ax);
        if (ax == bx && ay == by) break;
        int32_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            ax += sx;
        }
        if (e2 <= dx) {
            err += dx;
            ay += sy;
        }
    }
}

void TFillRaster::Polyline(const std::vector<double>& xs, const std::vector<double>& ys, bool closed) {
    size_t n = std::min(xs.size(), ys.size());
    if (n == 0) return;
    if (n == 1) Line(xs[0], ys[0], xs[0], ys[0]);
    for (size_t i = 1; i < n; ++i)
        Line(xs[i - 1], ys[i - 1], xs[i], ys[i]);
    if (closed && n > 2) Line(xs[n - 1], ys[n - 1], xs[0], ys[0]);
}

bool TFillRaster::FindInterior(int32_t& px, int32_t& py) const {
    const int32_t x = px, y = py;
    // A point more than the search radius away from the raster has no candidate pixel.
    if (x < -200 || y < -200 || x > width_ + 200 || y > height_ + 200) return false;
    // Column parities are needed for many candidates of the same few columns: each column's
    // running parity of run starts is computed once (p[r] = parity of the runs in rows 0 .. r-1).
    std::vector<std::vector<uint8_t>> columns(401); // columns x - 200 .. x + 200
    auto columnParity = [&](int32_t cx) -> const std::vector<uint8_t>& {
        std::vector<uint8_t>& p = columns[static_cast<size_t>(cx - x + 200)];
        if (!p.empty()) return p;
        p.assign(static_cast<size_t>(height_) + 1, 0);
        bool prev = false;
        uint8_t par = 0;
        for (int32_t r = 0; r < height_; ++r) {
            bool s = IsSet(r, cx);
            if (s && !prev) par ^= 1;
            prev = s;
            p[static_cast<size_t>(r) + 1] = par;
        }
        return p;
    };
    for (int32_t rho = 1; rho <= 200; ++rho) {
        bool prevSet = true;
        auto visit = [&](int32_t cx, int32_t cy) -> bool {
            if (!Inside(cy, cx)) return false;
            if (IsSet(cy, cx)) {
                prevSet = true;
                return false;
            }
            if (!prevSet) return false;
            if (IsSet(cy, cx - 1) || IsSet(cy, cx + 1)) {
                prevSet = true;
                return false;
            }
            if ((RunsLeft(cy, cx) & 1) || (RunsRight(cy, cx) & 1)) {
                prevSet = false;
                return false;
            }
            if (IsSet(cy - 1, cx) || IsSet(cy + 1, cx)) {
                prevSet = true;
                return false;
            }
            // The candidate pixel is clear, so no run starts on its own row.
            const std::vector<uint8_t>& p = columnParity(cx);
            bool above = p[static_cast<size_t>(cy)] != 0;
            bool below = (p[static_cast<size_t>(height_)] ^ p[static_cast<size_t>(cy) + 1]) != 0;
            if (above || below) {
                prevSet = false;
                return false;
            }
            px = cx;
            py = cy;
            return true;
        };
        for (int32_t i = x - rho + 1; i <= x + rho; ++i)
            if (visit(i, y - rho)) return true;
        for (int32_t j = y - rho + 1; j <= y + rho; ++j)
            if (visit(x + rho, j)) return true;
        for (int32_t i = x + rho - 1; i >= x - rho; --i)
            if (visit(i, y + rho)) return true;
        for (int32_t j = y + rho - 1; j >= y - rho; --j)
            if (visit(x - rho, j)) return true;
    }
    return false;
}

// ---- row table ----

void TRowTable::Build(int32_t height, int32_t density, int32_t shift) {
    rows_.clear();
    if (density < 1 || height < 1) return;
    int64_t n = static_cast<int64_t>(std::nearbyint(static_cast<double>(density) * height / 200.0)) + 1;
    rows_.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i)
        rows_.push_back(shift + RoundI(static_cast<double>(i) * 200.0 / density));
}

int32_t TRowTable::RowAfter(int32_t y) const {
    auto it = std::upper_bound(rows_.begin(), rows_.end(), y);
    if (it != rows_.end()) return static_cast<int32_t>(it - rows_.begin());
    return std::max(0, Count() - 2);
}

// ---- span tree ----

size_t TSpanTree::MemoryBytes() const {
    size_t n = Nodes.capacity() * sizeof(TRgnTable);
    for (const TRgnTable& t : Nodes)
        n += t.Rows.capacity() * sizeof(TRowPoint) + t.Children.capacity() * 4;
    return n;
}

namespace {
enum class TPhase : uint8_t { Top, Left, RightSetup, Right, Continue, Split };

// The state of one node's walk, kept on an explicit stack while a child is grown.
struct TGrowFrame {
    int32_t Node;
    int32_t R, A, C, D, K;
    int32_t N = 0, F = 0, M = 0, MR = 0, O = 0;
    TPhase Phase = TPhase::Top;
};
} // namespace

bool TSpanTree::Grow(TFillRaster& ras, const TGrowParams& p, int32_t row, int32_t left, int32_t right,
                     int32_t rowIndex, int32_t dir) {
    Nodes.clear();
    const TRowTable& table = *p.Rows;
    const int32_t nRows = table.Count();
    std::vector<TGrowFrame> stack;

    auto start = [&](int32_t r, int32_t a, int32_t c, int32_t d, int32_t k, int32_t parent, double pl,
                     double pr, double prow) {
        TRgnTable t;
        t.Left = a;
        t.Right = c;
        t.Row = r;
        t.Upward = d < 0;
        t.ParentLeft = pl;
        t.ParentRight = pr;
        t.ParentRow = prow;
        if (parent >= 0) t.BranchAt = Nodes[static_cast<size_t>(parent)].PairCount();
        int32_t kk = Clamp(k, 0, std::max(0, nRows - 1));
        if (nRows > 0) {
            if (d > 0 && table[kk] < r)
                k = kk + 1;
            else if (d < 0 && r < table[kk])
                k = kk - 1;
        }
        Nodes.push_back(std::move(t));
        int32_t idx = static_cast<int32_t>(Nodes.size()) - 1;
        if (parent >= 0) Nodes[static_cast<size_t>(parent)].Children.push_back(idx);
        stack.push_back(TGrowFrame{idx, r, a, c, d, k});
    };

    start(row, left, right, dir, rowIndex, -1, 0, 0, 0);
    while (!stack.empty()) {
        TGrowFrame& s = stack.back();
        TRgnTable& node = Nodes[static_cast<size_t>(s.Node)];
        switch (s.Phase) {
        case TPhase::Top: {
            if (s.R == p.EntryY && s.A <= p.EntryX && p.EntryX <= s.C && node.EntryAt < 0) {
                node.EntryAt = static_cast<int32_t>(node.Rows.size());
                node.EntryNearLeft = std::abs(p.EntryX - s.A) < std::abs(p.EntryX - s.C);
            }
            if (s.K >= 0 && s.K < nRows && table[s.K] == s.R) {
                if (!p.Underlay) {
                    node.Rows.push_back(
                        {static_cast<float>(s.A - p.CL), static_cast<float>(s.R), SP_BOUNDARY});
                    node.Rows.push_back(
                        {static_cast<float>(s.C + p.CR), static_cast<float>(s.R), SP_BOUNDARY});
                } else if (s.C - s.A > 0) {
                    node.Rows.push_back({static_cast<float>(s.A), static_cast<float>(s.R), SP_BOUNDARY});
                    node.Rows.push_back({static_cast<float>(s.C), static_cast<float>(s.R), SP_BOUNDARY});
                }
                s.K += s.D;
            }
            s.N = s.R + s.D;
            if (s.N < 0 || s.N >= ras.Height()) {
                node.Rows.shrink_to_fit();
                stack.pop_back();
                break;
            }
            if (ras.IsSet(s.N, s.A)) {
                s.F = ras.SkipSet(s.N, s.A);
            } else {
                s.F = ras.RunLeft(s.N, s.A);
                if (s.F <= 1) {
                    Nodes.clear();
                    return false;
                }
            }
            if (s.C < s.F) {
                node.Rows.shrink_to_fit();
                stack.pop_back();
                break;
            }
            if (s.F < s.A) {
                s.M = s.F;
                if (!ras.IsSet(s.R, s.F)) {
                    s.M = s.F - 1;
                    ras.Mark(s.R, s.M);
                }
                s.Phase = TPhase::Left;
            } else {
                s.Phase = TPhase::RightSetup;
            }
            break;
        }
        case TPhase::Left: {
            int32_t o = ras.SkipSet(s.R, s.M);
            if (o < s.A) {
                s.M = ras.Claim(s.R, o);
                TGrowFrame f = s;
                start(f.R, o, f.M, -f.D, f.K, f.Node, f.A, f.C, f.R);
            } else {
                s.Phase = TPhase::RightSetup;
            }
            break;
        }
        case TPhase::RightSetup: {
            s.Phase = TPhase::Continue;
            if (!ras.IsSet(s.N, s.C)) {
                s.MR = ras.RunRight(s.N, s.C);
                if (s.C + 1 < s.MR) s.Phase = TPhase::Right;
            }
            break;
        }
        case TPhase::Right: {
            int32_t o = ras.SkipSet(s.R, s.C + 1);
            if (s.MR >= o) {
                if (s.MR + 1 < ras.RunRight(s.R, o)) ras.Mark(s.R, s.MR + 1);
                int32_t t = ras.Claim(s.R, o);
                TGrowFrame f = s;
                start(f.R, o, t, -f.D, f.K, f.Node, f.A, f.C, f.R);
            } else {
                s.Phase = TPhase::Continue;
            }
            break;
        }
        case TPhase::Continue: {
            s.M = ras.Claim(s.N, s.F);
            s.R = s.N;
            s.O = s.M + 1;
            s.Phase = TPhase::Split;
            break;
        }
        case TPhase::Split: {
            int32_t t;
            if (s.O < s.C && (t = ras.SkipSet(s.N, s.O)) <= s.C) {
                s.O = ras.Claim(s.N, t);
                TGrowFrame f = s;
                start(f.N, t, f.O, f.D, f.K, f.Node, f.A, f.C, f.N);
            } else {
                s.A = s.F;
                s.C = s.M;
                s.Phase = TPhase::Top;
            }
            break;
        }
        }
    }
    return true;
}

} // namespace nl
