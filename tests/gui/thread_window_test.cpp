// Thread colours in the main window: the context menu's colour item, the colour pallet button with
// the dropper, the properties window's colour box with "RGB ...", and the Threads menu, each
// through the real catalog viewer and manager; the colour shows on the worksheet at once.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "../regions/TestShapes.h"
#include "GuiTest.h"
#include "core/Colour.h"
#include "gui/CatalogManagerDialog.h"
#include "gui/CatalogViewerDialog.h"
#include "gui/MainWindow.h"
#include "gui/PropertiesDialog.h"
#include "gui/RowList.h"
#include "gui/WorksheetView.h"
#include "regions/SLRegion.h"

using namespace nl;
using nl::test::WhenShown;

namespace {
QString Shot(const std::string& name) {
    return nl::test::ShotPath(QString::fromStdString("threads-" + name));
}

// How many pixels of the view show exactly this colour.
int PixelsOf(QWidget* view, int32_t colour) {
    QImage img = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb want = qRgb(ColourR(colour), ColourG(colour), ColourB(colour));
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == want;
    return n;
}

// A running outline across the top and a tatami region on a square outline below it, at one unit
// a pixel.
struct TWin : nl::test::TWindowFixture {
    TSLCurve* Outline = nullptr;
    TSLRegion* Region = nullptr;
    TWin() {
        EXPECT_TRUE(Show(1000, 700, 614));
        TNL& nl = W.Controller();
        nl.SetMode(TMode::DesignEdit);
        auto o = nl::test::Polyline({{60, 60}, {400, 60}, {700, 60}});
        o->Flags |= OF_VISIBLE | OF_RUNNING;
        o->SetStitchTypeBits(ST_RUNNING);
        o->OrderIndex = ORDER_UNPLACED;
        Outline = static_cast<TSLCurve*>(nl.Sew.Add(std::move(o)));
        Outline->UpdateBounds(nl.StitchContext());
        auto* square =
            static_cast<TSLCurve*>(nl.Sew.Add(nl::test::ClosedOutline(nl::test::Square(200, 150, 250))));
        square->UpdateBounds(nl.StitchContext());
        Region = static_cast<TSLRegion*>(nl.Sew.Add(nl::test::RegionOn(*square)));
        Region->RegenerateFill(nl.StitchContext());
        W.View()->update();
        QApplication::processEvents();
    }
    TCatalogViewerDialog* Viewer() { return W.CatalogViewer(); }
    // Chooses the catalog of this title in the open viewer and clicks its row at the top.
    int32_t ClickFirstRowOf(const std::string& title) {
        QComboBox* box = Viewer()->CatalogBox();
        box->setCurrentIndex(box->findText(QString::fromStdString(title)));
        const QPoint at(60, Viewer()->List()->RowHeight() + 5);
        QTest::mouseClick(Viewer()->List()->viewport(), Qt::LeftButton, {}, at);
        return Viewer()->Model().SelectedColour();
    }
};

} // namespace

TEST(ThreadWindow, ContextMenuColourItemRecoloursTheOutlineOnTheWorksheet) {
    TWin t;
    QStringList items;
    t.W.QtHost().MenuHook = [&](QMenu& menu, QPoint) -> QAction* {
        QAction* chosen = nullptr;
        for (QAction* a : menu.actions()) {
            items << a->text();
            if (a->text() == "Set Outline Color") chosen = a;
        }
        return chosen;
    };
    int32_t preselected = NO_COLOUR, chosen = NO_COLOUR;
    WhenShown([&] {
        EXPECT_TRUE(t.Viewer()->isVisible());
        EXPECT_TRUE(t.Viewer()->Button("Dropper")->isEnabled());
        preselected = t.Viewer()->Model().SelectedColour();
        chosen = t.ClickFirstRowOf("Madeira - Rayon");
        // The window with the viewer drawn where it stands over it.
        QImage shot = t.W.grab().toImage();
        {
            QPainter p(&shot);
            p.drawPixmap(t.W.mapFromGlobal(t.Viewer()->mapToGlobal(QPoint(0, 0))), t.Viewer()->grab());
        }
        EXPECT_TRUE(shot.save(Shot("window-with-viewer")));
        t.Viewer()->Button("OK")->click();
    });
    QTest::mouseClick(t.W.View(), Qt::RightButton, {}, QPoint(300, 60));
    t.W.QtHost().MenuHook = nullptr;
    EXPECT_TRUE(items.contains("Set Outline Color")) << items.join("|").toStdString();
    EXPECT_TRUE(items.contains("Outline Stitch Visible"));
    // The viewer opened on the outline's green, matched to the nearest thread.
    EXPECT_NE(preselected, NO_COLOUR);
    ASSERT_NE(chosen, NO_COLOUR);
    EXPECT_EQ(t.Outline->Color, chosen);
    QApplication::processEvents();
    EXPECT_GT(PixelsOf(t.W.View(), chosen), 100) << "the outline shows in its new thread";
    EXPECT_TRUE(t.W.grab().save(Shot("window-recoloured")));
}

