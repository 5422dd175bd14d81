// Undo and redo through the real window, offscreen: the Edit menu items carry the step's name, the
// keys reach them, and the tool bar has both.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>

#include "GuiTest.h"
#include "gui/MainWindow.h"
#include "gui/TransformDialogs.h"
#include "gui/WorksheetView.h"

using namespace nl;

TEST(UndoWindow, MenuCaptionsKeysAndToolButtons) {
    nl::test::TWindowFixture t;
    ASSERT_TRUE(t.Show(900, 700, 614));
    QAction* undo = t.W.Action(TCommand::Undo);
    QAction* redo = t.W.Action(TCommand::Redo);
    ASSERT_TRUE(undo && redo);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence("Ctrl+Y")));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence("Ctrl+Shift+Z")));
    bool onToolBar = false;
    for (QToolBar* bar : t.W.findChildren<QToolBar*>())
        onToolBar = onToolBar || (bar->actions().contains(undo) && bar->actions().contains(redo));
    EXPECT_TRUE(onToolBar);

    t.Trigger(TCommand::CreateDirect);
    t.Click(100, 100);
    t.Click(140, 100);
    t.Click(100, 100, Qt::RightButton);
    QApplication::processEvents();
    ASSERT_EQ(t.Nl().Sew.Count(), 1);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text().toStdString(), "Undo Create Direct Stitch");

    QTest::keyClick(t.V(), Qt::Key_Z, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(t.Nl().Sew.Count(), 0);
    EXPECT_EQ(redo->text().toStdString(), "Redo Create Direct Stitch");
    QTest::keyClick(t.V(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_EQ(t.Nl().Sew.Count(), 1);
}

namespace {
// Runs `play` on the modal dialog of type D once it shows.
template <class D> void OnDialog(std::function<void(D&)> play) {
    QTimer::singleShot(50, [play] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* typed = dynamic_cast<D*>(d);
        ASSERT_NE(typed, nullptr);
        play(*typed);
    });
}
} // namespace

TEST(UndoWindow, RotateAndResizeDialogsTransformTheSelectionAndUndo) {
    nl::test::TWindowFixture t;
    ASSERT_TRUE(t.Show(900, 700, 614));
    t.Trigger(TCommand::CreateDirect);
    t.Click(100, 100);
    t.Click(300, 100);
    t.Click(300, 200);
    t.Click(100, 100, Qt::RightButton);
    ASSERT_EQ(t.Nl().Sew.Count(), 1);
    TSLStitch* o = t.Nl().Sew[0];
    const float x0 = (*o)[0].X, y0 = (*o)[0].Y;
    t.Trigger(TCommand::ModeLayout);
    o->Flags |= OF_SELECTED_LAYOUT;
    t.W.RefreshCommands();

    OnDialog<TRotateObjectDialog>([](TRotateObjectDialog& d) {
        d.AngleField()->setText("90");
        emit d.AngleField()->editingFinished();
        d.grab().save(nl::test::ShotPath("rotate-dialog"));
        d.OkButton()->click();
    });
    t.Trigger(TCommand::Rotate);
    EXPECT_NE((*o)[0].X, x0);
    EXPECT_EQ(t.W.Action(TCommand::Undo)->text().toStdString(), "Undo Rotate");

    OnDialog<TResizeObjectDialog>([](TResizeObjectDialog& d) {
        d.Field(TResizeField::WidthPercent)->setText("200");
        emit d.Field(TResizeField::WidthPercent)->editingFinished();
        EXPECT_EQ(d.Field(TResizeField::HeightPercent)->text().toStdString(), "200"); // constrained
        d.grab().save(nl::test::ShotPath("resize-dialog"));
        d.OkButton()->click();
    });
    t.Trigger(TCommand::Resize);
    EXPECT_EQ(t.W.Action(TCommand::Undo)->text().toStdString(), "Undo Resize");
    t.Trigger(TCommand::Undo);
    t.Trigger(TCommand::Undo);
    EXPECT_FLOAT_EQ((*o)[0].X, x0);
    EXPECT_FLOAT_EQ((*o)[0].Y, y0);
}
