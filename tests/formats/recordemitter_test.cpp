// What the XXX, DAT, 10O and KSM writers share through their emitter: designs come back from
// their files as they were written, and a file read and written again is the same file.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "RecordFormatTestUtil.h"
#include "core/FileIO.h"
#include "formats/Export.h"
#include "formats/Palettes.h"
#include "formats/RecordEmitter.h"
#include "formats/SideFile.h"
#include "formats/Xxx.h"
#include "worksheet/Sew.h"

using namespace nl;
using namespace nl::test;

namespace {

const char* const kFormatsUnderTest[] = {"xxx", "dat", "10o", "ksm"};

// The points of an object relative to its first, with whether each starts a colour block and its
// colour then.
struct TPointRel {
    float X, Y;
    bool Block;
    int32_t Colour;
    bool operator==(const TPointRel&) const = default;
};
std::vector<TPointRel> Relative(const TSLStitch& o) {
    std::vector<TPointRel> v;
    for (const TSP& p : o)
        v.push_back({p.X - o[0].X, p.Y - o[0].Y, p.IsColourPoint(), p.IsColourPoint() ? p.ColourOrLink : 0});
    return v;
}

} // namespace

TEST(RecordFormats, WrittenAndReadBackKeepsNeedlesBlocksAndColours) {
    for (const char* ext : kFormatsUnderTest) {
        SCOPED_TRACE(ext);
        TTempDir dir;
        TMixedDesign d = MixedDesign(6000, 5000);
        d.Add(Direct({{-3000, -2000, 0x111111}, {-2990, -2000}})); // a change that does not move
        const auto file = dir / (std::string("design.") + ext);
        const TFormat& row = *FormatOfExtension(ext);
        ASSERT_TRUE(WriteDesign(d.Order, file, row, DataDir()));
        const auto want = Needles(d.Originals);
        EXPECT_EQ(Needles(*ReadStitchFile(file, row, 50, 60)), want);
        // Without the side file: XXX keeps its own colour table, the others take the default
        // sequence; the needles stay.
        std::filesystem::remove(SideFileName(file));
        auto back = Needles(*ReadStitchFile(file, row, 50, 60));
        ASSERT_EQ(back.size(), want.size());
        int32_t block = 0;
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(back[i].X, want[i].X) << i;
            EXPECT_EQ(back[i].Y, want[i].Y) << i;
            ASSERT_EQ(back[i].Colour != NO_COLOUR, want[i].Colour != NO_COLOUR) << i;
            if (want[i].Colour == NO_COLOUR) continue;
            EXPECT_EQ(back[i].Colour, std::string(ext) == "xxx" ? want[i].Colour : DefaultImportColour(block))
                << i;
            ++block;
        }
    }
}

TEST(RecordFormats, AConvertedFileConvertsToItself) {
    // Star.DST through our reader and each writer, three times: every generation has the DST's
    // points, and from the first conversion on the files are the same to the byte.
    const auto original = ReadStitchFile(Fixture("Star.DST"));
    for (const char* ext : kFormatsUnderTest) {
        SCOPED_TRACE(ext);
        TTempDir dir;
        std::filesystem::path in = Fixture("Star.DST");
        std::vector<uint8_t> first;
        for (int round = 1; round <= 3; ++round) {
            SCOPED_TRACE(round);
            TSew sew;
            const int32_t group = AddImport(sew, ReadStitchFile(in))->GroupId;
            const auto out = dir / ("round" + std::to_string(round) + "." + ext);
            WriteDesign(sew.BuildStitchOrder(group), out, *FormatOfExtension(ext), DataDir());
            EXPECT_EQ(Relative(*ReadStitchFile(out)), Relative(*original));
            const auto bytes = ReadWholeFile(out);
            if (round == 1) first = bytes;
            EXPECT_EQ(bytes, first);
            in = out;
        }
    }
}

