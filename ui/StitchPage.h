// The "Stitch" properties page of a direct stitch object: the stitch cursor (" Stitch Position  ")
// and the range around it ("  Stitch Plus        ", "  Stitch Minus     "), which selects the
// points it covers; the arrows that step the cursor by a point or to the next or previous colour
// point; the colour of the colour block in force at the cursor; the display switches of the point
// editor; and "Reset", which clears the range and its selection.
#pragma once
#include <cstdint>

#include "app/PointEditing.h"

namespace nl {

class TSLStitch;

enum class TStitchStep : uint8_t { Back, Forward, PreviousColour, NextColour };

class TStitchPage {
public:
    static constexpr const char* Caption = "Stitch";
    static constexpr const char* PositionCaption = " Stitch Position  ";
    static constexpr const char* PlusCaption = "  Stitch Plus        ";
    static constexpr const char* MinusCaption = "  Stitch Minus     ";
    static constexpr const char* ColourCaption = "  Color";
    static constexpr const char* LowLevelCaption = "Allow Low Level Editing";
    static constexpr const char* HideUnselectedCaption = "Hide Unselected Stitches";
    static constexpr const char* HighlightCaption = "Highlight Color Points";
    static constexpr const char* ResetCaption = "Reset";
    // The arrow buttons, in the order of TStitchStep.
    static constexpr const char* StepCaptions[4] = {"<", ">", "<<", ">>"};

    TStitchPage(TSLStitch& object, TPointEditState& state) : object_(object), state_(state) {}

    // The last point index (the upper bound of the three fields); -1 for an empty object.
    int32_t Last() const;
    int32_t Position() const;
    int32_t Plus() const { return state_.Plus; }
    int32_t Minus() const { return state_.Minus; }
    // Entries outside 0 .. Last() (or not whole numbers) are refused and change nothing.
    bool SetPosition(double v);
    bool SetPlus(double v);
    bool SetMinus(double v);
    void Step(TStitchStep step);
    void Reset();

    // The colour field applies only when a colour point is in force at the cursor; then it shows
    // that point's colour, and a new colour goes to that colour block.
    bool ColourApplies() const { return ColourBlock() >= 0; }
    int32_t ColourBlock() const;
    int32_t Colour() const;

    bool LowLevel() const;
    void SetLowLevel(bool on);
    bool HideUnselected() const { return state_.HideUnselected; }
    void SetHideUnselected(bool on) { state_.HideUnselected = on; }
    bool HighlightColours() const;
    void SetHighlightColours(bool on);

private:
    bool Whole(double v) const;
    // The range around the cursor selects its points (none when both counts are 0).
    void SelectRange();

    TSLStitch& object_;
    TPointEditState& state_;
};

} // namespace nl
