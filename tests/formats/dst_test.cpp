#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FormatTestUtil.h"
#include "NeedleView.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Dst.h"
#include "formats/Export.h"
#include "formats/Import.h"
#include "formats/ImportBuilder.h"
#include "formats/Palettes.h"

using namespace nl;
using namespace nl::test;

namespace {

struct TRec {
    int32_t Dx, Dy; // dy positive up
    uint8_t B2;     // the record's kind: 0x03 stitch, 0x83 jump, 0xC3 colour change, 0xF3 end
    bool operator==(const TRec&) const = default;
};

std::vector<TRec> Records(const std::vector<uint8_t>& file) {
    std::vector<TRec> out;
    for (size_t at = DST_HEADER_SIZE; at + 3 <= file.size(); at += 3) {
        TRec r;
        DecodeDstRecord(file.data() + at, r.Dx, r.Dy);
        r.B2 = file[at + 2] >= 0xF0 ? DST_END : static_cast<uint8_t>(file[at + 2] & 0xC3);
        out.push_back(r);
        if (r.B2 == DST_END) break;
    }
    return out;
}

// Writes the objects as one design, in order.
std::vector<uint8_t> Write(std::vector<std::unique_ptr<TSLStitch>>& objects,
                           std::vector<int32_t>* colours = nullptr) {
    std::vector<TSLStitch*> order;
    for (auto& o : objects)
        order.push_back(o.get());
    TExportPlan plan(order);
    TExportState st;
    auto bytes = WriteDst(plan, st);
    if (colours) *colours = st.Colours;
    return bytes;
}

std::string Field(const std::vector<uint8_t>& f, size_t at, size_t n) {
    return std::string(reinterpret_cast<const char*>(f.data() + at), n);
}

int Count(const std::vector<TRec>& recs, uint8_t b2) {
    int n = 0;
    for (auto& r : recs)
        n += r.B2 == b2;
    return n;
}

std::unique_ptr<TSLStitch> Read(std::span<const uint8_t> bytes, TImportColours colours = {}) {
    return DecodeStitchFile(bytes, Dst(), colours, 0, 0);
}

// File bytes: a header, then the given records.
std::vector<uint8_t> FileOf(std::initializer_list<std::array<uint8_t, 3>> recs) {
    std::vector<uint8_t> f(DST_HEADER_SIZE, ' ');
    std::memcpy(f.data(), "LA:", 3);
    for (auto& r : recs)
        f.insert(f.end(), r.begin(), r.end());
    return f;
}

std::array<uint8_t, 3> Rec(int32_t dx, int32_t dy, uint8_t flags) {
    std::array<uint8_t, 3> r;
    EncodeDstRecord(dx, dy, flags, r.data());
    return r;
}

} // namespace

TEST(DstCodec, EveryDisplacementRoundTripsAndDigitsSitInTheirBits) {
    for (int dx = -DST_MAX_STEP; dx <= DST_MAX_STEP; ++dx)
        for (int dy = -DST_MAX_STEP; dy <= DST_MAX_STEP; ++dy) {
            uint8_t r[3];
            EncodeDstRecord(dx, dy, DST_STITCH, r);
            int32_t x, y;
            DecodeDstRecord(r, x, y);
            ASSERT_EQ(x, dx);
            ASSERT_EQ(y, dy);
            ASSERT_EQ(r[2] & 0xC3, 0x03);
        }
    struct Case {
        int dx, dy;
        std::array<uint8_t, 3> bytes;
    } cases[] = {
        {1, 0, {0x01, 0x00, 0x03}},   {-1, 0, {0x02, 0x00, 0x03}},    {0, 1, {0x80, 0x00, 0x03}},
        {0, -1, {0x40, 0x00, 0x03}},  {2, 0, {0x02, 0x01, 0x03}},     {81, 0, {0x00, 0x00, 0x07}},
        {0, -81, {0x00, 0x00, 0x13}}, {121, 121, {0xA5, 0xA5, 0x27}}, {41, 0, {0x0A, 0x0A, 0x07}},
    };
    for (auto& c : cases) {
        uint8_t r[3];
        EncodeDstRecord(c.dx, c.dy, DST_STITCH, r);
        EXPECT_EQ((std::array<uint8_t, 3>{r[0], r[1], r[2]}), c.bytes) << c.dx << "," << c.dy;
    }
}

