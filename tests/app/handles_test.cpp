// Editing existing curves from the worksheet: dragging anchors, control points and envelope
// handles, the object context menu, opening the properties and the compensation view option.
#include <algorithm>

#include "../regions/TestShapes.h"
#include "Fixture.h"
#include "core/Errors.h"
#include "regions/RegionBuilder.h"
#include "ui/CurveCommands.h"
#include "ui/EditOutlinePage.h"

using namespace nl;
using nl::test::FailingRunningOutline;
using nl::test::FindItem;
using nl::test::TFailingOutline;
using nl::test::TShell;

namespace {
// A selected running outline through anchors 300 units apart (straight segments).
TSLCurve* RunningOutline(TShell& s, std::vector<std::pair<float, float>> anchors) {
    auto c = nl::test::Polyline(anchors);
    c->Flags |= OF_SELECTED_EDIT | OF_VISIBLE | OF_RUNNING;
    c->SetStitchTypeBits(ST_RUNNING);
    auto* curve = static_cast<TSLCurve*>(s.Nl.Sew.Add(std::move(c)));
    curve->UpdateBounds(s.Nl.StitchContext());
    return curve;
}

// A satin outline with one default width section per anchor.
TSLCurve* SatinOutline(TShell& s, std::vector<std::pair<float, float>> anchors) {
    TSLCurve* c = RunningOutline(s, std::move(anchors));
    c->Flags &= ~OF_RUNNING;
    c->SetStitchTypeBits(ST_SATIN);
    c->Outlines = TOutlineList::MakeDefault(c->AnchorCount());
    c->UpdateBounds(s.Nl.StitchContext());
    return c;
}

std::vector<std::pair<float, float>> Needles(const TSLCurve& c) {
    std::vector<std::pair<float, float>> v;
    if (c.Generated)
        for (const TSP& p : *c.Generated)
            v.emplace_back(p.X, p.Y);
    return v;
}

// A curved column drawn with the mouse: rail A along y = 100, rail B along y = 180.
TSLCurve* Column(TShell& s) {
    s.Nl.Execute(TCommand::CreateColumn);
    for (int i = 0; i <= 3; ++i)
        s.Click(100 + 100 * i, 100);
    s.RightClick(100, 100);
    for (int i = 0; i <= 3; ++i)
        s.Click(100 + 100 * i, 180);
    s.RightClick(100, 180);
    return static_cast<TSLCurve*>(s.Nl.Sew[s.Nl.Sew.Count() - 2]);
}

// An outline whose generator fails once told to (as a damaged or impossible object does).
bool HasItem(const std::vector<TContextItem>& items, const std::string& caption) {
    return FindItem(items, caption) != nullptr;
}
} // namespace

TEST(HandleDrag, AnchorCarriesItsControlsAndTheStitchesFollowAtOnce) {
    TShell s;
    TSLCurve* c = RunningOutline(s, {{100, 100}, {400, 100}, {700, 100}});
    auto before = Needles(*c);
    ASSERT_FALSE(before.empty());
    s.Nl.MouseDown(TMouseButton::Left, 400, 100, {});
    s.Nl.MouseMove(400, 160, {});
    // Regenerated during the drag, before the button comes up.
    EXPECT_FLOAT_EQ((*c)[3].Y, 160.f);
    auto during = Needles(*c);
    EXPECT_NE(during, before);
    s.Nl.MouseMove(400, 300, {});
    s.Nl.MouseUp(TMouseButton::Left, 400, 300, {});
    EXPECT_FLOAT_EQ((*c)[3].X, 400.f);
    EXPECT_FLOAT_EQ((*c)[3].Y, 300.f);
    // Both neighbouring control points moved by the same amount; the other anchors stayed.
    EXPECT_FLOAT_EQ((*c)[2].Y, 300.f);
    EXPECT_FLOAT_EQ((*c)[4].Y, 300.f);
    EXPECT_FLOAT_EQ((*c)[0].Y, 100.f);
    EXPECT_FLOAT_EQ((*c)[6].Y, 100.f);
    auto after = Needles(*c);
    EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](auto& p) { return p.second > 250; }));
    EXPECT_TRUE(s.Nl.Sew.Modified);
    EXPECT_TRUE(c->Flags & OF_SELECTED_EDIT); // a handle drag is not a click
}

