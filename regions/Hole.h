// Complex holes and region overlays: regions marked "Use As Complex  Hole" are drawn into the fill
// raster of every region that allows complex holes, so those fills flow around them; outlines
// marked "Use As Region Overlay" pierce the fills they cross with a needle point at every crossing,
// so that the outline's own stitches meet the fill at needle points.
#pragma once
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "core/KvRect.h"
#include "stitching/SLStitch.h"

namespace nl {

class TSLCurve;
class TSLRegion;
class TFillRaster;

// A worksheet-wide list of references (not owned) to the objects of one kind that carry one flag
// bit, in the order the worksheet file keeps them. The flag bit decides membership; the list is
// the file's copy of it and is brought back in step with the bits by Sync.
template <uint8_t K, uint32_t F> class TFlagList : public std::vector<TSLStitch*> {
public:
    static bool Qualifies(const TSLStitch& o) { return o.Kind() == K && (o.Flags & F); }

    // With `on`: appends the object when it is not present; otherwise removes it.
    void SetMember(bool on, TSLStitch* o) {
        std::erase(*this, o);
        if (on && o) push_back(o);
    }
    int32_t IndexOf(const TSLStitch* o) const {
        auto it = std::find(begin(), end(), o);
        return it == end() ? -1 : static_cast<int32_t>(it - begin());
    }
    // True when any member's bounds overlap the rectangle (edges inclusive).
    bool MeetsRect(const TKvRect& r) const {
        return std::any_of(begin(), end(),
                           [&r](const TSLStitch* o) { return !o->Bounds.empty && o->Bounds.Intersects(r); });
    }
    // Drops entries that are no longer among `objects`, lack the bit or repeat an earlier entry,
    // then appends every object of `objects` that carries the bit and is missing, in worksheet order.
    void Sync(std::span<TSLStitch* const> objects) {
        std::vector<TSLStitch*> kept;
        for (TSLStitch* o : *this)
            if (o && std::find(kept.begin(), kept.end(), o) == kept.end() &&
                std::find(objects.begin(), objects.end(), o) != objects.end() && Qualifies(*o))
                kept.push_back(o);
        for (TSLStitch* o : objects)
            if (o && Qualifies(*o) && std::find(kept.begin(), kept.end(), o) == kept.end()) kept.push_back(o);
        static_cast<std::vector<TSLStitch*>&>(*this) = std::move(kept);
    }
};

using THoleList = TFlagList<KIND_REGION, OF_COMPLEX_HOLE>;
using TOverlayList = TFlagList<KIND_CURVE, OF_REGION_OVERLAY>;

inline bool IsComplexHole(const TSLStitch& o) {
    return THoleList::Qualifies(o);
}
inline bool IsRegionOverlay(const TSLStitch& o) {
    return TOverlayList::Qualifies(o);
}

// Draws every complex hole among `objects` whose bounds overlap the region's into the region's
// fill raster (the region itself too when it is a hole): the fill pass draws the hole's path, the
// underlay pass the path offset outwards by the region's underlay margin, so that the underlay keeps
// its margin from the hole as well.
void DrawHolesInto(std::span<TSLStitch* const> objects, const TSLRegion& region, TFillRaster& raster,
                   bool underlay);

// The overlay outlines among `objects` whose bounds overlap the region's (none when the region has
// "Dont Allow Overlays").
std::vector<const TSLCurve*> CollectOverlays(std::span<TSLStitch* const> objects, const TSLRegion& region);

// Inserts a needle point (SP_FILL) into every stitch of `fill` where an overlay's flattened path
// crosses it, nearer crossings first. The entry path at the start of the list (SP_RETURN points)
// is left as it is. Crossings within half a unit of a stitch's ends add nothing: the needle is
// there already.
void PierceWithOverlays(const std::vector<const TSLCurve*>& overlays, TSLStitch& fill);

// After holes or overlay outlines changed inside `area` (where they were and where they are now):
// regenerates every region among `objects` whose fill they shape and whose bounds meet the area.
// `holes` and `overlays` say which of the two kinds changed. Returns the number of regions refilled.
int32_t RefillShapedRegions(std::span<TSLStitch* const> objects, const TKvRect& area, bool holes,
                            bool overlays, const TStitchContext& ctx);

} // namespace nl
