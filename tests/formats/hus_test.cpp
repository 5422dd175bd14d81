#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "FormatTestUtil.h"
#include "NeedleView.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/ArcCompress.h"
#include "formats/Export.h"
#include "formats/Hus.h"
#include "formats/Import.h"
#include "formats/Palettes.h"
#include "formats/SideFile.h"
#include "formats/StepSplit.h"

using namespace nl;
using namespace nl::test;

namespace {

struct TRec {
    uint8_t Cmd;
    int Dx, Dy; // dy positive up
    bool operator==(const TRec&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TRec& r) {
    return os << "(" << std::hex << int(r.Cmd) << std::dec << ", " << r.Dx << ", " << r.Dy << ")";
}

std::vector<TRec> Records(const THusFile& f) {
    std::vector<TRec> out;
    for (size_t k = 0; k < f.Commands.size(); ++k)
        out.push_back({f.Commands[k], static_cast<int8_t>(f.X[k]), static_cast<int8_t>(f.Y[k])});
    return out;
}

std::vector<uint8_t> Write(std::vector<std::unique_ptr<TSLStitch>>& objects, bool vip,
                           std::vector<int32_t>* colours = nullptr) {
    std::vector<TSLStitch*> order;
    for (auto& o : objects)
        order.push_back(o.get());
    TExportPlan plan(order);
    TExportState st;
    auto bytes = vip ? WriteVip(plan, st) : WriteHus(plan, st);
    if (colours) *colours = st.Colours;
    return bytes;
}

std::vector<TRec> WrittenRecords(std::vector<std::unique_ptr<TSLStitch>>& objects, bool vip = false) {
    return Records(ParseHusVip(Write(objects, vip)));
}

std::unique_ptr<TSLStitch> Read(std::span<const uint8_t> bytes, TImportColours colours = {}) {
    return DecodeStitchFile(bytes, *FormatOfExtension("hus"), colours, 0, 0);
}

void Put32(std::vector<uint8_t>& f, size_t at, int64_t v) {
    for (size_t k = 0; k < 4; ++k)
        f[at + k] = static_cast<uint8_t>(v >> (8 * k));
}
std::vector<uint8_t> Le32(int64_t v) {
    std::vector<uint8_t> b(4);
    Put32(b, 0, v);
    return b;
}

// A file in the layout of the real ones, built by hand: header, colour table, compressed streams.
struct TSpec {
    bool Vip = false;
    std::vector<TRec> Recs;
    std::vector<int32_t> Table; // HUS: palette indices; VIP: colours
    std::optional<int32_t> N, Count;
};
std::vector<uint8_t> Build(bool vip, const std::vector<TRec>& recs, const std::vector<int32_t>& table,
                           std::optional<int32_t> n = {}, std::optional<int32_t> count = {}) {
    const TSpec s{vip, recs, table, n, count};
    std::vector<uint8_t> f(42, 0);
    const uint8_t magic[2][4] = {{0x5B, 0xAF, 0xC8, 0x00}, {0x5D, 0xFC, 0x90, 0x01}};
    std::memcpy(f.data(), magic[s.Vip], 4);
    Put32(f, 4, s.N.value_or(static_cast<int32_t>(s.Recs.size())));
    Put32(f, 8, s.Count.value_or(static_cast<int32_t>(s.Table.size())));
    if (s.Vip) {
        auto head = Le32(46 + 8 * static_cast<int64_t>(s.Table.size()));
        f.insert(f.end(), head.begin(), head.end());
        auto scrambled = ScrambleVipColours(s.Table);
        f.insert(f.end(), scrambled.begin(), scrambled.end());
    } else {
        for (int32_t i : s.Table) {
            f.push_back(static_cast<uint8_t>(i));
            f.push_back(static_cast<uint8_t>(i >> 8));
        }
    }
    std::vector<uint8_t> streams[3];
    for (const TRec& r : s.Recs) {
        streams[0].push_back(r.Cmd);
        streams[1].push_back(static_cast<uint8_t>(r.Dx));
        streams[2].push_back(static_cast<uint8_t>(r.Dy));
    }
    for (size_t k = 0; k < 3; ++k) {
        Put32(f, 20 + 4 * k, static_cast<int64_t>(f.size()));
        ArcCompressStream(streams[k], f);
    }
    return f;
}

constexpr int32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

} // namespace

// ---- writer ----

TEST(HusWriter, WholeFileByteByByte) {
    // Points (0, 0), (100, 0), (100, -50) in machine units; the design centre is (50, -25).
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {200, 0}, {200, -100}}));
    auto f = Write(objs, false);
    // From the centre the needle travels to the first point, stitches, and at the end returns.
    std::vector<TRec> recs = {{0x81, -50, -25}, {0x80, 0, 0},     {0x80, 100, 0}, {0x80, 0, 50},
                              {0x80, 0, 0},     {0x81, -50, -25}, {0x90, 0, 0}};
    std::vector<uint8_t> want = {0x5B, 0xAF, 0xC8, 0x00, 7,    0,   0,   0,   1,   0,   0,   0, 50, 0, 25,
                                 0,    0xCE, 0xFF, 0xE7, 0xFF, 0,   0,   0,   0,   0,   0,   0, 0,  0, 0,
                                 0,    0,    'N',  'o',  'r',  'd', 'e', 'l', 'u', 'n', 'e', 0, 3,  0};
    for (size_t k = 0; k < 3; ++k) {
        Put32(want, 20 + 4 * k, static_cast<int64_t>(want.size()));
        std::vector<uint8_t> stream;
        for (const TRec& r : recs)
            stream.push_back(static_cast<uint8_t>(k == 0 ? r.Cmd : k == 1 ? r.Dx : r.Dy));
        ArcCompressStream(stream, want);
    }
    EXPECT_EQ(f, want);
    EXPECT_EQ(Records(ParseHusVip(f)), recs);
}

