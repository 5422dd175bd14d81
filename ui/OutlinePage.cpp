#include "ui/OutlinePage.h"

#include <algorithm>
#include <array>

#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

bool IsSatinOutline(const TSLCurve& c) {
    return c.Outlines != nullptr;
}

// "Upper Height" / "Lower Height" move that edge of the whole profile by the same amount: the
// heights at the anchors and the control heights between them, so that a uniform band stays
// uniform (moving the anchors alone bulged the band at every anchor). A height that would become
// 0 or less becomes 1 unit.
void ShiftHeights(TSLCurve& c, bool upper, double newValue) {
    if (!c.Outlines || c.Outlines->Count() == 0) return;
    float& first = upper ? (*c.Outlines)[0]->HeightA : (*c.Outlines)[0]->HeightB;
    float delta = static_cast<float>(newValue * kUnitsPerMm) - first;
    for (const auto& s : *c.Outlines) {
        for (float* h : upper ? std::array{&s->HeightA, &s->CtrlHeight1A, &s->CtrlHeight2A}
                              : std::array{&s->HeightB, &s->CtrlHeight1B, &s->CtrlHeight2B}) {
            *h += delta;
            if (*h <= 0) *h = 1;
        }
    }
}

double FirstHeight(const TSLCurve& c, bool upper) {
    if (!c.Outlines || c.Outlines->Count() == 0) return 0.0;
    return (upper ? (*c.Outlines)[0]->HeightA : (*c.Outlines)[0]->HeightB) / kUnitsPerMm;
}
} // namespace

const std::vector<TFieldDesc>& TOutlinePage::FieldList() {
    static const std::vector<TFieldDesc> fields = {
        // From 1.0 per mm: the record reads a stored value below 10 as a stitch spacing, so a
        // lower density would not survive saving and loading.
        DensityRow(OUTLINE_DENSITY_MIN, OUTLINE_DENSITY_MAX, nullptr),
        RunLengthRow("Running Density", nullptr),
        {"Passes", "count", 1, 50, 0, [](const TSLCurve& c) { return static_cast<double>(c.Passes); },
         [](TSLCurve& c, double v) { c.Passes = std::clamp(RoundI(v), PASSES_MIN, PASSES_MAX); }, nullptr},
        {"Compensation", "mm", 0, 12, 2,
         [](const TSLCurve& c) {
             return c.Outlines ? static_cast<double>(c.Outlines->OutlineCompensation) : 0.0;
         },
         [](TSLCurve& c, double v) { c.Outlines->OutlineCompensation = static_cast<float>(v); },
         IsSatinOutline},
        {"Upper Height", "%", 0, 100, 2, [](const TSLCurve& c) { return FirstHeight(c, true); },
         [](TSLCurve& c, double v) { ShiftHeights(c, true, v); }, IsSatinOutline},
        {"Lower Height", "%", 0, 100, 2, [](const TSLCurve& c) { return FirstHeight(c, false); },
         [](TSLCurve& c, double v) { ShiftHeights(c, false, v); }, IsSatinOutline},
        MinStitchRow(nullptr),
        MaxStitchRow(nullptr),
    };
    return fields;
}

const std::vector<TToggleDesc>& TOutlinePage::ToggleList() {
    static const std::vector<TToggleDesc> toggles = {
        FlagToggle<TSLCurve>("Stitch From End", &TSLStitch::Flags, OF_STITCH_FROM_END),
        FlagToggle<TSLCurve>("Dont Allow Overlays", &TSLStitch::Flags, OF_NO_OVERLAYS),
        FlagToggle<TSLCurve>("Use As Region Overlay", &TSLStitch::Flags, OF_REGION_OVERLAY),
        {"Use Return Stitch",
         [](const TSLCurve& c) { return c.Outlines && (c.Outlines->ProfileFlags & PF_RETURN_STITCH); },
         [](TSLCurve& c, bool on) { SetBits(c.Outlines->ProfileFlags, PF_RETURN_STITCH, on); },
         IsSatinOutline},
    };
    return toggles;
}

void TOutlinePage::Toggled(size_t toggle, bool /*on*/) {
    if (static_cast<int>(toggle) == ToggleIndex("Use As Region Overlay") && ctx_.OnShapingChanged)
        ctx_.OnShapingChanged(target_);
}

} // namespace nl
