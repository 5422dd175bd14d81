#include "formats/Pec.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/Colour.h"
#include "core/Errors.h"
#include "core/Numeric.h"
#include "formats/ImportBuilder.h"
#include "formats/Palettes.h"
#include "formats/StepSplit.h"

namespace nl {

namespace {

// ---- icons ----

constexpr TPecIcon MakeFrame() {
    TPecIcon f{};
    auto set = [&f](int row, int col) {
        f[static_cast<size_t>(row * PEC_ICON_STRIDE + col / 8)] |= static_cast<uint8_t>(1 << (col % 8));
    };
    for (int c = 4; c <= 43; ++c) {
        set(1, c);
        set(36, c);
    }
    for (int r : {2, 35}) {
        set(r, 3);
        set(r, 44);
    }
    for (int r : {3, 34}) {
        set(r, 2);
        set(r, 45);
    }
    for (int r = 4; r <= 33; ++r) {
        set(r, 1);
        set(r, 46);
    }
    return f;
}
constexpr TPecIcon kFrame = MakeFrame();

// The picture's box inside the frame, clear of it by two pixels on every side.
constexpr int kBoxX = 4, kBoxY = 4, kBoxW = 40, kBoxH = 30;

// Draws the stitches into the icons as they are written: icon 0 shows the whole design, icon k
// colour block k, all at the scale that fits the whole design into the box. One pass, no store
// of the points.
class TIconPainter {
public:
    // Positions run over 0..w and 0..h (machine units, y down).
    TIconPainter(int64_t w, int64_t h) {
        const double sx = (kBoxW - 1) / static_cast<double>(std::max<int64_t>(w, 1));
        const double sy = (kBoxH - 1) / static_cast<double>(std::max<int64_t>(h, 1));
        s_ = std::min(sx, sy);
        // Centred in the box; the half makes the truncation below round to nearest.
        ox_ = kBoxX + ((kBoxW - 1) - static_cast<double>(w) * s_) / 2 + 0.5;
        oy_ = kBoxY + ((kBoxH - 1) - static_cast<double>(h) * s_) / 2 + 0.5;
        icons_.reserve(PEC_MAX_BLOCKS + 1);
        icons_.emplace_back();
    }
    // The stitches from here on belong to a new colour block (the first one too).
    void BeginBlock() {
        icons_.emplace_back();
        block_ = icons_.size() - 1;
    }
    // The needle moves to (x, y) without sewing: only the point there is drawn.
    void MoveTo(int64_t x, int64_t y) {
        Pixel(x, y, px_, py_);
        Plot(px_, py_);
    }
    // A stitch from the last position to (x, y).
    void LineTo(int64_t x, int64_t y) {
        int x1, y1;
        Pixel(x, y, x1, y1);
        if (x1 == px_ && y1 == py_) return;
        Line(px_, py_, x1, y1);
        px_ = x1;
        py_ = y1;
    }
    // The icons in file order, each with the frame.
    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        out.reserve(icons_.size() * PEC_ICON_SIZE);
        for (const TPecIcon& icon : icons_)
            for (size_t k = 0; k < PEC_ICON_SIZE; ++k)
                out.push_back(icon[k] | kFrame[k]);
        return out;
    }

private:
    void Pixel(int64_t x, int64_t y, int& px, int& py) const {
        const double fx = ox_ + static_cast<double>(x) * s_, fy = oy_ + static_cast<double>(y) * s_;
        px = static_cast<int>(std::clamp(fx, double(kBoxX), double(kBoxX + kBoxW - 1)));
        py = static_cast<int>(std::clamp(fy, double(kBoxY), double(kBoxY + kBoxH - 1)));
    }
    void Plot(int x, int y) {
        const size_t at = static_cast<size_t>(y * PEC_ICON_STRIDE + (x >> 3));
        const uint8_t bit = static_cast<uint8_t>(1 << (x & 7));
        icons_[0][at] |= bit;
        icons_[block_][at] |= bit;
    }
    void Line(int x0, int y0, int x1, int y1) {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            Plot(x0, y0);
            if (x0 == x1 && y0 == y1) return;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }

