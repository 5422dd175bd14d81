// The "Stitch Style" properties page on its outline side: the stitch type of an outline with the
// questions that guard data loss, and the check boxes that switch stitching parts on and off.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSLCurve;

class TStitchStylePage {
public:
    TStitchStylePage(TSLCurve& curve, const TStitchContext& ctx, Host& host)
        : curve_(curve), ctx_(ctx), host_(host) {}

    struct TChoice {
        std::string Caption;
        uint32_t Type; // ST_NONE, ST_RUNNING, ST_SATIN or ST_ZIGZAG
    };
    // The stitch types an outline offers ("Tatami" belongs to regions).
    static const std::vector<TChoice>& StitchTypes();

    uint32_t CurrentType() const;
    // Switches the outline to `type` and regenerates it. Returns false, changing nothing, when
    // the user declines a question that guards a loss of data.
    bool SetStitchType(uint32_t type);

    // Check boxes (captions as shown).
    static constexpr const char* VisibleCaption = "Stitch Object Visible";
    static constexpr const char* ShortStitchesCaption = "Short Stitches";
    static constexpr const char* FeatherCaption = "Feather Stitching";
    static constexpr const char* ProgStitchCaption = "Prog Stitch";
    bool Visible() const;
    void SetVisible(bool on);
    bool ShortStitches() const;
    void SetShortStitches(bool on);
    // Feathering belongs to satin outlines; false when the outline has no width profile.
    bool Feather() const;
    bool SetFeather(bool on);
    bool ProgStitch() const;
    // Switching the pattern off asks first; switching it on is the pattern viewer's business.
    bool SwitchOffProgStitch();

private:
    void Refresh();
    TSLCurve& curve_;
    TStitchContext ctx_; // a copy: the page may outlive the caller's context
    Host& host_;
};

} // namespace nl
