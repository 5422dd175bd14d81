// `nordelune-cli info` on a worksheet lists its support objects one by one: kind, bounds in mm,
// a picture's size in pixels, a memo's first line, a pattern creator's tile and drawing.
#include <gtest/gtest.h>

#include "CliTest.h"
#include "formats/Worksheet.h"
#include "regions/Pattern.h"
#include "regions/Support.h"
#include "worksheet/Sew.h"

using namespace nl;
using namespace nl::test;
using nl::cli::EXIT_OK;

TEST(CliInfo, ListsTheSupportObjectsOfAWorksheet) {
    TTemp t;
    TSew sew;
    sew.Support.Create(SUPPORT_FRAME, 100, 200)->SetSize(2000, 3400);
    auto* picture = static_cast<TObjectBitmap*>(sew.Support.Create(SUPPORT_PICTURE, 0, 0));
    auto* memo = static_cast<TObjectText*>(sew.Support.Create(SUPPORT_TEXT_LABEL, 400, 0));
    memo->Lines = {"Hoop \"A\": left side", "second line"};
    auto* creator = static_cast<TObjectPatternCreator*>(sew.Support.Create(SUPPORT_PATTERN_CREATOR, 4000, 0));
    creator->Pattern.PatternWidth = 300;
    sew.Support.Renumber();
    for (int k = 0; k < 2; ++k) {
        auto line = std::make_unique<TSLStitch>();
        line->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_SNAP_GRID;
        line->Append(TSP::Plain(0, 4000.f, 100.f * k));
        line->Append(TSP::Plain(0, 4500.f, 100.f * k));
        AddMember(*creator, *sew.Add(std::move(line)));
    }
    SaveWorksheet(sew, t / "s.Nl1");

    auto text = Cli({"info", t / "s.Nl1"});
    ASSERT_EQ(text.Code, EXIT_OK) << text.Err;
    const std::string pixels = std::to_string(picture->PictureWidth()) + " x " +
                               std::to_string(picture->PictureHeight()) + " pixels";
    for (const std::string& want : std::vector<std::string>{
             std::string("  support objects: frames 1; pictures 1; pattern_creators 1; text_labels 1;\n"),
             std::string("    1: frame 100.0 x 170.0 mm (x 5.0 to 105.0, y 10.0 to 180.0 mm)\n"),
             "    2: picture ",
             ", picture " + pixels + " (DoggySmall.bmp)\n",
             std::string("    3: text label 20.1 x 50.0 mm (x 20.0 to 40.0, y 0.0 to 50.0 mm), 2 lines: "
                         "\"Hoop \"A\": left side\"\n"),
             std::string(
                 "    4: pattern creator 40.0 x 40.0 mm (x 200.0 to 240.0, y 0.0 to 40.0 mm), tile 15.0 x "
                 "10.0 mm, 2 objects in its drawing\n"),
         })
        EXPECT_NE(text.Out.find(want), std::string::npos) << want << "\nin\n" << text.Out;

    auto json = Cli({"info", "--json", t / "s.Nl1"});
    ASSERT_EQ(json.Code, EXIT_OK) << json.Err;
    for (const std::string& want : std::vector<std::string>{
             std::string("\"support_objects\": {\"frames\": 1, \"pictures\": 1, \"pattern_creators\": 1, "
                         "\"text_labels\": 1}"),
             std::string(
                 "{\"kind\": \"frame\", \"bounds_mm\": {\"left\": 5.0, \"top\": 10.0, \"right\": 105.0, "
                 "\"bottom\": 180.0, \"width\": 100.0, \"height\": 170.0}}"),
             "\"picture_px\": {\"width\": " + std::to_string(picture->PictureWidth()),
             std::string("\"first_line\": \"Hoop \\\"A\\\": left side\", \"lines\": 2"),
             std::string(
                 "\"tile_mm\": {\"width\": 15.0, \"height\": 10.0}, \"edit_points\": 16, \"members\": 2}"),
         })
        EXPECT_NE(json.Out.find(want), std::string::npos) << want << "\nin\n" << json.Out;

    // A new worksheet has no support objects: its item 0 is the selection rectangle.
    TSew empty;
    SaveWorksheet(empty, t / "e.Nl1");
    auto none = Cli({"info", t / "e.Nl1"});
    EXPECT_NE(
        none.Out.find("support objects: frames 0; pictures 0; pattern_creators 0; text_labels 0;\n  layout"),
        std::string::npos)
        << none.Out;
}
