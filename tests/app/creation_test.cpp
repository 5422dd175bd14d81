#include <cmath>

#include "Fixture.h"
#include "regions/Support.h"

using namespace nl;
using nl::test::TShell;

namespace {
constexpr const char* kEnd = " Right Click With Mouse To End Creation";
std::string Due(int n) {
    return std::to_string(n) + " Points To Create For Group Correct Completion.";
}
} // namespace

TEST(Creation, StartingShowsThePromptAndEntersDesignMode) {
    struct Case {
        TCommand command;
        TCreation state;
        const char* prompt;
    } cases[] = {
        {TCommand::CreateDirect, TCreation::DirectStitch,
         " Left Click To Start Stitch Object. Right Click To Terminate."},
        {TCommand::CreateColumn, TCreation::ColumnRailA,
         " Left Click To Start A Curved Column. Right Click To Terminate."},
        {TCommand::CreateOutline, TCreation::Outline,
         " Left Click To Start An Outline Object. Right Click To Terminate."},
        {TCommand::CreateLine, TCreation::Line,
         " Left Click To Start An Outline Object. Right Click To Terminate."},
    };
    for (const Case& c : cases) {
        TShell s;
        s.Nl.Execute(TCommand::ModeLayout);
        s.Nl.Toggles.Mode3D = true;
        s.Nl.Execute(c.command);
        EXPECT_EQ(s.Nl.Creation(), c.state);
        EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit);
        EXPECT_EQ(s.Nl.PointsDue(), 1);
        EXPECT_EQ(s.Host.Prompt, c.prompt);
        EXPECT_FALSE(s.Nl.Toggles.Mode3D) << "creation leaves 3D mode";
    }
}

TEST(Creation, DirectStitchObjectPointByPoint) {
    TShell s;
    s.Nl.Execute(TCommand::CreateDirect);
    s.Click(100, 100);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    TSLStitch* o = s.Nl.Sew[0];
    EXPECT_EQ(o->Kind(), KIND_STITCH);
    EXPECT_EQ(o->Flags & (OF_SELECTED_EDIT | OF_NEEDLE_POINTS | OF_DIRECT),
              OF_SELECTED_EDIT | OF_NEEDLE_POINTS | OF_DIRECT);
    EXPECT_TRUE((*o)[0].IsColourPoint()) << "the first point carries the colour";
    EXPECT_EQ(s.Host.Status, kEnd);
    s.Click(150, 120);
    s.Click(200, 100);
    EXPECT_EQ(s.Nl.PointsDue(), 1);
    s.RightClick(10, 10);
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    ASSERT_EQ(o->Count(), 3);
    EXPECT_FLOAT_EQ((*o)[1].X, 150.f);
    EXPECT_FLOAT_EQ((*o)[1].Y, 120.f);
    EXPECT_FALSE((*o)[1].IsExtra());
    EXPECT_TRUE(s.Nl.Sew.Modified);
}

TEST(Creation, OutlineCountsPointsPerGroupAndDropsAnIncompleteTail) {
    TShell s;
    s.Nl.Execute(TCommand::CreateOutline);
    std::vector<std::pair<int, std::string>> expected = {{3, Due(3)}, {2, Due(2)}, {1, Due(1)},
                                                         {3, kEnd},   {2, Due(2)}, {1, Due(1)}};
    for (size_t i = 0; i < expected.size(); ++i) {
        s.Click(100 + 20 * static_cast<int>(i), 100);
        EXPECT_EQ(s.Nl.PointsDue(), expected[i].first) << "after point " << i + 1;
        EXPECT_EQ(s.Host.Status, expected[i].second) << "after point " << i + 1;
    }
    TSLStitch* o = s.Nl.Sew[0];
    EXPECT_EQ(o->Kind(), KIND_CURVE);
    EXPECT_EQ(o->StitchType(), ST_NONE);
    EXPECT_TRUE(o->Flags & OF_SELECTED_EDIT) << "created in highlight mode";
    s.RightClick(10, 10);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(o->Count(), 4) << "the two points of an unfinished segment are dropped";
    EXPECT_FALSE(static_cast<TSLCurve*>(o)->PathX.empty()) << "a finished outline is flattened";
}

