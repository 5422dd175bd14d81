#include "app/Shaping.h"

#include "app/MainForm.h"
#include "core/Numeric.h"
#include "regions/Hole.h"
#include "worksheet/HoleSeams.h"

namespace nl {

TKvRect MovedArea(const std::vector<TSLStitch*>& moved, double dx, double dy) {
    TKvRect area{.empty = true};
    for (const TSLStitch* o : moved) {
        if (!o || o->Bounds.empty) continue;
        TKvRect before = o->Bounds;
        before.Offset(-RoundI(dx), -RoundI(dy));
        area.UnionWith(o->Bounds);
        area.UnionWith(before);
    }
    return area;
}

TShapingLoss::TShapingLoss(const std::vector<TSLStitch*>& doomed) {
    for (const TSLStitch* o : doomed) {
        if (!o) continue;
        const bool hole = IsComplexHole(*o), overlay = IsRegionOverlay(*o);
        if (!hole && !overlay) continue;
        holes_ = holes_ || hole;
        overlays_ = overlays_ || overlay;
        if (!o->Bounds.empty) area_.UnionWith(o->Bounds);
    }
}

void TShapingLoss::Refill(const TSew& sew, const TStitchContext& ctx) const {
    TKvRect area = area_;
    area.Inflate(1);
    RefillShapedRegions(SheetObjects(sew), area, holes_, overlays_, ctx);
}

void TNL::ShapingChanged(const std::vector<TSLStitch*>& changed, TKvRect area) const {
    if (RefillAfterChange(Sew, changed, area, StitchContext()) > 0) host_.RequestRedraw();
}

} // namespace nl
