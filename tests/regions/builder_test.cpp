#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "TestShapes.h"
#include "platform/RecordingCanvas.h"
#include "platform/ScriptedHost.h"
#include "regions/RegionBuilder.h"

using namespace nl;
using namespace nl::test;

namespace {
struct Fixture {
    TScriptedHost host;
    std::vector<std::unique_ptr<TSLRegion>> added;
    std::vector<TSLRegion*> deleted;
    int finished = 0;
    TRegionBuilder builder;
    std::unique_ptr<TSLCurve> square = ClosedOutline(Square(0, 0, 400));
    std::unique_ptr<TSLCurve> line = Polyline({{-100, 200}, {500, 200}});

    Fixture()
        : builder(host, TStitchContext{},
                  TRegionBuilder::TCallbacks{
                      [this](std::unique_ptr<TSLRegion> r) { added.push_back(std::move(r)); },
                      [this](TSLRegion* r) { deleted.push_back(r); }, [this] { ++finished; }, nullptr}) {}

    int32_t CandidateOfKind(uint32_t kind) const {
        const auto& c = builder.Candidates();
        for (size_t i = 0; i < c.size(); ++i)
            if (c[i].Kind == kind) return static_cast<int32_t>(i);
        return -1;
    }
    // Anchors on the square at sample 0 and offers the square's own end joins.
    void StartOnSquare() {
        builder.Enter();
        EXPECT_EQ(host.Prompt, PROMPT_CLICK_OUTLINE);
        builder.ClickOutline(square.get());
        EXPECT_EQ(host.Prompt, PROMPT_ANCHOR);
        ASSERT_TRUE(builder.ClickAnchor(0));
        EXPECT_EQ(host.Prompt, PROMPT_NEW_OUTLINE);
        EXPECT_TRUE(builder.Region()->UnderConstruction());
    }
};
} // namespace

TEST(RegionBuilder, BuildAndCloseOnOneOutline) {
    Fixture f;
    f.StartOnSquare();
    f.builder.ClickOutline(f.square.get());
    int32_t join = f.CandidateOfKind(NK_JOIN_FROM_END);
    ASSERT_GE(join, 0);
    const TCandidate& jc = f.builder.Candidates()[static_cast<size_t>(join)];
    EXPECT_GE(f.builder.CandidateAt(jc.X + 1, jc.Y, 3), 0);
    EXPECT_EQ(f.builder.CandidateAt(jc.X + 100, jc.Y + 50, 3), -1);
    TRecordingCanvas canvas;
    TDrawContext dc;
    dc.Target = &canvas;
    f.builder.Draw(dc);
    EXPECT_FALSE(canvas.Ops.empty());
    f.host.Answers = {TButton::No, TButton::Yes}; // not fixed; close
    ASSERT_TRUE(f.builder.PickCandidate(join));
    ASSERT_EQ(f.host.Messages.size(), 2u);
    EXPECT_EQ(f.host.Messages[0].Heading, "Convert To Fixed");
    EXPECT_EQ(f.host.Messages[0].Text,
              "Would You Like To Make This A Permanent ( Fixed ) Jump Between End Points ?");
    EXPECT_EQ(f.host.Messages[1].Heading, "Region Can Now Be Closed");
    EXPECT_EQ(f.host.Messages[1].Text, "Click Yes to Finish The Region or No to Continue With Path Building");
    ASSERT_EQ(f.added.size(), 1u);
    EXPECT_EQ(f.finished, 1);
    TSLRegion& r = *f.added[0];
    EXPECT_FALSE(r.UnderConstruction());
    EXPECT_TRUE(r.Flags & OF_VISIBLE);
    EXPECT_EQ(r.StitchType(), ST_TATAMI);
    EXPECT_EQ(r.Node(1).EndIndex, r.Node(0).StartIndex);
    ASSERT_TRUE(r.FillStitches);
    EXPECT_GT(r.FillStitches->Count(), 100);
    EXPECT_EQ(f.builder.Region(), nullptr);
}

