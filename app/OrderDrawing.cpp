#include "app/OrderDrawing.h"

#include <algorithm>
#include <cmath>

#include "platform/Canvas.h"
#include "stitching/SLStitch.h"
#include "stitching/StitchContext.h"

namespace nl {

TOrderDrawing::TOrderDrawing(const TOrderMode& order, const TOrderDisplay& display)
    : order_(order), display_(display) {
    const auto& elements = order.Elements();
    index_.reserve(elements.size() * 2);
    for (size_t i = 0; i < elements.size(); ++i) {
        const auto n = static_cast<int32_t>(i);
        TSLStitch* e = elements[i];
        index_.emplace(e, n);
        for (TSLStitch* c : e->JumpChain())
            index_.emplace(c, n);
        if (TSLStitch* p = e->Partner()) index_.emplace(p, n);
    }
}

int32_t TOrderDrawing::ElementOf(const TSLStitch& o) const {
    auto it = index_.find(&o);
    return it == index_.end() ? -1 : it->second;
}

bool TOrderDrawing::Look(const TSLStitch& o, TViewToggles& view) const {
    const int32_t i = ElementOf(o);
    if (i < 0) return !display_.OnlyElements;
    const int32_t cursor = order_.Cursor();
    if (i == cursor) {
        if (display_.HighlightCurrent) view.Highlight = true;
        return true;
    }
    if (i < cursor) return true; // sewn already
    switch (display_.Unsewn) {
    case TUnsewnLook::Stitched:
        return false; // only what is sewn so far shows
    case TUnsewnLook::Outline:
        view.ShowStitches = false;
        view.ShowStitchPoints = false;
        return true;
    case TUnsewnLook::Highlighted:
        view.Highlight = true;
        return true;
    default:
        return true;
    }
}

std::vector<TOrderDrawing::TStroke> TOrderDrawing::Strokes() const {
    std::vector<TStroke> out;
    if (!display_.ShowConnectors) return out;
    const float wide = display_.ThinConnectors ? 1.f : static_cast<float>(display_.LineThickness);
    for (TConnector k : order_.Connectors(display_.CurrentOnly)) {
        float width = 1.f;
        if (k.Colour == CONNECTOR_IN) {
            k.Colour = display_.InColour;
            width = wide;
        } else if (k.Colour == CONNECTOR_OUT) {
            k.Colour = display_.OutColour;
            width = wide;
        }
        out.push_back({k, width});
    }
    return out;
}

bool TOrderDrawing::CurrentArea(float& left, float& top, float& right, float& bottom) const {
    const TSLStitch* cur = order_.Current();
    if (!cur) return false;
    TKvRect area{.empty = true};
    for (const auto& [o, i] : index_)
        if (i == order_.Cursor() && !o->Bounds.empty) area.UnionWith(o->Bounds);
    if (area.empty) return false;
    left = static_cast<float>(area.Left);
    top = static_cast<float>(area.Top);
    right = static_cast<float>(area.Right);
    bottom = static_cast<float>(area.Bottom);
    return true;
}

void TOrderDrawing::DrawConnectors(const TDrawContext& dc) const {
    Canvas& c = *dc.Target;
    for (const TStroke& s : Strokes()) {
        const TConnector& k = s.Line;
        const float x1 = dc.SX(k.X1), y1 = dc.SY(k.Y1), x2 = dc.SX(k.X2), y2 = dc.SY(k.Y2);
        c.SetPen(k.Colour, s.Width, TPenStyle::Solid);
        c.Line(x1, y1, x2, y2);
        const float len = std::hypot(x2 - x1, y2 - y1);
        if (!display_.ShowDirection || len < 1.f) continue;
        // An arrow head at the start of the next element.
        const float head = std::min(len / 2.f, 6.f + 2.f * s.Width);
        const float ux = (x2 - x1) / len, uy = (y2 - y1) / len;
        const float bx = x2 - ux * head, by = y2 - uy * head;
        c.FillPolygon({{x2, y2},
                       {bx - uy * head / 2.f, by + ux * head / 2.f},
                       {bx + uy * head / 2.f, by - ux * head / 2.f}},
                      k.Colour);
    }
}

void TOrderDrawing::DrawBelow(const TDrawContext& dc) const {
    float l, t, r, b;
    if (display_.ShadeCurrent && CurrentArea(l, t, r, b))
        dc.Target->FillPolygon(
            {{dc.SX(l), dc.SY(t)}, {dc.SX(r), dc.SY(t)}, {dc.SX(r), dc.SY(b)}, {dc.SX(l), dc.SY(b)}},
            display_.ShadeColour);
    if (!display_.ConnectorsOnTop) DrawConnectors(dc);
}

void TOrderDrawing::DrawAbove(const TDrawContext& dc) const {
    if (display_.ConnectorsOnTop) DrawConnectors(dc);
    float l, t, r, b;
    if (display_.FrameCurrent && CurrentArea(l, t, r, b)) {
        dc.Target->SetPen(display_.InColour, 1.f, TPenStyle::Dash);
        const float m = 4.f; // a few pixels clear of the stitches
        dc.Target->Rectangle(dc.SX(l) - m, dc.SY(t) - m, dc.SX(r) + m, dc.SY(b) + m);
    }
}

} // namespace nl