TEST(VipWriter, LayoutOfRealFilesWithScrambledColours) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}}));
    objs.push_back(Direct({{40, 0, kGreen}, {60, 0}}));
    objs.push_back(Direct({{80, 0, kBlue}, {100, 0}}));
    auto f = Write(objs, true);
    const uint8_t head[] = {0x5D, 0xFC, 0x90, 0x01};
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 4), std::vector<uint8_t>(head, head + 4));
    auto field = [&](size_t at) {
        return static_cast<int32_t>(f[at] | f[at + 1] << 8 | f[at + 2] << 16 | f[at + 3] << 24);
    };
    EXPECT_EQ(field(8), 3);
    EXPECT_EQ(std::string(f.begin() + 32, f.begin() + 42), std::string("Nordelune\0", 10));
    EXPECT_EQ(field(42), 46 + 8 * 3);
    // Red, green and blue as the first three colours of a file.
    std::vector<uint8_t> colours = {0xD1, 0x53, 0xB7, 0xD8, 0xE0, 0xB6, 0x6A, 0xAC, 0xD7, 0x61, 0xB6, 0x1A};
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 46, f.begin() + 58), colours);
    for (size_t k = 0; k < 4; ++k)
        EXPECT_EQ(field(58 + 4 * k), 1) << k;
    EXPECT_EQ(f[74], 0);
    EXPECT_EQ(f[75], 0);
    EXPECT_EQ(field(20), 52 + 8 * 3);
    auto parsed = ParseHusVip(f);
    EXPECT_TRUE(parsed.Vip);
    EXPECT_EQ(parsed.Colours, (std::vector<int32_t>{kRed, kGreen, kBlue}));
    EXPECT_EQ(static_cast<size_t>(field(4)), parsed.Commands.size());
    EXPECT_EQ(parsed.Commands.back(), HUS_END);
}

