// The worksheet-wide settings: every view and tool setting the worksheet file keeps (its two
// settings blocks, the attribute copy switches, the catalog choices and the stitch-order
// options), with the view toggles and the remembered export and import state.
//
// This structure is the one owner of these values. The controller works on it directly (its
// view, toggles and file sessions are the ones held here), so a load, a save or a change made
// in either place never meets a second copy. Settings whose features do not exist yet are kept
// as plain values: a worksheet read and saved again keeps them untouched.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "worksheet/ThreadSettings.h"
#include "worksheet/View.h"

namespace nl {

// What the export command remembers between exports: the last file name and the dialog's filter
// entry (initially 3, the Tajima entry).
struct TExportSession {
    std::string FileName;
    int FilterIndex = 3;
};

// What the import command remembers: the last file name ("Untitled" before the first import,
// "Undefined" after an unsupported extension) and the filter entry (initially 1, all formats).
struct TImportSession {
    std::string FileName = "Untitled";
    int FilterIndex = 1;
};

// The display toggles of the Visual and Options menus and the tool bar. Those the worksheet file
// keeps are marked with the main-window button that stands for them there.
struct TRunToggles {
    bool HideBoundaryPoints = false; // ShowOutlinePoints
    bool HideUnderStitching = false; // ShowUnderStitch
    bool HideFillPoints = false;     // ShowRegionStitch
    bool HideOutlineStitches = false;
    bool HideRegionStitches = false;
    bool HideUnderlay = false; // ShowUnderlay
    bool HighlightLongSatin = false;
    bool ShowAllCompensation = true; // ShowCompensate
    bool Mode3D = false;             // ThreeD
    bool SmallStitchPoints = false;  // UVSMP
    // Every needle point marked, however close together on the screen (not kept in the file).
    bool ShowAllStitchPoints = false;
    bool HideBitmaps = false;              // BtHide
    bool ShowZigzagHandles = false;        // SZH
    bool ShowColumnHandles = false;        // SZL
    bool ShowRegionPaths = true;           // ShowSelectedEM
    bool HighlightOutlinesInLayout = true; // HOutlines
    bool HighlightRegionsInLayout = true;  // HRegions
    bool CreateHighlighted = true;
    bool ShowRegionNodeTypes = false; // SRNT
    bool AutoShowProperties = false;
    bool RotateMode = false; // RotateButton
    // The long-stitch highlight limit in units (`Maxleng`, "Max Length" of the General page, 10 mm).
    int32_t LongStitchLimit = 200;
};

// The stitch-order window's own options (kept with the worksheet after the catalog index).
struct TStitchOrderOptions {
    int32_t ElementHighlightColour = 0x0000FF;
    int32_t RegionHighlightColour = 0xE7F4E1;
    std::array<bool, 7> Switches{};
    int32_t EditPane = 0;
    bool Option = false;
    bool operator==(const TStitchOrderOptions&) const = default;
};

// The on/off states of the attribute copy dialog's boxes, in the worksheet file's order; the
// last twelve exist in files from version 1006 on.
struct TAttributeSwitches {
    bool AttrType = true, AttrVisible = true, AttrColor = true, AttrDensity = true;
    bool AttrRotation = true, AttrUnder = true, AttrPitch = true, AttrOffset = true;
    bool AttrSplit = true, AttrPasses = true, AttrComp = true, AttrPattern = true;
    bool AttrMin = true, AttrMax = true, AttrUseUnder = true, AttrUnderType = true;
    bool AttrUnderDensity = true, AttrUnderPitch = true, AttrUnderOffset = true, AttrUseRotation = true;
    // The underlay rotation choice: as is, set to the main stitch, or to the main stitch + 90.
    bool AttrUnderRotation = true, AttrUnderSetRot = false, AttrUnderSetRot90 = false, AttrUnderMargin = true;
    bool operator==(const TAttributeSwitches&) const = default;
};

struct TWorksheetSettings {
    // ---- the catalog viewer's choices ----
    TThreadSettings Threads; // the catalog shown by the viewer and its list's item index `TypeMan`

    // ---- remembered file names and dialog filters ----
    TExportSession Export;
    TImportSession Import;
    std::string PatternFileName;  // the last stitch pattern file
    std::string SnapshotFileName; // the last screen snapshot file

    // ---- the view: zoom and scroll (and the toggles) ----
    TView View;
    TRunToggles Toggles;
    // 1: the worksheet opens in Design And Editing mode, any other value in Object Layout mode.
    uint8_t WorksheetMode = 1;

