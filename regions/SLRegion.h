// TSLRegion: a fill region bounded by a closed path of nodes (TSPRegion points) that lie on outlines.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/RegionNode.h"
#include "stitching/SLCurve.h"
#include "stitching/SLStitch.h"

namespace nl {

// Node kinds (point flag bits 9-11): how the path gets from the previous node to this one.
enum : uint32_t {
    NK_JOIN_FROM_START = 0x000,
    NK_JOIN_FROM_END = 0x200,
    NK_CROSSING = 0x400,
    NK_PREV_START_EXTENSION = 0x600,
    NK_PREV_END_EXTENSION = 0x800,
    NK_NEW_START_EXTENSION = 0xA00,
    NK_NEW_END_EXTENSION = 0xC00,
    NK_FIXED = 0xE00,
};
constexpr int SP_GROUP_SHIFT = 21;

// Region bits of Flags.
enum : uint32_t {
    RF_UNDER_CONSTRUCTION = 0x40000,
    RF_SPLIT_PITCH = 0x400000,
};

// Region bits of StitchFlags.
enum : uint32_t {
    RSF_USE_UNDERLAY = 0x100,
    RSF_UNDER_TATAMI = 0x200,
    RSF_UNDER_SATIN = 0x400,
    RSF_UNDER_ZIGZAG = 0x800,
    RSF_UNDER_MASK = 0xE00,
    RSF_BACK_TO_STITCH = 0x8000,
    RSF_TURN_TYPE_2 = 0x10000,
};

constexpr int32_t DEFAULT_FILL_COLOUR = 0x008000;

// A place where the path may continue from the current outline P onto a new outline N.
struct TCandidate {
    float X = 0.f;
    float Y = 0.f;
    uint32_t Kind = NK_CROSSING; // node kind bits
    uint32_t Group = 0;          // coincidence group 0..7
    int32_t NewIndex = 0;        // sample index on N (the node's StartIndex)
    int32_t PrevIndex = 0;       // sample index on P (the previous node's EndIndex)
    TSLCurve* Outline = nullptr; // N
};

// One point of the path walk; Node is the node whose segment the piece ending here belongs to.
struct TWalkPoint {
    double X = 0;
    double Y = 0;
    int32_t Node = 0;
};

// The flattened samples of an outline, flattening it when they are missing or stale.
int32_t LastSampleOf(TSLCurve& outline);
// The point at `percent` along the segment [index, index + 1]; the last sample when index is last.
void SamplePoint(TSLCurve& outline, int32_t index, double percent, double& x, double& y);
// Candidate nodes between the current outline P and a newly clicked outline N.
std::vector<TCandidate> FindCandidates(TSLCurve& P, TSLCurve& N);
// Gives coincident candidates (within 5 units in X and Y) their group numbers.
void GroupCoincident(std::vector<TCandidate>& candidates);

// Offset encoding of a 16-bit half of PitchOffsets / UnderOffset.
double DecodeOffset(uint32_t v);
uint32_t EncodeOffset(double percent);

// The fields a region adds, in a block of their own so that a copy takes them (and deep copies of
// the fill and pattern) in one assignment; the record lists them once in SLRegion.cpp.
struct TRegionFields {
    int32_t FillColor = DEFAULT_FILL_COLOUR;
    float Rotation = 0.f;
    TDeepPtr<TSLStitch> FillStitches;
    int32_t Density = 45;
    int32_t RunLength = 20;
    float Compensation = 0.f;
    float Pitch = 40.f;
    uint32_t PitchOffsets = 600;
    TDeepPtr<TObjectStitch> FillPattern; // programmable pattern; arrives with the pattern unit
    int32_t ExitNode = 0;
    float ExitPercent = 0.f;
    int32_t EntryNode = 0;
    float EntryPercent = 0.f;
    int32_t UnderDensity = 16;
    float UnderRotation = 0.f;
    int32_t UnderPitch = 80;
    double UnderMargin = 10.0;
    int32_t UnderOffset = 280;
    double EntryX = 0, EntryY = 0;
    double ExitX = 0, ExitY = 0;

    // Set when the stored entry and exit points must be derived from the node/percent pairs on the
    // next regeneration (a new region, an old worksheet).
    bool DeriveEntryExit = false;
};

class TSLRegion : public TSLStitch, public TRegionFields {
public:
    TSLRegion();
    ~TSLRegion() override;

    // ---- nodes ----
    int32_t NodeCount() const { return Count(); }
    TRegionNode& Node(int32_t i) { return EnsureNode((*this)[i]); }
    const TRegionNode* NodeAt(int32_t i) const { return NodeOf((*this)[i]); }
    static uint32_t KindOf(const TSP& p) { return p.Flags & SP_NODE_KIND; }
    bool UnderConstruction() const { return (Flags & RF_UNDER_CONSTRUCTION) != 0; }
    // Appends a node (a region point owning its node data) and returns it.
    TSP& AppendNode(uint32_t flags, float x, float y, TSLCurve* outline, int32_t startIndex,
                    int32_t endIndex);

