#include <gtest/gtest.h>

#include "platform/ScriptedHost.h"
#include "ui/RegionPage.h"

using namespace nl;

namespace {
std::unique_ptr<TSLCurve> Square(float side) {
    return TSLCurve::FromPolyline({{0, 0}, {side, 0}, {side, side}, {0, side}, {0, 0}});
}

std::unique_ptr<TSLRegion> RegionOn(TSLCurve& o) {
    auto r = std::make_unique<TSLRegion>();
    (*r)[0].X = o.PathX[0];
    (*r)[0].Y = o.PathY[0];
    r->Node(0).Outline = &o;
    r->Node(0).StartIndex = 0;
    r->Node(0).EndIndex = LastSampleOf(o);
    r->AppendNode(NK_JOIN_FROM_END, o.PathX[0], o.PathY[0], &o, 0, 0);
    r->Flags |= OF_HIGHLIGHT | OF_VISIBLE;
    r->SetStitchTypeBits(ST_TATAMI);
    r->UpdateBounds({});
    r->DeriveEntryExit = true;
    Restitch(*r, {});
    return r;
}
} // namespace

TEST(RegionPage, CaptionsAndStoredUnits) {
    auto sq = Square(300);
    auto r = RegionOn(*sq);
    int redraws = 0;
    TRegionPage page(*r, {}, [&] { ++redraws; });
    EXPECT_EQ(TRegionPage::Spec(TRegionField::Density).Caption, " Stitch Density      ");
    EXPECT_EQ(TRegionPage::Spec(TRegionField::Pitch).Caption, " Stitch Pitch          ");
    EXPECT_EQ(TRegionPage::Spec(TRegionField::OffsetA).Caption, "  Offset A    ");
    EXPECT_STREQ(TRegionPage::ToggleCaption(TRegionToggle::ComplexHole), "Use As Complex  Hole");
    struct Case {
        TRegionField field;
        double value;
        bool accepted;
        double shown;
    } cases[] = {
        {TRegionField::Density, 5.55, true, 5.6}, // 55.5 -> 56 (ties to even)
        {TRegionField::Density, 0.5, false, 5.6}, // refused: keeps the previous value
        {TRegionField::Density, 7.01, false, 5.6}, {TRegionField::RunLength, 2.5, true, 2.5},
        {TRegionField::RunLength, 0, false, 2.5},  {TRegionField::Pitch, 3, true, 3},
        {TRegionField::Pitch, 0, false, 3},        {TRegionField::OffsetA, -130, true, -100}, // clamped
        {TRegionField::OffsetB, 25, true, 25},     {TRegionField::MinStitch, 0, true, 0.1},   // clamped up
        {TRegionField::MaxStitch, 30, true, 20},                                              // clamped down
        {TRegionField::UnderMargin, 50, true, 40},                                            // clamped
        {TRegionField::UnderOffset, 30, true, 30}, {TRegionField::Rotate, 400, false, 0},
        {TRegionField::Rotate, -45, true, -45},
    };
    for (auto& c : cases) {
        EXPECT_EQ(page.SetValue(c.field, c.value), c.accepted) << static_cast<int>(c.field) << " " << c.value;
        EXPECT_NEAR(page.Value(c.field), c.shown, 1e-9) << static_cast<int>(c.field);
    }
    EXPECT_EQ(r->Density, 56);
    EXPECT_EQ(r->Pitch, 60.f);
    EXPECT_EQ(r->PitchOffsets & 0xFFFF, 3000u);
    EXPECT_EQ(r->PitchOffsets >> 16, 250u);
    EXPECT_EQ(r->UnderMargin, 800.0);
    EXPECT_GT(redraws, 5);
}

TEST(RegionPage, MinNeverExceedsMax) {
    auto sq = Square(300);
    auto r = RegionOn(*sq);
    TRegionPage page(*r, {});
    ASSERT_TRUE(page.SetValue(TRegionField::MaxStitch, 5));
    ASSERT_TRUE(page.SetValue(TRegionField::MinStitch, 9));
    EXPECT_LE(r->MinStitch(), r->MaxStitch());
    EXPECT_EQ(r->MaxStitch(), 100);
}

TEST(RegionPage, ChangesRegenerateTheFill) {
    auto sq = Square(400);
    auto r = RegionOn(*sq);
    TRegionPage page(*r, {});
    int32_t base = r->FillStitches->Count();
    ASSERT_TRUE(page.SetValue(TRegionField::Density, 2));
    int32_t sparse = r->FillStitches->Count();
    EXPECT_LT(sparse, base);
    ASSERT_TRUE(page.SetValue(TRegionField::Pitch, 10));
    EXPECT_LT(r->FillStitches->Count(), sparse);
    auto before = r->FillStitches->Raw();
    ASSERT_TRUE(page.SetValue(TRegionField::Rotate, 30));
    const auto& after = r->FillStitches->Raw();
    bool same = after.size() == before.size() &&
                std::equal(before.begin(), before.end(), after.begin(),
                           [](const TSP& a, const TSP& b) { return a.X == b.X && a.Y == b.Y; });
    EXPECT_FALSE(same);
    ASSERT_TRUE(page.SetValue(TRegionField::OffsetA, 10));
    page.SetToggle(TRegionToggle::UseUnderlay, true);
    bool underlay = false;
    for (const TSP& p : *r->FillStitches)
        underlay |= (p.Flags & SP_UNDERLAY) != 0;
    EXPECT_TRUE(underlay);
    page.SetToggle(TRegionToggle::UnderSatin, true);
    EXPECT_EQ(r->StitchFlags & RSF_UNDER_MASK, RSF_UNDER_SATIN);
    EXPECT_EQ(r->OrderIndex, ORDER_UNPLACED);
    page.SetColour(0x123456);
    EXPECT_EQ((*r->FillStitches)[0].GetColour(), 0x123456);
    page.SetStitchType(ST_NONE);
    EXPECT_EQ(r->FillStitches, nullptr);
}

TEST(RegionCreationPage, CaptionsAndDisabledButtonsDuringPlacement) {
    TScriptedHost host;
    TRegionBuilder builder(host, {}, {});
    TRegionCreationPage page(builder, [] { return std::vector<TSLStitch*>{}; });
    auto sq = Square(300);
    builder.ClickOutline(sq.get());
    ASSERT_TRUE(builder.ClickAnchor(0));
    EXPECT_EQ(page.Caption(TCreationButton::MakeFixedNode), "    Make A Fixed Node");
    EXPECT_EQ(page.Caption(TCreationButton::Back), "Back ");
    EXPECT_EQ(page.Caption(TCreationButton::ConvertAllNodes), "Convert All Nodes ");
    page.Press(TCreationButton::MakeFixedNode);
    EXPECT_EQ(page.Caption(TCreationButton::MakeFixedNode), "    Cancel Direct Jump");
    for (auto b :
         {TCreationButton::Back, TCreationButton::Forward, TCreationButton::Delete, TCreationButton::Exit})
        EXPECT_FALSE(page.Enabled(b));
    page.Press(TCreationButton::MakeFixedNode);
    EXPECT_TRUE(page.Enabled(TCreationButton::Back));
    EXPECT_EQ(builder.Region()->Count(), 1);
}
