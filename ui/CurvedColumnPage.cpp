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

} // namespace

TCurvedColumnPage::TCurvedColumnPage(TSLCurve& rail, const TStitchContext& ctx)
    : TFieldPageOf(AttributeCurve(rail), ctx) {}

const std::vector<TFieldDesc>& TCurvedColumnPage::FieldList() {
    static const std::vector<TFieldDesc> fields = {
        DensityRow(COLUMN_DENSITY_MIN, COLUMN_DENSITY_MAX, IsRailA),
        RunLengthRow("Running Stitch Density", IsRailA),
        // A share of the local column width, in per cent.
        {"Compensation", "%", 0, COLUMN_COMPENSATION_MAX, 1,
         [](const TSLCurve& c) { return static_cast<double>(c.Compensation); },
         [](TSLCurve& c, double v) { c.Compensation = static_cast<float>(Clamp(v, 0.0, 100.0)); }, IsRailA},
        MinStitchRow(IsRailA),
        MaxStitchRow(IsRailA),
    };
    return fields;
}

const std::vector<TToggleDesc>& TCurvedColumnPage::ToggleList() {
    static const std::vector<TToggleDesc> toggles = {
        FlagToggle<TSLCurve>("Stitch From End", &TSLStitch::Flags, OF_STITCH_FROM_END, IsRailA),
        FlagToggle<TSLCurve>("Use Return Stitch", &TSLStitch::Flags, OF_RETURN_STITCH, IsRailA),
        FlagToggle<TSLCurve>("A Side", &TSLStitch::StitchFlags, SF_A_SIDE, IsRailA),
        FlagToggle<TSLCurve>("B Side", &TSLStitch::StitchFlags, SF_B_SIDE, IsRailA),
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
