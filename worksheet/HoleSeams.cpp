#include "worksheet/HoleSeams.h"

#include <algorithm>

#include "regions/Hole.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"
#include "worksheet/Sew.h"

namespace nl {

std::vector<TSLStitch*> SheetObjects(const TSew& sew) {
    std::vector<TSLStitch*> v;
    v.reserve(static_cast<size_t>(sew.Count()));
    for (int32_t i = 0; i < sew.Count(); ++i)
        v.push_back(sew[i]);
    return v;
}

void BindHoleSeams(TStitchContext& ctx, const TSew& sew) {
    const TSew* s = &sew;
    ctx.DrawRegionHoles = [s](const TSLRegion& region, TFillRaster& raster, bool underlay) {
        DrawHolesInto(SheetObjects(*s), region, raster, underlay);
    };
    ctx.PierceRegionOverlays = [s](const TSLRegion& region, TSLStitch& fill) {
        PierceWithOverlays(CollectOverlays(SheetObjects(*s), region), fill);
    };
    ctx.PierceOutlineOverlays = [s](const TSLCurve& curve, TSLStitch& stitches) {
        PierceWithOverlays(CollectOverlays(SheetObjects(*s), curve, stitches), stitches);
    };
}

std::vector<TSLStitch*> RegionsToRefill(const TSew& sew, const std::vector<TSLStitch*>& changed,
                                        TKvRect area) {
    const std::vector<TSLStitch*> objects = SheetObjects(sew);
    bool holes = false, overlays = false;
    auto in = [&changed](const TSLStitch* o) {
        return std::find(changed.begin(), changed.end(), o) != changed.end();
    };
    for (TSLStitch* o : changed) {
        if (!o) continue;
        holes = holes || IsComplexHole(*o);
        overlays = overlays || IsRegionOverlay(*o);
    }
    // A hole built on a changed outline changed with it, wherever it reaches.
    for (TSLStitch* o : objects) {
        if (!IsComplexHole(*o) || in(o)) continue;
        auto used = o->UsedOutlines();
        if (std::any_of(used.begin(), used.end(), in)) {
            holes = true;
            if (!o->Bounds.empty) area.UnionWith(o->Bounds);
        }
    }
    if (!holes && !overlays) return {};
    area.Inflate(1);
    return ObjectsShapedIn(objects, area, holes, overlays);
}

} // namespace nl
