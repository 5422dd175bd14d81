// The structure edits of outlines and curved columns: splitting a curve in two at an inner anchor,
// joining two curves end to end into one, and inserting a segment after an anchor. They keep the
// width profile (one section per anchor) and the jump links of the curves in step with the
// points, so no profile section or link is left pointing past a path or at a curve that went.
//
// A curved column is handled through either rail: both rails change together, point for point.
// Regions built on a curve are not followed here: the caller refuses these edits on such curves.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "stitching/StitchContext.h"

namespace nl {

class TSLCurve;
class TSLStitch;

// Rail A of a column for either rail; the curve itself otherwise.
TSLCurve& ColumnHead(TSLCurve& curve);

bool IsEndAnchor(const TSLCurve& curve, int32_t node);
bool IsInnerAnchor(const TSLCurve& curve, int32_t node);

// Splits the curve at the inner anchor `node`: the curve keeps its points up to the node, a new
// curve (for a column a new pair of rails, rail A first, linked as partners) takes the points from
// the node on, with copies of the attributes, the stitch pattern and the feather settings. The
// width profile is split at the node (the node's section goes to both parts); jump links on the
// part that moves go with it, to the same partner points. Both parts are regenerated. Empty when
// `node` is no inner anchor.
std::vector<std::unique_ptr<TSLStitch>> SplitCurve(TSLCurve& curve, int32_t node, const TStitchContext& ctx);

// Whether `second` can be joined to `first`: both outlines (no rails, no pattern creator members),
// or both curved columns, and not the same object.
bool CanJoinCurves(const TSLCurve& first, const TSLCurve& second);

// Joins `second` to `first` end to end. `firstAtEnd` says which end of `first` meets `second` (its
// last anchor, else its first), `secondAtEnd` which end of `second` is met. `first` is reversed
// when the join is at its start; `second` is read backwards when joined at its end. Its first
// point is dropped (the two ends meet) and the rest appended (a column: both rails side by side).
// When `first` has a width profile its last section is dropped and the sections of `second`
// follow, 25 samples apart from the dropped one's position (a `second` without a profile brings
// default sections). `first` keeps its own attributes and links and is regenerated; `second` is
// left untouched for the caller to delete. False when the two cannot be joined.
bool JoinCurves(TSLCurve& first, bool firstAtEnd, const TSLCurve& second, bool secondAtEnd,
                const TStitchContext& ctx);

// Inserts a segment after the anchor `node`: three points at (x, y) (two control points and the
// new anchor), so that the path stays whole while the caller moves them into place. The width
// profile gains a default section after the node's and jump links past the node move one segment
// on. Returns the index of the first inserted point, or -1 when `node` is no anchor.
int32_t InsertSegmentAfter(TSLCurve& curve, int32_t node, float x, float y);
// Takes back InsertSegmentAfter: the three points after the anchor `node` go, with the profile
// section after the node's; links past them move one segment back. False when there are no three
// points after the node.
bool RemoveSegmentAfter(TSLCurve& curve, int32_t node);

} // namespace nl
