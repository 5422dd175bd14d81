#include "ui/RegionPage.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "core/Units.h"

namespace nl {

namespace {
using TRow = TFieldRow<TSLRegion>;
using TToggle = TToggleRow<TSLRegion>;

// A field stored as an integer count of `scale` per shown unit (units per mm, tenths).
template <class Base>
TRow Scaled(const char* caption, const char* unit, double min, double max, bool clamps, int32_t Base::*field,
            double scale) {
    return {caption,
            unit,
            min,
            max,
            2,
            [field, scale](const TSLRegion& r) { return r.*field / scale; },
            [field, scale](TSLRegion& r, double x) { r.*field = RoundI(x * scale); },
            nullptr,
            clamps,
            0.0};
}

// A field stored as it is shown (degrees, the compensation).
TRow Plain(const char* caption, const char* unit, double min, double max, float TRegionFields::*field) {
    return {caption,
            unit,
            min,
            max,
            2,
            [field](const TSLRegion& r) { return static_cast<double>(r.*field); },
            [field](TSLRegion& r, double x) { r.*field = static_cast<float>(x); },
            nullptr,
            false,
            0.0};
}

// One 16-bit half of PitchOffsets.
TRow Offset(const char* caption, bool high) {
    const int shift = high ? 16 : 0;
    const uint32_t keep = high ? 0xFFFFu : 0xFFFF0000u;
    return {caption,
            "  %",
            -100,
            100,
            2,
            [shift](const TSLRegion& r) { return DecodeOffset((r.PitchOffsets >> shift) & 0xFFFF); },
            [shift, keep](TSLRegion& r, double x) {
                r.PitchOffsets = (r.PitchOffsets & keep) | (EncodeOffset(x) << shift);
            },
            nullptr,
            true,
            0.0};
}

TToggle UnderType(const char* caption, uint32_t bit) {
    // One of three: choosing one replaces the others.
    return {caption, [bit](const TSLRegion& r) { return (r.StitchFlags & bit) != 0; },
            [bit](TSLRegion& r, bool) {
                r.StitchFlags = (r.StitchFlags & ~RSF_UNDER_MASK) | bit;
                if (r.OrderIndex == ORDER_NONE) r.OrderIndex = ORDER_UNPLACED;
            },
            nullptr, true};
}
} // namespace

const std::vector<TFieldRow<TSLRegion>>& TRegionPage::FieldList() {
    // In the order of TRegionField.
    static const std::vector<TRow> fields = {
        Scaled(" Stitch Density      ", " per mm", 1, 7, false, &TRegionFields::Density, 10),
        Scaled(" Running Density  ", " mm", 0.5, 8, false, &TRegionFields::RunLength, kUnitsPerMm),
        Plain(" Rotate  ", " Deg", -360, 360, &TRegionFields::Rotation),
        {" Stitch Pitch          ", " mm", 2, 10, 2, [](const TSLRegion& r) { return r.Pitch / kUnitsPerMm; },
         [](TSLRegion& r, double x) { r.Pitch = static_cast<float>(RoundI(x * kUnitsPerMm)); }, nullptr,
         false, 0.0},
        Offset("  Offset A    ", false),
        Offset("  Offset B    ", true),
        Plain(" Compensation   ", "  mm", 0, 100, &TRegionFields::Compensation),
        // The minimum never exceeds the maximum.
        {"  Min St. Dist  ", " mm", 0.1, 11, 2,
         [](const TSLRegion& r) { return r.MinStitch() / kUnitsPerMm; },
         [](TSLRegion& r, double x) {
             const int32_t mx = r.MaxStitch();
             r.SetStitchLimits(std::min(RoundI(x * kUnitsPerMm), mx), mx);
         },
         nullptr, true, 0.0},
        {"  Max St. Dist  ", " mm", 4, 20, 2, [](const TSLRegion& r) { return r.MaxStitch() / kUnitsPerMm; },
         [](TSLRegion& r, double x) {
             const int32_t mx = RoundI(x * kUnitsPerMm);
             r.SetStitchLimits(std::min(r.MinStitch(), mx), mx);
         },
         nullptr, true, 0.0},
        Scaled(" Tatami Min  ", " mm", 0, 2, false, &TSLStitch::TatamiMin, kUnitsPerMm),
        Scaled(" Density  ", "", 1, 7, false, &TRegionFields::UnderDensity, 10),
        Plain(" Rotate   ", " Deg", -360, 360, &TRegionFields::UnderRotation),
        Scaled(" Pitch      ", " mm", 0.5, 11, false, &TRegionFields::UnderPitch, kUnitsPerMm),
        {" Margin   ", " mm", 0, 40, 2, [](const TSLRegion& r) { return r.UnderMargin / kUnitsPerMm; },
         [](TSLRegion& r, double x) { r.UnderMargin = x * kUnitsPerMm; }, nullptr, true, 0.0},
        Scaled(" Offset    ", "", 0, 100, false, &TRegionFields::UnderOffset, 10),
    };
    return fields;
}

const std::vector<TToggleRow<TSLRegion>>& TRegionPage::ToggleList() {
    // In the order of TRegionToggle.
    static const std::vector<TToggle> toggles = {
        FlagToggle<TSLRegion>("Split Pitch", &TSLStitch::Flags, RF_SPLIT_PITCH),
        FlagToggle<TSLRegion>("Use Offset B On Return Stitch", &TSLStitch::StitchFlags, SF_USE_OFFSET_B),
        FlagToggle<TSLRegion>("Use Underlay", &TSLStitch::StitchFlags, RSF_USE_UNDERLAY),
        UnderType("Tatami", RSF_UNDER_TATAMI),
        UnderType("Satin", RSF_UNDER_SATIN),
        UnderType("Zigzag", RSF_UNDER_ZIGZAG),
        FlagToggle<TSLRegion>("Back To Stitch", &TSLStitch::StitchFlags, RSF_BACK_TO_STITCH),
        FlagToggle<TSLRegion>("A Side", &TSLStitch::StitchFlags, SF_A_SIDE),
        FlagToggle<TSLRegion>("B Side", &TSLStitch::StitchFlags, SF_B_SIDE),
        FlagToggle<TSLRegion>("Dont Allow Overlays", &TSLStitch::Flags, OF_NO_OVERLAYS),
        FlagToggle<TSLRegion>("Use As Complex  Hole", &TSLStitch::Flags, OF_COMPLEX_HOLE),
        FlagToggle<TSLRegion>("Allow Complex Holes", &TSLStitch::Flags, OF_ALLOW_HOLES),
    };
    return toggles;
}

void TRegionPage::Toggled(size_t toggle, bool on) {
    if (toggle != static_cast<size_t>(TRegionToggle::ComplexHole)) return;
    if (ctx_.OnShapingChanged) ctx_.OnShapingChanged(target_);
    if (OnHoleChanged) OnHoleChanged(target_, on);
}

void TRegionPage::SetStitchType(uint32_t type) {
    if (type != ST_NONE && type != ST_TATAMI && type != ST_SATIN && type != ST_ZIGZAG) return;
    target_.SetStitchTypeBits(type);
    Regenerate();
}

void TRegionPage::SetTurnType(int type) {
    SetBits(target_.StitchFlags, RSF_TURN_TYPE_2, type == 2);
    Regenerate();
}

void TRegionPage::SetColour(int32_t colour) {
    target_.SetColor(colour);
    if (redraw_) redraw_();
}

void TRegionPage::Regenerate() {
    Restitch(target_, ctx_);
    if (redraw_) redraw_();
}

// ---- "Region Creation" ----

TRegionCreationPage::TRegionCreationPage(TRegionBuilder& builder,
                                         std::function<std::vector<TSLStitch*>()> objects,
                                         std::function<void()> exit)
    : builder_(builder), objects_(std::move(objects)), exit_(std::move(exit)) {}

std::string TRegionCreationPage::Caption(TCreationButton b) const {
    switch (b) {
    case TCreationButton::MakeFixedNode:
        return builder_.FixedNodeCaption();
    case TCreationButton::Back:
    case TCreationButton::NodeBack:
        return "Back ";
    case TCreationButton::Forward:
    case TCreationButton::NodeForward:
        return "Forward";
    case TCreationButton::Delete:
        return "Delete";
    case TCreationButton::Up:
        return "Up";
    case TCreationButton::Down:
        return "Down";
    case TCreationButton::Start:
    case TCreationButton::NodeStart:
        return "Start";
    case TCreationButton::End:
    case TCreationButton::NodeEnd:
        return "End";
    case TCreationButton::Restore:
        return "Restore";
    case TCreationButton::Exit:
        return "Exit";
    case TCreationButton::ConvertToFixed:
        return "Convert To Fixed";
    case TCreationButton::ConvertAllNodes:
        return "Convert All Nodes ";
    }
    return "";
}

bool TRegionCreationPage::Enabled(TCreationButton b) const {
    switch (b) {
    case TCreationButton::Back:
    case TCreationButton::Forward:
    case TCreationButton::Delete:
    case TCreationButton::Exit:
        return builder_.NavigationEnabled();
    case TCreationButton::MakeFixedNode:
        return builder_.Region() != nullptr;
    default:
        return true;
    }
}

void TRegionCreationPage::Press(TCreationButton b) {
    if (!Enabled(b)) return;
    switch (b) {
    case TCreationButton::MakeFixedNode:
        builder_.MakeFixedNodeButton();
        break;
    case TCreationButton::Back:
        builder_.Back();
        break;
    case TCreationButton::Forward:
        builder_.Forward();
        break;
    case TCreationButton::Delete:
        builder_.Delete();
        break;
    case TCreationButton::Up:
        builder_.Up(objects_ ? objects_() : std::vector<TSLStitch*>{});
        break;
    case TCreationButton::Down:
        builder_.Down(objects_ ? objects_() : std::vector<TSLStitch*>{});
        break;
    case TCreationButton::Start:
        builder_.Start();
        break;
    case TCreationButton::End:
        builder_.End();
        break;
    case TCreationButton::Restore:
        builder_.Restore();
        break;
    case TCreationButton::Exit:
        if (exit_) exit_();
        break;
    case TCreationButton::NodeStart:
        builder_.CursorStart();
        break;
    case TCreationButton::NodeBack:
        builder_.CursorBack();
        break;
    case TCreationButton::NodeForward:
        builder_.CursorForward();
        break;
    case TCreationButton::NodeEnd:
        builder_.CursorEnd();
        break;
    case TCreationButton::ConvertToFixed:
        builder_.ConvertCursorToFixed();
        break;
    case TCreationButton::ConvertAllNodes:
        builder_.ConvertAllNodes();
        break;
    }
}

} // namespace nl
