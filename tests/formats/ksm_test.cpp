#include <gtest/gtest.h>

#include <string>

#include "RecordFormatTestUtil.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Ksm.h"
#include "formats/Palettes.h"

using namespace nl;
using namespace nl::test;

namespace {

constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000;

using B = std::vector<uint8_t>;

std::unique_ptr<TSLStitch> Read(const B& records) {
    return ReadAs("ksm", Cat({B(KSM_HEADER_SIZE, 0), records}));
}

// The records after the header, the travel from the centre (sewing off .. on) and the first
// needle drop.
B AfterStart(const B& f) {
    size_t at = KSM_HEADER_SIZE;
    while (f[at + 2] != KSM_SEW_ON)
        at += 3;
    return B(f.begin() + static_cast<long>(at + 6), f.end());
}

} // namespace

// ---- writer ----

TEST(KsmWriter, WholeFileByteByByte) {
    // Points (0, 0), (100, 0), (100, -50) in machine units; the design centre is (50, -25).
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100}}));
    EXPECT_EQ(WriteAs("ksm", objs), Cat({B(512, 0),
                                         {0, 0, 0x87},    // sewing off
                                         {25, 50, 0xE0},  // left and down to the first point
                                         {0, 0, 0x99},    // sewing on
                                         {0, 0, 0x80},    // the first needle drop
                                         {0, 100, 0x80},  // 100 right
                                         {50, 0, 0x80},   // 50 up
                                         {0, 0, 0x80},    // the tie at the end of the object
                                         {0, 0, 0x88}})); // end
}

TEST(KsmWriter, LongStitchesMoveWithSewingOffAndSewTheLastStep) {
    struct Case {
        int32_t dx, dy; // dy up
        B records;
    } cases[] = {
        {127, 0, {0, 127, 0x80}},
        {130, 0, Cat({{0, 0, 0x87}, {0, 65, 0x80}, {0, 0, 0x99}, {0, 65, 0x80}})},
        {-10, -300, Cat({{0, 0, 0x87}, {100, 3, 0xE0}, {100, 4, 0xE0}, {0, 0, 0x99}, {100, 3, 0xE0}})},
    };
    for (auto& c : cases) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        objs.push_back(
            Direct({{0, 0, kRed}, {2.0f * static_cast<float>(c.dx), -2.0f * static_cast<float>(c.dy)}}));
        const B after = AfterStart(WriteAs("ksm", objs));
        EXPECT_EQ(B(after.begin(), after.begin() + static_cast<long>(c.records.size())), c.records)
            << c.dx << "," << c.dy;
    }
}

TEST(KsmWriter, ColourChangeIsANeedleRecordThenTheMoveThenSewingOn) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}, {600, 0, kBlue}, {620, 0}}));
    std::vector<int32_t> colours;
    EXPECT_EQ(AfterStart(WriteAs("ksm", objs, &colours)), Cat({{0, 10, 0x80},
                                                               {0, 0, 0x80},  // tie
                                                               {0, 0, 0x8C},  // needle 2, sewing off
                                                               {0, 97, 0x80}, // 290 in three steps
                                                               {0, 96, 0x80},
                                                               {0, 97, 0x80},
                                                               {0, 0, 0x99}, // sewing on
                                                               {0, 0, 0x80}, // the new colour's first stitch
                                                               {0, 10, 0x80},
                                                               {0, 0, 0x80},
                                                               {0, 0, 0x88}}));
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed, kBlue}));
    // Needles in turn: blocks 2 to 8 get needles 2 to 8, block 9 needle 1, block 10 needle 2.
    // Every command sits on a record that does not move, also around long moves.
    auto many = Direct({{0, 0, 0}});
    for (int k = 1; k < 10; ++k) {
        many->Append(TSP::Colour(0, static_cast<float>(1000 * k), 0, k));
        many->Append(TSP::Plain(0, static_cast<float>(1000 * k), 900));
    }
    objs.clear();
    objs.push_back(std::move(many));
    const B f = WriteAs("ksm", objs);
    B needles;
    for (size_t at = KSM_HEADER_SIZE; at + 3 <= f.size(); at += 3) {
        const uint8_t command = f[at + 2] & 0x1F;
        if (command != 0) {
            EXPECT_EQ(f[at], 0) << at;
            EXPECT_EQ(f[at + 1], 0) << at;
        }
        if (command >= 0x0B && command <= 0x12) needles.push_back(f[at + 2]);
    }
    EXPECT_EQ(needles, (B{0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92, 0x8B, 0x8C}));
}

