#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FormatTestUtil.h"
#include "NeedleView.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Export.h"
#include "formats/Import.h"
#include "formats/Palettes.h"
#include "formats/Pec.h"
#include "formats/SideFile.h"
#include "worksheet/Sew.h"

using namespace nl;
using namespace nl::test;

namespace {

constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;
constexpr size_t kBlock = 8;                       // the PEC block of a .pec file
constexpr size_t kData = kBlock + PEC_STITCHES_AT; // its first stitch byte

using TBytes = std::vector<uint8_t>;

TBytes Write(std::vector<std::unique_ptr<TSLStitch>>& objects, bool pes, const std::string& name = "Design",
             std::vector<int32_t>* colours = nullptr) {
    std::vector<TSLStitch*> order;
    for (auto& o : objects)
        order.push_back(o.get());
    TExportPlan plan(order);
    TExportState st;
    st.DesignName = name;
    auto bytes = pes ? WritePes(plan, st) : WritePec(plan, st);
    if (colours) *colours = st.Colours;
    return bytes;
}
TBytes WriteOne(std::unique_ptr<TSLStitch> o, bool pes = false) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(std::move(o));
    return Write(objs, pes);
}

std::unique_ptr<TSLStitch> Read(std::span<const uint8_t> bytes) {
    TImportColours colours;
    return DecodeStitchFile(bytes, *FormatOfExtension("pec"), colours, 0, 0);
}

int32_t Le16(const TBytes& f, size_t at) {
    return static_cast<int16_t>(f[at] | f[at + 1] << 8);
}
int64_t Le32(const TBytes& f, size_t at) {
    return static_cast<int64_t>(f[at]) | f[at + 1] << 8 | f[at + 2] << 16 |
           static_cast<int64_t>(f[at + 3]) << 24;
}
void Put32(TBytes& f, size_t at, int64_t v) {
    for (size_t k = 0; k < 4; ++k)
        f[at + k] = static_cast<uint8_t>(v >> (8 * k));
}
TBytes Text(const std::string& s) {
    return TBytes(s.begin(), s.end());
}
TBytes Slice(const TBytes& f, size_t from, size_t to) {
    return TBytes(f.begin() + static_cast<std::ptrdiff_t>(from), f.begin() + static_cast<std::ptrdiff_t>(to));
}

// Offset of the icons of a PEC block at p, from its 24-bit graphics offset.
size_t IconsAt(const TBytes& f, size_t p) {
    return p + 512 + (f[p + 514] | f[p + 515] << 8 | static_cast<size_t>(f[p + 516]) << 16);
}
TPecIcon Icon(const TBytes& f, size_t p, size_t k) {
    TPecIcon icon;
    std::memcpy(icon.data(), f.data() + IconsAt(f, p) + k * PEC_ICON_SIZE, PEC_ICON_SIZE);
    return icon;
}
bool Pixel(const TPecIcon& icon, int row, int col) {
    return icon[static_cast<size_t>(row * 6 + col / 8)] >> (col % 8) & 1;
}

// The frame as the real files have it, row by row.
TPecIcon Frame() {
    TPecIcon f{};
    auto row = [&](int r, std::array<uint8_t, 6> bytes) { std::memcpy(f.data() + r * 6, bytes.data(), 6); };
    row(1, {0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F});
    row(36, {0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F});
    row(2, {0x08, 0, 0, 0, 0, 0x10});
    row(35, {0x08, 0, 0, 0, 0, 0x10});
    row(3, {0x04, 0, 0, 0, 0, 0x20});
    row(34, {0x04, 0, 0, 0, 0, 0x20});
    for (int r = 4; r <= 33; ++r)
        row(r, {0x02, 0, 0, 0, 0, 0x40});
    return f;
}

// A PEC block as another writer lays it out: header with the colour list, stitch data, one icon.
TBytes Block(const std::vector<uint8_t>& codes, const TBytes& stitches, int count = -1, int w = 0,
             int h = 0) {
    TBytes b(512, ' ');
    std::memcpy(b.data(), "LA:Other", 8);
    b[19] = 0x0D;
    b[48] = static_cast<uint8_t>(count >= 0 ? count : static_cast<int>(codes.size()) - 1);
    std::copy(codes.begin(), codes.end(), b.begin() + 49);
    const size_t graphics = 16 + stitches.size();
    TBytes tail = {0,
                   0,
                   static_cast<uint8_t>(graphics),
                   static_cast<uint8_t>(graphics >> 8),
                   0,
                   0x31,
                   0xFF,
                   0xF0,
                   static_cast<uint8_t>(w),
                   static_cast<uint8_t>(w >> 8),
                   static_cast<uint8_t>(h),
                   static_cast<uint8_t>(h >> 8),
                   0xE0,
                   0x01,
                   0xB0,
                   0x01};
    b.insert(b.end(), tail.begin(), tail.end());
    b.insert(b.end(), stitches.begin(), stitches.end());
    b.insert(b.end(), PEC_ICON_SIZE, 0);
    return b;
}
TBytes PecFile(const TBytes& block, const std::string& magic = "#PEC0001") {
    TBytes f = Text(magic);
    f.insert(f.end(), block.begin(), block.end());
    return f;
}
// A PES file: signature, 32-bit offset, the body given, then the PEC block.
TBytes PesFile(const std::string& signature, const TBytes& body, const TBytes& block) {
    TBytes f = Text(signature);
    f.resize(12);
    f.insert(f.end(), body.begin(), body.end());
    Put32(f, 8, static_cast<int64_t>(f.size()));
    f.insert(f.end(), block.begin(), block.end());
    return f;
}

