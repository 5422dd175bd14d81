#include "formats/Toyota10o.h"

#include <cstdio>
#include <string>

#include "core/Errors.h"
#include "formats/ImportBuilder.h"
#include "formats/RecordEmitter.h"
#include "formats/StepSplit.h"

namespace nl {

namespace {

// ---- writer ----

class T10oOut {
public:
    explicit T10oOut(TRecordBytes& b) : b_(b) {}

    void Travel(int64_t dx, int64_t dy) { Jumps(dx, dy); }
    void Stitch(int64_t dx, int64_t dy) {
        if (dx >= -T10O_MAX_STEP && dx <= T10O_MAX_STEP && dy >= -T10O_MAX_STEP && dy <= T10O_MAX_STEP)
            [[likely]] {
            Record(T10O_STITCH, dx, dy);
            return;
        }
        SplitMove(dx, dy, T10O_MAX_STEP,
                  [&](int32_t ex, int32_t ey, bool last) { Record(last ? T10O_STITCH : T10O_JUMP, ex, ey); });
    }
    // The move to the new colour as jumps, the change, and the new colour's first needle drop.
    void Change(int64_t, int64_t dx, int64_t dy) {
        Jumps(dx, dy);
        b_.Put(T10O_COLOUR, 0, 0);
        Record(T10O_STITCH, 0, 0);
    }

private:
    void Record(uint8_t control, int64_t dx, int64_t dy) {
        if (dx < 0) control |= T10O_DX_LEFT, dx = -dx;
        if (dy < 0) control |= T10O_DY_DOWN, dy = -dy;
        b_.Put(control, static_cast<uint8_t>(dy), static_cast<uint8_t>(dx));
    }
    void Jumps(int64_t dx, int64_t dy) {
        if (dx == 0 && dy == 0) return;
        SplitMove(dx, dy, T10O_MAX_STEP, [&](int32_t ex, int32_t ey, bool) { Record(T10O_JUMP, ex, ey); });
    }

    TRecordBytes& b_;
};

std::string Hex2(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "0x%02X", v & 0xFF);
    return b;
}

} // namespace

std::vector<uint8_t> Write10o(const TExportPlan& plan, TExportState& state) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    TRecordBytes b(3 * static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)));
    b.Put(T10O_START, 0, 0);
    T10oOut out(b);
    TRecordEmitter<T10oOut> emitter(out, plan);
    RunObjectWalk(plan, emitter, state);
    b.Put(T10O_END, 0, 0);
    return b.Take();
}

void Read10o(std::span<const uint8_t> bytes, TImportBuilder& out) {
    if (bytes.size() < 3)
        throw TReadError("too short to be a Toyota 10O file (" + std::to_string(bytes.size()) + " bytes)");
    if (!(bytes[0] & 0x80))
        throw TReadError("not a Toyota 10O file: its first control byte (" + Hex2(bytes[0]) +
                         ") lacks bit 7");
    const size_t n = bytes.size() / 3; // a trailing partial record is left unread
    out.Reserve(n);
    const uint8_t* p = bytes.data();
    int64_t ax = 0, ay = 0; // displacement not yet placed, y downward
    for (size_t k = 0; k < n; ++k, p += 3) {
        const uint8_t c = p[0];
        if (!(c & 0x80))
            throw TReadError("record " + std::to_string(k) + " has the control byte " + Hex2(c) +
                             " without bit 7, which no 10O record lacks");
        const uint8_t command = c & 0x1F;
        if (command == 0x07) break; // the end
        ax += (c & T10O_DX_LEFT) ? -static_cast<int64_t>(p[2]) : p[2];
        ay += (c & T10O_DY_DOWN) ? static_cast<int64_t>(p[1]) : -static_cast<int64_t>(p[1]);
        switch (command) {
        case 0x00:
            out.Stitch(ax, ay);
            ax = ay = 0;
            break;
        case 0x10: // jump
        case 0x01: // trim
        case 0x02: // stop
        case 0x0A: // start
            break;
        case 0x05:
            // Other writers change first and then jump to the new colour, ours jump first: either
            // way the new colour starts at the next stitch.
            out.ChangeAtNextStitch();
            break;
        default:
            throw TReadError("record " + std::to_string(k) + " has the unknown command " + Hex2(command));
        }
    }
    out.End();
}

} // namespace nl
