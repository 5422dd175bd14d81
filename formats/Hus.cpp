#include "formats/Hus.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Colour.h"
#include "core/Errors.h"
#include "formats/ArcCompress.h"
#include "formats/ImportBuilder.h"
#include "formats/Palettes.h"
#include "formats/StepSplit.h"

namespace nl {

const std::array<uint8_t, 400> VIP_COLOUR_KEY = {
    0x2E, 0x82, 0xE4, 0x6F, 0x38, 0xA9, 0xDC, 0xC6, 0x7B, 0xB6, 0x28, 0xAC, 0xFD, 0xAA, 0x8A, 0x4E, 0x76,
    0x2E, 0xF0, 0xE4, 0x25, 0x1B, 0x8A, 0x68, 0x4E, 0x92, 0xB9, 0xB4, 0x95, 0xF0, 0x3E, 0xEF, 0xF7, 0x40,
    0x24, 0x18, 0x39, 0x31, 0xBB, 0xE1, 0x53, 0xA8, 0x1F, 0xB1, 0x3A, 0x07, 0xFB, 0xCB, 0xE6, 0x00, 0x81,
    0x50, 0x0E, 0x40, 0xE1, 0x2C, 0x73, 0x50, 0x0D, 0x91, 0xD6, 0x0A, 0x5D, 0xD6, 0x8B, 0xB8, 0x62, 0xAE,
    0x47, 0x00, 0x53, 0x5A, 0xB7, 0x80, 0xAA, 0x28, 0xF7, 0x5D, 0x70, 0x5E, 0x2C, 0x0B, 0x98, 0xE3, 0xA0,
    0x98, 0x60, 0x47, 0x89, 0x9B, 0x82, 0xFB, 0x40, 0xC9, 0xB4, 0x00, 0x0E, 0x68, 0x6A, 0x1E, 0x09, 0x85,
    0xC0, 0x53, 0x81, 0xD1, 0x98, 0x89, 0xAF, 0xE8, 0x85, 0x4F, 0xE3, 0x69, 0x89, 0x03, 0xA1, 0x2E, 0x8F,
    0xCF, 0xED, 0x91, 0x9F, 0x58, 0x1E, 0xD6, 0x84, 0x3C, 0x09, 0x27, 0xBD, 0xF4, 0xC3, 0x90, 0xC0, 0x51,
    0x1B, 0x2B, 0x63, 0xBC, 0xB9, 0x3D, 0x40, 0x4D, 0x62, 0x6F, 0xE0, 0x8C, 0xF5, 0x5D, 0x08, 0xFD, 0x3D,
    0x50, 0x36, 0xD7, 0xC9, 0xC9, 0x43, 0xE4, 0x2D, 0xCB, 0x95, 0xB6, 0xF4, 0x0D, 0xEA, 0xC2, 0xFD, 0x66,
    0x3F, 0x5E, 0xBD, 0x69, 0x06, 0x2A, 0x03, 0x19, 0x47, 0x2B, 0xDF, 0x38, 0xEA, 0x4F, 0x80, 0x49, 0x95,
    0xB2, 0xD6, 0xF9, 0x9A, 0x75, 0xF4, 0xD8, 0x9B, 0x1D, 0xB0, 0xA4, 0x69, 0xDB, 0xA9, 0x21, 0x79, 0x6F,
    0xD8, 0xDE, 0x33, 0xFE, 0x9F, 0x04, 0xE5, 0x9A, 0x6B, 0x9B, 0x73, 0x83, 0x62, 0x7C, 0xB9, 0x66, 0x76,
    0xF2, 0x5B, 0xC9, 0x5E, 0xFC, 0x74, 0xAA, 0x6C, 0xF1, 0xCD, 0x93, 0xCE, 0xE9, 0x80, 0x53, 0x03, 0x3B,
    0x97, 0x4B, 0x39, 0x76, 0xC2, 0xC1, 0x56, 0xCB, 0x70, 0xFD, 0x3B, 0x3E, 0x52, 0x57, 0x81, 0x5D, 0x56,
    0x8D, 0x51, 0x90, 0xD4, 0x76, 0xD7, 0xD5, 0x16, 0x02, 0x6D, 0xF2, 0x4D, 0xE1, 0x0E, 0x96, 0x4F, 0xA1,
    0x3A, 0xA0, 0x60, 0x59, 0x64, 0x04, 0x1A, 0xE4, 0x67, 0xB6, 0xED, 0x3F, 0x74, 0x20, 0x55, 0x1F, 0xFB,
    0x23, 0x92, 0x91, 0x53, 0xC8, 0x65, 0xAB, 0x9D, 0x51, 0xD6, 0x73, 0xDE, 0x01, 0xB1, 0x80, 0xB7, 0xC0,
    0xD6, 0x80, 0x1C, 0x2E, 0x3C, 0x83, 0x63, 0xEE, 0xBC, 0x33, 0x25, 0xE2, 0x0E, 0x7A, 0x67, 0xDE, 0x3F,
    0x71, 0x14, 0x49, 0x9C, 0x92, 0x93, 0x0D, 0x26, 0x9A, 0x0E, 0xDA, 0xED, 0x6F, 0xA4, 0x89, 0x0C, 0x1B,
    0xF0, 0xA1, 0xDF, 0xE1, 0x9E, 0x3C, 0x04, 0x78, 0xE4, 0xAB, 0x6D, 0xFF, 0x9C, 0xAF, 0xCA, 0xC7, 0x88,
    0x17, 0x9C, 0xE5, 0xB7, 0x33, 0x6D, 0xDC, 0xED, 0x8F, 0x6C, 0x18, 0x1D, 0x71, 0x06, 0xB1, 0xC5, 0xE2,
    0xCF, 0x13, 0x77, 0x81, 0xC5, 0xB7, 0x0A, 0x14, 0x0A, 0x6B, 0x40, 0x26, 0xA0, 0x88, 0xD1, 0x62, 0x6A,
    0xB3, 0x50, 0x12, 0xB9, 0x9B, 0xB5, 0x83, 0x9B, 0x37,
};

int HusIndexOfColour(int32_t colour) {
    int index = NearestHusIndex(colour & 0xFFFFFF);
    // The nearest-colour search never picks 29 (it ties with 0 and the lower index wins); this
    // keeps the promise that only indices other readers know are written.
    return index < HUS_WRITTEN_INDICES ? index : 0;
}

std::vector<uint8_t> ScrambleVipColours(std::span<const int32_t> colours) {
    if (colours.size() > static_cast<size_t>(VIP_MAX_COLOURS))
        throw TError("a Pfaff VIP file holds at most 100 colours");
    std::vector<uint8_t> out;
    out.reserve(4 * colours.size());
    uint8_t q = 0;
    size_t p = 0;
    for (int32_t c : colours) {
        const uint8_t plain[4] = {static_cast<uint8_t>(ColourR(c)), static_cast<uint8_t>(ColourG(c)),
                                  static_cast<uint8_t>(ColourB(c)), 0};
        for (uint8_t b : plain) {
            q = static_cast<uint8_t>(q ^ b ^ VIP_COLOUR_KEY[p++]);
            out.push_back(q);
        }
    }
    return out;
}

std::vector<int32_t> UnscrambleVipColours(std::span<const uint8_t> stored) {
    std::vector<int32_t> out;
    uint8_t q = 0;
    size_t p = 0;
    for (size_t at = 0; at + 4 <= stored.size() && p + 4 <= VIP_COLOUR_KEY.size(); at += 4) {
        uint8_t plain[4];
        for (int k = 0; k < 4; ++k) {
            const uint8_t o = stored[at + static_cast<size_t>(k)];
            plain[k] = static_cast<uint8_t>(o ^ VIP_COLOUR_KEY[p++] ^ q);
            q = o;
        }
        out.push_back(MakeColour(plain[0], plain[1], plain[2]));
    }
    return out;
}

namespace {

// ---- writer ----

// Farthest a point may lie from the design centre: the header states half the design's size in
// 16 bits.
constexpr int64_t kMaxExtent = 32767;

// The records being written. Each is kept as one 32-bit word (command, x, y in its low three
// bytes) while the design is walked, and split into the three streams at the end: stores of
// single bytes may alias any variable, which would keep the writer's position out of registers.
class THusStreams {
public:
    explicit THusStreams(size_t expected) : recs_(expected + 64) {}

