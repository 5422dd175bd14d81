// The "Stitch Ordering" page: how the stitch order mode draws the group being ordered. Its values
// are worksheet settings (saved with the worksheet); the page edits them and the worksheet view
// redraws. The look of the elements not yet sewn is one choice; the rest are switches, the
// connector thickness and two connector colours.
#pragma once
#include <cstdint>
#include <vector>

#include <string>

#include "ui/FieldPage.h"
#include "worksheet/WorksheetSettings.h"

namespace nl {

// How the elements after the current one (not yet sewn) are drawn.
enum class TUnsewnLook : uint8_t { Normal = 0, Stitched = 1, Outline = 2, Highlighted = 3 };

// The display options as the drawing uses them, read from the settings.
struct TOrderDisplay {
    TUnsewnLook Unsewn = TUnsewnLook::Outline;
    bool ShowConnectors = true;   // "Show Jump Stitches"
    bool ConnectorsOnTop = true;  // "Bring To Top"
    bool CurrentOnly = false;     // "Selected Only": the current element's connectors only
    bool ShowDirection = false;   // an arrow head at each connector's end
    bool HighlightCurrent = true; // "Highlight Element"
    bool ThinConnectors = false;  // "Thinned Jump"
    bool ShadeCurrent = false;    // "Shade Element": the current element's area tinted
    bool FrameCurrent = false;    // "Outline Element": a frame about the current element
    bool OnlyElements = false;    // "Filter Non-Stitching": objects outside the order are not drawn
    int32_t LineThickness = 3;    // pixels, the connectors into and out of the current element
    int32_t OutColour = 0xFF0000; // "Stitch Order Color": the connector out of the current element
    int32_t InColour = 0x0000FF;  // "Stitch Order Highlight": the connector into it, the frame
    int32_t ShadeColour = 0xE7F4E1;

    static TOrderDisplay Of(const TWorksheetSettings& s);
};

class TOrderOptionsPage {
public:
    using TField = TFieldRow<TWorksheetSettings>;
    using TToggle = TToggleRow<TWorksheetSettings>;
    static constexpr const char* Caption = "Stitch Ordering";
    static constexpr const char* OutColourCaption = "Stitch Order Color";
    static constexpr const char* InColourCaption = "Stitch Order Highlight";
    // The four choices come first among the toggles, in the order of TUnsewnLook.
    static constexpr size_t kChoices = 4;

    explicit TOrderOptionsPage(TWorksheetSettings& s) : s_(s) {}

    static const std::vector<TField>& Fields();
    static const std::vector<TToggle>& Toggles();
    static int ToggleIndex(const std::string& caption);

    double Value(size_t field) const { return Fields()[field].Get(s_); }
    // The entry rule of every page: out of range is refused and the setting kept.
    TApply Apply(size_t field, double value);
    bool ToggleValue(size_t toggle) const { return Toggles()[toggle].Get(s_); }
    // A choice is changed by choosing another one: unchecking it is refused.
    TApply SetToggle(size_t toggle, bool on);
    int32_t OutColour() const { return s_.KvNormal; }
    int32_t InColour() const { return s_.KvHigh; }
    void SetOutColour(int32_t c) { s_.KvNormal = c; }
    void SetInColour(int32_t c) { s_.KvHigh = c; }

private:
    TWorksheetSettings& s_;
};

} // namespace nl
