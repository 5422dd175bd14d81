// The "Embroidery Frame" page: the properties of a support object (frame, picture, text label,
// stitch pattern creator). Fields and check boxes apply by kind; a change is stored at once and
// the worksheet redrawn (support objects have no stitches to regenerate).
#pragma once
#include <functional>

#include "platform/Host.h"
#include "regions/Support.h"
#include "ui/FieldPage.h"

namespace nl {

// Support objects are never stitched: the page's regeneration step is a redraw (see TSupportPage).
inline void Restitch(TObjectBase&, const TStitchContext&) {}

class TSupportPage : public TFieldPageOf<TSupportPage, TObjectBase> {
public:
    static constexpr const char* Caption = "Embroidery Frame";
    TSupportPage(TObjectBase& object, const TStitchContext& ctx, std::function<void()> changed)
        : TFieldPageOf(object, ctx), changed_(std::move(changed)) {}
    static const std::vector<TField>& FieldList();
    static const std::vector<TToggle>& ToggleList();

    // The layer choice: "Below", "Between", "Above  Grid" (layers 2, 1, 0).
    static constexpr const char* LayerCaptions[3] = {"Below", "Between", "Above  Grid"};

    // The picture's "Image Orientation" buttons. False when the picture could not be turned.
    bool Orient(TObjectBitmap::TOrient how);
    // The memo's text ("Edit Text ..."): one string with line breaks.
    std::string MemoText() const;
    void SetMemoText(const std::string& text);
    // The memo's "Font ...": the font dialog (through `host`) preset with the memo's typeface;
    // the choice sets the font name, style, size and FontHeight. False when nothing was chosen.
    bool ChooseFont(Host& host);
    TFontChoice MemoFont() const;
    void SetMemoFont(const TFontChoice& font);
    // "Lock To Selected" locks the memo to the selected stitch object (it then moves with it);
    // again ("Unlock Memo") lets go.
    std::string LockCaption() const;
    void ToggleLock(TSLStitch* selected);

protected:
    void Regenerate() override {
        if (changed_) changed_();
    }

private:
    std::function<void()> changed_;
};

} // namespace nl
