// Curved columns: stitches from rail A to rail B and back, paired segment by segment, with short
// stitches where one rail is longer, compensation, feathering, the fill split and the return run.
#pragma once
#include <cstdint>
#include <vector>

#include "core/Random.h"
#include "stitching/SLStitch.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSLCurve;

// Density range of curved columns (tenths of lines per mm): "Stitch Density" 1.0 to 7.0 per mm.
constexpr int32_t COLUMN_DENSITY_MIN = 10, COLUMN_DENSITY_MAX = 70;
// Curved column "Compensation": per cent of the local column width.
constexpr float COLUMN_COMPENSATION_MAX = 100.f;

// A chain of edge points with its points counted per section (Bezier segment of a rail, or
// section of a satin outline).
struct TRailChain {
    std::vector<TSP> Points;
    std::vector<int32_t> PerSection;
    std::vector<double> Length; // per section, the length walked along it (when measured)
};

// Pairs two chains section by section into `out`: each step appends a point of `first`, then a
// point of `second`. Where one chain has more points in a section, points of the other are used
// again and the stitch to a point's first use is shortened (ShortenLast on that side). A chain
// without a point in a section uses its last point again. With `centre`, the midpoint of every
// pair is appended to it (the return run's path); with `pairsPerSection`, the number of pairs made
// in each section.
void PairChains(TRailChain& first, TRailChain& second, TSLStitch& out, TRandom& rng, TPointList* centre,
                std::vector<int32_t>* pairsPerSection = nullptr);

// The distance along the band of every point of a paired list (PairChains): the pairs of a
// section share the section's length evenly from its start, and the second point of a pair lies
// `secondOffset` of one pair's share further on. Distances, not stitch counts, place a pattern
// matched to the band, so that it repeats once per tile whatever the spacing of the stitches.
std::vector<double> PairedDistances(const std::vector<int32_t>& pairsPerSection,
                                    const std::vector<double>& sectionLength, double secondOffset);

// The column generator: rebuilds rail A's generated list from the two rails.
void GenerateColumn(TSLCurve& railA, const TStitchContext& ctx);

// The rungs an editor shows between facing anchors of rail A and rail B.
void DrawColumnRungs(const TSLCurve& railA, TDrawContext& dc);

// The closing steps every curve list gets: stitch length limits, the overlay crossings, the colour
// point, bounds and the needle-point flag. Empty lists are left as they are.
void FinishGeneratedList(TSLStitch& list, const TSLCurve& curve, const TStitchContext& ctx);

// Overlay outlines that cross the curve's stitches put a needle point at every crossing, unless
// the curve (rail A for a column) has "Dont Allow Overlays". After the stitch length limits, so
// that a crossing stays where the overlay's own stitches meet it.
void PierceCurveOverlays(const TSLCurve& curve, TSLStitch& list, const TStitchContext& ctx);

} // namespace nl
