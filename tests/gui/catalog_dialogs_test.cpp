// The catalog viewer and manager windows driven through their widgets with the shipped catalogs
// and with catalogs of our own, and pictures of each window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <random>

#include "../core/TempDir.h"
#include "GuiTest.h"
#include "core/Colour.h"
#include "gui/CatalogManagerDialog.h"
#include "gui/CatalogViewerDialog.h"
#include "gui/RowList.h"
#include "platform/ScriptedHost.h"
#include "threads/CatalogFolder.h"

using namespace nl;
using nl::test::App;
using nl::test::WhenShown;
namespace fs = std::filesystem;

namespace {
QString Shot(const std::string& name) {
    return nl::test::ShotPath(QString::fromStdString("threads-" + name));
}

// The program folder of the tests is the build's bin folder, where the shipped catalogs are.
std::string ProgramFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
}

// A program folder of the test's own with its empty "Threads" folder.
struct TTempDir : nl::test::TTempDir {
    TTempDir() : nl::test::TTempDir("nl-gui-threads-") { fs::create_directories(Path / "Threads"); }
};

int IndexOfTitle(const TCatalogViewer& v, const std::string& title) {
    for (size_t i = 0; i < v.Catalogs().size(); ++i)
        if (v.Catalogs()[i].Title() == title) return static_cast<int>(i);
    return -1;
}

} // namespace

TEST(CatalogViewerWindow, PicksAThreadWithBestMatchApplyAndTheDropper) {
    App();
    TScriptedHost host;
    TThreadSettings settings;
    settings.CatalogChoice = 1; // Coats - Alcazar, the largest shipped catalog
    TCatalogViewerDialog dlg(host, settings, ProgramFolder);
    std::vector<int32_t> applied;
    const int32_t red = MakeColour(230, 20, 30);
    dlg.TakeWorksheetColour = [] { return MakeColour(20, 40, 160); };

    int32_t shownBefore = NO_COLOUR, shownAfterDropper = NO_COLOUR;
    WhenShown([&] {
        EXPECT_TRUE(dlg.isModal());
        EXPECT_EQ(dlg.CatalogBox()->currentText().toStdString(), "Coats - Alcazar");
        EXPECT_EQ(dlg.CatalogBox()->count(), 12);
        EXPECT_TRUE(dlg.BestMatchBox()->isChecked());
        EXPECT_TRUE(dlg.SortButton(TThreadSort::Number)->isChecked());
        EXPECT_GE(dlg.List()->Current(), 0);
        shownBefore = dlg.Model().SelectedColour();
        EXPECT_TRUE(dlg.grab().save(Shot("viewer-pick")));
        dlg.Button("Apply")->click();
        // The dropper: the viewer steps aside, the colour taken is matched.
        dlg.Button("Dropper")->click();
        WhenShown([&] {
            shownAfterDropper = dlg.Model().SelectedColour();
            // By colour: the same thread, another row.
            dlg.SortButton(TThreadSort::Colour)->click();
            EXPECT_EQ(dlg.Model().SelectedColour(), shownAfterDropper);
            dlg.Button("OK")->click();
        });
    });
    auto pick = dlg.Pick(red, true, [&](int32_t c) { applied.push_back(c); });
    EXPECT_EQ(pick.Result, TCatalogViewerDialog::PICK_OK);
    ASSERT_NE(shownBefore, NO_COLOUR);
    EXPECT_EQ(applied, std::vector<int32_t>{shownBefore});
    EXPECT_NE(shownAfterDropper, shownBefore);
    EXPECT_EQ(pick.Colour, shownAfterDropper);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(settings.CatalogChoice, 1);

    // Another catalog from the box; a click on a row; Cancel gives nothing back.
    WhenShown([&] {
        dlg.CatalogBox()->setCurrentIndex(IndexOfTitle(dlg.Model(), "Madeira - Rayon"));
        const QPoint second(60, dlg.List()->RowHeight() * 2 + 5); // below the header
        const int row = dlg.List()->RowAt(second);
        QTest::mouseClick(dlg.List()->viewport(), Qt::LeftButton, {}, second);
        EXPECT_EQ(dlg.List()->Current(), row);
        dlg.Button("Cancel")->click();
    });
    EXPECT_EQ(dlg.Pick(red, false).Result, TCatalogViewerDialog::PICK_CANCEL);
    EXPECT_EQ(settings.CatalogChoice, IndexOfTitle(dlg.Model(), "Madeira - Rayon"));

    // "RGB ..." hands over to the platform colour dialog.
    dlg.RgbDialog = [](int32_t) { return MakeColour(1, 2, 3); };
    WhenShown([&] { dlg.Button("RGB ...")->click(); });
    EXPECT_EQ(dlg.PickColour(red, false), MakeColour(1, 2, 3));
    // OK without a selection leaves the colour alone.
    WhenShown([&] {
        dlg.BestMatchBox()->click();
        EXPECT_EQ(dlg.List()->Current(), -1);
        dlg.Button("OK")->click();
    });
    EXPECT_EQ(dlg.PickColour(red, false), NO_COLOUR);
}

