// What a format reader appends decoded points to: the new direct stitch object of an import,
// with the current position kept in whole machine units so that long files do not drift.
//
// Readers place points with Add and MarkLastAsColourBlock, or hand over their records with
// Stitch, ColourChange and End. The record form leaves out the zero-length tie stitches a writer
// puts around every colour change and at the end of each object (ours do, as machines expect):
// they sew nothing new, and read back as points they would be written again with ties of their
// own, so every import and export would add stitches to the design.
#pragma once
#include <algorithm>
#include <cstdint>

#include "formats/SideFile.h"
#include "stitching/SLStitch.h"

namespace nl {

class TImportBuilder {
public:
    // Points are placed from (x, y) in worksheet units; `colours` gives each colour block its colour.
    TImportBuilder(TSLStitch& target, TImportColours& colours, float x, float y)
        : target_(target), colours_(colours), x0_(x), y0_(y) {}

    // Moves the current position by (dx, dy) machine units (y downward) and adds a point there,
    // a plain point or one that starts a colour block with the next import colour.
    void Add(int64_t dx, int64_t dy, bool colourBlock) {
        mx_ += dx;
        my_ += dy;
        if (target_.Empty()) {
            minX_ = maxX_ = mx_;
            minY_ = maxY_ = my_;
        } else {
            minX_ = std::min(minX_, mx_), maxX_ = std::max(maxX_, mx_);
            minY_ = std::min(minY_, my_), maxY_ = std::max(maxY_, my_);
        }
        float x = static_cast<float>(x0_ + 2.0 * static_cast<double>(mx_));
        float y = static_cast<float>(y0_ + 2.0 * static_cast<double>(my_));
        auto& v = target_.Raw();
        if (colourBlock)
            v.push_back(TSP::Colour(SP_BOUNDARY, x, y, colours_.Next()));
        else
            v.push_back(TSP::Plain(SP_BOUNDARY, x, y));
    }
    // Adds a point that starts a colour block with a colour the file itself states.
    void AddColour(int64_t dx, int64_t dy, int32_t colour) {
        Add(dx, dy, false);
        TSP& p = target_.Raw().back();
        p = TSP::Colour(p.Flags, p.X, p.Y, colour);
    }
    // Whether the colours come from a side file beside the import file.
    bool HasSideFileColours() const { return colours_.HasSideFile(); }
    // Turns the last point into the start of a new colour block (a colour change that did not move).
    void MarkLastAsColourBlock() {
        TSP& p = target_.Raw().back();
        p = TSP::Colour(p.Flags, p.X, p.Y, colours_.Next());
    }
    bool HasPoints() const { return !target_.Empty(); }

    // A stitch record moving (dx, dy) machine units from the last point (y downward). The first
    // point starts a colour block. A stitch that does not move is held back until the next
    // record shows whether it is a tie: right after a colour change, or followed (over jumps
    // only) by a colour change or the end, it is dropped.
    void Stitch(int64_t dx, int64_t dy) {
        if (dx == 0 && dy == 0 && HasPoints()) {
            if (afterChange_) {
                afterChange_ = false; // the tie that opens a colour block
                return;
            }
            PlaceHeldTie(); // an earlier one was a stitch into the same hole
            heldTie_ = true;
            return;
        }
        PlaceHeldTie();
        afterChange_ = false;
        Add(dx, dy, !HasPoints());
    }
    // A colour change record; the position moves by (dx, dy) first (the jumps before it). A change
    // that does not move makes the last point the start of the new block, unless a held tie
    // shows that the writer had a point of its own there.
    void ColourChange(int64_t dx, int64_t dy) {
        const bool tie = heldTie_;
        heldTie_ = false;
        if (dx == 0 && dy == 0 && HasPoints() && !tie)
            MarkLastAsColourBlock();
        else
            Add(dx, dy, true);
        afterChange_ = true;
    }
    // The end record: a held tie closed the last object.
    void End() { heldTie_ = afterChange_ = false; }
    // The rectangle of the points placed so far (none placed: empty), rounded to whole units.
    TKvRect PointBounds() const {
        TKvRect r;
        r.empty = target_.Empty();
        if (!r.empty)
            r.SetRounded(static_cast<float>(x0_ + 2.0 * static_cast<double>(minX_)),
                         static_cast<float>(y0_ + 2.0 * static_cast<double>(minY_)),
                         static_cast<float>(x0_ + 2.0 * static_cast<double>(maxX_)),
                         static_cast<float>(y0_ + 2.0 * static_cast<double>(maxY_)));
        return r;
    }
    void Reserve(size_t n) { target_.Reserve(static_cast<int32_t>(std::min<size_t>(n, INT32_MAX))); }

private:
    void PlaceHeldTie() {
        if (!heldTie_) return;
        heldTie_ = false;
        Add(0, 0, false);
    }

    TSLStitch& target_;
    TImportColours& colours_;
    double x0_, y0_;
    int64_t mx_ = 0, my_ = 0;
    int64_t minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
    bool heldTie_ = false;     // a stitch that did not move, not placed yet
    bool afterChange_ = false; // the last record placed or marked a colour block
};

} // namespace nl