TEST(HusWriter, ColourChangeJumpsThenChangesThenStitches) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {20, 0}, {600, 0, kBlue}, {620, 0}}));
    std::vector<int32_t> colours;
    auto recs = Records(ParseHusVip(Write(objs, false, &colours)));
    auto it = std::find(recs.begin(), recs.end(), TRec{0x84, 0, 0});
    ASSERT_NE(it, recs.end());
    // ... stitch to (10, 0), a zero stitch, equal jumps of 290 units in all, the change, a zero
    // stitch, then the new colour sews on.
    std::vector<TRec> around(it - 5, it + 3);
    EXPECT_EQ(around, (std::vector<TRec>{{0x80, 10, 0},
                                         {0x80, 0, 0},
                                         {0x81, 97, 0},
                                         {0x81, 96, 0},
                                         {0x81, 97, 0},
                                         {0x84, 0, 0},
                                         {0x80, 0, 0},
                                         {0x80, 10, 0}}));
    EXPECT_EQ(colours, (std::vector<int32_t>{kRed, kBlue}));
    EXPECT_EQ(std::count(recs.begin(), recs.end(), TRec{0x84, 0, 0}), 1);
}

TEST(HusWriter, LongMovesAreEqualStepsWithin127) {
    // The shared splitter: exact sums, steps within the limit, lengths differing by at most one.
    struct Case {
        int64_t dx, dy;
        int64_t steps;
    } cases[] = {{0, 0, 1},      {127, -127, 1}, {128, 0, 2},     {254, 0, 2},         {255, 3, 3},
                 {-300, 200, 3}, {381, 1, 3},    {1000, -999, 8}, {65534, 65534, 517}, {-1, -128, 2}};
    for (auto& c : cases) {
        int64_t sx = 0, sy = 0, n = 0, minX = INT64_MAX, maxX = INT64_MIN;
        SplitMove(c.dx, c.dy, 127, [&](int32_t ex, int32_t ey, bool last) {
            EXPECT_LE(std::abs(ex), 127);
            EXPECT_LE(std::abs(ey), 127);
            sx += ex, sy += ey, ++n;
            minX = std::min<int64_t>(minX, ex), maxX = std::max<int64_t>(maxX, ex);
            EXPECT_EQ(last, n == c.steps);
        });
        EXPECT_EQ(n, c.steps) << c.dx << "," << c.dy;
        EXPECT_EQ(sx, c.dx);
        EXPECT_EQ(sy, c.dy);
        EXPECT_LE(maxX - minX, 1);
    }
    // In a file: a stitch of 300 units across is three equal steps, jumps but the last.
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {600, 0}}));
    auto recs = WrittenRecords(objs);
    auto at = std::find(recs.begin(), recs.end(), TRec{0x80, 0, 0});
    ASSERT_NE(at, recs.end());
    EXPECT_EQ(std::vector<TRec>(at + 1, at + 4),
              (std::vector<TRec>{{0x81, 100, 0}, {0x81, 100, 0}, {0x80, 100, 0}}));
}

