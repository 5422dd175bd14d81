#include <gtest/gtest.h>

#include <random>
#include <string>

#include "TwoByteTestUtil.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Exp.h"
#include "formats/Jef.h"
#include "formats/Palettes.h"
#include "formats/SideFile.h"
#include "formats/StepSplit.h"

using namespace nl;
using namespace nl::test;

namespace {

constexpr int32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

const TFormat& Exp() {
    return *FormatOfExtension("exp");
}

std::vector<uint8_t> Write(std::vector<std::unique_ptr<TSLStitch>>& objects,
                           std::vector<int32_t>* colours = nullptr) {
    TExportPlan plan = PlanOf(objects);
    TExportState st;
    auto bytes = WriteExp(plan, st);
    if (colours) *colours = st.Colours;
    return bytes;
}

std::unique_ptr<TSLStitch> Read(std::vector<uint8_t> bytes, TImportColours colours = {}) {
    return DecodeStitchFile(bytes, Exp(), colours, 0, 0);
}

TRec J(int dx, int dy) {
    return {EXP_JUMP, dx, dy};
}
constexpr TRec kChange{0x01, 0, 0};

} // namespace

// ---- writer ----

TEST(ExpWriter, WholeFileByteByByte) {
    // Points (0, 0), (100, 0), (100, -50) in machine units; the design centre is (50, -25). The
    // needle jumps from the centre to the first point, sews, and ties off; no header, no end.
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100}}));
    std::vector<int32_t> colours;
    EXPECT_EQ(Write(objs, &colours),
              (std::vector<uint8_t>{0x80, 0x04, 0xCE, 0xE7, 0x00, 0x00, 0x64, 0x00, 0x00, 0x32, 0x00, 0x00}));
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed}));
}

TEST(ExpWriter, ColourChangeFirstThenTheMoveAsJumpsThenTheFirstStitch) {
    // Machine points (0, 0), (10, 0), then blue at (300, 0), (310, 0); centre (155, 0).
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}, {600, 0, kBlue}, {620, 0}}));
    std::vector<int32_t> colours;
    auto recs = Records(Write(objs, &colours));
    EXPECT_EQ(recs, (std::vector<TRec>{J(-78, 0), J(-77, 0), S(0, 0), S(10, 0), S(0, 0), kChange, J(97, 0),
                                       J(96, 0), J(97, 0), S(0, 0), S(10, 0), S(0, 0)}));
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed, kBlue}));
}

TEST(ExpWriter, LongStitchesAreEqualStepsWithin127JumpsButTheLast) {
    struct Case {
        int dx, dy; // machine units, dy up
        std::vector<TRec> move;
    } cases[] = {
        {300, 100, {J(100, 33), J(100, 34), S(100, 33)}},
        {-127, 0, {S(-127, 0)}},
        {128, 0, {J(64, 0), S(64, 0)}},
        {507, 503, {J(127, 126), J(127, 126), J(126, 125), S(127, 126)}}, // no step of 128
        {0, -381, {J(0, -127), J(0, -127), S(0, -127)}},
    };
    for (auto& c : cases) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        objs.push_back(Direct({{0, 0, kRed}, {2.0f * c.dx, -2.0f * c.dy}}));
        auto recs = Records(Write(objs));
        auto first = std::find(recs.begin(), recs.end(), S(0, 0));
        ASSERT_NE(first, recs.end());
        EXPECT_EQ(std::vector<TRec>(first + 1, recs.end() - 1), c.move) << c.dx << ", " << c.dy;
        EXPECT_EQ(recs.back(), S(0, 0));
    }
}

