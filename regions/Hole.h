// Complex holes and region overlays: regions marked "Use As Complex  Hole" are drawn into the fill
// raster of every region that allows complex holes, so those fills flow around them; outlines
// marked "Use As Region Overlay" pierce the fills they cross with a needle point at every crossing,
// so that the outline's own stitches meet the fill at needle points.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "core/KvRect.h"
#include "stitching/SLStitch.h"

namespace nl {

class TSLCurve;
class TSLRegion;
class TFillRaster;

// The worksheet's hole list and overlay list: references (not owned) to the regions that carry
// OF_COMPLEX_HOLE and the outlines that carry OF_REGION_OVERLAY, in the order the worksheet file
// keeps them. The flag bits decide membership; the lists are the file's copy of it.
using THoleList = std::vector<TSLStitch*>;
using TOverlayList = std::vector<TSLStitch*>;

inline bool IsComplexHole(const TSLStitch& o) {
    return o.Kind() == KIND_REGION && (o.Flags & OF_COMPLEX_HOLE);
}
inline bool IsRegionOverlay(const TSLStitch& o) {
    return o.Kind() == KIND_CURVE && (o.Flags & OF_REGION_OVERLAY);
}

// With `on`: appends the object when it is not present; otherwise removes it.
void SetListMember(std::vector<TSLStitch*>& list, bool on, TSLStitch* object);
// True when any member's bounds overlap the rectangle (edges inclusive).
bool ListMeetsRect(const std::vector<TSLStitch*>& list, const TKvRect& r);
// Brings a list in step with the flag bits: drops entries that are no longer among `objects`,
// lack the bit or repeat an earlier entry, then appends every object that carries the bit and is
// missing, in worksheet order.
void SyncHoleList(THoleList& list, std::span<TSLStitch* const> objects);
void SyncOverlayList(TOverlayList& list, std::span<TSLStitch* const> objects);

// Draws every complex hole among `objects` whose bounds overlap the region's into the region's
// fill raster (the region itself too when it is a hole): the fill pass draws the hole's path, the
// underlay pass the path offset outwards by the region's underlay margin, so that the underlay keeps
// its margin from the hole as well.
void DrawHolesInto(std::span<TSLStitch* const> objects, const TSLRegion& region, TFillRaster& raster,
                   bool underlay);

// The overlay outlines among `objects` whose bounds overlap the region's (none when the region has
// "Dont Allow Overlays").
std::vector<const TSLCurve*> CollectOverlays(std::span<TSLStitch* const> objects, const TSLRegion& region);
// The overlay outlines among `objects` whose path bounds overlap the points of `stitches`, the
// stitching of `curve` (neither the curve itself nor its partner rail).
std::vector<const TSLCurve*> CollectOverlays(std::span<TSLStitch* const> objects, const TSLCurve& curve,
                                             const TSLStitch& stitches);

// Inserts a needle point (SP_FILL) into every stitch of `fill` where an overlay's flattened path
// crosses it, nearer crossings first. The entry path at the start of the list (SP_RETURN points)
// is left as it is. Crossings within half a unit of a stitch's ends add nothing: the needle is
// there already.
void PierceWithOverlays(const std::vector<const TSLCurve*>& overlays, TSLStitch& fill);

// The regions among `objects` whose fill holes (`holes`) or overlay outlines (`overlays`) that
// changed inside `area` (where they were and where they are now) shape: regions that allow holes or
// accept overlays and whose bounds meet the area.
std::vector<TSLStitch*> RegionsShapedIn(std::span<TSLStitch* const> objects, const TKvRect& area, bool holes,
                                        bool overlays);
// The stitched outlines and columns (rail A standing for its column) among `objects` that accept
// overlays and whose bounds meet `area`: those an overlay that changed there may cross.
std::vector<TSLStitch*> OutlinesPiercedIn(std::span<TSLStitch* const> objects, const TKvRect& area);
// Everything that changed holes or overlays in `area` shape: RegionsShapedIn, and with `overlays`
// OutlinesPiercedIn too.
std::vector<TSLStitch*> ObjectsShapedIn(std::span<TSLStitch* const> objects, const TKvRect& area, bool holes,
                                        bool overlays);
// Regenerates those regions; returns how many.
int32_t RefillShapedRegions(std::span<TSLStitch* const> objects, const TKvRect& area, bool holes,
                            bool overlays, const TStitchContext& ctx);

} // namespace nl
