#include "ui/ProgStitchPage.h"

#include <cmath>
#include <numbers>

#include "core/Numeric.h"
#include "core/Units.h"
#include "regions/Pattern.h"
#include "stitching/Overlay.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

TObjectStitch* PatternIn(const TSLStitch& o) {
    // The rows read the object; the pattern is reached through the same slot that writing uses.
    return PatternOf(const_cast<TSLStitch&>(o));
}

bool HasPattern(const TSLStitch& o) {
    return PatternIn(o) != nullptr;
}

bool Bendable(const TSLStitch& o) {
    return HasPattern(o) && o.Kind() == KIND_CURVE;
}

constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr uint32_t kAnchorBits = PATTERN_FROM_TOP | PATTERN_FROM_MIDDLE | PATTERN_FROM_BOTTOM;

TSLStitch& PageTarget(TSLStitch& object) {
    return object.Kind() == KIND_CURVE ? AttributeCurve(static_cast<TSLCurve&>(object)) : object;
}

} // namespace

TProgStitchPage::TProgStitchPage(TSLStitch& object, const TStitchContext& ctx, Host& host)
    : TFieldPageOf(PageTarget(object), ctx), host_(host) {}

const std::vector<TFieldRow<TSLStitch>>& TProgStitchPage::FieldList() {
    // Tile sizes are whole worksheet units within 2 .. 60 mm; the box accepts a hair beyond.
    auto size = [](const char* caption, bool width) {
        return TFieldRow<TSLStitch>{caption,
                                    "mm",
                                    1.999,
                                    60.01,
                                    2,
                                    [width](const TSLStitch& o) {
                                        const TObjectStitch& p = *PatternIn(o);
                                        return (width ? p.PatternWidth : p.PatternHeight) / kUnitsPerMm;
                                    },
                                    [width](TSLStitch& o, double v) {
                                        TObjectStitch& p = *PatternIn(o);
                                        const int32_t units = RoundI(v * kUnitsPerMm);
                                        SetTileSize(p, width ? units : p.PatternWidth,
                                                    width ? p.PatternHeight : units);
                                    },
                                    HasPattern};
    };
    static const std::vector<TFieldRow<TSLStitch>> fields = {
        size("Width", true),
        size("Height", false),
        {"Rotation", "degrees", -360, 360, 1,
         [](const TSLStitch& o) { return PatternIn(o)->PatternAngle * kDegrees; },
         [](TSLStitch& o, double v) { PatternIn(o)->PatternAngle = static_cast<float>(v / kDegrees); },
         HasPattern},
    };
    return fields;
}

const std::vector<TToggleRow<TSLStitch>>& TProgStitchPage::ToggleList() {
    static const std::vector<TToggleRow<TSLStitch>> toggles = {
        {"Match Pattern To Curve",
         [](const TSLStitch& o) { return (PatternIn(o)->Flags & PATTERN_MATCH_CURVE) != 0; },
         [](TSLStitch& o, bool on) { SetBits(PatternIn(o)->Flags, PATTERN_MATCH_CURVE, on); }, Bendable},
    };
    return toggles;
}

bool TProgStitchPage::Shown(TSLStitch& object) {
    return PatternOf(object) != nullptr;
}

TObjectStitch* TProgStitchPage::Pattern() const {
    return PatternIn(target_);
}

bool TProgStitchPage::AnchorApplies() const {
    return Bendable(target_) && (Pattern()->Flags & PATTERN_MATCH_CURVE);
}

TPatternAnchor TProgStitchPage::Anchor() const {
    const TObjectStitch* p = Pattern();
    if (!p) return TPatternAnchor::Top;
    // As the generator reads the bits: top first, then middle, then bottom (a new pattern carries
    // the bottom bit from its constructor, so an explicit choice of the others wins over it).
    if (p->Flags & PATTERN_FROM_TOP) return TPatternAnchor::Top;
    if (p->Flags & PATTERN_FROM_MIDDLE) return TPatternAnchor::Middle;
    if (p->Flags & PATTERN_FROM_BOTTOM) return TPatternAnchor::Bottom;
    return TPatternAnchor::Top;
}

bool TProgStitchPage::SetAnchor(TPatternAnchor anchor) {
    if (!AnchorApplies()) return false;
    TObjectStitch& p = *Pattern();
    p.Flags &= ~kAnchorBits;
    p.Flags |= anchor == TPatternAnchor::Top      ? PATTERN_FROM_TOP
               : anchor == TPatternAnchor::Middle ? PATTERN_FROM_MIDDLE
                                                  : PATTERN_FROM_BOTTOM;
    Regenerate();
    return true;
}

bool TProgStitchPage::Orient(TOrient how) {
    TObjectStitch* p = Pattern();
    if (!p) return false;
    switch (how) {
    case TOrient::MirrorH:
        MirrorH(*p);
        break;
    case TOrient::MirrorV:
        MirrorV(*p);
        break;
    case TOrient::Rotate90:
        Rotate90(*p);
        break;
    }
    Regenerate();
    return true;
}

bool TProgStitchPage::Clear() {
    if (!Pattern() || !ConfirmProgStitchOff(host_)) return false;
    ClearPattern(target_);
    Regenerate();
    return true;
}

bool ConfirmProgStitchOff(Host& host) {
    return host.MessageDialog("Prog Stitch Change",
                              "Warning: Prog. Stitch Pattern Is To Be De-Selected. Any Property Changes Made "
                              "Will Be Lost. Do You Wish To Continue ?",
                              TButton::Yes | TButton::No) == TButton::Yes;
}

} // namespace nl
