#include "cli/ImageCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace nl::cli {

namespace {
// Coordinates are clipped to the picture first, so every value converted here is small.
int Px(double v) {
    return static_cast<int>(std::lround(v));
}
} // namespace

void TImageCanvas::SetPen(int32_t colour, float width, TPenStyle style) {
    colour_ = colour;
    width_ = std::clamp(static_cast<int>(std::lround(width)), 1, 16);
    style_ = style;
}

void TImageCanvas::Line(float x1, float y1, float x2, float y2) {
    Segment(x1, y1, x2, y2, colour_, style_ != TPenStyle::Solid);
}

void TImageCanvas::Polyline(const std::vector<TPointF>& pts) {
    for (size_t i = 1; i < pts.size(); ++i)
        Segment(pts[i - 1].X, pts[i - 1].Y, pts[i].X, pts[i].Y, colour_, style_ != TPenStyle::Solid);
}

void TImageCanvas::Segment(float fx0, float fy0, float fx1, float fy1, int32_t colour, bool dashed) {
    if (!std::isfinite(fx0) || !std::isfinite(fy0) || !std::isfinite(fx1) || !std::isfinite(fy1)) return;
    // Liang-Barsky clipping to the picture, then Bresenham.
    double t0 = 0, t1 = 1;
    const double dx = static_cast<double>(fx1) - fx0, dy = static_cast<double>(fy1) - fy0;
    auto clip = [&](double p, double q) {
        if (p == 0) return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            if (r > t0) t0 = r;
        } else {
            if (r < t0) return false;
            if (r < t1) t1 = r;
        }
        return true;
    };
    const double w = img_.Width - 1, h = img_.Height - 1;
    if (!clip(-dx, fx0) || !clip(dx, w - fx0) || !clip(-dy, fy0) || !clip(dy, h - fy0)) return;
    int x0 = Px(fx0 + t0 * dx), y0 = Px(fy0 + t0 * dy), x1 = Px(fx0 + t1 * dx), y1 = Px(fy0 + t1 * dy);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int ex = std::abs(x1 - x0), ey = -std::abs(y1 - y0);
    int err = ex + ey;
    for (int k = 0;; ++k) {
        // Dashes of 4 pixels with gaps of 3.
        if (!dashed || k % 7 < 4)
            for (int by = 0; by < width_; ++by)
                for (int bx = 0; bx < width_; ++bx)
                    img_.Set(x0 + bx - width_ / 2, y0 + by - width_ / 2, colour);
        if (x0 == x1 && y0 == y1) return;
        const int e2 = 2 * err;
        if (e2 >= ey) err += ey, x0 += sx;
        if (e2 <= ex) err += ex, y0 += sy;
    }
}

void TImageCanvas::Marker(float x, float y, TMarker kind, float size, int32_t colour) {
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e6f || std::fabs(y) > 1e6f) return;
    const int n = std::clamp(static_cast<int>(std::lround(size)), 1, 64);
    const int cx = Px(x), cy = Px(y);
    switch (kind) {
    case TMarker::Square:
    case TMarker::FilledSquare: {
        const int l = cx - n / 2, t = cy - n / 2;
        for (int yy = t; yy < t + n; ++yy)
            for (int xx = l; xx < l + n; ++xx)
                if (kind == TMarker::FilledSquare || yy == t || yy == t + n - 1 || xx == l || xx == l + n - 1)
                    img_.Set(xx, yy, colour);
        break;
    }
    case TMarker::Cross:
        Segment(x - size, y - size, x + size, y + size, colour, false);
        Segment(x - size, y + size, x + size, y - size, colour, false);
        break;
    case TMarker::Circle:
    case TMarker::FilledCircle:
    case TMarker::Diamond: {
        const double r = size / 2.0 + 0.5;
        const int ri = static_cast<int>(std::ceil(r));
        for (int yy = -ri; yy <= ri; ++yy)
            for (int xx = -ri; xx <= ri; ++xx) {
                const double d = kind == TMarker::Diamond ? std::abs(xx) + std::abs(yy) : std::hypot(xx, yy);
                if (kind == TMarker::FilledCircle ? d <= r : std::fabs(d - r) < 0.5)
                    img_.Set(cx + xx, cy + yy, colour);
            }
        break;
    }
    }
}

void TImageCanvas::Rectangle(float left, float top, float right, float bottom) {
    Segment(left, top, right, top, colour_, false);
    Segment(right, top, right, bottom, colour_, false);
    Segment(right, bottom, left, bottom, colour_, false);
    Segment(left, bottom, left, top, colour_, false);
}

void TImageCanvas::Clear(int32_t colour) {
    for (int y = 0; y < img_.Height; ++y)
        for (int x = 0; x < img_.Width; ++x)
            img_.Set(x, y, colour);
}

} // namespace nl::cli