TEST(HandleDrag, ControlPointMovesAlone) {
    TShell s;
    TSLCurve* c = RunningOutline(s, {{100, 100}, {400, 100}});
    s.Drag(200, 100, 200, 260);
    EXPECT_FLOAT_EQ((*c)[1].Y, 260.f);
    EXPECT_FLOAT_EQ((*c)[0].Y, 100.f);
    EXPECT_FLOAT_EQ((*c)[2].Y, 100.f);
    EXPECT_FLOAT_EQ((*c)[3].Y, 100.f);
    EXPECT_GT(c->PathBounds.Bottom, 150); // the path bulges towards the moved control
}

TEST(HandleDrag, HandlesOfUnselectedCurvesAreNotDragged) {
    TShell s;
    TSLCurve* c = RunningOutline(s, {{100, 100}, {400, 100}});
    c->ClearFlags(OF_SELECTED_EDIT);
    s.Drag(400, 100, 400, 300);
    EXPECT_FLOAT_EQ((*c)[3].Y, 100.f);
}

TEST(HandleDrag, LineObjectStaysStraight) {
    TShell s;
    TSLCurve* c = RunningOutline(s, {{100, 100}, {400, 100}, {700, 100}});
    c->StitchFlags |= SF_LINE_OBJECT;
    s.Drag(400, 100, 400, 400);
    // The controls of both segments sit at thirds of their new chords.
    EXPECT_FLOAT_EQ((*c)[2].X, 100 + 2 * 300 / 3.f);
    EXPECT_FLOAT_EQ((*c)[2].Y, 100 + 2 * 300 / 3.f);
    EXPECT_FLOAT_EQ((*c)[4].X, 400 + 300 / 3.f);
    EXPECT_FLOAT_EQ((*c)[4].Y, 400 - 300 / 3.f);
    // Its control points are not handles of their own: grabbing one moves the whole selection.
    const float x1 = (*c)[1].X, y1 = (*c)[1].Y;
    s.Drag(static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x1) + 50, static_cast<int>(y1));
    EXPECT_NEAR((*c)[0].X, 150.f, 1.f);
}

TEST(HandleDrag, ColumnRailRegeneratesTheColumn) {
    TShell s;
    TSLCurve* a = Column(s);
    ASSERT_TRUE(a->Flags & OF_RAIL_A);
    TSLCurve* b = a->PartnerRail;
    ASSERT_NE(b, nullptr);
    auto before = Needles(*a);
    ASSERT_FALSE(before.empty());
    // Rail B's first control point pulled down: the column widens there.
    s.Drag(200, 180, 200, 260);
    EXPECT_FLOAT_EQ((*b)[1].Y, 260.f);
    auto after = Needles(*a);
    EXPECT_NE(after, before);
    EXPECT_TRUE(std::any_of(after.begin(), after.end(), [](auto& p) { return p.second > 200; }));
}

TEST(HandleDrag, ColumnHandlesDragWithoutSelectionWhileShown) {
    TShell s;
    TSLCurve* a = Column(s);
    s.Nl.Sew.ClearSelection(OF_SELECTED_EDIT);
    s.Drag(400, 100, 400, 60);
    EXPECT_FLOAT_EQ((*a)[3].Y, 100.f);
    s.Nl.Execute(TCommand::ShowColumnHandles);
    s.Drag(400, 100, 400, 60);
    EXPECT_FLOAT_EQ((*a)[3].Y, 60.f);
    EXPECT_FLOAT_EQ((*a)[2].Y, 60.f); // the end anchor's control came along
}

