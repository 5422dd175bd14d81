#include "formats/Exp.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/Errors.h"
#include "formats/ImportBuilder.h"
#include "formats/StepSplit.h"

namespace nl {

namespace {

// ---- writer ----

// Writes the records of one object. It lives on the stack with a copy of the fill: the records
// are stored through a byte pointer, which the compiler must assume may alias any memory, so a
// fill kept in a longer-lived object would be reloaded after every byte; a local one stays in
// registers.
class TRecordOut {
public:
    TRecordOut(std::vector<uint8_t>& buf, size_t& used, uint8_t jumpCode)
        : buf_(buf), usedOut_(used), used_(used), data_(buf.data()), cap_(buf.size()), jump_(jumpCode) {}
    ~TRecordOut() { usedOut_ = used_; }
    TRecordOut(const TRecordOut&) = delete;
    TRecordOut& operator=(const TRecordOut&) = delete;

    // Room for `n` more bytes; every short move with its colour change and ties fits in 16.
    void Room(size_t n) {
        if (used_ + n > cap_) [[unlikely]]
            Grow(n);
    }
    void Stitch(int64_t dx, int64_t dy) {
        uint8_t* p = data_ + used_;
        p[0] = static_cast<uint8_t>(dx);
        p[1] = static_cast<uint8_t>(dy);
        used_ += 2;
    }
    void Command(uint8_t code, int64_t dx, int64_t dy) {
        uint8_t* p = data_ + used_;
        p[0] = TWO_BYTE_ESCAPE;
        p[1] = code;
        p[2] = static_cast<uint8_t>(dx);
        p[3] = static_cast<uint8_t>(dy);
        used_ += 4;
    }
    // A stitch by (dx, dy), dy positive up; a longer one than a record holds is equal steps,
    // jumps but the last.
    void Move(int64_t dx, int64_t dy) {
        if (Fits(dx, dy)) [[likely]]
            Stitch(dx, dy);
        else
            LongMove(dx, dy, false);
    }
    // The needle travels by (dx, dy) without sewing: jumps only, none for no move.
    void Jumps(int64_t dx, int64_t dy) {
        if (dx == 0 && dy == 0) return;
        if (Fits(dx, dy))
            Command(jump_, dx, dy);
        else
            LongMove(dx, dy, true);
    }

private:
    static bool Fits(int64_t dx, int64_t dy) {
        return dx >= -TWO_BYTE_MAX_STEP && dx <= TWO_BYTE_MAX_STEP && dy >= -TWO_BYTE_MAX_STEP &&
               dy <= TWO_BYTE_MAX_STEP;
    }
    [[gnu::noinline]] void LongMove(int64_t dx, int64_t dy, bool jumpsOnly) {
        Room(4 * static_cast<size_t>(StepCount(dx, dy, TWO_BYTE_MAX_STEP)) + 16);
        SplitMove(dx, dy, TWO_BYTE_MAX_STEP, [&](int32_t ex, int32_t ey, bool last) {
            if (last && !jumpsOnly)
                Stitch(ex, ey);
            else
                Command(jump_, ex, ey);
        });
    }
    [[gnu::noinline]] void Grow(size_t n) {
        buf_.resize(std::max(cap_ * 2, used_ + n));
        data_ = buf_.data();
        cap_ = buf_.size();
    }

    std::vector<uint8_t>& buf_;
    size_t& usedOut_;
    size_t used_;
    uint8_t* data_;
    size_t cap_;
    uint8_t jump_;
};

class TTwoByteEmitter : public TEmitter {
public:
    TTwoByteEmitter(std::vector<uint8_t>& buf, size_t used, uint8_t jumpCode, const char* formatName,
                    const TExportPlan& plan)
        : buf_(buf), used_(used), jump_(jumpCode), format_(formatName), plan_(plan) {
        ext_.MinX = ext_.MaxX = plan.CentreX;
        ext_.MinY = ext_.MaxY = plan.CentreY;
    }

