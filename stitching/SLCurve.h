// TSLCurve: a stitch object whose points are the control polygon of a cubic Bezier path
// (3k + 1 points for k segments). Outlines, satin outlines, curved-column rails, circles and
// line objects are all curves; the generators write needle points into the owned Stitches list.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "stitching/SLStitch.h"

namespace nl {

class TOutlineList; // width profile of a satin outline
class TFeather;     // feather settings
class TJumpList;    // jump connections of joined outlines
class TObjectStitch; // stitch pattern creator copy

class TSLCurve : public TSLStitch {
public:
    TSLCurve();
    ~TSLCurve() override;

    TKvRect PathBounds;
    int32_t Passes = 2;            // outline: running passes
    TSLCurve* PartnerRail = nullptr; // rails: the other rail (not owned)
    int32_t Color = DEFAULT_OBJECT_COLOUR;
    int32_t Density = 50;          // tenths of lines per mm (rail B: 0)
    int32_t RunLength = 40;        // running stitch length, units
    float Compensation = 0.f;      // rail A: column compensation
    std::unique_ptr<TOutlineList> Outlines;  // width profile (satin outline)
    std::unique_ptr<TSLStitch> Generated;    // the generated stitch list ("Stitches")
    std::unique_ptr<TJumpList> Jumps;
    std::unique_ptr<TFeather> Feather;       // rail B: the column's feather settings
    std::unique_ptr<TObjectStitch> Pattern;  // rail B: the column's pattern creator copy
    int32_t EntryIndex = -1;
    int32_t ExitIndex = -1;
    float FillPitch = 40.f;
    uint32_t FillOffsets = 0;
    int32_t Reserved[4] = {16, 40, 100, 680};
    std::vector<float> PathX, PathY; // flattened path samples

    int32_t SegmentCount() const { return Count() >= 4 ? (Count() - 1) / 3 : 0; }
    bool IsRail() const { return (Flags & (OF_RAIL_A | OF_RAIL_B)) != 0; }
    bool IsLineObject() const { return (StitchFlags & SF_LINE_OBJECT) != 0; }

    uint8_t Kind() const override { return KIND_CURVE; }
    std::unique_ptr<TSLStitch> Clone() const override;
    bool IsPath() const override { return true; }
    TSLStitch* Partner() const override { return PartnerRail; }
    const TSLStitch* Stitches() const override { return Generated.get(); }
    TKvRect GetPathBounds() const override { return PathBounds.empty ? Bounds : PathBounds; }
    void FreeGenerated() override { Generated.reset(); }
    int32_t GetColor() const override { return Color; }
    void SetColor(int32_t colour) override;

    // Recomputes Bounds from the control points and the flattened path; then restitches.
    void UpdateBounds(const TStitchContext& ctx) override;
    // Flattens the path into PathX/PathY (25 samples per segment plus the final anchor).
    void Flatten();

    void DrawEdit(TDrawContext& dc) const override;
    void DrawLayout(TDrawContext& dc) const override;
    bool HitTest(float x, float y, const TStitchContext& ctx, int32_t* pointIndex = nullptr) const override;
    bool HitPath(float x, float y, const TStitchContext& ctx) const override;
    void Offset(float dx, float dy) override;
};

} // namespace nl
