#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "TwoByteTestUtil.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Jef.h"
#include "formats/Palettes.h"
#include "formats/SideFile.h"

using namespace nl;
using namespace nl::test;

namespace {

constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000;
const std::string kStamp = "20240102030405";

const TFormat& Jef() {
    return *FormatOfExtension("jef");
}

std::vector<uint8_t> Write(std::vector<std::unique_ptr<TSLStitch>>& objects,
                           std::vector<int32_t>* colours = nullptr) {
    TExportPlan plan = PlanOf(objects);
    TExportState st;
    auto bytes = WriteJefStamped(plan, st, kStamp);
    if (colours) *colours = st.Colours;
    return bytes;
}

std::unique_ptr<TSLStitch> Read(const std::vector<uint8_t>& bytes, TImportColours colours = {}) {
    return DecodeStitchFile(bytes, Jef(), colours, 0, 0);
}

void Append32(std::vector<uint8_t>& f, int64_t v) {
    for (int k = 0; k < 4; ++k)
        f.push_back(static_cast<uint8_t>(v >> (8 * k)));
}
std::vector<uint8_t> Words(std::initializer_list<int64_t> words) {
    std::vector<uint8_t> f;
    for (int64_t w : words)
        Append32(f, w);
    return f;
}
int32_t Field(const std::vector<uint8_t>& f, size_t at) {
    return static_cast<int32_t>(f[at] | f[at + 1] << 8 | f[at + 2] << 16 |
                                static_cast<uint32_t>(f[at + 3]) << 24);
}

// A JEF file built by hand: 116 header bytes (the stitch offset at 0, the count at 24), the table
// words, zeros up to the offset, the records.
std::vector<uint8_t> JefFile(int64_t offset, int64_t count, const std::vector<int64_t>& table,
                             const std::vector<uint8_t>& records) {
    std::vector<uint8_t> f(116, 0);
    auto put = [&](size_t at, int64_t v) {
        for (size_t k = 0; k < 4; ++k)
            f[at + k] = static_cast<uint8_t>(v >> (8 * k));
    };
    put(0, offset);
    put(24, count);
    for (int64_t w : table)
        Append32(f, w);
    if (offset >= 0 && static_cast<size_t>(offset) > f.size()) f.resize(static_cast<size_t>(offset), 0);
    f.insert(f.end(), records.begin(), records.end());
    return f;
}

// Stitch, tie, colour change, jump, first stitch of the new colour, stitch, end.
const std::vector<uint8_t> kTwoBlocks = {0x0A, 0x00, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x80,
                                         0x02, 0x14, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x80, 0x10};

} // namespace

// ---- writer ----

TEST(JefWriter, WholeFileByteByByte) {
    // Machine points (0, 0), (100, 0), then blue at (100, -50), (0, -50); the centre is (50, -25).
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100, kBlue}, {0, -100}}));
    std::vector<int32_t> colours;
    const auto f = Write(objs, &colours);
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed, kBlue}));
    const std::vector<uint8_t> records = {0x80, 0x02, 0xCE, 0xE7,              // from the centre
                                          0x00, 0x00, 0x64, 0x00, 0x00, 0x00,  // sew, tie
                                          0x80, 0x01, 0x00, 0x00,              // change
                                          0x80, 0x02, 0x00, 0x32, 0x00, 0x00,  // jump, first stitch
                                          0x9C, 0x00, 0x00, 0x00, 0x80, 0x10}; // sew, tie, end
    std::vector<uint8_t> want = Words({132, 0x0A});
    want.insert(want.end(), kStamp.begin(), kStamp.end());
    want.insert(want.end(), {0, 0});
    for (auto w : Words({2,   13,  JEF_HOOP_50,       // colours, words of stitch data, hoop
                         50,  25,  50,          25,   // extents: left, top, right, bottom
                         500, 525, 500,         525,  // to the edges of the 110 x 110 hoop
                         200, 225, 200,         225,  // 50 x 50
                         650, 975, 650,         975,  // 140 x 200
                         650, 975, 650,         975,  // custom, as 140 x 200
                         10,  12,  13,          13})) // Janome red and blue, then 13 per colour
        want.push_back(w);
    want.insert(want.end(), records.begin(), records.end());
    EXPECT_EQ(f, want);
}

