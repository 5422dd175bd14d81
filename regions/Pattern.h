// Stitch pattern creators and pattern copies: building a copy from a creator's drawing (MakeCopy),
// the orientation operations of a copy, and the creators' members on the worksheet.
#pragma once
#include <memory>
#include <vector>

#include "core/DeepPtr.h"
#include "regions/Support.h"
#include "stitching/CurveParts.h"

namespace nl {

// A pattern copy of a creator's drawing: its members become plain point lists (outlines by their
// flattened path), first moved so that the creator's rectangle starts at 0,0, then scaled
// x * PatternWidth / (right + 1), y * PatternHeight / (bottom + 1). Flags get the copy bit.
std::unique_ptr<TObjectStitch> MakeCopy(const TObjectPatternCreator& creator);
// A copy of another copy (or of a pattern read from a file) at a new tile size.
std::unique_ptr<TObjectStitch> MakeCopy(const TObjectStitch& source);

// The creator's pattern with its drawing: the frame fields and settings, and a copy of every
// member in worksheet coordinates (what a pattern file holds). Members become stand-alone items.
std::unique_ptr<TObjectStitch> CreatorDrawing(const TObjectPatternCreator& creator);
// A drawing object on its own: it links to nothing of a worksheet (a column's rail becomes a plain
// outline along its path; jumps, group and creator membership go).
void DetachPatternItem(TSLStitch& object);

// Orientation of a copy within its tile 0 .. PatternWidth x 0 .. PatternHeight.
void MirrorH(TObjectStitch& pattern);
void MirrorV(TObjectStitch& pattern);
// (x, y) -> (y, width - x) in the turned tile: a non-square tile swaps its sides.
void Rotate90(TObjectStitch& pattern);
void Translate(TObjectStitch& pattern, float dx, float dy);
// A new tile size (clamped to the tile range): the drawing is scaled with the tile.
void SetTileSize(TObjectStitch& pattern, int32_t width, int32_t height);

// Where an object keeps its pattern copy: a region's fill pattern, a column's rail B, a satin
// outline's width profile. Null for objects that take no pattern (running outlines, direct
// stitches). `flagsOwner` receives the object whose StitchFlags carry "Prog Stitch" (rail A for a
// column) and that regenerates the stitching.
TDeepPtr<TObjectStitch>* PatternSlot(TSLStitch& object, TSLStitch** flagsOwner = nullptr);
// The object's pattern copy while "Prog Stitch" is on, else null.
TObjectStitch* PatternOf(TSLStitch& object);
// Gives the object a pattern copy and switches "Prog Stitch" on (no regeneration). False, with
// nothing changed, when the object takes no pattern.
bool SetPattern(TSLStitch& object, std::unique_ptr<TObjectStitch> copy);
// Frees the pattern copy and switches "Prog Stitch" off (no regeneration).
void ClearPattern(TSLStitch& object);

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
