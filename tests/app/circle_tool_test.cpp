// The circle tool through the controller: the command, the radius following the pointer, the
// dialog opened by the next click (played by a scripted host), Cancel and Escape, and the road
// of a badge: a circle with a concentric ring and segment lines, stitched as running, satin and
// zigzag, filled as a region, grouped, exported and read back.
#include <filesystem>

#include "core/Units.h"
#include "../formats/FormatTestUtil.h"
#include "Fixture.h"
#include "app/RegionMode.h"
#include "core/Numeric.h"
#include "regions/RegionBuilder.h"
#include "regions/SLRegion.h"
#include "stitching/Circle.h"
#include "ui/CircleDialog.h"
#include "ui/StitchStylePage.h"

using namespace nl;
using nl::test::TShell;
using nl::test::TTempDir;

namespace {
namespace fs = std::filesystem;

struct TCircleShell : TShell {
    // Starts the tool and clicks the centre; the pointer then moves to (px, py).
    TSLCurve* Start(int cx, int cy, int px, int py) {
        Nl.Execute(TCommand::CreateCircle);
        Click(cx, cy);
        Nl.MouseMove(px, py, {});
        return Nl.Sew.Count() ? static_cast<TSLCurve*>(Nl.Sew[Nl.Sew.Count() - 1]) : nullptr;
    }
    // A circle of radius r round (cx, cy), its dialog played by `script` (null: closed at once).
    TSLCurve* Make(int cx, int cy, int r, std::function<void(TCircleDialog&)> script = {}) {
        Host.CircleDialogScript = [this, script] {
            ASSERT_NE(Nl.CircleDialog(), nullptr);
            if (script) script(*Nl.CircleDialog());
        };
        TSLCurve* c = Start(cx, cy, cx + r, cy);
        Click(cx + r, cy);
        return c;
    }
    double Radius(const TSLCurve& c, double cx, double cy) const { return Distance(cx, cy, c[0].X, c[0].Y); }
};

TFileDialogResult Answer(const fs::path& file, int filterIndex) {
    TFileDialogResult r;
    r.Accepted = true;
    r.FileName = file.string();
    r.FilterIndex = filterIndex;
    return r;
}
} // namespace

TEST(CircleTool, TheCreateCommandWorksAndLeavesF5AndF6ToTheStitchingSwitches) {
    TCircleShell s;
    const TCommandInfo& info = CommandInfo(TCommand::CreateCircle);
    EXPECT_STREQ(info.Caption, "Circle");
    EXPECT_STREQ(info.Hint, "Create A Circular Stitch Object");
    EXPECT_EQ(info.Shortcut, nullptr);
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::CreateCircle));
    s.Nl.Execute(TCommand::ModeLayout);
    s.Nl.Execute(TCommand::CreateCircle);
    EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit) << "a create command enters Design And Editing";
    EXPECT_EQ(s.Nl.Creation(), TCreation::Circle);
    EXPECT_EQ(s.Host.Prompt, " Left Click To Start An Outline Object. Right Click To Terminate.");
    s.Nl.KeyDown(TKey::Escape, {});

    // F6 still switches the stitching of the selection off; it starts no circle.
    TSLCurve* c = s.Make(300, 300, 100);
    TStitchStylePage(*c, s.Nl.StitchContext(), s.Host).SetStitchType(ST_RUNNING);
    c->SetFlags(OF_VISIBLE);
    Restitch(*c, s.Nl.StitchContext());
    ASSERT_TRUE(c->Generated && c->Generated->Count() > 10);
    s.Nl.KeyDown(TKey::F6, {});
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    EXPECT_FALSE(c->Visible());
    s.Nl.KeyDown(TKey::F5, {});
    EXPECT_TRUE(c->Visible());
}

