#include <gtest/gtest.h>

#include "core/Errors.h"
#include "regions/SLRegion.h"
#include "worksheet/Sew.h"

using namespace nl;

namespace {
TSLStitch* AddDirect(TSew& sew, int32_t group = 0, int32_t order = ORDER_NONE, uint32_t type = ST_RUNNING) {
    auto* o = static_cast<TSLStitch*>(sew.Add(std::make_unique<TSLStitch>()));
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    o->SetStitchTypeBits(type);
    o->GroupId = group;
    o->OrderIndex = order;
    if (group) sew.Groups.Add(group);
    return o;
}
} // namespace

TEST(GroupList, NewGroupFillsTheFirstGapFromTheStart) {
    struct Case {
        std::vector<int32_t> ids;
        int32_t expected;
    } cases[] = {{{}, 1}, {{1, 2, 3}, 4}, {{2, 3}, 4}, {{1, 5}, 4}, {{1, 3, 4, 9}, 2}};
    for (auto& c : cases) {
        TGroupList g;
        for (int32_t id : c.ids)
            g.Add(id);
        EXPECT_EQ(g.NewGroup(), c.expected);
        EXPECT_TRUE(g.Contains(c.expected));
    }
}

TEST(GroupList, PasteRemappingIsStablePerClipboardId) {
    TGroupList target, map;
    target.Add(1);
    int32_t a = map.Map(7, target), b = map.Map(9, target);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 3);
    EXPECT_EQ(map.Map(7, target), 2);
    EXPECT_EQ(map.Map(0, target), 0);
}

TEST(Sew, SelectedGroupReportsNoneUngroupedOrTheGroup) {
    TSew sew;
    auto* a = AddDirect(sew);
    auto* b = AddDirect(sew, 5);
    EXPECT_EQ(sew.SelectedGroup(), -1);
    a->Flags |= OF_SELECTED_LAYOUT;
    EXPECT_EQ(sew.SelectedGroup(), 0);
    b->Flags |= OF_SELECTED_LAYOUT;
    EXPECT_EQ(sew.SelectedGroup(), 5);
    EXPECT_EQ(sew.Current(), b);
    EXPECT_EQ(sew.ComputeSelectionKind(), 3);
}

TEST(Sew, ComposeGroupKeepsTheOldGroupsOrderWithoutCollisions) {
    TSew sew;
    // Old group 1 has 300 ordered members: id x 250 + index would collide with group 2.
    std::vector<TSLStitch*> g1, g2;
    for (int i = 0; i < 300; ++i)
        g1.push_back(AddDirect(sew, 1, 299 - i));
    for (int i = 0; i < 3; ++i)
        g2.push_back(AddDirect(sew, 2, i));
    for (auto& o : sew)
        o->Flags |= OF_SELECTED_LAYOUT;
    int32_t id = sew.ComposeGroup();
    EXPECT_EQ(id, 3);
    auto order = sew.BuildStitchOrder(id);
    ASSERT_EQ(order.size(), 303u);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(order[static_cast<size_t>(i)], g1[static_cast<size_t>(299 - i)]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(order[static_cast<size_t>(300 + i)], g2[static_cast<size_t>(i)]);
    EXPECT_FALSE(sew.Groups.Contains(1)); // nobody carries 1 or 2 any more
    EXPECT_FALSE(sew.Groups.Contains(2));
}

TEST(Sew, DecomposeKeepsIdsOthersStillCarry) {
    TSew sew;
    auto* a = AddDirect(sew, 2);
    auto* b = AddDirect(sew, 2);
    a->Flags |= OF_SELECTED_LAYOUT;
    sew.DecomposeGroup();
    EXPECT_EQ(a->GroupId, 0);
    EXPECT_EQ(b->GroupId, 2);
    EXPECT_TRUE(sew.Groups.Contains(2)); // b still carries it, so NewGroup cannot reuse it
    EXPECT_EQ(sew.Groups.NewGroup(), 3);
    sew.DeleteObject(b);
    EXPECT_FALSE(sew.Groups.Contains(2));
}

TEST(Sew, StitchOrderSortsStablyWithUnplacedLast) {
    TSew sew;
    auto* none = AddDirect(sew, 1, 0, ST_NONE);
    auto* unplaced = AddDirect(sew, 1, ORDER_UNPLACED);
    auto* second = AddDirect(sew, 1, 5);
    auto* first = AddDirect(sew, 1, 2);
    auto* noIndex = AddDirect(sew, 1, ORDER_NONE);
    auto* typeZero = AddDirect(sew, 1, 3, 0); // stitch type 0 counts as stitched
    auto* other = AddDirect(sew, 2, 0);
    auto order = sew.BuildStitchOrder(1);
    std::vector<TSLStitch*> expected{first, typeZero, second, unplaced, noIndex};
    EXPECT_EQ(order, expected);
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i]->OrderIndex, static_cast<int32_t>(i));
    (void)none;
    (void)other;
}

TEST(Sew, ResetGoesBackToTheStartState) {
    TSew sew;
    AddDirect(sew, 3)->Flags |= OF_SELECTED_LAYOUT;
    sew.FileName = "/tmp/x.Nl1";
    sew.SelectionKind = 2;
    sew.Support.Clear();
    sew.MarkModified();
    sew.Reset();
    EXPECT_EQ(sew.Count(), 0);
    EXPECT_EQ(sew.Current(), nullptr);
    EXPECT_EQ(sew.Groups.Count(), 0);
    EXPECT_EQ(sew.SelectionKind, 0);
    EXPECT_EQ(sew.FileName, "Untitled");
    EXPECT_FALSE(sew.Modified);
    ASSERT_EQ(sew.Support.Count(), 1);
    EXPECT_EQ(sew.Support[0]->Kind, SUPPORT_FRAME);
}

TEST(Sew, DrawingOrderMovesObjects) {
    TSew sew;
    auto* a = AddDirect(sew);
    auto* b = AddDirect(sew);
    auto* c = AddDirect(sew);
    sew.BringToTop(a);
    EXPECT_EQ(sew[2], a);
    sew.SendToBottom(c);
    EXPECT_EQ(sew[0], c);
    EXPECT_EQ(sew[1], b);
}

TEST(Sew, AfterLoadLinksRegionNodesToTheirOutlines) {
    TSew sew;
    auto* outline = static_cast<TSLCurve*>(sew.Add(std::make_unique<TSLCurve>()));
    for (float x : {0.f, 10.f, 20.f, 30.f})
        outline->Append(TSP::Plain(0, x, x));
    auto* region = static_cast<TSLRegion*>(sew.Add(std::make_unique<TSLRegion>()));
    region->Node(0).OutlineMark = 0;
    sew.AfterLoad({}, kVersionCurrent, {}, {});
    EXPECT_EQ(region->Node(0).Outline, outline);
    region->Node(0).OutlineMark = 1; // the region itself: not an outline
    EXPECT_THROW(sew.AfterLoad({}, kVersionCurrent, {}, {}), TReadError);
}