    // The closed path as visited by every user of it (bounds, lengths, drawing, raster).
    std::vector<TWalkPoint> WalkPath() const;
    // The point at `percent` of SegmentLength along the path from `node`; the first node's
    // position when the target is never reached.
    void BoundaryPoint(int32_t node, double percent, double& x, double& y) const;
    // Hit test on the path within `tolerance`: the node whose segment was hit and the distance
    // along that segment (the measure BoundaryPoint uses).
    bool HitBoundary(double x, double y, double tolerance, int32_t& node, double& distance) const;
    // Stores EntryX/Y and ExitX/Y from the node/percent pairs.
    void DeriveStoredPoints();

    void ConvertNodeToFixed(int32_t index);
    // Re-derives the nodes after their outlines changed, then updates the bounds.
    void RebuildFromOutlines(const TStitchContext& ctx);
    // The point order of `outline` was reversed: carries every node on it over to the reversed
    // sample numbering, and the node kinds that name one of its ends over to the other end, so
    // that the boundary stays where it was; then updates the bounds (the caller refills).
    void OutlineReversed(const TSLStitch& outline, const TStitchContext& ctx);
    // Rebuilds only when the region's bounds meet the changed rectangle.
    void RebuildIfMeets(const TKvRect& changed, const TStitchContext& ctx);
    // Resolves the stored outline references (list positions) against the worksheet's objects and
    // clamps every index into range; throws TReadError when a reference is not an outline.
    void ResolveOutlines(const std::vector<TSLStitch*>& objects);
    // Clamps node indices, entry and exit nodes into range of the current outlines.
    void ClampIndices();

    // Rebuilds FillStitches from the boundary and the attributes.
    void RegenerateFill(const TStitchContext& ctx);

    // Sets the entry and exit node/percent pairs ("Set Jumps"), stores the points they give and
    // regenerates.
    void SetEntryExit(int32_t entryNode, float entryPercent, int32_t exitNode, float exitPercent,
                      const TStitchContext& ctx);
    // Scales the region about (cx, cy) by percentages (nodes, stored points, underlay margin).
    void ApplyScale(double cx, double cy, double sxPercent, double syPercent, const TStitchContext& ctx);
    // Compensation shown or hidden: a visible region with compensation refills.
    void RegenerateCompensated(const TStitchContext& ctx);
    // An overlay outline or a complex hole changed inside `changed`: refill when it meets the region.
    void RegenerateIfMeets(const TKvRect& changed, const TStitchContext& ctx);
    // Turns the region by `degrees` about (cx, cy) (nodes, stored points, fill directions).
    void ApplyRotation(double degrees, double cx, double cy, const TStitchContext& ctx);

    // ---- TSLStitch interface ----
    uint8_t Kind() const override { return KIND_REGION; }
    std::unique_ptr<TSLStitch> Clone() const override;
    void UpdateBounds(const TStitchContext& ctx) override;
    TKvRect GetStitchBounds() const override;
    void Regenerate(const TStitchContext& ctx) override;
    void SetVisible(bool on, const TStitchContext& ctx) override;
    void ClearFlags(uint32_t mask) override;
    void SetFlags(uint32_t mask) override;
    void ToggleFlags(uint32_t mask) override;
    void Offset(float dx, float dy) override;
    void SetColor(int32_t colour) override;
    int32_t GetColor() const override { return FillColor; }
    void Mirror(bool horizontal, float cx, float cy) override;
    void Assign(const TSLStitch& source) override;
    void Record(TRecordWriter& io) const override;
    void Record(TRecordReader& io) override;
    int32_t GetStartStitch(float& x, float& y) const override;
    bool GetEntryPoint(float& x, float& y) const override;
    bool GetExitPoint(float& x, float& y) const override;
    const TSLStitch* Stitches() const override { return FillStitches.get(); }
    void DrawEdit(TDrawContext& dc) const override;
    void DrawLayout(TDrawContext& dc) const override;
    bool HitTest(float x, float y, const TStitchContext& ctx, int32_t* pointIndex = nullptr) const override;
    void SetStitchType(uint32_t type, const TStitchContext& ctx) override;
    void SetDensity(float value, const TStitchContext& ctx) override;
    std::vector<TSLStitch*> UsedOutlines() const override;
    void GenerateOutline(const TStitchContext& ctx) override { RegenerateFill(ctx); }
    void FreeGenerated() override { FillStitches.reset(); }

    // Draws the boundary path (creation display and regions without fill).
    void DrawPath(TDrawContext& dc, int32_t colour, float width) const;

private:
    void ValidateLoaded();
};

} // namespace nl
