// The controller's side of complex holes and overlay outlines: which edits make the regions they
// shape refill and the outlines an overlay pierces regenerate.
#pragma once
#include <vector>

#include "core/KvRect.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSew;
class TSLStitch;

// Where objects moved by (dx, dy) were and are now.
TKvRect MovedArea(const std::vector<TSLStitch*>& moved, double dx, double dy);

// What deleting objects takes away from the fills (and from the outlines an overlay pierced):
// taken before the deletion, regenerated after it.
class TShapingLoss {
public:
    explicit TShapingLoss(const std::vector<TSLStitch*>& doomed);
    // The regions to refill once the objects are gone.
    std::vector<TSLStitch*> Regions(const TSew& sew) const;

private:
    TKvRect area_{.empty = true};
    bool holes_ = false;
    bool overlays_ = false;
};

} // namespace nl
