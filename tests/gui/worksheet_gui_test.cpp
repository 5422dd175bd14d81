// The worksheet file from the desktop: Open from the File menu, the caption (with the mark of
// unsaved changes), the question that offers to save them before the window closes, and the
// "General" page from the Options menu.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "gui/GeneralDialog.h"
#include "gui/MainWindow.h"
#include "gui/QtHost.h"
#include "gui/WorksheetView.h"

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

namespace {
// The window as a desktop frames it: its title bar (drawn by the style, as the offscreen platform
// draws no frames) above its contents.
QImage Framed(QWidget& w) {
    QStyleOptionTitleBar bar;
    bar.initFrom(&w);
    bar.text = w.windowTitle();
    bar.icon = w.windowIcon();
    const int height = w.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &w) + 6;
    bar.rect = QRect(0, 0, w.width(), height);
    bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
    bar.titleBarState = Qt::WindowActive;
    bar.state |= QStyle::State_Active;
    bar.subControls = QStyle::SC_All;
    QImage image(w.width(), height + w.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    w.style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &p, &w);
    p.drawPixmap(0, height, w.grab());
    return image;
}

// What the question showed, and the answer given by clicking its button `click`.
struct TQuestion {
    QString Title, Text;
    QStringList Buttons;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    bool Shown = false;
};
void AnswerWith(TQuestion& q, const QString& click, const char* shot = nullptr) {
    QTimer::singleShot(0, [&q, click, shot] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return; // nothing was asked
        q.Shown = true;
        q.Title = box->windowTitle();
        q.Text = box->text();
        q.Icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            q.Buttons << b->text();
        if (shot) {
            EXPECT_TRUE(box->grab().save(Shot(shot)));
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == click) b->click();
    });
}

// An object drawn with the mouse: a direct stitch object of three points.
void DrawSomething(TWindow& t) {
    t.W.Controller().Execute(TCommand::CreateDirect);
    for (int x : {200, 260, 320})
        QTest::mouseClick(t.W.View(), Qt::LeftButton, {}, QPoint(x, 200));
    QTest::mouseClick(t.W.View(), Qt::RightButton, {}, QPoint(320, 200));
    QApplication::processEvents();
}
} // namespace

TEST(WorksheetWindow, UnsavedChangesShowInTheTitleAndAreOfferedForSavingBeforeTheWindowCloses) {
    TWindow t;
    t.W.QtHost().AnswerHook = nullptr; // the real question
    EXPECT_EQ(t.W.windowTitle().toStdString(), "Nordelune ");
    DrawSomething(t);
    ASSERT_EQ(t.W.Controller().Sew.Count(), 1);
    EXPECT_EQ(t.W.windowTitle().toStdString(), "Nordelune : ( *Untitled )");
    ASSERT_TRUE(Framed(t.W).save(Shot("title-unsaved")));

    // File > Exit asks; Cancel keeps the window and the work.
    TQuestion q;
    AnswerWith(q, "Cancel", "unsaved-question");
    t.W.Action(TCommand::FileExit)->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(q.Shown);
    EXPECT_EQ(q.Title, "Exit Nordelune ?");
    EXPECT_EQ(q.Text,
              "The Changes To Untitled Have Not Been Saved. Do You Want To Save Them Before Leaving ?");
    q.Buttons.sort();
    EXPECT_EQ(q.Buttons, (QStringList{"Cancel", "Don't Save", "Save"}));
    EXPECT_EQ(q.Icon, QMessageBox::Question);
    EXPECT_TRUE(t.W.isVisible());
    EXPECT_EQ(t.W.Controller().Sew.Count(), 1);

    // Save runs Save As; the window closes only once the file is written.
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("nl-unsaved-" + std::to_string(QCoreApplication::applicationPid()) + ".Nl1");
    t.W.QtHost().FileHook = [&](const TFileDialogRequest& r, bool save) {
        EXPECT_TRUE(save);
        EXPECT_EQ(r.Filter, "Nordelune Worksheet ( *.Nl1 )|*.Nl1");
        TFileDialogResult a;
        a.Accepted = true;
        a.FileName = file.string();
        return a;
    };
    TQuestion saved;
    AnswerWith(saved, "Save");
    t.W.close();
    QApplication::processEvents();
    ASSERT_TRUE(saved.Shown);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(t.W.isVisible());
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

TEST(WorksheetWindow, DontSaveClosesTheWindowAndASavedWorksheetIsNotAskedAbout) {
    TWindow t;
    t.W.QtHost().AnswerHook = nullptr;
    DrawSomething(t);
    TQuestion q;
    AnswerWith(q, "Don't Save");
    t.W.close();
    QApplication::processEvents();
    ASSERT_TRUE(q.Shown);
    EXPECT_FALSE(t.W.isVisible());

    // Nothing unsaved: the window closes without a question.
    TWindow u;
    u.W.QtHost().AnswerHook = nullptr;
    TQuestion none;
    AnswerWith(none, "Cancel");
    u.W.close();
    QApplication::processEvents();
    EXPECT_FALSE(u.W.isVisible());
    EXPECT_FALSE(none.Shown);
}
