// Thread colours through the controller: the colour and visibility items of the context menus,
// the colour pallet button, the dropper's colour under the pointer, the catalog windows of the
// Threads menu, and a two-colour design exported with its colour blocks and side file.
#include <cstring>
#include <filesystem>

#include "../formats/FormatTestUtil.h"
#include "../regions/TestShapes.h"
#include "Fixture.h"
#include "core/Colour.h"
#include "core/FileIO.h"
#include "formats/Import.h"
#include "formats/SideFile.h"
#include "regions/SLRegion.h"
#include "ui/ObjectColour.h"

using namespace nl;
using nl::test::FindItem;
using nl::test::TShell;
namespace fs = std::filesystem;

namespace {

const int32_t kRed = MakeColour(220, 20, 30), kBlue = MakeColour(20, 40, 200);

// A running outline along y = 100 from x = 100 to 700, a square outline (not stitched) at
// (300, 300) of side 300 with a tatami region on it, and a direct stitch object of two colour
// blocks along y = 50. Scale 1: pixels are worksheet units.
struct TColours : TShell {
    TSLCurve* Outline = nullptr;
    TSLCurve* Square = nullptr;
    TSLRegion* Region = nullptr;
    TSLStitch* Direct = nullptr;
    TColours() {
        auto o = nl::test::Polyline({{100, 100}, {400, 100}, {700, 100}});
        o->Flags |= OF_VISIBLE | OF_RUNNING;
        o->SetStitchTypeBits(ST_RUNNING);
        o->OrderIndex = ORDER_UNPLACED; // stitched, as the properties window leaves a new outline
        Outline = static_cast<TSLCurve*>(Nl.Sew.Add(std::move(o)));
        Outline->UpdateBounds(Nl.StitchContext());
        Square = static_cast<TSLCurve*>(Nl.Sew.Add(nl::test::ClosedOutline(nl::test::Square(300, 300, 200))));
        Square->UpdateBounds(Nl.StitchContext());
        Region = static_cast<TSLRegion*>(Nl.Sew.Add(nl::test::RegionOn(*Square)));
        Region->RegenerateFill(Nl.StitchContext());
        auto d = std::make_unique<TSLStitch>();
        d->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
        d->Append(TSP::Colour(0, 100, 50, kRed));
        d->Append(TSP::Plain(0, 200, 50));
        d->Append(TSP::Colour(0, 300, 50, kBlue));
        d->Append(TSP::Plain(0, 400, 50));
        Direct = Nl.Sew.Add(std::move(d));
        Direct->UpdateBounds(Nl.StitchContext());
    }
    const std::vector<TMenuItem>& Shown() const { return Host.Menus.back().Items; }
    static bool Has(const std::vector<TMenuItem>& items, const std::string& caption) {
        return FindItem(items, caption) != nullptr;
    }
    static int32_t FirstColour(const TSLStitch* list) {
        if (!list) return NO_COLOUR;
        for (const TSP& p : *list)
            if (p.IsColourPoint()) return p.ColourOrLink;
        return NO_COLOUR;
    }
};

} // namespace

