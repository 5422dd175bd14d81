// TSLCurve: a stitch object whose points are the control polygon of a cubic Bezier path
// (3k + 1 points for k segments). Outlines, satin outlines, curved-column rails, circles and
// line objects are all curves; the generators write needle points into the owned Stitches list.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/Units.h"
#include "stitching/CurveParts.h"
#include "stitching/Line.h"
#include "stitching/Outline.h"
#include "stitching/SLStitch.h"

namespace nl {

// The 26 parameter values 0.00, 0.04, ... 1.00 in single precision.
extern const float SAMPLE_T[kSamplesPerSegment + 1];

// Ranges that values read from files are brought into.
constexpr int32_t PASSES_MIN = 1, PASSES_MAX = 50;
constexpr int32_t RUN_LENGTH_MIN = 10, RUN_LENGTH_MAX = 160;
// Satin outline density, tenths of lines per mm: 1.0 to 50 per mm. Stored values below 10 are
// stitch spacings (the old meaning of the field), so no density below 1.0 per mm can be saved.
constexpr int32_t OUTLINE_DENSITY_MIN = 10, OUTLINE_DENSITY_MAX = 500;
constexpr int32_t RAIL_DENSITY_MIN = 10, RAIL_DENSITY_MAX = 70;
constexpr int32_t DEFAULT_DENSITY = 50;

// One needle position found by the arc-length walk.
struct TWalkVisit {
    float X = 0.f, Y = 0.f;
    int32_t Segment = 0; // walk position: segment index and parameter
    float T = 0.f;
    bool First = false;
    bool Last = false;
};

// The A (left of travel) and B (right) rays at a path position.
struct TRays {
    TKvLine A, B;
    double AngleOffset = 0.0; // half the turning angle at an interior anchor, else 0
};

// The fields a curve adds, in a block of their own so that a copy takes them (and deep copies of
// the parts) in one assignment; the record lists them once in SLCurve.cpp. The partner rail is
// not among them: a copy is nobody's partner until it is linked.
struct TCurveFields {
    TKvRect PathBounds{.empty = true};
    int32_t Passes = 2; // outline: running passes
    int32_t Color = DEFAULT_OBJECT_COLOUR;
    int32_t Density = 50;            // tenths of lines per mm (rail B: 0)
    int32_t RunLength = 40;          // running stitch length, units
    float Compensation = 0.f;        // rail A: column compensation
    TDeepPtr<TOutlineList> Outlines; // width profile (satin outline)
    TDeepPtr<TSLStitch> Generated;   // the generated stitch list ("Stitches")
    TDeepPtr<TJumpList> Jumps;
    TDeepPtr<TFeather> Feather;      // rail B: the column's feather settings
    TDeepPtr<TObjectStitch> Pattern; // rail B: the column's pattern creator copy
    int32_t EntryIndex = -1;
    int32_t ExitIndex = -1;
    float FillPitch = 40.f;
    uint32_t FillOffsets = 0;
    int32_t Reserved[4] = {16, 40, 100, 680};
    std::vector<float> PathX, PathY; // flattened path samples
};

class TSLCurve : public TSLStitch, public TCurveFields {
public:
    TSLCurve();
    ~TSLCurve() override;

    TSLCurve* PartnerRail = nullptr; // rails: the other rail (not owned)

    int32_t SegmentCount() const { return Count() >= 4 ? (Count() - 1) / 3 : 0; }
    int32_t AnchorCount() const { return SegmentCount() > 0 ? SegmentCount() + 1 : 0; }
    // Index of the last sample (25k), 0 for a path without segments.
    int32_t LastSample() const { return kSamplesPerSegment * SegmentCount(); }
    bool IsRail() const { return (Flags & (OF_RAIL_A | OF_RAIL_B)) != 0; }
    bool IsRailB() const { return (Flags & OF_RAIL_B) != 0; }
    bool IsLineObject() const { return (StitchFlags & SF_LINE_OBJECT) != 0; }

