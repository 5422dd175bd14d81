#include "ui/HoopPresets.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/Units.h"
#include "regions/Support.h"

namespace nl {

namespace {
// Hoop sizes are whole millimetres.
constexpr int32_t kMm = static_cast<int32_t>(kUnitsPerMm);
constexpr THoopPreset kViking[] = {{100, 100, "100 x 100 mm ( Small )"},
                                   {100, 170, "100 x 170 mm ( Medium )"},
                                   {150, 240, "150 x 240 mm ( Large )"},
                                   {150, 360, "150 x 360 mm ( Mega Hoop )"}};
constexpr THoopPreset kBabylock[] = {
    {60, 20, "60 x 20 mm"}, {100, 100, "100 x 100 mm"}, {130, 180, "130 x 180 ( ESE Large )"}};
constexpr THoopPreset kBrother[] = {{60, 20, "60 x 20 mm"},
                                    {100, 100, "100 x 100 mm "},
                                    {100, 172, "100 x 172 mm ( Overlap )"},
                                    {130, 380, "130 x 380 mm "},
                                    {130, 300, "130 x 300 mm ( Overlap )"},
                                    {160, 260, "160 x 260 mm"}};
// Bernina and Janome offer the same six hoops.
constexpr THoopPreset kBernina[] = {
    {40, 60, "40 x 60 mm ( Small )"},      {100, 100, "100 x 100 mm "},
    {100, 130, "100 x 130 mm ( Medium )"}, {145, 255, "145 x 255 mm ( Oval )"},
    {155, 200, "155 x 200 mm ( Large )"},  {150, 400, "150 x 400 mm ( MegaHoop )"}};
constexpr THoopPreset kElna[] = {{50, 120, "50 x 120 mm "},   {55, 55, "55 x 55 mm "},
                                 {114, 114, "114 x 114 mm "}, {125, 90, "125 x 90 mm "},
                                 {135, 235, "135 x 235 mm "}, {250, 450, "250 x 450 mm "}};
constexpr THoopPreset kPfaff[] = {{80, 80, "80 x 80 mm ( Small )"},
                                  {120, 115, "120 x 115 mm ( large )"},
                                  {140, 225, "140 x 225 mm "},
                                  {225, 90, "225 x 90 mm ( Multi-Hoop Overlap )"}};
constexpr THoopPreset kSinger[] = {{57, 57, "57 x 57 mm ( Small )"},
                                   {114, 114, "114 x 114 mm ( Medium )"},
                                   {130, 240, "130 x 240 mm ( Large ) "},
                                   {210, 430, "210 x 430 mm ( Multi-Hoop )"}};

const std::array<THoopTab, 9> kTabs = {{{"Viking", kViking},
                                        {"Babylock", kBabylock},
                                        {"Brother", kBrother},
                                        {"Bernina", kBernina},
                                        {"Elna", kElna},
                                        {"Janome", kBernina},
                                        {"Pfaff", kPfaff},
                                        {"Singer", kSinger},
                                        {"Custom Frame", {}}}};

std::string Millimetres(int32_t units) {
    if (units % kMm == 0) return std::to_string(units / kMm);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(units) / kUnitsPerMm);
    return buf;
}

// The preset of a tab matching a size: its index and whether it matched turned; square sizes
// match unturned first.
int32_t Match(const THoopTab& tab, int32_t w, int32_t h, bool& turned) {
    for (size_t i = 0; i < tab.Presets.size(); ++i)
        if (tab.Presets[i].Width * kMm == w && tab.Presets[i].Height * kMm == h) {
            turned = false;
            return static_cast<int32_t>(i);
        }
    for (size_t i = 0; i < tab.Presets.size(); ++i)
        if (tab.Presets[i].Width * kMm == h && tab.Presets[i].Height * kMm == w) {
            turned = true;
            return static_cast<int32_t>(i);
        }
    return -1;
}
} // namespace

std::span<const THoopTab> HoopTabs() {
    return kTabs;
}

int32_t HoopTabOf(const TObjectBase& frame) {
    return std::clamp<int32_t>(frame.Extra, 0, static_cast<int32_t>(kTabs.size()) - 1);
}

std::string FrameInfoLine(const TObjectBase& frame) {
    return "  Frame Size " + Millimetres(frame.Width()) + " x " + Millimetres(frame.Height()) + " mm" +
           " ( " + kTabs[static_cast<size_t>(HoopTabOf(frame))].Caption + " )";
}

TFrameSizes::TFrameSizes(TObjectBase& frame)
    : frame_(frame), startRight_(frame.Rect.Right), startBottom_(frame.Rect.Bottom),
      startExtra_(frame.Extra) {
    // The tab the frame names first, then the first tab in order that has its size.
    const int32_t w = frame.Width(), h = frame.Height();
    tab_ = HoopTabOf(frame);
    bool turned = false;
    preset_ = Match(kTabs[static_cast<size_t>(tab_)], w, h, turned);
    for (size_t t = 0; preset_ < 0 && t < kTabs.size(); ++t)
        if (int32_t i = Match(kTabs[t], w, h, turned); i >= 0) {
            tab_ = static_cast<int32_t>(t);
            preset_ = i;
        }
    swapped_ = preset_ >= 0 && turned;
}

void TFrameSizes::SetTab(int32_t tab) {
    tab_ = std::clamp<int32_t>(tab, 0, static_cast<int32_t>(kTabs.size()) - 1);
    bool turned = false;
    preset_ = Match(kTabs[static_cast<size_t>(tab_)], frame_.Width(), frame_.Height(), turned);
    if (preset_ >= 0 && turned != swapped_) preset_ = -1;
    // The custom tab keeps the frame as it is and names it.
    if (kTabs[static_cast<size_t>(tab_)].Presets.empty()) frame_.Extra = tab_;
}

void TFrameSizes::Choose(int32_t tab, int32_t index) {
    if (tab < 0 || tab >= static_cast<int32_t>(kTabs.size())) return;
    const auto& presets = kTabs[static_cast<size_t>(tab)].Presets;
    if (index < 0 || index >= static_cast<int32_t>(presets.size())) return;
    tab_ = tab;
    preset_ = index;
    Apply();
}

void TFrameSizes::SetSwapped(bool on) {
    swapped_ = on;
    if (preset_ >= 0) Apply();
}

void TFrameSizes::Apply() {
    const THoopPreset& p = kTabs[static_cast<size_t>(tab_)].Presets[static_cast<size_t>(preset_)];
    const int32_t w = (swapped_ ? p.Height : p.Width) * kMm;
    const int32_t h = (swapped_ ? p.Width : p.Height) * kMm;
    frame_.Rect.Right = frame_.Rect.Left + w - 1;
    frame_.Rect.Bottom = frame_.Rect.Top + h - 1;
    frame_.Extra = tab_;
}

void TFrameSizes::Cancel() {
    frame_.Rect.Right = startRight_;
    frame_.Rect.Bottom = startBottom_;
    frame_.Extra = startExtra_;
}

std::string TFrameSizes::InfoLine() const {
    return FrameInfoLine(frame_);
}

} // namespace nl
