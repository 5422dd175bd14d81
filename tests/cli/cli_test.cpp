#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sstream>

#include "CliTest.h"
#include "cli/Cli.h"
#include "cli/Render.h"
#include "core/Colour.h"
#include "core/FileIO.h"
#include "sewing/SewSimulator.h"
#include "stitching/SLStitch.h"
#include "threads/CatalogFolder.h"

using namespace nl;
using namespace nl::cli;
using namespace nl::test;

namespace {

const std::string kStar = std::string(NL_FIXTURES_DIR) + "/Star.DST";

} // namespace

TEST(CliConvert, RoundTripKeepsTheDesignAndWritesTheSideFile) {
    TTemp t;
    auto r = Cli({"convert", kStar, t / "star.dst"});
    ASSERT_EQ(r.Code, EXIT_OK) << r.Err;
    EXPECT_TRUE(r.Err.empty());
    EXPECT_TRUE(std::filesystem::exists(t / "star.edr"));
    // Converting again reads the side file: colours and positions stay, repeats aside.
    ASSERT_EQ(Cli({"convert", t / "star.dst", t / "again.dst"}).Code, EXIT_OK);
    auto positions = [](const std::string& dump) {
        std::istringstream in(dump);
        std::vector<std::string> out;
        std::string line;
        while (std::getline(in, line))
            if (out.empty() || out.back().substr(0, out.back().find(" C")) != line.substr(0, line.find(" C")))
                out.push_back(line);
        return out;
    };
    auto a = positions(Cli({"dump", kStar}).Out);
    auto b = positions(Cli({"dump", t / "star.dst"}).Out);
    auto c = positions(Cli({"dump", t / "again.dst"}).Out);
    EXPECT_EQ(a.size(), 2540u);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b, c);
}

TEST(CliConvert, ConvertingTheResultAgainChangesNothing) {
    // Each conversion used to add two zero-length stitches per colour change and one per object
    // (2550, 2553, 2556, ...). Now every generation has the stitches of the original, and from
    // the first conversion on the files are identical.
    TTemp t;
    const std::string original = Cli({"dump", kStar}).Out;
    std::string in = kStar;
    std::vector<uint8_t> first;
    for (int round = 1; round <= 3; ++round) {
        const std::string out = t / ("star" + std::to_string(round) + ".dst");
        ASSERT_EQ(Cli({"convert", in, out}).Code, EXIT_OK) << round;
        EXPECT_EQ(Cli({"dump", out}).Out, original) << round;
        EXPECT_NE(Cli({"info", out}).Out.find("stitches: 2550\n"), std::string::npos) << round;
        auto bytes = ReadWholeFile(out);
        if (round == 1) first = bytes;
        EXPECT_EQ(bytes, first) << round;
        in = out;
    }
}

// The dump of a file with consecutive repeats of a position folded (colour markers kept): what
// formats that write ties or split stitches differently still agree on.
std::vector<std::string> FoldedDump(const std::string& file) {
    std::istringstream in(Cli({"dump", file}).Out);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        std::string pos = line.substr(0, line.find(" C"));
        if (!out.empty() && out.back().substr(0, out.back().find(" C")) == pos) {
            if (line.size() > pos.size()) out.back() = line;
            continue;
        }
        out.push_back(line);
    }
    return out;
}

