#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "../regions/TestShapes.h"
#include "../stitching/CurveHelpers.h"
#include "GuiTest.h"
#include "app/OrderMode.h"
#include "core/Colour.h"
#include "gui/MainWindow.h"
#include "gui/OrderPanel.h"
#include "gui/PropertiesDialog.h"
#include "regions/JumpNodes.h"
#include "regions/SLRegion.h"

using namespace nl;

namespace {

// A design of two outlines joined by a jump, a fill region and a direct stitch object, grouped
// and selected in Object Layout mode.
struct TOrderWindow : nl::test::TWindowFixture {
    TSLCurve *A = nullptr, *B = nullptr, *Square = nullptr;
    TSLRegion* Region = nullptr;
    TSLStitch* Direct = nullptr;
    TOrderWindow() {
        EXPECT_TRUE(Show(1200, 800, 614));
        TNL& nl = Nl();
        const TStitchContext ctx = nl.StitchContext();
        auto outline = [&](float y, int32_t colour) {
            auto c = nl::test::Polyline({{60, y}, {300, y + 60}, {540, y}});
            nl::test::MakeRunning(*c, 1, 30);
            c->Color = colour;
            c->OrderIndex = ORDER_UNPLACED;
            auto* raw = static_cast<TSLCurve*>(nl.Sew.Add(std::move(c)));
            raw->UpdateBounds(ctx);
            return raw;
        };
        A = outline(80, 0x0000C0);
        B = outline(220, 0x00A000);
        LinkOutlines(*A, *B, 25, 25);
        PropagateChain(*A);
        RegenerateChain(*A, ctx);
        Square = static_cast<TSLCurve*>(nl.Sew.Add(nl::test::ClosedOutline(nl::test::Square(640, 80, 300))));
        Square->UpdateBounds(ctx);
        Region = static_cast<TSLRegion*>(nl.Sew.Add(nl::test::RegionOn(*Square, ctx)));
        Region->FillColor = 0xC08000;
        Region->RegenerateFill(ctx);
        auto d = std::make_unique<TSLStitch>();
        d->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
        d->SetStitchTypeBits(ST_RUNNING);
        d->Append(TSP::Colour(0, 100, 450, 0x8000C0));
        for (int i = 1; i < 20; ++i)
            d->Append(TSP::Plain(0, 100.f + 20 * i, 450.f + (i % 2) * 40));
        d->UpdateBounds(ctx);
        Direct = nl.Sew.Add(std::move(d));
        nl.Execute(TCommand::ModeLayout);
        for (int32_t i = 0; i < nl.Sew.Count(); ++i)
            nl.Sew[i]->SetFlags(OF_SELECTED_LAYOUT);
        nl.Sew.ComposeGroup();
        nl.Sew.SelectedGroup();
        W.RefreshCommands();
    }
    template <typename T> T* Find(const char* name) {
        T* w = W.OrderPanel()->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Shot(const char* name) {
        QApplication::processEvents();
        W.View()->repaint();
        QImage shot = W.grab().toImage();
        ASSERT_FALSE(shot.isNull());
        ASSERT_TRUE(shot.save(nl::test::ShotPath(name)));
    }
};

} // namespace

TEST(OrderPanel, TheMenuCommandOpensThePanelAndItsButtonsDriveTheOrder) {
    TOrderWindow t;
    t.Trigger(TCommand::ChangeOrder);
    ASSERT_EQ(t.Nl().Mode(), TMode::ChangeOrder);
    ASSERT_TRUE(t.W.OrderPanel()->isVisible());
    QListWidget* list = t.W.OrderPanel()->List();
    // The chain is one element: outline A with B, the region, the direct object (the square
    // outline has no stitching type).
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(t.Find<QLabel>("Position")->text(), "Stitch 1 Of    3");
    EXPECT_FALSE(t.Find<QToolButton>("Back")->isEnabled());
    QTest::mouseClick(t.Find<QToolButton>("Forward"), Qt::LeftButton);
    EXPECT_EQ(t.Nl().OrderMode().Cursor(), 1);
    // Insert a trim after the current element.
    auto* trim = t.Find<QPushButton>("Trim");
    ASSERT_TRUE(trim->isEnabled());
    QTest::mouseClick(trim, Qt::LeftButton);
    EXPECT_TRUE(t.Nl().OrderMode().Current()->JumpVia);
    EXPECT_EQ(trim->text(), "Delete Trim");
    // Clicking the direct object on the worksheet puts it at the cursor.
    const TSLStitch* before = t.Nl().OrderMode().Elements()[1];
    EXPECT_NE(before, t.Direct);
    t.Click(t.Nl().View.ScreenX(140), t.Nl().View.ScreenY(450));
    EXPECT_EQ(t.Nl().OrderMode().Elements()[1], t.Direct);
    EXPECT_EQ(t.Nl().OrderMode().Cursor(), 2);
    EXPECT_EQ(t.W.OrderPanel()->List()->count(), 3);
    t.Shot("order-panel");
    // Exit ends the mode.
    QTest::mouseClick(t.Find<QPushButton>("Exit"), Qt::LeftButton);
    EXPECT_EQ(t.Nl().Mode(), TMode::ObjectLayout);
    EXPECT_FALSE(t.W.OrderPanel()->isVisible());
}

TEST(OrderPanel, SetJumpsPageOfARegionTakesClicksOnItsPath) {
    TOrderWindow t;
    t.Trigger(TCommand::SetJumps);
    TOrderMode& o = t.Nl().OrderMode();
    o.SetCursor(o.IndexOf(t.Region));
    t.Nl().ShowOrderPage(TOrderPage::SetJumps);
    t.W.OrderPanel()->Refresh();
    ASSERT_EQ(t.Nl().Mode(), TMode::SetJumps);
    EXPECT_EQ(t.W.OrderPanel()->Pages()->currentIndex(), 1);
    t.Click(t.Nl().View.ScreenX(790), t.Nl().View.ScreenY(80));
    EXPECT_NEAR(t.Region->EntryX, 790, 3);
    EXPECT_NEAR(t.Region->EntryY, 80, 3);
    t.Click(t.Nl().View.ScreenX(940), t.Nl().View.ScreenY(300));
    EXPECT_NEAR(t.Region->ExitX, 940, 3);
    EXPECT_NEAR(t.Region->ExitY, 300, 3);
    t.W.OrderPanel()->Refresh();
    t.Shot("order-set-jumps");
}

namespace {
// Pixels of a colour (within a small tolerance) in the thumbnail above its colour strip.
int PixelsOf(const QIcon& icon, int32_t colour) {
    const QImage img = icon.pixmap(kThumbnailSize, kThumbnailSize).toImage();
    const QColor want(ColourR(colour), ColourG(colour), ColourB(colour));
    int n = 0;
    for (int y = 1; y < kThumbnailSize - 5; ++y)
        for (int x = 1; x < kThumbnailSize - 1; ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                    std::abs(c.blue() - want.blue()) <
                30)
                ++n;
        }
    return n;
}
} // namespace

