// The stitching of a design as one direct stitch object: what "Copy Stitching To Clipboard" puts
// on the clipboard, so that a paste gives the needle points of the whole design as export would
// write them, without the objects they were generated from.
#pragma once
#include <memory>
#include <vector>

#include "stitching/SLStitch.h"

namespace nl {

// Every needle point of the objects of `order` (regenerated for output by the caller) in sewing
// order, as the export walk hands them to a machine format: a colour point wherever export
// changes the thread (the first point always), plain points elsewhere; jumps are plain points
// too, as in a machine file read back. Bounds are set. Null when the design has no stitches.
std::unique_ptr<TSLStitch> FlattenDesign(const std::vector<TSLStitch*>& order, const TStitchContext& ctx);

} // namespace nl
