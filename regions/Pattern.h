// Stitch pattern creators and pattern copies: building a copy from a creator's drawing (MakeCopy),
// the orientation operations of a copy, and the creators' members on the worksheet.
#pragma once
#include <memory>
#include <vector>

#include "regions/Support.h"
#include "stitching/CurveParts.h"

namespace nl {

// A pattern copy of a creator's drawing: its members become plain point lists (outlines by their
// flattened path), first moved so that the creator's rectangle starts at 0,0, then scaled
// x * PatternWidth / (right + 1), y * PatternHeight / (bottom + 1). Flags get the copy bit.
std::unique_ptr<TObjectStitch> MakeCopy(const TObjectPatternCreator& creator);
// A copy of another copy (or of a pattern read from a file) at a new tile size.
std::unique_ptr<TObjectStitch> MakeCopy(const TObjectStitch& source);

// Orientation of a copy within its tile 0 .. PatternWidth x 0 .. PatternHeight.
void MirrorH(TObjectStitch& pattern);
void MirrorV(TObjectStitch& pattern);
// (x, y) -> (height - y, x) scaled into the turned tile: a non-square tile swaps its sides.
void Rotate90(TObjectStitch& pattern);
void Translate(TObjectStitch& pattern, float dx, float dy);

// Creator membership: the member flag and its OrderIndex pointing at the creator.
void AddMember(TObjectPatternCreator& creator, TSLStitch& object);
void RemoveMember(TObjectPatternCreator& creator, TSLStitch& object);
// The creator whose rectangle holds the point (topmost), null when none.
TObjectPatternCreator* CreatorAt(const TSupportBaseList& list, double x, double y);
// After loading: every object with the member flag joins the creator its OrderIndex names; one
// naming no creator loses the flag (and gets no order). Creators' member lists are rebuilt.
void ResolveCreatorMembers(TSupportBaseList& support, const std::vector<TSLStitch*>& objects);
// Members of a creator snap to its edit grid (cell = larger side / EditPoints, from its corner).
void SnapToCreatorGrid(const TObjectPatternCreator& creator, TSLStitch& object);
// A point placed in a creator's drawing: kept within the creator's tile (its rectangle, the far
// edges included, which are the next tile's near edges) and, with `snap`, moved to the nearest
// node of its edit grid that lies within the tile.
void PlaceInCreator(const TObjectPatternCreator& creator, float& x, float& y, bool snap);
// The creator an object of the worksheet belongs to (member flag and OrderIndex), null for none.
TObjectPatternCreator* CreatorOf(const TSupportBaseList& support, const TSLStitch& object);

} // namespace nl