TEST(RecordFormats, RandomDesignsComeBackPointForPoint) {
    // Stitches of every length (to 30 cm), repeated points, colour changes that move or not,
    // objects of the same thread one after the other: read back, every needle point returns with
    // its thread, and from the first reading on, reading and writing changes nothing.
    std::mt19937 rng(7);
    auto step = [&](int range) {
        return static_cast<float>(static_cast<int>(rng() % (2 * range + 1)) - range);
    };
    for (int round = 0; round < 20; ++round) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        float x = 0, y = 0;
        const int objects = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < objects; ++k) {
            auto o = std::make_unique<TSLStitch>();
            const int n = 1 + static_cast<int>(rng() % 60);
            for (int i = 0; i < n; ++i) {
                const int kind = static_cast<int>(rng() % 10);
                if (kind == 0)
                    x += step(6000), y += step(6000);
                else if (kind > 1)
                    x += step(250), y += step(250);
                // kind 1: the same point again
                const bool block = i == 0 || rng() % 8 == 0;
                const int32_t colour = static_cast<int32_t>(rng() % 3) * 0x404040;
                o->Append(block ? TSP::Colour(0, x, y, colour) : TSP::Plain(0, x, y));
            }
            objs.push_back(std::move(o));
        }
        std::vector<const TSLStitch*> originals;
        for (auto& o : objs)
            originals.push_back(o.get());
        for (const char* ext : kFormatsUnderTest) {
            SCOPED_TRACE(std::string(ext) + " round " + std::to_string(round));
            std::vector<int32_t> colours;
            const auto bytes = WriteAs(ext, objs, &colours);
            const auto side = BuildSideFile(ReadWholeFile(DataDir() / SIDE_TEMPLATE_NAME), colours);
            std::vector<std::unique_ptr<TSLStitch>> once, twice;
            once.push_back(ReadAs(ext, bytes, TImportColours(side)));
            EXPECT_EQ(Needles(*once[0]), Needles(originals));
            const auto second = WriteAs(ext, once);
            twice.push_back(ReadAs(ext, second, TImportColours(side)));
            EXPECT_EQ(Relative(*twice[0]), Relative(*once[0]));
            EXPECT_EQ(WriteAs(ext, twice), second);
        }
    }
}

TEST(RecordFormats, ASmallFileOfLongMovesCannotGrowIntoGigabytes) {
    // 420 KB of XXX long moves of 3.2 m there and back, each followed by a stitch: in records of
    // 81 units that is 73 MB of DAT or 97 MB of XXX, beyond the largest file the import reads.
    // Refused with the reason, not written.
    std::vector<uint8_t> xxx(XXX_HEADER_SIZE, 0);
    for (int k = 0; k < 60000; ++k) {
        const uint8_t low = k % 2 ? 0x01 : 0xFF, high = k % 2 ? 0x80 : 0x7F; // -32767, +32767
        xxx.insert(xxx.end(), {0x7E, low, high, 0, 0, 0, 0});
    }
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(ReadAs("xxx", xxx));
    EXPECT_EQ(objs[0]->Count(), 60000);
    for (const char* ext : {"xxx", "dat"}) {
        try {
            WriteAs(ext, objs);
            ADD_FAILURE() << ext << " written";
        } catch (const TError& e) {
            EXPECT_NE(std::string(e.what()).find("more records than a file of this format may hold"),
                      std::string::npos)
                << e.what();
        }
    }
}

TEST(RecordFormats, EveryColourBlockHasItsColourEvenWhenTheFirstPointHasNone) {
    // The side file (and the XXX colour table) keep one colour per block: a first block without a
    // colour of its own takes the first colour of the object, so the later blocks do not shift.
    for (const char* ext : kFormatsUnderTest) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        objs.push_back(Direct({{0, 0}, {10, 0}, {20, 0, 0x00FF00}, {30, 0}, {40, 0, 0x0000FF}}));
        std::vector<int32_t> colours;
        const auto bytes = WriteAs(ext, objs, &colours);
        EXPECT_EQ(colours, (std::vector<int32_t>{0x00FF00, 0x00FF00, 0x0000FF})) << ext;
        if (std::string(ext) == "xxx") {
            EXPECT_EQ(bytes[XXX_COLOURS_AT], 3);
        }
        int blocks = 0;
        const auto back = ReadAs(ext, bytes);
        for (const TSP& p : *back)
            blocks += p.IsColourPoint();
        EXPECT_EQ(blocks, 3) << ext;
    }
}

TEST(RecordFormats, NeedlesAreTakenInTurn) {
    struct Case {
        int64_t block;
        int32_t needles, needle;
    } cases[] = {{1, 15, 1}, {2, 15, 2}, {15, 15, 15}, {16, 15, 1}, {17, 15, 2}, {9, 8, 1}, {0, 8, 1}};
    for (auto& c : cases)
        EXPECT_EQ(NeedleOfBlock(c.block, c.needles), c.needle) << c.block << " of " << c.needles;
}
