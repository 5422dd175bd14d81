// The properties window and the object context menu driven through the widgets: pages by object
// kind, entries applied at once or refused, the stitch type change of an outline, the envelope
// editor on the worksheet, and pictures of each page and of a satin column.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "../regions/TestShapes.h"
#include "GuiTest.h"
#include "core/Errors.h"
#include "gui/MainWindow.h"
#include "gui/PropertiesDialog.h"
#include "gui/WorksheetView.h"
#include "stitching/SLCurve.h"
#include "ui/EditOutlinePage.h"

using namespace nl;
using nl::test::FailingRunningOutline;
using nl::test::TFailingOutline;

namespace {
// Pictures land in the test program's working folder, out of the source tree.
QString Shot(const std::string& name) {
    QString n = QString::fromStdString(name).trimmed().replace(' ', '-').toLower();
    return nl::test::ShotPath("properties-" + n);
}

struct TWin : nl::test::TWindowFixture {
    TWin() { EXPECT_TRUE(Show(1000, 700, 307)); } // two units a pixel
    TPropertiesDialog* P() { return W.Properties(); }
    // An outline of two segments clicked in at pixel (x, y); it ends selected and current.
    TSLCurve* Outline(int x, int y) {
        W.Action(TCommand::CreateOutline)->trigger();
        for (int i = 0; i <= 6; ++i)
            Click(x + 60 * i, y + (i % 3 == 0 ? 0 : (i % 3 == 1 ? -60 : 60)));
        Click(x, y, Qt::RightButton);
        return static_cast<TSLCurve*>(Nl().Sew[Nl().Sew.Count() - 1]);
    }
    // An outline clicked in at (x, y) and made current, its properties shown and its stitch type
    // chosen there.
    TSLCurve* ShownOutline(int x, int y, const char* type) {
        TSLCurve* c = Outline(x, y);
        Nl().Sew.SetCurrent(c);
        Nl().ShowProperties(*c);
        P()->Choice("Stitch Style", type)->click();
        return c;
    }
    // Types into a number box and presses Return.
    static void Enter(QLineEdit* e, const QString& text) { nl::test::EnterText(e, text); }
    static size_t Stitches(const TSLCurve& c) {
        return c.Generated ? static_cast<size_t>(c.Generated->Count()) : 0;
    }
    static std::vector<float> Ys(const TSLCurve& c) {
        std::vector<float> v;
        if (c.Generated)
            for (const TSP& p : *c.Generated)
                v.push_back(p.Y);
        return v;
    }
    void ShootPages(const std::string& kind) {
        for (const std::string& page : P()->PageCaptions()) {
            ASSERT_TRUE(P()->SelectPage(page));
            QApplication::processEvents();
            EXPECT_TRUE(
                P()->grab().save(Shot(kind + " " + QString::fromStdString(page).trimmed().toStdString())));
        }
    }
};
} // namespace

