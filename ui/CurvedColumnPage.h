// The "Curved Column" properties page: density, return run length, compensation, stitch length
// limits and the column's check boxes, stored on rail A whichever rail was opened.
#pragma once
#include "ui/FieldPage.h"

namespace nl {

class TCurvedColumnPage : public TFieldPageOf<TCurvedColumnPage, TSLCurve> {
public:
    static constexpr const char* Caption = "Curved Column";
    TCurvedColumnPage(TSLCurve& rail, const TStitchContext& ctx);
    static const std::vector<TFieldDesc>& FieldList();
    static const std::vector<TToggleDesc>& ToggleList();
};

} // namespace nl
