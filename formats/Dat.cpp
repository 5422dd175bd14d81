#include "formats/Dat.h"

#include <cstdio>
#include <string>

#include "core/Errors.h"
#include "formats/ImportBuilder.h"
#include "formats/RecordEmitter.h"
#include "formats/StepSplit.h"

namespace nl {

namespace {

// ---- writer ----

class TDatOut {
public:
    explicit TDatOut(TRecordBytes& b) : b_(b) {}

    void Travel(int64_t dx, int64_t dy) { Jumps(dx, dy); }
    void Stitch(int64_t dx, int64_t dy) {
        if (dx >= -DAT_MAX_STEP && dx <= DAT_MAX_STEP && dy >= -DAT_MAX_STEP && dy <= DAT_MAX_STEP)
            [[likely]] {
            Record(DAT_STITCH, dx, dy);
            return;
        }
        SplitMove(dx, dy, DAT_MAX_STEP,
                  [&](int32_t ex, int32_t ey, bool last) { Record(last ? DAT_STITCH : DAT_JUMP, ex, ey); });
    }
    // As Barudan's own files have it: the needle change on a record of its own, then the move to
    // the new colour as jumps, and the first needle drop of the new colour where they end. (A
    // stop, command 08, on the last step of the move would sew that step and reads as a stop,
    // not a change of needle.)
    void Change(int64_t block, int64_t dx, int64_t dy) {
        b_.Put(DatNeedle(NeedleOfBlock(block, DAT_NEEDLES)), 0, 0);
        Jumps(dx, dy);
        Record(DAT_STITCH, 0, 0);
    }

private:
    void Record(uint8_t control, int64_t dx, int64_t dy) {
        if (dx < 0) control |= DAT_DX_LEFT, dx = -dx;
        if (dy < 0) control |= DAT_DY_DOWN, dy = -dy;
        b_.Put(control, static_cast<uint8_t>(dy), static_cast<uint8_t>(dx));
    }
    void Jumps(int64_t dx, int64_t dy) {
        if (dx == 0 && dy == 0) return;
        SplitMove(dx, dy, DAT_MAX_STEP, [&](int32_t ex, int32_t ey, bool) { Record(DAT_JUMP, ex, ey); });
    }

    TRecordBytes& b_;
};

std::string Hex2(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "0x%02X", v & 0xFF);
    return b;
}

} // namespace

std::vector<uint8_t> WriteDat(const TExportPlan& plan, TExportState& state) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    TRecordBytes b(3 * static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)));
    TDatOut out(b);
    TRecordEmitter<TDatOut> emitter(out, plan);
    RunObjectWalk(plan, emitter, state);
    b.Put(DAT_END, 0, 0);
    return b.Take();
}

void ReadDat(std::span<const uint8_t> bytes, TImportBuilder& out) {
    if (bytes.size() < 3)
        throw TReadError("too short to be a Barudan DAT file (" + std::to_string(bytes.size()) + " bytes)");
    if (!(bytes[0] & 0x80))
        throw TReadError("not a Barudan DAT file: its first control byte (" + Hex2(bytes[0]) +
                         ") lacks bit 7, as in the .dat files of other machines");
    ReadBarudanRecords(bytes, out);
}

void ReadBarudanRecords(std::span<const uint8_t> records, TImportBuilder& out) {
    const size_t n = records.size() / 3; // a trailing partial record is left unread
    out.Reserve(n);
    const uint8_t* p = records.data();
    int64_t ax = 0, ay = 0; // displacement not yet placed, y downward
    for (size_t k = 0; k < n; ++k, p += 3) {
        const uint8_t c = p[0];
        if (!(c & 0x80))
            throw TReadError("record " + std::to_string(k) + " has the control byte " + Hex2(c) +
                             " without bit 7, which no Barudan record lacks");
        const uint8_t command = c & 0x1F;
        if (command == 0x18) break; // the end
        ax += (c & DAT_DX_LEFT) ? -static_cast<int64_t>(p[2]) : p[2];
        ay += (c & DAT_DY_DOWN) ? static_cast<int64_t>(p[1]) : -static_cast<int64_t>(p[1]);
        switch (command) {
        case 0x00: // stitch
        case 0x02: // fast, stitch
        case 0x04: // slow, stitch
            out.Stitch(ax, ay);
            ax = ay = 0;
            break;
        case 0x01: // jump
        case 0x03: // fast, jump
        case 0x05: // slow, jump
        case 0x06: // trim, then the move
        case 0x07:
            break;
        case 0x08:
            // A stop after the move, as files written by the rule of putting the colour change
            // on the move's last record have it: the needle point there starts the new colour.
            out.ColourChange(ax, ay);
            ax = ay = 0;
            break;
        default:
            if (command >= 0x09 && command <= 0x17) {
                // A needle change: the new colour starts at the next stitch, after the moves.
                out.ChangeAtNextStitch();
                break;
            }
            throw TReadError("record " + std::to_string(k) + " has the unknown command " + Hex2(command));
        }
    }
    out.End();
}

} // namespace nl
