// Programmable stitch overlays: the segments of a pattern copy laid out as tiles, and the piercing
// of stitches where a tile line crosses them. Columns and satin outlines use the tiled and the
// matched form; region fills the tiled form on a grid turned with their fill direction.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "core/Geometry.h"
#include "stitching/CurveParts.h"
#include "stitching/SLStitch.h"

namespace nl {

class TSLCurve;

// Pattern flags of the overlay.
enum : uint32_t {
    PATTERN_MATCH_CURVE = 0x80, // "Match Pattern To Curve"
    PATTERN_FROM_MIDDLE = 0x100,
    PATTERN_FROM_TOP = 0x200,
    PATTERN_FROM_BOTTOM = 0x400,
};

// Tile sizes a pattern accepts (2 .. 60 mm); sizes from files are clamped into them.
constexpr int32_t kPatternTileMin = 40;
constexpr int32_t kPatternTileMax = 1200;

struct TPatternSegment {
    float X1, Y1, X2, Y2;
};

// The segments of one tile whose top-left corner is (0, 0): consecutive points of every direct
// stitch item, the flattened path of every outline item.
std::vector<TPatternSegment> PatternSegments(const TObjectStitch& pattern);
// Calls `visit` with every segment of the tile whose top-left corner is (x0, y0).
void EnumerateTile(const TObjectStitch& pattern, double x0, double y0,
                   const std::function<void(double x1, double y1, double x2, double y2)>& visit);

// Inserts (x, y) with SP_FILL into the stitch that starts at point k: before the first point
// after k that is farther from point k than (x, y), walking no further than the next SP_BOUNDARY
// point (the stitch end) and never past the end of the list. Returns the index inserted at, or -1
// when the crossing lies beyond the stitch end.
int32_t InsertCrossing(TSLStitch& list, int32_t k, float x, float y);

// One generation's working copy of a pattern: its segments, tile size, grid origin and angle.
class TOverlay {
public:
    // `originX/Y`: the grid's top-left corner on the worksheet; `angle`: the grid's turn (radians)
    // about that corner.
    TOverlay(const TObjectStitch& pattern, double originX, double originY, double angle);
    bool Empty() const { return segments_.empty(); }

    // Crossings of the straight stitch a -> b with the tiled pattern, ordered from a.
    void TiledCrossings(double ax, double ay, double bx, double by, std::vector<TPointD>& out) const;
    // Crossings with the pattern bent along a column: the stitch is stood upright about its start
    // (or its end when `reverse`), the tile rows anchored by the pattern's flags and the tile
    // advanced by `distance` along the column. Ordered from a.
    void MatchedCrossings(double ax, double ay, double bx, double by, double distance, bool reverse,
                          std::vector<TPointD>& out) const;

    // Every stitch of the list pierced with the tiled pattern (one pass, no per-point insertion).
    void ApplyTiled(TSLStitch& list) const;
    // Every stitch from point 1 on pierced with the matched pattern. The stitch ending at point i
    // lies `distance[i]` along the column (the last value serves points past the end). Points
    // alternate between the A and the B edge, the A edge first when `aFirst`; the frame always
    // pivots on the A edge, so the pattern never comes out mirrored whatever the order.
    void ApplyMatched(TSLStitch& list, const std::vector<double>& distance, bool aFirst) const;

    uint32_t Flags() const { return flags_; }

private:
    void Pierce(TSLStitch& list,
                const std::function<void(int32_t i, std::vector<TPointD>&)>& crossings) const;
    std::vector<TPatternSegment> segments_;
    double width_, height_, ox_, oy_, cos_, sin_;
    bool turned_;
    uint32_t flags_;
};

// The overlay a column or satin outline generates with (null when "Prog Stitch" is off or it has
// no pattern): rail B's pattern for a column, the width profile's for a satin outline.
const TObjectStitch* CurvePattern(const TSLCurve& curve);

} // namespace nl