TEST(CliConvert, HusAndVipInBothDirections) {
    TTemp t;
    const auto dump = FoldedDump;
    const auto want = dump(kStar);
    for (const char* ext : {"hus", "vip"}) {
        const std::string design = t / (std::string("star.") + ext);
        auto r = Cli({"convert", kStar, design});
        ASSERT_EQ(r.Code, EXIT_OK) << r.Err;
        // The side file brings the DST's colours back; the needles are the DST's.
        EXPECT_EQ(dump(design), want) << ext;
        ASSERT_EQ(Cli({"convert", design, t / "back.dst"}).Code, EXIT_OK) << ext;
        EXPECT_EQ(dump(t / "back.dst"), want) << ext;
        auto info = Cli({"info", design});
        EXPECT_NE(info.Out.find("colour blocks: 2"), std::string::npos) << info.Out;
        // Converting the result again changes nothing: the tie stitches are not read as points.
        const std::string again = t / (std::string("again.") + ext),
                          third = t / (std::string("third.") + ext);
        ASSERT_EQ(Cli({"convert", design, again}).Code, EXIT_OK) << ext;
        ASSERT_EQ(Cli({"convert", again, third}).Code, EXIT_OK) << ext;
        EXPECT_EQ(Cli({"dump", again}).Out, Cli({"dump", design}).Out) << ext;
        EXPECT_EQ(ReadWholeFile(again), ReadWholeFile(design)) << ext;
        EXPECT_EQ(ReadWholeFile(third), ReadWholeFile(design)) << ext;
    }
    // Real files of another program, and a damaged one named in the message.
    for (const char* name : {"/Star.HUS", "/Star.VIP", "/Embroidermodder.HUS"})
        EXPECT_EQ(Cli({"convert", std::string(NL_FIXTURES_DIR) + name, t / "out.dst"}).Code, EXIT_OK) << name;
    WriteFileAtomic(t / "bad.vip", std::vector<uint8_t>(60, 0));
    auto bad = Cli({"info", t / "bad.vip"});
    EXPECT_EQ(bad.Code, EXIT_BAD_INPUT);
    EXPECT_NE(bad.Err.find(t / "bad.vip"), std::string::npos) << bad.Err;
}

TEST(CliConvert, PecAndPesInBothDirections) {
    TTemp t;
    std::filesystem::create_directories(t.Path / "again");
    const auto dump = FoldedDump;
    // Without a side file the DST's blocks have the palette's first colours, which PEC keeps.
    const auto want = dump(kStar);
    for (const char* ext : {"pec", "pes"}) {
        const std::string name = std::string("star.") + ext;
        auto r = Cli({"convert", kStar, t / name});
        ASSERT_EQ(r.Code, EXIT_OK) << r.Err;
        EXPECT_EQ(dump(t / name), want) << ext;
        ASSERT_EQ(Cli({"convert", t / name, t / "back.dst"}).Code, EXIT_OK) << ext;
        EXPECT_EQ(dump(t / "back.dst"), want) << ext;
        // Converted again under the same name (the label is the name): the same bytes.
        ASSERT_EQ(Cli({"convert", t / name, t / ("again/" + name)}).Code, EXIT_OK) << ext;
        EXPECT_EQ(ReadWholeFile(t / ("again/" + name)), ReadWholeFile(t / name)) << ext;
    }
    // A real PES file: its colours from the palette, red and white.
    const std::string pes = std::string(NL_FIXTURES_DIR) + "/Star.pes";
    auto info = Cli({"info", pes});
    ASSERT_EQ(info.Code, EXIT_OK) << info.Err;
    EXPECT_EQ(info.Out,
              pes + "\n  stitches: 2550\n  colour blocks: 2\n    1: FF0000 (1456 stitches)  thread: "
                    "Isacord - Polyester 1703 Poppy (FF0000, distance 0)\n    2: FFFFFF (1094 stitches)  "
                    "thread: Isacord - Polyester 0015 White (FFFFFF, distance 0)\n  extents: 59.1 x 62.3 mm "
                    "(x -29.5 to 29.6, y -31.1 to 31.2 mm from the start, y downward)\n");
    for (const char* name : {"/Embroidermodder.PEC", "/Embroidermodder.PES"})
        EXPECT_EQ(Cli({"convert", std::string(NL_FIXTURES_DIR) + name, t / "out.dst"}).Code, EXIT_OK) << name;
    WriteFileAtomic(t / "bad.pes",
                    std::vector<uint8_t>{'#', 'P', 'E', 'S', '0', '0', '0', '1', 0xFF, 0xFF, 0, 0});
    auto bad = Cli({"info", t / "bad.pes"});
    EXPECT_EQ(bad.Code, EXIT_BAD_INPUT);
    EXPECT_EQ(bad.Err, "nordelune-cli: " + t / "bad.pes" +
                           ": its PEC block offset 65535 lies outside the file (12 bytes)\n");
}