int32_t PaletteColour(int32_t c) {
    return PecColour(PecCodeOfColour(c));
}

} // namespace

// ---- writer ----

TEST(PecWriter, WholeFileByteByByte) {
    // Machine points (0, 0), (100, 0), (100, -50): the design is 100 x 50, its top left corner
    // 50 units above the first point.
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100}}));
    const TBytes f = Write(objs, false, "Design");

    TBytes want = Text("#PEC0001LA:Design");
    want.resize(kBlock + 512, ' ');
    want[27] = 0x0D;
    const uint8_t fixed[] = {0xFF, 0x00, 0x06, 0x26};
    std::memcpy(want.data() + 40, fixed, 4);
    want[56] = 0x00; // one colour block
    want[57] = 0x05; // red
    const TBytes tail = {0x00, 0x00, 0x1E, 0x00, 0x00, 0x31, 0xFF, 0xF0,
                         0x64, 0x00, 0x32, 0x00, 0xE0, 0x01, 0xB0, 0x01};
    want.insert(want.end(), tail.begin(), tail.end());
    // Jump (0, 50) from the corner and the first stitch in place; a long x (100) with a short y;
    // a short -50 in y (0x4E); the tie that ends the object; the end mark.
    const TBytes stitches = {0x90, 0x00, 0x90, 0x32, 0x00, 0x00, 0x80,
                             0x64, 0x00, 0x00, 0x4E, 0x00, 0x00, 0xFF};
    want.insert(want.end(), stitches.begin(), stitches.end());
    // Two icons, the whole design and its one colour block: the frame with the stitches drawn, a
    // line along row 28 from column 4 to 43 and up column 43 to row 9.
    TPecIcon icon = Frame();
    for (int c = 4; c <= 43; ++c)
        icon[static_cast<size_t>(28 * 6 + c / 8)] |= static_cast<uint8_t>(1 << (c % 8));
    for (int r = 9; r <= 28; ++r)
        icon[static_cast<size_t>(r * 6 + 5)] |= 0x08;
    EXPECT_EQ(Slice(TBytes(icon.begin(), icon.end()), 28 * 6, 29 * 6),
              (TBytes{0xF2, 0xFF, 0xFF, 0xFF, 0xFF, 0x4F}));
    for (int k = 0; k < 2; ++k)
        want.insert(want.end(), icon.begin(), icon.end());
    EXPECT_EQ(f, want);
    EXPECT_EQ(IconsAt(f, kBlock), kData + stitches.size());
    EXPECT_EQ(PecIconFrame(), Frame());
}

TEST(PecWriter, ColourChangesTheListAndTheAlternatingByte) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}, {40, 0, kBlue}, {60, 0}}));
    objs.push_back(Direct({{80, 0, kRed}, {100, 0}}));
    objs.push_back(Direct({{120, 0, kRed}, {140, 0}})); // the same thread: no change
    std::vector<int32_t> colours;
    const TBytes f = Write(objs, false, "D", &colours);
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed, kBlue, kRed}));
    EXPECT_EQ(Slice(f, 56, 61), (TBytes{2, 5, 21, 5, ' '}));
    const TBytes stitches = {
        0x90, 0x00, 0x90, 0x00, 0x00, 0x00, 0x0A, 0x00,             // the first point, a stitch of 10
        0x00, 0x00, 0xFE, 0xB0, 0x02,                               // a tie, the change, 2
        0x90, 0x0A, 0x90, 0x00, 0x00, 0x00, 0x0A, 0x00,             // jump to the new block, a stitch there
        0x00, 0x00,                                                 // the tie that ends the object
        0xFE, 0xB0, 0x01,                                           // the next change, 1
        0x90, 0x0A, 0x90, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, // the third object ...
        0x0A, 0x00, 0x0A, 0x00, 0x00, 0x00, 0xFF};                  // ... and the fourth in the same thread
    EXPECT_EQ(Slice(f, kData, IconsAt(f, kBlock)), stitches);
}

