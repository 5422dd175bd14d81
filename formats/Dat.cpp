#include "formats/Dat.h"

#include <string>

#include "core/Errors.h"
#include "formats/ImportBuilder.h"
#include "formats/SignedRecords.h"

namespace nl {

namespace {

// ---- writer ----

class TDatOut : public TSignedRecordOut {
public:
    explicit TDatOut(TRecordBytes& b) : TSignedRecordOut(b, {DAT_STITCH, DAT_JUMP, DAT_MAX_STEP}) {}

    // As Barudan's own files have it: the needle change on a record of its own, then the move to
    // the new colour as jumps, and the first needle drop of the new colour where they end. (A
    // stop, command 08, on the last step of the move would sew that step and reads as a stop,
    // not a change of needle.)
    void Change(int64_t block, int64_t dx, int64_t dy) {
        b_.Put(DatNeedle(NeedleOfBlock(block, DAT_NEEDLES)), 0, 0);
        Jumps(dx, dy);
        Record(DAT_STITCH, 0, 0);
    }
};

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
        throw TReadError("not a Barudan DAT file: its first control byte (" + HexByte(bytes[0]) +
                         ") lacks bit 7, as in the .dat files of other machines");
    ReadBarudanRecords(bytes, out);
}

void ReadBarudanRecords(std::span<const uint8_t> records, TImportBuilder& out) {
    out.Reserve(records.size() / 3);
    WalkSignedRecords(records, "Barudan", [&](size_t k, uint8_t command, int64_t& ax, int64_t& ay) {
        switch (command) {
        case 0x18: // the end
            return false;
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
            throw TReadError("record " + std::to_string(k) + " has the unknown command " + HexByte(command));
        }
        return true;
    });
    out.End();
}

} // namespace nl