TEST(JefWriter, HoopIsTheSmallestTheDesignFitsWithEdgeDistancesForEach) {
    struct Case {
        int w, h; // mm, centred on the start
        int32_t hoop;
        std::array<int32_t, 4> hoop110, hoop50, hoop140;
    } cases[] = {
        {40, 40, JEF_HOOP_50, {350, 350, 350, 350}, {50, 50, 50, 50}, {500, 800, 500, 800}},
        {50, 50, JEF_HOOP_50, {300, 300, 300, 300}, {0, 0, 0, 0}, {450, 750, 450, 750}},
        {52, 50, JEF_HOOP_110, {290, 300, 290, 300}, {-1, -1, -1, -1}, {440, 750, 440, 750}},
        {100, 110, JEF_HOOP_110, {50, 0, 50, 0}, {-1, -1, -1, -1}, {200, 450, 200, 450}},
        {120, 100, JEF_HOOP_126X110, {-1, -1, -1, -1}, {-1, -1, -1, -1}, {100, 500, 100, 500}},
        {100, 150, JEF_HOOP_140X200, {-1, -1, -1, -1}, {-1, -1, -1, -1}, {200, 250, 200, 250}},
        {190, 190, JEF_HOOP_200, {-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}},
        {300, 300, JEF_HOOP_200, {-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}},
    };
    for (auto& c : cases) {
        std::vector<std::unique_ptr<TSLStitch>> objs;
        const float hw = 10.0f * static_cast<float>(c.w), hh = 10.0f * static_cast<float>(c.h);
        objs.push_back(Direct({{-hw, -hh, kRed}, {hw, hh}}));
        const auto f = Write(objs);
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        EXPECT_EQ(Field(f, 32), c.hoop);
        const int32_t halfW = 5 * c.w, halfH = 5 * c.h;
        EXPECT_EQ((std::array<int32_t, 4>{Field(f, 36), Field(f, 40), Field(f, 44), Field(f, 48)}),
                  (std::array<int32_t, 4>{halfW, halfH, halfW, halfH}));
        auto at = [&](size_t from) {
            return std::array<int32_t, 4>{Field(f, from), Field(f, from + 4), Field(f, from + 8),
                                          Field(f, from + 12)};
        };
        EXPECT_EQ(at(52), c.hoop110);
        EXPECT_EQ(at(68), c.hoop50);
        EXPECT_EQ(at(84), c.hoop140);
        EXPECT_EQ(at(100), c.hoop140);
    }
}

TEST(JefWriter, TableHoldsAPaletteIndexPerColourBlockAndTheDataFollowsIt) {
    // Five blocks, one colour twice: five indices, five words 13, the data at 116 + 8 * 5.
    const int32_t white = MakeColour(255, 255, 255), orange = MakeColour(227, 49, 31);
    auto o =
        Direct({{0, 0, kRed}, {10, 0}, {20, 0, white}, {30, 0, orange}, {40, 0, kRed}, {50, 0, 0x123456}});
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(std::move(o));
    const auto f = Write(objs);
    EXPECT_EQ(Field(f, 0), 156);
    EXPECT_EQ(Field(f, 24), 5);
    const int32_t want[] = {10, 2, 33, 10, NearestJanomeIndex(0x123456), 13, 13, 13, 13, 13};
    for (size_t k = 0; k < 10; ++k)
        EXPECT_EQ(Field(f, 116 + 4 * k), want[k]) << k;
    // The words of stitch data, up to and including the end record.
    EXPECT_EQ(Field(f, 28), static_cast<int32_t>((f.size() - 156) / 2));
    EXPECT_EQ(std::vector<uint8_t>(f.end() - 2, f.end()), (std::vector<uint8_t>{0x80, 0x10}));
}

