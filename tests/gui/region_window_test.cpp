#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <filesystem>

#include "GuiTest.h"
#include "app/FileCommands.h"
#include "app/RegionMode.h"
#include "formats/Import.h"
#include "gui/MainWindow.h"
#include "gui/RegionToolBar.h"
#include "gui/WorksheetView.h"
#include "regions/SLRegion.h"

using namespace nl;

namespace {
QString Shot(const char* name) {
    return nl::test::ShotPath(name);
}

struct TRegionWindow : nl::test::TWindowFixture {
    void Open() { ASSERT_TRUE(Show(1000, 700, 614)); } // one pixel per unit
    void Line(int x1, int y1, int x2, int y2) {
        W.Action(TCommand::CreateLine)->trigger();
        for (int i = 0; i <= 3; ++i)
            Click(x1 + (x2 - x1) * i / 3, y1 + (y2 - y1) * i / 3);
        Click(5, 5, Qt::RightButton);
    }
    // Something other than the white worksheet at a view pixel.
    bool Inked(const QImage& img, QPoint p) {
        QPoint at = W.View()->mapTo(&W, p);
        return img.pixelColor(at) != QColor(Qt::white);
    }
};
} // namespace

TEST(RegionWindow, BuildAFilledRegionThenImportADesign) {
    TRegionWindow t;
    t.Open();
    TNL& nl = t.W.Controller();
    t.Line(50, 100, 350, 100);
    t.Line(300, 50, 300, 350);
    t.Line(350, 300, 50, 300);
    t.Line(100, 350, 100, 50);
    ASSERT_EQ(nl.Sew.Count(), 4);

    TRegionToolBar* bar = t.W.RegionBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    t.W.Action(TCommand::ModeRegionButton)->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(bar->isVisible()) << "the path buttons show in the creation mode";
    EXPECT_EQ(t.W.PromptLabel()->text().toStdString(), PROMPT_CLICK_OUTLINE);
    EXPECT_EQ(bar->Button(TRegionButton::MakeFixed)->text().toStdString(), CAPTION_MAKE_FIXED);

    t.Click(200, 100);
    EXPECT_EQ(t.W.PromptLabel()->text().toStdString(), PROMPT_ANCHOR);
    QApplication::processEvents();
    ASSERT_TRUE(t.W.grab().toImage().save(Shot("region-anchor")));
    t.Click(206, 100);
    t.Click(300, 200);
    ASSERT_FALSE(nl.RegionMode().Builder().Candidates().empty());
    QApplication::processEvents();
    QImage candidates = t.W.grab().toImage();
    ASSERT_TRUE(candidates.save(Shot("region-candidates")));
    EXPECT_TRUE(t.Inked(candidates, {300, 100})) << "the candidate at the crossing is drawn";

    t.Click(300, 100);
    t.Click(200, 300);
    t.Click(300, 300);
    t.Click(100, 200);
    t.Click(100, 300);
    t.Click(150, 100);
    t.Click(100, 100);
    ASSERT_FALSE(t.Asked.empty());
    EXPECT_EQ(t.Asked.back(), "Region Can Now Be Closed");
    ASSERT_EQ(nl.Sew.Count(), 5);
    auto* r = static_cast<TSLRegion*>(nl.Sew[4]);
    ASSERT_EQ(r->Kind(), KIND_REGION);
    ASSERT_TRUE(r->FillStitches);
    EXPECT_GT(r->FillStitches->Count(), 100);
    QApplication::processEvents();
    EXPECT_FALSE(bar->isVisible()) << "a closed region returns to design mode";
    EXPECT_TRUE(t.W.Action(TCommand::ModeEditButton)->isChecked());
    QImage filled = t.W.grab().toImage();
    ASSERT_TRUE(filled.save(Shot("region-filled")));
    int inked = 0;
    for (int y = 120; y < 280; y += 8)
        for (int x = 120; x < 280; x += 8)
            inked += t.Inked(filled, {x, y});
    EXPECT_GT(inked, 80) << "the square between the lines is filled";

    // Import a machine file at a click.
    const std::string star = std::string(NL_FIXTURES_DIR) + "/Star.DST";
    t.W.QtHost().FileHook = [&](const TFileDialogRequest& req, bool save) {
        EXPECT_FALSE(save);
        EXPECT_EQ(req.Title, "Import Stitching From ...");
        TFileDialogResult res;
        res.Accepted = true;
        res.FileName = star;
        res.FilterIndex = 1;
        return res;
    };
    QAction* import = t.W.Action(TCommand::ImportStitching);
    ASSERT_TRUE(import->isEnabled());
    EXPECT_EQ(import->shortcut(), QKeySequence("Ctrl+Alt+I"));
    import->trigger();
    t.Click(600, 250);
    ASSERT_EQ(nl.Sew.Count(), 6);
    TSLStitch* in = t.W.Files().LastImport;
    ASSERT_EQ(in, nl.Sew[5]);
    // The same points as the file read on its own, moved by the click.
    auto alone = ReadStitchFile(star);
    ASSERT_EQ(alone->Count(), in->Count());
    for (int32_t i = 0; i < in->Count(); i += 97) {
        EXPECT_NEAR((*in)[i].X, (*alone)[i].X + 600, 0.5) << i;
        EXPECT_NEAR((*in)[i].Y, (*alone)[i].Y + 250, 0.5) << i;
    }
    nl.View.Zoom = 120; // the whole design in view
    t.W.View()->update();
    QApplication::processEvents();
    QImage imported = t.W.grab().toImage();
    ASSERT_TRUE(imported.save(Shot("import")));
}

