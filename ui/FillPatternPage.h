// The fill split part of the "Fill Pattern" page: pitch, offsets A and B and the edge the
// pattern is matched to, for satin outlines and curved columns.
#pragma once
#include "stitching/FillSplit.h"
#include "ui/FieldPage.h"

namespace nl {

class TFillPatternPage : public TFieldPageOf<TFillPatternPage, TSLCurve> {
public:
    static constexpr const char* Caption = "Fill Pattern";
    TFillPatternPage(TSLCurve& curve, const TStitchContext& ctx);
    static const std::vector<TFieldDesc>& FieldList();
    static const std::vector<TToggleDesc>& ToggleList();

    // The "Match To Top" / "Middle" / "Bottom" choice.
    static constexpr const char* MatchCaptions[3] = {"Match To Top", "Middle", "Bottom"};
    TFillMatch Match() const;
    void SetMatch(TFillMatch match);
};

} // namespace nl