TEST(HusWriter, ColourCountAndTableAlwaysAgree) {
    struct Case {
        const char* name;
        std::vector<std::vector<int32_t>>
            blocks; // per object, the colours of its blocks; -1: no colour point
        std::vector<int32_t> table;
    } cases[] = {
        {"first point without a colour", {{-1}}, {0}},
        {"same colour twice", {{kRed}, {kRed}}, {kRed}},
        {"two colours", {{kRed}, {kBlue}}, {kRed, kBlue}},
        {"first colour again after a two-block object", {{kRed, kBlue}, {kRed}}, {kRed, kBlue, kRed}},
        {"first point plain, colour later", {{-1, kGreen}}, {kGreen, kGreen}},
    };
    for (bool vip : {false, true})
        for (auto& c : cases) {
            std::vector<std::unique_ptr<TSLStitch>> objs;
            float x = 0;
            for (auto& blocks : c.blocks) {
                auto o = std::make_unique<TSLStitch>();
                for (int32_t col : blocks) {
                    o->Append(col < 0 ? TSP::Plain(0, x, 0) : TSP::Colour(0, x, 0, col));
                    o->Append(TSP::Plain(0, x + 10, 0));
                    x += 20;
                }
                objs.push_back(std::move(o));
            }
            std::vector<int32_t> side;
            auto f = ParseHusVip(Write(objs, vip, &side));
            EXPECT_EQ(side, c.table) << c.name;
            EXPECT_EQ(f.ColourCount, static_cast<int32_t>(c.table.size())) << c.name;
            EXPECT_EQ(std::count(f.Commands.begin(), f.Commands.end(), HUS_COLOUR) + 1, f.ColourCount)
                << c.name;
            std::vector<int32_t> stored;
            for (int32_t col : c.table)
                stored.push_back(vip ? col : HusColour(HusIndexOfColour(col)));
            EXPECT_EQ(f.Colours, stored) << c.name;
        }
}

TEST(HusWriter, PaletteIndicesStayWithinWhatOtherReadersKnow) {
    struct Case {
        int32_t colour;
        int index;
    } cases[] = {{MakeColour(255, 255, 255), 12},
                 {MakeColour(255, 0, 0), 3},
                 {MakeColour(0, 0, 0), 0},
                 {MakeColour(0, 0, 255), 1},
                 {MakeColour(128, 0, 128), 17}};
    for (auto& c : cases)
        EXPECT_EQ(HusIndexOfColour(c.colour), c.index) << std::hex << c.colour;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15) {
                int i = HusIndexOfColour(MakeColour(r, g, b));
                ASSERT_TRUE(i >= 0 && i <= 28) << r << "," << g << "," << b;
            }
}

TEST(VipWriter, RefusesMoreThan100ColourBlocks) {
    for (int blocks : {100, 101}) {
        auto o = std::make_unique<TSLStitch>();
        for (int i = 0; i < blocks; ++i) {
            o->Append(TSP::Colour(0, static_cast<float>(i * 20), 0, MakeColour(i, 255 - i, i * 2)));
            o->Append(TSP::Plain(0, static_cast<float>(i * 20 + 10), 0));
        }
        std::vector<std::unique_ptr<TSLStitch>> objs;
        objs.push_back(std::move(o));
        if (blocks == 100) {
            auto back = Read(Write(objs, true));
            int n = 0;
            for (const TSP& p : *back)
                if (p.IsColourPoint()) {
                    EXPECT_EQ(p.ColourOrLink, MakeColour(n, 255 - n, n * 2)) << n;
                    ++n;
                }
            EXPECT_EQ(n, 100);
            EXPECT_NO_THROW(Write(objs, false)); // HUS has no such limit
        } else {
            ExpectRefused([&] { Write(objs, true); }, "at most 100 colour blocks",
                          "101 colour blocks were written");
        }
    }
}

TEST(HusWriter, RefusesAnEmptyDesignAndOneTooLargeForTheHeader) {
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(std::make_unique<TSLStitch>());
    EXPECT_THROW(Write(objs, false), TError);
    objs.push_back(Direct({{0, 0, 1}, {270000, 0}}));
    EXPECT_THROW(Write(objs, false), TError);
    EXPECT_THROW(Write(objs, true), TError);
}

// ---- reader ----

