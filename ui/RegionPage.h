// Page models of the properties window for fill regions: "Region" (fill attributes, the region
// side of "Stitch Style") and "Region Creation" (the path and node editing buttons).
// No widgets: the dialog shows Caption/Unit/Value and forwards edits; every accepted change is
// stored in the region's units and regenerates the fill.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "regions/RegionBuilder.h"
#include "regions/SLRegion.h"

namespace nl {

enum class TRegionField : uint8_t {
    Density,      // rgDensity
    RunLength,    // rgUnderDensity
    Rotate,       // RgRotate
    Pitch,        // rgPitch
    OffsetA,      // rgPitchOffset
    OffsetB,      // rgPitchOffsetB
    Compensation, // rgCompensate
    MinStitch,    // rgMin
    MaxStitch,    // rgMax
    TatamiMin,    // rgTat
    UnderDensity, // udDensity
    UnderRotate,  // udRotate
    UnderPitch,   // udPitch
    UnderMargin,  // udMargin
    UnderOffset,  // udOffset
};

enum class TRegionToggle : uint8_t {
    SplitPitch,   // rgSplitPitch
    UseOffsetB,   // rgSplitOffset
    UseUnderlay,  // udUse
    UnderTatami,  // udTatami
    UnderSatin,   // udSatin
    UnderZigzag,  // udZigzag
    BackToStitch, // BStitch
    SideA,        // rgSideA
    SideB,        // rgSideB
    NoOverlays,   // rgNoOverlay
    ComplexHole,  // rgHole
    AllowHoles,   // ACH
};

struct TFieldSpec {
    TRegionField Field;
    const char* Control;
    const char* Caption;
    const char* Unit;
    double Min;
    double Max;
    bool Clamps; // out-of-range values are clamped instead of refused
};

class TRegionPage {
public:
    TRegionPage(TSLRegion& region, TStitchContext ctx, std::function<void()> redraw = {});

    static const std::vector<TFieldSpec>& Fields();
    static const TFieldSpec& Spec(TRegionField f);
    static const char* ToggleCaption(TRegionToggle t);

    // The value in dialog units.
    double Value(TRegionField f) const;
    // Stores an edited value; false when refused (the region keeps its previous value).
    bool SetValue(TRegionField f, double value);

    bool Toggle(TRegionToggle t) const;
    void SetToggle(TRegionToggle t, bool on);

    // Region side of "Stitch Style": "No Stitches ", "Tatami", "Satin", "Zigzag".
    void SetStitchType(uint32_t type);
    // The two "Further Options" buttons: tatami turn type 1 and 2.
    void SetTurnType(int type);
    // rgColor: the colour changes without regenerating.
    void SetColour(int32_t colour);

    // Called when "Use As Complex  Hole" changes, so the worksheet's hole list follows.
    std::function<void(TSLRegion&, bool)> OnHoleChanged;

private:
    void Regenerate();

    TSLRegion& region_;
    TStitchContext ctx_;
    std::function<void()> redraw_;
};

// The buttons of the "Region Creation" page.
enum class TCreationButton : uint8_t {
    MakeFixedNode,
    Back,
    Forward,
    Delete,
    Up,
    Down,
    Start,
    End,
    Restore,
    Exit,
    NodeStart,
    NodeBack,
    NodeForward,
    NodeEnd,
    ConvertToFixed,
    ConvertAllNodes,
};

class TRegionCreationPage {
public:
    TRegionCreationPage(TRegionBuilder& builder, std::function<std::vector<TSLStitch*>()> objects,
                        std::function<void()> exit = {});
    std::string Caption(TCreationButton b) const;
    bool Enabled(TCreationButton b) const;
    void Press(TCreationButton b);

private:
    TRegionBuilder& builder_;
    std::function<std::vector<TSLStitch*>()> objects_;
    std::function<void()> exit_;
};

} // namespace nl