    std::vector<TPecIcon> icons_;
    size_t block_ = 0;
    double s_ = 1, ox_ = 0, oy_ = 0;
    int px_ = kBoxX, py_ = kBoxY;
};

// ---- PES description ----

constexpr size_t kPesBodyAt = 104; // after "CSewSeg"
constexpr int32_t kMaxSegmentPoints = 32767;

// The stitches as the PES description lists them for editing software: segments of stitches
// (kind 0) and jumps (kind 1), each with its palette code and points relative to the bottom left
// of the design, and the log of where each colour starts. It follows the PEC records one by one,
// so that a file read back and written again gives the same description.
class TPesSegments {
public:
    TPesSegments(int32_t height, size_t expectedPoints) : height_(height) {
        body_.reserve(4 * expectedPoints + 64);
    }

    void Colour(int code) {
        code_ = code;
        log_.push_back({segments_, code});
    }
    void JumpTo(int64_t fromX, int64_t fromY, int64_t x, int64_t y) {
        Close();
        Open(1);
        Point(fromX, fromY);
        Point(x, y);
        Close();
    }
    void StitchTo(int64_t fromX, int64_t fromY, int64_t x, int64_t y) {
        if (open_ && count_ < kMaxSegmentPoints) {
            Point(x, y);
            return;
        }
        const bool full = open_;
        Close();
        Open(0);
        if (full) Point(fromX, fromY); // a long run goes on in the next segment
        Point(x, y);
    }
    // Whether the segments fit the description's 16-bit count.
    bool Fits() {
        Close();
        return segments_ <= kMaxSegmentPoints;
    }
    // Bytes Append adds.
    size_t Size() const { return 15 + body_.size() + 2 + 4 * log_.size() + 4; }
    // Appends the description from offset 89 of the file to the end of the block list.
    void Append(std::vector<uint8_t>& out) {
        Close();
        Put16(out, segments_);
        out.insert(out.end(), {0xFF, 0xFF, 0x00, 0x00, 7, 0});
        for (char c : std::string("CSewSeg"))
            out.push_back(static_cast<uint8_t>(c));
        out.insert(out.end(), body_.begin(), body_.end());
        Put16(out, static_cast<int32_t>(log_.size()));
        for (auto [segment, code] : log_) {
            Put16(out, segment);
            Put16(out, code);
        }
        out.insert(out.end(), 4, 0); // no more blocks
    }

private:
    static void Put16(std::vector<uint8_t>& v, int64_t x) {
        const auto u = static_cast<uint16_t>(std::clamp<int64_t>(x, INT16_MIN, UINT16_MAX));
        v.push_back(static_cast<uint8_t>(u));
        v.push_back(static_cast<uint8_t>(u >> 8));
    }
    void Open(int kind) {
        if (segments_ > 0) Put16(body_, 0x8003);
        Put16(body_, kind);
        Put16(body_, code_);
        countAt_ = body_.size();
        Put16(body_, 0);
        count_ = 0;
        open_ = true;
        ++segments_;
    }
    void Close() {
        if (!open_) return;
        body_[countAt_] = static_cast<uint8_t>(count_);
        body_[countAt_ + 1] = static_cast<uint8_t>(count_ >> 8);
        open_ = false;
    }
    void Point(int64_t x, int64_t y) {
        const auto ux = static_cast<uint16_t>(std::clamp<int64_t>(x, INT16_MIN, INT16_MAX));
        const auto uy = static_cast<uint16_t>(std::clamp<int64_t>(y - height_, INT16_MIN, INT16_MAX));
        const uint8_t b[4] = {static_cast<uint8_t>(ux), static_cast<uint8_t>(ux >> 8),
                              static_cast<uint8_t>(uy), static_cast<uint8_t>(uy >> 8)};
        body_.insert(body_.end(), b, b + 4);
        ++count_;
    }

