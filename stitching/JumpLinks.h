// The view of an outline's jump links that the export walk needs. The jump list of joined
// outlines implements it; the walk never sees the list itself, so it can be tested with links
// built by hand and never trusts a link it cannot follow.
#pragma once
#include <cstdint>
#include <optional>

#include "core/Point.h"

namespace nl {

class TSLStitch;

// Where a link attached to a point leads.
struct TJumpTarget {
    // The linked outline (its Stitches() are walked).
    const TSLStitch* Outline = nullptr;
    // Index, in the linked outline's stitch list, of the point where the walk enters it: the point
    // made for the same link on the other side. Empty when the link's other side is missing.
    std::optional<int32_t> EntryPoint;
};

class TJumpLinks {
public:
    virtual ~TJumpLinks() = default;
    // Index in the owner's stitch list where the stitching of the whole chain starts.
    virtual int32_t StitchIndex() const = 0;
    // True when the owner is the outline where the chain is entered (its entry index is >= 0).
    virtual bool IsEntry() const = 0;
    // The link attached to `point` (a point of the owner's stitch list); empty when it has none.
    virtual std::optional<TJumpTarget> LinkAt(const TSP& point) const = 0;
};

} // namespace nl