TEST(PecWriter, MovesShortLongAndJumpsSplitNeverWrapped) {
    struct Case {
        int dx, dy;
        TBytes bytes; // of the move from the first point to the second
    } cases[] = {
        {64, -64, {0x80, 0x40, 0x40}}, // x outside -64..63 takes the long form, y -64 the short
        {63, -64, {0x3F, 0x40}},
        {-65, 0, {0x8F, 0xBF, 0x00}},
        {127, -127, {0x80, 0x7F, 0x8F, 0x81}},
        {128, 0, {0x90, 0x80, 0x90, 0x00, 0x00, 0x00}}, // too long for a stitch: a jump, then in place
        {-3, 128, {0x9F, 0xFD, 0x90, 0x80, 0x00, 0x00}},
        {2047, -2047, {0x97, 0xFF, 0x98, 0x01, 0x00, 0x00}},
        // 5000 units: three equal jumps within 2047, adding up exactly.
        {5000, 0, {0x96, 0x83, 0x90, 0x00, 0x96, 0x82, 0x90, 0x00, 0x96, 0x83, 0x90, 0x00, 0x00, 0x00}},
        {0, 2048, {0x90, 0x00, 0x94, 0x00, 0x90, 0x00, 0x94, 0x00, 0x00, 0x00}},
    };
    for (auto& c : cases) {
        const float x = static_cast<float>(2 * c.dx), y = static_cast<float>(2 * c.dy);
        const TBytes f = WriteOne(Direct({{0, 0, kRed}, {x, y}}));
        // The first jump from the corner (one record here) and 00 00; the move; the tie and FF.
        const size_t end = IconsAt(f, kBlock) - 3;
        EXPECT_EQ(Slice(f, kData + 6, end), c.bytes) << c.dx << ", " << c.dy;
        // Read back, the second point is where it was.
        auto o = Read(f);
        ASSERT_EQ(o->Count(), 2) << c.dx;
        EXPECT_EQ((*o)[1].X - (*o)[0].X, x) << c.dx;
        EXPECT_EQ((*o)[1].Y - (*o)[0].Y, y) << c.dx;
    }
    // Invariant over long moves: every jump value stays within -2047..2047, and the values add up
    // to the move (the first jump from the corner, 00 00, then the move's jumps).
    for (int d : {2048, 4094, 9998, 30000, -30000, -4096}) {
        const TBytes f =
            WriteOne(Direct({{0, 0, kRed}, {static_cast<float>(2 * d), static_cast<float>(-d)}}));
        size_t q = kData;
        auto jumps = [&](int64_t& sx, int64_t& sy) {
            auto value = [&](size_t at) {
                const int v = (f[at] & 0x0F) << 8 | f[at + 1];
                return v & 0x800 ? v - 0x1000 : v;
            };
            for (; f[q] & 0x80; q += 4) {
                EXPECT_EQ(f[q] & 0xF0, 0x90);
                EXPECT_EQ(f[q + 2] & 0xF0, 0x90);
                EXPECT_LE(std::abs(value(q)), 2047);
                EXPECT_LE(std::abs(value(q + 2)), 2047);
                sx += value(q), sy += value(q + 2);
            }
        };
        int64_t jx = 0, jy = 0, sx = 0, sy = 0;
        jumps(jx, jy);
        EXPECT_EQ(f[q] | f[q + 1], 0);
        q += 2;
        jumps(sx, sy);
        EXPECT_EQ(jx, d < 0 ? -d : 0) << d;
        EXPECT_EQ(jy, d < 0 ? 0 : d / 2) << d;
        EXPECT_EQ(sx, d) << d;
        EXPECT_EQ(sy, -d / 2) << d;
    }
}

TEST(PecWriter, LabelIsTheNameCutTo16Characters) {
    struct Case {
        const char* name;
        const char* label;
    } cases[] = {{"Design", "Design"},
                 {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNOP"},
                 {"Embroidermodder", "Embroidermodder"},
                 {"M\xC3\xBCller\tx", "M_ller_x"},
                 {"", ""}};
    for (auto& c : cases)
        EXPECT_EQ(PecLabel(c.name), c.label) << c.name;
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}}));
    const TBytes f = Write(objs, false, "A very long design name");
    EXPECT_EQ(Slice(f, 8, 28), Text("LA:A very long desi\r"));
    const TBytes g = Write(objs, false, "Star");
    EXPECT_EQ(Slice(g, 8, 40), Text("LA:Star            \r            "));
}

