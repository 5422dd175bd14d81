#include <gtest/gtest.h>

#include <string>

#include "RecordFormatTestUtil.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/ImportBuilder.h"
#include "formats/Palettes.h"
#include "formats/Xxx.h"

using namespace nl;
using namespace nl::test;

namespace {

constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000;

using B = std::vector<uint8_t>;

int32_t Field16(const B& f, size_t at) {
    return static_cast<int16_t>(f[at] | f[at + 1] << 8);
}
int64_t Field32(const B& f, size_t at) {
    return static_cast<int32_t>(f[at] | f[at + 1] << 8 | f[at + 2] << 16 | f[at + 3] << 24);
}
void Put32(B& f, size_t at, int64_t v) {
    for (size_t k = 0; k < 4; ++k)
        f[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

// A header stating `colours` colours and the end sequence at `end` (0: none stated).
B Header(int32_t colours, int64_t end) {
    B h(XXX_HEADER_SIZE, 0);
    h[XXX_COLOURS_AT] = static_cast<uint8_t>(colours);
    h[XXX_COLOURS_AT + 1] = static_cast<uint8_t>(colours >> 8);
    Put32(h, XXX_END_AT, end);
    return h;
}

std::unique_ptr<TSLStitch> Read(const B& bytes, TImportColours colours = {}) {
    return ReadAs("xxx", bytes, colours);
}

} // namespace

// ---- writer ----

TEST(XxxWriter, WholeFileByteByByte) {
    // Points (0, 0), (100, 0), (100, -50) in machine units; the design centre is (50, -25).
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100}}));
    const B f = WriteAs("xxx", objs);
    B want = Header(1, 272);
    Put32(want, XXX_RECORDS_AT, 6);
    const uint8_t fields[] = {100, 0, 50, 0, 50, 0, 25, 0}; // width, height, last x, last y (up)
    std::copy(std::begin(fields), std::end(fields), want.begin() + XXX_WIDTH_AT);
    want = Cat({want,
                {0x7F, 0x01, 0xCE, 0xE7}, // from the centre to the first point: a jump
                {0x00, 0x00},             // the first needle drop
                {0x7F, 0x01, 50, 0},      // 100 across: two equal steps, the first a jump
                {50, 0},
                {0, 50},      // 50 up: the worksheet's y grows downward, the machine's upward
                {0x00, 0x00}, // the tie at the end of the object
                {0x7F, 0x7F, 0x02, 0x14, 0x00, 0x00, 0x00}, // the end sequence
                {0xFF, 0x00, 0x00, 0x00}});                 // red
    EXPECT_EQ(f, want);
    EXPECT_EQ(Field32(f, XXX_END_AT), 272);
}

TEST(XxxWriter, ColourChangeJumpsToTheNewBlockThenChangesThenStitches) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}, {600, 0, kBlue}, {620, 0}}));
    std::vector<int32_t> colours;
    const B f = WriteAs("xxx", objs, &colours);
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed, kBlue}));
    // After the stitch to (10, 0): a tie, 290 units in four equal jumps, the change, the new colour's first
    // needle drop, its stitch, and the tie at the end.
    size_t at = 256;
    while (f[at] == 0x7F) // the travel from the centre
        at += 4;
    at += 2 + 2; // the first needle drop and the first stitch
    const B records(f.begin() + static_cast<long>(at), f.begin() + Field32(f, XXX_END_AT));
    EXPECT_EQ(records, Cat({{0, 0},
                            {0x7F, 0x01, 72, 0},
                            {0x7F, 0x01, 73, 0},
                            {0x7F, 0x01, 73, 0},
                            {0x7F, 0x01, 72, 0},
                            {0x7F, 0x08, 0, 0},
                            {0, 0},
                            {10, 0},
                            {0, 0}}));
    EXPECT_EQ(Field16(f, XXX_COLOURS_AT), 2);
    EXPECT_EQ(Field32(f, XXX_RECORDS_AT), 2 + 2 + 9); // two jumps from the centre, two stitches
    // The colour table after the end sequence: red, then blue, 4 bytes each.
    const size_t end = static_cast<size_t>(Field32(f, XXX_END_AT));
    EXPECT_EQ(B(f.begin() + static_cast<long>(end), f.end()),
              (B{0x7F, 0x7F, 0x02, 0x14, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0}));
}

