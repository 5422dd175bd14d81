#include "formats/Dst.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Errors.h"
#include "core/Numeric.h"
#include "formats/ImportBuilder.h"

namespace nl {

namespace {

// ---- record codec ----

// Bit of each balanced-ternary digit: [axis][power index][sign] -> (byte, mask); powers 1, 3,
// 9, 27, 81; sign 0 = +, 1 = -.
struct TDigitBit {
    uint8_t Byte, Mask;
};
constexpr TDigitBit kXBits[5][2] = {{{0, 0x01}, {0, 0x02}},
                                    {{1, 0x01}, {1, 0x02}},
                                    {{0, 0x04}, {0, 0x08}},
                                    {{1, 0x04}, {1, 0x08}},
                                    {{2, 0x04}, {2, 0x08}}};
constexpr TDigitBit kYBits[5][2] = {{{0, 0x80}, {0, 0x40}},
                                    {{1, 0x80}, {1, 0x40}},
                                    {{0, 0x20}, {0, 0x10}},
                                    {{1, 0x20}, {1, 0x10}},
                                    {{2, 0x20}, {2, 0x10}}};
constexpr int kPowers[5] = {1, 3, 9, 27, 81};

using TAxisTable = std::array<std::array<uint8_t, 3>, 2 * DST_MAX_STEP + 1>;

// Balanced ternary is unique, so taking the digits from the lowest power up gives the same digits
// as choosing them from the largest power down.
constexpr TAxisTable MakeAxisTable(const TDigitBit (&bits)[5][2]) {
    TAxisTable t{};
    for (int v = -DST_MAX_STEP; v <= DST_MAX_STEP; ++v) {
        std::array<uint8_t, 3> rec{};
        int rest = v;
        for (int k = 0; k < 5; ++k) {
            int r = ((rest % 3) + 3) % 3;
            if (r == 1) {
                rec[bits[k][0].Byte] |= bits[k][0].Mask;
                rest -= 1;
            } else if (r == 2) {
                rec[bits[k][1].Byte] |= bits[k][1].Mask;
                rest += 1;
            }
            rest /= 3;
        }
        t[static_cast<size_t>(v + DST_MAX_STEP)] = rec;
    }
    return t;
}
constexpr TAxisTable kXTable = MakeAxisTable(kXBits);
constexpr TAxisTable kYTable = MakeAxisTable(kYBits);

// Displacement carried by each value of each record byte: [byte][value] -> (dx, dy).
struct TByteValue {
    int8_t Dx, Dy;
};
using TDecodeTable = std::array<std::array<TByteValue, 256>, 3>;
constexpr TDecodeTable MakeDecodeTable() {
    TDecodeTable t{};
    for (int b = 0; b < 3; ++b)
        for (int v = 0; v < 256; ++v) {
            int dx = 0, dy = 0;
            for (int k = 0; k < 5; ++k) {
                for (int s = 0; s < 2; ++s) {
                    int sign = s == 0 ? 1 : -1;
                    if (kXBits[k][s].Byte == b && (v & kXBits[k][s].Mask)) dx += sign * kPowers[k];
                    if (kYBits[k][s].Byte == b && (v & kYBits[k][s].Mask)) dy += sign * kPowers[k];
                }
            }
            t[static_cast<size_t>(b)][static_cast<size_t>(v)] = {static_cast<int8_t>(dx),
                                                                 static_cast<int8_t>(dy)};
        }
    return t;
}
constexpr TDecodeTable kDecode = MakeDecodeTable();

} // namespace

void EncodeDstRecord(int32_t dx, int32_t dy, uint8_t flags, uint8_t out[3]) {
    const auto& x = kXTable[static_cast<size_t>(dx + DST_MAX_STEP)];
    const auto& y = kYTable[static_cast<size_t>(dy + DST_MAX_STEP)];
    out[0] = x[0] | y[0];
    out[1] = x[1] | y[1];
    out[2] = static_cast<uint8_t>(x[2] | y[2] | flags);
}

void DecodeDstRecord(const uint8_t rec[3], int32_t& dx, int32_t& dy) {
    const TByteValue a = kDecode[0][rec[0]], b = kDecode[1][rec[1]], c = kDecode[2][rec[2]];
    dx = a.Dx + b.Dx + c.Dx;
    dy = a.Dy + b.Dy + c.Dy;
}

namespace {

// ---- writer ----

// Largest distance from the start a header extent field (five digits) can state.
constexpr int32_t kMaxExtent = 99999;

// Where the writing stands: bytes used, counts, and the position (y up) with its extremes.
struct TDstCursor {
    size_t Used = 0;
    int64_t Records = 0, Changes = 0;
    int32_t X = 0, Y = 0, MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
};

// The file being written: header, record bytes, and the cursor between objects.
class TDstWriter {
public:
    explicit TDstWriter(size_t expectedRecords) : Buf(DST_HEADER_SIZE + 3 * expectedRecords + 16) {}