    void EmitObject(const TEmitList& list, TExportState& st) override {
        const size_t n = list.Count();
        if (n == 0) return; // the plan never hands over an empty object
        if (st.First) {
            const TSP& p0 = list[0];
            // The first block always gets its colour, or every later colour would shift.
            st.Colours.push_back(IsColourChange(p0) ? p0.ColourOrLink : FirstBlockColour(list));
            st.X = plan_.CentreX;
            st.Y = plan_.CentreY;
        }
        TRecordOut out(buf_, used_, jump_);
        TTwoByteExtremes e = ext_;
        int64_t px = st.X, py = st.Y;
        bool first = st.First, suppress = st.Suppress;
        if (first) {
            // From the frame centre to the design start the needle travels: jumps, not a stitch.
            const int64_t x = Check(list[0].X, plan_.CentreX), y = Check(list[0].Y, plan_.CentreY);
            out.Jumps(x - px, py - y);
            px = x;
            py = y;
        }
        for (size_t i = 0; i < n; ++i) {
            const TSP& p = list[i];
            const int64_t x = Check(p.X, plan_.CentreX), y = Check(p.Y, plan_.CentreY);
            e.MinX = std::min(e.MinX, x), e.MaxX = std::max(e.MaxX, x);
            e.MinY = std::min(e.MinY, y), e.MaxY = std::max(e.MaxY, y);
            const TColourStep step = ColourStepAt(p, i, first, suppress, st);
            const bool change = step == TColourStep::Change,
                       after = step == TColourStep::Suppressed && i == 0;
            first = false;
            out.Room(16);
            if (change) {
                // The old thread is tied off and changed before the needle travels, so none of
                // it is laid along the move; the new colour starts at the block's first point.
                if (i > 0) out.Stitch(0, 0);
                out.Command(TWO_BYTE_COLOUR, 0, 0);
                out.Jumps(x - px, py - y);
                out.Stitch(0, 0);
            } else {
                out.Move(x - px, py - y);
                if (after) out.Stitch(0, 0);
            }
            px = x;
            py = y;
        }
        out.Room(2);
        out.Stitch(0, 0);
        ext_ = e;
        st.X = static_cast<int32_t>(px);
        st.Y = static_cast<int32_t>(py);
        st.First = false;
        st.Suppress = suppress;
    }

    size_t Used() const { return used_; }
    const TTwoByteExtremes& Extremes() const { return ext_; }

private:
    // Machine units of a coordinate, refusing a design that lies absurdly far from its centre.
    int64_t Check(float c, int32_t centre) const {
        const int64_t v = MachineUnits(c);
        if (std::abs(v - centre) > TWO_BYTE_MAX_DISTANCE)
            throw TError(std::string("the design is too large for a ") + format_ +
                         " file (more than 10 m from its centre)");
        return v;
    }
    static int32_t FirstBlockColour(const TEmitList& list) {
        for (size_t i = 0; i < list.Count(); ++i)
            if (IsColourChange(list[i])) return list[i].ColourOrLink;
        return 0;
    }

    std::vector<uint8_t>& buf_;
    size_t used_;
    uint8_t jump_;
    const char* format_;
    const TExportPlan& plan_;
    TTwoByteExtremes ext_;
};

// ---- reader ----

constexpr TEscapeTable MakeExpEscapes() {
    TEscapeTable t{};
    t[TWO_BYTE_COLOUR] = TEscape::Colour;
    t[EXP_OLD_JUMP] = TEscape::Jump;
    t[EXP_JUMP] = TEscape::Jump;
    t[EXP_TRIM] = TEscape::Trim;
    return t;
}
constexpr TEscapeTable kExpEscapes = MakeExpEscapes();

} // namespace

TTwoByteExtremes WriteTwoByteRecords(const TExportPlan& plan, TExportState& state, uint8_t jumpCode,
                                     const char* formatName, std::vector<uint8_t>& out) {
    const size_t start = out.size();
    out.resize(start + 2 * static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)) + 64);
    TTwoByteEmitter emitter(out, start, jumpCode, formatName, plan);
    RunObjectWalk(plan, emitter, state);
    out.resize(emitter.Used());
    return emitter.Extremes();
}

TRecordsStop ReadTwoByteRecords(std::span<const uint8_t> records, const TEscapeTable& escapes,
                                TImportBuilder& out) {
    const uint8_t* const begin = records.data();
    const uint8_t* const end = begin + records.size();
    const uint8_t* p = begin;
    out.Reserve(records.size() / 2);
    int64_t ax = 0, ay = 0; // jumps not yet placed, y downward
    bool change = false;    // a colour change waits for its first needle point
    while (end - p >= 2) {
        const uint8_t b1 = p[0], b2 = p[1];
        if (b1 != TWO_BYTE_ESCAPE) [[likely]] {
            p += 2;
            if (change) {
                out.ColourChange(ax, ay);
                ax = ay = 0;
                change = false;
            }
            out.Stitch(ax + static_cast<int8_t>(b1), ay - static_cast<int8_t>(b2));
            ax = ay = 0;
            continue;
        }
        const TEscape e = escapes[b2];
        if (e == TEscape::End || e == TEscape::Unknown) {
            out.End();
            return {e == TEscape::End ? TRecordsEnd::EndRecord : TRecordsEnd::UnknownCommand,
                    static_cast<size_t>(p - begin)};
        }
        if (end - p < 4) break;
        const int8_t dx = static_cast<int8_t>(p[2]), dy = static_cast<int8_t>(p[3]);
        p += 4;
        if (e == TEscape::Trim) continue; // the jumps around it carry the move
        ax += dx;
        ay -= dy;
        change = change || e == TEscape::Colour;
    }
    out.End();
    return {TRecordsEnd::EndOfData, records.size()};
}

std::vector<uint8_t> WriteExp(const TExportPlan& plan, TExportState& state) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    std::vector<uint8_t> out;
    WriteTwoByteRecords(plan, state, EXP_JUMP, "Melco", out);
    return out;
}

void ReadExp(std::span<const uint8_t> bytes, TImportBuilder& out) {
    ReadTwoByteRecords(bytes, kExpEscapes, out);
}

} // namespace nl