TEST(XxxWriter, LongStitchesAreEqualStepsNoStitchRecordLooksLikeAControl) {
    // The remainders of 81-unit steps would be 19 (100), 82 (323, 319) and 125 (3806, 3759),
    // the last a byte 7D that readers take for a long move. Equal steps keep every byte within
    // -81..81.
    struct Case {
        int32_t dx, dy;
        B steps; // the records of the move, dx dy up
    } cases[] = {
        {100, 0, Cat({{0x7F, 0x01, 50, 0}, {50, 0}})},
        {323, 319, Cat({{0x7F, 0x01, 81, 80}, {0x7F, 0x01, 81, 80}, {0x7F, 0x01, 80, 79}, {81, 80}})},
        {-162, 1, Cat({{0x7F, 0x01, 0xAF, 0}, {0xAF, 1}})},
    };
    for (auto& c : cases) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        // Two points; the stitch between them is the move under test (y up = worksheet y down).
        objs.push_back(
            Direct({{0, 0, kRed}, {2.0f * static_cast<float>(c.dx), -2.0f * static_cast<float>(c.dy)}}));
        const B f = WriteAs("xxx", objs);
        size_t at = 256;
        while (f[at] == 0x7F) // the travel from the centre
            at += 4;
        at += 2; // the first needle drop
        EXPECT_EQ(B(f.begin() + static_cast<long>(at), f.begin() + static_cast<long>(at + c.steps.size())),
                  c.steps)
            << c.dx << "," << c.dy;
    }
    // Moves of every length up to 3.7 m, all ways: no record of the file starts with 7D or 7E, a
    // 7F starts only a jump, a colour change or the end, and no step exceeds 81.
    std::vector<std::unique_ptr<TSLStitch>> objs;
    auto o = Direct({{0, 0, kRed}});
    for (int k = 1; k < 400; ++k) {
        const float r = static_cast<float>(k * k / 3);
        o->Append(TSP::Plain(0, (k % 2 ? r : 0), (k % 3 ? 0.97f * r : 0)));
        if (k % 50 == 0) o->Append(TSP::Colour(0, 0, 0, k));
    }
    objs.push_back(std::move(o));
    const B f = WriteAs("xxx", objs);
    const size_t end = static_cast<size_t>(Field32(f, XXX_END_AT));
    for (size_t at = 256; at < end;) {
        if (f[at] == 0x7F) {
            ASSERT_TRUE(f[at + 1] == 0x01 || f[at + 1] == 0x08) << at;
            for (size_t k : {2u, 3u})
                ASSERT_LE(std::abs(static_cast<int8_t>(f[at + k])), XXX_MAX_STEP) << at;
            at += 4;
        } else {
            for (size_t k : {0u, 1u})
                ASSERT_LE(std::abs(static_cast<int8_t>(f[at + k])), XXX_MAX_STEP) << at;
            at += 2;
        }
    }
    EXPECT_EQ(Needles(*Read(f)), Needles(*objs[0]));
}

TEST(XxxWriter, HeaderStatesWhatTheOtherWriterStatedForTheSameDesign) {
    // Star.XXX read and written again: the same colour count, width, height and last position.
    const B theirs = ReadWholeFile(Fixture("Star.XXX"));
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Read(theirs));
    const B ours = WriteAs("xxx", objs);
    for (size_t at : {XXX_COLOURS_AT, XXX_WIDTH_AT, XXX_HEIGHT_AT, XXX_LAST_X_AT, XXX_LAST_Y_AT})
        EXPECT_EQ(Field16(ours, at), Field16(theirs, at)) << at;
    EXPECT_EQ(Field16(ours, XXX_WIDTH_AT), 591);
    EXPECT_EQ(Field16(ours, XXX_LAST_Y_AT), -138);
}

TEST(XxxWriter, RefusesAnEmptyDesignAndOneWiderThanTheHeaderStates) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(std::make_unique<TSLStitch>());
    EXPECT_THROW(WriteAs("xxx", objs), TError);
    objs.push_back(Direct({{0, 0, kRed}, {65534, 0}}));
    EXPECT_NO_THROW(WriteAs("xxx", objs));
    objs.push_back(Direct({{0, 0, kRed}, {65536, 0}}));
    EXPECT_THROW(WriteAs("xxx", objs), TError);
}

// ---- reader ----

TEST(XxxReader, ReadsEveryRecordKindAndStopsAtTheEnd) {
    // A long move (+5, down 3) and a stitch (+1): the first point at (6, 3) machine units, y down.
    // A trim moving +2 and a stitch; a jump down 4, a change 0A and a stitch; a change 08 that
    // moves +1 and a stitch that does not; a change 17, an unknown control 09 moving +1, and a
    // stitch (+1, up 1); then the end 7F 18, after which nothing is read.
    const B records = Cat({{0x7E, 5, 0, 0xFD, 0xFF},
                           {1, 0},
                           {0x7F, 0x03, 2, 0},
                           {1, 0},
                           {0x7F, 0x01, 0, 0xFC},
                           {0x7F, 0x0A, 0, 0},
                           {1, 0},
                           {0x7F, 0x08, 1, 0},
                           {0, 0},
                           {0x7F, 0x17, 0, 0},
                           {0x7F, 0x09, 1, 0},
                           {1, 1},
                           {0x7F, 0x18},
                           {5, 5}});
    const std::vector<TPointView> want = {{12, 6, DefaultImportColour(0)},
                                          {18, 6, NO_COLOUR},
                                          {20, 14, DefaultImportColour(1)},
                                          {22, 14, DefaultImportColour(2)},
                                          {26, 12, DefaultImportColour(3)}};
    EXPECT_EQ(Points(*Read(Cat({Header(0, 0), records}))), want);
    // The offset at 252, when it lies in the file, ends the records even without an end record.
    const B upToLast = Cat({Header(0, 256 + static_cast<int64_t>(records.size()) - 6), records});
    EXPECT_EQ(Points(*Read(upToLast)), std::vector<TPointView>(want.begin(), want.end() - 1));
    // An offset past the end of the file is not used: the end record ends the reading.
    EXPECT_EQ(Points(*Read(Cat({Header(0, 1 << 30), records}))), want);
    // 7F 7F ends too.
    B other = Cat({Header(0, 0), records});
    other[256 + records.size() - 3] = 0x7F;
    EXPECT_EQ(Points(*Read(other)), want);
}

