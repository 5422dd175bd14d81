// The object emitter of the formats whose files are a plain run of move records (XXX, DAT, 10O
// and KSM): the colour-block decisions and the tie stitches are made here once, the records are
// the format's. What it writes is what the record readers of ImportBuilder.h take apart again, so
// that a file read back and written again is the same file:
//   - the first object starts with a travel from the frame centre to its first point (jumps: no
//     thread is laid), then a stitch that does not move there, the first needle drop;
//   - a colour change is a stitch that does not move (a tie, except at an object's first point,
//     which the object before has tied off), then the format's change with the connecting move
//     as jumps, so no thread of the old colour is dragged along it, ending in the needle drop
//     that starts the new colour;
//   - every other point is a stitch (a long one: jumps, then the last step sewn);
//   - every object ends with a stitch that does not move.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/Errors.h"
#include "formats/ExportWalk.h"

namespace nl {

// TOut writes the records (dy positive up):
//   Travel(dx, dy)          a move without sewing, from the frame centre to the first point;
//   Stitch(dx, dy)          a stitch, split into steps the format's records hold;
//   Change(block, dx, dy)   a colour change to block `block` (1 is the first block, so the
//                           first change is to block 2), the connecting move as jumps, and the
//                           needle drop at its end.
template <class TOut> class TRecordEmitter final : public TEmitter {
public:
    TRecordEmitter(TOut& out, const TExportPlan& plan) : out_(out), plan_(plan) {}

    void EmitObject(const TEmitList& list, TExportState& st) override {
        const size_t n = list.Count();
        if (n == 0) return; // the plan never hands over an empty object
        bool first = st.First, suppress = st.Suppress;
        int64_t px = st.X, py = st.Y;
        if (first) {
            const TSP& p0 = list[0];
            // The first block always has its colour, or every later colour would shift.
            st.Colours.push_back(IsColourChange(p0) ? p0.ColourOrLink : FirstBlockColour(list));
            px = plan_.CentreX;
            py = plan_.CentreY;
            const int64_t x = MachineUnits(p0.X), y = MachineUnits(p0.Y);
            MinX = MaxX = x;
            MinY = MaxY = y;
            out_.Travel(x - px, py - y);
            px = x;
            py = y;
        }
        for (size_t i = 0; i < n; ++i) {
            const TSP& p = list[i];
            const int64_t x = MachineUnits(p.X), y = MachineUnits(p.Y);
            MinX = std::min(MinX, x), MaxX = std::max(MaxX, x);
            MinY = std::min(MinY, y), MaxY = std::max(MaxY, y);
            const TColourStep step = ColourStepAt(p, i, first, suppress, st);
            const bool change = step == TColourStep::Change,
                       after = step == TColourStep::Suppressed && i == 0;
            first = false;
            if (change) {
                if (i > 0) out_.Stitch(0, 0);
                out_.Change(static_cast<int64_t>(st.Colours.size()), x - px, py - y);
            } else {
                out_.Stitch(x - px, py - y);
                if (after) out_.Stitch(0, 0);
            }
            px = x;
            py = y;
        }
        out_.Stitch(0, 0);
        st.X = static_cast<int32_t>(px);
        st.Y = static_cast<int32_t>(py);
        st.First = false;
        st.Suppress = suppress;
    }

    // Extremes of the needle points written, machine units (y downward, as the plan's centre).
    int64_t MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;

private:
    static int32_t FirstBlockColour(const TEmitList& list) {
        for (size_t i = 0; i < list.Count(); ++i)
            if (IsColourChange(list[i])) return list[i].ColourOrLink;
        return 0;
    }

    TOut& out_;
    const TExportPlan& plan_;
};

// Largest file the record writers make: the largest stitch file the import reads. Far beyond any
// machine's memory; it stops a design whose moves are long and many (as a few kilobytes of long
// moves can describe) from being split into gigabytes of steps.
constexpr size_t RECORD_FILE_MAX_SIZE = size_t{64} << 20;

// The bytes of a file being written. Room is made ahead in large pieces, so a record costs a
// bounds check, not a reallocation. Throws TError when the file would grow past
// RECORD_FILE_MAX_SIZE.
class TRecordBytes {
public:
    explicit TRecordBytes(size_t expected) : buf_(std::min(expected + 64, RECORD_FILE_MAX_SIZE)) {}

    uint8_t* Room(size_t n) {
        if (used_ + n > buf_.size()) [[unlikely]]
            Grow(n);
        uint8_t* p = buf_.data() + used_;
        used_ += n;
        return p;
    }
    void Put(uint8_t a, uint8_t b) {
        uint8_t* p = Room(2);
        p[0] = a, p[1] = b;
    }
    void Put(uint8_t a, uint8_t b, uint8_t c) {
        uint8_t* p = Room(3);
        p[0] = a, p[1] = b, p[2] = c;
    }
    size_t Size() const { return used_; }
    uint8_t* At(size_t offset) { return buf_.data() + offset; }
    std::vector<uint8_t> Take() {
        buf_.resize(used_);
        return std::move(buf_);
    }

private:
    [[gnu::noinline]] void Grow(size_t n) {
        if (used_ + n > RECORD_FILE_MAX_SIZE)
            throw TError("the design needs more records than a file of this format may hold (over 64 MB)");
        buf_.resize(std::min(std::max(2 * buf_.size(), used_ + n) + 64, RECORD_FILE_MAX_SIZE));
    }

    std::vector<uint8_t> buf_;
    size_t used_ = 0;
};

// A needle for colour block `block` (1, 2, ...) on a machine with `needles` needles: the first
// block sews with needle 1, and the needles are used in turn, so two blocks one after the other
// never share one.
inline int32_t NeedleOfBlock(int64_t block, int32_t needles) {
    return static_cast<int32_t>((std::max<int64_t>(block, 1) - 1) % needles) + 1;
}

} // namespace nl
