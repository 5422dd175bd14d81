#include <gtest/gtest.h>

#include <string>

#include "RecordFormatTestUtil.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Palettes.h"
#include "formats/Toyota10o.h"

using namespace nl;
using namespace nl::test;

namespace {

constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000;

using B = std::vector<uint8_t>;

std::unique_ptr<TSLStitch> Read(const B& bytes) {
    return ReadAs("10o", bytes);
}

// The records after the start record, the travel from the centre and the first needle drop.
B AfterStart(const B& f) {
    size_t at = 3;
    while ((f[at] & 0x1F) == 0x10)
        at += 3;
    return B(f.begin() + static_cast<long>(at + 3), f.end());
}

} // namespace

// ---- writer ----

TEST(T10oWriter, WholeFileByteByByte) {
    // Points (0, 0), (100, 0), (100, -50) in machine units; the design centre is (50, -25).
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100}}));
    EXPECT_EQ(WriteAs("10o", objs), Cat({{0x8A, 0, 0},    // start
                                         {0xF0, 25, 50},  // jump left and down to the first point
                                         {0x80, 0, 0},    // the first needle drop
                                         {0x80, 0, 100},  // 100 right
                                         {0x80, 50, 0},   // 50 up
                                         {0x80, 0, 0},    // the tie at the end of the object
                                         {0x87, 0, 0}})); // end
}

TEST(T10oWriter, MovesAreEqualStepsWithin127) {
    struct Case {
        int32_t dx, dy; // dy up
        B records;
    } cases[] = {
        {127, -127, {0xC0, 127, 127}},
        {254, 0, Cat({{0x90, 0, 127}, {0x80, 0, 127}})},
        {200, 0, Cat({{0x90, 0, 100}, {0x80, 0, 100}})},
        {-1, -128, Cat({{0xD0, 64, 0}, {0xE0, 64, 1}})},
        // The remainder of 127-unit steps would be 128 here, past what a record holds.
        {507, 503, Cat({{0x90, 126, 127}, {0x90, 126, 127}, {0x90, 125, 126}, {0x80, 126, 127}})},
    };
    for (auto& c : cases) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        objs.push_back(
            Direct({{0, 0, kRed}, {2.0f * static_cast<float>(c.dx), -2.0f * static_cast<float>(c.dy)}}));
        const B after = AfterStart(WriteAs("10o", objs));
        EXPECT_EQ(B(after.begin(), after.begin() + static_cast<long>(c.records.size())), c.records)
            << c.dx << "," << c.dy;
    }
}

TEST(T10oWriter, ColourChangeJumpsToTheNewBlockThenChangesThenStitches) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}, {600, 0, kBlue}, {620, 0}}));
    std::vector<int32_t> colours;
    EXPECT_EQ(AfterStart(WriteAs("10o", objs, &colours)), Cat({{0x80, 0, 10},
                                                               {0x80, 0, 0},  // tie
                                                               {0x90, 0, 97}, // 290 in three jumps
                                                               {0x90, 0, 96},
                                                               {0x90, 0, 97},
                                                               {0x85, 0, 0}, // the change
                                                               {0x80, 0, 0}, // the new colour's first stitch
                                                               {0x80, 0, 10},
                                                               {0x80, 0, 0},
                                                               {0x87, 0, 0}}));
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed, kBlue}));
}

// ---- reader ----

TEST(T10oReader, ReadsBothOrdersOfAColourChangeAndStopsAtTheEnd) {
    // Start, a stitch (+1, down 2), trim, stop and start records that move, a stitch; a change
    // in the other writers' order (change, jump, stitch) and in ours (tie, jump, change, stitch);
    // the end, after which nothing is read.
    const B file = Cat({{0x8A, 0, 0},
                        {0xC0, 2, 1},
                        {0x81, 0, 1},
                        {0x82, 1, 0},
                        {0x8A, 0, 1},
                        {0x80, 0, 1}, // (4, 1)
                        {0x85, 0, 0}, // theirs
                        {0xD0, 1, 0},
                        {0xC0, 1, 0}, // (4, 3): the second colour
                        {0x80, 0, 2}, // (6, 3)
                        {0x80, 0, 0}, // ours: the tie,
                        {0xB0, 0, 6}, // a jump,
                        {0x85, 0, 0}, // the change,
                        {0x80, 0, 0}, // (0, 3): the third colour
                        {0xE0, 1, 1}, // (-1, 4)
                        {0x80, 0, 0},
                        {0x87, 0, 0},
                        {0x80, 9, 9}});
    EXPECT_EQ(Needles(*Read(file), false), (std::vector<TNeedle>{{1, 2, DefaultImportColour(0)},
                                                                 {4, 1, NO_COLOUR},
                                                                 {4, 3, DefaultImportColour(1)},
                                                                 {6, 3, NO_COLOUR},
                                                                 {0, 3, DefaultImportColour(2)},
                                                                 {-1, 4, NO_COLOUR}}));
    EXPECT_EQ(Read(file)->Count(), 6);
}

TEST(T10oReader, RefusesWhatIsNotA10oFileAndIgnoresACutRecord) {
    struct Case {
        const char* name;
        B file;
        const char* says;
    } cases[] = {
        {"too short", {0x8A}, "too short to be a Toyota 10O file"},
        {"no bit 7 in the first control byte", {0x0A, 0, 0, 0x80, 0, 1}, "not a Toyota 10O file"},
        {"no bit 7 later", {0x8A, 0, 0, 0x80, 0, 1, 0x00, 0, 1}, "record 2 has the control byte 0x00"},
        {"an unknown command", {0x8A, 0, 0, 0x80, 0, 1, 0x95, 0, 0}, "unknown command 0x15"},
    };
    for (auto& c : cases) {
        try {
            Read(c.file);
            ADD_FAILURE() << c.name << " was read";
        } catch (const TReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
        }
    }
    EXPECT_EQ(Read(B{0x8A, 0, 0, 0x80, 0, 1, 0x80, 0, 1, 0x87, 0})->Count(), 2);
}

TEST(T10oReader, ReadsAFileOfAnotherWriterAsItsDstTwinHasIt) {
    const auto dst = Needles(*ReadStitchFile(Fixture("Star.DST")), false);
    ExpectSameDesignAsDst(Needles(*Read(ReadWholeFile(Fixture("Star.10O"))), false), dst, 0, "Star.10O");
}