TEST(OrderPanel, ThumbnailsDrawEachElementsStitchesOnceAndAgainOnlyWhenItChanges) {
    TOrderWindow t;
    t.Trigger(TCommand::ChangeOrder);
    TOrderPanel* panel = t.W.OrderPanel();
    QListWidget* list = panel->List();
    ASSERT_EQ(list->count(), 3);
    TOrderMode& o = t.Nl().OrderMode();
    // Each thumbnail shows the element's stitches in its thread colour (a line, not a filled tile).
    const int chain = o.IndexOf(t.A), region = o.IndexOf(t.Region), direct = o.IndexOf(t.Direct);
    ASSERT_GE(chain, 0);
    const int a = PixelsOf(list->item(chain)->icon(), 0x0000C0);
    EXPECT_GT(a, 20);
    EXPECT_LT(a, (kThumbnailSize - 6) * (kThumbnailSize - 2) / 2);
    // Linked outlines share one colour: the chain is one drawing of that colour.
    EXPECT_EQ(t.B->Color, t.A->Color);
    EXPECT_GT(PixelsOf(list->item(region)->icon(), 0xC08000), 20);
    EXPECT_GT(PixelsOf(list->item(direct)->icon(), 0x8000C0), 20);
    // Stepping repaints the list but draws no thumbnail again.
    const int drawn = panel->ThumbnailsDrawn();
    QTest::mouseClick(t.Find<QToolButton>("Forward"), Qt::LeftButton);
    QTest::mouseClick(t.Find<QToolButton>("Forward"), Qt::LeftButton);
    panel->Refresh();
    EXPECT_EQ(panel->ThumbnailsDrawn(), drawn);
    // A colour change draws the changed element's thumbnail, and only that one.
    o.SetCursor(direct);
    t.Nl().Sew.Settings.SOWNormal = 0; // every element drawn stitched on the worksheet
    (*t.Direct)[0].ColourOrLink = 0x00C0C0;
    panel->Refresh();
    EXPECT_EQ(panel->ThumbnailsDrawn(), drawn + 1);
    EXPECT_GT(PixelsOf(list->item(direct)->icon(), 0x00C0C0), 20);
    o.SetCursor(0);
    panel->Refresh();
    t.Shot("order-thumbnails");
}