    int64_t height_;
    std::vector<uint8_t> body_;
    std::vector<std::pair<int32_t, int32_t>> log_; // segment index, palette code
    int32_t segments_ = 0, count_ = 0, code_ = 0;
    size_t countAt_ = 0;
    bool open_ = false;
};

// ---- writer ----

// Largest width or height a file states in its 16-bit fields (and the description's coordinates).
constexpr int64_t kMaxExtent = 32767;
// The icons' offset is 24 bits.
constexpr size_t kMaxGraphicsOffset = (1u << 24) - 1;

// Positions handed to the records are in the file's frame: machine units, y down, the top left of
// the design at (0, 0), where the first jump starts.
class TPecWriter : public TEmitter {
public:
    TPecWriter(const TExportPlan& plan, size_t prefix, bool pes)
        : plan_(plan), w_((static_cast<int64_t>(plan.Extent.Right) - plan.Extent.Left + 1) / 2),
          h_((static_cast<int64_t>(plan.Extent.Bottom) - plan.Extent.Top + 1) / 2), prefix_(prefix),
          painter_(w_, h_) {
        if (w_ > kMaxExtent || h_ > kMaxExtent)
            throw TError("the design is too large for a Brother file (more than 3.2 m across)");
        if (pes)
            segments_.emplace(static_cast<int32_t>(h_),
                              static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)));
        buf_.resize(prefix_ + PEC_STITCHES_AT +
                    4 * static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)) + 64);
        used_ = prefix_ + PEC_STITCHES_AT;
    }

    void EmitObject(const TEmitList& list, TExportState& st) override {
        const size_t n = list.Count();
        if (n == 0) return;
        bool suppress = st.Suppress;
        size_t i = 0;
        if (st.First) {
            const TSP& p0 = list[0];
            Block(IsColourChange(p0) ? p0.ColourOrLink : FirstBlockColour(list), st, false);
            // From the top left corner to the first point: its distance from the corner is taken
            // before halving, as the extents are in worksheet units.
            const int64_t jx = RoundI((static_cast<double>(p0.X) - plan_.Extent.Left) / 2.0);
            const int64_t jy = RoundI((static_cast<double>(p0.Y) - plan_.Extent.Top) / 2.0);
            offX_ = jx - MachineUnits(p0.X);
            offY_ = jy - MachineUnits(p0.Y);
            Jump(jx, jy);
            Stitch(0, 0);
            st.First = false;
            i = 1;
        }
        for (; i < n; ++i) {
            const TSP& p = list[i];
            const int64_t x = MachineUnits(p.X) + offX_, y = MachineUnits(p.Y) + offY_;
            if (IsColourChange(p)) [[unlikely]] {
                if (suppress) {
                    suppress = false;
                } else {
                    // A tie before the change; an object's first point follows the one that ends
                    // the object before.
                    if (i > 0) Stitch(0, 0);
                    Block(p.ColourOrLink, st, true);
                    Jump(x, y);
                    Stitch(0, 0);
                    continue;
                }
            }
            const int64_t dx = x - x_, dy = y - y_;
            if (dx < -PEC_MAX_STITCH || dx > PEC_MAX_STITCH || dy < -PEC_MAX_STITCH || dy > PEC_MAX_STITCH)
                [[unlikely]] {
                // Too long for a stitch: the needle jumps there and sews in place.
                Jump(x, y);
                Stitch(0, 0);
            } else {
                Stitch(static_cast<int32_t>(dx), static_cast<int32_t>(dy));
            }
        }
        Stitch(0, 0); // the tie that ends every object
        st.Suppress = suppress;
        st.X = static_cast<int32_t>(x_);
        st.Y = static_cast<int32_t>(y_);
    }

    // The PEC block, after `prefix` bytes left for the caller.
    std::vector<uint8_t> Finish(const TExportState& st) {
        Room(1)[0] = PEC_END;
        const size_t block = prefix_;
        const size_t graphics = used_ - block - 512;
        if (graphics > kMaxGraphicsOffset)
            throw TError("the design is too large for a Brother file (its stitch data passes 16 MB)");
        buf_.resize(used_);
        const std::vector<uint8_t> icons = painter_.Bytes();
        buf_.insert(buf_.end(), icons.begin(), icons.end());

        uint8_t* b = buf_.data() + block;
        std::memset(b, ' ', 512);
        std::memcpy(b, "LA:", 3);
        const std::string label = PecLabel(st.DesignName);
        std::memcpy(b + PEC_LABEL_AT, label.data(), label.size());
        b[19] = 0x0D;
        const uint8_t fixed[] = {0xFF, 0x00, PEC_ICON_STRIDE, PEC_ICON_HEIGHT};
        std::memcpy(b + 32, fixed, sizeof fixed);
        b[PEC_COLOUR_COUNT_AT] = static_cast<uint8_t>(codes_.size() - 1);
        std::memcpy(b + PEC_COLOURS_AT, codes_.data(), codes_.size());
        const uint8_t tail[] = {0x00,
                                0x00,
                                static_cast<uint8_t>(graphics),
                                static_cast<uint8_t>(graphics >> 8),
                                static_cast<uint8_t>(graphics >> 16),
                                0x31,
                                0xFF,
                                0xF0,
                                static_cast<uint8_t>(w_),
                                static_cast<uint8_t>(w_ >> 8),
                                static_cast<uint8_t>(h_),
                                static_cast<uint8_t>(h_ >> 8),
                                0xE0,
                                0x01,
                                0xB0,
                                0x01};
        std::memcpy(b + 512, tail, sizeof tail);
        return std::move(buf_);
    }

    // The PES description's segments (PES only).
    TPesSegments& Segments() { return *segments_; }
    int64_t Width() const { return w_; }
    int64_t Height() const { return h_; }