TEST(HandleDrag, RegionsOnAReshapedOrMovedOutlineRefill) {
    TShell s;
    s.Nl.View.Zoom = 307; // two units a pixel
    auto square = nl::test::ClosedOutline(nl::test::Square(0, 0, 400));
    square->Flags |= OF_SELECTED_EDIT;
    auto* outline = static_cast<TSLCurve*>(s.Nl.Sew.Add(std::move(square)));
    outline->UpdateBounds(s.Nl.StitchContext());
    // The region lies below its outline, so a drag on the outline's path grabs the outline.
    auto* region = static_cast<TSLRegion*>(s.Nl.Sew.Insert(0, nl::test::RegionOn(*outline)));
    region->RegenerateFill({});
    ASSERT_TRUE(region->FillStitches);
    // The corner at (400, 400) pulled up to (400, 200): the fill follows the new boundary.
    s.Drag(200, 200, 200, 100);
    EXPECT_FLOAT_EQ((*outline)[6].Y, 200.f);
    ASSERT_TRUE(region->FillStitches);
    const TKvRect reshaped = region->FillStitches->GetStitchBounds();
    // Nothing is left in the corner that was cut off.
    for (const TSP& p : *region->FillStitches)
        EXPECT_FALSE(p.X > 330 && p.Y > 330) << p.X << "," << p.Y;
    // Moving the whole outline (a drag on its path) carries the fill along.
    s.Drag(100, 0, 150, 0);
    EXPECT_NEAR((*outline)[0].X, 100.f, 0.5f);
    EXPECT_GT(region->FillStitches->GetStitchBounds().Left, reshaped.Left + 50);
}

TEST(HandleDrag, EnvelopeHandlesTakeTheDragWhileTheEditPageIsActive) {
    TShell s;
    TSLCurve* c = SatinOutline(s, {{100, 300}, {400, 300}, {700, 300}});
    TEditOutlinePage& page = s.Nl.OpenEnvelopeEditor(*c);
    s.Nl.ShowEnvelopeEditor(true);
    double hx, hy;
    ASSERT_TRUE(page.HandlePoint(TEnvelopeHandle::P1, hx, hy));
    const double before = page.Height(TEnvelopeHandle::P1);
    auto stitches = Needles(*c);
    // P1 sits at the first anchor, off the path along the A ray: drag it twice as far out.
    const int x = static_cast<int>(hx), y = static_cast<int>(hy);
    const int dy = y < 300 ? -40 : 40;
    s.Drag(x, y, x, y + dy);
    EXPECT_GT(page.Height(TEnvelopeHandle::P1), before + 1.5);
    EXPECT_EQ(page.Dragging(), TEnvelopeHandle::None);
    EXPECT_NE(Needles(*c), stitches);
    EXPECT_FLOAT_EQ((*c)[0].Y, 300.f); // the path itself did not move
    // Drawn on the worksheet while active.
    TRecordingCanvas with, without;
    s.Nl.Draw(with);
    s.Nl.ShowEnvelopeEditor(false);
    s.Nl.Draw(without);
    EXPECT_GT(with.Ops.size(), without.Ops.size());
}

