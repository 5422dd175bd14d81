#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "GuiTest.h"
#include "formats/Import.h"
#include "gui/MainWindow.h"
#include "gui/SimulatorWindow.h"
#include "gui/WorksheetView.h"

using namespace nl;

namespace {

// The main window with the Star design (2550 stitches in 2 colour blocks) selected in Object
// Layout and fitted into the view.
struct TSimWindow : nl::test::TWindowFixture {
    TSimWindow() {
        W.QtHost().AnswerHook = [this](const std::string& h, const std::string& t, TButtons) {
            Asked.push_back(h + " / " + t);
            return TButton::OK;
        };
        TNL& nl = W.Controller();
        TSLStitch* star = AddImport(nl.Sew, ReadStitchFile(std::string(NL_FIXTURES_DIR) + "/Star.DST"));
        star->UpdateBounds(nl.StitchContext());
        EXPECT_TRUE(Show(1200, 800));
        nl.Execute(TCommand::ModeLayout);
        star->SetFlags(OF_SELECTED_LAYOUT);
        W.RefreshCommands();
    }
    TSewSimulator& Sim() { return W.Controller().Simulator(); }
    template <typename T> T* Find(const char* name) {
        T* w = W.Simulator()->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Press(const char* name) {
        auto* b = Find<QAbstractButton>(name);
        ASSERT_TRUE(b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void Enter(const char* field, const QString& text) { nl::test::EnterText(Find<QLineEdit>(field), text); }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
    void Open() {
        QAction* sim = W.Action(TCommand::SewHighlighted);
        ASSERT_TRUE(sim->isEnabled());
        sim->trigger();
        QApplication::processEvents();
        ASSERT_EQ(W.Controller().Mode(), TMode::SewSimulation);
        QTest::qWait(20); // the view makes room for the window
        TKvRect b = W.Controller().Simulator().List().Bounds();
        W.Controller().View.ZoomToRect(b.Left, b.Top, b.Right, b.Bottom);
        W.RefreshCommands();
        W.View()->update();
        QApplication::processEvents();
    }
};

} // namespace

TEST(SimulatorWindow, TheSimButtonOpensItAndExitLeavesTheMode) {
    TSimWindow t;
    EXPECT_FALSE(t.W.Simulator()->isVisible());
    t.Open();
    EXPECT_TRUE(t.W.Simulator()->isVisible());
    EXPECT_EQ(t.W.Simulator()->windowTitle(), "Sewing Simulator");
    // Every other command waits.
    for (TCommand id : {TCommand::SewHighlighted, TCommand::ModeEdit, TCommand::FileNew,
                        TCommand::CreateOutline, TCommand::ExportButton, TCommand::GroupSelection})
        EXPECT_FALSE(t.W.Action(id)->isEnabled());
    EXPECT_EQ(t.Text("stitchCount"), "2550");
    EXPECT_EQ(t.Text("blockCount"), "2");
    EXPECT_EQ(t.Text("size"), "59.1 x 62.3 mm");
    EXPECT_EQ(t.Text("status"), "1  Of  2550");
    EXPECT_TRUE(t.Text("block").startsWith("1 Of 2")) << t.Text("block").toStdString();
    t.Press("exit");
    EXPECT_FALSE(t.W.Simulator()->isVisible());
    EXPECT_EQ(t.W.Controller().Mode(), TMode::ObjectLayout);
    EXPECT_TRUE(t.W.Action(TCommand::SewHighlighted)->isEnabled());
    // Closing the window is Exit too.
    t.Open();
    t.W.Simulator()->close();
    EXPECT_EQ(t.W.Controller().Mode(), TMode::ObjectLayout);
    EXPECT_FALSE(t.W.Simulator()->isVisible());
    EXPECT_TRUE(t.Asked.empty());
}

TEST(SimulatorWindow, TheControlsDriveTheSimulator) {
    TSimWindow t;
    t.Open();
    auto& sim = t.Sim();
    EXPECT_FALSE(t.Find<QToolButton>("back")->isEnabled());
    t.Press("forward");
    t.Press("forward");
    EXPECT_EQ(sim.Cursor(), 2);
    EXPECT_EQ(t.Text("status"), "3  Of  2550");
    t.Press("back");
    EXPECT_EQ(sim.Cursor(), 1);
    t.Press("blockForward");
    EXPECT_EQ(sim.Cursor(), sim.List().Blocks()[1].First);
    EXPECT_TRUE(t.Text("block").startsWith("2 Of 2"));
    t.Press("blockBack");
    EXPECT_EQ(sim.Cursor(), 0);
    t.Enter("stitchNumber", "1000");
    EXPECT_EQ(sim.Cursor(), 999);
    EXPECT_EQ(t.Find<QSlider>("slider")->value(), 1000);
    t.Enter("stitchNumber", "99999"); // beyond the count: the last stitch
    EXPECT_EQ(sim.Cursor(), 2549);
    t.Enter("stitchNumber", "many"); // not a number: the field shows the cursor again
    EXPECT_EQ(sim.Cursor(), 2549);
    EXPECT_EQ(t.Find<QLineEdit>("stitchNumber")->text(), "2550");
    t.Find<QSlider>("slider")->setValue(500);
    EXPECT_EQ(sim.Cursor(), 499);
    // The wheel over the window steps by one stitch.
    QWheelEvent up(QPointF(20, 20), t.W.Simulator()->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(t.W.Simulator(), &up);
    EXPECT_EQ(sim.Cursor(), 500);

    // Speed: refused outside 1..10000, the field keeps the previous value.
    t.Enter("speed", "0.5");
    EXPECT_EQ(sim.Speed(), 40.0);
    EXPECT_EQ(t.Find<QLineEdit>("speed")->text(), "40");
    t.Enter("speed", "1000");
    EXPECT_EQ(sim.Speed(), 1000.0);

    // Play runs on the platform's timer; stepping and Rewind wait while it plays.
    t.Press("play");
    EXPECT_TRUE(sim.Playing());
    EXPECT_EQ(t.Find<QToolButton>("play")->text(), "Pause");
    EXPECT_FALSE(t.Find<QToolButton>("forward")->isEnabled());
    EXPECT_FALSE(t.Find<QToolButton>("rewind")->isEnabled());
    QTest::qWait(300);
    EXPECT_GT(sim.Cursor(), 500);
    t.Press("play");
    EXPECT_FALSE(sim.Playing());
    EXPECT_EQ(t.Find<QToolButton>("play")->text(), "Play");
    const int32_t paused = sim.Cursor();
    QTest::qWait(120);
    EXPECT_EQ(sim.Cursor(), paused);
    t.Press("rewind");
    EXPECT_EQ(sim.Cursor(), 0);

    // The view options and colours.
    t.Find<QCheckBox>("showPoints")->setChecked(false);
    EXPECT_FALSE(sim.Settings.ShowPoints);
    t.Find<QCheckBox>("keepInView")->setChecked(false);
    EXPECT_FALSE(sim.Settings.KeepInView);
    t.Find<QComboBox>("jumps")->setCurrentIndex(2);
    EXPECT_EQ(sim.Settings.Jumps, TJumpLook::Hidden);
    t.W.Simulator()->PickColour = [](int32_t& c, const QString&) {
        c = 0x00102030;
        return true;
    };
    t.Press("background");
    EXPECT_EQ(sim.Settings.Background, 0x00102030);
    t.W.Simulator()->PickColour = [](int32_t&, const QString&) { return false; };
    t.Press("needle");
    EXPECT_EQ(sim.Settings.NeedleColour, TSimSettings().NeedleColour);
}

TEST(SimulatorWindow, MidSewPicture) {
    TSimWindow t;
    t.Open();
    t.Sim().GoToStitch(1800);
    QApplication::processEvents();
    t.W.View()->repaint();
    QImage shot = t.W.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QString path = nl::test::ShotPath("simulator");
    ASSERT_TRUE(shot.save(path));
    if (const char* copy = std::getenv("NL_SHOT_COPY")) shot.save(copy);
    // The view shows the simulator's background and both threads; the needle is on the picture.
    QImage view = t.W.View()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int32_t bg = t.Sim().Settings.Background;
    const QRgb bgPixel = qRgb(ColourR(bg), ColourG(bg), ColourB(bg));
    int background = 0, thread = 0;
    for (int y = 0; y < view.height(); y += 2)
        for (int x = 0; x < view.width(); x += 2)
            (view.pixel(x, y) == bgPixel ? background : thread)++;
    EXPECT_GT(background, thread / 10);
    EXPECT_GT(thread, 1000);
}
