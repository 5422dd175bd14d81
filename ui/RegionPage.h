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
#include "ui/FieldPage.h"

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

// The "Region" page: one field row per TRegionField and one check box row per TRegionToggle, in
// the order of the enums.
class TRegionPage : public TFieldPageOf<TRegionPage, TSLRegion> {
public:
    static constexpr const char* Caption = "Region";
    TRegionPage(TSLRegion& region, const TStitchContext& ctx, std::function<void()> redraw = {})
        : TFieldPageOf(region, ctx), redraw_(std::move(redraw)) {}

    static const std::vector<TFieldRow<TSLRegion>>& FieldList();
    static const std::vector<TToggleRow<TSLRegion>>& ToggleList();
    static const TFieldRow<TSLRegion>& Spec(TRegionField f) { return FieldList()[static_cast<size_t>(f)]; }
    static const char* ToggleCaption(TRegionToggle t) {
        return ToggleList()[static_cast<size_t>(t)].Caption.c_str();
    }
    // The fields of the underlay box (the others are the fill's).
    static bool IsUnderlay(TRegionField f) { return f >= TRegionField::UnderDensity; }
    static bool IsUnderlay(TRegionToggle t) {
        return t >= TRegionToggle::UseUnderlay && t <= TRegionToggle::UnderZigzag;
    }

    using TFieldPageOf::SetToggle;
    using TFieldPageOf::Value;
    // The value in dialog units.
    double Value(TRegionField f) const { return Value(static_cast<size_t>(f)); }
    // Stores an edited value; false when refused (the region keeps its previous value).
    bool SetValue(TRegionField f, double value) {
        return Apply(static_cast<size_t>(f), value) == TApply::Accepted;
    }

    bool Toggle(TRegionToggle t) const { return ToggleValue(static_cast<size_t>(t)); }
    void SetToggle(TRegionToggle t, bool on) { SetToggle(static_cast<size_t>(t), on); }

    // Region side of "Stitch Style": "No Stitches ", "Tatami", "Satin", "Zigzag".
    void SetStitchType(uint32_t type);
    // The two "Further Options" buttons: tatami turn type 1 and 2.
    void SetTurnType(int type);
    // rgColor: the colour changes without regenerating.
    void SetColour(int32_t colour);

    // Called when "Use As Complex  Hole" changes, so the worksheet's hole list follows.
    std::function<void(TSLRegion&, bool)> OnHoleChanged;

protected:
    void Toggled(size_t toggle, bool on) override;
    void Regenerate() override;

private:
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
