// A machine file named on the command line (a double click on a design in the file manager) is
// imported into the new worksheet, in view, as one undoable step; a worksheet is still opened.
#include <gtest/gtest.h>

#include "Fixture.h"

using namespace nl;

TEST(StartupImport, AMachineFileOnTheCommandLineIsImportedInView) {
    test::TShell s;
    s.Host.Folder = std::string(NL_SOURCE_DIR) + "/data"; // the thread texture file is there
    const std::string star = std::string(NL_FIXTURES_DIR) + "/Star.DST";
    s.Nl.FirstShow({"\"" + star + "\""});
    EXPECT_TRUE(s.Host.Messages.empty()) << s.Host.Messages[0].Heading << ": " << s.Host.Messages[0].Text;
    ASSERT_EQ(s.Nl.Sew.Count(), 1);
    TKvRect b = s.Nl.Sew[0]->GetExtent();
    ASSERT_FALSE(b.empty);
    // Its top left corner just inside the view's.
    EXPECT_NEAR(b.Left, s.Nl.View.WorldX(40), 1);
    EXPECT_NEAR(b.Top, s.Nl.View.WorldY(40), 1);
    EXPECT_EQ(s.Nl.Sew.FileName, "Untitled") << "a later Save asks for a worksheet name";
    EXPECT_EQ(s.Nl.Sew.Settings.Import.FileName, star);
    EXPECT_TRUE(s.Nl.Sew.Modified);
    s.Nl.Undo();
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
}