    void Put(uint8_t command, int32_t dx, int32_t dy) {
        if (n_ == recs_.size()) [[unlikely]]
            Grow();
        recs_[n_++] =
            command | (static_cast<uint32_t>(dx) & 0xFF) << 8 | (static_cast<uint32_t>(dy) & 0xFF) << 16;
    }
    size_t Count() const { return n_; }
    // Stream k (0 commands, 1 x, 2 y).
    std::vector<uint8_t> Stream(int k) const {
        std::vector<uint8_t> out(n_);
        const int shift = 8 * k;
        for (size_t i = 0; i < n_; ++i)
            out[i] = static_cast<uint8_t>(recs_[i] >> shift);
        return out;
    }

private:
    [[gnu::noinline]] void Grow() { recs_.resize(2 * n_ + 64); }

    std::vector<uint32_t> recs_;
    size_t n_ = 0;
};

// How a move is written: a stitch (jumps for all but its last step), a jump (a zero stitch first,
// then jumps only), or the travel from the frame centre to the first point (jumps only).
enum class TMove { Stitch, Jump, Travel };

// A move longer than a record holds: equal steps within -127..127, jumps but the last of a stitch.
[[gnu::noinline]] void LongMove(THusStreams& s, int64_t dx, int64_t dy, TMove kind) {
    SplitMove(dx, dy, HUS_MAX_STEP, [&](int32_t ex, int32_t ey, bool last) {
        s.Put(kind == TMove::Stitch && last ? HUS_STITCH : HUS_JUMP, ex, ey);
    });
}

// A move by (dx, dy) machine units, dy positive up.
inline void Move(THusStreams& s, int64_t dx, int64_t dy, TMove kind) {
    if (kind == TMove::Jump) s.Put(HUS_STITCH, 0, 0);
    if (dx >= -HUS_MAX_STEP && dx <= HUS_MAX_STEP && dy >= -HUS_MAX_STEP && dy <= HUS_MAX_STEP) [[likely]] {
        if (kind == TMove::Travel && dx == 0 && dy == 0) return;
        s.Put(kind == TMove::Stitch ? HUS_STITCH : HUS_JUMP, static_cast<int32_t>(dx),
              static_cast<int32_t>(dy));
        return;
    }
    LongMove(s, dx, dy, kind);
}

class THusEmitter : public TEmitter {
public:
    THusEmitter(THusStreams& s, const TExportPlan& plan) : s_(s), plan_(plan) {}

