#include <gtest/gtest.h>

#include <map>

#include "../stitching/CurveHelpers.h"
#include "FormatTestUtil.h"
#include "core/Errors.h"
#include "formats/Export.h"
#include "formats/ExportWalk.h"
#include "regions/JumpNodes.h"
#include "stitching/JumpLinks.h"
#include <set>

using namespace nl;
using namespace nl::test;

namespace {

// An outline whose own points stand for its generated stitch list, with links set by the test:
// point index -> (target outline, entry index in the target).
class TLinkedOutline : public TSLStitch, public TJumpLinks {
public:
    uint8_t Kind() const override { return KIND_CURVE; }
    const TJumpLinks* JumpLinks() const override { return HasLinks ? this : nullptr; }
    int32_t StitchIndex() const override { return Start; }
    bool IsEntry() const override { return Entry; }
    std::optional<TJumpTarget> LinkAt(const TSP& p) const override {
        auto it = Links.find(static_cast<int32_t>(&p - Raw().data()));
        if (it == Links.end()) return std::nullopt;
        return it->second;
    }

    // Points with X = base + index; `flags` per index.
    void Build(float base, std::vector<uint32_t> flags) {
        for (size_t i = 0; i < flags.size(); ++i) {
            TSP p = TSP::Plain(flags[i], base + static_cast<float>(i), 0);
            if (flags[i] & SP_EXTRA) p.ColourOrLink = 0x42;
            Append(p);
        }
    }
    void Link(int32_t at, const TLinkedOutline* to, std::optional<int32_t> entry) {
        Links[at] = TJumpTarget{to, entry};
    }

    bool HasLinks = true;
    int32_t Start = 0;
    bool Entry = true;
    std::map<int32_t, TJumpTarget> Links;
};

std::vector<float> Xs(const std::vector<TSP>& v) {
    std::vector<float> x;
    for (const TSP& p : v)
        x.push_back(p.X);
    return x;
}

constexpr uint32_t LINK = SP_EXTRA | SP_JUMP_LINK;
constexpr uint32_t LAND = SP_EXTRA | SP_JUMP;
constexpr uint32_t SHARED = SP_EXTRA | SP_JUMP | SP_JUMP_SHARED;

// A plain outline that never regenerates successfully: no stitch list at all.
class TFailedOutline : public TSLStitch {
public:
    uint8_t Kind() const override { return KIND_CURVE; }
    const TSLStitch* Stitches() const override { return nullptr; }
};

} // namespace

TEST(ExportWalk, MachineUnitsRoundHalvesToEven) {
    struct Case {
        float in;
        int32_t out;
    } cases[] = {{5, 2}, {7, 4}, {-5, -2}, {3, 2}, {1, 0}, {-1, 0}, {4, 2}, {5.2f, 3}};
    for (auto& c : cases)
        EXPECT_EQ(MachineUnits(c.in), c.out) << c.in;
}

TEST(ExportWalk, ForwardPassStoppedAtASharedPointLeavesItsTailReversedAtTheEnd) {
    TLinkedOutline a;
    a.Build(0, {0, 0, 0, SHARED, 0, 0});
    EXPECT_EQ(Xs(JumpNetworkWalk(a, 2)), (std::vector<float>{2, 3, 1, 0, 5, 4, 3}));
    // Without a stop the tail is empty.
    TLinkedOutline b;
    b.Build(0, {0, 0, 0, 0});
    EXPECT_EQ(Xs(JumpNetworkWalk(b, 1)), (std::vector<float>{1, 2, 3, 0}));
}

TEST(ExportWalk, WalksIntoALinkedOutlineAndBack) {
    TLinkedOutline root, child;
    root.Build(0, {SP_EXTRA, 0, LINK, 0, SHARED, 0});
    child.Build(100, {0, LINK, 0, LAND, 0});
    root.Link(2, &child, 1);
    child.Link(1, &root, 2);
    child.Link(3, &root, 2);
    auto w = JumpNetworkWalk(root, 0);
    EXPECT_EQ(Xs(w), (std::vector<float>{0, 1, 2, 101, 102, 103, 100, 104, 103, 2, 3, 4, 5, 4}));
    for (const TSP& p : w) {
        EXPECT_FALSE(p.Flags & SP_EXTRA);
        EXPECT_EQ(p.Ext, nullptr);
    }
}

TEST(ExportWalk, LinksThatCannotBeFollowedArePassedOverAndCyclesEnd) {
    TLinkedOutline root, a, b;
    root.Build(0, {0, LINK, LINK, LINK, 0});
    a.Build(100, {0, LINK, 0});
    b.Build(200, {0, LINK, LINK});
    root.Link(1, &a, std::nullopt); // the other side of the link is missing
    root.Link(2, &a, 7);            // entry point out of range
    root.Link(3, &a, 0);            // good
    a.Link(1, &b, 1);
    b.Link(1, &a, 1);    // back to where the walk came from
    b.Link(2, &root, 0); // damaged data: a cycle back into the outline being walked
    auto w = JumpNetworkWalk(root, 0);
    EXPECT_EQ(Xs(w), (std::vector<float>{0, 1, 2, 3, 100, 101, 201, 202, 200, 101, 102, 3, 4}));
}