TEST(CatalogViewerWindow, FreeStandingShowsThreadsAndInformationOnly) {
    App();
    TScriptedHost host;
    TThreadSettings settings;
    TCatalogViewerDialog dlg(host, settings, ProgramFolder);
    int closed = 0;
    dlg.Closed = [&] { ++closed; };
    dlg.ShowFreeStanding();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_FALSE(dlg.isModal());
    for (const char* b : {"Apply", "Cancel", "Dropper", "RGB ..."})
        EXPECT_FALSE(dlg.Button(b)->isEnabled()) << b;
    EXPECT_FALSE(dlg.BestMatchBox()->isEnabled());
    EXPECT_EQ(dlg.List()->Current(), -1);
    dlg.SortButton(TThreadSort::Name)->click();
    QApplication::processEvents();
    EXPECT_TRUE(dlg.grab().save(Shot("viewer-free-standing")));
    dlg.Button("Info")->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.InfoWindow()));
    EXPECT_EQ(dlg.InfoWindow()->windowTitle(), "Thread Information");
    EXPECT_TRUE(dlg.InfoWindow()->grab().save(Shot("thread-infomation")));
    dlg.Button("OK")->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.InfoWindow()->isVisible());
    EXPECT_EQ(closed, 1);
}

TEST(CatalogViewerWindow, NoCatalogsTellsTheUserAndDoesNotOpen) {
    App();
    TTempDir d;
    TScriptedHost host;
    TThreadSettings settings;
    TCatalogViewerDialog dlg(host, settings, [&] { return d.Path.string(); });
    EXPECT_EQ(dlg.Pick(0, false).Result, TCatalogViewerDialog::PICK_CANCEL);
    EXPECT_FALSE(dlg.isVisible());
    ASSERT_EQ(host.Messages.size(), 2u);
    EXPECT_EQ(host.Messages[0].Heading, "No Thread Data");
}

