// The fill raster (one bit per unit, in the frame turned by the fill direction), its scan
// primitives, the row table and the span tree that splits the enclosed area into runs of rows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/KvRect.h"

namespace nl {

// One bit per pixel; rows are independent 64-bit word arrays so that scans run a word at a time.
// Every scan stays inside its row: a scan that finds no stopper ends at the row's edge.
class TFillRaster {
public:
    // Turned frame of `bounds` for the angle theta (radians) and allocation; false when refused.
    bool Prepare(const TKvRect& bounds, double theta);
    // Allocation of a bare width x height raster (tests); width is used as given.
    bool Allocate(int32_t width, int32_t height);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    double OriginX() const { return originX_; }
    double OriginY() const { return originY_; }
    double CentreX() const { return cx_; }
    double CentreY() const { return cy_; }
    double Theta() const { return theta_; }
    size_t MemoryBytes() const { return bits_.size() * sizeof(uint64_t); }

    // Design point -> raster point (turned by -theta, translated), and back.
    void ToRaster(double x, double y, double& rx, double& ry) const;
    void FromRaster(double rx, double ry, double& x, double& y) const;

    bool Inside(int32_t r, int32_t x) const { return r >= 0 && r < height_ && x >= 0 && x < width_; }
    bool IsSet(int32_t r, int32_t x) const;
    void Mark(int32_t r, int32_t x);
    // First clear pixel at or right of x (Width() when none).
    int32_t SkipSet(int32_t r, int32_t x) const;
    // Left end of the clear run containing x (0 when the run reaches the row's start).
    int32_t RunLeft(int32_t r, int32_t x) const;
    // Right end of the clear run starting at x (Width() - 1 when it reaches the row's end).
    int32_t RunRight(int32_t r, int32_t x) const;
    // RunRight that also sets every pixel of the run.
    int32_t Claim(int32_t r, int32_t x);
    // Number of separate runs of set pixels strictly left / right of x on row r, above / below on
    // column x.
    int32_t RunsLeft(int32_t r, int32_t x) const;
    int32_t RunsRight(int32_t r, int32_t x) const;
    int32_t RunsAbove(int32_t r, int32_t x) const;
    int32_t RunsBelow(int32_t r, int32_t x) const;

    // An 8-connected one-pixel line between two raster points, clipped to the raster.
    void Line(double x0, double y0, double x1, double y1);
    // A closed or open polyline of raster points.
    void Polyline(const std::vector<double>& xs, const std::vector<double>& ys, bool closed);
    // Moves (x, y) into the interior; false (point unchanged) when nothing is found within 200.
    bool FindInterior(int32_t& x, int32_t& y) const;

private:
    void DrawFrame();
    uint64_t* Row(int32_t r) { return bits_.data() + static_cast<size_t>(r) * words_; }
    const uint64_t* Row(int32_t r) const { return bits_.data() + static_cast<size_t>(r) * words_; }

    int32_t width_ = 0, height_ = 0, words_ = 0;
    double originX_ = 0, originY_ = 0, cx_ = 0, cy_ = 0, theta_ = 0, cos_ = 1, sin_ = 0;
    std::vector<uint64_t> bits_;
};

// The pixel rows that carry fill rows.
class TRowTable {
public:
    // density: rows per mm x 10 (at least 1); shift: 0 or 1.
    void Build(int32_t height, int32_t density, int32_t shift);
    // Index of the first entry strictly greater than y; the last index minus 1 when none (never < 0).
    int32_t RowAfter(int32_t y) const;
    int32_t Count() const { return static_cast<int32_t>(rows_.size()); }
    int32_t operator[](int32_t i) const { return rows_[static_cast<size_t>(i)]; }

private:
    std::vector<int32_t> rows_;
};

// A row end kept in a tree node.
struct TRowPoint {
    float X = 0;
    float Y = 0;
    uint32_t Flags = 0;
};

// One node of the span tree: a run of rows walked in one vertical direction, one span per row.
struct TRgnTable {
    std::vector<int32_t> Children; // indices into TSpanTree::Nodes, in discovery order
    std::vector<TRowPoint> Rows;   // left end then right end of every fill row crossed
    bool Upward = false;
    double Left = 0, Right = 0, Row = 0;
    double ParentLeft = 0, ParentRight = 0, ParentRow = 0;
    int32_t BranchAt = 0;
    int32_t EntryAt = -1;
    bool EntryNearLeft = false;

    int32_t PairCount() const { return static_cast<int32_t>(Rows.size() / 2); }
};

// What GrowSpanTree needs beyond the raster.
struct TGrowParams {
    const TRowTable* Rows = nullptr;
    int32_t EntryX = -1, EntryY = -1;
    int32_t CL = 0, CR = 0; // compensation of row ends
    bool Underlay = false;  // empty spans give no row
};

// A tree kept flat, so that neither growing nor freeing a deeply nested tree recurses.
class TSpanTree {
public:
    std::vector<TRgnTable> Nodes; // Nodes[0] is the root once grown

    // Grows the tree from the span [left, right] on `row`, towards smaller rows when dir = -1.
    // False when the area reaches the raster frame (the start was not enclosed).
    bool Grow(TFillRaster& raster, const TGrowParams& params, int32_t row, int32_t left, int32_t right,
              int32_t rowIndex, int32_t dir);
    bool Empty() const { return Nodes.empty(); }
    size_t MemoryBytes() const;
};

} // namespace nl