TEST(ContextMenu, OutlineItemsByNodeAndTheirCommands) {
    TShell s;
    TSLCurve* c = RunningOutline(s, {{100, 100}, {400, 100}, {700, 100}});
    // The items of the menu last shown.
    auto shown = [&] {
        return s.Host.Menus.empty() ? std::vector<TContextItem>{} : s.Host.Menus.back().Items;
    };

    // On an inner anchor of a running outline.
    s.RightClick(400, 100);
    ASSERT_FALSE(shown().empty());
    EXPECT_EQ(s.Host.Menus.back().X, 400);
    EXPECT_EQ(shown()[0].Caption, "Outline Properties");
    EXPECT_TRUE(HasItem(shown(), "Transform To Line"));
    EXPECT_TRUE(HasItem(shown(), "Reverse Stitching Direction"));
    EXPECT_TRUE(HasItem(shown(), "Force Stitch At This Point"));
    EXPECT_EQ(s.Nl.ContextNode(), 3);
    s.Nl.RunContextCommand(CMD_FORCE_STITCH);
    EXPECT_TRUE((*c)[3].Flags & SP_FORCE);
    s.RightClick(400, 100);
    auto items = shown();
    auto force = std::find_if(items.begin(), items.end(), [](auto& i) { return i.Code == CMD_FORCE_STITCH; });
    ASSERT_NE(force, items.end());
    EXPECT_TRUE(force->Checked);
    EXPECT_TRUE(force->Checkable);

    // On the path between anchors: no force item. The chosen item runs at once.
    s.Host.MenuAnswers = {CMD_REVERSE_STITCHING};
    s.RightClick(250, 100);
    EXPECT_FALSE(HasItem(shown(), "Force Stitch At This Point"));
    EXPECT_FLOAT_EQ((*c)[0].X, 700.f);
    s.Host.MenuAnswers = {CMD_TRANSFORM_LINE};
    s.RightClick(250, 100);
    EXPECT_TRUE(c->IsLineObject());
    s.Host.MenuAnswers = {CMD_PROPERTIES};
    s.RightClick(250, 100);
    EXPECT_TRUE(HasItem(shown(), "Transform To Curve"));
    EXPECT_EQ(s.Host.PropertiesShown, 1);
    EXPECT_EQ(s.Nl.Sew.Current(), c);

    // Nothing under the pointer: no menu.
    const size_t menus = s.Host.Menus.size();
    s.RightClick(500, 500);
    EXPECT_EQ(s.Host.Menus.size(), menus);
    // Object Layout mode offers the properties, the colour and the visibility, the stitching copy
    // and the drawing order, selecting the object when nothing is.
    s.Nl.SetMode(TMode::ObjectLayout);
    s.Nl.Sew.ClearSelection(OF_SELECTED_LAYOUT);
    s.RightClick(250, 100);
    ASSERT_EQ(shown().size(), 6u);
    EXPECT_EQ(shown()[0].Caption, "Outline Properties");
    EXPECT_EQ(shown()[1].Caption, "Set Outline Color");
    EXPECT_EQ(shown()[2].Caption, "Outline Stitch Visible");
    EXPECT_EQ(shown()[3].Caption, "Copy Stitching To Clipboard");
    EXPECT_EQ(shown()[4].Caption, "Bring To Top");
    EXPECT_EQ(shown()[5].Caption, "Send To Bottom");
    EXPECT_FALSE(shown()[4].Enabled) << "the only object is on top already";
    EXPECT_TRUE(c->Flags & OF_SELECTED_LAYOUT);
}

TEST(ContextMenu, ColumnOffersItsPropertiesAndNoLineTransform) {
    TShell s;
    Column(s);
    s.RightClick(150, 180);
    ASSERT_FALSE(s.Host.Menus.empty());
    const auto& shown = s.Host.Menus.back().Items;
    EXPECT_EQ(shown[0].Caption, "Curved Column Properties");
    EXPECT_FALSE(HasItem(shown, "Transform To Line"));
    EXPECT_TRUE(HasItem(shown, "Reverse Stitching Direction"));
}

TEST(ContextMenu, ItemOfAnObjectDeletedMeanwhileDoesNothing) {
    TShell s;
    TSLCurve* c = RunningOutline(s, {{100, 100}, {400, 100}});
    s.RightClick(250, 100); // dismissed
    ASSERT_EQ(s.Nl.ContextObject(), c);
    s.Nl.Sew.DeleteObject(c);
    s.Nl.RunContextCommand(CMD_REVERSE_STITCHING); // must not touch the freed curve
    EXPECT_EQ(s.Nl.Sew.Count(), 0);
}

