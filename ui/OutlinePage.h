// The "Outline" properties page of an outline: its numeric fields and check boxes, applied to
// the curve with the entry rule (out-of-range values refused, the old value kept) and followed
// at once by a regeneration.
#pragma once
#include "ui/FieldPage.h"

namespace nl {

class TOutlinePage : public TFieldPageOf<TOutlinePage, TSLCurve> {
public:
    static constexpr const char* Caption = "Outline";
    TOutlinePage(TSLCurve& curve, const TStitchContext& ctx) : TFieldPageOf(curve, ctx) {}
    static const std::vector<TFieldDesc>& FieldList();
    static const std::vector<TToggleDesc>& ToggleList();

protected:
    // "Use As Region Overlay" changes which fills the outline pierces.
    void Toggled(size_t toggle, bool on) override;
};

} // namespace nl
