// The "Feather Stitch" properties page: the feather settings of a curved column (kept on rail B)
// or of a satin outline (kept in its width profile), and "New Random Seed".
#pragma once
#include "ui/FieldPage.h"

namespace nl {

class TFeather;

class TFeatherPage : public TFieldPageOf<TFeatherPage, TSLCurve> {
public:
    static constexpr const char* Caption = "Feather Stitch";
    static constexpr const char* NewSeedCaption = "New Random Seed";
    TFeatherPage(TSLCurve& curve, const TStitchContext& ctx);
    // Fields in order: "At" and "Feather Width" above, then "At" and "Feather Width" below.
    static const std::vector<TFieldDesc>& FieldList();
    // "Feather Above", "Auto Column Mode" (above), "Feather Below", "Auto Column Mode" (below).
    static const std::vector<TToggleDesc>& ToggleList();

    // The record the page edits; null when the object has no feathering.
    static TFeather* FeatherOf(const TSLCurve& curve);
    // "New Random Seed": a new seed, then the stitches again. False without a record.
    bool NewRandomSeed();
};

} // namespace nl