TEST(PropertiesWindow, OutlineSwitchedToRunningThenTuned) {
    TWin t;
    TSLCurve* c = t.Outline(100, 300);
    EXPECT_EQ(TWin::Stitches(*c), 0u) << "a new outline has no stitches";
    // A double click on the first anchor opens the window on the outline.
    QTest::mouseDClick(t.V(), Qt::LeftButton, {}, QPoint(100, 300));
    QApplication::processEvents();
    ASSERT_TRUE(t.P()->isVisible());
    EXPECT_EQ(t.P()->windowTitle(), "Object Properties");
    EXPECT_EQ(t.P()->Object(), c);
    EXPECT_EQ(t.P()->PageCaptions(), (std::vector<std::string>{"Stitch Style", "Outline"}));

    QRadioButton* running = t.P()->Choice("Stitch Style", "Running");
    ASSERT_NE(running, nullptr);
    running->click();
    EXPECT_TRUE(c->Flags & OF_RUNNING);
    EXPECT_TRUE(t.P()->Check("Stitch Style", "Stitch Object Visible")->isChecked());
    const size_t atTwoMm = TWin::Stitches(*c);
    EXPECT_GT(atTwoMm, 2u);

    // A shorter running stitch: more needle points, at once.
    TWin::Enter(t.P()->Field("Outline", "Running Density"), "1");
    EXPECT_EQ(c->RunLength, 20);
    EXPECT_GT(TWin::Stitches(*c), atTwoMm);
    EXPECT_EQ(t.P()->Field("Outline", "Running Density")->text(), "1.00");

    // Out of range entries are refused, the box shows the old value again and the window says why.
    EXPECT_FALSE(t.P()->RefusalLabel()->isVisible());
    TWin::Enter(t.P()->Field("Outline", "Passes"), "0");
    EXPECT_EQ(c->Passes, 2);
    EXPECT_EQ(t.P()->Field("Outline", "Passes")->text(), "2");
    EXPECT_TRUE(t.P()->RefusalLabel()->isVisible());
    EXPECT_EQ(t.P()->RefusalLabel()->text(),
              "Passes: 0 is outside the range 1 to 50. The previous value is kept.");
    t.P()->SelectPage("Outline");
    EXPECT_TRUE(t.P()->grab().save(Shot("refused-entry")));
    TWin::Enter(t.P()->Field("Outline", "Passes"), "abc");
    EXPECT_EQ(c->Passes, 2);
    EXPECT_EQ(t.P()->RefusalLabel()->text(), "Passes: \"abc\" is not a number. The previous value is kept.");
    const size_t twoPasses = TWin::Stitches(*c);
    TWin::Enter(t.P()->Field("Outline", "Passes"), "50");
    EXPECT_EQ(c->Passes, 50);
    // An accepted entry clears the message.
    EXPECT_FALSE(t.P()->RefusalLabel()->isVisible());
    EXPECT_GT(TWin::Stitches(*c), twoPasses);
    TWin::Enter(t.P()->Field("Outline", "Passes"), "3");
    // Satin-only fields are shown but not editable on a running outline.
    EXPECT_FALSE(t.P()->Field("Outline", "Compensation")->isEnabled());
    EXPECT_TRUE(t.Nl().Sew.Modified);
    t.ShootPages("running");
}

TEST(PropertiesWindow, CloseButtonAndTheWindowKeepsItsPlaceAndSize) {
    TWin t;
    TSLCurve* c = t.ShownOutline(100, 300, "Running");
    ASSERT_TRUE(t.P()->isVisible());
    ASSERT_NE(t.P()->CloseButton(), nullptr);
    EXPECT_EQ(t.P()->CloseButton()->text().remove('&'), "Close");
    // Return in a number box does not close the window.
    TWin::Enter(t.P()->Field("Outline", "Passes"), "4");
    EXPECT_TRUE(t.P()->isVisible());
    const QRect placed(140, 120, 640, 520);
    t.P()->setGeometry(placed);
    QApplication::processEvents();
    const QRect before = t.P()->geometry();
    t.P()->CloseButton()->click();
    EXPECT_FALSE(t.P()->isVisible());
    t.Nl().ShowProperties(*c);
    QApplication::processEvents();
    ASSERT_TRUE(t.P()->isVisible());
    EXPECT_EQ(t.P()->geometry(), before);
}

