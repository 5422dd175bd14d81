#include "app/WidthHandles.h"

#include "platform/Canvas.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
constexpr int32_t kRungColour = 0x00909090;
constexpr int32_t kHandleColour = 0x00C08000;
} // namespace

void DrawWidthHandles(const TSLCurve& curve, TDrawContext& dc) {
    if (!dc.Target || !curve.Outlines) return;
    const auto& e = curve.Outlines->EdgeSamples;
    const size_t n = e.Size();
    if (n == 0 || curve.PathX.size() < n) return;
    Canvas& c = *dc.Target;
    for (size_t s = 0; s < n; s += kSamplesPerSegment) {
        const float px = dc.SX(curve.PathX[s]), py = dc.SY(curve.PathY[s]);
        const float ax = dc.SX(e.AX[s]), ay = dc.SY(e.AY[s]);
        const float bx = dc.SX(e.BX[s]), by = dc.SY(e.BY[s]);
        c.SetPen(kRungColour, 1.f, TPenStyle::Dot);
        c.Line(px, py, ax, ay);
        c.Line(px, py, bx, by);
        c.Marker(ax, ay, TMarker::FilledSquare, dc.MarkerSize, kHandleColour);
        c.Marker(bx, by, TMarker::FilledSquare, dc.MarkerSize, kHandleColour);
    }
}

} // namespace nl
