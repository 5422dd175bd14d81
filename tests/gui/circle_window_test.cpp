// The circle tool in the window: "Circle" from the Create menu, the centre clicked, the radius
// dragged, and the "Circle Attributes Dialog" driven through its widgets while it runs modally;
// a picture of the dialog over the worksheet.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "GuiTest.h"
#include "core/Numeric.h"
#include "gui/CircleAttributesDialog.h"
#include "gui/MainWindow.h"
#include "gui/PropertiesDialog.h"
#include "gui/WorksheetView.h"
#include "stitching/Circle.h"
#include "stitching/SLCurve.h"

using namespace nl;
using F = TCircleField;
using T = TCircleToggle;

namespace {
struct TWin : nl::test::TAppFirst {
    TMainWindow W;
    std::vector<std::string> Asked;
    std::vector<TButton> Answers;
    TWin() {
        W.QtHost().AnswerHook = [this](const std::string& h, const std::string&, TButtons) {
            Asked.push_back(h);
            if (Answers.empty()) return TButton::OK;
            TButton b = Answers.front();
            Answers.erase(Answers.begin());
            return b;
        };
        W.resize(1000, 700);
        W.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&W));
        QApplication::processEvents();
        W.Controller().View.Zoom = 307; // two units a pixel
    }
    TNL& Nl() { return W.Controller(); }
    TWorksheetView* V() { return W.View(); }
    TCircleAttributesDialog* D() { return W.CircleDialog(); }
    // Runs `play` once the dialog is up (the click that opens it waits in the dialog's loop).
    void WhenOpen(std::function<void()> play) {
        QTimer::singleShot(0, [this, play] {
            EXPECT_TRUE(D()->isVisible());
            EXPECT_TRUE(D()->isModal());
            play();
        });
    }
    static void Enter(QLineEdit* e, const QString& text) {
        ASSERT_NE(e, nullptr);
        ASSERT_TRUE(e->isEnabled());
        nl::test::EnterText(e, text);
    }
    QAction* CreateMenuCircle() {
        for (QAction* m : W.menuBar()->actions())
            if (m->text() == "Create  ")
                for (QAction* a : m->menu()->actions())
                    if (a->text() == "Circle") return a;
        return nullptr;
    }
};
} // namespace

