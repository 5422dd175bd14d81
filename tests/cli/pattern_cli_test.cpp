// nordelune-cli on stitch pattern files: info tells the area, the tile and the drawing's objects;
// render draws the drawing; a file that is not a pattern is named with its problem.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTest.h"
#include "core/FileIO.h"

using namespace nl;
using namespace nl::test;
using namespace nl::cli;

TEST(CliPattern, InfoAndRenderTakePatternFiles) {
    TTemp t;
    const std::string rings = std::string(NL_SOURCE_DIR) + "/data/Patterns/Rings.KVP";
    auto info = Cli({"info", rings});
    ASSERT_EQ(info.Code, EXIT_OK) << info.Err;
    EXPECT_NE(info.Out.find("area 40.0 x 40.0 mm, tile 10.0 x 10.0 mm, rotation 0.0 degrees"),
              std::string::npos)
        << info.Out;
    EXPECT_NE(info.Out.find("objects: outlines 1; direct_stitch 2"), std::string::npos) << info.Out;
    auto json = Cli({"info", "--json", rings});
    ASSERT_EQ(json.Code, EXIT_OK) << json.Err;
    EXPECT_NE(json.Out.find("\"objects\": {\"outlines\": 1, \"direct_stitch\": 2}"), std::string::npos)
        << json.Out;

    auto render = Cli({"render", rings, t / "rings.png", "--width", "120"});
    ASSERT_EQ(render.Code, EXIT_OK) << render.Err;
    EXPECT_GT(std::filesystem::file_size(t / "rings.png"), 100u);

    WriteFileAtomic(t / "bad.kvp", std::vector<uint8_t>{7, 7, 7});
    for (const char* command : {"info", "render"}) {
        auto bad = command == std::string("info") ? Cli({command, t / "bad.kvp"})
                                                  : Cli({command, t / "bad.kvp", t / "bad.png"});
        EXPECT_EQ(bad.Code, EXIT_BAD_INPUT) << command;
        EXPECT_NE(bad.Err.find("bad.kvp: not a stitch pattern file"), std::string::npos) << bad.Err;
    }
}