TEST(Creation, OutlineWithoutAWholeSegmentIsRemoved) {
    for (int points : {1, 2, 3}) {
        TShell s;
        s.Nl.Execute(TCommand::CreateOutline);
        for (int i = 0; i < points; ++i)
            s.Click(100 + 30 * i, 100);
        s.RightClick(10, 10);
        EXPECT_EQ(s.Nl.Sew.Count(), 0) << points;
        EXPECT_EQ(s.Nl.Creation(), TCreation::None);
        EXPECT_FALSE(s.Nl.Sew.Modified) << "nothing was added after all";
    }
}

TEST(Creation, RightClickBeforeTheFirstPointCancels) {
    TShell s;
    s.Nl.Execute(TCommand::CreateOutline);
    s.RightClick(100, 100);
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
    EXPECT_EQ(s.Host.Prompt, "");
}

TEST(Creation, LineObjectCarriesTheLineBit) {
    TShell s;
    TSLStitch* o = s.Outline(100, 100, 1, TCommand::CreateLine);
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->StitchFlags & SF_LINE_OBJECT);
    EXPECT_EQ(o->StitchType(), ST_NONE);
}

namespace {
// Every anchor of the line is one of the clicks, in order, and the control points of each segment
// sit on its chord at one and two thirds.
void ExpectStraightThrough(const TSLCurve& c, const std::vector<std::pair<float, float>>& clicks) {
    ASSERT_EQ(c.Count(), static_cast<int32_t>(3 * clicks.size() - 2));
    for (size_t k = 0; k < clicks.size(); ++k) {
        EXPECT_FLOAT_EQ(c[static_cast<int32_t>(3 * k)].X, clicks[k].first) << "anchor " << k;
        EXPECT_FLOAT_EQ(c[static_cast<int32_t>(3 * k)].Y, clicks[k].second) << "anchor " << k;
    }
    for (int32_t s = 0; s < c.SegmentCount(); ++s) {
        const TSP &a = c[3 * s], &b = c[3 * s + 3];
        EXPECT_NEAR(c[3 * s + 1].X, a.X + (b.X - a.X) / 3, 1e-3) << "segment " << s;
        EXPECT_NEAR(c[3 * s + 1].Y, a.Y + (b.Y - a.Y) / 3, 1e-3) << "segment " << s;
        EXPECT_NEAR(c[3 * s + 2].X, a.X + 2 * (b.X - a.X) / 3, 1e-3) << "segment " << s;
        EXPECT_NEAR(c[3 * s + 2].Y, a.Y + 2 * (b.Y - a.Y) / 3, 1e-3) << "segment " << s;
    }
}
} // namespace

