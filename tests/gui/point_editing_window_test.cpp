// The "Stitch" page of a direct stitch object driven through its widgets, and pictures of the
// page, of a design edited point by point and of a fill shaped by a complex hole and an overlay.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "../regions/TestShapes.h"
#include "GuiTest.h"
#include "gui/PropertiesDialog.h"
#include "regions/PointEdit.h"
#include "ui/RegionPage.h"
#include "ui/StitchPage.h"

using namespace nl;

namespace {
struct TWin : nl::test::TWindowFixture {
    TWin() { EXPECT_TRUE(Show(1000, 700, 614)); } // one unit a pixel
    TPropertiesDialog* P() { return W.Properties(); }
    static void Enter(QLineEdit* e, const QString& text) { nl::test::EnterText(e, text); }
};
} // namespace

TEST(StitchPageWindow, CursorRangeAndColourThroughTheWidgets) {
    TWin t;
    TNL& nl = t.Nl();
    nl.Execute(TCommand::ModeEdit);
    auto o = std::make_unique<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    for (int i = 0; i < 30; ++i)
        o->Append(
            TSP::Plain(0, 150.f + 20.f * static_cast<float>(i), 200.f + 40.f * static_cast<float>(i % 2)));
    for (int c : {0, 10, 20})
        o->Replace(c, TSP::Colour(0, (*o)[c].X, (*o)[c].Y, c == 10 ? 0x0000C0 : 0x008000));
    o->UpdateBounds(nl.StitchContext());
    TSLStitch* design = nl.Sew.Add(std::move(o));
    nl.Sew.SetCurrent(design);
    nl.RunPointCommand(CMD_EDIT_ALL_POINTS, *design, -1);
    QApplication::processEvents();
    ASSERT_EQ(t.P()->PageCaptions(), std::vector<std::string>{"Stitch"});
    EXPECT_TRUE(design->Flags & OF_LOW_LEVEL_EDIT) << "\"Edit All Points\" shows the cursor";
    TWin::Enter(t.P()->Field("Stitch", TStitchPage::PositionCaption), "12");
    EXPECT_EQ(design->SimIndex, 12);
    TWin::Enter(t.P()->Field("Stitch", TStitchPage::PositionCaption), "30");
    EXPECT_EQ(design->SimIndex, 12) << "beyond the last point: refused";
    EXPECT_EQ(t.P()->Field("Stitch", TStitchPage::PositionCaption)->text(), "12");
    t.P()->Button("Stitch", ">>")->click();
    EXPECT_EQ(design->SimIndex, 20);
    EXPECT_EQ(t.P()->Field("Stitch", TStitchPage::PositionCaption)->text(), "20");
    t.P()->Button("Stitch", "<<")->click();
    EXPECT_EQ(design->SimIndex, 10);
    TWin::Enter(t.P()->Field("Stitch", TStitchPage::PlusCaption), "4");
    TWin::Enter(t.P()->Field("Stitch", TStitchPage::MinusCaption), "2");
    EXPECT_EQ(SelectedPointCount(*design), 7);
    t.P()->Check("Stitch", TStitchPage::HighlightCaption)->click();
    EXPECT_TRUE(design->Flags & OF_HIGHLIGHT_COLOURS);
    QApplication::processEvents();
    EXPECT_TRUE(t.P()->grab().save(nl::test::ShotPath("properties-stitch-stitch")));
    EXPECT_TRUE(t.W.grab().save(nl::test::ShotPath("point-editing")));
    // With no colour point in force at the cursor (a design without any) the colour is disabled.
    ClearPointSelection(*design);
    t.P()->Button("Stitch", TStitchPage::ResetCaption)->click();
    EXPECT_EQ(nl.PointEdit.Plus, 0);
    for (TSP& p : *design)
        if (p.IsColourPoint()) p = TSP::Plain(0, p.X, p.Y);
    t.W.RefreshCommands();
    t.P()->ShowFor(*design);
    QApplication::processEvents();
    EXPECT_FALSE(t.P()->Button("Stitch", TStitchPage::ColourCaption)->isEnabled());
}

TEST(StitchPageWindow, FillWithAHoleAndAnOverlay) {
    TWin t;
    TNL& nl = t.Nl();
    const TStitchContext ctx = nl.StitchContext();
    auto add = [&](std::unique_ptr<TSLCurve> c) {
        c->Flags |= OF_VISIBLE | OF_RUNNING;
        c->SetStitchTypeBits(ST_RUNNING);
        auto* curve = static_cast<TSLCurve*>(nl.Sew.Add(std::move(c)));
        curve->UpdateBounds(ctx);
        return curve;
    };
    TSLCurve* outer = add(nl::test::ClosedOutline(nl::test::Square(150, 100, 450)));
    TSLCurve* inner = add(nl::test::ClosedOutline({{300, 220}, {450, 260}, {400, 400}, {280, 360}}));
    TSLCurve* overlay = add(nl::test::Polyline({{120, 480}, {370, 140}, {630, 480}}));
    auto* fill = static_cast<TSLRegion*>(nl.Sew.Add(nl::test::RegionOn(*outer, ctx)));
    fill->Flags |= OF_ALLOW_HOLES;
    fill->Rotation = 30;
    auto* hole = static_cast<TSLRegion*>(nl.Sew.Add(nl::test::RegionOn(*inner, ctx)));
    hole->SetStitchTypeBits(ST_NONE);
    Restitch(*fill, ctx);
    const int32_t plain = fill->FillStitches->Count();
    TRegionPage(*hole, nl.StitchContext()).SetToggle(TRegionToggle::ComplexHole, true);
    nl.Sew.SetCurrent(overlay);
    nl.ShowProperties(*overlay);
    QApplication::processEvents();
    t.P()->SelectPage("Outline");
    QCheckBox* box = t.P()->Check("Outline", "Use As Region Overlay");
    ASSERT_NE(box, nullptr);
    box->click();
    EXPECT_TRUE(overlay->Flags & OF_REGION_OVERLAY);
    EXPECT_NE(fill->FillStitches->Count(), plain);
    QApplication::processEvents();
    EXPECT_TRUE(t.P()->grab().save(nl::test::ShotPath("properties-overlay-outline")));
    t.P()->hide();
    t.V()->update();
    QApplication::processEvents();
    EXPECT_TRUE(t.W.grab().save(nl::test::ShotPath("hole-and-overlay")));
}
