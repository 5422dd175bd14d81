#include "ui/FeatherPage.h"

#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/Feather.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
constexpr double WidthMaxMm = 50.01;

bool HasFeather(const TSLCurve& c) {
    return TFeatherPage::FeatherOf(c) != nullptr;
}

TFieldDesc ScaleField(bool above) {
    return {"At",
            "times height",
            FEATHER_SCALE_MIN,
            FEATHER_SCALE_MAX,
            3,
            [above](const TSLCurve& c) {
                const TFeather* f = TFeatherPage::FeatherOf(c);
                return static_cast<double>(above ? f->ScaleA : f->ScaleB);
            },
            [above](TSLCurve& c, double v) {
                TFeather* f = TFeatherPage::FeatherOf(c);
                (above ? f->ScaleA : f->ScaleB) =
                    static_cast<float>(Clamp<double>(v, FEATHER_SCALE_MIN, FEATHER_SCALE_MAX));
            },
            HasFeather};
}

TFieldDesc WidthField(bool above) {
    return {"Feather Width",
            "mm",
            0,
            WidthMaxMm,
            2,
            [above](const TSLCurve& c) {
                const TFeather* f = TFeatherPage::FeatherOf(c);
                return (above ? f->WidthA : f->WidthB) / kUnitsPerMm;
            },
            [above](TSLCurve& c, double v) {
                TFeather* f = TFeatherPage::FeatherOf(c);
                (above ? f->WidthA : f->WidthB) = Clamp(RoundI(v * kUnitsPerMm), 0, FEATHER_WIDTH_MAX);
            },
            HasFeather};
}

TToggleDesc FeatherToggle(const char* caption, uint32_t bit) {
    return {caption,
            [bit](const TSLCurve& c) { return (TFeatherPage::FeatherOf(c)->FeatherFlags & bit) != 0; },
            [bit](TSLCurve& c, bool on) { SetBits(TFeatherPage::FeatherOf(c)->FeatherFlags, bit, on); },
            HasFeather};
}
} // namespace

TFeatherPage::TFeatherPage(TSLCurve& curve, const TStitchContext& ctx)
    : TFieldPageOf(AttributeCurve(curve), ctx) {}

TFeather* TFeatherPage::FeatherOf(const TSLCurve& curve) {
    if ((curve.Flags & OF_RAIL_A) && curve.PartnerRail) return curve.PartnerRail->Feather.get();
    if (curve.Flags & OF_RAIL_B) return curve.Feather.get();
    return curve.Outlines ? curve.Outlines->OutlineFeather.get() : nullptr;
}

const std::vector<TFieldDesc>& TFeatherPage::FieldList() {
    static const std::vector<TFieldDesc> fields = {ScaleField(true), WidthField(true), ScaleField(false),
                                                   WidthField(false)};
    return fields;
}

const std::vector<TToggleDesc>& TFeatherPage::ToggleList() {
    static const std::vector<TToggleDesc> toggles = {
        FeatherToggle("Feather Above", FF_ABOVE),
        FeatherToggle("Auto Column Mode", FF_AUTO_ABOVE),
        FeatherToggle("Feather Below", FF_BELOW),
        FeatherToggle("Auto Column Mode", FF_AUTO_BELOW),
    };
    return toggles;
}

bool TFeatherPage::NewRandomSeed() {
    TFeather* f = FeatherOf(target_);
    if (!f) return false;
    nl::NewRandomSeed(*f);
    Regenerate();
    return true;
}

} // namespace nl
