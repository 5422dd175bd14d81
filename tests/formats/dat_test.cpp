#include <gtest/gtest.h>

#include <string>

#include "RecordFormatTestUtil.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Dat.h"
#include "formats/ImportBuilder.h"
#include "formats/Palettes.h"

using namespace nl;
using namespace nl::test;

namespace {

constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000;

using B = std::vector<uint8_t>;

std::unique_ptr<TSLStitch> Read(const B& bytes) {
    return ReadAs("dat", bytes);
}

// The records after the travel from the centre and the first needle drop.
B AfterStart(const B& f) {
    size_t at = 0;
    while ((f[at] & 0x1F) == 0x01)
        at += 3;
    return B(f.begin() + static_cast<long>(at + 3), f.end());
}

} // namespace

// ---- writer ----

TEST(DatWriter, WholeFileByteByByte) {
    // Points (0, 0), (100, 0), (100, -50) in machine units; the design centre is (50, -25).
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100}}));
    std::vector<int32_t> colours;
    EXPECT_EQ(WriteAs("dat", objs, &colours), Cat({{0xE1, 25, 50},  // jump left and down to the first point
                                                   {0x80, 0, 0},    // the first needle drop
                                                   {0x81, 0, 50},   // 100 right: two equal steps,
                                                   {0x80, 0, 50},   // the last sewn
                                                   {0x80, 50, 0},   // 50 up
                                                   {0x80, 0, 0},    // the tie at the end of the object
                                                   {0xF8, 0, 0}})); // the end
    EXPECT_EQ(colours, std::vector<int32_t>{kRed});
}

TEST(DatWriter, MovesAreEqualStepsWithin81) {
    struct Case {
        int32_t dx, dy; // dy up
        B records;
    } cases[] = {
        {-10, 20, {0xA0, 20, 10}},
        {81, 0, {0x80, 0, 81}},
        {0, -82, Cat({{0xC1, 41, 0}, {0xC0, 41, 0}})},
        // The remainder of 81-unit steps would be 82 here, past what a record holds.
        {323, 319, Cat({{0x81, 80, 81}, {0x81, 80, 81}, {0x81, 79, 80}, {0x80, 80, 81}})},
    };
    for (auto& c : cases) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        objs.push_back(
            Direct({{0, 0, kRed}, {2.0f * static_cast<float>(c.dx), -2.0f * static_cast<float>(c.dy)}}));
        const B after = AfterStart(WriteAs("dat", objs));
        EXPECT_EQ(B(after.begin(), after.begin() + static_cast<long>(c.records.size())), c.records)
            << c.dx << "," << c.dy;
    }
}

TEST(DatWriter, ColourChangeIsANeedleRecordThenJumpsThenTheNewColoursFirstStitch) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}, {600, 0, kBlue}, {620, 0}}));
    std::vector<int32_t> colours;
    EXPECT_EQ(AfterStart(WriteAs("dat", objs, &colours)), Cat({{0x80, 0, 10},
                                                               {0x80, 0, 0},  // tie
                                                               {0x8A, 0, 0},  // needle 2
                                                               {0x81, 0, 72}, // 290 in four jumps
                                                               {0x81, 0, 73},
                                                               {0x81, 0, 73},
                                                               {0x81, 0, 72},
                                                               {0x80, 0, 0}, // the new colour's first stitch
                                                               {0x80, 0, 10},
                                                               {0x80, 0, 0},
                                                               {0xF8, 0, 0}}));
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed, kBlue}));
    // The needles are taken in turn: blocks 2 to 15 get needles 2 to 15, block 16 needle 1.
    auto many = Direct({{0, 0, 0}});
    for (int k = 1; k < 17; ++k)
        many->Append(TSP::Colour(0, static_cast<float>(10 * k), 0, k));
    objs.clear();
    objs.push_back(std::move(many));
    B needles;
    for (uint8_t c : WriteAs("dat", objs))
        if ((c & 0x1F) >= 0x09 && (c & 0x1F) <= 0x17) needles.push_back(c);
    B want;
    for (int n = 2; n <= 15; ++n)
        want.push_back(DatNeedle(n));
    want.push_back(0x89);
    want.push_back(0x8A);
    EXPECT_EQ(needles, want);
}

// ---- reader ----