    uint8_t Kind() const override { return KIND_CURVE; }
    std::unique_ptr<TSLStitch> Clone() const override;
    void Assign(const TSLStitch& source) override;
    bool IsPath() const override { return true; }
    TSLStitch* Partner() const override { return PartnerRail; }
    // Outlines joined by jump links: the chain with the outline where it enters first.
    std::vector<TSLStitch*> JumpChain() const override;
    const TJumpLinks* JumpLinks() const override;
    const TSLStitch* Stitches() const override { return Generated.get(); }
    TKvRect GetPathBounds() const override { return PathBounds.empty ? Bounds : PathBounds; }
    void FreeGenerated() override { Generated.reset(); }
    int32_t GetColor() const override { return Color; }
    void SetColor(int32_t colour) override;
    // Path bounds joined with the control points, and with the generated stitches for drawing.
    TKvRect GetExtent() const override;
    TKvRect GetDrawExtent() const override;
    TKvRect GetStitchBounds() const override { return Generated ? Generated->Bounds : GetPathBounds(); }
    // Flag changes reach the generated list too (its drawing follows the selection).
    void ClearFlags(uint32_t mask) override;
    void SetFlags(uint32_t mask) override;
    void ToggleFlags(uint32_t mask) override;
    // Off: a visible curve is hidden and remembers it was visible; on: only a curve that was
    // switched off this way comes back. Then restitches.
    void SetVisible(bool on, const TStitchContext& ctx) override;
    bool HasOutlineStitching() const override { return Outlines != nullptr || Feather != nullptr; }
    void Regenerate(const TStitchContext& ctx) override;
    void GenerateOutline(const TStitchContext& ctx) override;
    void GenerateColumn(const TStitchContext& ctx) override;

    // Recomputes Bounds, the flattened path and the edge samples, then restitches.
    void UpdateBounds(const TStitchContext& ctx) override;
    // UpdateBounds without the restitch (loading, partner refresh).
    void RefreshGeometry(const TStitchContext& ctx);
    // Flattens the path into PathX/PathY (25 samples per segment plus the final anchor).
    void Flatten();

    // ---- path evaluation (single precision) ----
    TPointD PointAtT(int32_t segment, float t) const;
    // Unit direction of travel at t on a segment (from the derivative; where that vanishes, towards
    // the next distinct control point). Zero for a segment of one point.
    TPointD DirectionAtT(int32_t segment, double t) const;
    // Sample s; beyond the last segment the last anchor.
    TPointD PointAtSample(int32_t s) const;
    // Point on the segment containing sample s at parameter t; negative t means 1 - t on the
    // following segment.
    TPointD PointAtSampleT(int32_t s, float t) const;
    // Visits samples first .. last (last = -1: all) with their point and index, then the final
    // anchor.
    void FlattenVisit(int32_t first, int32_t last,
                      const std::function<void(float, float, int32_t)>& visit) const;
    // Places points `step` apart (straight chords) along the path, from the first anchor to the
    // last; anchors carrying SP_FORCE always receive a point.
    void Walk(double step, const std::function<void(const TWalkVisit&)>& visit) const;
    // The A and B rays of length `len` at sample s, parameter t.
    TRays Perpendiculars(int32_t s, float t, double len) const;
    // Edge samples of a satin outline (display and editing data).
    void ComputeEdges();
    // A new anchor was inserted after anchor `anchorIndex`: the width profile gains a section.
    void InsertSection(int32_t anchorIndex);

    // ---- object commands ----
    // "Reverse Stitching Direction": reverses the path (and the partner rail's).
    void ReverseStitching(const TStitchContext& ctx);
    // "Transform To Curve" / "Transform To Line": toggles the line bit; a new line is straightened.
    // Puts the control points of a segment on its chord at thirds (a straight segment).
    void StraightenSegment(int32_t segment);
    // Replaces the control points by straight segments through the given corners.
    void SetPolyline(const std::vector<std::pair<float, float>>& corners);
    // A curve of straight segments through the given corners, flattened.
    static std::unique_ptr<TSLCurve> FromPolyline(const std::vector<std::pair<float, float>>& corners);
    void ToggleLine(const TStitchContext& ctx);
    // "Force Stitch At This Point": toggles SP_FORCE on an anchor; false for other points.
    bool ToggleForce(int32_t pointIndex, const TStitchContext& ctx);

    void DrawEdit(TDrawContext& dc) const override;
    void DrawLayout(TDrawContext& dc) const override;
    bool HitTest(float x, float y, const TStitchContext& ctx, int32_t* pointIndex = nullptr) const override;
    bool HitPath(float x, float y, const TStitchContext& ctx) const override;
    void Offset(float dx, float dy) override;
    void Mirror(bool horizontal, float cx, float cy) override;

    void Record(TRecordWriter& io) const override;
    void Record(TRecordReader& io) override;

private:
    mutable std::unique_ptr<TJumpLinks> linksView_; // made on first use
};

// Links rail A and rail B of a curved column read from a file or stream (both ways) after
// checking that they pair up; throws TReadError otherwise. Regenerates the column.
void LinkRails(TSLCurve& railA, TSLCurve& railB, const TStitchContext& ctx);
// Pairs the rails among objects read in order: each rail B is linked with the rail A read
// before it. A rail without its other half fails the read (TReadError).
void LinkRailsInOrder(const std::vector<TSLStitch*>& objects, const TStitchContext& ctx);

} // namespace nl