TEST(Creation, LineObjectIsStraightThroughEveryClick) {
    // A square clicked corner by corner and closed on its start: four straight sides, not a "D".
    TShell s;
    s.Nl.Execute(TCommand::CreateLine);
    const std::vector<std::pair<float, float>> corners = {
        {100, 100}, {300, 100}, {300, 300}, {100, 300}, {100, 100}};
    s.Click(100, 100);
    EXPECT_EQ(s.Host.Status, Due(1)) << "one click is no line yet";
    std::vector<std::pair<float, float>> clicked = {corners[0]};
    for (size_t k = 1; k < corners.size(); ++k) {
        s.Click(static_cast<int>(corners[k].first), static_cast<int>(corners[k].second));
        clicked.push_back(corners[k]);
        // The preview is straight while clicking, too.
        ExpectStraightThrough(static_cast<TSLCurve&>(*s.Nl.Creating()), clicked);
        EXPECT_EQ(s.Nl.PointsDue(), 1);
        EXPECT_EQ(s.Host.Status, kEnd) << "each click completes a segment";
    }
    s.RightClick(10, 10);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    const auto& c = static_cast<const TSLCurve&>(*s.Nl.Sew[0]);
    EXPECT_TRUE(c.IsLineObject());
    ExpectStraightThrough(c, corners);
    // Only the anchors are handles: the control points follow them.
    ASSERT_TRUE(c.Flags & OF_SELECTED_EDIT);
    TRecordingCanvas canvas;
    s.Nl.Draw(canvas);
    EXPECT_EQ(canvas.CountKind('M'), corners.size());
    // Every sample of the stitched path lies on a side of the square.
    ASSERT_EQ(c.PathX.size(), 4u * kSamplesPerSegment + 1);
    for (size_t i = 0; i < c.PathX.size(); ++i) {
        const float x = c.PathX[i], y = c.PathY[i];
        const bool onSide = std::fabs(x - 100) < 1e-3 || std::fabs(x - 300) < 1e-3 ||
                            std::fabs(y - 100) < 1e-3 || std::fabs(y - 300) < 1e-3;
        EXPECT_TRUE(onSide) << "sample " << i << " at " << x << "," << y;
        EXPECT_TRUE(x >= 100 - 1e-3 && x <= 300 + 1e-3 && y >= 100 - 1e-3 && y <= 300 + 1e-3);
    }
}

TEST(Creation, DraggingTheLineAnchorJustClickedKeepsTheLineStraight) {
    TShell s;
    s.Nl.Execute(TCommand::CreateLine);
    s.Click(100, 100);
    s.Click(400, 100);
    s.Drag(400, 100, 400, 400);
    s.Click(700, 400);
    s.RightClick(10, 10);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    ExpectStraightThrough(static_cast<const TSLCurve&>(*s.Nl.Sew[0]), {{100, 100}, {400, 400}, {700, 400}});
}

TEST(Creation, CurvedColumnRailAThenRailBWithMatchingPoints) {
    TShell s;
    s.Nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i < 5; ++i)
        s.Click(100 + 20 * i, 100);
    // Rail A is one segment plus a stray point: it may not end yet.
    s.RightClick(10, 10);
    EXPECT_EQ(s.Nl.Creation(), TCreation::ColumnRailA);
    EXPECT_EQ(s.Host.Status,
              " You Still Have 2 Points To Create To Finish The First Part Of A Curved Column.");
    EXPECT_EQ(s.Nl.Sew.Count(), 1) << "rail B is not in the list yet";
    s.Click(200, 100);
    s.Click(220, 100);
    s.RightClick(10, 10);
    ASSERT_EQ(s.Nl.Creation(), TCreation::ColumnRailB);
    EXPECT_EQ(s.Host.Prompt, "Left Click To Create Second Part Of Curved Column.");
    ASSERT_EQ(s.Nl.Sew.Count(), 2);
    auto* a = static_cast<TSLCurve*>(s.Nl.Sew[0]);
    auto* b = static_cast<TSLCurve*>(s.Nl.Sew[1]);
    EXPECT_TRUE(a->Flags & OF_RAIL_A);
    EXPECT_EQ(b->Flags & (OF_RAIL_B | OF_RAIL_B_NOT_STARTED | OF_RAIL_B_NOT_FINISHED),
              OF_RAIL_B | OF_RAIL_B_NOT_FINISHED);
    EXPECT_EQ(a->PartnerRail, b);
    EXPECT_EQ(b->PartnerRail, a);
    EXPECT_EQ(s.Nl.PointsDue(), 7);

    // Rail B is refused while it is shorter than rail A.
    for (int i = 0; i < 5; ++i)
        s.Click(100 + 20 * i, 150);
    s.RightClick(10, 10);
    EXPECT_EQ(s.Nl.Creation(), TCreation::ColumnRailB);
    EXPECT_EQ(s.Host.Status, Due(2));
    s.Click(200, 150);
    s.Click(220, 150);
    s.Click(240, 150); // one too many: ignored
    EXPECT_EQ(b->Count(), 7);
    EXPECT_EQ(s.Host.Status, kEnd);
    s.RightClick(10, 10);
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    EXPECT_FALSE(b->Flags & OF_RAIL_B_NOT_FINISHED);
    EXPECT_TRUE(a->Flags & OF_VISIBLE);
    EXPECT_EQ(a->Count(), b->Count());
}