TEST(PropertiesWindow, SatinOutlinePagesEnvelopeAndFeather) {
    TWin t;
    TSLCurve* c = t.ShownOutline(120, 300, "Satin");
    ASSERT_TRUE(c->Outlines);
    EXPECT_EQ(t.P()->PageCaptions(),
              (std::vector<std::string>{"Stitch Style", "Outline", "   Edit Outline", "Fill Pattern"}));
    ASSERT_GT(TWin::Stitches(*c), 4u);

    // Upper height 3 mm: a wider column of satin.
    auto before = TWin::Ys(*c);
    TWin::Enter(t.P()->Field("Outline", "Upper Height"), "3");
    EXPECT_FLOAT_EQ((*c->Outlines)[0]->HeightA, 60.f);
    EXPECT_NE(TWin::Ys(*c), before);
    TWin::Enter(t.P()->Field("Outline", "Upper Height"), "101");
    EXPECT_FLOAT_EQ((*c->Outlines)[0]->HeightA, 60.f);

    // The envelope page hands its editor to the worksheet while it is the page shown.
    ASSERT_TRUE(t.P()->SelectPage("   Edit Outline"));
    ASSERT_NE(t.P()->Envelope(), nullptr);
    EXPECT_EQ(t.Nl().EnvelopeEditor(), t.P()->Envelope());
    TEditOutlinePage& e = *t.P()->Envelope();
    double hx, hy;
    ASSERT_TRUE(e.HandlePoint(TEnvelopeHandle::P2, hx, hy));
    const double p2 = e.Height(TEnvelopeHandle::P2);
    const QPoint from(t.Nl().View.ScreenX(hx), t.Nl().View.ScreenY(hy));
    const double ay = c->Perpendiculars(10, 0.4f, 1.0).A.Y2 - c->Perpendiculars(10, 0.4f, 1.0).A.Y1;
    const QPoint to = from + QPoint(0, ay < 0 ? -25 : 25);
    QTest::mousePress(t.V(), Qt::LeftButton, {}, from);
    QTest::mouseMove(t.V(), (from + to) / 2);
    QTest::mouseMove(t.V(), to);
    QTest::mouseRelease(t.V(), Qt::LeftButton, {}, to);
    EXPECT_GT(e.Height(TEnvelopeHandle::P2), p2 + 20);
    // The window shows the new height after the drag.
    EXPECT_EQ(t.P()->Field("   Edit Outline", "P2 Height")->text().toDouble(),
              std::round(e.Height(TEnvelopeHandle::P2) * 100) / 100);
    EXPECT_TRUE(t.V()->grab().save(Shot("worksheet-envelope")));
    ASSERT_TRUE(t.P()->SelectPage("Outline"));
    EXPECT_EQ(t.Nl().EnvelopeEditor(), nullptr);

    // Feathering adds its page; a new seed gives other stitches.
    t.P()->Check("Stitch Style", "Feather Stitching")->click();
    ASSERT_TRUE(t.P()->SelectPage("Feather Stitch"));
    t.P()->Check("Feather Stitch", "Feather Above")->click();
    TWin::Enter(t.P()->Field("Feather Stitch", "Feather Width"), "1.5");
    auto feathered = TWin::Ys(*c);
    t.P()->Button("Feather Stitch", "New Random Seed")->click();
    EXPECT_NE(TWin::Ys(*c), feathered);
    t.ShootPages("satin");

    // Back to running asks first; No keeps the width profile and the satin choice.
    t.Answer = TButton::No;
    t.P()->Choice("Stitch Style", "Running")->click();
    EXPECT_EQ(t.Asked.back(), "OK To Change Stitch Attributes ?");
    EXPECT_TRUE(c->Outlines);
    EXPECT_TRUE(t.P()->Choice("Stitch Style", "Satin")->isChecked());
    t.Answer = TButton::Yes;
    t.P()->Choice("Stitch Style", "Running")->click();
    EXPECT_FALSE(c->Outlines);
    EXPECT_EQ(t.P()->PageCaptions(), (std::vector<std::string>{"Stitch Style", "Outline"}));
}

TEST(PropertiesWindow, EveryNumberBoxTakesTheUsersDecimalComma) {
    // The envelope's boxes once read numbers only in the C form, unlike every other box.
    struct TLocaleScope {
        QLocale Saved;
        TLocaleScope() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
        ~TLocaleScope() { QLocale::setDefault(Saved); }
    } german;
    TWin t;
    TSLCurve* c = t.ShownOutline(120, 300, "Satin");
    ASSERT_TRUE(c->Outlines);
    TWin::Enter(t.P()->Field("Outline", "Upper Height"), "2,5");
    EXPECT_FLOAT_EQ((*c->Outlines)[0]->HeightA, 50.f);
    ASSERT_TRUE(t.P()->SelectPage("   Edit Outline"));
    TWin::Enter(t.P()->Field("   Edit Outline", "P1 Height"), "1,5");
    EXPECT_FLOAT_EQ((*c->Outlines)[0]->HeightA, 30.f);
    TWin::Enter(t.P()->Field("   Edit Outline", "P1 Height"), "1.25");
    EXPECT_FLOAT_EQ((*c->Outlines)[0]->HeightA, 25.f);
}