TEST(DatReader, DecodesEveryCommandWithItsDisplacement) {
    // y down, machine units: stitch (+1, down 2) = the first point (1, 2); fast and slow
    // stitches; jumps, fast and slow jumps and trims carry into the next stitch; a needle change
    // starts the new colour at the next stitch; the end stops the reading.
    const B records = Cat({{0xC0, 2, 1}, // stitch (1, 2)
                           {0x82, 1, 0}, // fast stitch (1, 1)
                           {0x84, 0, 2}, // slow stitch (3, 1)
                           {0xA1, 0, 1},
                           {0x83, 1, 0},
                           {0x85, 0, 1},
                           {0x86, 0, 1},
                           {0xC7, 1, 0},
                           {0x80, 0, 1}, // (5, 1) after the moves
                           {0x8B, 0, 0}, // needle 3
                           {0x81, 0, 4}, // jump
                           {0x80, 0, 0}, // (9, 1): the new colour
                           {0x80, 0, 1}, // (10, 1)
                           {0xF8, 0, 0},
                           {0x80, 5, 5}});
    auto o = Read(records);
    EXPECT_EQ(Needles(*o, false), (std::vector<TNeedle>{{1, 2, DefaultImportColour(0)},
                                                        {1, 1, NO_COLOUR},
                                                        {3, 1, NO_COLOUR},
                                                        {5, 1, NO_COLOUR},
                                                        {9, 1, DefaultImportColour(1)},
                                                        {10, 1, NO_COLOUR}}));
}

TEST(DatReader, ReadsTheNeedleFormAndTheStopFormOfAColourChangeAlike) {
    // Barudan's own: tie, needle, jumps, stitch. The rule of a stop on the move's last record:
    // tie, jump, stop (08) moving the rest, tie.
    const B start = Cat({{0x80, 0, 0}, {0x80, 0, 10}});
    const B needle = Cat({start,
                          {0x80, 0, 0},
                          {0x8A, 0, 0},
                          {0x81, 0, 81},
                          {0x81, 0, 19},
                          {0x80, 0, 0},
                          {0x80, 0, 5},
                          {0xF8, 0, 0}});
    const B stop =
        Cat({start, {0x80, 0, 0}, {0x81, 0, 81}, {0x88, 0, 19}, {0x80, 0, 0}, {0x80, 0, 5}, {0xF8, 0, 0}});
    const std::vector<TNeedle> want = {{0, 0, DefaultImportColour(0)},
                                       {10, 0, NO_COLOUR},
                                       {110, 0, DefaultImportColour(1)},
                                       {115, 0, NO_COLOUR}};
    EXPECT_EQ(Needles(*Read(needle), false), want);
    EXPECT_EQ(Needles(*Read(stop), false), want);
    // Both without the ties: no point is lost or added.
    EXPECT_EQ(Read(needle)->Count(), 4);
    EXPECT_EQ(Read(stop)->Count(), 4);
}

TEST(DatReader, RefusesWhatIsNotBarudanAndIgnoresACutRecord) {
    struct Case {
        const char* name;
        B file;
        const char* says;
    } cases[] = {
        {"too short", {0x80, 0}, "too short to be a Barudan DAT file"},
        {"no bit 7 in the first control byte", {0x4B, 0x00, 0x00, 0x80, 0, 1}, "not a Barudan DAT file"},
        {"no bit 7 later", {0x80, 0, 1, 0x80, 0, 1, 0x40, 0, 1}, "record 2 has the control byte 0x40"},
        {"a command past the end command", {0x80, 0, 1, 0x99, 0, 1}, "unknown command 0x19"},
    };
    for (auto& c : cases) {
        try {
            Read(c.file);
            ADD_FAILURE() << c.name << " was read";
        } catch (const TReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
        }
    }
    // Another machine's .dat: refused by name with the reason.
    try {
        ReadStitchFile(Fixture("Star.dat"));
        ADD_FAILURE() << "Star.dat was read";
    } catch (const TImportError& e) {
        EXPECT_EQ(e.Fault, TImportFault::Damaged);
        EXPECT_NE(e.Reason.find("first control byte (0x4B) lacks bit 7"), std::string::npos) << e.Reason;
    }
    // A record cut short at the end of the file, and no end record: what came before is read.
    EXPECT_EQ(Read(B{0x80, 0, 1, 0x80, 0, 1, 0x80, 0})->Count(), 2);
    EXPECT_THROW(Read(B{0x81, 0, 1, 0xF8, 0, 0}), TNoStitchesError);
}

TEST(DatReader, ReadsBarudanRecordsOfAnotherWriterAsTheirDstTwinHasThem) {
    // Star.u01 holds the Star design as Barudan records behind a 256-byte header: needle
    // records at the colour change and before the end.
    const auto dst = Needles(*ReadStitchFile(Fixture("Star.DST")), false);
    const B u01 = ReadWholeFile(Fixture("Star.u01"));
    TSLStitch o;
    TImportColours colours;
    TImportBuilder builder(o, colours, 0, 0);
    ReadBarudanRecords(std::span<const uint8_t>(u01).subspan(256), builder);
    ExpectSameDesignAsDst(Needles(o, false), dst, 0, "Star.u01");
}