TEST(CliConvert, ExpAndJefInBothDirections) {
    TTemp t;
    const auto dump = FoldedDump;
    // A JEF file is dated when it is written; everything else must be the same.
    auto undated = [](std::vector<uint8_t> bytes) {
        if (bytes.size() > 22) std::fill(bytes.begin() + 8, bytes.begin() + 22, 0);
        return bytes;
    };
    const auto want = dump(kStar);
    for (const char* ext : {"exp", "jef"}) {
        const std::string design = t / (std::string("star.") + ext);
        auto r = Cli({"convert", kStar, design});
        ASSERT_EQ(r.Code, EXIT_OK) << r.Err;
        // The side file brings the DST's colours back; the needles are the DST's.
        EXPECT_EQ(dump(design), want) << ext;
        ASSERT_EQ(Cli({"convert", design, t / "back.dst"}).Code, EXIT_OK) << ext;
        EXPECT_EQ(dump(t / "back.dst"), want) << ext;
        auto info = Cli({"info", design});
        EXPECT_NE(info.Out.find("stitches: 2550\n  colour blocks: 2"), std::string::npos) << info.Out;
        // Converting the result again changes nothing: the tie stitches are not read as points.
        const std::string again = t / (std::string("again.") + ext),
                          third = t / (std::string("third.") + ext);
        ASSERT_EQ(Cli({"convert", design, again}).Code, EXIT_OK) << ext;
        ASSERT_EQ(Cli({"convert", again, third}).Code, EXIT_OK) << ext;
        EXPECT_EQ(Cli({"dump", again}).Out, Cli({"dump", design}).Out) << ext;
        EXPECT_EQ(undated(ReadWholeFile(again)), undated(ReadWholeFile(design))) << ext;
        EXPECT_EQ(undated(ReadWholeFile(third)), undated(ReadWholeFile(design))) << ext;
        auto png = Cli({"render", design, t / "star.png", "--width", "120"});
        EXPECT_EQ(png.Code, EXIT_OK) << png.Err;
    }
    // Real files of another program, and a damaged one named in the message.
    for (const char* name : {"/Star.EXP", "/Star.JEF"}) {
        const std::string file = std::string(NL_FIXTURES_DIR) + name;
        EXPECT_EQ(Cli({"convert", file, t / "out.dst"}).Code, EXIT_OK) << name;
        EXPECT_NE(Cli({"info", file}).Out.find("colour blocks: 2"), std::string::npos) << name;
    }
    std::vector<uint8_t> bad(120, 0);
    bad[0] = 200;
    WriteFileAtomic(t / "bad.jef", bad);
    auto r = Cli({"info", t / "bad.jef"});
    EXPECT_EQ(r.Code, EXIT_BAD_INPUT);
    EXPECT_NE(r.Err.find(t / "bad.jef"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("offset 200"), std::string::npos) << r.Err;
}

TEST(CliInfo, ReportsStitchesBlocksAndExtents) {
    auto text = Cli({"info", kStar});
    ASSERT_EQ(text.Code, EXIT_OK);
    EXPECT_EQ(
        text.Out,
        kStar + "\n  stitches: 2550\n  colour blocks: 2\n    1: 0000A0 (1455 stitches)  thread: Isacord - "
                "Polyester 3353 Light Midnight (00007D, distance 35)\n    2: 4B70FE (1095 stitches)  thread: "
                "Isacord - Polyester 3611 Blue Ribbon (7D66FF, distance 61)\n  extents: 59.1 x 62.3 mm (x "
                "-29.5 to 29.6, y -31.1 "
                "to 31.2 mm from the start, y downward)\n");
    auto json = Cli({"info", "--json", kStar});
    ASSERT_EQ(json.Code, EXIT_OK);
    EXPECT_EQ(json.Out,
              "{\"file\": \"" + kStar +
                  "\", \"stitches\": 2550, \"colour_blocks\": [{\"colour\": \"0000A0\", \"stitches\": "
                  "1455, \"thread\": {\"catalog\": \"Isacord - Polyester\", \"number\": \"3353\", \"name\": "
                  "\"Light Midnight\", \"colour\": \"00007D\", \"distance\": 35}}, {\"colour\": \"4B70FE\", "
                  "\"stitches\": 1095, \"thread\": {\"catalog\": \"Isacord - Polyester\", \"number\": "
                  "\"3611\", \"name\": \"Blue Ribbon\", \"colour\": \"7D66FF\", \"distance\": 61}}], "
                  "\"extents_mm\": {\"width\": "
                  "59.1, \"height\": 62.3, \"min_x\": -29.5, \"max_x\": 29.6, \"min_y\": -31.1, "
                  "\"max_y\": 31.2}}\n");
}

namespace {
// Two small catalogs of our own: Acme Silk switched on, Zed Wool off.
void MakeCatalogs(const std::filesystem::path& folder) {
    auto make = [&](const std::string& m, const std::string& t, bool enabled, int32_t position,
                    std::vector<std::tuple<std::string, std::string, int32_t>> threads) {
        TCatData c;
        c.Manufacturer = m;
        c.ThreadType = t;
        c.Enabled = enabled;
        c.ListPosition = position;
        for (auto& [number, name, colour] : threads) {
            TCD e;
            e.CatalogNumber = number;
            e.Description = name;
            e.Colour = colour;
            c.Entries.push_back(e);
        }
        ComputeOrders(c);
        WriteCatalog(c, folder);
    };
    make("Zed", "Wool", false, 0, {{"7", "Red", MakeColour(255, 0, 0)}});
    make("Acme", "Silk", true, 1,
         {{"20", "Pale Red", MakeColour(250, 10, 10)},
          {"3", "Black", 0},
          {"100", "White", MakeColour(255, 255, 255)}});
}
} // namespace

TEST(CliThreads, ListsCatalogsTheirThreadsAndNearestMatches) {
    TTemp t;
    MakeCatalogs(t.Path);
    auto list = Cli({"threads", "--threads", t.Path.string()});
    ASSERT_EQ(list.Code, EXIT_OK) << list.Err;
    EXPECT_EQ(list.Out, "catalog    name         threads  use\n"
                        "Zed-Wool   Zed - Wool   1        no\n"
                        "Acme-Silk  Acme - Silk  3        yes\n");
    auto byNumber = Cli({"threads", "acme-silk", "--threads", t.Path.string()});
    ASSERT_EQ(byNumber.Code, EXIT_OK) << byNumber.Err;
    EXPECT_EQ(byNumber.Out, "Acme - Silk (3 threads)\nnumber  colour  name\n100     FFFFFF  White\n"
                            "20      FA0A0A  Pale Red\n3       000000  Black\n");
    auto byColour = Cli({"threads", "Acme - Silk", "--sort", "colour", "--threads", t.Path.string()});
    EXPECT_NE(byColour.Out.find("White\n20      FA0A0A  Pale Red\n3 "), std::string::npos) << byColour.Out;
    // Nearest threads: across the enabled catalogs only (Zed's exact red is off) ...
    auto match = Cli({"threads", "--match", "#FF0000", "--count", "2", "--threads", t.Path.string()});
    ASSERT_EQ(match.Code, EXIT_OK) << match.Err;
    EXPECT_EQ(match.Out, "catalog      number  colour  distance  name\n"
                         "Acme - Silk  20      FA0A0A  25        Pale Red\n"
                         "Acme - Silk  3       000000  255       Black\n");
    // ... or inside the catalog named, switched on or not.
    auto inZed = Cli({"threads", "Zed-Wool", "--match", "ff0000", "--threads", t.Path.string()});
    EXPECT_NE(inZed.Out.find("Zed - Wool  7       FF0000  0         Red\n"), std::string::npos) << inZed.Out;
    // The shipped catalogs beside the program, when no folder is named.
    auto shipped = Cli({"threads"});
    ASSERT_EQ(shipped.Code, EXIT_OK) << shipped.Err;
    EXPECT_NE(shipped.Out.find("Madeira-Rayon        Madeira - Rayon        357      yes"), std::string::npos)
        << shipped.Out;
}

TEST(CliThreads, RefusesBadArgumentsWithOneLine) {
    TTemp t;
    MakeCatalogs(t.Path);
    TTemp empty;
    const std::string dir = t.Path.string();
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string mentions;
    } cases[] = {
        {{"threads", "--match", "red", "--threads", dir}, EXIT_USAGE, "RRGGBB"},
        {{"threads", "--match", "FF00001", "--threads", dir}, EXIT_USAGE, "RRGGBB"},
        {{"threads", "--count", "0", "--threads", dir}, EXIT_USAGE, "--count"},
        {{"threads", "--sort", "size", "--threads", dir}, EXIT_USAGE, "--sort"},
        {{"threads", "a", "b", "--threads", dir}, EXIT_USAGE, "CATALOG"},
        {{"threads", "--match"}, EXIT_USAGE, "--match"},
        {{"threads", "Nobody-Nothing", "--threads", dir}, EXIT_BAD_INPUT, "Nobody-Nothing"},
        {{"threads", "--threads", empty.Path.string()}, EXIT_BAD_INPUT, empty.Path.string()},
    };
    for (auto& c : cases) {
        auto r = Cli(c.args);
        EXPECT_EQ(r.Code, c.code) << c.args[1] << " " << r.Err;
        EXPECT_NE(r.Err.find(c.mentions), std::string::npos) << r.Err;
        EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
        EXPECT_TRUE(r.Out.empty());
    }
    // info names the nearest thread of the enabled catalogs, and nothing without catalogs.
    auto info = Cli({"info", kStar, "--threads", dir});
    EXPECT_NE(info.Out.find("1: 0000A0 (1455 stitches)  thread: Acme - Silk 3 Black (000000, distance 160)"),
              std::string::npos)
        << info.Out;
    auto bare = Cli({"info", kStar, "--threads", empty.Path.string()});
    EXPECT_NE(bare.Out.find("1: 0000A0 (1455 stitches)\n"), std::string::npos) << bare.Out;
}