TEST(ThreadColour, ContextMenuColourItemsPickAndRecolour) {
    TColours s;
    // An outline: the picker opens on its colour with the dropper; the thread chosen recolours it.
    s.Host.MenuAnswers = {CMD_SET_COLOUR};
    s.Host.PickAnswers = {kRed};
    s.RightClick(250, 100);
    ASSERT_FALSE(s.Host.Menus.empty());
    EXPECT_EQ(s.Shown()[0].Caption, "Outline Properties");
    EXPECT_EQ(s.Shown()[1].Caption, "Set Outline Color");
    EXPECT_EQ(s.Shown()[2].Caption, "Outline Stitch Visible");
    EXPECT_TRUE(s.Shown()[2].Checkable && s.Shown()[2].Checked);
    ASSERT_EQ(s.Host.Picks.size(), 1u);
    EXPECT_EQ(s.Host.Picks[0].Preset, DEFAULT_OBJECT_COLOUR);
    EXPECT_TRUE(s.Host.Picks[0].Dropper);
    EXPECT_EQ(s.Outline->Color, kRed);
    EXPECT_EQ(TColours::FirstColour(s.Outline->Generated.get()), kRed);
    EXPECT_TRUE(s.Nl.Sew.Modified);

    // Cancelled: nothing changes.
    s.Host.MenuAnswers = {CMD_SET_COLOUR};
    s.RightClick(250, 100);
    EXPECT_EQ(s.Host.Picks.back().Preset, kRed);
    EXPECT_EQ(s.Outline->Color, kRed);

    // A region inside its outline.
    s.Host.MenuAnswers = {CMD_SET_COLOUR};
    s.Host.PickAnswers = {kBlue};
    s.RightClick(400, 400);
    EXPECT_TRUE(TColours::Has(s.Shown(), "Set Region Color"));
    EXPECT_TRUE(TColours::Has(s.Shown(), "Region Stitch Visible"));
    EXPECT_EQ(s.Region->FillColor, kBlue);
    EXPECT_EQ(TColours::FirstColour(s.Region->FillStitches.get()), kBlue);

    // A direct stitch object: the colour block under the pointer only; no visibility switch.
    s.Host.MenuAnswers = {CMD_SET_COLOUR};
    s.Host.PickAnswers = {0x00445566};
    s.RightClick(390, 50);
    EXPECT_TRUE(TColours::Has(s.Shown(), "Set Stitch Color"));
    EXPECT_FALSE(TColours::Has(s.Shown(), "Outline Stitch Visible"));
    EXPECT_EQ(s.Host.Picks.back().Preset, kBlue);
    EXPECT_EQ((*s.Direct)[0].ColourOrLink, kRed);
    EXPECT_EQ((*s.Direct)[2].ColourOrLink, 0x00445566);

    // The visibility switch turns the outline's stitches off and on again.
    s.Host.MenuAnswers = {CMD_STITCH_VISIBLE};
    s.RightClick(250, 100);
    EXPECT_FALSE(s.Outline->Visible());
    EXPECT_TRUE(!s.Outline->Generated || s.Outline->Generated->Empty());
    s.Host.MenuAnswers = {CMD_STITCH_VISIBLE};
    s.RightClick(250, 100);
    EXPECT_FALSE(s.Shown()[2].Checked);
    EXPECT_TRUE(s.Outline->Visible());
    EXPECT_EQ(TColours::FirstColour(s.Outline->Generated.get()), kRed);

    // The same items in Object Layout mode.
    s.Nl.SetMode(TMode::ObjectLayout);
    s.Host.MenuAnswers = {0};
    s.RightClick(250, 100);
    EXPECT_TRUE(TColours::Has(s.Shown(), "Set Outline Color"));
    EXPECT_TRUE(TColours::Has(s.Shown(), "Outline Stitch Visible"));
}

TEST(ThreadColour, ColumnTakesTheThreadOnBothRails) {
    TShell s;
    s.Nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i <= 3; ++i)
        s.Click(100 + 100 * i, 200);
    s.RightClick(5, 5);
    for (int i = 0; i <= 3; ++i)
        s.Click(100 + 100 * i, 300);
    s.RightClick(5, 5);
    auto* a = static_cast<TSLCurve*>(s.Nl.Sew[0]);
    auto* b = static_cast<TSLCurve*>(s.Nl.Sew[1]);
    ASSERT_TRUE(a->IsRail() && b->IsRail());
    s.Host.MenuAnswers = {CMD_SET_COLOUR};
    s.Host.PickAnswers = {kBlue};
    s.RightClick(200, 300); // on rail B
    EXPECT_EQ(s.Host.Menus.back().Items[1].Caption, "Set Curved Column Color");
    EXPECT_EQ(s.Host.Menus.back().Items[2].Caption, "Curved Column Stitch Visible");
    TSLCurve& carrier = a->IsRailB() ? *b : *a;
    EXPECT_EQ(carrier.Color, kBlue);
    EXPECT_EQ(ObjectColour(*b), kBlue);
    ASSERT_TRUE(carrier.Generated && !carrier.Generated->Empty());
    EXPECT_EQ((*carrier.Generated)[0].GetColour(), kBlue);
}

TEST(ThreadColour, PalletButtonRecoloursTheSelectionAndApplyActsAtOnce) {
    TColours s;
    // Nothing selected and no current object: nothing to colour, the button is off.
    s.Nl.Sew.ClearSelection(OF_SELECTED_EDIT);
    s.Nl.Sew.SetCurrent(nullptr);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::ColourPalletButton));
    // The current object alone.
    s.Nl.Sew.SetCurrent(s.Region);
    ASSERT_TRUE(s.Nl.IsEnabled(TCommand::ColourPalletButton));
    s.Host.PickAnswers = {kRed};
    s.Nl.Execute(TCommand::ColourPalletButton);
    EXPECT_EQ(s.Region->FillColor, kRed);
    // Two selected objects, the current one giving the preset; "Apply" recolours both before the
    // viewer closes, and Cancel afterwards keeps what was applied.
    s.Outline->SetFlags(OF_SELECTED_EDIT);
    s.Region->SetFlags(OF_SELECTED_EDIT);
    s.Nl.Sew.SetCurrent(s.Region);
    s.Host.PickApplies = {kBlue};
    s.Nl.Execute(TCommand::ColourPalletButton);
    EXPECT_EQ(s.Host.Picks.back().Preset, kRed);
    EXPECT_EQ(s.Outline->Color, kBlue);
    EXPECT_EQ(s.Region->FillColor, kBlue);
    // In Object Layout mode its own selection.
    s.Nl.SetMode(TMode::ObjectLayout);
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    s.Direct->SetFlags(OF_SELECTED_LAYOUT);
    s.Nl.Sew.SetCurrent(s.Direct);
    s.Host.PickAnswers = {0x00010203};
    s.Nl.Execute(TCommand::ColourPalletButton);
    EXPECT_EQ(s.Host.Picks.back().Preset, kRed); // the direct object's first block
    EXPECT_EQ((*s.Direct)[0].ColourOrLink, 0x00010203);
    EXPECT_EQ(s.Outline->Color, kBlue);
}