private:
    uint8_t* Room(size_t k) {
        if (used_ + k > buf_.size()) [[unlikely]]
            buf_.resize(std::max(buf_.size() * 2, used_ + k));
        uint8_t* p = buf_.data() + used_;
        used_ += k;
        return p;
    }
    static uint8_t* Value(uint8_t* p, int32_t v) {
        if (v >= -64 && v <= 63) {
            *p++ = static_cast<uint8_t>(v & 0x7F);
        } else {
            const uint32_t u = PEC_LONG | (static_cast<uint32_t>(v) & 0xFFF);
            *p++ = static_cast<uint8_t>(u >> 8);
            *p++ = static_cast<uint8_t>(u);
        }
        return p;
    }
    // A stitch by (dx, dy), each within -127..127.
    void Stitch(int32_t dx, int32_t dy) {
        uint8_t* p = Room(4);
        uint8_t* e = Value(Value(p, dx), dy);
        used_ -= static_cast<size_t>(4 - (e - p));
        const int64_t fromX = x_, fromY = y_;
        x_ += dx;
        y_ += dy;
        painter_.LineTo(x_, y_);
        if (segments_) segments_->StitchTo(fromX, fromY, x_, y_);
    }
    // A move to (x, y) without sewing: equal steps within -2047..2047, never wrapped.
    void Jump(int64_t x, int64_t y) {
        SplitMove(x - x_, y - y_, PEC_MAX_JUMP, [this](int32_t ex, int32_t ey, bool) {
            uint8_t* p = Room(4);
            const uint32_t ux = PEC_LONG | PEC_JUMP | (static_cast<uint32_t>(ex) & 0xFFF);
            const uint32_t uy = PEC_LONG | PEC_JUMP | (static_cast<uint32_t>(ey) & 0xFFF);
            p[0] = static_cast<uint8_t>(ux >> 8);
            p[1] = static_cast<uint8_t>(ux);
            p[2] = static_cast<uint8_t>(uy >> 8);
            p[3] = static_cast<uint8_t>(uy);
        });
        // The jump from the corner to the first point is no part of the design's picture.
        if (segments_ && started_) segments_->JumpTo(x_, y_, x, y);
        started_ = true;
        x_ = x;
        y_ = y;
        painter_.MoveTo(x_, y_);
    }
    // A new colour block: its colour in the list, and the change record unless it is the first.
    void Block(int32_t colour, TExportState& st, bool change) {
        if (codes_.size() >= static_cast<size_t>(PEC_MAX_BLOCKS))
            throw TError("a Brother file holds at most 255 colour blocks, and this design has more; "
                         "nothing was written");
        const int code = PecCodeOfColour(colour);
        st.Colours.push_back(colour);
        codes_.push_back(static_cast<uint8_t>(code));
        if (segments_) segments_->Colour(code);
        painter_.BeginBlock();
        if (!change) return;
        // The byte after the change alternates 2, 1, 2, ... as other writers have it; readers
        // take the colour from the list in the header.
        uint8_t* p = Room(3);
        p[0] = PEC_CHANGE;
        p[1] = PEC_CHANGE_2;
        p[2] = codes_.size() % 2 == 0 ? 2 : 1;
    }
    static int32_t FirstBlockColour(const TEmitList& list) {
        for (size_t i = 0; i < list.Count(); ++i)
            if (IsColourChange(list[i])) return list[i].ColourOrLink;
        return 0;
    }

    const TExportPlan& plan_;
    int64_t w_, h_;
    size_t prefix_;
    TIconPainter painter_;
    std::optional<TPesSegments> segments_;
    std::vector<uint8_t> buf_;
    size_t used_ = 0;
    std::vector<uint8_t> codes_;
    int64_t x_ = 0, y_ = 0;       // position in the file's frame
    int64_t offX_ = 0, offY_ = 0; // frame position - machine position
    bool started_ = false;
};

