// The part of export every machine format shares: the design's extents and totals, the walk over
// the objects in sewing order with its colour-change decisions, and the walk through outlines
// joined by jumps. A format supplies only an emitter.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/KvRect.h"
#include "core/Numeric.h"
#include "core/Point.h"

namespace nl {

class TSLStitch;
class TJumpLinks;

// The points one object hands to an emitter: its stitch points, then its JumpVia if it has one.
struct TEmitList {
    std::span<const TSP> Points;
    const TSP* Via = nullptr;

    size_t Count() const { return Points.size() + (Via ? 1 : 0); }
    const TSP& operator[](size_t i) const { return i < Points.size() ? Points[i] : *Via; }
};

// A point that starts a colour block on output. Jump points are extended points too, but they
// carry a link, not a thread change.
inline bool IsColourChange(const TSP& p) {
    return (p.Flags & SP_EXTRA) && !(p.Flags & SP_JUMP_BITS);
}

// Machine units (0.1 mm) of a worksheet coordinate (0.05 mm): halves go to the even neighbour.
inline int32_t MachineUnits(float c) {
    // Export converts every point, so this avoids a library call: adding and subtracting 1.5 * 2^52
    // leaves the nearest integer, halves to even, in the default rounding mode, exactly as RoundI.
    // (The sum is not folded away: without fast-math the compiler keeps floating-point order.)
    double v = static_cast<double>(c) / 2.0;
    if (!(v > -1e9 && v < 1e9)) return RoundI(v);
    constexpr double kMagic = 6755399441055744.0;
    return static_cast<int32_t>((v + kMagic) - kMagic);
}

// One object of the design, ready to be written.
struct TExportItem {
    const TSLStitch* Object = nullptr;
    std::vector<TSP> Walked; // the points of a jump network walk, when the object has jump links
    bool UsesWalk = false;

    std::span<const TSP> Points() const;
    TEmitList List() const;
};

// The objects of one design in sewing order with their extents and totals. Objects without any
// stitch points (a failed regeneration, a region without fill) are left out.
class TExportPlan {
public:
    explicit TExportPlan(const std::vector<TSLStitch*>& order);

    std::vector<TExportItem> Items;
    TKvRect Extent;          // union of the bounding rectangles of everything written, internal units
    int64_t StitchTotal = 0; // points handed to the emitters
    int32_t CentreX = 0;     // design centre, machine units
    int32_t CentreY = 0;

    bool Empty() const { return Items.empty(); }
};

// Export state of one export.
struct TExportState {
    int32_t X = 0; // last written position, machine units
    int32_t Y = 0;
    bool First = true;            // no object written yet
    bool Suppress = false;        // the object has the thread colour of the one before
    std::vector<int32_t> Colours; // colour side file entries, one per colour block
    std::string DesignName;       // the file's base name, for formats that store one
};

// What point i of an object does to the thread. A colour point starts a new colour block, whose
// colour joins st.Colours (Change), unless it is the object's first point and no object came
// before (the first block is opened by the caller), or the object keeps the thread of the one
// before: then the first colour point is the suppressed change (Suppressed) and clears
// `suppress`.
enum class TColourStep : uint8_t { None, Change, Suppressed };
inline TColourStep ColourStepAt(const TSP& p, size_t i, bool first, bool& suppress, TExportState& st) {
    if (!IsColourChange(p) || (i == 0 && first)) return TColourStep::None;
    if (suppress) {
        suppress = false;
        return TColourStep::Suppressed;
    }
    st.Colours.push_back(p.ColourOrLink);
    return TColourStep::Change;
}

class TEmitter {
public:
    virtual ~TEmitter() = default;
    virtual void EmitObject(const TEmitList& list, TExportState& state) = 0;
};

// Runs the emitter over every object of the plan with the colour-change suppression between
// objects of one thread colour.
void RunObjectWalk(const TExportPlan& plan, TEmitter& emitter, TExportState& state);

// The points of an outline chain in sewing order, walking into every outline reachable through
// jump links from `start` in the outline's stitch list. Every outline is entered at most once and
// links that cannot be followed are passed over, so damaged links never loop or read out of range.
std::vector<TSP> JumpNetworkWalk(const TSLStitch& outline, int32_t start);

} // namespace nl
