// How the stitch order mode draws the group being ordered, by the "Stitch Ordering" options:
// which objects are drawn and with which look, where the connectors go and in which colours and
// widths. Built once per paint from the order list; headless.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "app/OrderMode.h"
#include "ui/OrderOptionsPage.h"

namespace nl {

class Canvas;
struct TDrawContext;
struct TViewToggles;

class TOrderDrawing {
public:
    TOrderDrawing(const TOrderMode& order, const TOrderDisplay& display);

    // The element an object is part of (a chain member or a column's rail stands for its
    // element), -1 for an object outside the order.
    int32_t ElementOf(const TSLStitch& o) const;
    // Whether the object is drawn, and its look set in `view`.
    bool Look(const TSLStitch& o, TViewToggles& view) const;
    // Under the stitching: the tinted area of the current element, the connectors when they are
    // not brought to the top.
    void DrawBelow(const TDrawContext& dc) const;
    // Over it: the connectors brought to the top, their arrow heads, the current element's frame.
    void DrawAbove(const TDrawContext& dc) const;

    // The connectors as drawn: colour and pen width of each.
    struct TStroke {
        TConnector Line;
        float Width;
    };
    std::vector<TStroke> Strokes() const;

private:
    void DrawConnectors(const TDrawContext& dc) const;
    // The area of the current element (all of a chain), empty at the end of the list.
    bool CurrentArea(float& left, float& top, float& right, float& bottom) const;

    const TOrderMode& order_;
    TOrderDisplay display_;
    std::unordered_map<const TSLStitch*, int32_t> index_;
};

} // namespace nl
