#include "ui/SupportPage.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "core/Numeric.h"
#include "core/Units.h"

namespace nl {

namespace {
bool IsKind(const TObjectBase& o, uint8_t kind) {
    return o.Kind == kind;
}
TObjectBitmap& Picture(TObjectBase& o) {
    return static_cast<TObjectBitmap&>(o);
}
const TObjectBitmap& Picture(const TObjectBase& o) {
    return static_cast<const TObjectBitmap&>(o);
}
TObjectPatternCreator& Creator(TObjectBase& o) {
    return static_cast<TObjectPatternCreator&>(o);
}
const TObjectPatternCreator& Creator(const TObjectBase& o) {
    return static_cast<const TObjectPatternCreator&>(o);
}

using TField = TFieldRow<TObjectBase>;
using TToggle = TToggleRow<TObjectBase>;

// " Width : " / " Height : " of a label and the creator's tile frame: the bounds' size in mm.
TField SizeField(const char* caption, bool width, uint8_t kind, double min, double max) {
    return {caption,
            "mm",
            min,
            max,
            2,
            [width](const TObjectBase& o) { return (width ? o.Width() : o.Height()) / kUnitsPerMm; },
            [width](TObjectBase& o, double v) {
                const int32_t units = std::max(1, RoundI(v * kUnitsPerMm));
                o.SetSize(width ? units : o.Width(), width ? o.Height() : units);
            },
            [kind](const TObjectBase& o) { return o.Kind == kind; }};
}

TToggle Bit(const char* caption, uint32_t bit, std::function<bool(const TObjectBase&)> applies = nullptr) {
    return FlagToggle<TObjectBase, TObjectBase>(caption, &TObjectBase::Flags, bit, std::move(applies));
}
} // namespace

const std::vector<TSupportPage::TField>& TSupportPage::FieldList() {
    static const std::vector<TField> rows = {
        // Alpha is kept 0..255 and shown in percent.
        {"At", "%", 0, 100, 0,
         [](const TObjectBase& o) { return std::round(Picture(o).Alpha * 100.0 / 255.0); },
         [](TObjectBase& o, double v) { Picture(o).Alpha = std::clamp(RoundI(v * 255.0 / 100.0), 0, 255); },
         [](const TObjectBase& o) { return IsKind(o, SUPPORT_PICTURE); }},
        {"Zoom To", "%", 5, 5000, 0,
         [](const TObjectBase& o) { return static_cast<double>(Picture(o).Zoom); },
         [](TObjectBase& o, double v) {
             Picture(o).Zoom = std::clamp(RoundI(v), 5, 5000);
             Picture(o).SizeFromPicture();
         },
         [](const TObjectBase& o) { return IsKind(o, SUPPORT_PICTURE); }},
        SizeField("Width", true, SUPPORT_PATTERN_CREATOR, 5, 1000),
        SizeField("Height", false, SUPPORT_PATTERN_CREATOR, 5, 1000),
        {"Edit Points", "", 1, 70, 0,
         [](const TObjectBase& o) { return static_cast<double>(Creator(o).Pattern.EditPoints); },
         [](TObjectBase& o, double v) { Creator(o).Pattern.EditPoints = std::clamp(RoundI(v), 1, 70); },
         [](const TObjectBase& o) { return IsKind(o, SUPPORT_PATTERN_CREATOR); }},
        SizeField("Width", true, SUPPORT_TEXT_LABEL, 1, 20000),
        SizeField("Height", false, SUPPORT_TEXT_LABEL, 1, 20000),
    };
    return rows;
}

const std::vector<TSupportPage::TToggle>& TSupportPage::ToggleList() {
    auto layer = [](uint8_t value, const char* caption) {
        return TToggle{caption, [value](const TObjectBase& o) { return o.Layer == value; },
                       [value](TObjectBase& o, bool on) {
                           if (on) o.Layer = value;
                       },
                       nullptr, true};
    };
    auto kind = [](uint8_t k) { return [k](const TObjectBase& o) { return o.Kind == k; }; };
    static const std::vector<TToggle> rows = {
        {"Lock To Worksheet", [](const TObjectBase& o) { return o.Locked != 0; },
         [](TObjectBase& o, bool on) { o.Locked = on; }, nullptr},
        Bit("Snap To Grid", SUPPORT_SNAP),
        layer(LAYER_BELOW, LayerCaptions[0]),
        layer(LAYER_BETWEEN, LayerCaptions[1]),
        layer(LAYER_ABOVE, LayerCaptions[2]),
        Bit("Transparent", SUPPORT_TRANSPARENT),
        {"Use Alpha Blending", [](const TObjectBase& o) { return Picture(o).UseAlpha != 0; },
         [](TObjectBase& o, bool on) { Picture(o).UseAlpha = on; }, kind(SUPPORT_PICTURE)},
        {"Best Possible Image", [](const TObjectBase& o) { return Picture(o).BestImage != 0; },
         [](TObjectBase& o, bool on) { Picture(o).BestImage = on; }, kind(SUPPORT_PICTURE)},
        Bit("Show Grid", CREATOR_SHOW_GRID, kind(SUPPORT_PATTERN_CREATOR)),
        Bit("Show Mosaic Mode", CREATOR_MOSAIC, kind(SUPPORT_PATTERN_CREATOR)),
        Bit("Popup", MEMO_POPUP, kind(SUPPORT_TEXT_LABEL)),
        Bit("Auto Update", MEMO_AUTO_UPDATE, kind(SUPPORT_TEXT_LABEL)),
        Bit("Word Wrap", MEMO_WORD_WRAP, kind(SUPPORT_TEXT_LABEL)),
    };
    return rows;
}

bool TSupportPage::Orient(TObjectBitmap::TOrient how) {
    if (target_.Kind != SUPPORT_PICTURE) return false;
    const bool ok = Picture(target_).Orient(how);
    Regenerate();
    return ok;
}

std::string TSupportPage::MemoText() const {
    if (target_.Kind != SUPPORT_TEXT_LABEL) return {};
    std::string text;
    const auto& lines = static_cast<const TObjectText&>(target_).Lines;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    return text;
}

void TSupportPage::SetMemoText(const std::string& text) {
    if (target_.Kind != SUPPORT_TEXT_LABEL) return;
    auto& lines = static_cast<TObjectText&>(target_).Lines;
    lines.clear();
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    Regenerate();
}

namespace {
// The memo keeps its font height in screen pixels (at 96 per inch) and in units (6.13 per pixel,
// as pictures take them); the font dialog speaks points.
constexpr double kPixelsPerPoint = 96.0 / 72.0;
} // namespace

TFontChoice TSupportPage::MemoFont() const {
    TFontChoice f;
    if (target_.Kind != SUPPORT_TEXT_LABEL) return f;
    const auto& memo = static_cast<const TObjectText&>(target_);
    f.Family = memo.FontName;
    f.Bold = (memo.FontStyle & MEMO_BOLD) != 0;
    f.Italic = (memo.FontStyle & MEMO_ITALIC) != 0;
    f.PointSize = std::clamp(memo.FontSize, 1, 1000) / kPixelsPerPoint;
    return f;
}

void TSupportPage::SetMemoFont(const TFontChoice& font) {
    if (target_.Kind != SUPPORT_TEXT_LABEL) return;
    auto& memo = static_cast<TObjectText&>(target_);
    if (!font.Family.empty()) memo.FontName = font.Family;
    memo.FontStyle = static_cast<uint8_t>((memo.FontStyle & ~(MEMO_BOLD | MEMO_ITALIC)) |
                                          (font.Bold ? MEMO_BOLD : 0) | (font.Italic ? MEMO_ITALIC : 0));
    const double points = std::isfinite(font.PointSize) ? std::clamp(font.PointSize, 1.0, 750.0) : 12.0;
    memo.FontSize = std::max(1, RoundI(points * kPixelsPerPoint));
    memo.FontHeight = memo.FontSize * TObjectBitmap::kUnitsPerPixel;
    Regenerate();
}

bool TSupportPage::ChooseFont(Host& host) {
    if (target_.Kind != SUPPORT_TEXT_LABEL) return false;
    TFontChoice font = MemoFont();
    if (!host.ChooseFont(font)) return false;
    SetMemoFont(font);
    return true;
}

std::string TSupportPage::LockCaption() const {
    const bool locked =
        target_.Kind == SUPPORT_TEXT_LABEL && static_cast<const TObjectText&>(target_).Locked != nullptr;
    return locked ? "Unlock Memo" : "Lock To Selected";
}

void TSupportPage::ToggleLock(TSLStitch* selected) {
    if (target_.Kind != SUPPORT_TEXT_LABEL) return;
    auto& memo = static_cast<TObjectText&>(target_);
    memo.Locked = memo.Locked ? nullptr : selected;
    memo.LockedTo = 0; // numbered when the worksheet is written
    Regenerate();
}

} // namespace nl