TEST(TwoByteWriters, RecordsReachEveryPointWithinRangeAndChangeColourBeforeTravelling) {
    // Random designs of several objects, with long moves, repeated colours and points in the same
    // hole, written as EXP and as JEF. Checked on the records alone: no byte 0x80 where a value
    // belongs; the stitches reach exactly the design's points in order (repeats aside); every
    // colour change follows a tie, is followed by jumps only and then a stitch in place; one
    // change per colour block after the first.
    std::mt19937 rng(7);
    auto coord = [&](int range) {
        return static_cast<float>(static_cast<int>(rng() % (2 * range + 1)) - range);
    };
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        const int objects = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < objects; ++k) {
            auto o = std::make_unique<TSLStitch>();
            const int n = 1 + static_cast<int>(rng() % 25);
            float x = coord(3000), y = coord(3000);
            for (int i = 0; i < n; ++i) {
                const int kind = static_cast<int>(rng() % 10);
                if (kind == 0)
                    x = coord(6000), y = coord(6000); // far away
                else if (kind > 2)
                    x += coord(250), y += coord(250);
                // kind 1, 2: the same hole again
                if (i == 0 || rng() % 6 == 0)
                    o->Append(TSP::Colour(0, x, y, static_cast<int32_t>(rng() % 3)));
                else
                    o->Append(TSP::Plain(0, x, y));
            }
            objs.push_back(std::move(o));
        }
        for (bool jef : {false, true}) {
            SCOPED_TRACE(std::string(jef ? "JEF" : "EXP") + " trial " + std::to_string(trial));
            TExportPlan plan = PlanOf(objs);
            TExportState st;
            const auto bytes = jef ? WriteJefStamped(plan, st, "20240102030405") : WriteExp(plan, st);
            const size_t from = jef ? JEF_HEADER_SIZE + 8 * st.Colours.size() : 0;
            const auto recs = Records(bytes, from);
            const int jump = jef ? JEF_JUMP : EXP_JUMP;
            // Expected needle positions (machine units, y up), repeats folded.
            std::vector<std::pair<int64_t, int64_t>> want, got;
            for (auto& o : objs)
                for (const TSP& p : *o) {
                    const std::pair<int64_t, int64_t> at(MachineUnits(p.X), -MachineUnits(p.Y));
                    if (want.empty() || want.back() != at) want.push_back(at);
                }
            int64_t x = plan.CentreX, y = -static_cast<int64_t>(plan.CentreY);
            int changes = 0;
            for (size_t i = 0; i < recs.size(); ++i) {
                const TRec& r = recs[i];
                ASSERT_TRUE(r.Dx != -128 && r.Dy != -128) << i;
                if (r.Code == 'S' || r.Code == jump) {
                    x += r.Dx, y += r.Dy;
                    if (r.Code == 'S' && (got.empty() || got.back() != std::make_pair(x, y)))
                        got.emplace_back(x, y);
                    continue;
                }
                if (r.Code == 0x10) {
                    ASSERT_TRUE(jef);
                    ASSERT_EQ(i + 1, recs.size()) << "the end record is the last";
                    continue;
                }
                ASSERT_EQ(r, kChange) << i;
                ++changes;
                ASSERT_GT(i, 0u);
                EXPECT_EQ(recs[i - 1], S(0, 0)) << "a tie before the change";
                size_t k = i + 1;
                while (k < recs.size() && recs[k].Code == jump)
                    ++k;
                ASSERT_LT(k, recs.size());
                EXPECT_EQ(recs[k], S(0, 0)) << "the first stitch of the new colour is where the jumps end";
            }
            EXPECT_EQ(got, want);
            EXPECT_EQ(changes + 1, static_cast<int>(st.Colours.size()));
            if (jef) {
                EXPECT_EQ(recs.back().Code, 0x10);
            }
        }
    }
}

TEST(ExpWriter, RefusesAnEmptyDesignAndOneBeyondAnyHoop) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(std::make_unique<TSLStitch>());
    EXPECT_THROW(Write(objs), TError);
    objs.push_back(Direct({{0, 0, kRed}, {500000, 0}}));
    ExpectRefused([&] { Write(objs); }, "too large for a Melco file", "a design 25 m wide was written");
}

// ---- reader ----

TEST(ExpReader, ReadsEveryRecordKind) {
    const int32_t c0 = DefaultImportColour(0), c1 = DefaultImportColour(1), none = NO_COLOUR;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<TPointView> points;
    } cases[] = {
        {"80 02 and 80 04 move, 80 80 trims without moving, 0x80 as a value is -128",
         {0x80, 0x02, 0x05, 0x03, 0x01, 0x00, 0x80, 0x04, 0x80, 0x00, 0x80, 0x80, 0x07, 0x00, 0x00, 0x80},
         {{12, -6, c0}, {-244, 250, none}}},
        {"an odd trailing byte is left unread", {0x0A, 0x0A, 0x05}, {{20, -20, c0}}},
        {"a command cut short by the end of the file", {0x0A, 0x0A, 0x80, 0x04, 0x05}, {{20, -20, c0}}},
        {"an unknown command ends the design",
         {0x0A, 0x0A, 0x80, 0x10, 0x00, 0x00, 0x0A, 0x0A},
         {{20, -20, c0}}},
        {"our colour change: tie, change, jumps, stitch",
         {0x0A, 0x00, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x80, 0x04, 0x14, 0x00, 0x00, 0x00, 0x0A, 0x00,
          0x00, 0x00},
         {{20, 0, c0}, {60, 0, c1}, {80, 0, none}}},
        {"another writer's: change, jumps, stitch",
         {0x0A, 0x00, 0x80, 0x01, 0x00, 0x00, 0x80, 0x02, 0x00, 0xF3, 0x00, 0x00, 0x0A, 0x00},
         {{20, 0, c0}, {20, 26, c1}, {40, 26, none}}},
        {"the older layout: stitch in the old colour, change in place, stitch on",
         {0x0A, 0x00, 0x80, 0x02, 0x14, 0x00, 0x05, 0x00, 0x80, 0x01, 0x00, 0x00, 0x0A, 0x00},
         {{20, 0, c0}, {70, 0, c1}, {90, 0, none}}},
        {"a change that moves by itself",
         {0x0A, 0x00, 0x80, 0x01, 0x05, 0x00, 0x00, 0x00, 0x0A, 0x00},
         {{20, 0, c0}, {30, 0, c1}, {50, 0, none}}},
        {"stitches in the same hole stay, the closing tie goes",
         {0x0A, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00},
         {{20, 0, c0}, {20, 0, none}, {40, 0, none}}},
        {"a file that starts in place", {0x00, 0x00, 0x0A, 0x00}, {{0, 0, c0}, {20, 0, none}}},
    };
    for (auto& c : cases)
        EXPECT_EQ(Points(*Read(c.bytes)), c.points) << c.what;
}

