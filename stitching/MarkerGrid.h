// Where needle point markers may go on the screen. A marker covers the thread under it, so in a
// dense design (a fill below 100 %, a satin column) markers would turn the thread into a grey
// mass. The grid keeps markers apart: a marker is placed only when no other marker lies within
// one spacing of it, for the whole picture, across objects.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace nl {

class TMarkerGrid {
public:
    // A view of `width` x `height` pixels, markers at least `spacing` pixels apart.
    TMarkerGrid(int width, int height, float spacing)
        : spacing_(std::max(1.f, spacing)), cols_(Cells(width)), rows_(Cells(height)),
          taken_(static_cast<size_t>(cols_) * static_cast<size_t>(rows_), 0) {}

    float Spacing() const { return spacing_; }

    // True when a marker may go at the pixel (x, y); the place is then taken. Points off the
    // view get no marker.
    bool Take(float x, float y) {
        if (!(x >= 0.f && y >= 0.f)) return false;
        const auto cx = static_cast<int64_t>(x / spacing_), cy = static_cast<int64_t>(y / spacing_);
        if (cx >= cols_ || cy >= rows_) return false;
        // The neighbouring cells as well: two markers in cells side by side could touch.
        for (int64_t j = std::max<int64_t>(0, cy - 1); j <= std::min<int64_t>(rows_ - 1, cy + 1); ++j)
            for (int64_t i = std::max<int64_t>(0, cx - 1); i <= std::min<int64_t>(cols_ - 1, cx + 1); ++i)
                if (taken_[static_cast<size_t>(j * cols_ + i)]) return false;
        taken_[static_cast<size_t>(cy * cols_ + cx)] = 1;
        return true;
    }

private:
    int64_t Cells(int pixels) const {
        return std::max<int64_t>(1, static_cast<int64_t>(std::ceil(std::max(0, pixels) / spacing_)));
    }

    float spacing_;
    int64_t cols_;
    int64_t rows_;
    std::vector<uint8_t> taken_;
};

} // namespace nl