TEST(ThreadColour, DropperColourAndThreadWindowsFromTheMenu) {
    TColours s;
    EXPECT_EQ(s.Nl.ColourAt(250, 100), DEFAULT_OBJECT_COLOUR);
    EXPECT_EQ(s.Nl.ColourAt(150, 50), kRed);
    EXPECT_EQ(s.Nl.ColourAt(390, 50), kBlue);
    EXPECT_EQ(s.Nl.ColourAt(780, 590), NO_COLOUR);
    // Both windows are in the Threads menu and open through the host.
    EXPECT_STREQ(CommandInfo(TCommand::CatalogViewer).Menu, "Threads  ");
    EXPECT_STREQ(CommandInfo(TCommand::ManageCatalog).Menu, "Threads  ");
    s.Nl.Execute(TCommand::CatalogViewer);
    s.Nl.Execute(TCommand::ManageCatalog);
    EXPECT_EQ(s.Host.CatalogViewerShown, 1);
    EXPECT_EQ(s.Host.CatalogManagerShown, 1);
    EXPECT_EQ(s.Nl.Threads.CatalogChoice, 0);
}

// A design of two threads, recoloured through the context menus, exported: one colour block per
// thread in stitching order, and the side file carries the same colours.
TEST(ThreadColour, TwoColourDesignExportsItsBlocksAndSideFile) {
    nl::test::TTempDir dir;
    TColours s;
    s.Host.Folder = dir.Path.string();
    fs::copy_file(nl::test::DataDir() / SIDE_TEMPLATE_NAME, dir.Path / SIDE_TEMPLATE_NAME);
    s.Nl.Sew.DeleteObject(s.Direct);
    s.Host.MenuAnswers = {CMD_SET_COLOUR, CMD_SET_COLOUR};
    s.Host.PickAnswers = {kRed, kBlue};
    s.RightClick(250, 100);
    s.RightClick(400, 400);
    ASSERT_EQ(s.Outline->Color, kRed);
    ASSERT_EQ(s.Region->FillColor, kBlue);

    s.Nl.SetMode(TMode::ObjectLayout);
    for (int32_t i = 0; i < s.Nl.Sew.Count(); ++i)
        s.Nl.Sew[i]->SetFlags(OF_SELECTED_LAYOUT);
    s.Nl.Sew.ComposeGroup();
    s.Nl.Sew.ComputeSelectionKind();
    s.Nl.Sew.SetCurrent(s.Outline);
    const fs::path file = dir.Path / "two.dst";
    TFileDialogResult answer;
    answer.Accepted = true;
    answer.FileName = file.string();
    answer.FilterIndex = 3;
    s.Host.FileAnswers = {answer};
    s.Nl.Execute(TCommand::ExportStitching);
    ASSERT_TRUE(fs::exists(file)) << (s.Host.Messages.empty() ? "" : s.Host.Messages.back().Text);

    // The machine file: one colour change, so two blocks.
    auto dst = ReadWholeFile(file);
    EXPECT_NE(std::string(dst.begin(), dst.begin() + 512).find("CO:001"), std::string::npos)
        << std::string(dst.begin(), dst.begin() + 128);
    // The side file: the two threads in stitching order, the mark at entry 254, the template
    // everywhere else.
    auto side = ReadWholeFile(SideFileName(file));
    auto tmpl = ReadWholeFile(dir.Path / SIDE_TEMPLATE_NAME);
    ASSERT_EQ(side.size(), tmpl.size());
    auto entry = [&](size_t k) {
        int32_t v;
        std::memcpy(&v, side.data() + 4 * k, 4);
        return v;
    };
    EXPECT_EQ(entry(0), kRed);
    EXPECT_EQ(entry(1), kBlue);
    EXPECT_EQ(entry(254), SIDE_MARK_COLOUR);
    EXPECT_TRUE(std::equal(side.begin() + 8, side.begin() + 1016, tmpl.begin() + 8));
    // Read back: the blocks carry the threads again.
    auto back = ReadStitchFile(file);
    std::vector<int32_t> blocks;
    for (const TSP& p : *back)
        if (p.IsColourPoint()) blocks.push_back(p.ColourOrLink);
    EXPECT_EQ(blocks, (std::vector<int32_t>{kRed, kBlue}));
}
