#include <gtest/gtest.h>

#include "../regions/TestShapes.h"
#include "core/BinaryIO.h"
#include "worksheet/Sew.h"

using namespace nl;
using nl::test::ClosedOutline;
using nl::test::RegionOn;
using nl::test::Square;

namespace {

// Every object's worksheet record in list order, the group ids and the hole list: what a saved
// file would hold of the objects.
std::vector<uint8_t> Snapshot(TSew& sew) {
    sew.RenumberIds();
    TByteWriter w;
    TRecordContext ctx;
    ctx.OutlineMarkOf = [](const TSLCurve* c) { return c->Mark; };
    w.I32(sew.Count());
    for (int32_t i = 0; i < sew.Count(); ++i)
        WriteObjectRecord(w, *sew[i], ctx);
    for (int32_t i = 0; i < sew.Groups.Count(); ++i)
        w.I32(sew.Groups[i].Id);
    for (TSLStitch* h : sew.Holes)
        w.I32(sew.IndexOf(h));
    return w.Data();
}

struct Sheet {
    TSew sew;
    TStitchContext ctx;
    TSLCurve* outline;
    TSLRegion* region;
    TSLStitch* direct;
    Sheet() {
        outline = static_cast<TSLCurve*>(sew.Add(ClosedOutline(Square(0, 0, 400))));
        outline->Flags |= OF_VISIBLE | OF_RUNNING;
        outline->SetStitchTypeBits(ST_RUNNING);
        Restitch(*outline, ctx);
        region = static_cast<TSLRegion*>(sew.Add(RegionOn(*outline, ctx)));
        Restitch(*region, ctx);
        direct = sew.Add(std::make_unique<TSLStitch>());
        direct->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
        for (int i = 0; i < 5; ++i)
            direct->AppendPoint(0, 0, 1000.f + 20 * i, 50.f);
        direct->UpdateBounds(ctx);
        sew.SetCurrent(nullptr);
        sew.Modified = false;
    }
    // A move of the outline, as the drag does it: its region follows.
    void MoveOutline(float dx) {
        TUndoStep step(sew, "Move", {outline});
        outline->Offset(dx, 0);
        outline->UpdateBounds(ctx);
        region->RebuildFromOutlines(ctx);
        Restitch(*region, ctx);
        sew.MarkModified();
    }
};

} // namespace

TEST(Undo, MoveOfAnOutlineTakesItsRegionBackAndForth) {
    Sheet s;
    auto before = Snapshot(s.sew);
    s.MoveOutline(100);
    auto after = Snapshot(s.sew);
    ASSERT_NE(before, after);
    EXPECT_EQ(s.sew.History.UndoCaption(), "Undo Move");
    EXPECT_TRUE(s.sew.Modified);

    ASSERT_TRUE(s.sew.History.Undo(s.sew));
    EXPECT_EQ(Snapshot(s.sew), before);
    EXPECT_FALSE(s.sew.Modified);
    EXPECT_EQ(s.sew.History.RedoCaption(), "Redo Move");
    // Identity is kept: the region still names the same outline object.
    EXPECT_EQ(s.region->UsedOutlines().front(), s.outline);

    ASSERT_TRUE(s.sew.History.Redo(s.sew));
    EXPECT_EQ(Snapshot(s.sew), after);
    EXPECT_TRUE(s.sew.Modified);
}

TEST(Undo, DeleteKeepsTheObjectsAndPutsThemBackInPlace) {
    Sheet s;
    s.sew.Holes.push_back(s.region);
    auto before = Snapshot(s.sew);
    TSLStitch* region = s.region;
    {
        TUndoStep step(s.sew, "Delete", {s.outline});
        s.sew.DeleteObject(s.region);
        s.sew.DeleteObject(s.outline);
    }
    EXPECT_EQ(s.sew.Count(), 1);
    EXPECT_TRUE(s.sew.Holes.empty());
    ASSERT_TRUE(s.sew.History.Undo(s.sew));
    EXPECT_EQ(Snapshot(s.sew), before);
    EXPECT_EQ(s.sew[1], region); // the very same object
    ASSERT_EQ(s.sew.Holes.size(), 1u);
    ASSERT_TRUE(s.sew.History.Redo(s.sew));
    EXPECT_EQ(s.sew.Count(), 1);
    ASSERT_TRUE(s.sew.History.Undo(s.sew));
    EXPECT_EQ(Snapshot(s.sew), before);
}