TEST(ThreadWindow, PalletButtonWithTheDropperGivesTheRegionTheOutlinesThread) {
    TWin t;
    t.Outline->SetColor(MakeColour(0, 0, 0));
    TNL& nl = t.W.Controller();
    nl.Sew.ClearSelection(OF_SELECTED_EDIT);
    nl.Sew.SetCurrent(t.Region);
    t.W.RefreshCommands();
    QAction* pallet = t.W.Action(TCommand::ColourPalletButton);
    ASSERT_TRUE(pallet->isEnabled());
    int32_t afterDropper = NO_COLOUR;
    WhenShown([&] {
        // The dropper: the viewer steps aside; a click on the outline takes its black.
        t.Viewer()->Button("Dropper")->click();
        WhenShown([&] {
            EXPECT_FALSE(t.Viewer()->isVisible());
            EXPECT_NE(t.W.PromptLabel()->text().indexOf("Take Its Color"), -1);
            QTest::mouseClick(t.W.View(), Qt::LeftButton, {}, QPoint(300, 60));
            WhenShown([&] {
                afterDropper = t.Viewer()->Model().SelectedColour();
                t.Viewer()->Button("OK")->click();
            });
        });
    });
    pallet->trigger();
    EXPECT_EQ(afterDropper, MakeColour(0, 0, 0)); // a black thread matches exactly
    EXPECT_EQ(t.Region->FillColor, MakeColour(0, 0, 0));
    // The dropper's click went to the dropper only: the outline is not selected by it.
    EXPECT_FALSE(t.Outline->Flags & OF_SELECTED_EDIT);
}

TEST(ThreadWindow, PropertiesColourBoxAndTheThreadsMenu) {
    TWin t;
    TNL& nl = t.W.Controller();
    nl.ShowProperties(*t.Outline);
    QApplication::processEvents();
    ASSERT_TRUE(t.W.Properties()->isVisible());
    QPushButton* box = t.W.Properties()->Button("Stitch Style", "Color");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(t.W.Properties()->grab().save(Shot("properties-colour-box")));
    // "RGB ..." hands over to the platform colour dialog.
    t.Viewer()->RgbDialog = [](int32_t) { return MakeColour(12, 34, 56); };
    WhenShown([&] { t.Viewer()->Button("RGB ...")->click(); });
    box->click();
    EXPECT_EQ(t.Outline->Color, MakeColour(12, 34, 56));
    // The region page has its own box.
    nl.ShowProperties(*t.Region);
    QApplication::processEvents();
    ASSERT_NE(t.W.Properties()->Button("Region", "Color"), nullptr);

    // Threads menu: the viewer free-standing, then the manager (modal until OK).
    QAction* viewer = t.W.Action(TCommand::CatalogViewer);
    QAction* manager = t.W.Action(TCommand::ManageCatalog);
    ASSERT_TRUE(viewer->isEnabled());
    ASSERT_TRUE(manager->isEnabled());
    viewer->trigger();
    EXPECT_TRUE(t.Viewer()->isVisible());
    EXPECT_FALSE(t.Viewer()->Button("Apply")->isEnabled());
    t.Viewer()->Button("OK")->click();
    EXPECT_FALSE(t.Viewer()->isVisible());
    bool shown = false;
    WhenShown([&] {
        shown = t.W.CatalogManager()->isVisible();
        EXPECT_EQ(t.W.CatalogManager()->Model().Catalogs().size(), 12u);
        t.W.CatalogManager()->Button("", "OK")->click();
    });
    manager->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(t.W.CatalogManager()->isVisible());
}
