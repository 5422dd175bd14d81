#include "formats/Xxx.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Colour.h"
#include "core/Errors.h"
#include "formats/ImportBuilder.h"
#include "formats/RecordEmitter.h"
#include "formats/StepSplit.h"

namespace nl {

namespace {

constexpr uint8_t kControl = 0x7F, kJump = 0x01, kTrim = 0x03, kChange = 0x08, kEnd = 0x7F, kEndAlt = 0x18;
constexpr uint8_t kLongMove = 0x7E, kLongMoveAlt = 0x7D;
// The end sequence, and the two bytes before the colour table's first entry.
constexpr uint8_t kEndSequence[] = {kControl, kEnd, 0x02, 0x14, 0x00, 0x00};
// Largest value of the header's 16-bit fields.
constexpr int64_t kMaxField = 32767;

// ---- writer ----

class TXxxOut {
public:
    explicit TXxxOut(TRecordBytes& b) : b_(b) {}

    void Travel(int64_t dx, int64_t dy) { Jumps(dx, dy); }
    void Stitch(int64_t dx, int64_t dy) {
        if (dx >= -XXX_MAX_STEP && dx <= XXX_MAX_STEP && dy >= -XXX_MAX_STEP && dy <= XXX_MAX_STEP)
            [[likely]] {
            Put(dx, dy);
            return;
        }
        SplitMove(dx, dy, XXX_MAX_STEP, [&](int32_t ex, int32_t ey, bool last) {
            if (last)
                Put(ex, ey);
            else
                Jump(ex, ey);
        });
    }
    // As the other writers of the format have it: the jumps, the change, and the new colour's
    // first needle drop where the jumps ended.
    void Change(int64_t, int64_t dx, int64_t dy) {
        Jumps(dx, dy);
        uint8_t* p = b_.Room(4);
        p[0] = kControl, p[1] = kChange, p[2] = 0, p[3] = 0;
        ++Records;
        Put(0, 0);
    }

    int64_t Records = 0;

private:
    void Put(int64_t dx, int64_t dy) {
        b_.Put(static_cast<uint8_t>(dx), static_cast<uint8_t>(dy));
        ++Records;
    }
    void Jump(int64_t dx, int64_t dy) {
        uint8_t* p = b_.Room(4);
        p[0] = kControl, p[1] = kJump, p[2] = static_cast<uint8_t>(dx), p[3] = static_cast<uint8_t>(dy);
        ++Records;
    }
    void Jumps(int64_t dx, int64_t dy) {
        if (dx == 0 && dy == 0) return;
        SplitMove(dx, dy, XXX_MAX_STEP, [&](int32_t ex, int32_t ey, bool) { Jump(ex, ey); });
    }

