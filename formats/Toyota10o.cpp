#include "formats/Toyota10o.h"

#include <string>

#include "core/Errors.h"
#include "formats/ImportBuilder.h"
#include "formats/SignedRecords.h"

namespace nl {

namespace {

// ---- writer ----

class T10oOut : public TSignedRecordOut {
public:
    explicit T10oOut(TRecordBytes& b) : TSignedRecordOut(b, {T10O_STITCH, T10O_JUMP, T10O_MAX_STEP}) {}

    // The move to the new colour as jumps, the change, and the new colour's first needle drop.
    void Change(int64_t, int64_t dx, int64_t dy) {
        Jumps(dx, dy);
        b_.Put(T10O_COLOUR, 0, 0);
        Record(T10O_STITCH, 0, 0);
    }
};

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
        throw TReadError("not a Toyota 10O file: its first control byte (" + HexByte(bytes[0]) +
                         ") lacks bit 7");
    out.Reserve(bytes.size() / 3);
    WalkSignedRecords(bytes, "10O", [&](size_t k, uint8_t command, int64_t& ax, int64_t& ay) {
        switch (command) {
        case 0x07: // the end
            return false;
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
            throw TReadError("record " + std::to_string(k) + " has the unknown command " + HexByte(command));
        }
        return true;
    });
    out.End();
}

} // namespace nl
