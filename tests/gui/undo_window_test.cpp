// Undo and redo through the real window, offscreen: the Edit menu items carry the step's name, the
// keys reach them, and the tool bar has both.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolBar>

#include "GuiTest.h"
#include "gui/MainWindow.h"
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
