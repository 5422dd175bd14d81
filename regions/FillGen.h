// Fill stitch generation of a region (the passes that RegenerateFill combines) and its helpers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/Point.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSLRegion;
class TSLStitch;

// Sizes of a fill pass's scratch data (for the benchmarks).
struct TFillStats {
    size_t RasterBytes = 0;
    size_t TreeBytes = 0;
    size_t TreeNodes = 0;
};

// One pass (underlay or fill) of a region; the result is never null and may be empty.
std::unique_ptr<TSLStitch> RunFillPass(TSLRegion& region, bool underlay, const TStitchContext& ctx,
                                       TFillStats* stats = nullptr);

// Resamples a run of points: flags f on kept points, joints marked above threshold m, step s.
void ResamplePoints(std::vector<TSP>& pts, uint32_t f, double m, double s);

// Needle points that pitch splitting inserts between S and E, in stitching order.
std::vector<TSP> PitchSplit(const TSP& S, const TSP& E, int32_t P, int32_t R, double offA, double offB);

// Walks a grown span tree with the emission patterns of the stitch type (tests).
class TSpanTree;
void WalkSpanTree(TSpanTree& tree, uint32_t type, bool startLeft, int32_t pitch, int32_t runLength,
                  std::vector<TSP>& out);

// The inset polygon of the underlay (raster coordinates), exposed for tests.
std::vector<std::pair<double, double>> InsetPolygonForTest(const std::vector<std::pair<double, double>>& v,
                                                           double m);

// The polygon offset by m to the inside (outer = false: the inset of the underlay) or to the
// outside (outer = true: the margin kept around a complex hole).
std::vector<std::pair<double, double>> OffsetPolygon(std::vector<std::pair<double, double>> v, double m,
                                                     bool outer);

} // namespace nl