TEST(DstWriter, LongMovesSplitIntoJumpsEndingInAStitch) {
    struct Case {
        float x1, y1; // second point, internal units; the first is (0, 0)
        std::vector<TRec> move;
    } cases[] = {
        {244, 0, {{61, 0, DST_JUMP}, {61, 0, DST_STITCH}}},
        {484, 242, {{121, -60, DST_JUMP}, {121, -61, DST_STITCH}}}, // rnd(-60.5) = -60
        {242, 0, {{121, 0, DST_STITCH}}},
    };
    for (auto& c : cases) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        objs.push_back(Direct({{0, 0, 0xFF}, {c.x1, c.y1}}));
        auto recs = Records(Write(objs));
        // After the jumps to the first point: its zero stitch, the move, the closing zero stitch.
        size_t at = 0;
        while (recs[at].B2 == DST_JUMP)
            ++at;
        ASSERT_EQ(recs[at], (TRec{0, 0, DST_STITCH}));
        std::vector<TRec> move(recs.begin() + static_cast<long>(at) + 1,
                               recs.begin() + static_cast<long>(at + 1 + c.move.size()));
        EXPECT_EQ(move, c.move);
        EXPECT_EQ(recs[at + 1 + c.move.size()], (TRec{0, 0, DST_STITCH}));
        EXPECT_EQ(recs.back(), (TRec{0, 0, DST_END}));
    }
}

TEST(DstWriter, ColourChangeJumpsToTheNewBlockThenChangesThenStitches) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, 0x0000FF}, {20, 0}, {400, 0, 0xFF0000}, {420, 0}}));
    std::vector<int32_t> colours;
    auto recs = Records(Write(objs, &colours));
    // ... stitch to (10, 0), zero stitch, jumps to (200, 0), colour change, zero stitch, ...
    auto it = std::find(recs.begin(), recs.end(), TRec{0, 0, DST_COLOUR});
    ASSERT_NE(it, recs.end());
    EXPECT_EQ(*(it + 1), (TRec{0, 0, DST_STITCH}));
    auto before = it - 1;
    int jumped = 0;
    while (before->B2 == DST_JUMP)
        jumped += (before--)->Dx;
    EXPECT_EQ(jumped, 190);
    EXPECT_EQ(*before, (TRec{0, 0, DST_STITCH}));
    EXPECT_EQ(*(before - 1), (TRec{10, 0, DST_STITCH}));
    EXPECT_EQ(colours, (std::vector<int32_t>{0x0000FF, 0xFF0000}));
}

TEST(DstWriter, ColourChangesBetweenObjectsFollowTheThreadInTheMachine) {
    struct Case {
        const char* name;
        std::vector<std::vector<int32_t>> blocks; // per object, the colours of its blocks
        int changes;
        std::vector<int32_t> sideColours;
    } cases[] = {
        {"same colour twice", {{1}, {1}}, 0, {1}},
        {"two colours", {{1}, {2}}, 1, {1, 2}},
        {"first colour again after a two-block object", {{1, 2}, {1}}, 2, {1, 2, 1}},
        {"last block carries on", {{1, 2}, {2}}, 1, {1, 2}},
    };
    for (auto& c : cases) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        float x = 0;
        for (auto& blocks : c.blocks) {
            auto o = std::make_unique<TSLStitch>();
            for (int32_t col : blocks) {
                o->Append(TSP::Colour(0, x, 0, col));
                o->Append(TSP::Plain(0, x + 10, 0));
                x += 20;
            }
            objs.push_back(std::move(o));
        }
        std::vector<int32_t> colours;
        auto recs = Records(Write(objs, &colours));
        EXPECT_EQ(Count(recs, DST_COLOUR), c.changes) << c.name;
        EXPECT_EQ(colours, c.sideColours) << c.name;
    }
}

