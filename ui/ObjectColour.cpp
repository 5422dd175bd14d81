#include "ui/ObjectColour.h"

#include <limits>

#include "core/Colour.h"
#include "stitching/SLCurve.h"

namespace nl {

std::string ColourItemCaption(const TSLStitch& o) {
    switch (o.Kind()) {
    case KIND_CURVE:
        return static_cast<const TSLCurve&>(o).IsRail() ? "Set Curved Column Color" : "Set Outline Color";
    case KIND_REGION:
        return "Set Region Color";
    default:
        return "Set Stitch Color";
    }
}

std::string VisibleItemCaption(const TSLStitch& o) {
    switch (o.Kind()) {
    case KIND_CURVE:
        return static_cast<const TSLCurve&>(o).IsRail() ? "Curved Column Stitch Visible"
                                                        : "Outline Stitch Visible";
    case KIND_REGION:
        return "Region Stitch Visible";
    default:
        return {};
    }
}

TSLStitch& ColourCarrier(TSLStitch& o) {
    if ((o.Flags & OF_RAIL_B) && o.Partner()) return *o.Partner();
    return o;
}

const TSLStitch& ColourCarrier(const TSLStitch& o) {
    if ((o.Flags & OF_RAIL_B) && o.Partner()) return *o.Partner();
    return o;
}

int32_t ColourBlockAt(const TSLStitch& o, float x, float y) {
    if (o.Kind() != KIND_STITCH || o.Empty()) return 0;
    int32_t nearest = 0;
    double best = std::numeric_limits<double>::max();
    for (int32_t i = 0; i < o.Count(); ++i) {
        double dx = o[i].X - x, dy = o[i].Y - y, d = dx * dx + dy * dy;
        if (d < best) best = d, nearest = i;
    }
    for (int32_t i = nearest; i > 0; --i)
        if (o[i].IsColourPoint()) return i;
    return 0;
}

int32_t ObjectColour(const TSLStitch& o, int32_t block) {
    if (o.Kind() != KIND_STITCH) return ColourCarrier(o).GetColor();
    if (block < 0 || block >= o.Count()) return o.GetColor();
    return o[block].IsColourPoint() ? o[block].ColourOrLink : NO_COLOUR;
}

bool SetObjectColour(TSLStitch& o, int32_t colour, int32_t block, const TStitchContext& ctx) {
    if (colour == NO_COLOUR) return false;
    if (o.Kind() == KIND_STITCH) {
        if (block < 0 || block >= o.Count()) return false;
        TSP& p = o[block];
        if (p.IsColourPoint()) {
            if (p.ColourOrLink == colour) return false;
            p.ColourOrLink = colour;
        } else if (p.Class() == TPointClass::Plain) {
            // A list that starts without a colour point gets one: its first block takes the thread.
            p = TSP::Colour(p.Flags, p.X, p.Y, colour);
        } else {
            return false;
        }
        o.UpdateBounds(ctx);
        return true;
    }
    TSLStitch& carrier = ColourCarrier(o);
    if (carrier.GetColor() == colour) return false;
    carrier.SetColor(colour);
    Restitch(carrier, ctx);
    return true;
}

bool StitchVisible(const TSLStitch& o) {
    return ColourCarrier(o).Visible();
}

void SetStitchVisible(TSLStitch& o, bool on, const TStitchContext& ctx) {
    TSLStitch& carrier = ColourCarrier(o);
    if (on)
        carrier.SetFlags(OF_VISIBLE);
    else
        carrier.ClearFlags(OF_VISIBLE);
    Restitch(carrier, ctx);
}

} // namespace nl
