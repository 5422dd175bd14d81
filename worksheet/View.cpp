#include "worksheet/View.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"

namespace nl {

namespace {
constexpr int32_t kPresets[] = {10,   20,   50,   70,   90,   100,  120,  180,  220,  307,
                                380,  480,  614,  750,  900,  1000, 1200, 1500, 1700, 2000,
                                2200, 2400, 2600, 2800, 3000, 3300, 3600, 4000, 4500, 5000};
} // namespace

double ZoomScale(int32_t zoom) {
    if (zoom == 307) return 0.5;
    if (zoom == 614) return 1.0;
    return zoom * 8.0 / 4904.0;
}

int32_t ZoomStep(int32_t zoom) {
    if (zoom < 45) return 1;
    if (zoom < 60) return 2;
    if (zoom < 80) return 3;
    if (zoom < 400) return 5;
    if (zoom < 700) return 10;
    return 20;
}

int32_t StepZoom(int32_t zoom, bool in) {
    if (in) {
        if (zoom > ZOOM_MAX - 1) return zoom;
        return Clamp(zoom + ZoomStep(zoom), ZOOM_MIN, ZOOM_MAX);
    }
    if (zoom <= ZOOM_MIN) return zoom;
    return Clamp(zoom - ZoomStep(zoom), ZOOM_MIN, ZOOM_MAX);
}

int32_t PresetZoom(int32_t zoom, bool in) {
    if (in) {
        for (int32_t p : kPresets)
            if (p > zoom) return p;
        return zoom;
    }
    for (auto it = std::rbegin(kPresets); it != std::rend(kPresets); ++it)
        if (*it < zoom) return *it;
    return zoom;
}

std::span<const int32_t> ZoomPresets() {
    return kPresets;
}

TMarkerSize MarkerSizeForZoom(int32_t zoom) {
    if (zoom < 50) return TMarkerSize::None;
    if (zoom < 80) return TMarkerSize::Small;
    if (zoom < 200) return TMarkerSize::Medium;
    return TMarkerSize::Large;
}

int32_t TView::ScreenX(double x) const {
    return RoundI(x * Scale()) - ScrollX;
}
int32_t TView::ScreenY(double y) const {
    return RoundI(y * Scale()) - ScrollY;
}

int32_t TView::HitMargin() const {
    return std::max(1, RoundI(3.0 / Scale()));
}
int32_t TView::NearMargin() const {
    return std::max(2, RoundI(7.0 / Scale()));
}
int32_t TView::FarMargin() const {
    return std::max(3, RoundI(10.0 / Scale()));
}

TKvRect TView::Visible() const {
    TKvRect r;
    r.SetRounded(static_cast<float>(WorldX(0)), static_cast<float>(WorldY(0)),
                 static_cast<float>(WorldX(Width)), static_cast<float>(WorldY(Height)));
    r.Inflate(1);
    return r;
}

void TView::ZoomAbout(int32_t zoom, int32_t px, int32_t py) {
    double wx = WorldX(px), wy = WorldY(py);
    Zoom = Clamp(zoom, ZOOM_MIN, ZOOM_MAX);
    ScrollX = RoundI(wx * Scale()) - px;
    ScrollY = RoundI(wy * Scale()) - py;
}

void TView::ZoomToRect(double left, double top, double right, double bottom) {
    // A degenerate rectangle (a line or a point) counts as one unit wide, so the division is safe
    // and the zoom simply goes to its limit.
    double w = std::max(1.0, std::fabs(right - left)), h = std::max(1.0, std::fabs(bottom - top));
    int64_t zx = static_cast<int64_t>(Width) * 4904 / static_cast<int64_t>(w * 8);
    int64_t zy = static_cast<int64_t>(Height) * 4904 / static_cast<int64_t>(h * 8);
    int64_t z = std::min(zx, zy);
    Zoom = static_cast<int32_t>(std::clamp<int64_t>(z, ZOOM_MIN, ZOOM_MAX));
    CentreOn((left + right) / 2, (top + bottom) / 2);
}

void TView::CentreOn(double x, double y) {
    ScrollX = RoundI(x * Scale()) - Width / 2;
    ScrollY = RoundI(y * Scale()) - Height / 2;
}

} // namespace nl
