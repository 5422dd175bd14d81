// The worksheet file from the desktop: Open from the File menu, the caption, and the "General"
// page from the Options menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImage>
#include <QSpinBox>
#include <QTest>

#include "gui/GeneralDialog.h"
#include "gui/MainWindow.h"
#include "gui/QtHost.h"

using namespace nl;

namespace {
QApplication& App() {
    static int argc = 1;
    static char name[] = "nl_tests_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance())
                                   ? qobject_cast<QApplication*>(QCoreApplication::instance())
                                   : new QApplication(argc, argv);
    return *app;
}

QString Shot(const char* name) {
    return QDir::current().absoluteFilePath(QString("screenshot-%1.png").arg(name));
}

struct TAppFirst {
    TAppFirst() { App(); }
};

struct TWindow : TAppFirst {
    TMainWindow W;
    std::vector<std::string> Asked;
    TWindow() {
        W.QtHost().AnswerHook = [this](const std::string& h, const std::string&, TButtons) {
            Asked.push_back(h);
            return TButton::No;
        };
        W.resize(1100, 760);
        W.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&W));
        QApplication::processEvents();
    }
};
} // namespace

TEST(WorksheetWindow, OpenFromTheFileMenuShowsTheDesign) {
    TWindow t;
    const std::string example = std::string(NL_SOURCE_DIR) + "/examples/multicolour.Nl1";
    t.W.QtHost().FileHook = [&](const TFileDialogRequest& r, bool save) {
        EXPECT_FALSE(save);
        EXPECT_EQ(r.Filter, "Nordelune Worksheet ( *.Nl1 )|*.Nl1");
        TFileDialogResult a;
        a.Accepted = true;
        a.FileName = example;
        return a;
    };
    QAction* open = t.W.Action(TCommand::FileOpen);
    ASSERT_TRUE(open && open->isEnabled());
    open->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(t.Asked.empty());
    EXPECT_EQ(t.W.windowTitle().toStdString(), "Nordelune : ( " + example + " )");
    EXPECT_EQ(t.W.Controller().Sew.Count(), 14);
    EXPECT_TRUE(t.W.Action(TCommand::FileSave)->isEnabled());
    // The example opens in Object Layout mode: its button is down.
    EXPECT_TRUE(t.W.Action(TCommand::ModeLayoutButton)->isChecked());
    QImage shot = t.W.grab().toImage();
    ASSERT_TRUE(shot.save(Shot("worksheet-open")));
}

TEST(WorksheetWindow, GeneralPageFromTheOptionsMenu) {
    TWindow t;
    t.W.QtHost().GeneralHook = [](TGeneralDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Nordelune Properties");
        EXPECT_DOUBLE_EQ(d.MaxLength()->value(), 10.0);
        EXPECT_EQ(d.Autosave()->value(), 5);
        d.MaxLength()->setValue(12);
        d.Autosave()->setValue(3);
        d.adjustSize();
        d.grab().save(Shot("general-page"));
        return true;
    };
    QAction* a = t.W.Action(TCommand::StitchLengthProperties);
    ASSERT_TRUE(a && a->isEnabled());
    a->trigger();
    EXPECT_EQ(t.W.Controller().Toggles.LongStitchLimit, 240);
    EXPECT_EQ(t.W.Controller().Preferences.AutosaveMinutes, 3);
}