TEST(Undo, CreationAndGroupingAreSteps) {
    Sheet s;
    auto before = Snapshot(s.sew);
    {
        TUndoStep step(s.sew, "Create Direct Stitch", {});
        TSLStitch* o = s.sew.Add(std::make_unique<TSLStitch>());
        o->AppendPoint(0, 0, 5, 5);
    }
    auto created = Snapshot(s.sew);
    s.direct->Flags |= OF_SELECTED_LAYOUT;
    auto selected = Snapshot(s.sew);
    {
        TUndoStep step(s.sew, "Group");
        s.sew.ComposeGroup();
    }
    EXPECT_EQ(s.sew.Groups.Count(), 1);
    EXPECT_EQ(s.sew.History.UndoCount(), 2u);
    s.sew.History.Undo(s.sew);
    EXPECT_EQ(Snapshot(s.sew), selected);
    EXPECT_EQ(s.sew.Groups.Count(), 0);
    s.sew.History.Undo(s.sew);
    s.direct->Flags &= ~OF_SELECTED_LAYOUT;
    EXPECT_EQ(Snapshot(s.sew), before);
    s.sew.History.Redo(s.sew);
    EXPECT_EQ(Snapshot(s.sew), created);
}

TEST(Undo, ANewChangeDropsRedoAndNothingChangedRecordsNothing) {
    Sheet s;
    s.MoveOutline(10);
    s.MoveOutline(20);
    s.sew.History.Undo(s.sew);
    EXPECT_TRUE(s.sew.History.CanRedo());
    s.MoveOutline(30);
    EXPECT_FALSE(s.sew.History.CanRedo());
    EXPECT_EQ(s.sew.History.UndoCount(), 2u);
    {
        TUndoStep step(s.sew, "Delete", {s.outline}); // the user said No
    }
    EXPECT_EQ(s.sew.History.UndoCount(), 2u);
    // The same for a column: its rails' copies must not differ from them by their partner.
    auto a = std::make_unique<TSLCurve>(), b = std::make_unique<TSLCurve>();
    a->SetPolyline({{0, 600}, {400, 600}});
    b->SetPolyline({{0, 700}, {400, 700}});
    a->Flags = OF_RAIL_A | OF_VISIBLE;
    b->Flags = OF_RAIL_B | OF_VISIBLE;
    auto* railA = static_cast<TSLCurve*>(s.sew.Add(std::move(a)));
    auto* railB = static_cast<TSLCurve*>(s.sew.Add(std::move(b)));
    LinkRails(*railA, *railB, {});
    const size_t withColumn = s.sew.History.UndoCount();
    {
        TUndoStep step(s.sew, "Property Change", {railA}); // an entry that was refused
    }
    EXPECT_EQ(s.sew.History.UndoCount(), withColumn);
    {
        TUndoStep step(s.sew, "Property Change", {railA});
        railA->Density += 1;
    }
    EXPECT_EQ(s.sew.History.UndoCount(), withColumn + 1);
    ASSERT_TRUE(s.sew.History.Undo(s.sew));
    EXPECT_EQ(railA->PartnerRail, railB) << "the rails stay paired through an undo";
    EXPECT_EQ(railB->PartnerRail, railA);
    // Nested steps are one step named by the outer edit.
    {
        TUndoStep cut(s.sew, "Cut", {s.direct});
        TUndoStep del(s.sew, "Delete", {s.direct});
        s.sew.DeleteObject(s.direct);
    }
    EXPECT_EQ(s.sew.History.UndoCaption(), "Undo Cut");
    EXPECT_EQ(s.sew.History.UndoCount(), withColumn + 1);
}

TEST(Undo, KeepsTheLimitAndTheSavedPoint) {
    Sheet s;
    s.sew.History.SetLimit(100);
    for (int i = 0; i < 130; ++i)
        s.MoveOutline(1);
    EXPECT_EQ(s.sew.History.UndoCount(), 100u);
    s.sew.Modified = false;
    s.sew.History.MarkSaved();
    s.sew.History.Undo(s.sew);
    EXPECT_TRUE(s.sew.Modified);
    s.sew.History.Redo(s.sew);
    EXPECT_FALSE(s.sew.Modified);
    while (s.sew.History.Undo(s.sew)) {
    }
    EXPECT_TRUE(s.sew.Modified); // the oldest state was never saved
    EXPECT_FLOAT_EQ((*s.outline)[0].X, 30.f);
    s.sew.Reset();
    EXPECT_FALSE(s.sew.History.CanUndo());
}

TEST(Undo, AnObjectDestroyedOutsideAStepDropsTheStepsThatNameIt) {
    Sheet s;
    s.MoveOutline(5);
    {
        TUndoStep step(s.sew, "Move", {s.direct});
        s.direct->Offset(5, 0);
    }
    s.MoveOutline(5);
    ASSERT_EQ(s.sew.History.UndoCount(), 3u);
    s.sew.DeleteObject(s.direct); // no step: as a cancelled creation removes its object
    EXPECT_EQ(s.sew.History.UndoCount(), 1u);
    EXPECT_TRUE(s.sew.History.Undo(s.sew));
}
