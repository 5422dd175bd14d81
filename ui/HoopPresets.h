// The embroidery hoop presets ("Frame Sizes"): one table of the machine makers' hoops, used by
// the frame size dialog, the frame's information line and anything else that names a hoop; and
// the dialog's model (choose a preset, "Swap Hoop Axes", Cancel back to the size it opened with).
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace nl {

class TObjectBase;

struct THoopPreset {
    int32_t Width;  // mm
    int32_t Height; // mm
    const char* Caption;
};

struct THoopTab {
    const char* Caption;
    std::span<const THoopPreset> Presets; // empty for "Custom Frame"
};

// The tabs in dialog order; a frame's Extra is an index into it.
std::span<const THoopTab> HoopTabs();
// The tab a frame names (its Extra, clamped into the table).
int32_t HoopTabOf(const TObjectBase& frame);
// "  Frame Size 100 x 100 mm ( Viking )": the frame's size in mm and its tab.
std::string FrameInfoLine(const TObjectBase& frame);

// The "Frame Sizes" dialog over one frame. Choosing applies at once (the worksheet shows it);
// Cancel restores what the frame had when the dialog opened.
class TFrameSizes {
public:
    explicit TFrameSizes(TObjectBase& frame);

    int32_t Tab() const { return tab_; }
    // The chosen preset on the current tab, -1 when none matches the frame's size.
    int32_t Preset() const { return preset_; }
    bool Swapped() const { return swapped_; }
    // Shows a tab (without choosing a preset on it).
    void SetTab(int32_t tab);
    // Chooses preset `index` of `tab`: the frame takes its size (turned with "Swap Hoop Axes").
    void Choose(int32_t tab, int32_t index);
    void SetSwapped(bool on);
    void Cancel();
    std::string InfoLine() const;
    TObjectBase& Frame() const { return frame_; }

private:
    void Apply();
    TObjectBase& frame_;
    int32_t tab_ = 0;
    int32_t preset_ = -1;
    bool swapped_ = false;
    int32_t startRight_, startBottom_, startExtra_;
};

} // namespace nl