TEST(RegionBuilder, DeclinedCloseIsNotOfferedAgainAndBackForwardRestores) {
    Fixture f;
    f.StartOnSquare();
    f.builder.ClickOutline(f.square.get());
    f.host.Answers = {TButton::Yes, TButton::No}; // fixed join; keep building
    ASSERT_TRUE(f.builder.PickCandidate(f.CandidateOfKind(NK_JOIN_FROM_END)));
    TSLRegion* r = f.builder.Region();
    ASSERT_EQ(r->Count(), 2);
    EXPECT_EQ(TSLRegion::KindOf((*r)[1]), NK_FIXED);
    EXPECT_TRUE((*r)[1].Flags & SP_CLOSE_DECLINED);
    f.builder.Back();
    EXPECT_EQ(r->Count(), 1);
    EXPECT_EQ(f.builder.RedoDepth(), 1u);
    EXPECT_FALSE(f.builder.Candidates().empty()); // re-offered
    f.builder.Forward();
    EXPECT_EQ(r->Count(), 2);
    EXPECT_EQ(f.host.Messages.size(), 2u); // no second offer for the declined node
    f.builder.Leave();                     // unfinished: discarded
    EXPECT_TRUE(f.added.empty());
    EXPECT_EQ(f.builder.Region(), nullptr);
}

TEST(RegionBuilder, FixedNodePlacementAndCancel) {
    Fixture f;
    f.StartOnSquare();
    f.builder.ClickOutline(f.square.get());
    EXPECT_EQ(f.builder.FixedNodeCaption(), CAPTION_MAKE_FIXED);
    f.builder.MakeFixedNodeButton();
    EXPECT_EQ(f.builder.FixedNodeCaption(), CAPTION_CANCEL_JUMP);
    EXPECT_FALSE(f.builder.NavigationEnabled());
    TSLRegion* r = f.builder.Region();
    ASSERT_EQ(r->Count(), 2);
    EXPECT_EQ(r->Node(1).StartIndex, -1);
    EXPECT_NO_THROW(r->WalkPath()); // the node being placed is skipped
    // Leg 1 over the previous outline moves its EndIndex; cancelling restores it.
    f.builder.PointerOverOutline(f.square.get(), 60, 25);
    EXPECT_EQ(r->Node(0).EndIndex, 60);
    f.builder.MakeFixedNodeButton();
    EXPECT_EQ(r->Count(), 1);
    EXPECT_EQ(r->Node(0).EndIndex, -1);
    EXPECT_EQ(f.builder.FixedNodeCaption(), CAPTION_MAKE_FIXED);

    // Complete both legs; the last sample of the outline is a valid place (no segment after it).
    f.builder.MakeFixedNodeButton();
    f.builder.ClickDuringPlacement(f.square.get(), 100, 50);
    EXPECT_EQ(f.builder.PlacementLeg(), TRegionBuilder::TFixedLeg::Leg2);
    f.builder.PointerOverOutline(f.line.get(), 3, 0); // off the outline: StartIndex resets
    EXPECT_EQ(r->Node(1).StartIndex, -1);
    f.host.Answers = {TButton::Yes};
    f.builder.ClickDuringPlacement(f.square.get(), 100, 100);
    ASSERT_EQ(f.added.size(), 1u);
    TSLRegion& done = *f.added[0];
    EXPECT_EQ(TSLRegion::KindOf(done[1]), NK_FIXED);
    EXPECT_EQ(done.Node(1).StartIndex, 100);
    EXPECT_FLOAT_EQ(done.Node(1).PercentA, 50);
}

TEST(RegionBuilder, EditingExistingRegion) {
    Fixture f;
    auto r = RegionOn(*f.square);
    auto other = RegionOn(*f.square);
    TSLCurve unrelated;
    r->GroupId = other->GroupId = 3;
    std::vector<TSLStitch*> objects{r.get(), &unrelated, other.get()};
    f.builder.EditRegion(r.get());
    EXPECT_EQ(f.builder.Up(objects), other.get());
    EXPECT_EQ(f.builder.Up(objects), r.get()); // wraps around
    EXPECT_EQ(f.builder.Down(objects), other.get());

    f.builder.EditRegion(r.get());
    f.builder.Back();
    EXPECT_TRUE(r->UnderConstruction());
    f.builder.Restore();
    EXPECT_FALSE(r->UnderConstruction());
    EXPECT_EQ(r->Count(), 2);

    f.builder.CursorEnd();
    EXPECT_EQ(f.builder.Cursor(), 1);
    f.builder.ConvertCursorToFixed();
    EXPECT_EQ(TSLRegion::KindOf((*r)[1]), NK_FIXED);

    f.host.Answers = {TButton::Yes};
    EXPECT_TRUE(f.builder.ConvertAllNodes());
    EXPECT_EQ(f.host.Messages.back().Heading, "Convert Dynamic Nodes To Fixed Nodes");

    f.host.Answers = {TButton::No};
    EXPECT_FALSE(f.builder.Delete());
    f.host.Answers = {TButton::Yes};
    EXPECT_TRUE(f.builder.Delete());
    EXPECT_EQ(f.host.Messages.back().Heading, "Delete This Region ?");
    EXPECT_EQ(f.host.Messages.back().Text, "O.K To Delete Currently Selected Region ?");
    ASSERT_EQ(f.deleted.size(), 1u);
    EXPECT_EQ(f.deleted[0], r.get());
}