TEST(RegionWindow, FixedNodePlacementFromTheToolBar) {
    TRegionWindow t;
    t.Open();
    TNL& nl = t.W.Controller();
    t.Line(50, 100, 350, 100);
    t.Line(300, 50, 300, 350);
    t.W.Action(TCommand::ModeRegionButton)->trigger();
    t.Click(200, 100);
    t.Click(206, 100);
    t.Click(300, 200);
    TRegionToolBar* bar = t.W.RegionBar();
    QAction* fixed = bar->Button(TRegionButton::MakeFixed);
    ASSERT_TRUE(fixed->isEnabled());
    fixed->trigger();
    EXPECT_EQ(nl.Mode(), TMode::RegionNodeInsert);
    EXPECT_EQ(fixed->text().toStdString(), CAPTION_CANCEL_JUMP);
    for (TRegionButton b :
         {TRegionButton::Back, TRegionButton::Forward, TRegionButton::Delete, TRegionButton::Exit})
        EXPECT_FALSE(bar->Button(b)->isEnabled());
    // Leg 1 along the top line, leg 2 down the right line; the path follows the pointer.
    QTest::mouseMove(t.W.View(), QPoint(280, 101));
    t.Click(280, 101);
    QTest::mouseMove(t.W.View(), QPoint(299, 160));
    QApplication::processEvents();
    ASSERT_TRUE(t.W.grab().toImage().save(Shot("region-fixed-node")));
    t.Click(299, 160);
    EXPECT_EQ(nl.Mode(), TMode::FillRegion);
    EXPECT_EQ(fixed->text().toStdString(), CAPTION_MAKE_FIXED);
    // The mode's menu on a right click; leaving it with its first item discards the region.
    QStringList offered;
    t.W.QtHost().MenuHook = [&](QMenu& menu, QPoint) -> QAction* {
        for (QAction* a : menu.actions())
            offered << a->text();
        return nullptr; // dismissed
    };
    t.Click(500, 500, Qt::RightButton);
    EXPECT_EQ(offered, QStringList{POPUP_EXIT_REGION_MODE});
    EXPECT_EQ(nl.Mode(), TMode::FillRegion) << "a dismissed menu does nothing";
    const TSLRegion* r = nl.RegionMode().Builder().Region();
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->Count(), 2);
    EXPECT_EQ(TSLRegion::KindOf((*r)[1]), NK_FIXED);
    EXPECT_NEAR((*r)[1].Y, 160, 3);
    EXPECT_TRUE(bar->Button(TRegionButton::Back)->isEnabled());
    t.W.QtHost().MenuHook = [](QMenu& menu, QPoint) { return menu.actions().first(); };
    t.Click(500, 500, Qt::RightButton);
    t.W.QtHost().MenuHook = nullptr;
    EXPECT_EQ(nl.Mode(), TMode::DesignEdit);
    EXPECT_EQ(nl.RegionMode().Builder().Region(), nullptr);
}