TEST(Creation, EscapeRemovesTheObjectBeingCreated) {
    struct Case {
        TCommand command;
        int clicks;
        bool toRailB;
    } cases[] = {{TCommand::CreateDirect, 3, false},
                 {TCommand::CreateOutline, 5, false},
                 {TCommand::CreateColumn, 2, false},
                 {TCommand::CreateColumn, 4, true}};
    for (const Case& c : cases) {
        TShell s;
        TSLStitch* keep = s.Direct(10, 10, 2);
        s.Nl.Execute(c.command);
        for (int i = 0; i < c.clicks; ++i)
            s.Click(100 + 20 * i, 100);
        if (c.toRailB) {
            s.RightClick(10, 10);
            s.Click(100, 150);
            ASSERT_EQ(s.Nl.Sew.Count(), 3);
        }
        s.Nl.KeyDown(TKey::Escape, {});
        EXPECT_EQ(s.Nl.Creation(), TCreation::None);
        ASSERT_EQ(s.Nl.Sew.Count(), 1) << "both rails of a column go";
        EXPECT_EQ(s.Nl.Sew[0], keep);
    }
}

TEST(Creation, EscapeAlsoLeavesTheStitchPatternCreator) {
    TShell s;
    TObjectBase creator(SUPPORT_PATTERN_CREATOR);
    std::vector<TSLStitch*> members;
    s.Nl.Services.PatternCreatorAt = [&](float x, float) -> TObjectBase* {
        return x < 400 ? &creator : nullptr;
    };
    s.Nl.Services.AddPatternMember = [&](TObjectBase&, TSLStitch& o) { members.push_back(&o); };
    s.Nl.Services.RemovePatternMember = [&](TObjectBase&, TSLStitch& o) { std::erase(members, &o); };
    s.Nl.Execute(TCommand::CreateDirect);
    s.Click(100, 100);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0]->Flags & (OF_PATTERN_MEMBER | OF_SNAP_GRID), OF_PATTERN_MEMBER | OF_SNAP_GRID);
    s.Click(120, 100);
    s.Nl.KeyDown(TKey::Escape, {});
    EXPECT_TRUE(members.empty()) << "no dangling member after the object is destroyed";
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
}

TEST(Creation, DragFromThePointJustCreatedMovesIt) {
    TShell s;
    s.Nl.Execute(TCommand::CreateDirect);
    s.Click(100, 100);
    s.Click(200, 100);
    s.Drag(200, 100, 230, 140);
    TSLStitch* o = s.Nl.Sew[0];
    ASSERT_EQ(o->Count(), 2) << "the drag moved the point instead of adding one";
    EXPECT_FLOAT_EQ((*o)[1].X, 230.f);
    EXPECT_FLOAT_EQ((*o)[1].Y, 140.f);
    // A jittery click elsewhere still adds a point: any left release during creation is a click.
    s.Drag(300, 100, 306, 104);
    EXPECT_EQ(o->Count(), 3);
}

TEST(Creation, SwitchingModeFinishesTheObjectInsteadOfLosingIt) {
    TShell s;
    s.Nl.Execute(TCommand::CreateOutline);
    for (int i = 0; i < 4; ++i)
        s.Click(100 + 20 * i, 100);
    s.Nl.Execute(TCommand::ModeLayout);
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(s.Nl.Sew[0]->Count(), 4);
}
