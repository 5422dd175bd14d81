// The "Stitch" page of a direct stitch object: the entry rule of its three fields, the range
// around the cursor selecting points, the arrows, and the colour field that applies only where a
// colour point is in force.
#include <gtest/gtest.h>

#include "core/Colour.h"
#include "regions/PointEdit.h"
#include "ui/StitchPage.h"

using namespace nl;

namespace {
TSLStitch Design(int32_t n, std::initializer_list<int32_t> colours) {
    TSLStitch o;
    for (int32_t i = 0; i < n; ++i)
        o.Append(TSP::Plain(0, static_cast<float>(10 * i), 0));
    for (int32_t c : colours)
        o.Replace(c, TSP::Colour(0, static_cast<float>(10 * c), 0, 0x10 + c));
    return o;
}
} // namespace

TEST(StitchPage, FieldsRangeArrowsAndColour) {
    TSLStitch o = Design(10, {2, 6});
    TPointEditState state;
    TStitchPage page(o, state);
    EXPECT_EQ(page.Last(), 9);
    // Entries outside the points, or not whole, are refused.
    for (double bad : {-1.0, 10.0, 2.5})
        EXPECT_FALSE(page.SetPosition(bad)) << bad;
    EXPECT_TRUE(page.SetPosition(4));
    EXPECT_EQ(o.SimIndex, 4);
    // Before the first colour point the colour field does not apply.
    EXPECT_TRUE(page.SetPosition(1));
    EXPECT_FALSE(page.ColourApplies());
    EXPECT_EQ(page.Colour(), NO_COLOUR);
    page.Step(TStitchStep::NextColour);
    EXPECT_EQ(page.Position(), 2);
    EXPECT_EQ(page.Colour(), 0x12);
    page.Step(TStitchStep::Forward);
    page.Step(TStitchStep::Forward);
    EXPECT_EQ(page.Position(), 4);
    EXPECT_EQ(page.ColourBlock(), 2) << "the block in force at the cursor";
    page.Step(TStitchStep::NextColour);
    page.Step(TStitchStep::NextColour);
    EXPECT_EQ(page.Position(), 9) << "none after the last: the last point";
    page.Step(TStitchStep::Forward);
    EXPECT_EQ(page.Position(), 9);
    page.Step(TStitchStep::PreviousColour);
    EXPECT_EQ(page.Position(), 6);
    // "Stitch Plus" and "Stitch Minus" select the points around the cursor, and follow it.
    EXPECT_TRUE(page.SetPlus(1));
    EXPECT_TRUE(page.SetMinus(2));
    EXPECT_EQ(SelectedPointCount(o), 4);
    EXPECT_TRUE(o[4].Flags & SP_SELECTED);
    EXPECT_TRUE(o[7].Flags & SP_SELECTED);
    page.Step(TStitchStep::Back);
    EXPECT_TRUE(o[3].Flags & SP_SELECTED);
    EXPECT_FALSE(o[7].Flags & SP_SELECTED);
    EXPECT_FALSE(page.SetPlus(12));
    page.Reset();
    EXPECT_EQ(page.Plus(), 0);
    EXPECT_EQ(page.Minus(), 0);
    EXPECT_FALSE(AnyPointSelected(o));
    // The display switches.
    page.SetLowLevel(true);
    page.SetHighlightColours(true);
    page.SetHideUnselected(true);
    EXPECT_TRUE(o.Flags & OF_LOW_LEVEL_EDIT);
    EXPECT_TRUE(o.Flags & OF_HIGHLIGHT_COLOURS);
    EXPECT_TRUE(state.HideUnselected);
}
