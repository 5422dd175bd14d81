// The editing fixes seen through the real window, offscreen: line objects clicked corner by corner,
// the highlight views (with pictures saved for looking at), the rotate drag, and the commands of
// features not built yet shown disabled.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenuBar>
#include <QTest>
#include <cmath>

#include "../regions/TestShapes.h"
#include "GuiTest.h"
#include "gui/MainWindow.h"
#include "gui/WorksheetView.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"

using namespace nl;

namespace {
QString Shot(const char* name) {
    return nl::test::ShotPath(name);
}

struct TEditWindow : nl::test::TWindowFixture {
    TEditWindow() { EXPECT_TRUE(Show(1100, 760, 614)); } // one pixel per unit
    // Colour of a view pixel in a picture of the window.
    QColor At(const QImage& img, int x, int y) { return img.pixelColor(W.View()->mapTo(&W, QPoint(x, y))); }
    // Whether some pixel of the view rectangle has the colour (0x00BBGGRR).
    bool Shows(const QImage& img, QRect viewRect, int32_t colour) {
        const QColor want(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
        for (int y = viewRect.top(); y <= viewRect.bottom(); ++y)
            for (int x = viewRect.left(); x <= viewRect.right(); ++x)
                if (At(img, x, y) == want) return true;
        return false;
    }
    TSLCurve* Add(std::unique_ptr<TSLCurve> c) {
        auto* curve = static_cast<TSLCurve*>(Nl().Sew.Add(std::move(c)));
        curve->UpdateBounds(Nl().StitchContext());
        return curve;
    }
};
} // namespace

TEST(EditingWindow, ALineObjectClickedCornerByCornerIsASquare) {
    TEditWindow t;
    t.Trigger(TCommand::CreateLine);
    const QPoint corners[] = {{200, 150}, {500, 150}, {500, 450}, {200, 450}, {200, 150}};
    for (QPoint p : corners)
        t.Click(p.x(), p.y());
    t.Click(20, 20, Qt::RightButton);
    ASSERT_EQ(t.Nl().Sew.Count(), 1);
    const auto& c = static_cast<const TSLCurve&>(*t.Nl().Sew[0]);
    ASSERT_EQ(c.Count(), 13);
    for (int k = 0; k < 5; ++k) {
        EXPECT_FLOAT_EQ(c[3 * k].X, static_cast<float>(corners[k].x()));
        EXPECT_FLOAT_EQ(c[3 * k].Y, static_cast<float>(corners[k].y()));
    }
    // Straight sides: the middle of each side is drawn, the inside of the square is not (a "D"
    // would bulge across it).
    QImage img = t.W.grab().toImage();
    img.save(Shot("line-square"));
    EXPECT_NE(t.At(img, 350, 150), QColor(Qt::white));
    EXPECT_NE(t.At(img, 500, 300), QColor(Qt::white));
    for (QPoint inside : {QPoint(350, 300), QPoint(260, 220), QPoint(440, 380)})
        EXPECT_EQ(t.At(img, inside.x(), inside.y()), QColor(Qt::white)) << inside.x() << "," << inside.y();
}

TEST(EditingWindow, HighlightViewsSeenInTheWindow) {
    TEditWindow t;
    TNL& nl = t.Nl();
    // A running outline, a curved column 15 mm wide, and a square outline with a region.
    auto run = nl::test::Polyline({{80, 100}, {380, 60}, {680, 100}});
    run->Flags |= OF_VISIBLE | OF_RUNNING;
    run->SetStitchTypeBits(ST_RUNNING);
    t.Add(std::move(run));
    t.Trigger(TCommand::CreateColumn);
    for (int i = 0; i <= 3; ++i)
        t.Click(80 + 120 * i, 200 + (i % 2) * 30);
    t.Click(20, 20, Qt::RightButton);
    for (int i = 0; i <= 3; ++i)
        t.Click(80 + 120 * i, 500 - (i % 2) * 150);
    t.Click(20, 20, Qt::RightButton);
    TSLCurve* square = t.Add(nl::test::ClosedOutline(nl::test::Square(640, 200, 300)));
    auto* region = static_cast<TSLRegion*>(nl.Sew.Add(nl::test::RegionOn(*square)));
    region->RegenerateFill(nl.StitchContext());
    nl.Sew.ClearSelection(OF_SELECTED_EDIT);

    // Design And Editing: the long satin stitches of the column in the highlight colour, and the
    // region of the clicked outline in the highlight look.
    t.Trigger(TCommand::HighlightLongSatin);
    t.Click(790, 197); // the square outline, just above its top side
    ASSERT_TRUE(square->Flags & OF_SELECTED_EDIT);
    QApplication::processEvents();
    QImage design = t.W.grab().toImage();
    ASSERT_TRUE(design.save(Shot("highlight-design")));
    EXPECT_TRUE(t.Shows(design, QRect(80, 200, 360, 300), HIGHLIGHT_COLOUR)) << "long satin stitches";
    EXPECT_TRUE(t.Shows(design, QRect(630, 190, 320, 320), HIGHLIGHT_BAND_COLOUR)) << "the outline's region";

    // Object Layout: every outline and region in the highlight look, long stitches not marked.
    t.Trigger(TCommand::ModeLayoutButton);
    QApplication::processEvents();
    QImage layout = t.W.grab().toImage();
    ASSERT_TRUE(layout.save(Shot("highlight-layout")));
    EXPECT_TRUE(t.Shows(layout, QRect(80, 55, 600, 50), HIGHLIGHT_BAND_COLOUR)) << "the running outline";
    EXPECT_FALSE(t.Shows(layout, QRect(80, 200, 360, 300), HIGHLIGHT_COLOUR));
    // Switched off from the Options menu, the bands go.
    t.Trigger(TCommand::HighlightOutlines);
    t.Trigger(TCommand::HighlightRegions);
    QApplication::processEvents();
    QImage plain = t.W.grab().toImage();
    EXPECT_FALSE(t.Shows(plain, QRect(0, 0, 1000, 600), HIGHLIGHT_BAND_COLOUR));
}

TEST(EditingWindow, RotateButtonTurnsTheSelectionByDragging) {
    TEditWindow t;
    TNL& nl = t.Nl();
    t.Trigger(TCommand::CreateDirect);
    for (int i = 0; i <= 20; ++i)
        t.Click(200 + 10 * i, 300);
    t.Click(20, 20, Qt::RightButton);
    t.Trigger(TCommand::ModeLayoutButton);
    t.Click(300, 300);
    ASSERT_TRUE(nl.Sew[0]->Flags & OF_SELECTED_LAYOUT);
    t.Trigger(TCommand::RotateMode);
    EXPECT_TRUE(t.W.Action(TCommand::RotateMode)->isChecked());
    // Grab the east end and pull it round to the south of the centre (300, 300).
    QTest::mousePress(t.W.View(), Qt::LeftButton, {}, QPoint(400, 300));
    for (int deg = 100; deg <= 180; deg += 10) {
        const double a = deg * 3.14159265358979 / 180;
        QTest::mouseMove(t.W.View(), QPoint(static_cast<int>(std::lround(300 + 100 * std::sin(a))),
                                            static_cast<int>(std::lround(300 - 100 * std::cos(a)))));
    }
    QTest::mouseRelease(t.W.View(), Qt::LeftButton, {}, QPoint(300, 400));
    const TSLStitch& o = *nl.Sew[0];
    EXPECT_NEAR(o[0].X, 300, 1.5);
    EXPECT_NEAR(o[0].Y, 200, 1.5);
    EXPECT_NEAR(o[20].X, 300, 1.5);
    EXPECT_NEAR(o[20].Y, 400, 1.5);
}

TEST(EditingWindow, CommandsOfFeaturesNotBuiltAreShownDisabled) {
    TEditWindow t;
    for (TCommand c : {TCommand::Mode3D}) {
        QAction* a = t.W.Action(c);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    }
    for (TCommand c : {TCommand::HighlightLongSatin, TCommand::HighlightOutlines, TCommand::HighlightRegions,
                       TCommand::RotateMode})
        EXPECT_TRUE(t.W.Action(c)->isEnabled()) << t.W.Action(c)->text().toStdString();
}

TEST(EditingWindow, PointJoinHighlightsTheEndsAndJoinsByClicks) {
    TEditWindow t;
    TNL& nl = t.Nl();
    for (auto anchors : {std::vector<std::pair<float, float>>{{100, 150}, {300, 100}, {450, 150}},
                         std::vector<std::pair<float, float>>{{550, 300}, {750, 250}, {900, 300}}}) {
        auto c = nl::test::Polyline(anchors);
        c->Flags |= OF_VISIBLE | OF_RUNNING;
        c->SetStitchTypeBits(ST_RUNNING);
        t.Add(std::move(c));
    }
    // "Join Outlines" on the first outline's end point.
    ASSERT_FALSE(nl.ContextMenuAt(450, 150).empty());
    nl.RunContextCommand(62);
    ASSERT_EQ(nl.Mode(), TMode::PointJoin);
    t.Click(550, 300); // marks the second outline
    QApplication::processEvents();
    QImage img = t.W.grab().toImage();
    ASSERT_TRUE(img.save(Shot("point-join")));
    EXPECT_TRUE(t.Shows(img, QRect(440, 140, 20, 20), 0x000080FF)) << "the end the join starts from";
    EXPECT_TRUE(t.Shows(img, QRect(540, 290, 20, 20), 0x00FF0000)) << "the marked outline's ends";
    t.Click(550, 300); // joins there
    EXPECT_EQ(nl.Mode(), TMode::DesignEdit);
    ASSERT_EQ(nl.Sew.Count(), 1);
    EXPECT_EQ(nl.Sew[0]->Count(), 13);
}