    void Header(int64_t stitchTotal) {
        std::memset(Buf.data(), ' ', DST_HEADER_SIZE);
        Cursor.Used = DST_HEADER_SIZE;
        Put(0, "LA:");
        Buf[19] = '\r';
        Put(20, "ST:" + Digits(stitchTotal, 7) + "\r");
        Put(31, "CO:000\r");
        Put(38, "+X:00000\r-X:00000\r+Y:00000\r-Y:00000\r");
        Put(74, "AX:+    0\rAY:+    0\rMX:+    0\rMY:+    0\rPD:******\r");
        Buf[124] = 0x1A;
    }

    void Start(int32_t x, int32_t y) {
        Cursor.X = X0 = Cursor.MinX = Cursor.MaxX = x;
        Cursor.Y = Y0 = Cursor.MinY = Cursor.MaxY = y;
    }

    std::vector<uint8_t> Finish() {
        const TDstCursor& c = Cursor;
        Buf.resize(c.Used);
        Buf.insert(Buf.end(), {0, 0, DST_END, 0x1A});
        Put(20, "ST:" + Digits(c.Records + 1, 7));
        Put(31, "CO:" + Digits(c.Changes, 3));
        Put(38, "+X:" + Digits(c.MaxX - X0, 5));
        Put(47, "-X:" + Digits(X0 - c.MinX, 5));
        Put(56, "+Y:" + Digits(c.MaxY - Y0, 5));
        Put(65, "-Y:" + Digits(Y0 - c.MinY, 5));
        Put(74, "AX:" + Signed(c.X - X0));
        Put(84, "AY:" + Signed(c.Y - Y0));
        return std::move(Buf);
    }

    std::vector<uint8_t> Buf;
    TDstCursor Cursor;
    int32_t X0 = 0, Y0 = 0; // the start: the design centre

private:
    void Put(size_t at, const std::string& s) { std::memcpy(Buf.data() + at, s.data(), s.size()); }
    // Zero-filled decimal in exactly `width` characters; a value too large for the field is
    // written as the largest the field holds instead of running into the next field.
    static std::string Digits(int64_t v, int width) {
        int64_t cap = 1;
        for (int i = 0; i < width; ++i)
            cap *= 10;
        v = std::clamp<int64_t>(v, 0, cap - 1);
        char b[24];
        std::snprintf(b, sizeof b, "%0*lld", width, static_cast<long long>(v));
        return b;
    }
    static std::string Signed(int64_t v) {
        v = std::clamp<int64_t>(v, -kMaxExtent, kMaxExtent);
        char b[24];
        std::snprintf(b, sizeof b, "%c%5lld", v < 0 ? '-' : '+', static_cast<long long>(v < 0 ? -v : v));
        return b;
    }
};

// Writes records for one object. It lives on the stack with a copy of the cursor: the record
// bytes are stored through a byte pointer, which the compiler must assume may alias any memory,
// so a cursor kept in the writer would be reloaded after every byte; a local one stays in registers.
class TDstOut {
public:
    explicit TDstOut(TDstWriter& w) : w_(w), c_(w.Cursor), data_(w.Buf.data()), cap_(w.Buf.size()) {}
    ~TDstOut() { w_.Cursor = c_; }
    TDstOut(const TDstOut&) = delete;
    TDstOut& operator=(const TDstOut&) = delete;

    // A move by (dx, dy) with dy positive up, split into steps the record can carry. All steps
    // are jumps when `jump` is set; otherwise all but the last.
    void Move(int32_t dx, int32_t dy, bool jump) {
        if (std::abs(dx) <= DST_MAX_STEP && std::abs(dy) <= DST_MAX_STEP)
            Record(dx, dy, jump ? DST_JUMP : DST_STITCH);
        else
            Split(dx, dy, jump);
    }

    void Special(uint8_t b2) {
        uint8_t* p = Grow();
        p[0] = 0;
        p[1] = 0;
        p[2] = b2;
        ++c_.Records;
        if (b2 == DST_COLOUR) ++c_.Changes;
    }

private:
    // A move longer than a record holds: n equal steps, rounded so that they add up exactly.
    void Split(int32_t dx, int32_t dy, bool jump) {
        int64_t n = std::max((std::abs(static_cast<int64_t>(dx)) + DST_MAX_STEP - 1) / DST_MAX_STEP,
                             (std::abs(static_cast<int64_t>(dy)) + DST_MAX_STEP - 1) / DST_MAX_STEP);
        double sx = static_cast<double>(dx) / static_cast<double>(n);
        double sy = static_cast<double>(dy) / static_cast<double>(n);
        for (int64_t k = 1; k <= n; ++k) {
            int32_t ex = RoundI(static_cast<double>(k) * sx) - RoundI(static_cast<double>(k - 1) * sx);
            int32_t ey = RoundI(static_cast<double>(k) * sy) - RoundI(static_cast<double>(k - 1) * sy);
            Record(ex, ey, (jump || k < n) ? DST_JUMP : DST_STITCH);
        }
    }
    void Record(int32_t dx, int32_t dy, uint8_t flags) {
        EncodeDstRecord(dx, dy, flags, Grow());
        ++c_.Records;
        c_.X += dx;
        c_.Y += dy;
        c_.MinX = std::min(c_.MinX, c_.X);
        c_.MaxX = std::max(c_.MaxX, c_.X);
        c_.MinY = std::min(c_.MinY, c_.Y);
        c_.MaxY = std::max(c_.MaxY, c_.Y);
    }
    // Room for a record; the buffer is sized ahead and trimmed at the end.
    uint8_t* Grow() {
        if (c_.Used + 3 > cap_) {
            w_.Buf.resize(std::max(cap_ * 2, c_.Used + 3));
            data_ = w_.Buf.data();
            cap_ = w_.Buf.size();
        }
        uint8_t* p = data_ + c_.Used;
        c_.Used += 3;
        return p;
    }