TEST(XxxReader, TakesTheColourTableBoundedByItsCountAndTheFile) {
    const B records = Cat({{0, 0}, {4, 0}, {0x7F, 0x08, 0, 0}, {0, 0}, {4, 0}, {0x7F, 0x08, 0, 0}, {1, 0}});
    const B end = {0x7F, 0x7F, 0x02, 0x14, 0x00, 0x00};
    const B table = {0x00, 0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0x00, 0x77, 0x88, 0x99};
    const int32_t c1 = MakeColour(0x11, 0x22, 0x33), c2 = MakeColour(0x44, 0x55, 0x66),
                  c3 = MakeColour(0x77, 0x88, 0x99);
    auto colours = [](const TSLStitch& o) {
        std::vector<int32_t> v;
        for (const TSP& p : o)
            if (p.IsColourPoint()) v.push_back(p.ColourOrLink);
        return v;
    };
    const int64_t e = 256 + static_cast<int64_t>(records.size());
    struct Case {
        const char* name;
        B file;
        std::vector<int32_t> want;
    } cases[] = {
        {"three colours", Cat({Header(3, e), records, end, table}), {c1, c2, c3}},
        {"the end found without the offset", Cat({Header(3, 0), records, end, table}), {c1, c2, c3}},
        {"a count beyond the file", Cat({Header(1000, e), records, end, table, {0, 1}}), {c1, c2, c3}},
        {"the table cut short",
         Cat({Header(3, e), records, end, B(table.begin(), table.end() - 1)}),
         {c1, c2, DefaultImportColour(0)}},
        {"a count of one",
         Cat({Header(1, e), records, end, table}),
         {c1, DefaultImportColour(0), DefaultImportColour(1)}},
        {"a negative count",
         Cat({Header(-2, e), records, end, table}),
         {DefaultImportColour(0), DefaultImportColour(1), DefaultImportColour(2)}},
        {"no end sequence at all",
         Cat({Header(3, 0), records}),
         {DefaultImportColour(0), DefaultImportColour(1), DefaultImportColour(2)}},
    };
    for (auto& c : cases)
        EXPECT_EQ(colours(*Read(c.file)), c.want) << c.name;
    // With a side file the table is not used.
    TImportColours side(B{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0});
    EXPECT_EQ(colours(*Read(cases[0].file, side)), (std::vector<int32_t>{1, 2, 3}));
}

TEST(XxxReader, ARecordCutShortEndsTheReadingAndAShortFileIsRefused) {
    const B records = Cat({{0, 0}, {4, 0}, {4, 0}});
    for (const B& cut : {B{0x7F, 0x01, 5}, B{0x7E, 1, 0, 1}, B{0x7F}, B{5}}) {
        auto o = Read(Cat({Header(0, 0), records, cut}));
        EXPECT_EQ(o->Count(), 3) << int(cut[0]) << " " << cut.size();
    }
    try {
        Read(B(255, 0));
        ADD_FAILURE() << "a file shorter than the header was read";
    } catch (const TReadError& e) {
        EXPECT_NE(std::string(e.what()).find("too short to be a XXX file"), std::string::npos) << e.what();
    }
    EXPECT_THROW(Read(Header(0, 0)), TNoStitchesError);
}

TEST(XxxReader, ReadsFilesOfAnotherWriterAsTheirDstTwinHasThem) {
    const auto dst = Needles(*ReadStitchFile(Fixture("Star.DST")), false);
    auto star = Read(ReadWholeFile(Fixture("Star.XXX")));
    const auto needles = Needles(*star, false);
    ExpectSameDesignAsDst(needles, dst, 0, "Star.XXX");
    // Its colour table: the two design colours, not the writer's palette after them.
    std::vector<int32_t> colours;
    for (const TSP& p : *star)
        if (p.IsColourPoint()) colours.push_back(p.ColourOrLink);
    EXPECT_EQ(colours, (std::vector<int32_t>{MakeColour(227, 49, 31), MakeColour(247, 243, 247)}));
    // The logo: one colour, long moves at both ends; its points span what its header states.
    const B logo = ReadWholeFile(Fixture("Embroidermodder.XXX"));
    auto o = Read(logo);
    int32_t minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN, blocks = 0;
    for (const TNeedle& n : Needles(*o)) {
        minX = std::min(minX, n.X), maxX = std::max(maxX, n.X);
        minY = std::min(minY, n.Y), maxY = std::max(maxY, n.Y);
        blocks += n.Colour != NO_COLOUR;
    }
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(maxX - minX, Field16(logo, XXX_WIDTH_AT));
    EXPECT_EQ(maxY - minY, Field16(logo, XXX_HEIGHT_AT));
}