TEST(CircleTool, TheRadiusFollowsThePointerAndTheNextClickOpensTheDialog) {
    TCircleShell s;
    TSLCurve* c = s.Start(400, 300, 460, 380); // 100 units away
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->Count(), 7) << "all seven points at once";
    EXPECT_EQ(c->StitchType(), ST_NONE);
    EXPECT_TRUE(c->Flags & OF_SELECTED_EDIT);
    EXPECT_FLOAT_EQ((*c)[3].X, 500);
    EXPECT_FLOAT_EQ((*c)[1].Y, 300 - 400.0f / 3);
    s.Nl.MouseMove(400, 350, {});
    EXPECT_FLOAT_EQ((*c)[3].X, 450);
    // A press and drag does not pull a point of the circle away: the radius keeps following.
    s.Nl.MouseDown(TMouseButton::Left, 400, 350, {});
    s.Nl.MouseMove(400, 380, {});
    EXPECT_FLOAT_EQ((*c)[3].X, 480);

    double seen = 0;
    s.Host.CircleDialogScript = [&] {
        ASSERT_NE(s.Nl.CircleDialog(), nullptr);
        seen = s.Nl.CircleDialog()->Value(TCircleField::Radius);
        EXPECT_EQ(s.Nl.CircleDialog()->SetValue(TCircleField::Radius, 12.5), TApply::Accepted);
        s.Nl.CircleDialog()->Ok();
    };
    s.Nl.MouseUp(TMouseButton::Left, 400, 380, {});
    EXPECT_EQ(s.Host.CircleDialogsShown, 1);
    EXPECT_DOUBLE_EQ(seen, 4) << "80 units from the centre";
    EXPECT_EQ(s.Nl.CircleDialog(), nullptr);
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(s.Nl.Sew[0], c) << "the dialog built the circle in the object created by the click";
    EXPECT_EQ(s.Nl.Sew.Current(), c);
    EXPECT_NEAR(s.Radius(*c, 400, 300), 250, 1e-3);
    EXPECT_TRUE(s.Nl.Sew.Modified);
    EXPECT_TRUE(s.Host.Prompt.empty());

    // A right click opens it as well; a radius under 1 mm is set to 1 mm with the message.
    s.Host.CircleDialogScript = nullptr;
    TSLCurve* small = s.Start(100, 100, 105, 100);
    s.RightClick(105, 100);
    EXPECT_EQ(s.Host.CircleDialogsShown, 2);
    ASSERT_FALSE(s.Host.Messages.empty());
    EXPECT_EQ(s.Host.Messages.back().Heading, "Circle Too Small");
    EXPECT_NEAR(s.Radius(*small, 100, 100), CIRCLE_RADIUS_MIN, 1e-3);
    EXPECT_EQ(s.Nl.Sew.Count(), 2);
}

TEST(CircleTool, EscapeCancelAndLeavingMidwayLeaveTheWorksheetClean) {
    TCircleShell s;
    s.Start(400, 300, 500, 300);
    s.Nl.KeyDown(TKey::Escape, {});
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
    EXPECT_FALSE(s.Nl.Sew.Modified);
    s.RightClick(10, 10); // with no centre yet a right click cancels the command
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);

    // Cancel asks; No goes back to the dialog, Yes destroys the circle and its parts.
    s.Host.Answers = {TButton::No, TButton::Yes};
    bool destroyed = false;
    s.Make(400, 300, 150, [&](TCircleDialog& d) {
        d.SetToggle(TCircleToggle::Concentric, true);
        d.SetToggle(TCircleToggle::SegmentCircle, true);
        EXPECT_EQ(s.Nl.Sew.Count(), 8);
        EXPECT_FALSE(d.Cancel());
        destroyed = d.Cancel();
    });
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(s.Host.Messages.size(), 2u);
    EXPECT_EQ(s.Host.Messages.back().Heading, "Cancel Circle Creation.");
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
    EXPECT_EQ(s.Nl.Sew.Current(), nullptr);
    EXPECT_EQ(s.Nl.Creation(), TCreation::None);
    EXPECT_FALSE(s.Nl.Sew.Modified) << "nothing was made";
    TRecordingCanvas canvas;
    s.Nl.Draw(canvas); // nothing refers to the destroyed objects

    // Another command or mode before the second click keeps a usable default circle.
    TSLCurve* kept = s.Start(200, 200, 260, 200);
    s.Nl.Execute(TCommand::ModeLayout);
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(s.Nl.Sew[0], kept);
    EXPECT_EQ(kept->Count(), 7);
    s.Start(500, 500, 505, 500); // under 1 mm: not kept
    s.Nl.Execute(TCommand::CreateOutline);
    EXPECT_EQ(s.Nl.Sew.Count(), 1);
    EXPECT_EQ(s.Host.CircleDialogsShown, 1);
}

