// A properties page built from field and check box rows: the numeric entry rule (a value outside
// the range is refused and the old value kept, or clamped where the row says so), storing, and
// regeneration after every accepted change. Every page with numeric fields has this shape: it
// names its rows once (Page::FieldList, Page::ToggleList) and inherits the rest.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "stitching/SLStitch.h"
#include "stitching/StitchContext.h"
#include "ui/PageField.h"

namespace nl {

template <class Page, class T> class TFieldPageOf {
public:
    using TField = TFieldRow<T>;
    using TToggle = TToggleRow<T>;

    TFieldPageOf(T& target, const TStitchContext& ctx) : target_(target), ctx_(ctx) {}
    virtual ~TFieldPageOf() = default;

    static const std::vector<TField>& Fields() { return Page::FieldList(); }
    static const std::vector<TToggle>& Toggles() { return Page::ToggleList(); }
    // Index of the n-th field (or toggle) with this caption, -1 when there is none; a page may
    // show one caption twice (upper and lower side).
    static int FieldIndex(const std::string& caption, int occurrence = 0) {
        return IndexOf(Fields(), caption, occurrence);
    }
    static int ToggleIndex(const std::string& caption, int occurrence = 0) {
        return IndexOf(Toggles(), caption, occurrence);
    }

    bool Applies(size_t field) const {
        const auto& f = Fields();
        return field < f.size() && (!f[field].Applies || f[field].Applies(target_));
    }
    double Value(size_t field) const { return Applies(field) ? Fields()[field].Get(target_) : 0.0; }
    // Stores an accepted value and regenerates; a refused one leaves the object unchanged.
    TApply Apply(size_t field, double value) {
        if (!Applies(field)) return TApply::NotApplicable;
        const TField& f = Fields()[field];
        const auto stored = f.Entry(value);
        if (!stored) return TApply::Refused;
        f.Set(target_, *stored);
        Regenerate();
        return TApply::Accepted;
    }
    bool ToggleApplies(size_t toggle) const {
        const auto& t = Toggles();
        return toggle < t.size() && (!t[toggle].Applies || t[toggle].Applies(target_));
    }
    bool ToggleValue(size_t toggle) const { return ToggleApplies(toggle) && Toggles()[toggle].Get(target_); }
    TApply SetToggle(size_t toggle, bool on) {
        if (!ToggleApplies(toggle)) return TApply::NotApplicable;
        const TToggle& t = Toggles()[toggle];
        if (t.OneOf && !on) return TApply::Refused; // a choice is changed by choosing another
        t.Set(target_, on);
        Toggled(toggle, on);
        Regenerate();
        return TApply::Accepted;
    }

    T& Target() const { return target_; }

protected:
    // After a check box changed, before the regeneration: what the page tells beyond the object.
    virtual void Toggled(size_t /*toggle*/, bool /*on*/) {}
    // Regenerates the edited object.
    virtual void Regenerate() { Restitch(target_, ctx_); }

    T& target_;
    TStitchContext ctx_; // a copy: the page may outlive the caller's context

private:
    template <class Row>
    static int IndexOf(const std::vector<Row>& rows, const std::string& caption, int occurrence) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].Caption == caption && occurrence-- == 0) return static_cast<int>(i);
        return -1;
    }
};

// Rows the outline and the column pages share: the running stitch length and the stitch length
// limits, in mm.
// "Stitch Density" in lines per mm, stored in tenths and kept within [min, max] tenths.
TFieldDesc DensityRow(int32_t min, int32_t max, std::function<bool(const TSLCurve&)> applies);
TFieldDesc RunLengthRow(std::string caption, std::function<bool(const TSLCurve&)> applies);
TFieldDesc MinStitchRow(std::function<bool(const TSLCurve&)> applies);
TFieldDesc MaxStitchRow(std::function<bool(const TSLCurve&)> applies);

// The curve whose attributes a column page edits: rail A for either rail, the curve otherwise.
TSLCurve& AttributeCurve(TSLCurve& curve);

} // namespace nl