TEST(Properties, OpenByDoubleClickAltClickAndAutoShow) {
    TShell s;
    TSLCurve* c = RunningOutline(s, {{100, 100}, {400, 100}});
    c->ClearFlags(OF_SELECTED_EDIT);
    int& opened = s.Host.PropertiesShown;
    s.Click(250, 100);
    EXPECT_EQ(opened, 0);
    // A double click: press, release, then the second press arrives as the double click.
    s.Nl.MouseDown(TMouseButton::Left, 250, 100, {});
    s.Nl.MouseUp(TMouseButton::Left, 250, 100, {});
    s.Nl.DoubleClick(250, 100, {});
    s.Nl.MouseUp(TMouseButton::Left, 250, 100, {});
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(s.Nl.Sew.Current(), c);
    EXPECT_TRUE(c->Flags & OF_SELECTED_EDIT); // still selected after the double click
    s.Click(250, 100, {false, false, true});
    EXPECT_EQ(opened, 2);
    s.Nl.Execute(TCommand::AutoShowProperties);
    s.Click(250, 100);
    EXPECT_EQ(opened, 3);
    // A double click on empty worksheet opens nothing.
    s.Nl.DoubleClick(600, 500, {});
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(s.Nl.Sew.Current(), c);
}

TEST(Properties, AGenerationErrorClosesTheWindowAndSwitchesTheObjectOff) {
    TShell s;
    auto* c = static_cast<TFailingOutline*>(s.Nl.Sew.Add(FailingRunningOutline({{100, 100}, {400, 100}})));
    c->UpdateBounds(s.Nl.StitchContext());
    ASSERT_FALSE(Needles(*c).empty());
    s.Nl.ShowProperties(*c);
    ASSERT_TRUE(s.Host.PropertiesOpen);
    // F5 regenerates the selected outline; its generator fails.
    c->Fail = true;
    s.Nl.KeyDown(TKey::F5, {});
    EXPECT_FALSE(s.Host.PropertiesOpen);
    EXPECT_EQ(s.Host.PropertiesClosed, 1);
    EXPECT_FALSE(c->Flags & OF_VISIBLE);
    EXPECT_TRUE(Needles(*c).empty());
    // The worksheet stays usable: once the outline can be generated, F5 brings it back.
    c->Fail = false;
    s.Nl.KeyDown(TKey::F5, {});
    EXPECT_TRUE(c->Flags & OF_VISIBLE);
    EXPECT_FALSE(Needles(*c).empty());
    EXPECT_EQ(s.Host.PropertiesClosed, 1);
}

TEST(Properties, DoubleClickDuringCreationAddsThePoint) {
    TShell s;
    s.Nl.Execute(TCommand::CreateDirect);
    s.Click(100, 100);
    s.Nl.DoubleClick(120, 100, {});
    s.Nl.MouseUp(TMouseButton::Left, 120, 100, {});
    ASSERT_NE(s.Nl.Creating(), nullptr);
    EXPECT_EQ(s.Nl.Creating()->Count(), 2);
}

TEST(WidthHandles, ShownForSatinOutlinesWhileTheToggleIsOn) {
    TShell s;
    SatinOutline(s, {{100, 300}, {400, 300}, {700, 300}});
    RunningOutline(s, {{100, 500}, {400, 500}}); // a running outline has no width to show
    auto markers = [&] {
        TRecordingCanvas canvas;
        s.Nl.Draw(canvas);
        return canvas.CountKind('M');
    };
    const size_t off = markers();
    s.Nl.Execute(TCommand::ShowZigzagHandles);
    // Two handles at each of the three anchors of the satin outline.
    EXPECT_EQ(markers(), off + 6);
}

TEST(CompensationView, ToggleRegeneratesWithoutAndBackWithCompensation) {
    TShell s;
    TSLCurve* a = Column(s);
    a->Compensation = 30;
    a->UpdateBounds(s.Nl.StitchContext());
    auto with = Needles(*a);
    s.Nl.Execute(TCommand::ShowAllCompensation);
    EXPECT_FALSE(s.Nl.Toggles.ShowAllCompensation);
    EXPECT_TRUE(s.Nl.IsChecked(TCommand::SuppressCompensation));
    auto without = Needles(*a);
    EXPECT_NE(without, with);
    // The tool button is the same option seen from the other side.
    s.Nl.Execute(TCommand::SuppressCompensation);
    EXPECT_TRUE(s.Nl.Toggles.ShowAllCompensation);
    EXPECT_EQ(Needles(*a), with);
}
