#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <memory>

#include "GuiTest.h"
#include "gui/MainWindow.h"
#include "gui/QtCanvas.h"
#include "gui/QtHost.h"
#include "gui/WorksheetView.h"
#include "stitching/SLCurve.h"

using namespace nl;

// The system font library keeps a few blocks to the end of the program by design; the leak
// checker of sanitizer builds is told so.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {
using nl::test::App;
using nl::test::ShotPath;

struct TWindow : nl::test::TWindowFixture {
    TWindow() { EXPECT_TRUE(Show(1000, 700)); }
    QMenu* Menu(const QString& title) {
        for (QAction* a : W.menuBar()->actions())
            if (a->text() == title) return a->menu();
        return nullptr;
    }
};
} // namespace

TEST(MainWindow, StartsWithTheCaptionMenusAndToolButtons) {
    TWindow t;
    EXPECT_EQ(t.W.windowTitle(), "Nordelune ");
    QStringList titles;
    for (QAction* a : t.W.menuBar()->actions())
        if (a->isVisible()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"File  ", "Edit ", "Mode", "Create  ", "Visual  ", "Options  ",
                                   "Threads  ", "Properties   ", "Help   "}));
    ASSERT_NE(t.Menu("Text  "), nullptr) << "the text menu exists, hidden";
    QStringList create;
    for (QAction* a : t.Menu("Create  ")->actions())
        create << a->text();
    EXPECT_TRUE(create.contains("Curved Column ")) << create.join("|").toStdString();
    EXPECT_EQ(t.W.Action(TCommand::CreateOutline)->shortcut(), QKeySequence("F2"));
    EXPECT_TRUE(t.W.Action(TCommand::CreateLine)->shortcut().isEmpty());
    EXPECT_EQ(t.W.Action(TCommand::ModeEditButton)->toolTip(), "Design And Editing Mode");
    EXPECT_TRUE(t.W.Action(TCommand::ModeEditButton)->isChecked());
    EXPECT_FALSE(t.W.Action(TCommand::Mode3D)->isEnabled()) << "later features are shown disabled";
    EXPECT_TRUE(t.W.Action(TCommand::CreateFrame)->isEnabled());
    EXPECT_TRUE(t.W.Action(TCommand::CreateCircle)->isEnabled());
    EXPECT_TRUE(t.W.Action(TCommand::CreateCircle)->shortcut().isEmpty()) << "F6 switches stitching off";
    EXPECT_EQ(t.W.Controller().Mode(), TMode::DesignEdit);
}

TEST(MainWindow, ClickAnOutlineIntoExistence) {
    TWindow t;
    t.W.ShowSplash();
    ASSERT_TRUE(t.W.Splash() && t.W.Splash()->isVisible());
    TNL& nl = t.W.Controller();
    nl.View.Zoom = 307; // half a pixel per unit
    t.Trigger(TCommand::CreateOutline);
    EXPECT_EQ(t.W.PromptLabel()->text(), " Left Click To Start An Outline Object. Right Click To Terminate.");
    const QPoint pts[] = {{120, 300}, {200, 120}, {320, 480}, {420, 300}, {500, 140}, {620, 460}, {720, 300}};
    for (QPoint p : pts)
        t.Click(p.x(), p.y());
    QApplication::processEvents();
    EXPECT_FALSE(t.W.Splash() && t.W.Splash()->isVisible()) << "the splash closes at the first click";
    EXPECT_EQ(t.W.StatusLabel()->text(), " Right Click With Mouse To End Creation");
    t.Click(10, 10, Qt::RightButton);
    ASSERT_EQ(nl.Sew.Count(), 1);
    auto* o = nl.Sew[0];
    ASSERT_EQ(o->Kind(), KIND_CURVE);
    EXPECT_EQ(o->Count(), 7);
    EXPECT_NEAR((*o)[3].X, 420 * 2, 2);
    EXPECT_NEAR((*o)[3].Y, 300 * 2, 2);
    EXPECT_EQ(nl.Creation(), TCreation::None);
    EXPECT_TRUE(t.W.PromptLabel()->text().isEmpty());

    // A direct stitch object and a curved column beside it, then a picture of the window.
    t.Trigger(TCommand::CreateDirect);
    for (int i = 0; i < 12; ++i)
        t.Click(150 + 45 * i, 560 + (i % 2) * 40);
    t.Click(10, 10, Qt::RightButton);
    t.Trigger(TCommand::CreateColumn);
    for (int i = 0; i < 4; ++i)
        t.Click(760 + 20 * i, 150 + 90 * i);
    t.Click(10, 10, Qt::RightButton);
    for (int i = 0; i < 4; ++i)
        t.Click(820 + 20 * i, 130 + 90 * i);
    t.Click(10, 10, Qt::RightButton);
    EXPECT_EQ(nl.Sew.Count(), 4);
    QImage shot = t.W.grab().toImage();
    ASSERT_TRUE(shot.save(ShotPath("outline")));
    // Something besides the white worksheet was drawn where the outline runs.
    QPoint at = t.V()->mapTo(&t.W, QPoint(420, 300));
    QColor c = shot.pixelColor(at);
    EXPECT_NE(c, QColor(Qt::white));
}