    void EmitObject(const TEmitList& list, TExportState& st) override {
        const size_t n = list.Count();
        if (n == 0) return;
        bool first = st.First, suppress = st.Suppress;
        int64_t px = st.X, py = st.Y;
        if (first) {
            const TSP& p0 = list[0];
            // The first block always has its colour in the table, so that the colour count and
            // the table agree even when the first point carries no colour.
            st.Colours.push_back(IsColourChange(p0) ? p0.ColourOrLink : FirstBlockColour(list));
            px = plan_.CentreX;
            py = plan_.CentreY;
            // From the frame centre to the design the needle travels; a stitch there would drag
            // thread across the fabric.
            int64_t x = Check(p0.X, plan_.CentreX), y = Check(p0.Y, plan_.CentreY);
            Move(s_, x - px, py - y, TMove::Travel);
            px = x;
            py = y;
        }
        for (size_t i = 0; i < n; ++i) {
            const TSP& p = list[i];
            const int64_t x = Check(p.X, plan_.CentreX), y = Check(p.Y, plan_.CentreY);
            const TColourStep step = ColourStepAt(p, i, first, suppress, st);
            const bool change = step == TColourStep::Change,
                       after = step == TColourStep::Suppressed && i == 0;
            if (step == TColourStep::Suppressed) s_.Put(HUS_STITCH, 0, 0);
            first = false;
            Move(s_, x - px, py - y, change ? TMove::Jump : TMove::Stitch);
            if (after) s_.Put(HUS_STITCH, 0, 0);
            px = x;
            py = y;
            if (change) {
                s_.Put(HUS_COLOUR, 0, 0);
                s_.Put(HUS_STITCH, 0, 0);
            }
        }
        st.X = static_cast<int32_t>(px);
        st.Y = static_cast<int32_t>(py);
        st.First = false;
        st.Suppress = suppress;
    }

private:
    static int64_t Check(float c, int32_t centre) {
        const int32_t v = MachineUnits(c);
        if (std::abs(static_cast<int64_t>(v) - centre) > kMaxExtent)
            throw TError("the design is too large for this format (more than 3.2 m from its centre)");
        return v;
    }
    static int32_t FirstBlockColour(const TEmitList& list) {
        for (size_t i = 0; i < list.Count(); ++i)
            if (IsColourChange(list[i])) return list[i].ColourOrLink;
        return 0;
    }

