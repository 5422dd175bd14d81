// Set-up shared by the window tests: the one application of the test program, where pictures are
// saved, and the main window shown offscreen with its questions answered.
#pragma once
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "gui/MainWindow.h"
#include "gui/QtHost.h"
#include "gui/WorksheetView.h"

namespace nl::test {

// Made by whichever window test runs first and never destroyed: Qt's test input devices outlive
// every static of this program.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "nl_tests_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance())
                                   ? qobject_cast<QApplication*>(QCoreApplication::instance())
                                   : new QApplication(argc, argv);
    return *app;
}

// Screenshots land in the test program's working folder, out of the source tree.
inline QString ShotPath(const QString& name) {
    return QDir::current().absoluteFilePath("screenshot-" + name + ".png");
}

// Runs `step` once a modal window that is about to open is up.
inline void WhenShown(std::function<void()> step) {
    QTimer::singleShot(0, [step] {
        QApplication::processEvents();
        step();
    });
}

// Types `text` into a line edit as a user does: focus, select all, type, Return.
inline void EnterText(QLineEdit* e, const QString& text) {
    ASSERT_NE(e, nullptr);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
}

struct TAppFirst {
    TAppFirst() { App(); }
};

// The main window. Every question is answered with `Answer`, and its heading kept in `Asked`.
struct TWindowFixture : TAppFirst {
    TMainWindow W;
    std::vector<std::string> Asked;
    TButton Answer = TButton::Yes;

    TWindowFixture() {
        W.QtHost().AnswerHook = [this](const std::string& h, const std::string&, TButtons) {
            Asked.push_back(h);
            return Answer;
        };
    }
    // Shows the window at this size; a zoom of 0 keeps the view's own. False when it never showed.
    bool Show(int width, int height, int32_t zoom = 0) {
        W.resize(width, height);
        W.show();
        const bool exposed = QTest::qWaitForWindowExposed(&W);
        QApplication::processEvents();
        if (zoom) W.Controller().View.Zoom = zoom;
        return exposed;
    }
    TNL& Nl() { return W.Controller(); }
    TWorksheetView* V() { return W.View(); }
    void Click(int x, int y, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
        QTest::mouseClick(V(), b, m, QPoint(x, y));
    }
    // Runs an enabled command.
    void Trigger(TCommand id) {
        QAction* a = W.Action(id);
        ASSERT_NE(a, nullptr);
        ASSERT_TRUE(a->isEnabled()) << a->text().toStdString();
        a->trigger();
    }
};

} // namespace nl::test