TEST(JefWriter, IsDatedNow) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {10, 0}}));
    const std::time_t before = std::time(nullptr);
    TExportPlan plan = PlanOf(objs);
    TExportState st;
    const auto f = WriteJef(plan, st);
    const std::time_t after = std::time(nullptr);
    const std::string date(f.begin() + 8, f.begin() + 22);
    EXPECT_TRUE(date == JefDateStamp(before) || date == JefDateStamp(after)) << date;
    std::tm t{};
    t.tm_year = 2013 - 1900, t.tm_mon = 8, t.tm_mday = 17, t.tm_hour = 21, t.tm_min = 44, t.tm_sec = 22;
    t.tm_isdst = -1;
    EXPECT_EQ(JefDateStamp(std::mktime(&t)), "20130917214422");
}

TEST(JefWriter, RefusesAnEmptyDesignAndOneBeyondAnyHoop) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(std::make_unique<TSLStitch>());
    EXPECT_THROW(Write(objs), TError);
    objs.push_back(Direct({{0, 0, kRed}, {0, 500000}}));
    ExpectRefused([&] { Write(objs); }, "too large for a Janome file", "a design 25 m high was written");
}

TEST(JanomePalette, IndicesAndNearestColours) {
    EXPECT_EQ(JanomeColour(1), MakeColour(0, 0, 0));
    EXPECT_EQ(JanomeColour(33), MakeColour(227, 49, 31));
    EXPECT_EQ(JanomeColour(51), MakeColour(255, 255, 242));
    EXPECT_EQ(JanomeColour(78), MakeColour(227, 172, 129));
    for (int i : {0, 79, -1})
        EXPECT_EQ(JanomeColour(i), JanomeColour(1)) << i;
    for (int i = 1; i <= JANOME_PALETTE_SIZE; ++i)
        EXPECT_EQ(NearestJanomeIndex(JanomeColour(i)), i);
    EXPECT_EQ(NearestJanomeIndex(MakeColour(250, 5, 5)), 10);    // red
    EXPECT_EQ(NearestJanomeIndex(MakeColour(0, 0, 255)), 12);    // blue
    EXPECT_EQ(NearestJanomeIndex(MakeColour(255, 255, 255)), 2); // white, not ivory
}

// ---- reader ----

TEST(JefReader, TakesTheDataOffsetAndOnlyTheIndicesBeforeIt) {
    const int32_t c0 = DefaultImportColour(0), c1 = DefaultImportColour(1);
    auto points = [](int32_t a, int32_t b) {
        return std::vector<TPointView>{{20, 0, a}, {60, 0, b}, {80, 0, NO_COLOUR}};
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        std::vector<TPointView> want;
    } cases[] = {
        {"common layout: 116 + 8n", JefFile(132, 2, {33, 51, 13, 13}, kTwoBlocks),
         points(JanomeColour(33), JanomeColour(51))},
        {"six table slots, as another writer has it", JefFile(140, 2, {5, 7, 13, 13, 13, 13}, kTwoBlocks),
         points(JanomeColour(5), JanomeColour(7))},
        {"data at 124 whatever the count: the data is not read as indices", JefFile(124, 5, {}, kTwoBlocks),
         points(c0, c1)},
        {"one index for two blocks", JefFile(120, 2, {9}, kTwoBlocks), points(JanomeColour(9), c0)},
        {"indices outside the palette", JefFile(132, 2, {0, 79, 13, 13}, kTwoBlocks), points(c0, c1)},
        {"a negative count", JefFile(132, -1, {33, 51, 13, 13}, kTwoBlocks), points(c0, c1)},
        {"the end record with two more bytes",
         [] {
             auto r = kTwoBlocks;
             r.insert(r.end(), {0, 0});
             return JefFile(132, 2, {33, 51, 13, 13}, r);
         }(),
         points(JanomeColour(33), JanomeColour(51))},
        {"an unknown command ends the design",
         JefFile(116, 0, {}, {0x0A, 0x00, 0x80, 0x05, 0, 0, 0x0A, 0x00}),
         {{20, 0, c0}}},
    };
    for (auto& c : cases)
        EXPECT_EQ(Points(*Read(c.file)), c.want) << c.what;
    // A side file beside it has the true colours.
    TImportColours side(std::vector<uint8_t>{0x56, 0x34, 0x12, 0, 0x21, 0x43, 0x65, 0});
    EXPECT_EQ(Points(*Read(JefFile(132, 2, {33, 51, 13, 13}, kTwoBlocks), side)), points(0x123456, 0x654321));
}