TEST(MainWindow, RectangleSelectionInLayoutModeAndWheelZoom) {
    TWindow t;
    TNL& nl = t.W.Controller();
    nl.View.Zoom = 614;
    t.Trigger(TCommand::CreateDirect);
    t.Click(100, 100);
    t.Click(140, 120);
    t.Click(10, 10, Qt::RightButton);
    t.Trigger(TCommand::ModeLayoutButton);
    EXPECT_EQ(nl.Mode(), TMode::ObjectLayout);
    QTest::mousePress(t.V(), Qt::LeftButton, {}, QPoint(60, 60));
    QTest::mouseMove(t.V(), QPoint(120, 120));
    QTest::mouseMove(t.V(), QPoint(200, 200));
    QTest::mouseRelease(t.V(), Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_TRUE(nl.Sew[0]->Flags & OF_SELECTED_LAYOUT);
    EXPECT_TRUE(t.W.Action(TCommand::GroupSelection)->isEnabled());
    t.Trigger(TCommand::GroupSelection);
    EXPECT_EQ(t.Asked, (std::vector<std::string>{"Group Association"}));
    EXPECT_GT(nl.Sew[0]->GroupId, 0);

    QWheelEvent wheel(QPointF(300, 200), t.V()->mapToGlobal(QPointF(300, 200)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(t.V(), &wheel);
    EXPECT_EQ(nl.View.Zoom, 624);
    QTest::keyClick(t.V(), Qt::Key_O);
    EXPECT_EQ(nl.View.Zoom, 614);
}

TEST(MainWindow, KeysReachTheController) {
    TWindow t;
    TNL& nl = t.W.Controller();
    QTest::keyClick(&t.W, Qt::Key_F4); // the menu accelerator of "Direct Stitch "
    ASSERT_EQ(nl.Creation(), TCreation::DirectStitch);
    t.Click(200, 200);
    t.Click(260, 220);
    EXPECT_EQ(nl.Sew.Count(), 1);
    QTest::keyClick(t.V(), Qt::Key_Escape);
    EXPECT_EQ(nl.Creation(), TCreation::None);
    EXPECT_EQ(nl.Sew.Count(), 0);
    int32_t sx = nl.View.ScrollX;
    QTest::keyClick(t.V(), Qt::Key_Right);
    EXPECT_GT(nl.View.ScrollX, sx);
    QTest::keyClick(&t.W, Qt::Key_I, Qt::ControlModifier); // "Zoom &In"
    EXPECT_EQ(nl.View.Zoom, 105);
}

TEST(QtHost, MessageDialogShowsTheHeadingTextAndButtons) {
    App();
    TQtHost host;
    QString title, text;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "No") b->click();
    });
    TButton r = host.MessageDialog("Exit Nordelune ?", "OK To Exit ( Has Worksheet Been Saved ? ) ",
                                   TButton::Yes | TButton::No);
    EXPECT_EQ(r, TButton::No);
    EXPECT_EQ(title, "Exit Nordelune ?");
    EXPECT_EQ(text, "OK To Exit ( Has Worksheet Been Saved ? ) ");
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"No", "Yes"}));

    // An error shows the error icon.
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        box->buttons().front()->click();
    });
    EXPECT_EQ(host.MessageDialog("Unexpected File Format !", "x.Nl1 Is Not A Nordelune Worksheet ! ",
                                 Buttons(TButton::OK), TIcon::Error),
              TButton::OK);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(QtHost, FiltersAndClipboard) {
    App();
    EXPECT_EQ(ToQtFilter("Nordelune Worksheet ( *.Nl1 )|*.Nl1"), "Nordelune Worksheet ( *.Nl1 ) (*.Nl1)");
    EXPECT_EQ(ToQtFilter("All | *.pec;*.dst|Tajima ( *.dst )|*.dst"),
              "All (*.pec *.dst);;Tajima ( *.dst ) (*.dst)");
    TQtHost host;
    std::vector<uint8_t> bytes = {0x50, 0x05, 0, 0, 0, 0xFF, 1};
    host.SetClipboard(bytes);
    EXPECT_EQ(host.GetClipboard(), bytes);
    QGuiApplication::clipboard()->setText("plain text");
    EXPECT_TRUE(host.GetClipboard().empty()) << "only our own records are read back";
}

