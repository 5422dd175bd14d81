// The Help menu and F1 open pages of the user guide the build renders beside the program; every
// page and part they name exists. A missing guide or browser is told to the user.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../core/TempDir.h"
#include "Fixture.h"
#include "app/Help.h"

using namespace nl;
namespace fs = std::filesystem;

// The guide is rendered only when a program that shows it is built.
#ifdef NL_BIN_DIR
namespace {
std::string ReadText(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The page and the heading id of "page.html#part" exist in the built guide.
void ExpectPage(const std::string& pageAndPart) {
    const std::string page = pageAndPart.substr(0, pageAndPart.find('#'));
    const fs::path file = fs::path(NL_BIN_DIR) / "guide" / page;
    ASSERT_TRUE(fs::is_regular_file(file)) << file;
    if (size_t hash = pageAndPart.find('#'); hash != std::string::npos) {
        EXPECT_NE(ReadText(file).find("id=\"" + pageAndPart.substr(hash + 1) + "\""), std::string::npos)
            << pageAndPart << ": no such part";
    }
}
} // namespace

TEST(Help, EveryPageTheHelpMenuAndF1OpenExists) {
    ASSERT_FALSE(HelpTopics().empty());
    for (const THelpTopic& t : HelpTopics())
        ExpectPage(t.Page);
    for (int m = 0; m <= static_cast<int>(TMode::RegionNodeInsert); ++m)
        ExpectPage(ModeHelpPage(static_cast<TMode>(m)));
}

TEST(Help, TheMenuItemsAndF1OpenTheirPage) {
    test::TShell s;
    s.Host.Folder = NL_BIN_DIR;
    const std::string guide = (fs::path(NL_BIN_DIR) / "guide").string();
    struct {
        TCommand Command;
        std::string Opened;
    } cases[] = {
        {TCommand::HelpContents, guide + "/index.html"},
        {TCommand::HelpNavigating, guide + "/keys-and-mouse.html#navigating-the-worksheet"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(s.Nl.IsEnabled(c.Command));
        s.Nl.Execute(c.Command);
        ASSERT_FALSE(s.Host.GuidePages.empty());
        EXPECT_EQ(s.Host.GuidePages.back(), c.Opened);
    }
    // F1: the part about the mode the user is in.
    s.Nl.Execute(TCommand::ModeLayout);
    EXPECT_TRUE(s.Nl.KeyDown(TKey::F1, {}));
    EXPECT_EQ(s.Host.GuidePages.back(), guide + "/modes.html#object-layout-mode");
    EXPECT_TRUE(s.Host.Messages.empty());
}

TEST(Help, AMissingGuideOrBrowserIsToldNotIgnored) {
    test::TShell s;
    test::TTempDir empty;
    s.Host.Folder = empty.Path.string();
    s.Nl.Execute(TCommand::HelpContents);
    EXPECT_TRUE(s.Host.GuidePages.empty());
    ASSERT_EQ(s.Host.Messages.size(), 1u);
    EXPECT_NE(s.Host.Messages[0].Text.find((empty.Path / "guide" / "index.html").string()),
              std::string::npos);

    s.Host.Folder = NL_BIN_DIR;
    s.Host.GuideOpens = false;
    s.Nl.Execute(TCommand::HelpContents);
    ASSERT_EQ(s.Host.Messages.size(), 2u);
    EXPECT_NE(s.Host.Messages[1].Text.find("Browser"), std::string::npos) << s.Host.Messages[1].Text;
}

#endif

TEST(Help, TheAboutBoxShowsTheVersionAndBuildDate) {
    test::TShell s;
    s.Nl.Execute(TCommand::About);
    ASSERT_EQ(s.Host.Messages.size(), 1u);
    EXPECT_EQ(s.Host.Messages[0].Heading, "About Nordelune ...");
    const std::string& text = s.Host.Messages[0].Text;
    EXPECT_NE(text.find("Version 0."), std::string::npos) << text;
    // The build date, as year-month-day.
    size_t built = text.find("Built ");
    ASSERT_NE(built, std::string::npos) << text;
    EXPECT_EQ(text.size() - built, std::string("Built 2026-12-10").size()) << text;
}
