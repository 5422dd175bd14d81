#include "ui/StitchStylePage.h"

#include "regions/JumpNodes.h"
#include "regions/Pattern.h"
#include "stitching/Feather.h"
#include "stitching/SLCurve.h"
#include "ui/PageField.h"
#include "ui/ProgStitchPage.h"

namespace nl {

const std::vector<TStitchStylePage::TChoice>& TStitchStylePage::StitchTypes() {
    static const std::vector<TChoice> choices = {
        {"No Stitches ", ST_NONE}, {"Running", ST_RUNNING}, {"Satin", ST_SATIN}, {"Zigzag", ST_ZIGZAG}};
    return choices;
}

uint32_t TStitchStylePage::CurrentType() const {
    if (curve_.Outlines) return curve_.StitchType() == ST_ZIGZAG ? ST_ZIGZAG : ST_SATIN;
    return (curve_.Flags & OF_RUNNING) ? ST_RUNNING : ST_NONE;
}

bool TStitchStylePage::SetStitchType(uint32_t type) {
    if (type != ST_NONE && type != ST_RUNNING && type != ST_SATIN && type != ST_ZIGZAG) return false;
    if (type == CurrentType()) return true;
    const bool dropJumps = type == ST_NONE && curve_.Jumps && curve_.Jumps->Count() > 0;
    if (dropJumps && host_.MessageDialog(
                         "Delete Jump Stitches To Other Objects ?",
                         "One or more jump links to other stitch objects will be destroyed. OK to Continue ?",
                         TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    const bool dropProfile = (type == ST_NONE || type == ST_RUNNING) && curve_.Outlines;
    if (dropProfile &&
        host_.MessageDialog("OK To Change Stitch Attributes ?",
                            "Changing from a Zigzag stitch will result in a loss of data ! Is it "
                            "OK to continue ",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return false;

    if (dropJumps) {
        // Both ends of every link go, so no partner keeps pointing at this outline.
        UnlinkAll(curve_, ctx_);
        curve_.Jumps.reset();
        curve_.EntryIndex = -1;
        curve_.ExitIndex = -1;
    }
    if (dropProfile) curve_.Outlines.reset();
    switch (type) {
    case ST_RUNNING:
        curve_.Flags |= OF_RUNNING;
        break;
    case ST_NONE:
        curve_.Flags &= ~OF_RUNNING;
        break;
    default:
        // A satin or zigzag outline gets a width profile with one default section per anchor.
        if (!curve_.Outlines && curve_.AnchorCount() >= 2)
            curve_.Outlines = TOutlineList::MakeDefault(curve_.AnchorCount());
        curve_.Flags &= ~OF_RUNNING;
        break;
    }
    curve_.SetStitchTypeBits(type);
    if (type != ST_NONE && curve_.OrderIndex == ORDER_NONE) curve_.OrderIndex = ORDER_UNPLACED;
    Refresh();
    return true;
}

bool TStitchStylePage::Visible() const {
    return curve_.Visible();
}

void TStitchStylePage::SetVisible(bool on) {
    SetBits(curve_.Flags, OF_VISIBLE, on);
    Refresh();
}

bool TStitchStylePage::ShortStitches() const {
    return (curve_.Flags & OF_SHORT_STITCHES) != 0;
}

void TStitchStylePage::SetShortStitches(bool on) {
    SetBits(curve_.Flags, OF_SHORT_STITCHES, on);
    Refresh();
}

bool TStitchStylePage::Feather() const {
    return curve_.Outlines && curve_.Outlines->OutlineFeather;
}

bool TStitchStylePage::SetFeather(bool on) {
    if (!curve_.Outlines) return false;
    if (on) {
        curve_.Flags |= OF_FEATHER;
        // A new record draws its own seed, as a column's does, so that two feathered outlines
        // are not ragged in the same places.
        if (!curve_.Outlines->OutlineFeather) curve_.Outlines->OutlineFeather = NewFeather();
    } else {
        curve_.Flags &= ~OF_FEATHER;
        curve_.Outlines->OutlineFeather.reset();
    }
    Refresh();
    return true;
}

bool TStitchStylePage::ProgStitch() const {
    return (curve_.StitchFlags & SF_PROG_STITCH) != 0;
}

bool TStitchStylePage::SwitchOffProgStitch() {
    if (!ProgStitch()) return true;
    if (!ConfirmProgStitchOff(host_)) return false;
    ClearPattern(curve_);
    Refresh();
    return true;
}

void TStitchStylePage::Refresh() {
    curve_.UpdateBounds(ctx_);
}

} // namespace nl