TEST(OrderPanel, DisplayOptionsOpenTheStitchOrderingPageWhoseChangesRedraw) {
    TOrderWindow t;
    t.Trigger(TCommand::ChangeOrder);
    QTest::mouseClick(t.Find<QPushButton>("DisplayOptions"), Qt::LeftButton);
    TPropertiesDialog* p = t.W.Properties();
    ASSERT_TRUE(p->isVisible());
    EXPECT_EQ(p->Tabs()->tabText(p->Tabs()->currentIndex()), "Stitch Ordering");
    // The current element's own pages stay beside it.
    EXPECT_GT(p->Tabs()->count(), 1);
    TWorksheetSettings& s = t.Nl().Sew.Settings;
    QRadioButton* stitched = p->Choice("Stitch Ordering", "Stitched");
    ASSERT_TRUE(stitched);
    EXPECT_TRUE(p->Choice("Stitch Ordering", "Outline")->isChecked());
    stitched->click();
    EXPECT_EQ(s.SOWNormal, 1);
    EXPECT_TRUE(t.Nl().Sew.Modified);
    QCheckBox* shade = p->Check("Stitch Ordering", "Shade Element");
    ASSERT_TRUE(shade);
    shade->click();
    EXPECT_TRUE(s.OrderHighlight);
    p->Check("Stitch Ordering", "Outline Element")->click();
    p->Check("Stitch Ordering", "Show Direction")->click();
    // The thickness keeps its range; a refusal says why.
    QLineEdit* thick = p->Field("Stitch Ordering", "Line Thickness");
    ASSERT_TRUE(thick);
    thick->setText("12");
    emit thick->editingFinished();
    EXPECT_EQ(s.ImageThick, 3);
    EXPECT_TRUE(p->RefusalLabel()->isVisible());
    thick->setText("5");
    emit thick->editingFinished();
    EXPECT_EQ(s.ImageThick, 5);
    EXPECT_FALSE(p->RefusalLabel()->isVisible());
    QApplication::processEvents();
    EXPECT_TRUE(p->grab().save(nl::test::ShotPath("properties-stitch-ordering")));
    t.Shot("order-display-options");
    // The page goes with the mode.
    QTest::mouseClick(t.Find<QPushButton>("Exit"), Qt::LeftButton);
    t.W.Properties()->Sync();
    for (const std::string& caption : t.W.Properties()->PageCaptions())
        EXPECT_NE(caption, "Stitch Ordering");
}
