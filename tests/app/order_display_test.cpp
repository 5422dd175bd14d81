// The "Stitch Ordering" options: the page's rule, the settings they live in (saved with the
// worksheet), and what they change in the order mode's drawing.
#include <gtest/gtest.h>

#include <algorithm>

#include "Sheet.h"
#include "app/OrderDrawing.h"
#include "app/OrderMode.h"
#include "formats/Worksheet.h"
#include "platform/RecordingCanvas.h"
#include "ui/OrderOptionsPage.h"

using namespace nl;
using nl::test::TSheet;

namespace {
size_t Toggle(const char* caption) {
    const int i = TOrderOptionsPage::ToggleIndex(caption);
    EXPECT_GE(i, 0) << caption;
    return static_cast<size_t>(std::max(i, 0));
}

struct TOrderedSheet : TSheet {
    TOrderedSheet() {
        // Both outlines stitched and placed in the group's order, as outlines made in the program are.
        Running->OrderIndex = Satin->OrderIndex = 0;
        Nl.Execute(TCommand::ModeLayout);
        Nl.Execute(TCommand::ChangeOrder);
        Nl.OrderMode().SetCursor(1);
    }
    TOrderMode& Order() { return Nl.OrderMode(); }
    TOrderDrawing Drawing() { return TOrderDrawing(Order(), TOrderDisplay::Of(Nl.Sew.Settings)); }
};
} // namespace

TEST(OrderOptionsPage, ChoicesSwitchesAndTheThicknessKeepTheirRulesAndTheirBytes) {
    TSheet s;
    TOrderOptionsPage page(s.Nl.Sew.Settings);
    // A new worksheet: unsewn elements as outlines, connectors shown on top, the current one
    // highlighted.
    EXPECT_TRUE(page.ToggleValue(Toggle("Outline")));
    EXPECT_TRUE(page.ToggleValue(Toggle("Show Jump Stitches")));
    EXPECT_TRUE(page.ToggleValue(Toggle("Bring To Top")));
    EXPECT_EQ(page.Value(0), 3);
    // A choice goes by choosing another; unchecking it is refused.
    EXPECT_EQ(page.SetToggle(Toggle("Outline"), false), TApply::Refused);
    EXPECT_EQ(page.SetToggle(Toggle("Stitched"), true), TApply::Accepted);
    EXPECT_FALSE(page.ToggleValue(Toggle("Outline")));
    EXPECT_EQ(s.Nl.Sew.Settings.SOWNormal, 1);
    // The thickness keeps its range.
    EXPECT_EQ(page.Apply(0, 0), TApply::Refused);
    EXPECT_EQ(page.Apply(0, 11), TApply::Refused);
    EXPECT_EQ(s.Nl.Sew.Settings.ImageThick, 3);
    EXPECT_EQ(page.Apply(0, 6), TApply::Accepted);
    for (const char* c : {"Selected Only", "Show Direction", "Thinned Jump", "Shade Element",
                          "Outline Element", "Filter Non-Stitching"})
        EXPECT_EQ(page.SetToggle(Toggle(c), true), TApply::Accepted);
    EXPECT_EQ(page.SetToggle(Toggle("Highlight Element"), false), TApply::Accepted);
    page.SetInColour(0x00AA00);
    page.SetOutColour(0x112233);
    // Saved and read again: every value as it was.
    const auto bytes = WorksheetBytes(s.Nl.Sew, "t");
    TSew again;
    ReadWorksheetBytes(bytes, again, "t", s.Nl.StitchContext());
    const TOrderDisplay a = TOrderDisplay::Of(s.Nl.Sew.Settings), b = TOrderDisplay::Of(again.Settings);
    EXPECT_EQ(b.Unsewn, TUnsewnLook::Stitched);
    EXPECT_EQ(b.LineThickness, 6);
    EXPECT_EQ(b.InColour, 0x00AA00);
    EXPECT_EQ(b.OutColour, 0x112233);
    EXPECT_TRUE(b.CurrentOnly && b.ShowDirection && b.ThinConnectors && b.ShadeCurrent && b.FrameCurrent &&
                b.OnlyElements && !b.HighlightCurrent);
    EXPECT_EQ(a.InColour, b.InColour);
    // A choice value from elsewhere beyond the four draws as "Normal".
    again.Settings.SOWNormal = 9;
    EXPECT_EQ(TOrderDisplay::Of(again.Settings).Unsewn, TUnsewnLook::Normal);
}

TEST(OrderDisplay, TheLookOfEachElementFollowsTheCursorAndTheOptions) {
    TOrderedSheet s;
    TOrderMode& o = s.Order();
    ASSERT_GE(o.Count(), 3);
    const TSLStitch& sewn = *o.Elements()[0];
    const TSLStitch& current = *o.Elements()[1];
    const TSLStitch& unsewn = *o.Elements()[2];
    auto look = [&](const TSLStitch& e, TViewToggles& v) { return s.Drawing().Look(e, v); };
    TViewToggles v;
    // Defaults: the current element highlighted, those not yet sewn as outlines only.
    EXPECT_TRUE(look(current, v));
    EXPECT_TRUE(v.Highlight);
    v = {};
    EXPECT_TRUE(look(sewn, v));
    EXPECT_FALSE(v.Highlight);
    EXPECT_TRUE(v.ShowStitches);
    v = {};
    EXPECT_TRUE(look(unsewn, v));
    EXPECT_FALSE(v.ShowStitches);
    // "Stitched": only what is sewn up to the current element shows.
    s.Nl.Sew.Settings.SOWNormal = 1;
    v = {};
    EXPECT_FALSE(look(unsewn, v));
    EXPECT_TRUE(look(sewn, v));
    s.Nl.Sew.Settings.SOWNormal = 3;
    v = {};
    EXPECT_TRUE(look(unsewn, v));
    EXPECT_TRUE(v.Highlight);
    s.Nl.Sew.Settings.SOWNormal = 0;
    v = {};
    EXPECT_TRUE(look(unsewn, v));
    EXPECT_TRUE(v.ShowStitches && !v.Highlight);
    // A column's rail B and a chain's members stand for their element.
    const int32_t column = o.IndexOf(s.RailA);
    ASSERT_GE(column, 0);
    EXPECT_EQ(s.Drawing().ElementOf(*s.RailA->Partner()), column);
    // Objects outside the order: drawn unless "Filter Non-Stitching".
    TSLStitch outside;
    EXPECT_EQ(s.Drawing().ElementOf(outside), -1);
    EXPECT_TRUE(look(outside, v));
    s.Nl.Sew.Settings.SOJToTop5 = true;
    EXPECT_FALSE(look(outside, v));
}

