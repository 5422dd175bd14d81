// The worksheet view: zoom, scroll and the mapping between screen pixels and worksheet units,
// with the zoom steps, presets and margins that depend on the zoom.
#pragma once
#include <cstdint>
#include <span>

#include "core/KvRect.h"

namespace nl {

constexpr int32_t ZOOM_MIN = 10;
constexpr int32_t ZOOM_MAX = 5000;

// Screen pixels per worksheet unit at a zoom percentage (307 and 614 map to exact halves).
double ZoomScale(int32_t zoom);
// The wheel step at a zoom: small steps at low zoom, large ones at high zoom.
int32_t ZoomStep(int32_t zoom);
// The zoom after one plain wheel step; unchanged when no step is possible.
int32_t StepZoom(int32_t zoom, bool in);
// The zoom after one preset jump (next preset above / previous preset below).
int32_t PresetZoom(int32_t zoom, bool in);
std::span<const int32_t> ZoomPresets();

enum class TMarkerSize : uint8_t { None, Small, Medium, Large };
TMarkerSize MarkerSizeForZoom(int32_t zoom);

class TView {
public:
    int32_t Zoom = 100;
    int32_t ScrollX = 0;
    int32_t ScrollY = 0;
    int32_t Width = 800; // view size in pixels
    int32_t Height = 600;

    double Scale() const { return ZoomScale(Zoom); }
    int32_t ScreenX(double x) const;
    int32_t ScreenY(double y) const;
    double WorldX(double sx) const { return (sx + ScrollX) / Scale(); }
    double WorldY(double sy) const { return (sy + ScrollY) / Scale(); }
    // Hit, near and far margins in worksheet units (3, 7 and 10 pixels at the zoom).
    int32_t HitMargin() const;
    int32_t NearMargin() const;
    int32_t FarMargin() const;
    // The visible worksheet rectangle.
    TKvRect Visible() const;

    // Sets the zoom and keeps the world point under the pixel (px, py) where it is.
    void ZoomAbout(int32_t zoom, int32_t px, int32_t py);
    // Fits the worksheet rectangle into the view and centres it.
    void ZoomToRect(double left, double top, double right, double bottom);
    // Scrolls so that the worksheet point (x, y) is at the centre of the view.
    void CentreOn(double x, double y);
};

} // namespace nl