TEST(PecWriter, PaletteCodesWrittenAre1To64) {
    // The nearest colour by |dR| + |dG| + |dB|: near-white goes to white (29); the palette's 65th
    // (244, 244, 244), unknown to other readers, is written as its nearest of 1..64.
    EXPECT_EQ(NearestPecCode(MakeColour(250, 250, 250)), 29);
    EXPECT_EQ(PecCodeOfColour(MakeColour(250, 250, 250)), 29);
    EXPECT_EQ(NearestPecCode(MakeColour(244, 244, 244)), 65);
    EXPECT_EQ(PecCodeOfColour(MakeColour(244, 244, 244)), 29);
    EXPECT_EQ(PecCodeOfColour(MakeColour(248, 248, 248)), 29);
    EXPECT_EQ(PecCodeOfColour(MakeColour(255, 0, 0)), 5);
    for (int code = 1; code <= 64; ++code)
        EXPECT_EQ(PecCodeOfColour(PecColour(code)), code);
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15) {
                const int code = PecCodeOfColour(MakeColour(r, g, b));
                ASSERT_TRUE(code >= 1 && code <= 64) << r << "," << g << "," << b;
            }
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, MakeColour(244, 244, 244)}, {20, 0}}));
    EXPECT_EQ(Write(objs, false)[57], 29);
}

TEST(PecWriter, At255ColourBlocksWritesAndAboveRefuses) {
    for (int blocks : {255, 256}) {
        auto o = std::make_unique<TSLStitch>();
        for (int i = 0; i < blocks; ++i) {
            o->Append(TSP::Colour(0, static_cast<float>(i * 20), 0, i % 2 ? kRed : kBlue));
            o->Append(TSP::Plain(0, static_cast<float>(i * 20 + 10), 0));
        }
        std::vector<std::unique_ptr<TSLStitch>> objs;
        objs.push_back(std::move(o));
        for (bool pes : {false, true}) {
            if (blocks == 255) {
                const TBytes f = Write(objs, pes);
                const size_t p = pes ? static_cast<size_t>(Le32(f, 8)) : kBlock;
                EXPECT_EQ(f[p + 48], 254);
                EXPECT_EQ(f.size(), IconsAt(f, p) + 256 * PEC_ICON_SIZE); // 1 + 255 icons
                auto back = Read(f);
                int n = 0;
                for (const TSP& q : *back)
                    n += q.IsColourPoint();
                EXPECT_EQ(n, 255);
            } else {
                ExpectRefused([&] { Write(objs, pes); }, "at most 255 colour blocks",
                              "256 colour blocks were written");
            }
        }
    }
}

TEST(PecWriter, GraphicsOffsetTakesAll24Bits) {
    // 30,000 stitches of 3 bytes each put the icons beyond 65,535 bytes from the header.
    auto o = std::make_unique<TSLStitch>();
    o->Append(TSP::Colour(0, 0, 0, kRed));
    for (int i = 1; i < 30000; ++i)
        o->Append(TSP::Plain(0, i % 2 ? 200.0f : 0.0f, static_cast<float>(i % 100)));
    const TBytes f = WriteOne(std::move(o));
    EXPECT_GE(f[kBlock + 516], 1);
    const size_t icons = IconsAt(f, kBlock);
    EXPECT_EQ(f[icons - 1], PEC_END);
    EXPECT_EQ(f.size(), icons + 2 * PEC_ICON_SIZE);
}

TEST(PecWriter, IconsShowTheDesignAndEachColourBlock) {
    // Red on the left, blue on the right, red again in the middle row: icon 0 is all three,
    // icons 1 to 3 one block each, every one in the frame.
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {0, 200}}));
    objs.push_back(Direct({{400, 0, kBlue}, {400, 200}}));
    objs.push_back(Direct({{0, 100, kRed}, {200, 100}, {400, 100}}));
    const TBytes f = Write(objs, false);
    ASSERT_EQ(f.size(), IconsAt(f, kBlock) + 4 * PEC_ICON_SIZE);
    const TPecIcon frame = Frame();
    std::vector<TPecIcon> icons;
    for (size_t k = 0; k < 4; ++k)
        icons.push_back(Icon(f, kBlock, k));
    for (size_t b = 0; b < PEC_ICON_SIZE; ++b) {
        EXPECT_EQ(icons[0][b], icons[1][b] | icons[2][b] | icons[3][b]) << b;
        for (const TPecIcon& icon : icons)
            EXPECT_EQ(icon[b] & frame[b], frame[b]) << b;
    }
    // The design is 200 x 100 units: 40 pixels across (4..43), 20 high, centred in rows 4..33.
    for (int r = 9; r <= 28; ++r) {
        EXPECT_TRUE(Pixel(icons[1], r, 4)) << r;
        EXPECT_FALSE(Pixel(icons[1], r, 43)) << r;
        EXPECT_TRUE(Pixel(icons[2], r, 43)) << r;
        EXPECT_FALSE(Pixel(icons[2], r, 4)) << r;
    }
    for (int c = 4; c <= 43; ++c)
        EXPECT_TRUE(Pixel(icons[3], 19, c)) << c;
    EXPECT_FALSE(Pixel(icons[3], 9, 4));
}

