// A properties page built from field and check box descriptions: the numeric entry rule (a value
// outside the range is refused and the old value kept), storing, and regeneration after every
// accepted change. The curve a page edits is the one that carries the attributes (rail A of a
// column, whichever rail was opened).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "stitching/StitchContext.h"
#include "ui/PageField.h"

namespace nl {

class TFieldPage {
public:
    TFieldPage(TSLCurve& target, const TStitchContext& ctx, const std::vector<TFieldDesc>& fields,
               const std::vector<TToggleDesc>& toggles)
        : target_(target), ctx_(ctx), fields_(fields), toggles_(toggles) {}
    virtual ~TFieldPage() = default;

    const std::vector<TFieldDesc>& Fields() const { return fields_; }
    const std::vector<TToggleDesc>& Toggles() const { return toggles_; }
    // Index of the n-th field (or toggle) with this caption, -1 when there is none; a page may
    // show one caption twice (upper and lower side).
    int FieldIndex(const std::string& caption, int occurrence = 0) const;
    int ToggleIndex(const std::string& caption, int occurrence = 0) const;

    bool Applies(size_t field) const;
    double Value(size_t field) const;
    TApply Apply(size_t field, double value);
    bool ToggleApplies(size_t toggle) const;
    bool ToggleValue(size_t toggle) const;
    TApply SetToggle(size_t toggle, bool on);

    TSLCurve& Target() const { return target_; }

protected:
    // Regenerates the edited object.
    virtual void Regenerate();
    TSLCurve& target_;
    TStitchContext ctx_; // a copy: the page may outlive the caller's context

private:
    const std::vector<TFieldDesc>& fields_;
    const std::vector<TToggleDesc>& toggles_;
};

// The curve whose attributes a column page edits: rail A for either rail, the curve otherwise.
TSLCurve& AttributeCurve(TSLCurve& curve);

} // namespace nl
