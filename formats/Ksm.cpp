#include "formats/Ksm.h"

#include <string>

#include "core/Errors.h"
#include "formats/ImportBuilder.h"
#include "formats/RecordEmitter.h"
#include "formats/StepSplit.h"

namespace nl {

namespace {

// ---- writer ----

// Readers apply a record's displacement before its command, so a command on a record that also
// moves would sew that move: every command is written on a record of its own that does not move.
class TKsmOut {
public:
    explicit TKsmOut(TRecordBytes& b) : b_(b) {}

    void Travel(int64_t dx, int64_t dy) {
        Command(KSM_SEW_OFF);
        Steps(dx, dy);
        Command(KSM_SEW_ON);
    }
    // A long stitch: sewing off for all steps but the last, which is sewn.
    void Stitch(int64_t dx, int64_t dy) {
        if (dx >= -KSM_MAX_STEP && dx <= KSM_MAX_STEP && dy >= -KSM_MAX_STEP && dy <= KSM_MAX_STEP)
            [[likely]] {
            Record(dx, dy);
            return;
        }
        Command(KSM_SEW_OFF);
        SplitMove(dx, dy, KSM_MAX_STEP, [&](int32_t ex, int32_t ey, bool last) {
            if (last) Command(KSM_SEW_ON);
            Record(ex, ey);
        });
    }
    // The needle change (sewing goes off with it), the move to the new colour, sewing on, and
    // the new colour's first needle drop.
    void Change(int64_t block, int64_t dx, int64_t dy) {
        Command(KsmNeedle(NeedleOfBlock(block, KSM_NEEDLES)));
        Steps(dx, dy);
        Command(KSM_SEW_ON);
        Record(0, 0);
    }
    void Command(uint8_t control) { b_.Put(0, 0, control); }

private:
    void Record(int64_t dx, int64_t dy) {
        uint8_t control = KSM_PLAIN;
        if (dx < 0) control |= KSM_DX_LEFT, dx = -dx;
        if (dy < 0) control |= KSM_DY_DOWN, dy = -dy;
        b_.Put(static_cast<uint8_t>(dy), static_cast<uint8_t>(dx), control);
    }
    void Steps(int64_t dx, int64_t dy) {
        if (dx == 0 && dy == 0) return;
        SplitMove(dx, dy, KSM_MAX_STEP, [&](int32_t ex, int32_t ey, bool) { Record(ex, ey); });
    }

    TRecordBytes& b_;
};

} // namespace

std::vector<uint8_t> WriteKsm(const TExportPlan& plan, TExportState& state) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    TRecordBytes b(KSM_HEADER_SIZE + 3 * static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)));
    b.Room(KSM_HEADER_SIZE); // zeros
    TKsmOut out(b);
    TRecordEmitter<TKsmOut> emitter(out, plan);
    RunObjectWalk(plan, emitter, state);
    out.Command(KSM_END);
    return b.Take();
}

void ReadKsm(std::span<const uint8_t> bytes, TImportBuilder& out) {
    if (bytes.size() < KSM_HEADER_SIZE)
        throw TReadError("too short to be a Pfaff KSM file (" + std::to_string(bytes.size()) +
                         " bytes; the header alone takes 512)");
    const size_t n = (bytes.size() - KSM_HEADER_SIZE) / 3; // a trailing partial record is left unread
    out.Reserve(n);
    const uint8_t* p = bytes.data() + KSM_HEADER_SIZE;
    int64_t ax = 0, ay = 0; // displacement not yet placed, y downward
    bool sewing = false;
    for (size_t k = 0; k < n; ++k, p += 3) {
        const uint8_t c = p[2], command = c & 0x1F;
        // The displacement comes first: sewn while sewing is on, a move while it is off.
        ax += (c & KSM_DX_LEFT) ? -static_cast<int64_t>(p[1]) : p[1];
        ay += (c & KSM_DY_DOWN) ? static_cast<int64_t>(p[0]) : -static_cast<int64_t>(p[0]);
        if (sewing && (command == 0 || p[0] || p[1])) {
            out.Stitch(ax, ay);
            ax = ay = 0;
        }
        switch (command) {
        case 0x00:
        case 0x05: // stop
            break;
        case 0x07: // sewing off (trims)
        case 0x13:
        case 0x1D:
            sewing = false;
            break;
        case 0x17: // sewing on
        case 0x18:
        case 0x19:
            sewing = true;
            break;
        case 0x1B:
            // The colour change of files that put it after the stitch to the new colour's first
            // point: that point starts the new colour; sewing goes on.
            out.ColourChange(ax, ay);
            ax = ay = 0;
            sewing = true;
            break;
        case 0x08:
            out.End();
            return;
        default:
            if (command >= 0x0B && command <= 0x12) {
                // A needle change: sewing stops until switched on, and the new colour starts at
                // the next stitch.
                out.ChangeAtNextStitch();
                sewing = false;
                break;
            }
            throw TReadError("record " + std::to_string(k) + " (at offset " +
                             std::to_string(KSM_HEADER_SIZE + 3 * k) + ") has the unknown command " +
                             HexByte(command));
        }
    }
    out.End();
}

} // namespace nl
