// The command set of the main window: every menu item and tool button, with its caption,
// accelerator, tool hint and mode availability mask. The desktop face builds its menus and tool
// bar from this table; the controller dispatches on the command id.
#pragma once
#include <cstdint>
#include <span>

namespace nl {

enum class TCommand : uint16_t {
    // File
    FileNew,
    FileOpen,
    FileSave,
    FileSaveAs,
    FileImport,
    FileExit,
    // Edit
    Undo,
    Redo,
    GroupSelection,
    ChangeOrder,
    SetJumps,
    ExportStitching,
    ImportStitching,
    Cut,
    Copy,
    Paste,
    Duplicate,
    Delete,
    Rotate,
    Resize,
    MirrorHorizontal,
    MirrorVertical,
    CopyStitching,
    BringToTop,
    SendToBottom,
    ZoomIn,
    ZoomOut,
    FixedNodeRegions,
    RunSimulation,
    // Mode
    ModeLayout,
    ModeEdit,
    ModeRegion,
    ModeConnect,
    ModeOrder,
    // Mode tool buttons: their own masks, while the Mode menu stays reachable in every mode
    ModeLayoutButton,
    ModeEditButton,
    ModeRegionButton,
    ModeConnectButton,
    ModeOrderButton,
    // Create
    CreateNewWorksheet,
    CreateOutline,
    CreateColumn,
    CreateDirect,
    CreateLine,
    CreateCircle,
    CreateText,
    CreateFrame,
    CreatePicture,
    CreatePatternCreator,
    CreateTextLabel,
    // Text (hidden menu)
    TextEdit,
    TextFonts,
    // Visual toggles
    HideBoundaryPoints,
    HideUnderStitching,
    HideFillPoints,
    HideOutlineStitches,
    HideRegionStitches,
    HideUnderlay,
    HighlightLongSatin,
    ShowAllCompensation,
    SuppressCompensation,
    Mode3D,
    SmallStitchPoints,
    ShowAllStitchPoints,
    HideBitmaps,
    ShowRegionNodeTypes,
    // Options
    ExportScreenImage,
    GridProperties,
    View3DProperties,
    RulerProperties,
    StitchLengthProperties,
    AutoShowProperties,
    ShowZigzagHandles,
    ShowColumnHandles,
    ShowRegionPaths,
    HighlightOutlines,
    HighlightRegions,
    CreateHighlighted,
    RotateMode,
    // Tool bar only
    SewHighlighted,
    ExportButton,
    ImportButton,
    PatternViewerButton,
    ColourPalletButton,
    // Threads, Properties, Help
    ManageCatalog,
    CatalogViewer,
    PatternViewer,
    HelpContents,
    HelpNavigating,
    About,
    Count_
};

enum class TCommandKind : uint8_t { Action, Toggle, Mode };

struct TCommandInfo {
    TCommand Id;
    const char* Menu;     // menu caption, null for tool-bar-only commands
    const char* Caption;  // menu item caption, null when the command has no menu item
    const char* Shortcut; // "Ctrl+A", "F2" ..., null for none
    const char* Hint;     // tool button hint, null when there is no tool button
    uint32_t Mask;        // mode availability
    TCommandKind Kind;
    bool Later; // belongs to a feature this build does not have yet: shown, disabled
};

// Every command, in menu order; menus appear in the order of their first command.
std::span<const TCommandInfo> CommandTable();
const TCommandInfo& CommandInfo(TCommand id);
// The menus in menu-bar order, and whether the menu is shown (the text menu is created hidden).
struct TMenuInfo {
    const char* Caption;
    bool Visible;
};
std::span<const TMenuInfo> MenuTable();

} // namespace nl
