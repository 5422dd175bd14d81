// The Help menu of the window: its items open the guide beside the program in the browser, and
// the About box shows the version and the build date.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <filesystem>

#include "GuiTest.h"

using namespace nl;

TEST(HelpWindow, TheHelpItemsOpenTheGuideAndAboutShowsTheVersion) {
    test::TWindowFixture t;
    ASSERT_TRUE(t.Show(900, 600));
    std::vector<std::string> opened;
    t.W.QtHost().GuideHook = [&](const std::string& file) {
        opened.push_back(file);
        return true;
    };
    t.Trigger(TCommand::HelpContents);
    t.Trigger(TCommand::HelpNavigating);
    ASSERT_EQ(opened.size(), 2u);
    const auto guide = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "guide";
    EXPECT_EQ(opened[0], (guide / "index.html").string());
    EXPECT_EQ(opened[1], (guide / "keys-and-mouse.html").string() + "#navigating-the-worksheet");
    EXPECT_TRUE(std::filesystem::is_regular_file(guide / "index.html"));
    EXPECT_TRUE(t.Asked.empty());

    // The real About box, looked at.
    t.W.QtHost().AnswerHook = nullptr;
    QString text;
    test::WhenShown([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        EXPECT_TRUE(box->grab().save(test::ShotPath("about")));
        box->accept();
    });
    t.Trigger(TCommand::About);
    EXPECT_TRUE(text.contains("Version 0.")) << text.toStdString();
    EXPECT_TRUE(text.contains("Built 20")) << text.toStdString();
}