void Put16(std::vector<uint8_t>& f, size_t at, int64_t v) {
    f[at] = static_cast<uint8_t>(v);
    f[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& f, size_t at, int64_t v) {
    for (size_t k = 0; k < 4; ++k)
        f[at + k] = static_cast<uint8_t>(v >> (8 * k));
}
void PutFloat(std::vector<uint8_t>& f, size_t at, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    Put32(f, at, u);
}

// ---- reader ----

uint32_t Get32(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

bool SignatureIs(std::span<const uint8_t> b, const char* s) {
    for (size_t k = 0; k < 4; ++k)
        if (std::toupper(b[k]) != s[k]) return false;
    return true;
}

} // namespace

const TPecIcon& PecIconFrame() {
    return kFrame;
}

int PecCodeOfColour(int32_t colour) {
    const int nearest = NearestPecCode(colour & 0xFFFFFF);
    if (nearest <= PEC_WRITTEN_CODES) return nearest;
    int best = 1, bestDistance = INT32_MAX;
    for (int code = 1; code <= PEC_WRITTEN_CODES; ++code) {
        const int32_t c = PecColour(code);
        const int d = std::abs(ColourR(colour) - ColourR(c)) + std::abs(ColourG(colour) - ColourG(c)) +
                      std::abs(ColourB(colour) - ColourB(c));
        if (d < bestDistance) {
            bestDistance = d;
            best = code;
        }
    }
    return best;
}

std::string PecLabel(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size() && out.size() < PEC_LABEL_SIZE; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (c < 0x80 || c >= 0xC0) {
            out += '_'; // a control character, or the first byte of a character beyond ASCII
        }
    }
    return out;
}

void EncodePecValue(int32_t v, bool jump, std::vector<uint8_t>& out) {
    if (!jump && v >= -64 && v <= 63) {
        out.push_back(static_cast<uint8_t>(v & 0x7F));
        return;
    }
    const uint32_t u = PEC_LONG | (jump ? PEC_JUMP : 0) | (static_cast<uint32_t>(v) & 0xFFF);
    out.push_back(static_cast<uint8_t>(u >> 8));
    out.push_back(static_cast<uint8_t>(u));
}

std::vector<uint8_t> WritePec(const TExportPlan& plan, TExportState& state) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    TPecWriter w(plan, 8, false);
    RunObjectWalk(plan, w, state);
    std::vector<uint8_t> f = w.Finish(state);
    std::memcpy(f.data(), "#PEC0001", 8);
    return f;
}

std::vector<uint8_t> WritePes(const TExportPlan& plan, TExportState& state) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    TPecWriter w(plan, 0, true);
    RunObjectWalk(plan, w, state);
    const std::vector<uint8_t> block = w.Finish(state);
    const int64_t width = w.Width(), height = w.Height();
    TPesSegments& segments = w.Segments();
    const bool described = segments.Fits();

    std::vector<uint8_t> f(described ? 89 : 22, 0);
    f.reserve(f.size() + (described ? segments.Size() : 0) + block.size());
    std::memcpy(f.data(), "#PES0001", 8);
    if (described) {
        // Version 1: one block object, "CEmbOne", placed by its transform in the middle of a
        // 130 x 180 mm hoop, with its stitches as "CSewSeg" segments.
        Put16(f, 12, 1); // scale to fit
        Put16(f, 14, 1); // hoop 130 x 180
        Put16(f, 16, 1); // one block object
        Put16(f, 18, 0xFFFF);
        Put16(f, 22, 7);
        std::memcpy(f.data() + 24, "CEmbOne", 7);
        const float transform[6] = {1,
                                    0,
                                    0,
                                    1,
                                    static_cast<float>(1000.0 - static_cast<double>(width) / 2),
                                    static_cast<float>(1000.0 + static_cast<double>(height) / 2)};
        for (size_t k = 0; k < 6; ++k)
            PutFloat(f, 47 + 4 * k, transform[k]);
        Put16(f, 71, 1);
        Put16(f, 77, width);
        Put16(f, 79, height);
        segments.Append(f);
    }
    // Too many segments for the description: the short form, no objects and the PEC block,
    // which is what machines read.
    Put32(f, 8, static_cast<int64_t>(f.size()));
    f.insert(f.end(), block.begin(), block.end());
    return f;
}