TEST(DstWriter, HeaderStatesRealExtentsAndCounts) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, 0x11}, {200, 0}, {200, -100, 0x22}}));
    auto f = Write(objs);
    auto recs = Records(f);
    // Centre (50, -25) in machine units; points (0, 0), (100, 0), (100, -50).
    EXPECT_EQ(Field(f, 0, 3), "LA:");
    EXPECT_EQ(Field(f, 20, 11), "ST:" + std::string(7 - std::to_string(recs.size()).size(), '0') +
                                    std::to_string(recs.size()) + "\r");
    EXPECT_EQ(Field(f, 31, 7), "CO:001\r");
    EXPECT_EQ(Field(f, 38, 36), "+X:00050\r-X:00050\r+Y:00025\r-Y:00025\r");
    EXPECT_EQ(Field(f, 74, 20), "AX:+   50\rAY:+   25\r");
    EXPECT_EQ(Field(f, 94, 30), "MX:+    0\rMY:+    0\rPD:******\r");
    // The needle travels from the start to the first point by jumps, then sews.
    EXPECT_EQ(recs[0], (TRec{-50, -25, DST_JUMP}));
    EXPECT_EQ(recs[1], (TRec{0, 0, DST_STITCH}));
    EXPECT_EQ(f[124], 0x1A);
    EXPECT_EQ(f.back(), 0x1A);
    EXPECT_EQ((f.size() - DST_HEADER_SIZE - 1) % 3, 0u);
}

TEST(DstWriter, ColourCountIsClampedToItsField) {
    auto o = std::make_unique<TSLStitch>();
    for (int i = 0; i < 1200; ++i)
        o->Append(TSP::Colour(0, static_cast<float>(i * 4), 0, i % 2 ? 0x10 : 0x20));
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(std::move(o));
    auto f = Write(objs);
    EXPECT_EQ(Field(f, 31, 7), "CO:999\r");
    EXPECT_EQ(Field(f, 38, 3), "+X:");
}

TEST(DstWriter, RefusesAnEmptyDesignAndOneTooLargeForTheHeader) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(std::make_unique<TSLStitch>());
    EXPECT_THROW(Write(objs), TError);
    objs.push_back(Direct({{0, 0, 1}, {500000, 0}}));
    EXPECT_THROW(Write(objs), TError);
}

TEST(DstReader, PlacesPointsFromJumpsStitchesAndColourChanges) {
    // jump (+5, up 3), stitch (+1, 0): one point at (12, -6); then a colour change that did
    // not move turns the last point into a colour point; a moving one adds a point.
    auto f = FileOf({Rec(5, 3, DST_JUMP), Rec(1, 0, DST_STITCH), Rec(2, 0, DST_STITCH), Rec(0, 0, DST_COLOUR),
                     Rec(0, -4, DST_JUMP), Rec(0, 0, DST_COLOUR), Rec(1, 0, DST_STITCH), Rec(0, 0, DST_END)});
    TImportColours colours(std::vector<uint8_t>{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0});
    auto o = Read(f, colours);
    ASSERT_EQ(o->Count(), 4);
    struct Want {
        float x, y;
        int32_t colour;
    } want[] = {{12, -6, 1}, {16, -6, 2}, {16, 2, 3}, {18, 2, NO_COLOUR}};
    for (int i = 0; i < 4; ++i) {
        const TSP& p = (*o)[i];
        EXPECT_EQ(p.X, want[i].x) << i;
        EXPECT_EQ(p.Y, want[i].y) << i;
        EXPECT_EQ(p.GetColour(), want[i].colour) << i;
        EXPECT_TRUE(p.Flags & SP_BOUNDARY);
    }
    EXPECT_EQ(o->Flags, OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE);
}