    TDstWriter& w_;
    TDstCursor c_;
    uint8_t* data_;
    size_t cap_;
};

class TDstEmitter : public TEmitter {
public:
    TDstEmitter(TDstWriter& w, const TExportPlan& plan) : w_(w), plan_(plan) {}

    void EmitObject(const TEmitList& list, TExportState& st) override {
        const size_t n = list.Count();
        if (n == 0) return; // the plan never hands over an empty object
        if (st.First) {
            const TSP& p0 = list[0];
            // The first block always gets its side-file entry, or every later colour would shift.
            int32_t colour = IsColourChange(p0) ? p0.ColourOrLink : FirstBlockColour(list);
            st.Colours.push_back(colour);
            st.X = plan_.CentreX;
            st.Y = plan_.CentreY;
            w_.Start(st.X, -st.Y);
        }
        TDstOut out(w_);
        int32_t px = st.X, py = st.Y;
        bool first = st.First, suppress = st.Suppress;
        if (first) {
            int32_t x = Check(list[0].X, plan_.CentreX), y = Check(list[0].Y, plan_.CentreY);
            // From the frame centre to the design start the needle travels: jumps, not a stitch.
            out.Move(x - px, py - y, true);
            px = x;
            py = y;
        }
        for (size_t i = 0; i < n; ++i) {
            const TSP& p = list[i];
            int32_t x = Check(p.X, plan_.CentreX), y = Check(p.Y, plan_.CentreY);
            const TColourStep step = ColourStepAt(p, i, first, suppress, st);
            const bool change = step == TColourStep::Change,
                       after = step == TColourStep::Suppressed && i == 0;
            if (change && i > 0) out.Special(DST_STITCH); // the tie before the change
            first = false;
            // The move to a new colour block is a jump: a stitch would drag the old thread across.
            out.Move(x - px, py - y, change);
            if (change) out.Special(DST_COLOUR);
            if (change || after) out.Special(DST_STITCH);
            px = x;
            py = y;
        }
        out.Special(DST_STITCH);
        st.X = px;
        st.Y = py;
        st.First = false;
        st.Suppress = suppress;
    }

private:
    // Machine units of a coordinate, refusing designs the header could not describe.
    static int32_t Check(float c, int32_t centre) {
        int32_t v = MachineUnits(c);
        if (std::abs(static_cast<int64_t>(v) - centre) > kMaxExtent)
            throw TError("the design is too large for a Tajima file (more than 10 m from its centre)");
        return v;
    }
    int32_t FirstBlockColour(const TEmitList& list) const {
        for (size_t i = 0; i < list.Count(); ++i)
            if (IsColourChange(list[i])) return list[i].ColourOrLink;
        return 0;
    }

    TDstWriter& w_;
    const TExportPlan& plan_;
};

} // namespace

std::vector<uint8_t> WriteDst(const TExportPlan& plan, TExportState& state) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    TDstWriter w(static_cast<size_t>(plan.StitchTotal) + 64);
    w.Header(plan.StitchTotal);
    TDstEmitter e(w, plan);
    RunObjectWalk(plan, e, state);
    return w.Finish();
}

// ---- reader ----

void ReadDst(std::span<const uint8_t> bytes, TImportBuilder& out) {
    if (bytes.size() < DST_HEADER_SIZE || std::memcmp(bytes.data(), "LA:", 3) != 0)
        throw TReadError("not a Tajima DST file (no 512-byte header starting with \"LA:\")");
    const size_t records = (bytes.size() - DST_HEADER_SIZE) / 3;
    out.Reserve(records);
    const uint8_t* p = bytes.data() + DST_HEADER_SIZE;
    int64_t ax = 0, ay = 0; // displacement not yet placed, y downward
    for (size_t k = 0; k < records; ++k, p += 3) {
        int32_t dx, dy;
        DecodeDstRecord(p, dx, dy);
        const uint8_t b2 = p[2];
        if (b2 >= 0xF0) {
            out.End();
            return;
        }
        ax += dx;
        ay -= dy;
        if (b2 < 0x40)
            out.Stitch(ax, ay);
        else if (b2 >= 0xC0)
            out.ColourChange(ax, ay);
        else
            continue; // a jump: its displacement carries over into the next point
        ax = ay = 0;
    }
    throw TReadError("the file ends without an end record");
}

} // namespace nl