TEST(RegionBuilder, ClosingAnEditedPathKeepsTheStitchType) {
    // Taking the last node back and putting it forward closes the region again; its one stitch
    // type stays what it was.
    for (uint32_t type : {uint32_t{ST_SATIN}, uint32_t{ST_ZIGZAG}, uint32_t{ST_TATAMI}, uint32_t{ST_NONE}}) {
        Fixture f;
        auto r = RegionOn(*f.square);
        r->SetStitchTypeBits(type);
        f.builder.EditRegion(r.get());
        f.builder.Back();
        ASSERT_TRUE(r->UnderConstruction());
        f.host.Answers = {TButton::Yes}; // close
        f.builder.Forward();
        EXPECT_FALSE(r->UnderConstruction()) << type;
        EXPECT_EQ(r->StitchType(), type);
    }
}

TEST(RegionBuilder, MovingAnOutlineRefillsItsRegions) {
    Fixture f;
    auto r = RegionOn(*f.square);
    r->RegenerateFill({});
    TKvRect before = r->FillStitches->GetStitchBounds();
    std::vector<TSLStitch*> objects{f.square.get(), r.get()};
    TKvRect changed = r->Bounds;
    // Drag the outline: a new shape, half as tall.
    for (TSP& p : *f.square)
        p.Y *= 0.5f;
    f.square->Flatten();
    RebuildRegionsUsing(objects, *f.square, changed, {});
    TKvRect after = r->FillStitches->GetStitchBounds();
    EXPECT_LT(after.Bottom, before.Bottom - 150);
}

namespace {
// The next node of a hand-built path: the candidate of `Kind` nearest (X, Y) on outline `Outline`.
struct TStep {
    int Outline;
    uint32_t Kind;
    float X, Y;
};

// A closed region built as the creation mode builds it: anchored at a sample of the first outline,
// then one picked candidate per step, closed on the first outline. Null when a step has no such
// candidate.
std::unique_ptr<TSLRegion> BuildPath(const std::vector<TSLCurve*>& outlines, int32_t anchor,
                                     const std::vector<TStep>& steps) {
    auto r = std::make_unique<TSLRegion>();
    TSLCurve* current = outlines[0];
    TSP& first = (*r)[0];
    first.X = current->PathX[static_cast<size_t>(anchor)];
    first.Y = current->PathY[static_cast<size_t>(anchor)];
    r->Node(0).Outline = current;
    r->Node(0).StartIndex = anchor;
    for (const TStep& s : steps) {
        TSLCurve* next = outlines[static_cast<size_t>(s.Outline)];
        auto cands = FindCandidates(*current, *next);
        const TCandidate* pick = nullptr;
        for (const TCandidate& c : cands)
            if (c.Kind == s.Kind &&
                (!pick || std::hypot(c.X - s.X, c.Y - s.Y) < std::hypot(pick->X - s.X, pick->Y - s.Y)))
                pick = &c;
        if (!pick || std::hypot(pick->X - s.X, pick->Y - s.Y) > 1) return nullptr;
        r->Node(r->Count() - 1).EndIndex = pick->PrevIndex;
        r->AppendNode(pick->Kind | (pick->Group << SP_GROUP_SHIFT), pick->X, pick->Y, next, pick->NewIndex,
                      -1);
        current = next;
    }
    r->Node(r->Count() - 1).EndIndex = r->Node(0).StartIndex;
    r->Flags |= OF_HIGHLIGHT | OF_VISIBLE;
    r->SetStitchTypeBits(ST_TATAMI);
    r->UpdateBounds({});
    Restitch(*r, {});
    return r;
}

double EnclosedArea(const TSLRegion& r) {
    auto pts = r.WalkPath();
    double a = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        const TWalkPoint& p = pts[i];
        const TWalkPoint& q = pts[(i + 1) % pts.size()];
        a += (p.X * q.Y - q.X * p.Y) / 2;
    }
    return std::fabs(a);
}

// Length of the boundary walk: a walk doubling back along an outline is longer.
double WalkLength(const TSLRegion& r) {
    auto pts = r.WalkPath();
    double l = 0;
    for (size_t i = 1; i < pts.size(); ++i)
        l += std::hypot(pts[i].X - pts[i - 1].X, pts[i].Y - pts[i - 1].Y);
    return l;
}

