// nordelune-cli with the XXX, Barudan DAT, Toyota 10O and Pfaff KSM rows: convert in both
// directions, info, dump and render, real files of another writer, and the refusal of a .dat
// file that is not Barudan.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTest.h"
#include "cli/Cli.h"
#include "core/FileIO.h"

using namespace nl;
using namespace nl::cli;
using namespace nl::test;

TEST(CliConvert, XxxDatTenOAndKsmInBothDirections) {
    TTemp t;
    const std::string star = Fixture("Star.DST");
    const std::string want = Cli({"dump", star}).Out;
    for (const char* ext : {"xxx", "dat", "10o", "ksm"}) {
        SCOPED_TRACE(ext);
        const std::string design = t / (std::string("star.") + ext);
        auto r = Cli({"convert", star, design});
        ASSERT_EQ(r.Code, EXIT_OK) << r.Err;
        EXPECT_TRUE(std::filesystem::exists(t / "star.edr"));
        // Every point of the DST, with its colours through the side file.
        EXPECT_EQ(Cli({"dump", design}).Out, want);
        ASSERT_EQ(Cli({"convert", design, t / "back.dst"}).Code, EXIT_OK);
        EXPECT_EQ(Cli({"dump", t / "back.dst"}).Out, want);
        auto info = Cli({"info", design});
        EXPECT_NE(info.Out.find("stitches: 2550\n  colour blocks: 2\n"), std::string::npos) << info.Out;
        EXPECT_NE(info.Out.find("extents: 59.1 x 62.3 mm"), std::string::npos) << info.Out;
        // Converting the result again changes nothing.
        const std::string again = t / (std::string("again.") + ext);
        ASSERT_EQ(Cli({"convert", design, again}).Code, EXIT_OK);
        EXPECT_EQ(ReadWholeFile(again), ReadWholeFile(design));
        auto png = Cli({"render", design, t / "star.png", "--width", "120"});
        ASSERT_EQ(png.Code, EXIT_OK) << png.Err;
        EXPECT_GT(ReadWholeFile(t / "star.png").size(), 100u);
        std::filesystem::remove(t / "star.edr");
    }
}

TEST(CliConvert, RealFilesOfAnotherWriterAndADatFileThatIsNotBarudan) {
    TTemp t;
    for (const char* name : {"Star.XXX", "Embroidermodder.XXX", "Star.10O", "Star.ksm"}) {
        auto r = Cli({"convert", Fixture(name), t / "out.dst"});
        EXPECT_EQ(r.Code, EXIT_OK) << name << ": " << r.Err;
        EXPECT_NE(Cli({"info", Fixture(name)}).Out.find("colour blocks: "), std::string::npos) << name;
    }
    // Star.XXX states its own colours.
    EXPECT_NE(Cli({"info", Fixture("Star.XXX")}).Out.find("1: E3311F"), std::string::npos);
    auto dat = Cli({"info", Fixture("Star.dat")});
    EXPECT_EQ(dat.Code, EXIT_BAD_INPUT);
    EXPECT_NE(dat.Err.find(Fixture("Star.dat") + ": not a Barudan DAT file"), std::string::npos) << dat.Err;
}
