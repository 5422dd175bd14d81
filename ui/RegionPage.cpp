#include "ui/RegionPage.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "core/Units.h"

namespace nl {

namespace {
const std::vector<TFieldSpec> kFields = {
    {TRegionField::Density, "rgDensity", " Stitch Density      ", " per mm", 1, 7, false},
    {TRegionField::RunLength, "rgUnderDensity", " Running Density  ", " mm", 0.5, 8, false},
    {TRegionField::Rotate, "RgRotate", " Rotate  ", " Deg", -360, 360, false},
    {TRegionField::Pitch, "rgPitch", " Stitch Pitch          ", " mm", 2, 10, false},
    {TRegionField::OffsetA, "rgPitchOffset", "  Offset A    ", "  %", -100, 100, true},
    {TRegionField::OffsetB, "rgPitchOffsetB", "  Offset B    ", "  %", -100, 100, true},
    {TRegionField::Compensation, "rgCompensate", " Compensation   ", "  mm", 0, 100, false},
    {TRegionField::MinStitch, "rgMin", "  Min St. Dist  ", " mm", 0.1, 11, true},
    {TRegionField::MaxStitch, "rgMax", "  Max St. Dist  ", " mm", 4, 20, true},
    {TRegionField::TatamiMin, "rgTat", " Tatami Min  ", " mm", 0, 2, false},
    {TRegionField::UnderDensity, "udDensity", " Density  ", "", 1, 7, false},
    {TRegionField::UnderRotate, "udRotate", " Rotate   ", " Deg", -360, 360, false},
    {TRegionField::UnderPitch, "udPitch", " Pitch      ", " mm", 0.5, 11, false},
    {TRegionField::UnderMargin, "udMargin", " Margin   ", " mm", 0, 40, true},
    {TRegionField::UnderOffset, "udOffset", " Offset    ", "", 0, 100, false},
};

uint32_t ToggleBit(TRegionToggle t, bool& inFlags) {
    inFlags = false;
    switch (t) {
    case TRegionToggle::SplitPitch:
        inFlags = true;
        return RF_SPLIT_PITCH;
    case TRegionToggle::UseOffsetB:
        return SF_USE_OFFSET_B;
    case TRegionToggle::UseUnderlay:
        return RSF_USE_UNDERLAY;
    case TRegionToggle::UnderTatami:
        return RSF_UNDER_TATAMI;
    case TRegionToggle::UnderSatin:
        return RSF_UNDER_SATIN;
    case TRegionToggle::UnderZigzag:
        return RSF_UNDER_ZIGZAG;
    case TRegionToggle::BackToStitch:
        return RSF_BACK_TO_STITCH;
    case TRegionToggle::SideA:
        return SF_A_SIDE;
    case TRegionToggle::SideB:
        return SF_B_SIDE;
    case TRegionToggle::NoOverlays:
        inFlags = true;
        return OF_NO_OVERLAYS;
    case TRegionToggle::ComplexHole:
        inFlags = true;
        return OF_COMPLEX_HOLE;
    case TRegionToggle::AllowHoles:
        inFlags = true;
        return OF_ALLOW_HOLES;
    }
    return 0;
}
} // namespace

TRegionPage::TRegionPage(TSLRegion& region, TStitchContext ctx, std::function<void()> redraw)
    : region_(region), ctx_(std::move(ctx)), redraw_(std::move(redraw)) {}

const std::vector<TFieldSpec>& TRegionPage::Fields() {
    return kFields;
}

const TFieldSpec& TRegionPage::Spec(TRegionField f) {
    for (const TFieldSpec& s : kFields)
        if (s.Field == f) return s;
    return kFields.front();
}

const char* TRegionPage::ToggleCaption(TRegionToggle t) {
    switch (t) {
    case TRegionToggle::SplitPitch:
        return "Split Pitch";
    case TRegionToggle::UseOffsetB:
        return "Use Offset B On Return Stitch";
    case TRegionToggle::UseUnderlay:
        return "Use Underlay";
    case TRegionToggle::UnderTatami:
        return "Tatami";
    case TRegionToggle::UnderSatin:
        return "Satin";
    case TRegionToggle::UnderZigzag:
        return "Zigzag";
    case TRegionToggle::BackToStitch:
        return "Back To Stitch";
    case TRegionToggle::SideA:
        return "A Side";
    case TRegionToggle::SideB:
        return "B Side";
    case TRegionToggle::NoOverlays:
        return "Dont Allow Overlays";
    case TRegionToggle::ComplexHole:
        return "Use As Complex  Hole";
    case TRegionToggle::AllowHoles:
        return "Allow Complex Holes";
    }
    return "";
}

double TRegionPage::Value(TRegionField f) const {
    const TSLRegion& r = region_;
    switch (f) {
    case TRegionField::Density:
        return r.Density / 10.0;
    case TRegionField::RunLength:
        return r.RunLength / kUnitsPerMm;
    case TRegionField::Rotate:
        return r.Rotation;
    case TRegionField::Pitch:
        return r.Pitch / kUnitsPerMm;
    case TRegionField::OffsetA:
        return DecodeOffset(r.PitchOffsets & 0xFFFF);
    case TRegionField::OffsetB:
        return DecodeOffset(r.PitchOffsets >> 16);
    case TRegionField::Compensation:
        return r.Compensation;
    case TRegionField::MinStitch:
        return r.MinStitch() / kUnitsPerMm;
    case TRegionField::MaxStitch:
        return r.MaxStitch() / kUnitsPerMm;
    case TRegionField::TatamiMin:
        return r.TatamiMin / kUnitsPerMm;
    case TRegionField::UnderDensity:
        return r.UnderDensity / 10.0;
    case TRegionField::UnderRotate:
        return r.UnderRotation;
    case TRegionField::UnderPitch:
        return r.UnderPitch / kUnitsPerMm;
    case TRegionField::UnderMargin:
        return r.UnderMargin / kUnitsPerMm;
    case TRegionField::UnderOffset:
        return r.UnderOffset / 10.0;
    }
    return 0;
}

bool TRegionPage::SetValue(TRegionField f, double x) {
    const TFieldSpec& s = Spec(f);
    if (!std::isfinite(x)) return false;
    if (s.Clamps)
        x = std::clamp(x, s.Min, s.Max);
    else if (x < s.Min || x > s.Max)
        return false;
    TSLRegion& r = region_;
    switch (f) {
    case TRegionField::Density:
        r.Density = RoundI(x * 10);
        break;
    case TRegionField::RunLength:
        r.RunLength = RoundI(x * kUnitsPerMm);
        break;
    case TRegionField::Rotate:
        r.Rotation = static_cast<float>(x);
        break;
    case TRegionField::Pitch:
        r.Pitch = static_cast<float>(RoundI(x * kUnitsPerMm));
        break;
    case TRegionField::OffsetA:
        r.PitchOffsets = (r.PitchOffsets & 0xFFFF0000u) | EncodeOffset(x);
        break;
    case TRegionField::OffsetB:
        r.PitchOffsets = (r.PitchOffsets & 0xFFFFu) | (EncodeOffset(x) << 16);
        break;
    case TRegionField::Compensation:
        r.Compensation = static_cast<float>(x);
        break;
    case TRegionField::MinStitch: {
        // The minimum never exceeds the maximum.
        int32_t mx = r.MaxStitch();
        r.SetStitchLimits(std::min(RoundI(x * kUnitsPerMm), mx), mx);
        break;
    }
    case TRegionField::MaxStitch: {
        int32_t mx = RoundI(x * kUnitsPerMm);
        r.SetStitchLimits(std::min(r.MinStitch(), mx), mx);
        break;
    }
    case TRegionField::TatamiMin:
        r.TatamiMin = RoundI(x * kUnitsPerMm);
        break;
    case TRegionField::UnderDensity:
        r.UnderDensity = RoundI(x * 10);
        break;
    case TRegionField::UnderRotate:
        r.UnderRotation = static_cast<float>(x);
        break;
    case TRegionField::UnderPitch:
        r.UnderPitch = RoundI(x * kUnitsPerMm);
        break;
    case TRegionField::UnderMargin:
        r.UnderMargin = x * kUnitsPerMm;
        break;
    case TRegionField::UnderOffset:
        r.UnderOffset = RoundI(x * 10);
        break;
    }
    Regenerate();
    return true;
}

bool TRegionPage::Toggle(TRegionToggle t) const {
    bool inFlags;
    uint32_t bit = ToggleBit(t, inFlags);
    return ((inFlags ? region_.Flags : region_.StitchFlags) & bit) != 0;
}

void TRegionPage::SetToggle(TRegionToggle t, bool on) {
    bool inFlags;
    uint32_t bit = ToggleBit(t, inFlags);
    if (t == TRegionToggle::UnderTatami || t == TRegionToggle::UnderSatin ||
        t == TRegionToggle::UnderZigzag) {
        if (!on) return; // one of three: choosing one replaces the others
        region_.StitchFlags = (region_.StitchFlags & ~RSF_UNDER_MASK) | bit;
        if (region_.OrderIndex == ORDER_NONE) region_.OrderIndex = ORDER_UNPLACED;
    } else {
        uint32_t& word = inFlags ? region_.Flags : region_.StitchFlags;
        word = on ? (word | bit) : (word & ~bit);
        if (t == TRegionToggle::ComplexHole && OnHoleChanged) OnHoleChanged(region_, on);
    }
    Regenerate();
}

void TRegionPage::SetStitchType(uint32_t type) {
    if (type != ST_NONE && type != ST_TATAMI && type != ST_SATIN && type != ST_ZIGZAG) return;
    region_.SetStitchTypeBits(type);
    Regenerate();
}

void TRegionPage::SetTurnType(int type) {
    if (type == 2)
        region_.StitchFlags |= RSF_TURN_TYPE_2;
    else
        region_.StitchFlags &= ~RSF_TURN_TYPE_2;
    Regenerate();
}

void TRegionPage::SetColour(int32_t colour) {
    region_.SetColor(colour);
    if (redraw_) redraw_();
}

void TRegionPage::Regenerate() {
    Restitch(region_, ctx_);
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