    THusStreams& s_;
    const TExportPlan& plan_;
};

void Put16(std::vector<uint8_t>& f, size_t at, int32_t v) {
    f[at] = static_cast<uint8_t>(v);
    f[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& f, size_t at, int64_t v) {
    for (int k = 0; k < 4; ++k)
        f[at + static_cast<size_t>(k)] = static_cast<uint8_t>(v >> (8 * k));
}
void Append16(std::vector<uint8_t>& f, int32_t v) {
    f.resize(f.size() + 2);
    Put16(f, f.size() - 2, v);
}
void Append32(std::vector<uint8_t>& f, int64_t v) {
    f.resize(f.size() + 4);
    Put32(f, f.size() - 4, v);
}

std::vector<uint8_t> WriteHusVip(const TExportPlan& plan, TExportState& state, bool vip) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    const TKvRect& e = plan.Extent;
    const int64_t halfW = (static_cast<int64_t>(e.Right) - e.Left + 1) / 4;
    const int64_t halfH = (static_cast<int64_t>(e.Bottom) - e.Top + 1) / 4;
    if (halfW > kMaxExtent || halfH > kMaxExtent)
        throw TError("the design is too large for this format (more than 6.5 m across)");

    THusStreams s(static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)));
    THusEmitter emitter(s, plan);
    RunObjectWalk(plan, emitter, state);
    // Back to where the machine started, then the end record.
    Move(s, static_cast<int64_t>(plan.CentreX) - state.X, static_cast<int64_t>(state.Y) - plan.CentreY,
         TMove::Jump);
    s.Put(HUS_END, 0, 0);
    if (s.Count() > static_cast<size_t>(HUS_MAX_RECORDS))
        throw TError("the design needs more records than a file of this format may hold");

    const std::vector<int32_t>& colours = state.Colours;
    const int32_t n = static_cast<int32_t>(colours.size());
    if (vip && n > VIP_MAX_COLOURS)
        throw TError("a Pfaff VIP file holds at most 100 colour blocks, and this design has " +
                     std::to_string(n) + "; nothing was written");

    std::vector<uint8_t> f(HUS_HEADER_SIZE, 0);
    const uint8_t magic[2][4] = {{0x5B, 0xAF, 0xC8, 0x00}, {0x5D, 0xFC, 0x90, 0x01}};
    std::memcpy(f.data(), magic[vip ? 1 : 0], 4);
    Put32(f, 4, static_cast<int64_t>(s.Count()));
    Put32(f, 8, n);
    Put16(f, 12, static_cast<int32_t>(halfW));
    Put16(f, 14, static_cast<int32_t>(halfH));
    Put16(f, 16, static_cast<int32_t>(-halfW));
    Put16(f, 18, static_cast<int32_t>(-halfH));
    std::memcpy(f.data() + 32, "Nordelune", 10); // with its terminating zero
    if (vip) {
        // As real VIP files have it: the offset of the block after the colours at 42, the
        // scrambled colours, n + 1 values of 1 and a 16-bit zero.
        Append32(f, static_cast<int64_t>(VIP_COLOURS_AT) + 8 * n);
        auto scrambled = ScrambleVipColours(colours);
        f.insert(f.end(), scrambled.begin(), scrambled.end());
        for (int32_t k = 0; k <= n; ++k)
            Append32(f, 1);
        Append16(f, 0);
    } else {
        for (int32_t c : colours)
            Append16(f, HusIndexOfColour(c));
    }