TEST(PropertiesWindow, ColumnFromTheContextMenuAndFollowingTheCurrentObject) {
    TWin t;
    TNL& nl = t.Nl();
    t.W.Action(TCommand::CreateColumn)->trigger();
    for (int i = 0; i < 7; ++i)
        t.Click(120 + 100 * i, 250 + (i % 3 == 1 ? -40 : 0));
    t.Click(10, 10, Qt::RightButton);
    for (int i = 0; i < 7; ++i)
        t.Click(120 + 100 * i, 330 + (i % 3 == 1 ? 40 : 0) + (i == 3 ? 40 : 0));
    t.Click(10, 10, Qt::RightButton);
    ASSERT_EQ(nl.Sew.Count(), 2);
    auto* a = static_cast<TSLCurve*>(nl.Sew[0]);
    ASSERT_TRUE(a->Flags & OF_RAIL_A);
    ASSERT_GT(TWin::Stitches(*a), 10u);

    // Right click on rail B: the menu offers the column's properties.
    QStringList items;
    t.W.QtHost().MenuHook = [&](QMenu& menu, QPoint) -> QAction* {
        for (QAction* act : menu.actions())
            items << act->text();
        return menu.actions().first();
    };
    t.Click(120, 330, Qt::RightButton);
    t.W.QtHost().MenuHook = nullptr;
    QApplication::processEvents();
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.first(), "Curved Column Properties") << items.join("|").toStdString();
    EXPECT_TRUE(items.contains("Reverse Stitching Direction"));
    ASSERT_TRUE(t.P()->isVisible());
    EXPECT_EQ(t.P()->Object(), a) << "either rail opens the column";
    EXPECT_EQ(t.P()->PageCaptions(),
              (std::vector<std::string>{"Stitch Style", "Curved Column", "Fill Pattern"}));
    const size_t at5 = TWin::Stitches(*a);
    TWin::Enter(t.P()->Field("Curved Column", "Stitch Density"), "7");
    EXPECT_EQ(a->Density, 70);
    EXPECT_GT(TWin::Stitches(*a), at5);
    TWin::Enter(t.P()->Field("Curved Column", "Stitch Density"), "0.5");
    EXPECT_EQ(a->Density, 70);
    t.P()->Check("Curved Column", "Feather Stitching")->click();
    EXPECT_EQ(t.P()->PageCaptions().back(), "Feather Stitch");
    t.ShootPages("column");
    t.P()->Check("Curved Column", "Feather Stitching")->click();

    // The worksheet with the satin column and its handles.
    t.W.Action(TCommand::ShowColumnHandles)->trigger();
    nl.Sew.ClearSelection(OF_SELECTED_EDIT);
    t.V()->update();
    QApplication::processEvents();
    EXPECT_TRUE(t.W.grab().save(Shot("worksheet-satin-column")));
    // A closer look at the left half.
    nl.View.Zoom = 1000;
    nl.View.CentreOn((*a)[3].X - 300, (*a)[3].Y + 80);
    t.V()->update();
    QApplication::processEvents();
    EXPECT_TRUE(t.V()->grab().save(Shot("worksheet-satin-column-close")));
    nl.View.Zoom = 307;
    nl.View.ScrollX = nl.View.ScrollY = 0;

    // A click on another object moves the open window to it.
    TSLCurve* o = t.Outline(150, 550);
    t.Click(150, 550);
    QApplication::processEvents();
    EXPECT_EQ(nl.Sew.Current(), o);
    EXPECT_EQ(t.P()->Object(), o);
    EXPECT_EQ(t.P()->PageCaptions().at(1), "Outline");
}

TEST(PropertiesWindow, RegionPageAndADeletedObject) {
    TWin t;
    TNL& nl = t.Nl();
    auto* outline =
        static_cast<TSLCurve*>(nl.Sew.Add(nl::test::ClosedOutline(nl::test::Square(200, 200, 600))));
    outline->UpdateBounds(nl.StitchContext());
    auto* region = static_cast<TSLRegion*>(nl.Sew.Add(nl::test::RegionOn(*outline)));
    region->RegenerateFill({});
    nl.Sew.SetCurrent(region);
    nl.ShowProperties(*region);
    EXPECT_EQ(t.P()->PageCaptions(), std::vector<std::string>{"Region"});
    ASSERT_NE(t.P()->Field("Region", " Rotate  "), nullptr) << "captions as the page gives them";
    std::vector<float> before;
    for (const TSP& p : *region->FillStitches)
        before.push_back(p.X);
    TWin::Enter(t.P()->Field("Region", " Rotate  "), "45");
    EXPECT_FLOAT_EQ(region->Rotation, 45.f);
    std::vector<float> after;
    for (const TSP& p : *region->FillStitches)
        after.push_back(p.X);
    EXPECT_NE(after, before);
    TWin::Enter(t.P()->Field("Region", " Rotate  "), "400");
    EXPECT_FLOAT_EQ(region->Rotation, 45.f);
    EXPECT_EQ(t.P()->Field("Region", " Rotate  ")->text(), "45.00");
    t.ShootPages("region");

    // The object goes: the window lets go of it.
    nl.Sew.DeleteObject(region);
    t.W.RefreshCommands();
    EXPECT_EQ(t.P()->Object(), nullptr);
}