size_t PecBlockOffset(std::span<const uint8_t> bytes) {
    const size_t size = bytes.size();
    if (size < 8 || (!SignatureIs(bytes, "#PEC") && !SignatureIs(bytes, "#PES")))
        throw TReadError("not a Brother PEC or PES file (it starts with neither \"#PEC\" nor \"#PES\")");
    size_t p = 8;
    if (SignatureIs(bytes, "#PES")) {
        if (size < 12) throw TReadError("too short to be a PES file (" + std::to_string(size) + " bytes)");
        const uint32_t at = Get32(bytes, 8);
        if (at < 12 || at >= size)
            throw TReadError("its PEC block offset " + std::to_string(at) + " lies outside the file (" +
                             std::to_string(size) + " bytes)");
        p = at;
    }
    if (size - p < PEC_STITCHES_AT)
        throw TReadError("its PEC block at " + std::to_string(p) + " is cut short (" +
                         std::to_string(size - p) + " bytes where the header alone takes 528)");
    return p;
}

void ReadPec(std::span<const uint8_t> bytes, TImportBuilder& out) {
    const size_t p = PecBlockOffset(bytes);
    const uint8_t* d = bytes.data();
    const size_t size = bytes.size();
    // The colour list: a count of 255 means none; the codes stand in the header.
    const size_t listed = d[p + PEC_COLOUR_COUNT_AT] == 0xFF ? 0 : d[p + PEC_COLOUR_COUNT_AT] + 1u;
    auto colourOf = [&](size_t block) {
        const int code = block < listed ? d[p + PEC_COLOURS_AT + block] : 0;
        return code >= 1 && code <= PEC_PALETTE_SIZE ? PecColour(code)
                                                     : DefaultImportColour(static_cast<int64_t>(block));
    };
    // The first jump starts from the top left corner of the design: start half the stated size
    // up and left of it, so that the design's middle lands where the import is placed, as the
    // start of the formats that begin in the middle does.
    const int64_t w = d[p + PEC_SIZE_AT] | d[p + PEC_SIZE_AT + 1] << 8;
    const int64_t h = d[p + PEC_SIZE_AT + 2] | d[p + PEC_SIZE_AT + 3] << 8;
    int64_t ax = -(w / 2), ay = -(h / 2); // displacement not yet placed, y down
    size_t q = p + PEC_STITCHES_AT;
    out.Reserve((size - q) / 2);
    size_t block = 0;
    bool change = false;  // a colour change waits for the needle point that starts the block
    bool heldTie = false; // a stitch that did not move, not placed yet
    // One value; false when the file ends inside it.
    auto value = [&](int32_t& v, bool& move) {
        if (q >= size) return false;
        const uint8_t b = d[q];
        if (b & 0x80) {
            if (q + 1 >= size) return false;
            v = ((b & 0x0F) << 8) | d[q + 1];
            if (v & 0x800) v -= 0x1000;
            move = move || (b & ((PEC_JUMP | PEC_TRIM) >> 8));
            q += 2;
        } else {
            v = b > 63 ? b - 128 : b;
            q += 1;
        }
        return true;
    };
    // The ties are left out here rather than by the builder's record calls: a PEC colour change
    // comes before the move to the new block, and the stitch the move lands on is the block's
    // first point, so a stitch in place after it is a point of the design, never a tie.
    while (q < size) {
        const uint8_t b = d[q];
        if (b == PEC_END) return; // a tie held back ends the last object
        if (b == PEC_CHANGE && q + 1 < size && d[q + 1] == PEC_CHANGE_2) {
            if (q + 2 >= size) break;
            q += 3;
            // The new colour starts at the next needle point, wherever the jumps after the change
            // take it; the stitch in place before it was the tie that ended the block. A change
            // before any stitch uses up no colour; an empty block keeps its place in the list, so
            // the later blocks keep theirs.
            if (out.HasPoints()) {
                ++block;
                change = true;
                heldTie = false;
            }
            continue;
        }
        int32_t x = 0, y = 0;
        bool move = false;
        if (!value(x, move) || !value(y, move)) break;
        ax += x;
        ay += y;
        if (move) continue; // a jump or trim: its displacement carries into the next stitch
        if (!out.HasPoints() || change) {
            out.AddColour(ax, ay, colourOf(block));
            change = false;
        } else if (ax == 0 && ay == 0) {
            // A stitch into the same hole is held back until the next record shows whether it
            // was the tie before a change or the end.
            if (heldTie) out.Add(0, 0, false);
            heldTie = true;
        } else {
            if (heldTie) out.Add(0, 0, false);
            heldTie = false;
            out.Add(ax, ay, false);
        }
        ax = ay = 0;
    }
    throw TReadError("its stitch data ends without the end mark FF");
}

} // namespace nl