TEST(CliDump, OneLinePerPointWithColourMarkers) {
    auto r = Cli({"dump", kStar});
    ASSERT_EQ(r.Code, EXIT_OK);
    EXPECT_EQ(r.Out.substr(0, 28), "1 151 C 0000A0\n-1 149\n1 151\n");
    EXPECT_EQ(std::count(r.Out.begin(), r.Out.end(), '\n'), 2550);
    EXPECT_NE(r.Out.find(" C 4B70FE\n"), std::string::npos);
}

TEST(CliRender, WritesAPngOfTheRequestedWidth) {
    TTemp t;
    auto r = Cli({"render", kStar, t / "star.png", "--width", "200"});
    ASSERT_EQ(r.Code, EXIT_OK) << r.Err;
    auto png = ReadWholeFile(t / "star.png");
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    uint32_t w = png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19];
    uint32_t h = png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23];
    EXPECT_EQ(w, 200u);
    EXPECT_NEAR(h, 200.0 * 62.3 / 59.1, 3);
    EXPECT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
}

TEST(CliRender, UpToDrawsTheDesignAsSewnSoFar) {
    // Red along the top, then a travel down into blue along the bottom.
    constexpr int32_t RED = 0x0000FF, BLUE = 0xFF0000;
    TSLStitch design;
    design.Append(TSP::Colour(0, 0, 0, RED));
    design.Append(TSP::Plain(0, 200, 0));
    design.Append(TSP::Colour(0, 200, 100, BLUE));
    design.Append(TSP::Plain(0, 0, 100));
    auto count = [](const TImage& img, int32_t colour) {
        size_t n = 0;
        for (int y = 0; y < img.Height; ++y)
            for (int x = 0; x < img.Width; ++x) {
                const uint8_t* p = img.Rgb.data() + (static_cast<size_t>(y) * img.Width + x) * 3;
                n += MakeColour(p[0], p[1], p[2]) == colour;
            }
        return n;
    };
    const int32_t background = TSimSettings().Background;
    const int32_t jump = TSimPainter::JumpColour(BLUE, background);
    struct Case {
        int64_t upTo;
        TJumpLook jumps;
        bool red, jumpDrawn, blue;
    } cases[] = {
        {-3, TJumpLook::Dashed, false, false, false}, {1, TJumpLook::Dashed, false, false, false},
        {2, TJumpLook::Dashed, true, false, false},   {3, TJumpLook::Dashed, true, true, false},
        {4, TJumpLook::Dashed, true, true, true},     {99, TJumpLook::Hidden, true, false, true},
    };
    for (auto& c : cases) {
        TSewnOptions o;
        o.Width = 200;
        o.UpTo = c.upTo;
        o.Jumps = c.jumps;
        TImage img = RenderSewn(design, o);
        EXPECT_EQ(img.Width, 200);
        EXPECT_GT(count(img, background), 10000u) << c.upTo;
        EXPECT_EQ(count(img, RED) > 100, c.red) << c.upTo;
        EXPECT_EQ(count(img, jump) > 10, c.jumpDrawn) << c.upTo;
        EXPECT_EQ(count(img, BLUE) > 100, c.blue) << c.upTo;
    }
    // From the command line, with the Star: a sewn picture differs from the finished one.
    TTemp t;
    ASSERT_EQ(Cli({"render", kStar, t / "a.png", "--upto", "1500", "--points", "--jumps", "thin"}).Code,
              EXIT_OK);
    ASSERT_EQ(Cli({"render", kStar, t / "b.png", "--upto", "2550"}).Code, EXIT_OK);
    EXPECT_NE(ReadWholeFile(t / "a.png"), ReadWholeFile(t / "b.png"));
}