TEST(PropertiesWindow, EntryPendingWhileItsObjectGoesDoesNothing) {
    TWin t;
    TSLCurve* c = t.Outline(100, 300);
    t.Nl().ShowProperties(*c);
    t.P()->Choice("Stitch Style", "Running")->click();
    QLineEdit* passes = t.P()->Field("Outline", "Passes");
    ASSERT_NE(passes, nullptr);
    ASSERT_TRUE(t.P()->SelectPage("Outline"));
    t.P()->activateWindow();
    passes->setFocus();
    passes->selectAll();
    QTest::keyClicks(passes, "7"); // typed, not yet entered
    // The outline is deleted from the worksheet; the box loses its focus as its page goes.
    t.Nl().SetMode(TMode::ObjectLayout);
    c->SetFlags(OF_SELECTED_LAYOUT);
    t.W.RefreshCommands();
    ASSERT_TRUE(t.W.Action(TCommand::Delete)->isEnabled());
    t.W.Action(TCommand::Delete)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(t.Nl().Sew.Count(), 0);
    EXPECT_EQ(t.P()->Object(), nullptr);
    EXPECT_TRUE(t.P()->PageCaptions().empty());
}

TEST(PropertiesWindow, ClosesWhenTheObjectCannotBeGenerated) {
    TWin t;
    auto* c = static_cast<TFailingOutline*>(t.Nl().Sew.Add(FailingRunningOutline({{200, 300}, {600, 300}})));
    c->UpdateBounds(t.Nl().StitchContext());
    t.Nl().ShowProperties(*c);
    ASSERT_TRUE(t.P()->isVisible());
    EXPECT_EQ(t.P()->Object(), c);
    c->Fail = true;
    t.V()->setFocus();
    QTest::keyClick(t.V(), Qt::Key_F5);
    QApplication::processEvents();
    EXPECT_FALSE(t.P()->isVisible());
    EXPECT_FALSE(c->Flags & OF_VISIBLE);
}

TEST(ContextMenu, OnScreenAtTheObjectWithItsItemsState) {
    TWin t;
    t.ShownOutline(50, 300, "Running");
    t.P()->resize(500, 420);
    t.P()->move(t.W.geometry().right() - 510, t.W.geometry().top() + 80);
    QApplication::processEvents();
    // A right click on the inner anchor of the running outline: the menu opens there, and a
    // picture of the window with the menu (and the properties window) over it is kept.
    QStringList items;
    bool forceCheckable = false;
    QPoint where;
    t.W.QtHost().MenuHook = [&](QMenu& menu, QPoint at) -> QAction* {
        where = at;
        for (QAction* a : menu.actions()) {
            items << a->text();
            if (a->text() == "Force Stitch At This Point") forceCheckable = a->isCheckable();
        }
        menu.popup(at);
        QApplication::processEvents();
        QImage shot = t.W.grab().toImage();
        {
            QPainter p(&shot);
            const QPoint origin = t.W.mapFromGlobal(t.P()->mapToGlobal(QPoint(0, 0)));
            p.drawPixmap(origin, t.P()->grab());
            p.drawPixmap(t.W.mapFromGlobal(at), menu.grab());
        }
        EXPECT_TRUE(shot.save(Shot("context-menu")));
        menu.close();
        return nullptr;
    };
    t.Click(230, 300, Qt::RightButton);
    t.W.QtHost().MenuHook = nullptr;
    EXPECT_EQ(where, t.V()->mapToGlobal(QPoint(230, 300)));
    EXPECT_EQ(items.value(0), "Outline Properties") << items.join("|").toStdString();
    EXPECT_TRUE(items.contains("Transform To Line"));
    EXPECT_TRUE(items.contains("Force Stitch At This Point"));
    EXPECT_TRUE(forceCheckable);
}
