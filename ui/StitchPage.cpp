#include "ui/StitchPage.h"

#include <cmath>

#include "core/Colour.h"
#include "regions/PointEdit.h"

namespace nl {

int32_t TStitchPage::Last() const {
    return object_.Count() - 1;
}

int32_t TStitchPage::Position() const {
    return StitchCursor(object_);
}

bool TStitchPage::Whole(double v) const {
    return std::isfinite(v) && v == std::floor(v) && v >= 0 && v <= Last();
}

bool TStitchPage::SetPosition(double v) {
    if (!Whole(v)) return false;
    SetStitchCursor(object_, static_cast<int32_t>(v));
    SelectRange();
    return true;
}

bool TStitchPage::SetPlus(double v) {
    if (!Whole(v)) return false;
    state_.Plus = static_cast<int32_t>(v);
    SelectRange();
    return true;
}

bool TStitchPage::SetMinus(double v) {
    if (!Whole(v)) return false;
    state_.Minus = static_cast<int32_t>(v);
    SelectRange();
    return true;
}

void TStitchPage::Step(TStitchStep step) {
    if (object_.Empty()) return;
    const int32_t c = StitchCursor(object_);
    switch (step) {
    case TStitchStep::Back:
        SetStitchCursor(object_, c - 1);
        break;
    case TStitchStep::Forward:
        SetStitchCursor(object_, c + 1);
        break;
    case TStitchStep::PreviousColour:
        SetStitchCursor(object_, PreviousColourPoint(object_, c));
        break;
    case TStitchStep::NextColour:
        SetStitchCursor(object_, NextColourPoint(object_, c));
        break;
    }
    SelectRange();
}

void TStitchPage::Reset() {
    state_.Plus = state_.Minus = 0;
    ClearPointSelection(object_);
}

int32_t TStitchPage::ColourBlock() const {
    return ColourPointInForce(object_, StitchCursor(object_));
}

int32_t TStitchPage::Colour() const {
    const int32_t b = ColourBlock();
    return b >= 0 ? object_[b].GetColour() : NO_COLOUR;
}

bool TStitchPage::LowLevel() const {
    return (object_.Flags & OF_LOW_LEVEL_EDIT) != 0;
}

void TStitchPage::SetLowLevel(bool on) {
    if (on)
        object_.SetFlags(OF_LOW_LEVEL_EDIT);
    else
        object_.ClearFlags(OF_LOW_LEVEL_EDIT);
}

bool TStitchPage::HighlightColours() const {
    return (object_.Flags & OF_HIGHLIGHT_COLOURS) != 0;
}

void TStitchPage::SetHighlightColours(bool on) {
    if (on)
        object_.SetFlags(OF_HIGHLIGHT_COLOURS);
    else
        object_.ClearFlags(OF_HIGHLIGHT_COLOURS);
}

void TStitchPage::SelectRange() {
    if (state_.Plus <= 0 && state_.Minus <= 0) return;
    const int32_t c = StitchCursor(object_);
    SelectPointRange(object_, c - state_.Minus, c + state_.Plus);
}

} // namespace nl
