#include "ui/CurvedColumnPage.h"

#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/Column.h"
#include "stitching/Feather.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

bool IsRailA(const TSLCurve& c) {
    return (c.Flags & OF_RAIL_A) && c.PartnerRail;
}

TToggleDesc FlagToggle(const char* caption, uint32_t TSLStitch::*word, uint32_t bit) {
    return {caption, [word, bit](const TSLCurve& c) { return (c.*word & bit) != 0; },
            [word, bit](TSLCurve& c, bool on) {
                if (on)
                    c.*word |= bit;
                else
                    c.*word &= ~bit;
            },
            IsRailA};
}
} // namespace

TCurvedColumnPage::TCurvedColumnPage(TSLCurve& rail, const TStitchContext& ctx)
    : TFieldPage(AttributeCurve(rail), ctx, FieldList(), ToggleList()) {}

const std::vector<TFieldDesc>& TCurvedColumnPage::FieldList() {
    static const std::vector<TFieldDesc> fields = {
        {"Stitch Density", "per mm", COLUMN_DENSITY_MIN / 10.0, COLUMN_DENSITY_MAX / 10.0, 1,
         [](const TSLCurve& c) { return c.Density / 10.0; },
         [](TSLCurve& c, double v) {
             c.Density = Clamp(RoundI(v * 10), COLUMN_DENSITY_MIN, COLUMN_DENSITY_MAX);
         },
         IsRailA},
        {"Running Stitch Density", "mm", 0.5, 8, 2,
         [](const TSLCurve& c) { return c.RunLength / kUnitsPerMm; },
         [](TSLCurve& c, double v) { c.RunLength = std::max(1, RoundI(v * kUnitsPerMm)); }, IsRailA},
        // A share of the local column width, in per cent.
        {"Compensation", "%", 0, COLUMN_COMPENSATION_MAX, 1,
         [](const TSLCurve& c) { return static_cast<double>(c.Compensation); },
         [](TSLCurve& c, double v) { c.Compensation = static_cast<float>(Clamp(v, 0.0, 100.0)); }, IsRailA},
        {"Min St. Dist", "mm", 0.1, 11, 2, [](const TSLCurve& c) { return c.MinStitch() / kUnitsPerMm; },
         [](TSLCurve& c, double v) { c.SetStitchLimits(RoundI(v * kUnitsPerMm), c.MaxStitch()); }, IsRailA},
        {"Max St. Dist", "mm", 4, 20, 2, [](const TSLCurve& c) { return c.MaxStitch() / kUnitsPerMm; },
         [](TSLCurve& c, double v) { c.SetStitchLimits(c.MinStitch(), RoundI(v * kUnitsPerMm)); }, IsRailA},
    };
    return fields;
}

const std::vector<TToggleDesc>& TCurvedColumnPage::ToggleList() {
    static const std::vector<TToggleDesc> toggles = {
        FlagToggle("Stitch From End", &TSLStitch::Flags, OF_STITCH_FROM_END),
        FlagToggle("Use Return Stitch", &TSLStitch::Flags, OF_RETURN_STITCH),
        FlagToggle("A Side", &TSLStitch::StitchFlags, SF_A_SIDE),
        FlagToggle("B Side", &TSLStitch::StitchFlags, SF_B_SIDE),
        // The column's feather record lives on rail B; checking creates it, unchecking frees it.
        {"Feather Stitching",
         [](const TSLCurve& c) { return c.PartnerRail && c.PartnerRail->Feather != nullptr; },
         [](TSLCurve& c, bool on) {
             TSLCurve& b = *c.PartnerRail;
             if (on) {
                 c.Flags |= OF_FEATHER;
                 if (!b.Feather) b.Feather = NewFeather();
             } else {
                 c.Flags &= ~OF_FEATHER;
                 b.Feather.reset();
             }
         },
         IsRailA},
    };
    return toggles;
}

} // namespace nl