TEST(CircleTool, ABadgeIsStitchedFilledExportedAndReadBack) {
    TTempDir dir;
    TCircleShell s;
    const int cx = 400, cy = 300, r = 200;
    TSLCurve* circle = s.Make(cx, cy, r, [](TCircleDialog& d) {
        d.SetToggle(TCircleToggle::Concentric, true);
        d.SetToggle(TCircleToggle::SegmentCircle, true);
        d.Ok();
    });
    ASSERT_EQ(s.Nl.Sew.Count(), 8) << "circle, ring, six lines";
    const TStitchContext ctx = s.Nl.StitchContext();

    // The circle is an ordinary outline: running, satin and zigzag from the stitch style page.
    TStitchStylePage style(*circle, ctx, s.Host);
    struct Case {
        uint32_t Type;
        double Inner, Outer; // distance of every needle point from the centre
    } cases[] = {
        {ST_SATIN, r - 30, r + 30}, {ST_ZIGZAG, r - 30, r + 30}, {ST_RUNNING, r * 0.964, r * 1.007 + 0.1}};
    s.Host.Answers = {TButton::Yes, TButton::Yes, TButton::Yes};
    for (const Case& k : cases) {
        ASSERT_TRUE(style.SetStitchType(k.Type));
        style.SetVisible(true);
        ASSERT_TRUE(circle->Generated) << k.Type;
        ASSERT_GT(circle->Generated->Count(), 50) << k.Type;
        double inner = 1e9, outer = 0;
        for (const TSP& p : *circle->Generated) {
            inner = std::min(inner, Distance(cx, cy, p.X, p.Y));
            outer = std::max(outer, Distance(cx, cy, p.X, p.Y));
        }
        EXPECT_GE(inner, k.Inner) << k.Type;
        EXPECT_LE(outer, k.Outer) << k.Type;
        EXPECT_GT(outer, r) << k.Type;
    }

    // A tatami region on the circle, clicked in the region mode: anchored at the top, closed at the
    // circle's own end.
    s.Nl.Execute(TCommand::ModeRegion);
    auto onCircle = [&](int32_t sample, auto click) {
        const auto i = static_cast<size_t>(sample);
        click(static_cast<int>(std::lround(circle->PathX[i])),
              static_cast<int>(std::lround(circle->PathY[i])));
    };
    auto click = [&](int x, int y) { s.Click(x, y); };
    const int32_t top = 3 * kSamplesPerSegment / 2; // three quarters round from the rightmost point
    onCircle(top, click);
    ASSERT_EQ(s.Nl.RegionMode().Builder().CurrentOutline(), circle);
    onCircle(top, click);
    ASSERT_NE(s.Nl.RegionMode().Builder().Region(), nullptr);
    onCircle(kSamplesPerSegment / 2, click); // the circle again, at the bottom: its end joins are offered
    ASSERT_FALSE(s.Nl.RegionMode().Builder().Candidates().empty());
    // The closing point, where the path's end meets its start, is also where its first and last
    // segments cross: the candidate taken there is the crossing, so only the closing is asked.
    s.Host.Answers = {TButton::Yes};
    s.Click(cx + r, cy);
    ASSERT_FALSE(s.Host.Messages.empty());
    EXPECT_EQ(s.Host.Messages.back().Heading, "Region Can Now Be Closed");
    ASSERT_EQ(s.Nl.Sew.Count(), 9);
    ASSERT_EQ(s.Nl.Sew[8]->Kind(), KIND_REGION);
    auto* region = static_cast<TSLRegion*>(s.Nl.Sew[8]);
    ASSERT_TRUE(region->FillStitches);
    ASSERT_GT(region->FillStitches->Count(), 300);
    double reach = 0;
    for (const TSP& p : *region->FillStitches) {
        const double d = Distance(cx, cy, p.X, p.Y);
        reach = std::max(reach, d);
        EXPECT_LE(d, r * 1.007 + 2) << p.X << "," << p.Y;
    }
    EXPECT_GT(reach, r * 0.9) << "the fill reaches the circle";
    int quadrants[4] = {};
    for (const TSP& p : *region->FillStitches)
        ++quadrants[(p.X > cx ? 1 : 0) + (p.Y > cy ? 2 : 0)];
    for (int q : quadrants)
        EXPECT_GT(q, region->FillStitches->Count() / 8) << "the whole disc is filled";
    EXPECT_EQ(s.Nl.Mode(), TMode::DesignEdit);

    // Grouped and exported, then imported again: the needles lie in the disc round the click.
    s.Nl.Execute(TCommand::ModeLayout);
    s.Drag(5, 5, 795, 595);
    s.Host.Answers = {TButton::Yes};
    s.Nl.Execute(TCommand::GroupSelection);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::ExportStitching));
    const fs::path dst = dir.Path / "badge.dst";
    s.Host.FileAnswers = {Answer(dir.Path / "badge", 3)};
    s.Nl.Execute(TCommand::ExportStitching);
    ASSERT_TRUE(fs::exists(dst)) << (s.Host.Messages.empty() ? "" : s.Host.Messages.back().Text);
    s.Nl.Execute(TCommand::ImportStitching);
    s.Host.FileAnswers = {Answer(dst, 1)};
    const int32_t before = s.Nl.Sew.Count();
    s.Click(300, 250);
    ASSERT_EQ(s.Nl.Sew.Count(), before + 1);
    const TSLStitch& in = *s.Nl.Sew[before];
    double farthest = 0;
    for (const TSP& p : in) {
        const double d = Distance(300, 250, p.X, p.Y);
        farthest = std::max(farthest, d);
        EXPECT_LE(d, r * 1.007 + 4) << p.X << "," << p.Y;
    }
    EXPECT_GT(farthest, r * 0.95);
    EXPECT_GT(in.Count(), region->FillStitches->Count() / 2);
}