TEST(PesWriter, Version1ByteByByteThenThePecBlock) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100}}));
    const TBytes pes = Write(objs, true, "Design");
    const TBytes pec = Write(objs, false, "Design");

    TBytes want = Text("#PES0001");
    for (uint8_t b : {136, 0, 0, 0, 1, 0, 1, 0, 1, 0, 0xFF, 0xFF, 0, 0, 7, 0})
        want.push_back(b);
    for (char c : std::string("CEmbOne"))
        want.push_back(static_cast<uint8_t>(c));
    want.insert(want.end(), 16, 0); // two rectangles
    // The transform 1, 0, 0, 1, 950, 1025: the design's middle at (1000, 1000).
    for (uint32_t u : {0x3F800000u, 0u, 0u, 0x3F800000u, 0x446D8000u, 0x44802000u})
        for (int k = 0; k < 4; ++k)
            want.push_back(static_cast<uint8_t>(u >> (8 * k)));
    for (uint8_t b : {1, 0, 0, 0, 0, 0, 100, 0, 50, 0})
        want.push_back(b);
    want.insert(want.end(), 8, 0);
    for (uint8_t b : {1, 0, 0xFF, 0xFF, 0, 0, 7, 0})
        want.push_back(b);
    for (char c : std::string("CSewSeg"))
        want.push_back(static_cast<uint8_t>(c));
    // One stitch segment in red (5) with the four needle points from the bottom left: the first
    // point, the long stitch, the short one and the tie; the colour log; no more blocks.
    for (uint8_t b : {0,    0,    5,   0, 4,    0,    0, 0, 0, 0, 100, 0, 0, 0, 100, 0,
                      0xCE, 0xFF, 100, 0, 0xCE, 0xFF, 1, 0, 0, 0, 5,   0, 0, 0, 0,   0})
        want.push_back(b);
    ASSERT_EQ(want.size(), 136u);
    want.insert(want.end(), pec.begin() + 8, pec.end());
    EXPECT_EQ(pes, want);
}

TEST(PesWriter, SegmentsFollowTheRecordsWithTheColourLog) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}, {600, 0}, {620, 0}, {640, 0, kBlue}, {660, 0}}));
    objs.push_back(Direct({{700, 0, kGreen}, {720, 0}}));
    const TBytes f = Write(objs, true);
    // Kinds and codes of the segments, and the log of where each colour starts.
    const int32_t segments = Le16(f, 89);
    size_t q = 104;
    std::vector<std::pair<int, int>> kinds;
    for (int32_t s = 0; s < segments; ++s) {
        if (s > 0) {
            EXPECT_EQ(Le16(f, q), static_cast<int16_t>(0x8003));
            q += 2;
        }
        kinds.emplace_back(Le16(f, q), Le16(f, q + 2));
        q += 6 + 4 * static_cast<size_t>(Le16(f, q + 4));
    }
    const int red = 5, blue = 21, green = PecCodeOfColour(kGreen);
    // The first run; a jump for the stitch too long to sew and its run; the jump to blue and its
    // run; the jump to green and its run.
    EXPECT_EQ(kinds, (std::vector<std::pair<int, int>>{
                         {0, red}, {1, red}, {0, red}, {1, blue}, {0, blue}, {1, green}, {0, green}}));
    EXPECT_EQ(Le16(f, q), 3);
    EXPECT_EQ(Slice(f, q + 2, q + 18),
              (TBytes{0, 0, static_cast<uint8_t>(red), 0, 3, 0, static_cast<uint8_t>(blue), 0, 5, 0,
                      static_cast<uint8_t>(green), 0, 0, 0, 0, 0}));
    EXPECT_EQ(Le32(f, 8), static_cast<int64_t>(q + 18));
    EXPECT_EQ(Slice(f, q + 18, q + 21), Text("LA:"));
}