TEST(HusReader, ReadsRealFilesAsTheirDstTwinHasThem) {
    auto dst = ReadStitchFile(Fixture("Star.DST"));
    struct Case {
        const char* file;
        std::vector<int32_t> colours;
    } cases[] = {
        {"Star.HUS", {HusColour(3), HusColour(12)}},
        {"Star.VIP", {MakeColour(227, 49, 31), MakeColour(247, 243, 247)}},
    };
    auto dstNeedles = Needles({dst.get()});
    for (auto& c : cases) {
        // Without a side file: the colours the file itself states.
        auto o = Read(ReadWholeFile(Fixture(c.file)));
        auto needles = Needles({o.get()});
        ASSERT_EQ(needles.size(), dstNeedles.size()) << c.file;
        std::vector<int32_t> colours;
        std::vector<size_t> changes, dstChanges;
        for (size_t i = 0; i < needles.size(); ++i) {
            EXPECT_EQ(needles[i].X, dstNeedles[i].X) << c.file << " " << i;
            EXPECT_EQ(needles[i].Y, dstNeedles[i].Y) << c.file << " " << i;
            if (needles[i].Colour != NO_COLOUR) colours.push_back(needles[i].Colour), changes.push_back(i);
            if (dstNeedles[i].Colour != NO_COLOUR) dstChanges.push_back(i);
        }
        EXPECT_EQ(colours, c.colours) << c.file;
        // The thread changes where it does in the DST file, give or take the needle at the change.
        ASSERT_EQ(changes.size(), dstChanges.size()) << c.file;
        for (size_t k = 0; k < changes.size(); ++k)
            EXPECT_LE(std::abs(static_cast<long>(changes[k]) - static_cast<long>(dstChanges[k])), 1)
                << c.file;
        // The same start point as the DST file: the bounds agree with both headers' extents.
        EXPECT_EQ(o->Bounds, dst->Bounds) << c.file;
    }
}

TEST(HusReader, ReadsTrimsAndLongJumpRunsOfAnotherWriter) {
    auto bytes = ReadWholeFile(Fixture("Embroidermodder.HUS"));
    auto f = ParseHusVip(bytes);
    EXPECT_EQ(f.Records, 3426);
    EXPECT_NE(std::find(f.Commands.begin(), f.Commands.end(), HUS_TRIM), f.Commands.end());
    auto o = Read(bytes);
    int blocks = 0;
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const TSP& p : *o) {
        blocks += p.IsColourPoint();
        minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
    }
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ((*o)[0].GetColour(), HusColour(13));
    // The header's extents from the start point (+X 1114, +Y 259, -X -1111, -Y -255), y flipped.
    EXPECT_EQ(f.Extents, (std::array<int16_t, 4>{1114, 259, -1111, -255}));
    EXPECT_EQ(maxX, 2 * 1114);
    EXPECT_EQ(minX, -2 * 1111);
    EXPECT_EQ(minY, -2 * 259);
    EXPECT_EQ(maxY, 2 * 255);
}

TEST(HusReader, PlacesPointsFromEveryCommandAndTheColourTable) {
    // jump (+5, up 3) and stitch (+1): a point at (12, -6) with the first colour; a trim and a
    // stitch; a change, a jump and a stitch: the new colour at the stitch after the jump; then the
    // end record, after which nothing is read.
    std::vector<TRec> recs = {{0x81, 5, 3},  {0x80, 1, 0}, {0x88, 2, 0}, {0x80, 1, 0}, {0x84, 0, 0},
                              {0x81, 0, -4}, {0x80, 1, 0}, {0x81, 9, 9}, {0x90, 0, 0}, {0x80, 50, 50}};
    std::vector<TPointView> want = {{12, -6, HusColour(3)}, {18, -6, NO_COLOUR}, {20, 2, HusColour(12)}};
    EXPECT_EQ(Points(*Read(Build(false, recs, {3, 12}))), want);
    // VIP: its own colours; HUS with a side file: the side file's colours.
    want[0].Colour = 0x123456, want[2].Colour = 0x654321;
    EXPECT_EQ(Points(*Read(Build(true, recs, {0x123456, 0x654321}))), want);
    TImportColours side(std::vector<uint8_t>{0x56, 0x34, 0x12, 0, 0x21, 0x43, 0x65, 0});
    EXPECT_EQ(Points(*Read(Build(false, recs, {3, 12}), side)), want);
    // Our own colour change sequence, and more changes than the table has colours: the default
    // sequence past its end; an index outside the palette is black.
    std::vector<TRec> ours = {{0x80, 0, 0}, {0x80, 4, 0}, {0x80, 0, 0}, {0x81, 3, 0},
                              {0x84, 0, 0}, {0x80, 0, 0}, {0x80, 1, 0}, {0x90, 0, 0}};
    std::vector<TPointView> got = Points(*Read(Build(false, ours, {400})));
    std::vector<TPointView> expected = {{0, 0, HusColour(0)},
                                        {8, 0, NO_COLOUR}, // the zero stitch before the change is a tie
                                        {14, 0, DefaultImportColour(0)},
                                        {16, 0, NO_COLOUR}};
    EXPECT_EQ(got, expected);
}

