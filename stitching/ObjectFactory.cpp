// The one place that knows which class each object kind byte stands for.
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"
#include "stitching/SLFont.h"
#include "stitching/SLStitch.h"

namespace nl {

std::unique_ptr<TSLStitch> CreateObjectOfKind(uint8_t kind) {
    switch (kind) {
    case KIND_CURVE:
        return std::make_unique<TSLCurve>();
    case KIND_STITCH:
        return std::make_unique<TSLStitch>();
    case KIND_REGION:
        return std::make_unique<TSLRegion>();
    case KIND_FONT:
        // A text character: the base record (lettering arrives later).
        return std::make_unique<TSLFont>();
    default:
        return nullptr;
    }
}

} // namespace nl