TEST(OrderDisplay, ConnectorsTakeTheirColoursWidthsAndPlaceFromTheOptions) {
    TOrderedSheet s;
    TWorksheetSettings& set = s.Nl.Sew.Settings;
    set.KvHigh = 0x00AA00;
    set.KvNormal = 0x112233;
    set.ImageThick = 5;
    auto strokes = s.Drawing().Strokes();
    ASSERT_EQ(strokes.size(), static_cast<size_t>(s.Order().Count() - 1));
    ASSERT_GE(strokes.size(), 3u);
    // Into the current element (cursor 1): connector 0; out of it: connector 1.
    EXPECT_EQ(strokes[0].Line.Colour, 0x00AA00);
    EXPECT_EQ(strokes[0].Width, 5.f);
    EXPECT_EQ(strokes[1].Line.Colour, 0x112233);
    EXPECT_EQ(strokes[1].Width, 5.f);
    EXPECT_EQ(strokes[2].Line.Colour, CONNECTOR_OTHER);
    EXPECT_EQ(strokes[2].Width, 1.f);
    set.SOJNormal = true; // "Thinned Jump"
    EXPECT_EQ(s.Drawing().Strokes()[0].Width, 1.f);
    set.SOJToTop2 = true; // "Selected Only"
    EXPECT_EQ(s.Drawing().Strokes().size(), 2u);
    set.SOJump = false; // "Show Jump Stitches" off
    EXPECT_TRUE(s.Drawing().Strokes().empty());

    // On the worksheet: with "Bring To Top" off the connectors are drawn before the stitching,
    // with it on after; "Show Direction" adds a head to each; "Shade Element" tints the current
    // element's area first; "Outline Element" frames it last.
    set.SOJump = true;
    set.SOJToTop2 = false;
    // The first op of a kind in a colour, and the first and last stitch point markers.
    struct TSeen {
        long First = -1, FirstMarker = -1, LastMarker = -1;
    };
    auto seen = [&](int32_t colour, char kind) {
        TRecordingCanvas c;
        s.Nl.Draw(c);
        TSeen r;
        for (size_t i = 0; i < c.Ops.size(); ++i) {
            const long at = static_cast<long>(i);
            if (c.Ops[i].Colour == colour && c.Ops[i].Kind == kind && r.First < 0) r.First = at;
            if (c.Ops[i].Kind == 'M') {
                if (r.FirstMarker < 0) r.FirstMarker = at;
                r.LastMarker = at;
            }
        }
        return r;
    };
    set.SOJToTop = true;
    TSeen top = seen(0x00AA00, 'L');
    ASSERT_GE(top.First, 0);
    ASSERT_GE(top.LastMarker, 0);
    EXPECT_GT(top.First, top.LastMarker);
    set.SOJToTop = false;
    TSeen below = seen(0x00AA00, 'L');
    ASSERT_GE(below.First, 0);
    EXPECT_LT(below.First, below.FirstMarker);
    EXPECT_LT(seen(0x00AA00, 'F').First, 0);
    set.SOJToTop3 = true; // "Show Direction"
    EXPECT_GE(seen(0x00AA00, 'F').First, 0);
    set.OrderHighlight = true; // "Shade Element"
    TSeen shade = seen(set.OrderHighlightColour, 'F');
    ASSERT_GE(shade.First, 0);
    EXPECT_LT(shade.First, shade.FirstMarker);
    EXPECT_LT(seen(0x00AA00, 'R').First, 0);
    set.OrderHighlight2 = true; // "Outline Element"
    EXPECT_GT(seen(0x00AA00, 'R').First, top.LastMarker / 2);
}

TEST(OrderOptionsPage, OpeningThePageTakesUpTheOrderModeOfTheSelectedGroup) {
    TSheet s;
    s.Nl.Execute(TCommand::ModeLayout);
    ASSERT_FALSE(s.Nl.OrderMode().Active());
    s.Nl.ShowOrderOptions();
    EXPECT_TRUE(s.Nl.OrderMode().Active());
    EXPECT_EQ(s.Nl.Mode(), TMode::ChangeOrder);
    EXPECT_TRUE(s.Host.OrderPanelOpen);
    EXPECT_TRUE(s.Host.OrderOptionsShown);
    // Without a group there is no order to show it for.
    TSheet none;
    none.Nl.Execute(TCommand::ModeLayout);
    none.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    none.Nl.Sew.SetCurrent(nullptr);
    for (int32_t i = 0; i < none.Nl.Sew.Count(); ++i)
        none.Nl.Sew[i]->GroupId = 0;
    none.Nl.ShowOrderOptions();
    EXPECT_FALSE(none.Nl.OrderMode().Active());
    EXPECT_FALSE(none.Host.OrderOptionsShown);
}