    const int32_t records = static_cast<int32_t>(s.Count());
    TArcCompress packed;
    for (int k = 0; k < 3; ++k) {
        Put32(f, 20 + 4 * static_cast<size_t>(k), static_cast<int64_t>(f.size()));
        const int32_t produced = packed.Compress(s.Stream(static_cast<int>(k)), records + 100);
        if (produced <= 0 || produced != packed.Length())
            throw TError("the stitch data could not be compressed");
        f.insert(f.end(), packed.Bytes().begin(), packed.Bytes().end());
    }
    return f;
}

// ---- reader ----

int32_t Get32(std::span<const uint8_t> b, size_t at) {
    return static_cast<int32_t>(static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
                                static_cast<uint32_t>(b[at + 2]) << 16 |
                                static_cast<uint32_t>(b[at + 3]) << 24);
}
int32_t GetU16(std::span<const uint8_t> b, size_t at) {
    return static_cast<int32_t>(b[at] | b[at + 1] << 8);
}

} // namespace

std::vector<uint8_t> WriteHus(const TExportPlan& plan, TExportState& state) {
    return WriteHusVip(plan, state, false);
}

std::vector<uint8_t> WriteVip(const TExportPlan& plan, TExportState& state) {
    return WriteHusVip(plan, state, true);
}

THusFile ParseHusVip(std::span<const uint8_t> bytes) {
    const int64_t size = static_cast<int64_t>(bytes.size());
    if (bytes.size() < HUS_HEADER_SIZE)
        throw TReadError("too short to be a HUS or VIP file (" + std::to_string(size) +
                         " bytes; the header alone takes 42)");
    THusFile f;
    if (bytes[2] == 0xC8 && bytes[3] == 0x00)
        f.Vip = false;
    else if (bytes[2] == 0x90 && bytes[3] == 0x01)
        f.Vip = true;
    else
        throw TReadError("not a HUS or VIP file (its magic number is neither)");
    f.Records = Get32(bytes, 4);
    f.ColourCount = Get32(bytes, 8);
    for (size_t k = 0; k < 4; ++k)
        f.Extents[k] = static_cast<int16_t>(GetU16(bytes, 12 + 2 * k));
    for (size_t k = 0; k < 3; ++k)
        f.Offsets[k] = Get32(bytes, 20 + 4 * k);
    if (f.Records < 1 || f.Records > HUS_MAX_RECORDS)
        throw TReadError("its record count " + std::to_string(f.Records) + " is out of range");
    const int64_t c = f.Offsets[0], x = f.Offsets[1], y = f.Offsets[2];
    if (!(static_cast<int64_t>(HUS_HEADER_SIZE) <= c && c < x && x < y && y <= size))
        throw TReadError("its stream offsets (" + std::to_string(c) + ", " + std::to_string(x) + ", " +
                         std::to_string(y) + ") are not in order within the file (" + std::to_string(size) +
                         " bytes)");
    const int64_t tableAt =
        f.Vip ? static_cast<int64_t>(VIP_COLOURS_AT) : static_cast<int64_t>(HUS_HEADER_SIZE);
    const int64_t entry = f.Vip ? 4 : 2;
    if (f.ColourCount < 0 || (f.Vip && f.ColourCount > VIP_MAX_COLOURS))
        throw TReadError("its colour count " + std::to_string(f.ColourCount) + " is out of range");
    if (tableAt + entry * f.ColourCount > c)
        throw TReadError("its colour table of " + std::to_string(f.ColourCount) +
                         " colours runs into the stitch data");
    if (f.Vip) {
        f.Colours =
            UnscrambleVipColours(bytes.subspan(VIP_COLOURS_AT, 4 * static_cast<size_t>(f.ColourCount)));
    } else {
        for (int32_t k = 0; k < f.ColourCount; ++k)
            f.Colours.push_back(HusColour(GetU16(bytes, HUS_HEADER_SIZE + 2 * static_cast<size_t>(k))));
    }
    const char* names[3] = {"command", "x", "y"};
    std::vector<uint8_t>* streams[3] = {&f.Commands, &f.X, &f.Y};
    const int64_t ends[3] = {x, y, size};
    for (size_t k = 0; k < 3; ++k) {
        const auto from = static_cast<size_t>(f.Offsets[k]);
        const auto part = bytes.subspan(from, static_cast<size_t>(ends[k]) - from);
        size_t produced = 0;
        try {
            produced = ArcDecompressStream(part, static_cast<size_t>(f.Records), *streams[k]);
        } catch (const TReadError& e) {
            throw TReadError(std::string("its ") + names[k] + " stream: " + e.what());
        }
        if (produced != static_cast<size_t>(f.Records))
            throw TReadError(std::string("its ") + names[k] + " stream holds " + std::to_string(produced) +
                             " records where the header states " + std::to_string(f.Records));
    }
    return f;
}