// ---- reader ----

TEST(KsmReader, AppliesEachDisplacementBeforeItsCommand) {
    // y down, machine units. Sewing starts off: the first moves are not sewn.
    const B records = Cat({{0, 0, 0x87}, // off
                           {2, 1, 0xA0}, // move (1, 2)
                           {0, 0, 0x99}, // on
                           {0, 0, 0x80}, // (1, 2): the first point
                           {1, 0, 0x80}, // (1, 1)
                           {0, 2, 0x93}, // sewn to (3, 1), then off
                           {0, 1, 0x80}, // move
                           {0, 0, 0x97}, // on
                           {0, 1, 0x80}, // (5, 1)
                           {0, 0, 0x85}, // stop: nothing
                           {0, 0, 0x9D}, // off
                           {1, 0, 0x98}, // moved (5, 0), then on
                           {0, 1, 0xC0}, // (4, 0)
                           {0, 0, 0x8C}, // needle 2: off, the next stitch starts the new colour
                           {3, 0, 0xA0}, // move
                           {0, 0, 0x99}, // on
                           {0, 0, 0x80}, // (4, 3): the second colour
                           {0, 1, 0x80}, // (5, 3)
                           {0, 0, 0x88}, // end
                           {5, 5, 0x80}});
    EXPECT_EQ(Needles(*Read(records), false), (std::vector<TNeedle>{{1, 2, DefaultImportColour(0)},
                                                                    {1, 1, NO_COLOUR},
                                                                    {3, 1, NO_COLOUR},
                                                                    {5, 1, NO_COLOUR},
                                                                    {4, 0, NO_COLOUR},
                                                                    {4, 3, DefaultImportColour(1)},
                                                                    {5, 3, NO_COLOUR}}));
}

TEST(KsmReader, ReadsTheChangeAfterTheMoveAsFilesOfTheOlderRuleHaveIt) {
    // Sewing on from the start, a stitch to the new colour's first point, then 9B and 99.
    const B records = Cat({{0, 0, 0x87},
                           {0, 0, 0x99},
                           {0, 0, 0x80},
                           {0, 10, 0x80},
                           {0, 0, 0x80},
                           {0, 20, 0x80},
                           {0, 0, 0x9B},
                           {0, 0, 0x99},
                           {0, 5, 0x80},
                           {0, 0, 0x80}});
    EXPECT_EQ(Needles(*Read(records), false), (std::vector<TNeedle>{{0, 0, DefaultImportColour(0)},
                                                                    {10, 0, NO_COLOUR},
                                                                    {30, 0, DefaultImportColour(1)},
                                                                    {35, 0, NO_COLOUR}}));
}

TEST(KsmReader, RefusesUnknownCommandsAndShortFilesAndIgnoresACutRecord) {
    try {
        ReadAs("ksm", B(511, 0));
        ADD_FAILURE() << "a file shorter than its header was read";
    } catch (const TReadError& e) {
        EXPECT_NE(std::string(e.what()).find("too short to be a Pfaff KSM file"), std::string::npos)
            << e.what();
    }
    for (uint8_t command : {0x01, 0x0A, 0x14, 0x1A, 0x1F}) {
        try {
            Read(Cat({{0, 0, 0x99}, {0, 1, 0x80}, {0, 0, static_cast<uint8_t>(0x80 | command)}}));
            ADD_FAILURE() << int(command) << " was read";
        } catch (const TReadError& e) {
            EXPECT_NE(std::string(e.what()).find("record 2 (at offset 518) has the unknown command"),
                      std::string::npos)
                << e.what();
        }
    }
    EXPECT_EQ(Read(B{0, 0, 0x99, 0, 1, 0x80, 0, 1, 0x80, 0, 1})->Count(), 2);
    EXPECT_THROW(Read(B{}), TNoStitchesError);
}

TEST(KsmReader, ReadsAFileOfAnotherWriterAsItsDstTwinHasIt) {
    // Star.ksm has no needle drop where sewing starts and where it goes on in the new colour
    // (the first stitch after sewing on moves), so the new colour starts one needle later.
    const auto dst = Needles(*ReadStitchFile(Fixture("Star.DST")), false);
    const auto star = ReadAs("ksm", ReadWholeFile(Fixture("Star.ksm")));
    ExpectSameDesignAsDst(Needles(*star, false), dst, 2, "Star.ksm", 2);
}
