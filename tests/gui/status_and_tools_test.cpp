// The main window a newcomer meets: tool buttons with icons, their hints and their state, the
// measurements in the status bar, and the worksheet in its thread colours at 50, 100 and 400 %.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolButton>

#include "GuiTest.h"
#include "app/Commands.h"
#include "core/Point.h"
#include "stitching/SLStitch.h"
#include "ui/StatusBar.h"

using namespace nl;
using namespace nl::test;

TEST(ToolButtons, EveryButtonHasItsOwnIconTheHintAndItsState) {
    TWindowFixture t;
    ASSERT_TRUE(t.Show(1100, 760));
    int buttons = 0;
    for (QToolBar* bar : t.W.findChildren<QToolBar*>()) {
        if (bar->windowTitle() != "Tools" && bar->windowTitle() != "Create") continue;
        for (QAction* a : bar->actions()) {
            if (a->isSeparator()) continue;
            ++buttons;
            const std::string hint = a->toolTip().toStdString();
            SCOPED_TRACE(hint);
            // The drawing is one of ours, valid SVG, and the button shows it, not a text.
            TCommand id = TCommand::Count_;
            for (const TCommandInfo& c : CommandTable())
                if (t.W.Action(c.Id) == a) id = c.Id;
            ASSERT_NE(id, TCommand::Count_);
            const TCommandInfo& info = CommandInfo(id);
            ASSERT_NE(info.Hint, nullptr);
            EXPECT_EQ(hint, info.Hint);
            EXPECT_EQ(a->statusTip().toStdString(), info.Hint);
            EXPECT_FALSE(ToolIconPath(id).isEmpty());
            EXPECT_TRUE(QSvgRenderer(ToolIconPath(id)).isValid());
            EXPECT_FALSE(a->icon().isNull());
            auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a));
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly);
            EXPECT_EQ(a->isCheckable(), info.Kind != TCommandKind::Action);
        }
        EXPECT_TRUE(
            bar->grab().save(ShotPath(bar->windowTitle() == "Tools" ? "toolbar-top" : "toolbar-create")));
    }
    EXPECT_EQ(buttons, 26 + 10);
    // Every drawing at twice the size, for a look at the details.
    QImage sheet(9 * 56, 4 * 56, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    {
        QPainter p(&sheet);
        int i = 0;
        for (const TCommandInfo& c : CommandTable()) {
            if (ToolIconPath(c.Id).isEmpty()) continue;
            QSvgRenderer(ToolIconPath(c.Id)).render(&p, QRectF(4 + 56 * (i % 9), 4 + 56 * (i / 9), 48, 48));
            ++i;
        }
    }
    EXPECT_TRUE(sheet.save(ShotPath("tool-icons")));
    // A toggle shows its state: pressed while it is on, and the mode buttons follow the mode.
    QAction* hide = t.W.Action(TCommand::HideOutlineStitches);
    EXPECT_FALSE(hide->isChecked());
    t.Trigger(TCommand::HideOutlineStitches);
    EXPECT_TRUE(hide->isChecked());
    EXPECT_TRUE(t.Nl().Toggles.HideOutlineStitches);
    EXPECT_TRUE(t.W.Action(TCommand::ModeEditButton)->isChecked());
    t.Trigger(TCommand::ModeLayoutButton);
    EXPECT_TRUE(t.W.Action(TCommand::ModeLayoutButton)->isChecked());
    EXPECT_FALSE(t.W.Action(TCommand::ModeEditButton)->isChecked());
}

TEST(StatusBar, PointerSizeAndCountsInMillimetres) {
    TWindowFixture t;
    ASSERT_TRUE(t.Show(1100, 760, 614)); // one unit a pixel
    TNL& nl = t.Nl();
    nl.View.ScrollX = nl.View.ScrollY = 0;
    auto* o = nl.Sew.AddNew<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    o->Append(TSP::Colour(0, 100, 100, 0x0000FF));
    o->Append(TSP::Plain(0, 300, 100));
    o->Append(TSP::Colour(0, 300, 400, 0xFF0000));
    t.W.RefreshCommands();
    EXPECT_EQ(t.W.SizeLabel()->text().trimmed().toStdString(), "Design 10.0 x 15.0 mm");
    EXPECT_EQ(t.W.CountsLabel()->text().trimmed().toStdString(), "3 stitches   2 colours");
    QTest::mouseMove(t.V(), QPoint(200, 50));
    QApplication::processEvents();
    EXPECT_EQ(t.W.PointerLabel()->text().trimmed().toStdString(), "X 10.00 mm   Y 2.50 mm");
    // The zoom keeps its place at the right end.
    QStatusBar* bar = t.W.statusBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->grab().save(ShotPath("statusbar")));
}

TEST(ThreadView, MulticolourExampleAtFiftyHundredAndFourHundredPercent) {
    TWindowFixture t;
    ASSERT_TRUE(t.Show(1100, 760));
    ASSERT_TRUE(t.Nl().OpenWorksheet(std::string(NL_SOURCE_DIR) + "/examples/multicolour.Nl1"));
    t.W.RefreshCommands();
    const TDesignSummary s = Summarise(t.Nl().Sew, 0);
    ASSERT_FALSE(s.Extent.Empty());
    EXPECT_GT(s.Colours, 1);
    for (int32_t zoom : {50, 100, 400}) {
        TView& v = t.Nl().View;
        v.Zoom = zoom;
        v.CentreOn((s.Extent.Left + s.Extent.Right) / 2, (s.Extent.Top + s.Extent.Bottom) / 2);
        t.W.RefreshCommands();
        t.V()->repaint();
        QApplication::processEvents();
        EXPECT_TRUE(t.W.grab().save(ShotPath(QString("main-window-%1").arg(zoom))));
    }
}
