#include "ui/FieldPage.h"

#include "stitching/SLCurve.h"

namespace nl {

TSLCurve& AttributeCurve(TSLCurve& curve) {
    if ((curve.Flags & OF_RAIL_B) && curve.PartnerRail) return *curve.PartnerRail;
    return curve;
}

namespace {
template <typename T> int IndexOf(const std::vector<T>& items, const std::string& caption, int occurrence) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].Caption == caption && occurrence-- == 0) return static_cast<int>(i);
    return -1;
}
} // namespace

int TFieldPage::FieldIndex(const std::string& caption, int occurrence) const {
    return IndexOf(fields_, caption, occurrence);
}

int TFieldPage::ToggleIndex(const std::string& caption, int occurrence) const {
    return IndexOf(toggles_, caption, occurrence);
}

bool TFieldPage::Applies(size_t field) const {
    return field < fields_.size() && (!fields_[field].Applies || fields_[field].Applies(target_));
}

double TFieldPage::Value(size_t field) const {
    return Applies(field) ? fields_[field].Get(target_) : 0.0;
}

TApply TFieldPage::Apply(size_t field, double value) {
    if (!Applies(field)) return TApply::NotApplicable;
    const TFieldDesc& f = fields_[field];
    if (!f.Accepts(value)) return TApply::Refused;
    f.Set(target_, value);
    Regenerate();
    return TApply::Accepted;
}

bool TFieldPage::ToggleApplies(size_t toggle) const {
    return toggle < toggles_.size() && (!toggles_[toggle].Applies || toggles_[toggle].Applies(target_));
}

bool TFieldPage::ToggleValue(size_t toggle) const {
    return ToggleApplies(toggle) && toggles_[toggle].Get(target_);
}

TApply TFieldPage::SetToggle(size_t toggle, bool on) {
    if (!ToggleApplies(toggle)) return TApply::NotApplicable;
    toggles_[toggle].Set(target_, on);
    Regenerate();
    return TApply::Accepted;
}

void TFieldPage::Regenerate() {
    Restitch(target_, ctx_);
}

} // namespace nl
