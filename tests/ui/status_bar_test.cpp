// The status bar's measurements and the export line, and the words of a refused entry.
#include <gtest/gtest.h>

#include "core/Point.h"
#include "formats/Formats.h"
#include "stitching/SLCurve.h"
#include "stitching/SLStitch.h"
#include "ui/OutlinePage.h"
#include "ui/StatusBar.h"
#include "worksheet/Sew.h"

using namespace nl;

TEST(StatusBar, CountsAndPositionsReadAsAUserWritesThem) {
    const std::pair<int64_t, const char*> counts[] = {
        {0, "0"},         {999, "999"}, {1000, "1,000"}, {500000, "500,000"}, {1234567, "1,234,567"},
        {-1500, "-1,500"}};
    for (const auto& [n, text] : counts)
        EXPECT_EQ(CountText(n), text) << n;
    // 20 units to the millimetre; a hair left of zero is 0.00, not -0.00.
    EXPECT_EQ(PointerText(246.9, -0.2), "X 12.35 mm   Y 0.00 mm");
    EXPECT_EQ(PointerText(-2000, 10), "X -100.00 mm   Y 0.50 mm");
}

namespace {
TSLStitch* AddDirect(TSew& sew, std::initializer_list<std::array<float, 2>> pts, int32_t colour) {
    auto* o = sew.AddNew<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    bool first = true;
    for (const auto& p : pts) {
        o->Append(first ? TSP::Colour(0, p[0], p[1], colour) : TSP::Plain(0, p[0], p[1]));
        first = false;
    }
    return o;
}
} // namespace

TEST(StatusBar, SizeAndCountsOfTheSelectionOrTheWholeDesign) {
    TSew sew;
    TDesignSummary empty = Summarise(sew, OF_SELECTED_LAYOUT);
    EXPECT_EQ(SizeText(empty), "Design empty");
    EXPECT_EQ(CountsText(empty), "0 stitches   0 colours");

    TSLStitch* red = AddDirect(sew, {{0, 0}, {200, 0}, {200, 100}}, 0x0000FF);
    TSLStitch* two = AddDirect(sew, {{400, 300}, {500, 300}}, 0x00FF00);
    // A colour change inside the second object, and a point in a colour the first already has.
    two->Append(TSP::Colour(0, 500, 700, 0xFF0000));
    two->Append(TSP::Colour(0, 600, 700, 0x0000FF));

    TDesignSummary all = Summarise(sew, OF_SELECTED_LAYOUT);
    EXPECT_FALSE(all.Selection);
    EXPECT_EQ(SizeText(all), "Design 30.0 x 35.0 mm");
    EXPECT_EQ(CountsText(all), "7 stitches   3 colours");

    red->Flags |= OF_SELECTED_LAYOUT;
    TDesignSummary sel = Summarise(sew, OF_SELECTED_LAYOUT);
    EXPECT_TRUE(sel.Selection);
    EXPECT_EQ(SizeText(sel), "Selection 10.0 x 5.0 mm");
    EXPECT_EQ(CountsText(sel), "3 stitches   1 colour");
    // A mode that selects nothing (flag 0) measures the whole design; so does another mode's flag.
    EXPECT_EQ(SizeText(Summarise(sew, 0)), "Design 30.0 x 35.0 mm");
    EXPECT_EQ(SizeText(Summarise(sew, OF_SELECTED_EDIT)), "Design 30.0 x 35.0 mm");
}

TEST(StatusBar, ExportLineNamesFileFormatStitchesBlocksAndSize) {
    const TFormat* dst = ExportFormatOfName("designs/star.dst");
    const TFormat* vip = ExportFormatOfName("star.vip");
    ASSERT_TRUE(dst && vip);
    EXPECT_EQ(ExportStatusText("/home/u/designs/star.dst", *dst, 12345, 3, 45.25, 30),
              "Exported star.dst (Tajima DST): 12,345 stitches, 3 colour blocks, 45.2 x 30.0 mm");
    EXPECT_EQ(ExportStatusText("star.vip", *vip, 1, 1, 0.5, 0.5),
              "Exported star.vip (Pfaff VIP): 1 stitch, 1 colour block, 0.5 x 0.5 mm");
}

TEST(RefusedEntry, SaysTheFieldsRangeInItsUnit) {
    const auto& fields = TOutlinePage::Fields();
    const int passes = TOutlinePage::FieldIndex("Passes"), comp = TOutlinePage::FieldIndex("Compensation");
    ASSERT_GE(passes, 0);
    ASSERT_GE(comp, 0);
    const auto& p = fields[static_cast<size_t>(passes)];
    ASSERT_FALSE(p.Accepts(0));
    EXPECT_EQ(p.Refusal("0"), "Passes: 0 is outside the range 1 to 50. The previous value is kept.");
    EXPECT_EQ(fields[static_cast<size_t>(comp)].Refusal(" 12.5 "),
              "Compensation: 12.5 is outside the range 0 to 12 mm. The previous value is kept.");
    EXPECT_EQ(RangeRefusal("Rotate", "400", -360, 360, "degrees"),
              "Rotate: 400 is outside the range -360 to 360 degrees. The previous value is kept.");
    EXPECT_EQ(NumberRefusal("Passes", "abc"), "Passes: \"abc\" is not a number. The previous value is kept.");
    const std::pair<double, const char*> bounds[] = {
        {0, "0"},           {0.1, "0.1"}, {1.999, "1.999"}, {60.01, "60.01"}, {-0.99999, "-0.99999"},
        {-100.1, "-100.1"}, {-0.0, "0"}};
    for (const auto& [v, text] : bounds)
        EXPECT_EQ(BoundText(v), text) << v;
}
