// Three-byte records whose control byte carries the signs of the move and the other two bytes its
// magnitudes, (control, |dy|, |dx|): Barudan DAT and Toyota 10O. The control byte has bit 7 set,
// 0x40 for a move down and 0x20 for a move left, and the format's command in its low bits.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "core/Errors.h"
#include "formats/RecordEmitter.h"
#include "formats/StepSplit.h"

namespace nl {

constexpr uint8_t SIGNED_RECORD_DY_DOWN = 0x40, SIGNED_RECORD_DX_LEFT = 0x20;

// What differs between the formats: the control bytes of a stitch and of a jump, and the largest
// step a record holds.
struct TSignedRecordCodes {
    uint8_t Stitch, Jump;
    int32_t MaxStep;
};

// The stitches and moves of TRecordEmitter's record writer; a format adds its Change.
class TSignedRecordOut {
public:
    TSignedRecordOut(TRecordBytes& b, TSignedRecordCodes codes) : b_(b), codes_(codes) {}

    void Travel(int64_t dx, int64_t dy) { Jumps(dx, dy); }
    // A long stitch: jumps for all steps but the last, which is sewn.
    void Stitch(int64_t dx, int64_t dy) {
        const int32_t m = codes_.MaxStep;
        if (dx >= -m && dx <= m && dy >= -m && dy <= m) [[likely]] {
            Record(codes_.Stitch, dx, dy);
            return;
        }
        SplitMove(dx, dy, m, [&](int32_t ex, int32_t ey, bool last) {
            Record(last ? codes_.Stitch : codes_.Jump, ex, ey);
        });
    }

protected:
    void Record(uint8_t control, int64_t dx, int64_t dy) {
        if (dx < 0) control |= SIGNED_RECORD_DX_LEFT, dx = -dx;
        if (dy < 0) control |= SIGNED_RECORD_DY_DOWN, dy = -dy;
        b_.Put(control, static_cast<uint8_t>(dy), static_cast<uint8_t>(dx));
    }
    void Jumps(int64_t dx, int64_t dy) {
        if (dx == 0 && dy == 0) return;
        SplitMove(dx, dy, codes_.MaxStep, [&](int32_t ex, int32_t ey, bool) { Record(codes_.Jump, ex, ey); });
    }

    TRecordBytes& b_;

private:
    TSignedRecordCodes codes_;
};

// Walks the whole records of `records` (a trailing partial record is left unread), adding each
// record's move to (ax, ay) (y downward) and handing its command (the control byte's low five
// bits) to `onCommand(k, command, ax, ay)`, which places the point and clears the sums when the
// command places one, and returns false to stop. Throws TReadError at a control byte without
// bit 7, naming `format`.
template <class F>
void WalkSignedRecords(std::span<const uint8_t> records, const char* format, F&& onCommand) {
    const size_t n = records.size() / 3;
    const uint8_t* p = records.data();
    int64_t ax = 0, ay = 0;
    for (size_t k = 0; k < n; ++k, p += 3) {
        const uint8_t c = p[0];
        if (!(c & 0x80))
            throw TReadError("record " + std::to_string(k) + " has the control byte " + HexByte(c) +
                             " without bit 7, which no " + format + " record lacks");
        ax += (c & SIGNED_RECORD_DX_LEFT) ? -static_cast<int64_t>(p[2]) : p[2];
        ay += (c & SIGNED_RECORD_DY_DOWN) ? static_cast<int64_t>(p[1]) : -static_cast<int64_t>(p[1]);
        if (!onCommand(k, static_cast<uint8_t>(c & 0x1F), ax, ay)) return;
    }
}

} // namespace nl