TEST(QtCanvas, DrawsLinesAndMarkersInThreadColours) {
    App();
    QImage img(60, 40, QImage::Format_RGB32);
    {
        QPainter p(&img);
        TQtCanvas c(p, img.rect());
        c.Clear(0x00FFFFFF);
        c.SetPen(0x000000FF); // red in 0x00BBGGRR
        c.Line(0, 5, 59, 5);
        c.Marker(30, 25, TMarker::FilledSquare, 5, 0x00FF0000); // blue
        c.Marker(500, 500, TMarker::Square, 5, 0);              // off the image: culled
    }
    EXPECT_EQ(img.pixelColor(20, 5), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(30, 25), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(10, 30), QColor(255, 255, 255));
}

TEST(QtCanvas, DirectPixelsAndThePainterAgreeAndStayInsideTheImage) {
    App();
    // RGB32 takes the direct pixel path, RGB888 the painter path; both must draw the same.
    auto draw = [](QImage::Format format) {
        QImage img(60, 40, format);
        QPainter p(&img);
        auto c = std::make_unique<TQtCanvas>(p, img.rect());
        c->Clear(0x00FFFFFF);
        c->SetPen(0x00008000);
        c->Polyline({{-50, -50}, {100, 100}}); // clipped at both ends
        c->Polyline({{-10, 45}, {80, 45}});    // wholly outside
        c->Line(5, 35, 55, 35);
        c->Marker(0, 0, TMarker::Square, 5, 0x000000FF); // partly outside
        c->Marker(59, 39, TMarker::FilledSquare, 5, 0x00FF0000);
        c->Marker(30, 10, TMarker::Square, 5, 0x00000000);
        c.reset(); // draws what the canvas still holds
        p.end();
        return img.convertToFormat(QImage::Format_RGB32);
    };
    QImage direct = draw(QImage::Format_RGB32), painted = draw(QImage::Format_RGB888);
    for (QPoint at : {QPoint(20, 20), QPoint(39, 39), QPoint(30, 35), QPoint(59, 39), QPoint(1, 1)})
        EXPECT_EQ(direct.pixelColor(at), painted.pixelColor(at)) << at.x() << "," << at.y();
    EXPECT_EQ(direct.pixelColor(20, 20), QColor(0, 128, 0));
    EXPECT_EQ(direct.pixelColor(30, 10), QColor(255, 255, 255)) << "a square marker is hollow";
    EXPECT_EQ(direct.pixelColor(28, 8), QColor(0, 0, 0));
}
