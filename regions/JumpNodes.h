// Jump links between outlines: linking and unlinking two outlines, walking the chain of outlines
// joined by links, the cycle test, keeping links right after outline edits and loads, and the
// generator that stitches a chain of linked outlines as one object.
//
// Every link exists twice, once in each outline's list, and the two records name each other
// (Reverse). Every operation here keeps both sides consistent, and every traversal keeps a visited
// set: a cycle read from a damaged file or pasted can never make a search run forever.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "stitching/CurveParts.h"
#include "stitching/JumpLinks.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSLCurve;
class TSLStitch;

// Gives every outline of the chain of `from` its thread colour (a chain is sewn in one thread).
void PropagateChainColour(TSLCurve& from);

// Links `a` at sample `indexA` with `b` at sample `indexB`: a record in each list (the lists are
// made when missing), each the other's Reverse. Nothing is checked here (see WouldCloseCycle).
void LinkOutlines(TSLCurve& a, TSLCurve& b, int32_t indexA, int32_t indexB);

// Removes the link of `a` at sample `index` to `b`, on both sides. A list left empty is freed and
// its outline's EntryIndex becomes -1; otherwise colour and group go over the chain of `a`, every
// outline of it gets EntryIndex -1 and `a` gets 0. False when there is no such link.
bool UnlinkOutlines(TSLCurve& a, int32_t index, TSLCurve& b);

// Removes every link of `outline` on both sides (the outline is being deleted, or loses its
// stitching); each former partner is regenerated, losing its list when it becomes empty.
void UnlinkAll(TSLCurve& outline, const TStitchContext& ctx);

// Applies `action` to `start` and then, depth first in list order, to every outline reachable
// through links, each once. Stops at the first action that returns true; returns true then.
bool WalkChain(TSLCurve& start, const std::function<bool(TSLCurve&)>& action);
// The outlines of the chain of `start` in walk order (just `start` when it has no links).
std::vector<TSLCurve*> ChainOf(TSLCurve& start);
// The outline where the stitching of the chain enters: the first in walk order whose EntryIndex
// is >= 0; null when there is none.
TSLCurve* ChainRoot(TSLCurve& start);

// True when `b` is already reachable from `a` (so a new link would close a cycle); true for a = b.
bool WouldCloseCycle(TSLCurve& a, TSLCurve& b);

// Gives the chain of `from` its colour and group, sets every EntryIndex to -1 and that of `from`
// to 0 (it becomes where the chain enters).
void PropagateChain(TSLCurve& from);

// For every link of `outline`: its position from the path point at OwnIndex, the outline's bounds
// grown to take the partner's point, and the Reverse record found again. Links whose own index is
// past the path's last sample (the path lost segments) are removed on both sides.
void RecomputeJumpPoints(TSLCurve& outline);

// A control point was inserted at index k of `outline`: links past the segment it went into, that
// is with OwnIndex > (k - 1) / 3 * 25 (integer division), move up by one segment (25 samples), and
// the PartnerIndex of each one's Reverse follows.
void ShiftJumpsAfterInsert(TSLCurve& outline, int32_t k);

// The point order of `outline` was reversed: every link keeps its place on the path, so its own
// index becomes last sample - index (the partner's record follows) and the list is sorted again.
// A start point the user chose (ExitIndex, an EntryIndex past the first sample) stays where it was
// too; an EntryIndex of 0 keeps meaning "enter where the stitching starts".
void ReverseJumpIndices(TSLCurve& outline);

// After objects were read (a worksheet, or a paste whose ids were shifted): resolves each link's
// outline from PartnerId (a list position in `objects`) and its Reverse. Links whose partner is
// not an outline, is the outline itself, whose indices lie past either path, or whose partner has
// no matching record, are dropped on both sides.
void ResolveJumps(const std::vector<TSLStitch*>& objects);
// After objects got their contents back (undo, redo): links to outlines that are not among
// `objects` go, each link finds its other end again (links left without one go on both sides),
// and every chain is generated again so that its stitches refer to the records now in place.
void RelinkJumps(const std::vector<TSLStitch*>& objects, const TStitchContext& ctx);
// Pasting: the objects land after `offset` objects already in the worksheet.
void ShiftPartnerIds(TJumpList& list, int32_t offset);

// "Set Outline Start Jump Stitch": the first stitch of the chain at `index` of `outline` (its
// ExitIndex, after every ExitIndex of the chain was cleared); when no outline of the chain has an
// EntryIndex >= 0, the outline's EntryIndex becomes `index` too.
void SetChainStart(TSLCurve& outline, int32_t index);

// Drops the whole jump list of an outline whose list holds no links ("Clear Jump"); with links
// present they are first unlinked on both sides. EntryIndex becomes -1.
void ClearJumps(TSLCurve& outline, const TStitchContext& ctx);

// Regenerates every outline of the chain.
void RegenerateChain(TSLCurve& outline, const TStitchContext& ctx);

// Per cent of a segment's length that a distance along it is; 0 for a segment of length 0.
double SegmentPercent(double distance, double segmentLength);

// The generator of an outline whose jump list is present: a run out along the path carrying the
// link points, then back (a satin column back when the outline has a width profile) with the
// chain's entry point or the landing point of the link it is reached through.
void GenerateLinkedOutline(TSLCurve& curve, const TStitchContext& ctx);

// What the export walk sees of a curve's links.
class TCurveJumpLinks : public TJumpLinks {
public:
    explicit TCurveJumpLinks(const TSLCurve& owner) : owner_(owner) {}
    int32_t StitchIndex() const override;
    bool IsEntry() const override;
    std::optional<TJumpTarget> LinkAt(const TSP& point) const override;

private:
    const TSLCurve& owner_;
};

} // namespace nl
