#include "ui/FillPatternPage.h"

#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

bool HasFill(const TSLCurve& c) {
    return c.Outlines != nullptr || ((c.Flags & OF_RAIL_A) && c.PartnerRail);
}

} // namespace

TFillPatternPage::TFillPatternPage(TSLCurve& curve, const TStitchContext& ctx)
    : TFieldPageOf(AttributeCurve(curve), ctx) {}

const std::vector<TFieldDesc>& TFillPatternPage::FieldList() {
    // The pitch range is the one the generators work with: a shorter pitch is not a pattern.
    static const std::vector<TFieldDesc> fields = {
        {"Pitch", "mm", FILL_PITCH_MIN / kUnitsPerMm, FILL_PITCH_MAX / kUnitsPerMm, 2,
         [](const TSLCurve& c) { return ClampFillPitch(c.FillPitch) / kUnitsPerMm; },
         [](TSLCurve& c, double v) { c.FillPitch = ClampFillPitch(static_cast<float>(v * kUnitsPerMm)); },
         HasFill},
        {"Offset A", "% of pitch", -100, 100, 2, [](const TSLCurve& c) { return FillOffsetA(c.FillOffsets); },
         [](TSLCurve& c, double v) { c.FillOffsets = PackFillOffsets(v, FillOffsetB(c.FillOffsets)); },
         HasFill},
        {"Offset B", "% of pitch", -100, 100, 2, [](const TSLCurve& c) { return FillOffsetB(c.FillOffsets); },
         [](TSLCurve& c, double v) { c.FillOffsets = PackFillOffsets(FillOffsetA(c.FillOffsets), v); },
         HasFill},
    };
    return fields;
}

const std::vector<TToggleDesc>& TFillPatternPage::ToggleList() {
    static const std::vector<TToggleDesc> toggles = {
        FlagToggle<TSLCurve>("Use Fill Stitching", &TSLStitch::StitchFlags, SF_USE_FILL, HasFill),
        FlagToggle<TSLCurve>("Use Offset B ", &TSLStitch::StitchFlags, SF_USE_OFFSET_B, HasFill),
    };
    return toggles;
}

TFillMatch TFillPatternPage::Match() const {
    if (target_.StitchFlags & SF_MATCH_TOP) return TFillMatch::Top;
    if (target_.StitchFlags & SF_MATCH_MIDDLE) return TFillMatch::Middle;
    return TFillMatch::Bottom;
}

void TFillPatternPage::SetMatch(TFillMatch match) {
    if (!HasFill(target_)) return;
    target_.StitchFlags &= ~(SF_MATCH_TOP | SF_MATCH_MIDDLE);
    if (match == TFillMatch::Top)
        target_.StitchFlags |= SF_MATCH_TOP;
    else if (match == TFillMatch::Middle)
        target_.StitchFlags |= SF_MATCH_MIDDLE;
    Regenerate();
}

} // namespace nl
