#include "ui/PatternViewer.h"

#include <algorithm>

#include "platform/Canvas.h"
#include "stitching/SLCurve.h"

namespace nl {

TPatternViewer::TPatternViewer(const TSupportBaseList& support,
                               std::function<void(TObjectPatternCreator&)> chosen)
    : chosen_(std::move(chosen)) {
    for (TObjectPatternCreator* c : support.Creators())
        entries_.push_back({"WorkSheet Pattern", c});
}

void TPatternViewer::DrawThumbnail(size_t i, Canvas& canvas, float x, float y) const {
    if (i >= entries_.size()) return;
    const TObjectPatternCreator& c = *entries_[i].Creator;
    const float k = static_cast<float>(kThumb);
    canvas.FillPolygon({{x, y}, {x + k, y}, {x + k, y + k}, {x, y + k}}, 0xF9F9F9);
    canvas.SetPen(0xFFFFFF, 1.f);
    canvas.Line(x, y + k - 1, x, y);
    canvas.Line(x, y, x + k - 1, y);
    canvas.SetPen(0x808080, 1.f);
    canvas.Line(x + k - 1, y, x + k - 1, y + k - 1);
    canvas.Line(x + k - 1, y + k - 1, x, y + k - 1);
    // Sizes below a unit would divide by zero.
    const double w = std::max(1, c.Width()), h = std::max(1, c.Height());
    const double scale = (kThumb - 8) / std::max(w, h);
    const double ox = x + 4 + (kThumb - 8 - w * scale) / 2, oy = y + 4 + (kThumb - 8 - h * scale) / 2;
    for (const TSLStitch* m : c.Members) {
        std::vector<TPointF> line;
        auto add = [&](double px, double py) {
            line.push_back({static_cast<float>(ox + (px - c.Rect.Left) * scale),
                            static_cast<float>(oy + (py - c.Rect.Top) * scale)});
        };
        if (m->Kind() == KIND_CURVE)
            static_cast<const TSLCurve&>(*m).FlattenVisit(0, -1,
                                                          [&](float px, float py, int32_t) { add(px, py); });
        else
            for (const TSP& p : *m)
                add(p.X, p.Y);
        canvas.SetPen(m->Kind() == KIND_CURVE ? 0x0000C0 : 0x006000, 1.f);
        if (line.size() > 1) canvas.Polyline(line);
    }
}

bool TPatternViewer::Choose(size_t i) {
    if (i >= entries_.size()) return false;
    if (chosen_) chosen_(*entries_[i].Creator);
    return true;
}

} // namespace nl
