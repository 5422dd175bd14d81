// A Canvas over the command line's own picture, so that nordelune-cli draws with the engine's
// painters (the sewing simulator's) without a GUI toolkit: whole-pixel lines, dashes, markers.
#pragma once
#include "cli/Render.h"
#include "platform/Canvas.h"

namespace nl::cli {

class TImageCanvas : public Canvas {
public:
    explicit TImageCanvas(TImage& image) : img_(image) {}

    void SetPen(int32_t colour, float width = 1.f, TPenStyle style = TPenStyle::Solid) override;
    void Line(float x1, float y1, float x2, float y2) override;
    void Polyline(const std::vector<TPointF>& pts) override;
    void Marker(float x, float y, TMarker kind, float size, int32_t colour) override;
    void FillPolygon(const std::vector<TPointF>&, int32_t, int) override {}
    void Rectangle(float left, float top, float right, float bottom) override;
    void Text(float, float, const std::string&, int32_t, float) override {}
    void Image(float, float, float, float, int, int, const std::vector<uint32_t>&, int) override {}
    void Clear(int32_t colour) override;

private:
    // A whole-pixel line from (x0, y0) to (x1, y1), clipped to the picture; `dashed` leaves gaps.
    void Segment(float x0, float y0, float x1, float y1, int32_t colour, bool dashed);

    TImage& img_;
    int32_t colour_ = 0;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::Solid;
};

} // namespace nl::cli