TEST(Cli, ExitCodesAndOneLineMessagesNamingTheFile) {
    TTemp t;
    WriteFileAtomic(t / "junk.dst", std::vector<uint8_t>(600, 'x'));
    WriteFileAtomic(t / "keep.dst", std::vector<uint8_t>{'k'});
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string mentions;
    } cases[] = {
        {{}, EXIT_USAGE, "Usage"},
        {{"frobnicate"}, EXIT_USAGE, "frobnicate"},
        {{"convert", kStar}, EXIT_USAGE, "convert"},
        {{"convert", kStar, t / "out.txt"}, EXIT_USAGE, "out.txt"},
        {{"render", kStar, t / "x.png", "--width", "wide"}, EXIT_USAGE, "--width"},
        {{"render", kStar, t / "x.png", "--width", "9"}, EXIT_USAGE, "--width"},
        {{"render", kStar, t / "x.png", "--upto", "half"}, EXIT_USAGE, "--upto"},
        {{"render", kStar, t / "x.png", "--upto"}, EXIT_USAGE, "--upto"},
        {{"render", kStar, t / "x.png", "--upto", "5", "--jumps", "wavy"}, EXIT_USAGE, "--jumps"},
        {{"render", kStar, t / "x.png", "--points"}, EXIT_USAGE, "--upto"},
        {{"info", kStar, "--yaml"}, EXIT_USAGE, "--yaml"},
        {{"info", t / "missing.dst"}, EXIT_BAD_INPUT, t / "missing.dst"},
        {{"info", t / "notes.txt"}, EXIT_BAD_INPUT, t / "notes.txt"},
        {{"dump", t / "junk.dst"}, EXIT_BAD_INPUT, t / "junk.dst"},
        {{"convert", t / "junk.dst", t / "keep.dst"}, EXIT_BAD_INPUT, t / "junk.dst"},
        {{"convert", kStar, t / "no/such/folder/x.dst"}, EXIT_CANNOT_WRITE, t / "no/such/folder/x.dst"},
        {{"convert", kStar, t / "later.NlD"}, EXIT_CANNOT_WRITE, t / "later.NlD"},
        {{"render", kStar, t / "no/such/folder/x.png"}, EXIT_CANNOT_WRITE, t / "no/such/folder/x.png"},
    };
    for (auto& c : cases) {
        auto r = Cli(c.args);
        std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(r.Code, c.code) << what << " " << r.Err;
        EXPECT_NE(r.Err.find(c.mentions), std::string::npos) << r.Err;
        if (!c.args.empty()) {
            EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
        }
        EXPECT_TRUE(r.Out.empty()) << what;
    }
    // A failed conversion leaves the previous output as it was, and nothing half-written beside it.
    EXPECT_EQ(ReadWholeFile(t / "keep.dst"), std::vector<uint8_t>{'k'});
    EXPECT_FALSE(std::filesystem::exists(t / "keep.edr"));
    EXPECT_FALSE(std::filesystem::exists(t / "later.NlD"));
    for (auto& e : std::filesystem::directory_iterator(t.Path))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// ---- worksheets ----

