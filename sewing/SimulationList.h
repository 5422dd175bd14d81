// The simulation list: the needle points of one design in sewing order, flattened exactly as
// export writes them, with what the simulator needs to know about each move: whether the machine
// travels there without sewing, and where the thread colour changes. A machine file sews every
// move but the one into a new colour block (where the thread was changed); so does the list.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "core/KvRect.h"
#include "core/Point.h"

namespace nl {

class TSLStitch;

// What a simulation point says about the move into it.
enum : uint8_t {
    SIM_JUMP = 0x1,        // the machine travels to this point without sewing (into a new block)
    SIM_BLOCK_START = 0x2, // the thread is changed here: a new colour block starts
};

struct TSimPoint {
    float X = 0.f;
    float Y = 0.f;
    uint8_t Flags = 0;
};

class TSimulationList {
public:
    // The bounds of every CHUNK points in a row (points that are not numbers left out), so that
    // a painter can pass over stretches that lie outside its picture.
    static constexpr int32_t CHUNK = 256;
    struct TChunk {
        float MinX, MinY, MaxX, MaxY;
    };
    struct TBlock {
        int32_t First = 0;  // index of the block's first point
        int32_t Colour = 0; // thread colour, 0x00BBGGRR
    };

    // The design sewn through `order` (objects already regenerated for output), as the export
    // walk flattens it: each object's stitches, then its JumpVia, outlines joined by jumps walked
    // through their links; a colour block starts where export writes a colour change (not at an
    // object that keeps the thread of the one before).
    static TSimulationList FromOrder(const std::vector<TSLStitch*>& order);
    // One object's points as they stand (a machine file read back, a test design): every colour
    // point starts a colour block.
    static TSimulationList FromPoints(std::span<const TSP> points);
    // The list as one point list: plain points, and a colour point carrying the block's colour
    // where each colour block starts (what FromPoints takes back to this list).
    std::vector<TSP> AsPoints() const;

    int32_t Count() const { return static_cast<int32_t>(points_.size()); }
    bool Empty() const { return points_.empty(); }
    const TSimPoint& operator[](int32_t i) const { return points_[static_cast<size_t>(i)]; }
    const std::vector<TSimPoint>& Points() const { return points_; }

    // Colour blocks in sewing order; the first starts at point 0. Empty for an empty list.
    const std::vector<TBlock>& Blocks() const { return blocks_; }
    // The block that point i belongs to.
    int32_t BlockAt(int32_t i) const;
    // The thread colour in force at point i: that of the last colour point at or before it; before
    // the first colour point, the first colour point's colour; black when the list has none.
    int32_t ColourAt(int32_t i) const {
        return blocks_.empty() ? 0 : blocks_[static_cast<size_t>(BlockAt(i))].Colour;
    }
    // The first block start after point p; the last index when there is none.
    int32_t NextBlockStart(int32_t p) const;
    // The last block start before point p (0 at the latest); p itself when p <= 0.
    int32_t PreviousBlockStart(int32_t p) const;

    const std::vector<TChunk>& Chunks() const { return chunks_; }

    // Bounding rectangle of every point, worksheet units (empty for an empty list).
    const TKvRect& Bounds() const { return bounds_; }
    double WidthMm() const;
    double HeightMm() const;

    // A number that changes whenever a list is built, so drawings of an older list are not reused.
    uint64_t Serial() const { return serial_; }

private:
    // Appends a point; `blockStart` when a colour block of `colour` starts there.
    void Add(float x, float y, bool blockStart, int32_t colour);
    void Finish();

    std::vector<TSimPoint> points_;
    std::vector<TBlock> blocks_;
    std::vector<TChunk> chunks_;
    TKvRect bounds_;
    uint64_t serial_ = 0;
    bool haveThread_ = false; // a colour point was added
    int32_t firstColour_ = 0; // colour of the first colour point
};

} // namespace nl