TEST(HusReader, RefusesDamagedFilesWithAClearReason) {
    std::vector<TRec> recs = {{0x80, 1, 1}, {0x80, 2, 2}, {0x90, 0, 0}};
    auto good = Build(false, recs, {1});
    ASSERT_NO_THROW(Read(good));
    auto with = [&](auto edit) {
        auto f = good;
        edit(f);
        return f;
    };
    const int64_t size = static_cast<int64_t>(good.size());
    const int32_t x = static_cast<int32_t>(good[24] | good[25] << 8);
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        const char* says;
    } cases[] = {
        {"shorter than the header", std::vector<uint8_t>(good.begin(), good.begin() + 41), "too short"},
        {"another magic", with([](auto& f) { f[2] = 0x90, f[3] = 0x00; }), "not a HUS or VIP"},
        {"no records", with([](auto& f) { Put32(f, 4, 0); }), "record count"},
        {"a record count beyond any machine", with([](auto& f) { Put32(f, 4, HUS_MAX_RECORDS + 1); }),
         "record count"},
        {"more records than the streams hold", with([](auto& f) { Put32(f, 4, 4); }), "holds 3 records"},
        {"fewer records than the streams hold", with([](auto& f) { Put32(f, 4, 2); }), "end record"},
        {"command stream inside the header", with([](auto& f) { Put32(f, 20, 41); }), "offsets"},
        {"x stream before the command stream", with([](auto& f) { Put32(f, 24, 44); }), "offsets"},
        {"y stream before the x stream", with([&](auto& f) { Put32(f, 28, x); }), "offsets"},
        {"y stream past the end", with([&](auto& f) { Put32(f, 28, size + 1); }), "offsets"},
        {"negative offset", with([](auto& f) { Put32(f, 20, -5); }), "offsets"},
        {"colour table into the streams", with([](auto& f) { Put32(f, 8, 2); }), "colour table"},
        {"negative colour count", with([](auto& f) { Put32(f, 8, -1); }), "colour count"},
        {"VIP with 101 colours", Build(true, recs, std::vector<int32_t>(100, 0), std::nullopt, 101),
         "colour count"},
        {"a damaged stream", with([&](auto& f) { std::fill(f.begin() + 44, f.begin() + x, 0xFF); }),
         "command stream"},
        {"no end record", Build(false, {{0x80, 1, 1}, {0x80, 1, 1}}, {1}), "end record"},
        {"an unknown command", Build(false, {{0x80, 1, 1}, {0x82, 1, 1}, {0x90, 0, 0}}, {1}),
         "unknown command 0x82"},
    };
    for (auto& c : cases) {
        try {
            Read(c.file);
            ADD_FAILURE() << c.name << " was read";
        } catch (const TReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.name << ": " << e.what();
        }
    }
    // Only stitches that never reach a needle point: nothing to import.
    EXPECT_THROW(Read(Build(false, {{0x81, 1, 1}, {0x90, 0, 0}}, {1})), TNoStitchesError);
}

