// The "Outline" properties page of an outline: its numeric fields and check boxes, applied to
// the curve with the entry rule (out-of-range values refused, the old value kept) and followed
// at once by a regeneration.
#pragma once
#include <cstddef>
#include <vector>

#include "stitching/StitchContext.h"
#include "ui/PageField.h"

namespace nl {

class TOutlinePage {
public:
    TOutlinePage(TSLCurve& curve, const TStitchContext& ctx) : curve_(curve), ctx_(ctx) {}

    static const std::vector<TFieldDesc>& Fields();
    static const std::vector<TToggleDesc>& Toggles();
    // Index of the field or toggle with this caption, or -1.
    static int FieldIndex(const std::string& caption);
    static int ToggleIndex(const std::string& caption);

    bool Applies(size_t field) const;
    double Value(size_t field) const;
    // Stores an accepted value and regenerates; a refused one leaves the object unchanged.
    TApply Apply(size_t field, double value);
    bool ToggleValue(size_t toggle) const;
    TApply SetToggle(size_t toggle, bool on);

private:
    TSLCurve& curve_;
    TStitchContext ctx_; // a copy: the page may outlive the caller's context
};

} // namespace nl