TEST(ExportPlan, LeavesOutObjectsWithoutStitchesAndStartsAWalkWithTheThreadColour) {
    auto empty = std::make_unique<TSLStitch>();
    TFailedOutline failed;
    auto region = Direct({{0, 0, 1}, {10, 0}});
    struct TRegion : TSLStitch {
        uint8_t Kind() const override { return KIND_REGION; }
    } noFill;
    noFill.Append(TSP::Colour(0, 5, 5, 1));
    noFill.SetStitchTypeBits(ST_NONE);
    TLinkedOutline outline;
    outline.Build(40, {0, 0, 0});
    outline.JumpVia = TSP::Plain(0, 60, 8);
    TExportPlan plan({empty.get(), &failed, &noFill, region.get(), &outline, nullptr});
    ASSERT_EQ(plan.Items.size(), 2u);
    EXPECT_EQ(plan.Items[0].Object, region.get());
    const TSP& first = plan.Items[1].Points()[0];
    EXPECT_TRUE(IsColourChange(first));
    EXPECT_EQ(first.ColourOrLink, outline.GetColor());
    EXPECT_EQ(plan.StitchTotal, 2 + 3 + 1);
    EXPECT_EQ(plan.Extent, (TKvRect{false, 0, 0, 60, 8}));
    EXPECT_EQ(plan.CentreX, 15);
    EXPECT_EQ(plan.CentreY, 2);

    TExportPlan none({empty.get(), &failed, &noFill});
    EXPECT_TRUE(none.Empty());
    TTempDir dir;
    EXPECT_THROW(WriteDesign({empty.get(), &failed}, dir / "x.dst", Dst(), DataDir()), TError);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.dst"));
}

namespace {
// Records what each object was handed and whether its thread change is suppressed.
struct TSuppressLog : TEmitter {
    std::vector<bool> Suppressed;
    void EmitObject(const TEmitList& list, TExportState& state) override {
        (void)list;
        Suppressed.push_back(state.Suppress);
        state.First = false;
    }
};
} // namespace

TEST(ObjectWalk, APlainFirstPointNeverSuppressesALaterColourChange) {
    // The first object has no colour point at all; the second starts with a plain point and
    // changes colour after it. That change must be written.
    auto first = Direct({{0, 0}, {10, 0}});
    auto second = Direct({{20, 0}, {30, 0, 0x00FF00}, {40, 0}});
    // A third object in the thread of the second is a real repeat: its change is suppressed.
    auto third = Direct({{50, 0, 0x00FF00}, {60, 0}});
    TExportPlan plan({first.get(), second.get(), third.get()});
    TSuppressLog log;
    TExportState state;
    RunObjectWalk(plan, log, state);
    EXPECT_EQ(log.Suppressed, (std::vector<bool>{false, false, true}));
}

TEST(ExportWalk, AChainOfGeneratedOutlinesIsSewnWholeFromItsEntry) {
    // Root A with B and C hanging off it, C with D: every point of every outline is sewn, the
    // walk starts and ends at the root's entry point.
    std::vector<std::unique_ptr<TSLCurve>> o;
    TStitchContext ctx;
    for (int i = 0; i < 4; ++i) {
        o.push_back(test::Straight(400, 4));
        o.back()->Offset(0, 100.f * i);
        test::MakeRunning(*o.back(), 1, 20);
        o.back()->RefreshGeometry(ctx);
    }
    LinkOutlines(*o[0], *o[1], 10, 40);
    LinkOutlines(*o[0], *o[2], 60, 100);
    LinkOutlines(*o[2], *o[3], 0, 50);
    PropagateChain(*o[0]);
    o[0]->EntryIndex = 30;
    for (auto& c : o)
        Restitch(*c, ctx);
    TExportPlan plan({o[0].get()});
    ASSERT_EQ(plan.Items.size(), 1u);
    auto pts = plan.Items[0].Points();
    size_t total = 0;
    for (auto& c : o)
        total += static_cast<size_t>(c->Generated->Count());
    // Each link point is sewn once more after coming back from the outline it leads to, and the
    // point where an outline's forward pass stops starts its tail again.
    EXPECT_EQ(pts.size(), total + 3 + 4);
    std::set<int> rows;
    for (const TSP& p : pts)
        rows.insert(static_cast<int>(p.Y / 100.f + 0.5f));
    EXPECT_EQ(rows, (std::set<int>{0, 1, 2, 3}));
    EXPECT_FLOAT_EQ(pts.front().X, 120.f);
    EXPECT_FLOAT_EQ(pts.front().Y, 0.f);
    EXPECT_FLOAT_EQ(pts.back().X, 120.f);
    EXPECT_FLOAT_EQ(pts.back().Y, 0.f);
    // Only the first point changes thread.
    for (size_t i = 1; i < pts.size(); ++i)
        EXPECT_FALSE(IsColourChange(pts[i])) << i;
}