    TRecordBytes& b_;
};

void Put16(uint8_t* p, int64_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, int64_t v) {
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<uint8_t>(v >> (8 * k));
}

// ---- reader ----

int32_t Get16(std::span<const uint8_t> b, size_t at) {
    return static_cast<int16_t>(static_cast<uint16_t>(b[at] | b[at + 1] << 8));
}
uint32_t GetU32(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
int32_t S8(uint8_t v) {
    return static_cast<int8_t>(v);
}

constexpr size_t kNoEnd = SIZE_MAX;

// Decodes the records in [from, to) into the builder (only finds the end record when `Place` is
// false). Returns the offset of the end record, or kNoEnd when the records ran out first; a
// record cut short by `to` ends the reading as the end of the data would.
template <bool Place>
size_t DecodeRecords(std::span<const uint8_t> bytes, size_t from, size_t to, TImportBuilder* out) {
    const uint8_t* b = bytes.data();
    int64_t ax = 0, ay = 0; // displacement not yet placed, y downward
    size_t at = from;
    while (at < to) {
        const uint8_t b1 = b[at];
        if (b1 == kLongMove || b1 == kLongMoveAlt) {
            // A long move: 16-bit dx and dy, up positive.
            if (to - at < 5) break;
            ax += Get16(bytes, at + 1);
            ay -= Get16(bytes, at + 3);
            at += 5;
            continue;
        }
        if (b1 == kControl) {
            if (to - at < 2) break;
            const uint8_t b2 = b[at + 1];
            if (b2 == kEnd || b2 == kEndAlt) {
                if constexpr (Place) out->End();
                return at;
            }
            if (to - at < 4) break;
            ax += S8(b[at + 2]);
            ay -= S8(b[at + 3]);
            at += 4;
            // The displacement of every control record moves the needle without sewing: jumps
            // (01), trims (03) and records no reader knows alike. A colour change starts the new
            // colour at the next stitch.
            if constexpr (Place)
                if (b2 == kChange || (b2 >= 0x0A && b2 <= 0x17)) out->ChangeAtNextStitch();
            continue;
        }
        if (to - at < 2) break;
        if constexpr (Place) {
            out->Stitch(ax + S8(b1), ay - S8(b[at + 1]));
            ax = ay = 0;
        }
        at += 2;
    }
    if constexpr (Place) out->End();
    return kNoEnd;
}

const char* const kTooLarge = "the design is too large for a XXX file (more than 3.2 m across)";

} // namespace

std::vector<uint8_t> WriteXxx(const TExportPlan& plan, TExportState& state) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    // Refused before anything is written when the extent is clearly too large (it is rounded
    // once more than the needle points, so it may be one unit off), exactly after the walk.
    const TKvRect& e = plan.Extent;
    if (std::llround(e.Right / 2.0) - std::llround(e.Left / 2.0) > kMaxField + 1 ||
        std::llround(e.Bottom / 2.0) - std::llround(e.Top / 2.0) > kMaxField + 1)
        throw TError(kTooLarge);
    TRecordBytes b(XXX_HEADER_SIZE + 2 * static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)));
    b.Room(XXX_HEADER_SIZE); // zero bytes, filled in at the end
    TXxxOut out(b);
    TRecordEmitter<TXxxOut> emitter(out, plan);
    RunObjectWalk(plan, emitter, state);

    const int64_t width = emitter.MaxX - emitter.MinX, height = emitter.MaxY - emitter.MinY;
    if (width > kMaxField || height > kMaxField) throw TError(kTooLarge);
    const std::vector<int32_t>& colours = state.Colours;
    if (colours.size() > static_cast<size_t>(kMaxField))
        throw TError("a XXX file holds at most 32767 colour blocks, and this design has " +
                     std::to_string(colours.size()));
    const size_t end = b.Size(); // within RECORD_FILE_MAX_SIZE, so it fits the 32-bit field

    uint8_t* tail = b.Room(sizeof kEndSequence + 1 + 4 * colours.size());
    std::copy(std::begin(kEndSequence), std::end(kEndSequence), tail);
    tail[sizeof kEndSequence] = 0;
    // Each colour as R G B 0: read from two bytes after the end sequence, that is 0 R G B, as
    // the other writers of the format store it.
    uint8_t* c = tail + sizeof kEndSequence + 1;
    for (int32_t colour : colours) {
        c[0] = static_cast<uint8_t>(ColourR(colour)), c[1] = static_cast<uint8_t>(ColourG(colour));
        c[2] = static_cast<uint8_t>(ColourB(colour)), c[3] = 0;
        c += 4;
    }

    uint8_t* h = b.At(0);
    Put32(h + XXX_RECORDS_AT, std::min<int64_t>(out.Records, INT32_MAX));
    Put16(h + XXX_COLOURS_AT, static_cast<int64_t>(colours.size()));
    Put16(h + XXX_WIDTH_AT, width);
    Put16(h + XXX_HEIGHT_AT, height);
    // The last needle point from the start (the frame centre), y up.
    Put16(h + XXX_LAST_X_AT, static_cast<int64_t>(state.X) - plan.CentreX);
    Put16(h + XXX_LAST_Y_AT, static_cast<int64_t>(plan.CentreY) - state.Y);
    Put32(h + XXX_END_AT, static_cast<int64_t>(end));
    return b.Take();
}

void ReadXxx(std::span<const uint8_t> bytes, TImportBuilder& out) {
    const size_t size = bytes.size();
    if (size < XXX_HEADER_SIZE)
        throw TReadError("too short to be a XXX file (" + std::to_string(size) +
                         " bytes; the header alone takes 256)");
    // The records end where the header says the end sequence is, when that lies in the file;
    // otherwise at the end record or the end of the file.
    const uint32_t stated = GetU32(bytes, XXX_END_AT);
    const bool endKnown = stated >= XXX_HEADER_SIZE && stated <= size;
    const size_t limit = endKnown ? stated : size;
    if (!out.HasSideFileColours()) {
        const size_t end = endKnown ? stated : DecodeRecords<false>(bytes, XXX_HEADER_SIZE, size, nullptr);
        // The table starts two bytes after the four of the end sequence: 0 R G B per colour, as
        // many as the header counts and the file holds.
        const int32_t count = Get16(bytes, XXX_COLOURS_AT);
        if (end != kNoEnd && count > 0 && end + 6 <= size) {
            const size_t at = end + 6;
            const size_t n = std::min(static_cast<size_t>(count), (size - at) / 4);
            std::vector<int32_t> colours(n);
            for (size_t k = 0; k < n; ++k) {
                const uint8_t* e = bytes.data() + at + 4 * k;
                colours[k] = MakeColour(e[1], e[2], e[3]);
            }
            out.UseFileColours(std::move(colours));
        }
    }
    out.Reserve((limit - XXX_HEADER_SIZE) / 2);
    DecodeRecords<true>(bytes, XXX_HEADER_SIZE, limit, &out);
}

} // namespace nl
