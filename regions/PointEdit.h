// Point-level editing of direct stitch objects (imported designs included): the stitch cursor
// (the object's SimIndex) and its colour blocks, selecting and deleting points, inserting plain
// and colour points, splitting an object in two and appending one object to another. The
// operations check their own size conditions and say no by returning false or null; the questions
// the user is asked belong to the controller.
#pragma once
#include <cstdint>
#include <memory>

#include "stitching/SLStitch.h"

namespace nl {

// The colour a new colour point carries.
constexpr int32_t NEW_COLOUR_POINT = 0x008000;

// True for an object whose points are edited one by one.
bool IsPointEditable(const TSLStitch& o);

// The stitch cursor clamped into the object's points (0 when it has none).
int32_t StitchCursor(const TSLStitch& o);
void SetStitchCursor(TSLStitch& o, int32_t index);

void ClearPointSelection(TSLStitch& o);
bool AnyPointSelected(const TSLStitch& o);
int32_t SelectedPointCount(const TSLStitch& o);
// Selects exactly the points first .. last (clamped); the others lose their selection.
void SelectPointRange(TSLStitch& o, int32_t first, int32_t last);
void TogglePointSelected(TSLStitch& o, int32_t index);

// Deleting the selected points leaves at least two: true when the object has at least three
// points, some are selected and at least two are not.
bool CanDeleteSelected(const TSLStitch& o);
// Deletes every selected point, recomputes the bounds and clamps the cursor; false (nothing
// changed) when CanDeleteSelected says no.
bool DeleteSelectedPoints(TSLStitch& o, const TStitchContext& ctx);
// Deletes the point at `index` of an object of at least three points (two remain at least).
bool DeletePointAt(TSLStitch& o, int32_t index, const TStitchContext& ctx);

// The position a new point goes to for the cursor: between cursor - 1 and cursor (1 when the
// cursor is 0); -1 when the object has fewer than two points.
int32_t InsertPosition(const TSLStitch& o);
// A colour point (NEW_COLOUR_POINT) or a plain point halfway between the points around the
// insert position; false for objects of fewer than two points and for members of a stitch pattern
// creator's drawing. The cursor moves onto the new point.
bool InsertColourPoint(TSLStitch& o, const TStitchContext& ctx);
bool InsertPlainPoint(TSLStitch& o, const TStitchContext& ctx);

// Splitting at the cursor keeps at least two points in the part before it and four in the part
// from it on.
bool CanSplitAt(const TSLStitch& o, int32_t cursor);
// The part from `cursor` to the end as a new direct stitch object; the object keeps the points
// before it. The new part starts with a colour point: the point at the cursor keeps its colour
// when it is one, else it takes the colour of the nearest earlier colour point, else the object's
// first colour, else NEW_COLOUR_POINT. Both carry the object's flag words, group and stitching
// order place; the jump via-point (the trim after the object) moves to the new part, which ends
// the object now. Null (nothing changed) when CanSplitAt says no.
std::unique_ptr<TSLStitch> SplitAtCursor(TSLStitch& o, int32_t cursor, const TStitchContext& ctx);

// Appending `other` to `o`: two different direct stitch objects.
bool CanAppend(const TSLStitch& o, const TSLStitch& other);
// Moves every point of `other` to the end of `o` (the jump from o's end to other's start is the
// only new stitch) and recomputes the bounds; `other` is left empty for the caller to remove.
bool AppendStitchObject(TSLStitch& o, TSLStitch& other, const TStitchContext& ctx);

// The first colour point after position p (p rounded, at least 0); the last index when there is
// none (and -1 for an empty object).
int32_t NextColourPoint(const TSLStitch& o, double p);
// The last colour point before position p; p itself (rounded, clamped) when there is none.
int32_t PreviousColourPoint(const TSLStitch& o, double p);
// The colour point in force at the cursor (the last colour point at or before it), or -1.
int32_t ColourPointInForce(const TSLStitch& o, int32_t cursor);

} // namespace nl