TEST(CircleWindow, ACircleIsClickedInAndShapedInItsDialog) {
    TWin t;
    QAction* circle = t.CreateMenuCircle();
    ASSERT_NE(circle, nullptr);
    ASSERT_TRUE(circle->isEnabled());
    circle->trigger();
    EXPECT_EQ(t.W.PromptLabel()->text(), " Left Click To Start An Outline Object. Right Click To Terminate.");

    // The centre at pixel (300, 350), world (600, 700); the radius follows the pointer.
    QTest::mouseClick(t.V(), Qt::LeftButton, {}, QPoint(300, 350));
    ASSERT_EQ(t.Nl().Sew.Count(), 1);
    auto* c = static_cast<TSLCurve*>(t.Nl().Sew[0]);
    QTest::mouseMove(t.V(), QPoint(400, 350));
    EXPECT_NEAR((*c)[3].X, 800, 2) << "the default circle reaches the pointer";

    QString shot;
    t.WhenOpen([&] {
        TCircleAttributesDialog* d = t.D();
        EXPECT_EQ(d->windowTitle(), "Circle Attributes Dialog");
        EXPECT_EQ(d->Field(F::Radius)->text(), "10.00") << "200 units";
        EXPECT_EQ(d->Field(F::OriginX)->text(), "30.00");
        EXPECT_FALSE(d->Field(F::Segments)->isEnabled());
        // A refused radius shows the previous one again; Return does not close the dialog.
        TWin::Enter(d->Field(F::Radius), "0.2");
        EXPECT_EQ(d->Field(F::Radius)->text(), "10.00");
        EXPECT_TRUE(d->isVisible());
        TWin::Enter(d->Field(F::Radius), "12.5");
        EXPECT_NEAR(Distance(600, 700, (*c)[0].X, (*c)[0].Y), 250, 1e-2) << "rebuilt at once";
        d->Check(T::Concentric)->click();
        EXPECT_EQ(d->Field(F::ConcentricRadius)->text(), "12.50")
            << "10 + 2.5 mm, set when the dialog opened";
        TWin::Enter(d->Field(F::ConcentricRadius), "15");
        d->Check(T::SegmentCircle)->click();
        EXPECT_TRUE(d->Field(F::Segments)->isEnabled());
        TWin::Enter(d->Field(F::Segments), "41");
        EXPECT_EQ(d->Field(F::Segments)->text(), "6");
        TWin::Enter(d->Field(F::Segments), "8");
        d->Check(T::BezierSegments)->click();
        TWin::Enter(d->Field(F::OffsetAngle), "382.5");
        EXPECT_EQ(d->Field(F::OffsetAngle)->text(), "22.5");
        EXPECT_EQ(t.Nl().Sew.Count(), 1 + 1 + 8);
        EXPECT_EQ(c->Count(), 25);

        // A picture of the dialog where it stands over the worksheet.
        QApplication::processEvents();
        QPixmap picture = t.W.grab();
        {
            QPainter p(&picture);
            p.drawPixmap(d->mapToGlobal(QPoint(0, 0)) - t.W.mapToGlobal(QPoint(0, 0)), d->grab());
        }
        shot = QDir::current().absoluteFilePath("screenshot-circle-dialog.png");
        EXPECT_TRUE(picture.save(shot));

        // Cancel asks; No stays in the dialog. Then OK keeps everything.
        t.Answers = {TButton::No};
        QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
        EXPECT_EQ(t.Asked.back(), "Cancel Circle Creation.");
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    QTest::mouseClick(t.V(), Qt::LeftButton, {}, QPoint(400, 350));
    EXPECT_FALSE(t.D()->isVisible());
    EXPECT_FALSE(shot.isEmpty());
    EXPECT_EQ(t.Nl().Creation(), TCreation::None);
    EXPECT_EQ(t.Nl().CircleDialog(), nullptr);
    ASSERT_EQ(t.Nl().Sew.Count(), 10);
    EXPECT_EQ(t.Nl().Sew[0], c);
    EXPECT_EQ(t.Nl().Sew.Current(), c);
    int parts = 0;
    for (int32_t i = 0; i < t.Nl().Sew.Count(); ++i)
        parts += (t.Nl().Sew[i]->StitchFlags & SF_CIRCLE_PART) ? 1 : 0;
    EXPECT_EQ(parts, 9);
    EXPECT_EQ(std::count(t.Asked.begin(), t.Asked.end(), "Circle Too Small"), 0);

    // An ordinary outline: the properties window stitches it as satin.
    t.Nl().ShowProperties(*c);
    QApplication::processEvents();
    ASSERT_TRUE(t.W.Properties()->isVisible());
    QRadioButton* satin = t.W.Properties()->Choice("Stitch Style", "Satin");
    ASSERT_NE(satin, nullptr);
    satin->click();
    ASSERT_TRUE(c->Outlines != nullptr);
    EXPECT_EQ(c->Outlines->Count(), c->AnchorCount());
    ASSERT_TRUE(c->Generated);
    EXPECT_GT(c->Generated->Count(), 100);
    t.W.Properties()->hide();
    QApplication::processEvents();
    EXPECT_TRUE(t.W.grab().save(QDir::current().absoluteFilePath("screenshot-circle-satin.png")));
}

TEST(CircleWindow, EscapeInTheDialogAsksAndYesDestroysTheCircle) {
    TWin t;
    t.W.Action(TCommand::CreateCircle)->trigger();
    QTest::mouseClick(t.V(), Qt::LeftButton, {}, QPoint(600, 300));
    t.WhenOpen([&] {
        // The click was 1 pixel (2 units) from the centre: set to 1 mm with the message.
        ASSERT_FALSE(t.Asked.empty());
        EXPECT_EQ(t.Asked.back(), "Circle Too Small");
        EXPECT_EQ(t.D()->Field(F::Radius)->text(), "1.00");
        t.D()->Check(T::SegmentCircle)->click();
        t.Answers = {TButton::Yes};
        QTest::keyClick(t.D(), Qt::Key_Escape);
    });
    QTest::mouseClick(t.V(), Qt::LeftButton, {}, QPoint(601, 300));
    EXPECT_FALSE(t.D()->isVisible());
    EXPECT_EQ(t.Asked.back(), "Cancel Circle Creation.");
    EXPECT_EQ(t.Nl().Sew.Count(), 0);
    EXPECT_EQ(t.Nl().Creation(), TCreation::None);
    EXPECT_FALSE(t.Nl().Sew.Modified);
}