    // ---- first settings block: colours of the painters, grid, stitch-order display ----
    int32_t gColBackground = 0xEAEAEA;
    int32_t BackgroundColour2 = 0xEAEAEA;
    int32_t MajorGridColour = 0xC0C0C0;
    int32_t MinorGridColour = 0xFFFFFF;
    int32_t DirectStitchColour = 0xC0C0C0;
    int32_t OutlineColour1 = 0x0000FF;
    int32_t OutlineColour2 = 0xF52952;
    int32_t OutlineNodeColour = 0x808080;
    int32_t OutlineHandleColour = 0x0000FF;
    int32_t StitchPointColour = 0x008000;
    int32_t StitchPointColour2 = 0x000000;
    int32_t OutlinePointColour1 = 0x008000;
    int32_t OutlinePointColour2 = 0x000000;
    int32_t SelectedPointColour = 0x008000;
    int32_t OutlineAuxColour = 0x008000;
    int32_t RegionBoundaryColour = 0x808080;
    bool GUseLarge = false; // "Use Major Grid"
    bool GUseSmall = false; // "Use Minor Grid"
    bool GridDrawing = false;
    int32_t GLarge = 200; // major grid spacing, units
    int32_t GSmall = 20;  // minor grid spacing, units
    int32_t GridSetting3 = 100;
    int32_t GridSetting4 = 300;
    bool OutlineLoaderSwitch = false;
    bool OutlineEditSwitch = false;
    int32_t ImageThick = 3;      // stitch-order image line thickness
    double ImageContrast = 50.0; // stitch-order image contrast
    int32_t KvNormal = 0xFF0000; // stitch-order normal colour
    bool SOJToTop = true;        // "Bring To Top"
    bool SOJToTop2 = false;
    bool SOJToTop3 = false;
    bool SOJToTop4 = true;
    bool SOJump = true; // "Show Jump Stitches"
    uint8_t SOWNormal = 2;
    bool SOWNormalOption = true;
    bool SOJNormal = false;
    bool SOJToTop5 = false;
    int32_t ShadingColour = 0xF5F5F5;
    int32_t OrderHighlightColour = 0xE7F4E1;
    bool OrderHighlight = false;
    int32_t PropertiesColour = 0x0000FF;
    bool OrderHighlight2 = false;
    bool OrderDrawing = false;

    // ---- second settings block ----
    int32_t PointsUnder = 4; // "Points Under", units (edited with `Maxleng`)
    bool MaxlengOption1 = false;
    bool MaxlengOption2 = true;
    int32_t ImagePreviewColour = static_cast<int32_t>(0xFF00000Fu);
    int32_t ColourTable1 = static_cast<int32_t>(0xFF00000Fu);
    int32_t ColourTable2 = 0x0000FF;
    int32_t BackColor = 0xFFFFFF; // stitch-order back colour
    int32_t StitchHighlight1 = 0xF7F2F2;
    int32_t StitchHighlight2 = 0xFFEAE6;
    bool SelectionOutline = false;
    int32_t SelectionColour = 0x00FFFF;
    int32_t SelectionFrameColour1 = 0xFFEAE6;
    int32_t SelectionFrameColour2 = 0xFF0000;
    double SimStitches = 40.0; // simulator stitches per step
    bool SimPoint = true;      // simulator shows points
    bool SimView = true;
    int32_t KvHigh = 0x0000FF; // stitch-order high colour
    bool DrawingSwitch1 = true;
    bool SelectionFrame1Shown = true;
    bool SelectionFrame2Shown = true;
    bool Renderer3D = false;
    int32_t TrueBlend = 3;
    double TrueDepth = 0.7;
    int32_t TrueShad = 30;
    int32_t TrueSep = 15;
    int32_t TrueSaturation = -20;
    double TrueDetail = 60.0;
    int32_t BrightnessTrack = 0;
    bool TrueFull3D = true; // "3D Image Rendering" rather than quick 3D
    int32_t Kv3DColor = 0xFF7D7D;
    bool GridSuspend = true; // "Suspend Grid"
    int32_t Image3DThickRun = 65;
    int32_t Image3DThickFill = 100;
    int32_t rgColor = 0x353544; // simulator colour
    int32_t fgColor = 0xE2E2EB; // simulator foreground colour
    int32_t unGradSize = 6;
    int32_t unText = 0; // "Show Scale"
    bool UnMetric = true;
    double unWidth = 20.0;
    int32_t unGrads = 10;
    int32_t RulerPainter = 40;
    int32_t unMC = 0x408000; // ruler colour
    int32_t unTC = 0x0000FF; // ruler text colour

    TAttributeSwitches Attributes;
    TStitchOrderOptions StitchOrder;
};

} // namespace nl
