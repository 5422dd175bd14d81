// The running-stitch generator of outlines: passes along the Bezier path, and the polyline run
// that re-spaces computed point chains for the column generators.
#pragma once
#include <cstdint>
#include <vector>

#include "core/PointList.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSLCurve;
class TSLStitch;

// Builds the curve's generated list from scratch (the outline generator). A plain outline with
// running stitching gets its passes; the list then starts with a colour point carrying the
// curve's Color. An outline without stitching is left without a list.
void GenerateRunningOutline(TSLCurve& curve, const TStitchContext& ctx);

// One running pass along the path at the curve's RunLength, start and end included, appended to
// `list` (insertAt = -1) or, for a backward pass, stored in reverse order at insertAt.
void RunPass(const TSLCurve& curve, TSLStitch& list, int32_t insertAt);

// Running stitch at chord spacing `step` along a chain of points. The chain's last segment is
// lengthened by 2 x step first (on a copy: the caller's chain is not touched) so that the run
// reaches its end. When sectionCounts is given it holds, per section, the number of source
// points; on return it holds the number of target points appended per section.
void PolylineRun(const TPointList& source, TSLStitch& target, double step,
                 std::vector<int32_t>* sectionCounts = nullptr);

} // namespace nl