#include "app/MainForm.h"
#include "core/FileIO.h"
#include "platform/ScriptedHost.h"

TEST(CliWorksheet, ExportEqualsTheProgramsExportByteForByte) {
    TTemp t;
    // The program's folder: a copy of the shipped files, so that the folders the program makes
    // beside itself land here and not in the source tree.
    const std::string program = t / "program";
    std::filesystem::copy(std::string(NL_SOURCE_DIR) + "/data", program);
    for (const char* example : {"multicolour.Nl1", "badge.Nl1", "imported-star.Nl1"}) {
        SCOPED_TRACE(example);
        const std::string sheet = std::string(NL_SOURCE_DIR) + "/examples/" + example;
        // The program: the worksheet opened at another zoom, its group selected, exported as DST.
        TScriptedHost host;
        host.Folder = program;
        TNL nl(host);
        nl.Resize(900, 700);
        ASSERT_TRUE(nl.OpenWorksheet(sheet)) << (host.Messages.empty() ? "" : host.Messages.back().Text);
        nl.View.Zoom = 100;
        nl.SetMode(TMode::ObjectLayout);
        nl.Sew.SelectGroup(1, OF_SELECTED_LAYOUT);
        nl.Sew.ComputeSelectionKind();
        TFileDialogResult r;
        r.Accepted = true;
        const std::string stem = std::filesystem::path(example).stem().string();
        r.FileName = t / ("gui-" + stem);
        r.FilterIndex = 3;
        host.FileAnswers = {r};
        nl.Execute(TCommand::ExportStitching);
        ASSERT_TRUE(std::filesystem::exists(t / ("gui-" + stem + ".dst")));
        // The command line.
        auto c = Cli({"export", sheet, t / ("cli-" + stem + ".dst"), "--group", "1"});
        ASSERT_EQ(c.Code, EXIT_OK) << c.Err;
        EXPECT_EQ(ReadWholeFile(t / ("gui-" + stem + ".dst")), ReadWholeFile(t / ("cli-" + stem + ".dst")));
        EXPECT_EQ(ReadWholeFile(t / ("gui-" + stem + ".edr")), ReadWholeFile(t / ("cli-" + stem + ".edr")));
        // Every stitched object: here the one group, so the same file.
        ASSERT_EQ(Cli({"export", sheet, t / ("all-" + stem + ".dst")}).Code, EXIT_OK);
        EXPECT_EQ(ReadWholeFile(t / ("all-" + stem + ".dst")), ReadWholeFile(t / ("cli-" + stem + ".dst")));
    }
}