void ExpectSameBoundary(const TSLRegion& r, double area, double length, const TKvRect& bounds,
                        const TKvRect& fill, const std::string& what) {
    EXPECT_NEAR(EnclosedArea(r), area, 1.0) << what;
    EXPECT_NEAR(WalkLength(r), length, 0.1) << what;
    EXPECT_NEAR(r.Bounds.Left, bounds.Left, 1) << what;
    EXPECT_NEAR(r.Bounds.Top, bounds.Top, 1) << what;
    EXPECT_NEAR(r.Bounds.Right, bounds.Right, 1) << what;
    EXPECT_NEAR(r.Bounds.Bottom, bounds.Bottom, 1) << what;
    TKvRect f = r.GetStitchBounds();
    EXPECT_NEAR(f.Left, fill.Left, 2) << what;
    EXPECT_NEAR(f.Top, fill.Top, 2) << what;
    EXPECT_NEAR(f.Right, fill.Right, 2) << what;
    EXPECT_NEAR(f.Bottom, fill.Bottom, 2) << what;
}
} // namespace

TEST(RegionBuilder, ReversingAnOutlineKeepsTheRegionsOnIt) {
    struct TShape {
        const char* Name;
        std::vector<std::vector<std::pair<float, float>>> Outlines; // the first one carries the anchor
        int32_t Anchor;
        std::vector<TStep> Steps;
        double Area;
    };
    const TShape shapes[] = {
        // One closed outline, joined from its end back to its start.
        {"closed outline",
         {{{0, 0}, {300, 0}, {300, 300}, {0, 300}, {0, 0}}},
         30,
         {{0, NK_JOIN_FROM_END, 0, 0}},
         300.0 * 300.0},
        // Two open outlines meeting end to start.
        {"joined ends",
         {{{0, 0}, {200, 0}, {200, 200}}, {{200, 200}, {0, 200}, {0, 0}}},
         10,
         {{1, NK_JOIN_FROM_END, 200, 200}, {0, NK_JOIN_FROM_END, 0, 0}},
         200.0 * 200.0},
        // Lines that fall short of each other: the path runs on along their extensions.
        {"extensions",
         {{{0, 0}, {300, 0}}, {{400, -50}, {400, 350}}, {{450, 300}, {-50, 300}}, {{0, 200}, {0, 50}}},
         25,
         {{1, NK_PREV_END_EXTENSION, 400, 0},
          {2, NK_CROSSING, 400, 300},
          {3, NK_NEW_START_EXTENSION, 0, 300},
          {0, NK_PREV_END_EXTENSION, 0, 0}},
         400.0 * 300.0},
    };
    for (const TShape& shape : shapes) {
        for (size_t reversed = 0; reversed < shape.Outlines.size(); ++reversed) {
            for (bool fixed : {false, true}) {
                const std::string what = std::string(shape.Name) + ", outline " + std::to_string(reversed) +
                                         (fixed ? ", fixed nodes" : "");
                std::vector<std::unique_ptr<TSLCurve>> owned;
                std::vector<TSLCurve*> outlines;
                for (const auto& corners : shape.Outlines) {
                    owned.push_back(Polyline(corners));
                    outlines.push_back(owned.back().get());
                }
                auto r = BuildPath(outlines, shape.Anchor, shape.Steps);
                ASSERT_NE(r, nullptr) << what;
                if (fixed) ConvertAllNodesToFixed(*r, {});
                ASSERT_NEAR(EnclosedArea(*r), shape.Area, 1.0) << what;
                const double length = WalkLength(*r);
                const TKvRect bounds = r->Bounds;
                ASSERT_TRUE(r->FillStitches) << what;
                const TKvRect fill = r->GetStitchBounds();

                std::vector<TSLStitch*> objects(outlines.begin(), outlines.end());
                objects.push_back(r.get());
                outlines[reversed]->ReverseStitching({});
                RegionsFollowReversedOutline(objects, *outlines[reversed], {});
                ExpectSameBoundary(*r, shape.Area, length, bounds, fill, what);
                // A later rebuild from the outlines (after any edit of them) finds the same path.
                r->RebuildFromOutlines({});
                ExpectSameBoundary(*r, shape.Area, length, bounds, fill, what + ", rebuilt");
                // Reversing back restores the node numbering.
                outlines[reversed]->ReverseStitching({});
                RegionsFollowReversedOutline(objects, *outlines[reversed], {});
                ExpectSameBoundary(*r, shape.Area, length, bounds, fill, what + ", reversed back");
            }
        }
    }
}
