#include "ui/OutlinePage.h"

#include <algorithm>

#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

bool IsSatinOutline(const TSLCurve& c) {
    return c.Outlines != nullptr;
}

// "Upper Height" / "Lower Height" move every section's edge by the same amount; a height that
// would become 0 or less becomes 1 unit.
void ShiftHeights(TSLCurve& c, bool upper, double newValue) {
    if (!c.Outlines || c.Outlines->Count() == 0) return;
    float& first = upper ? (*c.Outlines)[0]->HeightA : (*c.Outlines)[0]->HeightB;
    float delta = static_cast<float>(newValue * kUnitsPerMm) - first;
    for (const auto& s : *c.Outlines) {
        float& h = upper ? s->HeightA : s->HeightB;
        h += delta;
        if (h <= 0) h = 1;
    }
}

double FirstHeight(const TSLCurve& c, bool upper) {
    if (!c.Outlines || c.Outlines->Count() == 0) return 0.0;
    return (upper ? (*c.Outlines)[0]->HeightA : (*c.Outlines)[0]->HeightB) / kUnitsPerMm;
}
} // namespace

const std::vector<TFieldDesc>& TOutlinePage::Fields() {
    static const std::vector<TFieldDesc> fields = {
        // From 1.0 per mm: the record reads a stored value below 10 as a stitch spacing, so a
        // lower density would not survive saving and loading.
        {"Stitch Density", "per mm", OUTLINE_DENSITY_MIN / 10.0, OUTLINE_DENSITY_MAX / 10.0, 1,
         [](const TSLCurve& c) { return c.Density / 10.0; },
         [](TSLCurve& c, double v) {
             c.Density = Clamp(RoundI(v * 10), OUTLINE_DENSITY_MIN, OUTLINE_DENSITY_MAX);
         },
         nullptr},
        {"Running Density", "mm", 0.5, 8, 2, [](const TSLCurve& c) { return c.RunLength / kUnitsPerMm; },
         [](TSLCurve& c, double v) { c.RunLength = std::max(1, RoundI(v * kUnitsPerMm)); }, nullptr},
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
        {"Min St. Dist", "mm", 0.1, 11, 2, [](const TSLCurve& c) { return c.MinStitch() / kUnitsPerMm; },
         [](TSLCurve& c, double v) { c.SetStitchLimits(RoundI(v * kUnitsPerMm), c.MaxStitch()); }, nullptr},
        {"Max St. Dist", "mm", 4, 20, 2, [](const TSLCurve& c) { return c.MaxStitch() / kUnitsPerMm; },
         [](TSLCurve& c, double v) { c.SetStitchLimits(c.MinStitch(), RoundI(v * kUnitsPerMm)); }, nullptr},
    };
    return fields;
}

const std::vector<TToggleDesc>& TOutlinePage::Toggles() {
    auto flag = [](uint32_t bit) {
        return std::pair{
            std::function<bool(const TSLCurve&)>([bit](const TSLCurve& c) { return (c.Flags & bit) != 0; }),
            std::function<void(TSLCurve&, bool)>([bit](TSLCurve& c, bool on) {
                if (on)
                    c.Flags |= bit;
                else
                    c.Flags &= ~bit;
            })};
    };
    static const std::vector<TToggleDesc> toggles = [&] {
        auto fromEnd = flag(OF_STITCH_FROM_END);
        auto noOverlays = flag(OF_NO_OVERLAYS);
        return std::vector<TToggleDesc>{
            {"Stitch From End", fromEnd.first, fromEnd.second, nullptr},
            {"Dont Allow Overlays", noOverlays.first, noOverlays.second, nullptr},
            {"Use Return Stitch",
             [](const TSLCurve& c) { return c.Outlines && (c.Outlines->ProfileFlags & PF_RETURN_STITCH); },
             [](TSLCurve& c, bool on) {
                 if (on)
                     c.Outlines->ProfileFlags |= PF_RETURN_STITCH;
                 else
                     c.Outlines->ProfileFlags &= ~PF_RETURN_STITCH;
             },
             IsSatinOutline},
        };
    }();
    return toggles;
}

int TOutlinePage::FieldIndex(const std::string& caption) {
    const auto& f = Fields();
    for (size_t i = 0; i < f.size(); ++i)
        if (f[i].Caption == caption) return static_cast<int>(i);
    return -1;
}

int TOutlinePage::ToggleIndex(const std::string& caption) {
    const auto& t = Toggles();
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].Caption == caption) return static_cast<int>(i);
    return -1;
}

bool TOutlinePage::Applies(size_t field) const {
    const auto& f = Fields();
    return field < f.size() && (!f[field].Applies || f[field].Applies(curve_));
}

double TOutlinePage::Value(size_t field) const {
    return Applies(field) ? Fields()[field].Get(curve_) : 0.0;
}

TApply TOutlinePage::Apply(size_t field, double value) {
    if (!Applies(field)) return TApply::NotApplicable;
    const TFieldDesc& f = Fields()[field];
    if (!f.Accepts(value)) return TApply::Refused;
    f.Set(curve_, value);
    Restitch(curve_, ctx_);
    return TApply::Accepted;
}

bool TOutlinePage::ToggleValue(size_t toggle) const {
    const auto& t = Toggles();
    if (toggle >= t.size() || (t[toggle].Applies && !t[toggle].Applies(curve_))) return false;
    return t[toggle].Get(curve_);
}

TApply TOutlinePage::SetToggle(size_t toggle, bool on) {
    const auto& t = Toggles();
    if (toggle >= t.size() || (t[toggle].Applies && !t[toggle].Applies(curve_))) return TApply::NotApplicable;
    t[toggle].Set(curve_, on);
    Restitch(curve_, ctx_);
    return TApply::Accepted;
}

} // namespace nl