TEST(CliWorksheet, ConvertInfoAndRenderTakeWorksheets) {
    TTemp t;
    // A stitch file becomes a worksheet; the worksheet exports back to the same stitches.
    ASSERT_EQ(Cli({"convert", kStar, t / "star.Nl1"}).Code, EXIT_OK);
    ASSERT_EQ(Cli({"convert", t / "star.Nl1", t / "back.dst"}).Code, EXIT_OK);
    ASSERT_EQ(Cli({"convert", kStar, t / "direct.dst"}).Code, EXIT_OK);
    EXPECT_EQ(ReadWholeFile(t / "back.dst"), ReadWholeFile(t / "direct.dst"));
    // A worksheet saved over itself keeps every byte; under another name only its name changes.
    const std::string sheet = std::string(NL_SOURCE_DIR) + "/examples/multicolour.Nl1";
    std::filesystem::copy_file(sheet, t / "m.Nl1");
    ASSERT_EQ(Cli({"convert", t / "m.Nl1", t / "m.Nl1"}).Code, EXIT_OK);
    const auto once = ReadWholeFile(t / "m.Nl1");
    ASSERT_EQ(Cli({"convert", t / "m.Nl1", t / "m.Nl1"}).Code, EXIT_OK);
    EXPECT_EQ(ReadWholeFile(t / "m.Nl1"), once);
    // The example records its own name; the rest is the same bytes.
    const auto original = ReadWholeFile(sheet);
    EXPECT_EQ(once.size(), original.size() - std::string("multicolour.Nl1").size() + (t / "m.Nl1").size());

    auto info = Cli({"info", "--json", sheet});
    ASSERT_EQ(info.Code, EXIT_OK) << info.Err;
    EXPECT_NE(info.Out.find("\"version\": 1011"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("\"regions\": 4"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("\"curved_columns\": 1"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("\"groups\": [{\"id\": 1, \"objects\": 14}]"), std::string::npos) << info.Out;
    // The stitch count is what an export writes: the DST file holds that many stitch records
    // plus its colour changes and end, so compare with the points a dump of the export shows.
    auto dump = Cli({"dump", sheet});
    size_t lines = std::count(dump.Out.begin(), dump.Out.end(), '\n');
    EXPECT_NE(info.Out.find("\"export_stitches\": " + std::to_string(lines)), std::string::npos) << info.Out;

    auto render = Cli({"render", sheet, t / "m.png", "--width", "200"});
    ASSERT_EQ(render.Code, EXIT_OK) << render.Err;
    EXPECT_GT(std::filesystem::file_size(t / "m.png"), 100u);

    // Errors name the file: a group that is not there, a file that is not a worksheet.
    auto g = Cli({"export", sheet, t / "x.dst", "--group", "7"});
    EXPECT_EQ(g.Code, EXIT_USAGE);
    EXPECT_NE(g.Err.find("no layout group 7"), std::string::npos) << g.Err;
    WriteFileAtomic(t / "bad.Nl1", std::vector<uint8_t>(50, 'z'));
    auto bad = Cli({"info", t / "bad.Nl1"});
    EXPECT_EQ(bad.Code, EXIT_BAD_INPUT);
    EXPECT_NE(bad.Err.find("bad.Nl1"), std::string::npos) << bad.Err;
}
