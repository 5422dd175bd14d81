#include "app/Commands.h"

#include <array>
#include <stdexcept>

#include "app/RunState.h"

namespace nl {

namespace {
using K = TCommandKind;
using C = TCommand;
constexpr uint32_t LD = MB_LAYOUT | MB_DESIGN; // 0x3: "the rest" of the tool buttons
constexpr bool LATER = true;
constexpr bool NOW = false;

const char* const F = "File  ";
const char* const E = "Edit ";
const char* const M = "Mode";
const char* const CR = "Create  ";
const char* const T = "Text  ";
const char* const V = "Visual  ";
const char* const O = "Options  ";
const char* const TH = "Threads  ";
const char* const P = "Properties   ";
const char* const H = "Help   ";

const TCommandInfo kCommands[] = {
    {C::FileNew, F, "New Worksheet", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::FileOpen, F, "Open ...", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::FileSave, F, "Save", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::FileSaveAs, F, "Save As ...", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::FileImport, F, "Import Stitch File", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::FileExit, F, "Exit", nullptr, nullptr, MB_ALL, K::Action, NOW},

    // The captions name the step ("Undo Move"): TNL::CommandCaption. Redo also takes Ctrl+Shift+Z.
    {C::Undo, E, "Undo", "Ctrl+Z", "Undo", MB_ALL, K::Action, NOW},
    {C::Redo, E, "Redo", "Ctrl+Y", "Redo", MB_ALL, K::Action, NOW},
    {C::GroupSelection, E, "Group Selection", nullptr, "Associate or Disassociate objects into a group", LD,
     K::Action, NOW},
    {C::ChangeOrder, E, "Change Objects Stitching Order", "Ctrl+S", nullptr, MB_LAYOUT, K::Action, NOW},
    {C::SetJumps, E, "Set Objects Jump Stitches", "Ctrl+J", nullptr, MB_LAYOUT, K::Action, NOW},
    {C::ExportStitching, E, "Export Stitching To ...", "Ctrl+Alt+E", nullptr, MB_LAYOUT, K::Action, NOW},
    {C::ImportStitching, E, "Import Stitching From ...", "Ctrl+Alt+I", nullptr, MB_ALL, K::Action, NOW},
    {C::Cut, E, "Cut", "Ctrl+X", nullptr, MB_LAYOUT, K::Action, NOW},
    {C::Copy, E, "Copy", "Ctrl+C", nullptr, MB_LAYOUT, K::Action, NOW},
    {C::Paste, E, "Paste", "Ctrl+V", nullptr, LD, K::Action, NOW},
    {C::Duplicate, E, "Duplicate", nullptr, nullptr, MB_LAYOUT, K::Action, NOW},
    {C::Delete, E, "Delete", "Ctrl+Del", nullptr, MB_LAYOUT, K::Action, NOW},
    {C::Rotate, E, "Rotate Selected Objects ...", nullptr, nullptr, MB_LAYOUT, K::Action, NOW},
    {C::Resize, E, "Resize Selected Objects ...", nullptr, nullptr, MB_LAYOUT, K::Action, NOW},
    {C::MirrorHorizontal, E, "Mirror Horizontal", "Ctrl+Alt+H", "Horizontally Mirror Object", MB_LAYOUT,
     K::Action, NOW},
    {C::MirrorVertical, E, "Mirror Vertical", "Ctrl+Alt+V", "Vertically Mirror Object ", MB_LAYOUT, K::Action,
     NOW},
    // The design of the current object as one direct stitch object; the drawing order of the
    // selection.
    {C::CopyStitching, E, "Copy Stitching To Clipboard", nullptr, nullptr, MB_LAYOUT, K::Action, NOW},
    {C::BringToTop, E, "Bring To Top", nullptr, nullptr, LD, K::Action, NOW},
    {C::SendToBottom, E, "Send To Bottom", nullptr, nullptr, LD, K::Action, NOW},
    {C::ZoomIn, E, "Zoom &In", "Ctrl+I", nullptr, MB_ALL, K::Action, NOW},
    {C::ZoomOut, E, "Zoom &Out", "Ctrl+O", nullptr, MB_ALL, K::Action, NOW},
    {C::FixedNodeRegions, E, "Make Whole Design Use Fixed Node Regions", nullptr, nullptr, MB_LAYOUT,
     K::Action, NOW},
    {C::RunSimulation, E, "Run Sew Simulation", nullptr, nullptr, MB_LAYOUT, K::Action, false},

    {C::ModeLayout, M, "Layout ", nullptr, nullptr, MB_ALL, K::Mode, NOW},
    {C::ModeEdit, M, "Edit", "Ctrl+A", nullptr, MB_ALL, K::Mode, NOW},
    {C::ModeRegion, M, "Region Creation", nullptr, nullptr, MB_ALL, K::Mode, NOW},
    {C::ModeConnect, M, "Connect Outlines To Stitch As One Object", nullptr, nullptr, MB_ALL, K::Mode, NOW},
    {C::ModeOrder, M, "Change Stitching Order", nullptr, nullptr, MB_ALL, K::Mode, NOW},
    {C::ModeLayoutButton, nullptr, nullptr, nullptr, "Object Layout Mode", 0x2B, K::Mode, NOW},
    {C::ModeEditButton, nullptr, nullptr, nullptr, "Design And Editing Mode", 0x2B, K::Mode, NOW},
    {C::ModeRegionButton, nullptr, nullptr, nullptr, "Fill Region Creation And Editing Mode", 0x23, K::Mode,
     NOW},
    {C::ModeConnectButton, nullptr, nullptr, nullptr, "Outline Jump Connection Mode", 0x2B, K::Mode, NOW},
    {C::ModeOrderButton, nullptr, nullptr, nullptr, "Change Stitching Order Of An Embroidery Object", 0x0F,
     K::Mode, NOW},

    {C::CreateNewWorksheet, CR, "New Worksheet", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::CreateOutline, CR, "Outline", "F2", "Create An Outline Object", LD, K::Action, NOW},
    {C::CreateColumn, CR, "Curved Column ", "F3", "Create A Curved Column Object", LD, K::Action, NOW},
    {C::CreateDirect, CR, "Direct Stitch ", "F4", "Create A Stitch Object", LD, K::Action, NOW},
    // F5 and F6 switch outline stitching on and off (keyboard table), so these two carry no key.
    {C::CreateLine, CR, "Line Object", nullptr, "Create A Line Stitch Object", LD, K::Action, NOW},
    {C::CreateCircle, CR, "Circle", nullptr, "Create A Circular Stitch Object", LD, K::Action, NOW},
    {C::CreateText, nullptr, nullptr, nullptr, "Create An Embroidery Text Object", LD, K::Action, NOW},
    {C::CreateFrame, CR, "Embroidery Frame Object", nullptr, "Create An Embroidery Frame Reference Object",
     LD, K::Action, NOW},
    {C::CreatePicture, CR, "Picture Image Object", nullptr, "Create An Image ( picture ) Object", LD,
     K::Action, NOW},
    {C::CreatePatternCreator, CR, "Stitch Pattern Creator Object", nullptr,
     "Create A Stitch Pattern Creator Object", LD, K::Action, NOW},
    {C::CreateTextLabel, CR, "Text Label  Object", nullptr, "Create A Text Label Memo Object", LD, K::Action,
     NOW},

    {C::TextEdit, T, "Edit Text", nullptr, nullptr, LD, K::Action, LATER},
    {C::TextFonts, T, "Manage Text Fonts", nullptr, nullptr, LD, K::Action, LATER},

    {C::HideBoundaryPoints, V, "Hide Boundary Stitch Points", nullptr, "Hide Boundary Stitch Points", 0x13,
     K::Toggle, NOW},
    {C::HideUnderStitching, V, "Hide Under Stitching", nullptr, "Hide Under Stitching ", LD, K::Toggle, NOW},
    {C::HideFillPoints, V, "Hide Pattern And Fill Stitch Points", nullptr,
     "Hide Pattern And Fill Stitch Points.", 0x13, K::Toggle, NOW},
    {C::HideOutlineStitches, V, "Hide Outline Stitches", nullptr, "Hide Outline Stitches", LD, K::Toggle,
     NOW},
    {C::HideRegionStitches, V, "Hide Region Stitches", nullptr, "Hide Region Fill Stitches", 0x203, K::Toggle,
     NOW},
    {C::HideUnderlay, V, "Hide Underlay Stitches", nullptr, "Hide Underlay Stitches", 0x203, K::Toggle, NOW},
    {C::HighlightLongSatin, V, "Highlight Long Satin Stitches", nullptr, "Highlight Long Satin Stitches",
     MB_DESIGN, K::Toggle, NOW},
    {C::ShowAllCompensation, V, "Show All Design Compensation ", nullptr, nullptr, LD, K::Toggle, NOW},
    {C::SuppressCompensation, nullptr, nullptr, nullptr,
     "View With  All Design Compensation Suppressed ( does not affect output )", LD, K::Toggle, NOW},
    // The shaded thread view is not drawn yet; nor are pictures, so there is no bitmap to hide.
    {C::Mode3D, V, "3D Mode", nullptr, "3D 'PhotoRealistic' Mode", LD, K::Toggle, LATER},
    {C::SmallStitchPoints, V, "Use Small Stitch Points", nullptr, nullptr, MB_ALL, K::Toggle, NOW},
    // Markers are left out where they would cover the thread; this shows every one.
    {C::ShowAllStitchPoints, V, "Show All Stitch Points", nullptr, nullptr, MB_ALL, K::Toggle, NOW},
    {C::HideBitmaps, V, "Hide All Bitmaps", "Ctrl+B", nullptr, MB_ALL, K::Toggle, NOW},
    {C::ShowRegionNodeTypes, V, "Show Region Node Types", nullptr, nullptr, MB_ALL, K::Toggle, NOW},

    {C::ExportScreenImage, O, "Export Screen Image To File Format", nullptr, nullptr, MB_ALL, K::Action,
     LATER},
    {C::GridProperties, O, "Grid Properties", nullptr, nullptr, MB_ALL, K::Action, LATER},
    {C::View3DProperties, O, "View In 3D Mode - Properties", nullptr, nullptr, MB_ALL, K::Action, LATER},
    {C::RulerProperties, O, "Ruler Properties", nullptr, nullptr, MB_ALL, K::Action, LATER},
    // Opens the "General" page (Max Length, Points Under, the recovery copies).
    {C::StitchLengthProperties, O, "Stitch Max and Min Length Properties", nullptr, nullptr, MB_ALL,
     K::Action, NOW},
    {C::AutoShowProperties, O, "Auto Show Properties", nullptr, "Auto Show Properties On Edit Selection",
     MB_DESIGN, K::Toggle, NOW},
    {C::ShowZigzagHandles, O, "Show Zigzag Handles", nullptr, nullptr, MB_ALL, K::Toggle, NOW},
    {C::ShowColumnHandles, O, "Show Curved Column Handles", nullptr, nullptr, MB_ALL, K::Toggle, NOW},
    {C::ShowRegionPaths, O, "Show Selected Region Paths On Edit Selection", nullptr, nullptr, MB_ALL,
     K::Toggle, NOW},
    {C::HighlightOutlines, O, "Highlight All Outlines in Layout Object Mode", nullptr, nullptr, MB_ALL,
     K::Toggle, NOW},
    {C::HighlightRegions, O, "Highlight All Regions In Object Mode", nullptr, nullptr, MB_ALL, K::Toggle,
     NOW},
    {C::CreateHighlighted, O, "Create Objects In Highlight Mode", nullptr, nullptr, MB_ALL, K::Toggle, NOW},
    {C::RotateMode, O, "Rotate Embroidery Object Mode", nullptr, "Rotate Embroidery Object Mode", LD,
     K::Toggle, NOW},

    {C::SewHighlighted, nullptr, nullptr, nullptr, "Sew Highlighted Object", 0x13, K::Action, false},
    {C::ExportButton, nullptr, nullptr, nullptr, "Export Embroidery Object To File Format", 0x13, K::Action,
     NOW},
    {C::ImportButton, nullptr, nullptr, nullptr, "Import Embroidery Object From File Format", LD, K::Action,
     NOW},
    {C::PatternViewerButton, nullptr, nullptr, nullptr, "Prog. Stitch  Pattern Viewer", LD, K::Action, NOW},
    {C::ColourPalletButton, nullptr, nullptr, nullptr, "Color And Position Pallet", LD, K::Action, NOW},

    {C::ManageCatalog, TH, "Manage Color Catalog", nullptr, nullptr, MB_ALL, K::Action, NOW},
    // The free-standing viewer sits with the catalog manager in the Threads menu.
    {C::CatalogViewer, TH, "Color Catalog Viewer", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::PatternViewer, P, "Stitch Creation Pattern Viewer", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::HelpContents, H, "Help Contents", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::HelpNavigating, H, "Navigating The Worksheet", nullptr, nullptr, MB_ALL, K::Action, NOW},
    {C::About, H, "About Nordelune ...", nullptr, nullptr, MB_ALL, K::Action, NOW},
};

const TMenuInfo kMenus[] = {{F, true}, {E, true}, {M, true},  {CR, true}, {T, false},
                            {V, true}, {O, true}, {TH, true}, {P, true},  {H, true}};

constexpr size_t kCount = static_cast<size_t>(TCommand::Count_);
static_assert(std::size(kCommands) == kCount, "every command has one table row");

const std::array<const TCommandInfo*, kCount>& Index() {
    static const auto index = [] {
        std::array<const TCommandInfo*, kCount> a{};
        for (const TCommandInfo& c : kCommands)
            a[static_cast<size_t>(c.Id)] = &c;
        return a;
    }();
    return index;
}
} // namespace

std::span<const TCommandInfo> CommandTable() {
    return kCommands;
}

const TCommandInfo& CommandInfo(TCommand id) {
    auto i = static_cast<size_t>(id);
    if (i >= kCount || !Index()[i]) throw std::out_of_range("unknown command");
    return *Index()[i];
}

std::span<const TMenuInfo> MenuTable() {
    return kMenus;
}

} // namespace nl