TEST(DstReader, TieStitchesAroundColourChangesAndAtTheEndAreNotPoints) {
    // The zero-length stitches a writer puts before a colour change (jumps may follow them),
    // after it, and before the end sew nothing new. Every other stitch that does not move is a
    // point of the design, as is the first stitch of a file.
    using R = std::array<uint8_t, 3>;
    const R stitch = Rec(4, 0, DST_STITCH), zero = Rec(0, 0, DST_STITCH), jump = Rec(0, 5, DST_JUMP),
            change = Rec(0, 0, DST_COLOUR), end = Rec(0, 0, DST_END);
    struct Case {
        const char* what;
        std::vector<R> records;
        int points, colourPoints;
    } cases[] = {
        {"a change as our writer puts it", {stitch, zero, jump, change, zero, stitch, end}, 3, 2},
        {"the same without the jump", {stitch, zero, change, zero, stitch, end}, 3, 2},
        {"the end of an object", {stitch, stitch, zero, end}, 2, 1},
        {"a stitch in the same hole", {stitch, zero, stitch, end}, 3, 1},
        {"two ties before a change: one is a point", {stitch, zero, zero, change, stitch, end}, 4, 2},
        {"a file that starts in place", {zero, stitch, end}, 2, 1},
        {"a change that does not move, without a tie", {stitch, stitch, change, stitch, end}, 3, 2},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> f(DST_HEADER_SIZE, ' ');
        std::memcpy(f.data(), "LA:", 3);
        for (const R& r : c.records)
            f.insert(f.end(), r.begin(), r.end());
        auto o = Read(f);
        EXPECT_EQ(o->Count(), c.points) << c.what;
        int colourPoints = 0;
        for (const TSP& p : *o)
            colourPoints += p.IsColourPoint();
        EXPECT_EQ(colourPoints, c.colourPoints) << c.what;
    }
}

TEST(DstReader, RefusesWhatIsNotADstFile) {
    std::vector<uint8_t> shortFile(511, ' ');
    std::memcpy(shortFile.data(), "LA:", 3);
    auto noMagic = FileOf({Rec(1, 0, DST_STITCH), Rec(0, 0, DST_END)});
    noMagic[0] = 'X';
    auto noEnd = FileOf({Rec(1, 0, DST_STITCH), Rec(1, 0, DST_STITCH)});
    noEnd.push_back(0);
    auto noStitch = FileOf({Rec(3, 3, DST_JUMP), Rec(0, 0, DST_END)});
    for (auto* f : {&shortFile, &noMagic, &noEnd, &noStitch})
        EXPECT_THROW(Read(*f), TReadError);
    EXPECT_THROW(Read(noStitch), TNoStitchesError);
}

TEST(DstReader, ReadsAFileWrittenByAnotherProgram) {
    auto bytes = ReadWholeFile(Fixture("Star.DST"));
    auto o = Read(bytes);
    int blocks = 0;
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const TSP& p : *o) {
        blocks += p.IsColourPoint();
        minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
    }
    EXPECT_EQ(blocks, 2);
    EXPECT_GE(o->Count(), 2549);
    // The header's extents (+X 296, -X 295, +Y 311, -Y 312 from the start) in worksheet units.
    EXPECT_EQ(maxX, 2 * 296);
    EXPECT_EQ(minX, -2 * 295);
    EXPECT_EQ(minY, -2 * 311);
    EXPECT_EQ(maxY, 2 * 312);
    // No side file: the default sequence.
    EXPECT_EQ((*o)[0].GetColour(), PecColour(1));
}

TEST(DstRoundTrip, WrittenAndReadBackKeepsNeedlesBlocksAndColours) {
    TTempDir dir;
    TMixedDesign d = MixedDesign(2000, 2000, false);
    auto file = dir / "design.dst";
    ASSERT_TRUE(WriteDesign(d.Order, file, Dst(), DataDir()));
    auto back = ReadStitchFile(file, Dst(), 50, 60);
    EXPECT_EQ(Needles({back.get()}), Needles(d.Originals));
}