TEST(CatalogManagerWindow, EditsOrdersAndSavesCatalogs) {
    App();
    TTempDir d;
    for (const char* name : {"Brother-Embroidery.SC1", "Janome-Embroidery.SC1"})
        fs::copy_file(fs::path(ProgramFolder()) / "Threads" / name, d.Path / "Threads" / name);
    TScriptedHost host;
    TCatalogManagerDialog dlg(host, [&] { return d.Path.string(); });
    dlg.Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), "Catalog Color Manager");
    EXPECT_FALSE(dlg.InfoBox()->isEnabled());
    EXPECT_FALSE(dlg.Button("entries", "New Entry")->isEnabled());
    EXPECT_TRUE(dlg.grab().save(Shot("manager-empty")));

    // Select Janome (second row), then its thread "Ivory White" (number 253) by Find.
    QTest::mouseClick(dlg.CatalogList()->viewport(), Qt::LeftButton, {},
                      dlg.CatalogList()->RowRect(1).center());
    ASSERT_EQ(dlg.Model().Selected(), 1);
    EXPECT_TRUE(dlg.InfoBox()->isEnabled());
    dlg.AskSearch = [](std::string& t) {
        t = "Ivory";
        return true;
    };
    dlg.Button("entries", "Find")->click();
    ASSERT_GE(dlg.Model().SelectedEntry(), 0);
    EXPECT_EQ(dlg.Model().Entry(static_cast<size_t>(dlg.Model().SelectedEntry())).Description, "Ivory White");
    // Edit it: new number and colour, refused blue value.
    dlg.Button("entries", "Edit Existing")->click();
    EXPECT_FALSE(dlg.Button("catalogs", "Delete")->isEnabled()); // locked while editing
    EXPECT_FALSE(dlg.Button("entries", "Find")->isEnabled());
    auto type = [](QLineEdit* e, const char* text) {
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    };
    type(dlg.Field("Catalog Number"), "253X");
    type(dlg.Field("R"), "10");
    type(dlg.Field("B"), "300"); // refused: the box shows its value again
    EXPECT_EQ(dlg.Field("B")->text(), "242");
    QApplication::processEvents();
    EXPECT_TRUE(dlg.grab().save(Shot("manager-editing")));
    dlg.Button("entries", "Commit")->click();
    const TCD& edited = dlg.Model().Entry(static_cast<size_t>(dlg.Model().SelectedEntry()));
    EXPECT_EQ(edited.CatalogNumber, "253X");
    EXPECT_EQ(ColourR(edited.Colour), 10);
    EXPECT_EQ(ColourB(edited.Colour), 0xF2); // the old blue

    // Switch the first catalog off with its "Use" box and move Janome up.
    QTest::mouseClick(dlg.CatalogList()->viewport(), Qt::LeftButton, {},
                      dlg.CatalogList()->RowRect(0).topLeft() + QPoint(10, 10));
    EXPECT_FALSE(dlg.Model().Catalogs()[0].Enabled);
    QTest::mouseClick(dlg.CatalogList()->viewport(), Qt::LeftButton, {},
                      dlg.CatalogList()->RowRect(1).center());
    dlg.Button("", "Up")->click();
    EXPECT_EQ(dlg.Model().Catalogs()[0].Manufacturer, "Janome");

    // A new catalog through the names dialog.
    dlg.AskNames = [](std::string& m, std::string& t) {
        m = "Acme";
        t = "Silk";
        return true;
    };
    host.Answers = {TButton::Yes};
    dlg.Button("catalogs", "New Entry")->click();
    EXPECT_TRUE(fs::exists(d.Path / "Threads" / "Acme-Silk.SC1"));
    EXPECT_EQ(dlg.Model().Catalogs().size(), 3u);

    // OK: the closing question; Yes writes every catalog.
    host.Answers = {TButton::Yes};
    dlg.Button("", "OK")->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(host.Messages.back().Heading, "Change Thread Color Data");
    auto back = ReadCatalogs(d.Path / "Threads");
    SortByListPosition(back);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].Manufacturer, "Janome");
    EXPECT_FALSE(back[1].Enabled);
    bool found = false;
    for (const TCD& e : back[0].Entries)
        found = found || e.CatalogNumber == "253X";
    EXPECT_TRUE(found);
}

TEST(CatalogManagerWindow, PicturesOfTheSmallDialogs) {
    App();
    TScriptedHost host;
    TCatalogManagerDialog dlg(host, ProgramFolder);
    dlg.NamesDialog()->Manufacturer()->setText("Madeira");
    dlg.NamesDialog()->ThreadType()->setText("Rayon");
    dlg.NamesDialog()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.NamesDialog()));
    EXPECT_EQ(dlg.NamesDialog()->windowTitle(), "Edit Manufacturer And Thread Type");
    EXPECT_TRUE(dlg.NamesDialog()->grab().save(Shot("names-dialog")));
    dlg.NamesDialog()->hide();
    dlg.FindDialog()->Text()->setText("12");
    dlg.FindDialog()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.FindDialog()));
    EXPECT_EQ(dlg.FindDialog()->windowTitle(), "Find Color Record");
    EXPECT_TRUE(dlg.FindDialog()->grab().save(Shot("find-dialog")));
    dlg.FindDialog()->hide();
}