void ReadHusVip(std::span<const uint8_t> bytes, TImportBuilder& out) {
    const THusFile f = ParseHusVip(bytes);
    const size_t n = static_cast<size_t>(f.Records);
    size_t end = n, stitches = 0;
    for (size_t k = 0; k < n; ++k) {
        if (f.Commands[k] == HUS_END) {
            end = k;
            break;
        }
        stitches += f.Commands[k] == HUS_STITCH;
    }
    if (end == n) throw TReadError("its stitch data ends without an end record");
    out.Reserve(stitches);
    // HUS palette entries only approximate the threads; a side file written with the design has
    // the true colours. VIP files store the true colours themselves.
    const bool sideColours = !f.Vip && out.HasSideFileColours();
    int64_t ax = 0, ay = 0; // displacement not yet placed, y downward
    bool blockStart = true;
    bool heldTie = false; // a stitch that did not move, not placed yet
    size_t block = 0;     // colour table entry of the current block: one per colour change
    // Plain pointers: the compiler cannot tell that adding points leaves the streams alone.
    const uint8_t *cmd = f.Commands.data(), *xs = f.X.data(), *ys = f.Y.data();
    for (size_t k = 0; k < end; ++k) {
        const uint8_t command = cmd[k];
        ax += static_cast<int8_t>(xs[k]);
        ay -= static_cast<int8_t>(ys[k]);
        switch (command) {
        case HUS_STITCH:
            if (blockStart) {
                if (sideColours || block >= f.Colours.size())
                    out.Add(ax, ay, true); // side file, or the default sequence past the table
                else
                    out.AddColour(ax, ay, f.Colours[block]);
                blockStart = false;
            } else if (ax == 0 && ay == 0) {
                // A stitch into the same hole is held back: the tie stitches a writer puts
                // before a colour change and before the end sew nothing new, and read back as
                // points they would be written again with ties of their own.
                if (heldTie) out.Add(0, 0, false);
                heldTie = true;
            } else {
                if (heldTie) out.Add(0, 0, false);
                heldTie = false;
                out.Add(ax, ay, false);
            }
            ax = ay = 0;
            break;
        case HUS_JUMP:
        case HUS_TRIM:
            break; // the needle moves without sewing: the displacement carries into the next stitch
        case HUS_COLOUR:
            // The new colour starts at the next needle point, wherever the jumps after the change
            // take it. A change before any stitch does not use up a colour; an empty block between
            // two changes keeps its table entry, so the later blocks keep theirs.
            if (out.HasPoints()) ++block;
            blockStart = true;
            heldTie = false;
            break;
        default:
            throw TReadError("record " + std::to_string(k) + " has the unknown command " + HexByte(command));
        }
    }
}

} // namespace nl
