#include "ui/OrderOptionsPage.h"

#include <algorithm>

namespace nl {

TOrderDisplay TOrderDisplay::Of(const TWorksheetSettings& s) {
    TOrderDisplay d;
    // A value out of the four choices (a file from elsewhere) draws as "Normal".
    d.Unsewn = s.SOWNormal <= 3 ? static_cast<TUnsewnLook>(s.SOWNormal) : TUnsewnLook::Normal;
    d.ShowConnectors = s.SOJump;
    d.ConnectorsOnTop = s.SOJToTop;
    d.CurrentOnly = s.SOJToTop2;
    d.ShowDirection = s.SOJToTop3;
    d.HighlightCurrent = s.SOJToTop4;
    d.ThinConnectors = s.SOJNormal;
    d.ShadeCurrent = s.OrderHighlight;
    d.FrameCurrent = s.OrderHighlight2;
    d.OnlyElements = s.SOJToTop5;
    d.LineThickness = std::clamp(s.ImageThick, 1, 10);
    d.OutColour = s.KvNormal & 0xFFFFFF;
    d.InColour = s.KvHigh & 0xFFFFFF;
    d.ShadeColour = s.OrderHighlightColour & 0xFFFFFF;
    return d;
}

const std::vector<TOrderOptionsPage::TField>& TOrderOptionsPage::Fields() {
    static const std::vector<TField> rows = {
        {"Line Thickness", "pixels", 1, 10, 0, [](const TWorksheetSettings& s) { return s.ImageThick; },
         [](TWorksheetSettings& s, double v) { s.ImageThick = static_cast<int32_t>(v + 0.5); }, nullptr},
    };
    return rows;
}

namespace {
using TToggle = TOrderOptionsPage::TToggle;

TToggle Choice(const char* caption, uint8_t value) {
    TToggle t{caption, [value](const TWorksheetSettings& s) { return s.SOWNormal == value; },
              [value](TWorksheetSettings& s, bool on) {
                  if (on) s.SOWNormal = value;
              },
              nullptr};
    t.OneOf = true;
    return t;
}

TToggle Switch(const char* caption, bool TWorksheetSettings::*member) {
    return {caption, [member](const TWorksheetSettings& s) { return s.*member; },
            [member](TWorksheetSettings& s, bool on) { s.*member = on; }, nullptr};
}
} // namespace

const std::vector<TOrderOptionsPage::TToggle>& TOrderOptionsPage::Toggles() {
    static const std::vector<TToggle> rows = {
        Choice("Normal", 0),
        Choice("Stitched", 1),
        Choice("Outline", 2),
        Choice("Highlighted", 3),
        Switch("Show Jump Stitches", &TWorksheetSettings::SOJump),
        Switch("Bring To Top", &TWorksheetSettings::SOJToTop),
        Switch("Selected Only", &TWorksheetSettings::SOJToTop2),
        Switch("Show Direction", &TWorksheetSettings::SOJToTop3),
        Switch("Highlight Element", &TWorksheetSettings::SOJToTop4),
        Switch("Thinned Jump", &TWorksheetSettings::SOJNormal),
        Switch("Shade Element", &TWorksheetSettings::OrderHighlight),
        Switch("Outline Element", &TWorksheetSettings::OrderHighlight2),
        Switch("Filter Non-Stitching", &TWorksheetSettings::SOJToTop5),
    };
    return rows;
}

int TOrderOptionsPage::ToggleIndex(const std::string& caption) {
    for (size_t i = 0; i < Toggles().size(); ++i)
        if (Toggles()[i].Caption == caption) return static_cast<int>(i);
    return -1;
}

TApply TOrderOptionsPage::Apply(size_t field, double value) {
    if (field >= Fields().size()) return TApply::NotApplicable;
    const auto stored = Fields()[field].Entry(value);
    if (!stored) return TApply::Refused;
    Fields()[field].Set(s_, *stored);
    return TApply::Accepted;
}

TApply TOrderOptionsPage::SetToggle(size_t toggle, bool on) {
    if (toggle >= Toggles().size()) return TApply::NotApplicable;
    const TToggle& t = Toggles()[toggle];
    if (t.OneOf && !on) return TApply::Refused;
    t.Set(s_, on);
    return TApply::Accepted;
}

} // namespace nl