TEST(ExpReader, AFileWithoutStitchesImportsNothing) {
    for (const std::vector<uint8_t>& bytes : {std::vector<uint8_t>{},
                                              {0x05},
                                              {0x80, 0x04, 0x10, 0x10, 0x80, 0x01, 0x00, 0x00},
                                              {0x80, 0x22, 1, 1}})
        EXPECT_THROW(Read(bytes), TNoStitchesError) << bytes.size();
}

TEST(ExpReader, ReadsARealFileAsItsDstTwinHasIt) {
    auto dst = ReadStitchFile(Fixture("Star.DST"));
    auto exp = Read(ReadWholeFile(Fixture("Star.EXP")));
    const auto a = Needles({dst.get()}), b = Needles({exp.get()});
    ASSERT_EQ(a.size(), b.size());
    std::vector<size_t> changesA, changesB;
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].X, b[i].X) << i;
        ASSERT_EQ(a[i].Y, b[i].Y) << i;
        if (a[i].Colour != NO_COLOUR) changesA.push_back(i);
        if (b[i].Colour != NO_COLOUR) changesB.push_back(i);
    }
    // The thread changes where it does in the DST file, give or take the needle at the change
    // (EXP starts the new colour where the jumps after the change end).
    ASSERT_EQ(changesA.size(), 2u);
    ASSERT_EQ(changesB.size(), 2u);
    for (size_t k = 0; k < 2; ++k)
        EXPECT_LE(std::abs(static_cast<long>(changesA[k]) - static_cast<long>(changesB[k])), 1);
    // The same start point: the jumps at the start of both files lead to the same first stitch.
    EXPECT_EQ(exp->Bounds, dst->Bounds);
    EXPECT_EQ((*exp)[0].GetColour(), DefaultImportColour(0));
}

// ---- both ways ----

TEST(ExpRoundTrip, WrittenAndReadBackKeepsNeedlesBlocksAndColours) {
    TTempDir dir;
    TMixedDesign d = MixedDesign(6000, 5000);
    auto file = dir / "design.exp";
    ASSERT_TRUE(WriteDesign(d.Order, file, Exp(), DataDir()));
    auto back = ReadStitchFile(file, Exp(), 50, 60);
    EXPECT_EQ(Needles({back.get()}), Needles(d.Originals));
    // Without the side file: the same needles and blocks in the default colours.
    std::filesystem::remove(SideFileName(file));
    back = ReadStitchFile(file, Exp(), 50, 60);
    int64_t block = 0;
    auto want = Needles(d.Originals);
    for (TNeedle& n : want)
        if (n.Colour != NO_COLOUR) n.Colour = DefaultImportColour(block++);
    EXPECT_EQ(Needles({back.get()}), want);
}

TEST(ExpRoundTrip, ConvertingOurOwnFileAgainGivesTheSameBytes) {
    for (const char* source : {"Star.DST", "Star.EXP"}) {
        SCOPED_TRACE(source);
        auto original = ReadStitchFile(Fixture(source));
        auto write = [](const TSLStitch& o) {
            TExportPlan plan({const_cast<TSLStitch*>(&o)});
            TExportState st;
            return WriteExp(plan, st);
        };
        const auto once = write(*original);
        auto read = Read(once);
        ASSERT_EQ(read->Count(), original->Count());
        for (int32_t i = 0; i < read->Count(); ++i) {
            const TSP &a = (*original)[i], &b = (*read)[i];
            ASSERT_TRUE(a.X - (*original)[0].X == b.X - (*read)[0].X &&
                        a.Y - (*original)[0].Y == b.Y - (*read)[0].Y &&
                        a.IsColourPoint() == b.IsColourPoint())
                << "point " << i;
        }
        EXPECT_EQ(write(*read), once);
    }
}
