// A small raster canvas for the simulator tests: whole-pixel lines and square markers in a
// buffer, kept pictures as copies, and a log of the pens lines were drawn with.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/Canvas.h"

namespace nl::test {

class TPixelCanvas : public Canvas {
public:
    struct TPenUse {
        int32_t Colour;
        TPenStyle Style;
        int Lines; // segments drawn with this pen
    };

    TPixelCanvas(int w, int h) : W(w), H(h), Pixels(static_cast<size_t>(w) * h, 0) {}

    int W, H;
    std::vector<int32_t> Pixels;
    std::vector<TPenUse> Pens;
    bool CanKeep = true;
    int Restores = 0;

    void SetPen(int32_t colour, float, TPenStyle style) override { Pens.push_back({colour, style, 0}); }
    void Line(float x1, float y1, float x2, float y2) override { Segment(x1, y1, x2, y2); }
    void Polyline(const std::vector<TPointF>& pts) override {
        for (size_t i = 1; i < pts.size(); ++i)
            Segment(pts[i - 1].X, pts[i - 1].Y, pts[i].X, pts[i].Y);
    }
    void Marker(float x, float y, TMarker, float size, int32_t colour) override {
        int n = std::max(1, static_cast<int>(std::lround(size)));
        int l = static_cast<int>(std::lround(x)) - n / 2, t = static_cast<int>(std::lround(y)) - n / 2;
        for (int yy = t; yy < t + n; ++yy)
            for (int xx = l; xx < l + n; ++xx)
                Put(xx, yy, colour);
        ++Markers;
    }
    void FillPolygon(const std::vector<TPointF>&, int32_t, int) override {}
    void Rectangle(float, float, float, float) override {}
    void Text(float, float, const std::string&, int32_t, float) override {}
    void Image(float, float, float, float, int, int, const std::vector<uint32_t>&, int) override {}
    void Clear(int32_t colour) override {
        std::fill(Pixels.begin(), Pixels.end(), colour);
        ++Clears;
    }
    bool KeepPicture(int slot) override {
        if (!CanKeep) return false;
        if (kept_.size() <= static_cast<size_t>(slot)) kept_.resize(static_cast<size_t>(slot) + 1);
        kept_[static_cast<size_t>(slot)] = Pixels;
        return true;
    }
    bool RestorePicture(int slot) override {
        if (!CanKeep || static_cast<size_t>(slot) >= kept_.size() || kept_[static_cast<size_t>(slot)].empty())
            return false;
        Pixels = kept_[static_cast<size_t>(slot)];
        ++Restores;
        return true;
    }
    void ForgetKept() { kept_.clear(); }

    int32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * W + x]; }
    size_t CountColour(int32_t c) const {
        return static_cast<size_t>(std::count(Pixels.begin(), Pixels.end(), c));
    }
    int Clears = 0;
    int Markers = 0;

private:
    void Put(int x, int y, int32_t c) {
        if (x >= 0 && y >= 0 && x < W && y < H) Pixels[static_cast<size_t>(y) * W + x] = c;
    }
    // Bresenham; a dashed pen draws 3 pixels of every 6 from the start of each segment.
    void Segment(float fx0, float fy0, float fx1, float fy1) {
        if (Pens.empty()) Pens.push_back({0, TPenStyle::Solid, 0});
        ++Pens.back().Lines;
        const int32_t c = Pens.back().Colour;
        const bool dashed = Pens.back().Style == TPenStyle::Dash;
        int x0 = static_cast<int>(std::lround(fx0)), y0 = static_cast<int>(std::lround(fy0));
        int x1 = static_cast<int>(std::lround(fx1)), y1 = static_cast<int>(std::lround(fy1));
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int ex = std::abs(x1 - x0), ey = -std::abs(y1 - y0), err = ex + ey;
        for (int k = 0;; ++k) {
            if (!dashed || k % 6 < 3) Put(x0, y0, c);
            if (x0 == x1 && y0 == y1) return;
            int e2 = 2 * err;
            if (e2 >= ey) err += ey, x0 += sx;
            if (e2 <= ex) err += ex, y0 += sy;
        }
    }
    std::vector<std::vector<int32_t>> kept_;
};

} // namespace nl::test
