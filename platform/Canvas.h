// What the engine draws on: the worksheet view, an offscreen image, or a recording for tests.
// Coordinates are device pixels; the caller converts from worksheet units.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace nl {

struct TPointF {
    float X = 0.f;
    float Y = 0.f;
};

enum class TMarker : uint8_t { Square, Cross, Circle, Diamond, FilledSquare, FilledCircle };
enum class TPenStyle : uint8_t { Solid, Dash, Dot };

class Canvas {
public:
    virtual ~Canvas() = default;
    // Colours are 0x00BBGGRR like thread colours.
    virtual void SetPen(int32_t colour, float width = 1.f, TPenStyle style = TPenStyle::Solid) = 0;
    virtual void Line(float x1, float y1, float x2, float y2) = 0;
    virtual void Polyline(const std::vector<TPointF>& pts) = 0;
    virtual void Marker(float x, float y, TMarker kind, float size, int32_t colour) = 0;
    virtual void FillPolygon(const std::vector<TPointF>& pts, int32_t colour, int alpha = 255) = 0;
    virtual void Rectangle(float left, float top, float right, float bottom) = 0;
    virtual void Text(float x, float y, const std::string& text, int32_t colour, float size = 10.f) = 0;
    // 32-bit 0xAARRGGBB pixels, stretched to the target rectangle.
    virtual void Image(float left, float top, float right, float bottom, int width, int height,
                       const std::vector<uint32_t>& argb, int alpha = 255) = 0;
    virtual void Clear(int32_t colour) = 0;
    // The smoother (slower) stretching for the Image calls that follow ("Best Possible Image").
    virtual void SetSmoothImages(bool smooth) { (void)smooth; }
    // The width in pixels of a text drawn at `size` in the current typeface (a canvas that cannot
    // measure answers an average glyph width).
    virtual float TextWidth(const std::string& text, float size) {
        return 0.6f * size * static_cast<float>(text.size());
    }
    // The typeface of the Text calls that follow (an empty family: the canvas's own). A family
    // that is not installed falls back to the nearest one the desktop has.
    virtual void SetFont(const std::string& family, bool bold, bool italic) {
        (void)family;
        (void)bold;
        (void)italic;
    }

    // Pictures kept for a quick return: a picture built up over many calls (the sewing
    // simulator's) can be kept in a numbered slot and put back later instead of being drawn
    // again. A canvas that cannot keep pictures answers false and the caller draws again.
    virtual bool KeepPicture(int slot) {
        (void)slot;
        return false;
    }
    virtual bool RestorePicture(int slot) {
        (void)slot;
        return false;
    }
};

} // namespace nl