TEST(JefReader, RefusesDamagedFilesWithAClearReason) {
    const auto good = JefFile(132, 2, {33, 51, 13, 13}, kTwoBlocks);
    ASSERT_NO_THROW(Read(good));
    auto cut = [&](size_t n) {
        return std::vector<uint8_t>(good.begin(), good.end() - static_cast<long>(n));
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        const char* says;
    } cases[] = {
        {"shorter than the header", std::vector<uint8_t>(good.begin(), good.begin() + 115), "too short"},
        {"stitch data inside the header", JefFile(100, 0, {}, kTwoBlocks), "offset 100"},
        {"stitch data past the end",
         [&] {
             auto f = good;
             f[0] = static_cast<uint8_t>(good.size() + 1);
             return f;
         }(),
         "offset 151"},
        {"a negative offset", JefFile(-4, 2, {33, 51, 13, 13}, kTwoBlocks), "offset -4"},
        {"no end record", cut(2), "end record"},
        {"a record cut short", cut(3), "end record"},
    };
    for (auto& c : cases) {
        try {
            Read(c.file);
            ADD_FAILURE() << c.name << " was read";
        } catch (const TReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
        }
    }
    auto only = JefFile(116, 0, {}, {0x80, 0x02, 0x10, 0x10, 0x80, 0x10});
    EXPECT_THROW(Read(only), TNoStitchesError);
}

TEST(JefReader, ReadsARealFileAsItsDstTwinHasIt) {
    auto dst = ReadStitchFile(Fixture("Star.DST"));
    auto jef = Read(ReadWholeFile(Fixture("Star.JEF")));
    const auto a = Needles({dst.get()}), b = Needles({jef.get()});
    ASSERT_EQ(a.size(), b.size());
    std::vector<size_t> changesA, changesB;
    std::vector<int32_t> colours;
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].X, b[i].X) << i;
        ASSERT_EQ(a[i].Y, b[i].Y) << i;
        if (a[i].Colour != NO_COLOUR) changesA.push_back(i);
        if (b[i].Colour != NO_COLOUR) changesB.push_back(i), colours.push_back(b[i].Colour);
    }
    EXPECT_EQ(changesB, changesA);
    // Without a side file: the palette colours of its indices 33 and 51.
    EXPECT_EQ(colours, (std::vector<int32_t>{MakeColour(227, 49, 31), MakeColour(255, 255, 242)}));
    EXPECT_EQ(jef->Bounds, dst->Bounds);
}

// ---- both ways ----

TEST(JefRoundTrip, WrittenAndReadBackKeepsNeedlesBlocksAndColours) {
    TTempDir dir;
    TMixedDesign d = MixedDesign(6000, 5000);
    auto file = dir / "design.jef";
    ASSERT_TRUE(WriteDesign(d.Order, file, Jef(), DataDir()));
    auto back = ReadStitchFile(file, Jef(), 50, 60);
    EXPECT_EQ(Needles({back.get()}), Needles(d.Originals));
    // Without the side file: the nearest palette colours the file states.
    std::filesystem::remove(SideFileName(file));
    back = ReadStitchFile(file, Jef(), 50, 60);
    EXPECT_EQ(Needles({back.get()}),
              Needles(d.Originals, [](int32_t c) { return JanomeColour(NearestJanomeIndex(c)); }));
}

TEST(JefRoundTrip, ConvertingOurOwnFileAgainGivesTheSameBytes) {
    for (const char* source : {"Star.DST", "Star.JEF"}) {
        SCOPED_TRACE(source);
        auto original = ReadStitchFile(Fixture(source));
        auto write = [](const TSLStitch& o) {
            TExportPlan plan({const_cast<TSLStitch*>(&o)});
            TExportState st;
            return WriteJefStamped(plan, st, kStamp);
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
