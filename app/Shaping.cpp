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

std::vector<TSLStitch*> TShapingLoss::Regions(const TSew& sew) const {
    TKvRect area = area_;
    if (!area.empty) area.Inflate(1);
    return ObjectsShapedIn(SheetObjects(sew), area, holes_, overlays_);
}

void TNL::RefillShaped(const std::vector<TSLStitch*>& regions) {
    if (regions.empty()) return;
    // Inside a recorded edit the refilled regions join its undo step, so that undoing the edit
    // gives them back their fills as they were. (An edit that is not recorded refills as well.)
    std::unique_ptr<TUndoStep> step;
    if (Sew.History.Recording()) step = std::make_unique<TUndoStep>(Sew, "Refill", regions);
    const TStitchContext ctx = StitchContext();
    for (TSLStitch* r : regions)
        if (Sew.IndexOf(r) >= 0) Restitch(*r, ctx);
    Redraw();
}

void TNL::ShapingChanged(const std::vector<TSLStitch*>& changed, TKvRect area) {
    RefillShaped(RegionsToRefill(Sew, changed, area));
}

void TNL::ShapingMembershipChanged(TSLStitch& o) {
    const bool region = o.Kind() == KIND_REGION;
    const uint32_t bit = region ? OF_COMPLEX_HOLE : OF_REGION_OVERLAY;
    TKvRect area = o.Bounds;
    if (area.empty) return;
    area.Inflate(1);
    // The check box has set or cleared the bit and nothing else yet: the step records the object
    // as it was before, and the regions it shapes before they refill.
    o.Flags ^= bit;
    std::vector<TSLStitch*> touched = ObjectsShapedIn(SheetObjects(Sew), area, region, !region);
    touched.push_back(&o);
    TUndoStep step(Sew, region ? "Complex Hole" : "Region Overlay", touched);
    o.Flags ^= bit;
    SetListMember(region ? Sew.Holes : Sew.Overlays, (o.Flags & bit) != 0, &o);
    Sew.MarkModified();
    RefillShaped(ObjectsShapedIn(SheetObjects(Sew), area, region, !region));
}

} // namespace nl