TEST(PesWriter, LongRunsSplitAndTooManySegmentsGiveTheShortForm) {
    // A run of 70,000 stitches is three segments of at most 32,767 points, each going on from the
    // last point of the one before.
    auto run = std::make_unique<TSLStitch>();
    run->Append(TSP::Colour(0, 0, 0, kRed));
    for (int i = 1; i < 70000; ++i)
        run->Append(TSP::Plain(0, static_cast<float>(i % 2 * 40), static_cast<float>(i % 3)));
    const TBytes f = WriteOne(std::move(run), true);
    EXPECT_EQ(Le16(f, 89), 3);
    EXPECT_EQ(Le16(f, 104 + 4), 32767);
    const size_t second = 104 + 6 + 4 * 32767;
    EXPECT_EQ(Le16(f, second), static_cast<int16_t>(0x8003));
    EXPECT_EQ(Le16(f, second + 2 + 4), 32767);
    EXPECT_EQ(Slice(f, second + 8, second + 12), Slice(f, second - 4, second)); // the same point
    // 20,000 moves too long to sew: twice as many segments as the description can count. The
    // file is then the short form, no objects and the PEC block, which machines read.
    auto jumps = std::make_unique<TSLStitch>();
    jumps->Append(TSP::Colour(0, 0, 0, kRed));
    for (int i = 1; i < 20000; ++i)
        jumps->Append(TSP::Plain(0, static_cast<float>(i % 2 * 400), 0));
    const TBytes g = WriteOne(std::move(jumps), true);
    EXPECT_EQ(Slice(g, 0, 22),
              (TBytes{'#', 'P', 'E', 'S', '0', '0', '0', '1', 22, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Slice(g, 22, 25), Text("LA:"));
    EXPECT_EQ(Read(g)->Count(), 20000);
}

// ---- reader ----

TEST(PecReader, RealFilesPlaceEveryStitchWhereTheirWriterPutIt) {
    // Star.pes holds the design of Star.DST: the same needle points, the colour changing one
    // needle later, its colours from the palette (red and white).
    auto dst = ReadStitchFile(Fixture("Star.DST"));
    auto pes = ReadStitchFile(Fixture("Star.pes"));
    ASSERT_EQ(pes->Count(), dst->Count());
    std::vector<int32_t> colours;
    std::vector<int32_t> changes, dstChanges;
    for (int32_t i = 0; i < pes->Count(); ++i) {
        EXPECT_EQ((*pes)[i].X, (*dst)[i].X) << i;
        EXPECT_EQ((*pes)[i].Y, (*dst)[i].Y) << i;
        if ((*pes)[i].IsColourPoint()) colours.push_back((*pes)[i].ColourOrLink), changes.push_back(i);
        if ((*dst)[i].IsColourPoint()) dstChanges.push_back(i);
    }
    EXPECT_EQ(colours, (std::vector<int32_t>{PecColour(5), PecColour(29)}));
    EXPECT_EQ(changes, (std::vector<int32_t>{0, 1456}));
    EXPECT_EQ(dstChanges, (std::vector<int32_t>{0, 1455}));
    // Placed by the middle of the size its header states, as DST by its start: the same bounds.
    EXPECT_EQ(pes->Bounds, dst->Bounds);

    // Embroidermodder.PES holds the design of Embroidermodder.PEC turned by a quarter; the PEC file
    // has one point more, where its first trim lands.
    auto pec = ReadStitchFile(Fixture("Embroidermodder.PEC"));
    auto turned = ReadStitchFile(Fixture("Embroidermodder.PES"));
    ASSERT_EQ(pec->Count(), 3408);
    ASSERT_EQ(turned->Count(), 3407);
    for (int32_t i = 1; i < turned->Count(); ++i) {
        const TSP &a0 = (*pec)[i], &a1 = (*pec)[i + 1], &b0 = (*turned)[i - 1], &b1 = (*turned)[i];
        ASSERT_EQ(a1.X - a0.X, b1.Y - b0.Y) << i;
        ASSERT_EQ(a1.Y - a0.Y, -(b1.X - b0.X)) << i;
    }
    EXPECT_EQ((*pec)[0].GetColour(), PecColour(1));
    EXPECT_EQ((*turned)[0].GetColour(), PecColour(1));
}

TEST(PecReader, DecodesOtherWritersValueByValue) {
    const TBytes stitches = {
        0xA0, 0x1E, 0x90, 0x05,             // a trim (+30) and a jump (+5): they carry into the next stitch
        0x0A, 0x7E,                         // a stitch (10, -2): the first point, at (40, 3)
        0x45, 0x3F,                         // 7-bit values above 63 are negative: (-59, 63)
        0x80, 0x64, 0x00,                   // a long stitch (100, 0)
        0xFE, 0xB0, 0x01,                   // a change with the byte other writers put there
        0x91, 0x00, 0x00,                   // a jump flagged on x alone: (256, 0) is a move
        0x05, 0x05,                         // the new block's first point, no 00 00 after the jump
        0xFE, 0xB0, 0x02, 0xFE, 0xB0, 0x01, // an empty block
        0x00, 0x0A,                         // block 3
        0xFE, 0xB0, 0x02, 0x01, 0x01,       // block 4, past the header's list
        0xFF, 0x00, 0x0A};                  // the end; nothing after it is read
    // Codes: red, 0 (none), black for the empty block, 66 (beyond the palette).
    const TBytes block = Block({5, 0, 20, 66}, stitches);
    const std::vector<TPointView> want = {{80, 6, PecColour(5)},
                                          {-38, 132, NO_COLOUR},
                                          {162, 132, NO_COLOUR},
                                          {684, 142, DefaultImportColour(1)},
                                          {684, 162, DefaultImportColour(3)},
                                          {686, 164, DefaultImportColour(4)}};
    EXPECT_EQ(Points(*Read(PecFile(block))), want);
    EXPECT_EQ(Points(*Read(PecFile(block, "#pec0001"))), want); // any case
    // A colour count of 255 states no colours: every block gets a default one.
    auto none = Read(PecFile(Block({5}, {0x00, 0x00, 0xFE, 0xB0, 0x02, 0x01, 0x00, 0xFF}, 255)));
    EXPECT_EQ(Points(*none),
              (std::vector<TPointView>{{0, 0, DefaultImportColour(0)}, {2, 0, DefaultImportColour(1)}}));
    // A jump followed by a stitch is one point at the sum of both.
    EXPECT_EQ(Points(*Read(PecFile(Block({5}, {0x90, 0x80, 0x90, 0x00, 0x01, 0x00, 0xFF})))),
              (std::vector<TPointView>{{258, 0, PecColour(5)}}));
}

TEST(PecReader, FindsThePecBlockOfEveryPesVersion) {
    const TBytes block = Block({5, 29}, {0x90, 0x10, 0x90, 0x20, 0x00, 0x00, 0x05, 0x7B, 0xFE, 0xB0,
                                         0x02, 0x90, 0x02, 0x90, 0x00, 0x00, 0x00, 0x7F, 0x01, 0xFF},
                               -1, 40, 60);
    const auto want = Points(*Read(PecFile(block)));
    ASSERT_EQ(want.size(), 4u);
    // The description in front of the block differs by version; the offset at 8 finds the block.
    auto embOne = [](size_t filler) {
        TBytes b = {1, 0, 1, 0, 1, 0, 0xFF, 0xFF, 0, 0, 7, 0, 'C', 'E', 'm', 'b', 'O', 'n', 'e'};
        b.insert(b.end(), filler, 0);
        return b;
    };
    // Versions 5 and 6 begin with the description strings and a thread list before the objects.
    auto described = [&](size_t filler) {
        TBytes b = {1, 0, '0', '1', 4, 'S', 't', 'a', 'r', 0, 0, 0, 0};
        TBytes e = embOne(filler);
        b.insert(b.end(), e.begin(), e.end());
        return b;
    };
    struct Case {
        const char* signature;
        TBytes body;
    } cases[] = {
        {"#PES0001", TBytes(10, 0)}, // the short form: no objects
        {"#PES0001", embOne(80)},
        {"#PES0020", embOne(120)},
        {"#PES0022", embOne(140)},
        {"#PES0030", embOne(200)},
        {"#PES0040", embOne(13000)},
        {"#PES0050", described(600)},
        {"#PES0055", described(700)},
        {"#PES0056", described(800)},
        // A large version 6 file: its PEC block lies beyond what 16 bits can say.
        {"#PES0060", described(70000)},
    };
    for (auto& c : cases) {
        const TBytes f = PesFile(c.signature, c.body, block);
        EXPECT_EQ(PecBlockOffset(f), 12 + c.body.size()) << c.signature;
        EXPECT_EQ(Points(*Read(f)), want) << c.signature << " " << c.body.size();
    }
}

TEST(PecReader, RefusesDamagedFilesWithAClearReason) {
    const TBytes block = Block({5}, {0x00, 0x00, 0x05, 0x05, 0xFF});
    const TBytes good = PecFile(block);
    ASSERT_NO_THROW(Read(good));
    const TBytes pes = PesFile("#PES0001", TBytes(10, 0), block);
    ASSERT_NO_THROW(Read(pes));
    auto with = [](TBytes f, auto edit) {
        edit(f);
        return f;
    };
    const TBytes stitchesCut = Slice(good, 0, kData + 3);
    struct Case {
        const char* name;
        TBytes file;
        const char* says;
    } cases[] = {
        {"empty", {}, "not a Brother PEC or PES file"},
        {"another signature", Text("LA:Star         \r"), "not a Brother PEC or PES file"},
        {"a PES offset past the end",
         with(pes, [](TBytes& f) { Put32(f, 8, static_cast<int64_t>(f.size())); }), "PEC block offset"},
        {"a PES offset beyond 32 bits' sign", with(pes, [](TBytes& f) { Put32(f, 8, 0xFFFFFFF0); }),
         "PEC block offset 4294967280 lies outside the file"},
        {"a PES offset into its own header", with(pes, [](TBytes& f) { Put32(f, 8, 4); }),
         "PEC block offset 4"},
        {"a PES block cut short",
         with(pes, [](TBytes& f) { Put32(f, 8, static_cast<int64_t>(f.size()) - 100); }), "is cut short"},
        {"a PES of 10 bytes", Text("#PES0001\x16"), "too short"},
        {"a PEC header cut short", Slice(good, 0, 300), "is cut short"},
        {"no end mark", stitchesCut, "ends without the end mark"},
        {"the end inside a long value", Slice(PecFile(Block({5}, {0x00, 0x00, 0x80})), 0, kData + 3),
         "ends without the end mark"},
        {"the end inside a change", Slice(PecFile(Block({5}, {0x00, 0x00, 0xFE, 0xB0})), 0, kData + 4),
         "ends without the end mark"},
    };
    for (auto& c : cases) {
        try {
            Read(c.file);
            ADD_FAILURE() << c.name << " was read";
        } catch (const TReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
        }
    }
    // Only moves, or nothing: no stitches to import.
    EXPECT_THROW(Read(PecFile(Block({5}, {0x90, 0x01, 0x90, 0x01, 0xFF}))), TNoStitchesError);
    // Through the import: the file named, nothing added.
    TTempDir dir;
    WriteFileAtomic(dir / "cut.pec", stitchesCut);
    try {
        ReadStitchFile(dir / "cut.pec");
        ADD_FAILURE() << "a cut file was imported";
    } catch (const TImportError& e) {
        EXPECT_EQ(e.Fault, TImportFault::Damaged);
        EXPECT_EQ(e.File, (dir / "cut.pec").string());
    }
}

// ---- round trips ----

TEST(PecRoundTrip, WrittenAndReadBackKeepsNeedlesBlocksAndPaletteColours) {
    for (const char* ext : {"pec", "pes"}) {
        TTempDir dir;
        TMixedDesign d = MixedDesign(16000, 9000);
        const auto file = dir / (std::string("design.") + ext);
        const TFormat& row = *FormatOfExtension(ext);
        ASSERT_TRUE(WriteDesign(d.Order, file, row, DataDir())) << ext;
        auto back = ReadStitchFile(file, row, 50, 60);
        EXPECT_EQ(Needles({back.get()}), Needles(d.Originals, &PaletteColour)) << ext;
        // The label is the file's name.
        const TBytes bytes = ReadWholeFile(file);
        const size_t p = PecBlockOffset(bytes);
        EXPECT_EQ(Slice(bytes, p, p + 19), Text("LA:design          ")) << ext;
    }
}

TEST(PecRoundTrip, ConvertingOurOwnOutputAgainGivesTheSameBytes) {
    // Our writer's ties (before a change, at the end of each object) read back as no points or as
    // points written the same way again: a converted file converts to itself.
    TTempDir dir;
    std::filesystem::create_directories(dir / "a");
    std::filesystem::create_directories(dir / "b");
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {40, 20}, {40, 20}, {600, 20}, {610, 30, kBlue}, {610, 30}}));
    objs.push_back(Direct({{610, 30, kBlue}, {700, 90}})); // same thread, same place
    objs.push_back(Direct({{9000, -4000, kGreen}, {9010, -4000}, {9010, -4000, kRed}, {9020, -4010}}));
    std::vector<TSLStitch*> order;
    for (auto& o : objs)
        order.push_back(o.get());
    for (const char* ext : {"pec", "pes"}) {
        const TFormat& row = *FormatOfExtension(ext);
        auto convert = [&](const std::filesystem::path& in, const std::filesystem::path& out) {
            TSew sew;
            const int32_t group = AddImport(sew, ReadStitchFile(in))->GroupId;
            WriteDesign(sew.BuildStitchOrder(group), out, row, DataDir());
        };
        const std::string name = std::string("design.") + ext;
        WriteDesign(order, dir / "a" / name, row, DataDir());
        convert(dir / "a" / name, dir / "b" / name);
        EXPECT_EQ(ReadWholeFile(dir / "b" / name), ReadWholeFile(dir / "a" / name)) << ext;
        // The real Star.DST converted, and that conversion converted again.
        const std::string star = std::string("star.") + ext;
        convert(Fixture("Star.DST"), dir / "a" / star);
        convert(dir / "a" / star, dir / "b" / star);
        EXPECT_EQ(ReadWholeFile(dir / "b" / star), ReadWholeFile(dir / "a" / star)) << ext;
    }
}