TEST(HusReader, TellsHusFromVipByTheMagicAndReadsTheDesignsLayout) {
    TTempDir dir;
    std::vector<std::unique_ptr<TSLStitch>> objs;
    objs.push_back(Direct({{0, 0, kRed}, {40, 20}}));
    auto hus = Write(objs, false);
    WriteFileAtomic(dir / "named.vip", hus);
    auto o = ReadStitchFile(dir / "named.vip");
    EXPECT_EQ((*o)[0].GetColour(), HusColour(3)); // a palette colour: read as HUS
    // VIP with four zero bytes at 42 and the streams right after the colours.
    std::vector<TRec> recs = {{0x80, 0, 0}, {0x80, 20, 10}, {0x90, 0, 0}};
    auto vip = Build(true, recs, {kBlue});
    std::vector<uint8_t> plain(vip.begin(), vip.begin() + 42);
    plain.insert(plain.end(), 4, 0);
    auto scrambled = ScrambleVipColours(std::vector<int32_t>{kBlue});
    plain.insert(plain.end(), scrambled.begin(), scrambled.end());
    std::vector<uint8_t> streams[3];
    for (const TRec& r : recs) {
        streams[0].push_back(r.Cmd);
        streams[1].push_back(static_cast<uint8_t>(r.Dx));
        streams[2].push_back(static_cast<uint8_t>(r.Dy));
    }
    for (size_t k = 0; k < 3; ++k) {
        Put32(plain, 20 + 4 * k, static_cast<int64_t>(plain.size()));
        ArcCompressStream(streams[k], plain);
    }
    EXPECT_EQ(Points(*Read(plain)), (std::vector<TPointView>{{0, 0, kBlue}, {40, -20, NO_COLOUR}}));
}

TEST(HusRoundTrip, WrittenAndReadBackKeepsNeedlesBlocksAndColours) {
    for (int32_t format : {FORMAT_HUS, FORMAT_VIP}) {
        TTempDir dir;
        TMixedDesign d = MixedDesign(6000, 5000);
        auto file = dir / (format == FORMAT_HUS ? "design.hus" : "design.vip");
        const TFormat& row = *FormatOfExtension(format == FORMAT_HUS ? "hus" : "vip");
        ASSERT_TRUE(WriteDesign(d.Order, file, row, DataDir()));
        auto back = ReadStitchFile(file, row, 50, 60);
        auto want = Needles(d.Originals);
        EXPECT_EQ(Needles({back.get()}), want) << format;
        // Without the side file a HUS file has the nearest palette colours; VIP keeps its own.
        std::filesystem::remove(SideFileName(file));
        back = ReadStitchFile(file, row, 50, 60);
        if (format == FORMAT_HUS)
            want = Needles(d.Originals, [](int32_t c) { return HusColour(HusIndexOfColour(c)); });
        EXPECT_EQ(Needles({back.get()}), want) << format;
    }
}

TEST(HusCodec, OurStreamsAreAsSmallAsTheOtherWritersOnARealDesign) {
    // Recompressing the decoded streams of a real file: back-references make them shrink, to
    // about what the other program's encoder achieved.
    for (const char* name : {"Star.HUS", "Star.VIP", "Embroidermodder.HUS"}) {
        auto bytes = ReadWholeFile(Fixture(name));
        auto f = ParseHusVip(bytes);
        const std::vector<uint8_t>* streams[3] = {&f.Commands, &f.X, &f.Y};
        const int64_t ends[3] = {f.Offsets[1], f.Offsets[2], static_cast<int64_t>(bytes.size())};
        for (size_t k = 0; k < 3; ++k) {
            std::vector<uint8_t> ours;
            ArcCompressStream(*streams[k], ours);
            const int64_t theirs = ends[k] - f.Offsets[k];
            EXPECT_LE(static_cast<int64_t>(ours.size()), theirs + theirs / 50 + 4) << name << " stream " << k;
            EXPECT_LT(ours.size(), streams[k]->size() * 3 / 4) << name << " stream " << k;
        }
    }
}
