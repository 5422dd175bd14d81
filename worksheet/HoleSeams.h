// Ties fill generation to the worksheet's complex holes and overlay outlines: a stitch context
// bound to a worksheet draws its holes into every fill raster and pierces every fill with its
// overlays, whoever regenerates (the editor, loading, export, the command line).
#pragma once
#include <vector>

#include "core/KvRect.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSew;
class TSLStitch;

// Points the context's hole and overlay seams at `sew` (which must outlive the context's use).
// Membership follows the objects' flag bits, so an object that gained or lost a bit by any path
// (properties, paste, load, undo) shapes the fills at once.
void BindHoleSeams(TStitchContext& ctx, const TSew& sew);

// The worksheet's objects in drawing order.
std::vector<TSLStitch*> SheetObjects(const TSew& sew);

// After the objects in `changed` were edited or moved (`area`: where they were and where they are
// now): when one of them is a complex hole or an overlay, or is an outline a hole is built on, the
// regions whose fills they shape and, for an overlay, the outlines it may pierce (to be
// regenerated).
std::vector<TSLStitch*> RegionsToRefill(const TSew& sew, const std::vector<TSLStitch*>& changed,
                                        TKvRect area);

} // namespace nl
