#include "ui/CircleDialog.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/Circle.h"
#include "stitching/SLCurve.h"
#include "worksheet/Sew.h"

namespace nl {

namespace {
constexpr double OriginLimit = 9999999.0;      // mm
constexpr double ConcentricStep = 2.5 * 20.0;  // the concentric circle starts 2.5 mm outside
constexpr double SegLengthMax = 3000.0 * 20.0; // units
constexpr double CentreOffsetMax = 3000.0 * 20.0;

const std::vector<TCircleFieldSpec> kFields = {
    {TCircleField::Radius, "Circle Radius", "mm", 1, 1000, 2, false},
    {TCircleField::OriginX, "Origin X : ", "mm", -OriginLimit, OriginLimit, 2, false},
    {TCircleField::OriginY, "Y : ", "mm", -OriginLimit, OriginLimit, 2, false},
    {TCircleField::ConcentricRadius, "Consentric Radius", "mm", 1, 1000, 2, false},
    {TCircleField::Segments, "Number Of Segments", "", CIRCLE_SEGMENTS_MIN, CIRCLE_SEGMENTS_MAX, 0, false},
    {TCircleField::OffsetAngle, "Offset Angle", "Deg", -360, 360, 1, true},
    {TCircleField::SegLength, "Seg length", "mm", 1, 3000, 2, false},
    {TCircleField::CentreOffset, "Center Offset", "mm", 0, 3000, 2, false},
};

const std::vector<TCircleToggle> kToggles = {TCircleToggle::Concentric, TCircleToggle::SegmentCircle,
                                             TCircleToggle::BezierSegments, TCircleToggle::SegmentLines,
                                             TCircleToggle::PositionSegment};

// The numeric entry rule: within the range with a tolerance of 0.001, as every number box.
bool InRange(const TCircleFieldSpec& s, double v) {
    return std::isfinite(v) && v >= s.Min - 0.001 && v <= s.Max + 0.001;
}

// Angles above 360 lose whole turns until they are at most 360 (below -360 likewise upwards).
double WrapAngle(double v) {
    if (v > 360.0) return v - 360.0 * std::ceil((v - 360.0) / 360.0);
    if (v < -360.0) return v + 360.0 * std::ceil((-360.0 - v) / 360.0);
    return v;
}

double ToUnits(const TCircleFieldSpec& s, double mm) {
    return std::clamp(mm, s.Min, s.Max) * kUnitsPerMm;
}
} // namespace

TCircleDialog::TCircleDialog(TSew& sew, TSLCurve& circle, double cx, double cy, double draggedRadius,
                             const TStitchContext& ctx, Host& host, std::function<void()> changed)
    : sew_(sew), circle_(&circle), ctx_(ctx), host_(host), changed_(std::move(changed)), cx_(cx), cy_(cy),
      r_(draggedRadius) {
    selection_ = circle.Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
}

void TCircleDialog::Open() {
    if (!(r_ >= CIRCLE_RADIUS_MIN)) {
        host_.MessageDialog("Circle Too Small", "Circle  < 1 mm Radius. Setting To 1 mm",
                            Buttons(TButton::OK));
        r_ = CIRCLE_RADIUS_MIN;
        // The default circle of the drag shows the corrected size until the dialog's circle
        // replaces it.
        SetCircle(*circle_, cx_, cy_, r_);
        circle_->UpdateBounds(ctx_);
        if (changed_) changed_();
    }
    // A drag beyond the dialog's largest radius starts at the largest.
    r_ = std::min(r_, CIRCLE_RADIUS_MAX);
    concentricR_ = std::min(r_ + ConcentricStep, CIRCLE_RADIUS_MAX);
    segLength_ = r_;
    centreOffset_ = 0;
    Rebuild();
}

const std::vector<TCircleFieldSpec>& TCircleDialog::Fields() {
    return kFields;
}

const TCircleFieldSpec& TCircleDialog::Spec(TCircleField f) {
    return kFields[static_cast<size_t>(f)];
}

const std::vector<TCircleToggle>& TCircleDialog::Toggles() {
    return kToggles;
}

const char* TCircleDialog::ToggleCaption(TCircleToggle t) {
    switch (t) {
    case TCircleToggle::Concentric:
        return "Use Consentric Circle";
    case TCircleToggle::SegmentCircle:
        return "Segment Circle";
    case TCircleToggle::BezierSegments:
        return "Segment Bezier Curve";
    case TCircleToggle::SegmentLines:
        return "Create Segment Lines";
    case TCircleToggle::PositionSegment:
        return "Position Segment";
    }
    return "";
}

double TCircleDialog::Value(TCircleField f) const {
    switch (f) {
    case TCircleField::Radius:
        return r_ / kUnitsPerMm;
    case TCircleField::OriginX:
        return cx_ / kUnitsPerMm;
    case TCircleField::OriginY:
        return cy_ / kUnitsPerMm;
    case TCircleField::ConcentricRadius:
        return concentricR_ / kUnitsPerMm;
    case TCircleField::Segments:
        return segments_;
    case TCircleField::OffsetAngle:
        return offsetDeg_;
    case TCircleField::SegLength:
        return segLength_ / kUnitsPerMm;
    case TCircleField::CentreOffset:
        return centreOffset_ / kUnitsPerMm;
    }
    return 0.0;
}

bool TCircleDialog::Enabled(TCircleField f) const {
    if (state_ != TState::Open) return false;
    switch (f) {
    case TCircleField::ConcentricRadius:
        return concentricOn_;
    case TCircleField::Segments:
    case TCircleField::OffsetAngle:
        return segmentOn_;
    case TCircleField::SegLength:
    case TCircleField::CentreOffset:
        return segmentOn_ && positionOn_;
    default:
        return true;
    }
}

TApply TCircleDialog::SetValue(TCircleField f, double value) {
    if (!Enabled(f)) return TApply::NotApplicable;
    const TCircleFieldSpec& s = Spec(f);
    if (s.Wraps && std::isfinite(value)) value = WrapAngle(value);
    if (!InRange(s, value)) return TApply::Refused;
    switch (f) {
    case TCircleField::Radius:
        r_ = ToUnits(s, value);
        if (!positionUsed_) segLength_ = r_;
        break;
    case TCircleField::OriginX:
        cx_ = ToUnits(s, value);
        break;
    case TCircleField::OriginY:
        cy_ = ToUnits(s, value);
        break;
    case TCircleField::ConcentricRadius:
        concentricR_ = ToUnits(s, value);
        break;
    case TCircleField::Segments:
        segments_ = std::clamp(RoundI(value), CIRCLE_SEGMENTS_MIN, CIRCLE_SEGMENTS_MAX);
        break;
    case TCircleField::OffsetAngle:
        offsetDeg_ = std::clamp(value, s.Min, s.Max);
        break;
    case TCircleField::SegLength:
        segLength_ = std::clamp(value * kUnitsPerMm, kUnitsPerMm, SegLengthMax);
        break;
    case TCircleField::CentreOffset:
        centreOffset_ = std::clamp(value * kUnitsPerMm, 0.0, CentreOffsetMax);
        break;
    }
    Rebuild();
    return TApply::Accepted;
}

bool TCircleDialog::Toggle(TCircleToggle t) const {
    switch (t) {
    case TCircleToggle::Concentric:
        return concentricOn_;
    case TCircleToggle::SegmentCircle:
        return segmentOn_;
    case TCircleToggle::BezierSegments:
        return bezierOn_;
    case TCircleToggle::SegmentLines:
        return linesOn_;
    case TCircleToggle::PositionSegment:
        return positionOn_;
    }
    return false;
}

bool TCircleDialog::ToggleEnabled(TCircleToggle t) const {
    if (state_ != TState::Open) return false;
    switch (t) {
    case TCircleToggle::Concentric:
    case TCircleToggle::SegmentCircle:
        return true;
    default:
        return segmentOn_;
    }
}

TApply TCircleDialog::SetToggle(TCircleToggle t, bool on) {
    if (!ToggleEnabled(t)) return TApply::NotApplicable;
    switch (t) {
    case TCircleToggle::Concentric:
        concentricOn_ = on;
        break;
    case TCircleToggle::SegmentCircle:
        segmentOn_ = on;
        break;
    case TCircleToggle::BezierSegments:
        bezierOn_ = on;
        break;
    case TCircleToggle::SegmentLines:
        linesOn_ = on;
        break;
    case TCircleToggle::PositionSegment:
        positionOn_ = on;
        if (on) positionUsed_ = true;
        break;
    }
    Rebuild();
    return TApply::Accepted;
}

void TCircleDialog::Ok() {
    if (state_ == TState::Open) state_ = TState::Kept;
}

bool TCircleDialog::Cancel() {
    if (state_ != TState::Open) return state_ == TState::Destroyed;
    if (host_.MessageDialog("Cancel Circle Creation.", "Would You Like To Destroy This Circle Object ?",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    for (TSLCurve* line : lines_)
        RemovePart(line);
    lines_.clear();
    RemovePart(concentric_);
    concentric_ = nullptr;
    RemovePart(circle_);
    circle_ = nullptr;
    state_ = TState::Destroyed;
    if (changed_) changed_();
    return true;
}

// ---- the worksheet side ----

int32_t TCircleDialog::CircleSegments() const {
    return segmentOn_ && bezierOn_ ? segments_ : 2;
}

TSLCurve* TCircleDialog::LastPart() const {
    if (!lines_.empty()) return lines_.back();
    return concentric_ ? concentric_ : circle_;
}

TSLCurve* TCircleDialog::AddPart(TSLCurve* after) {
    auto part = std::make_unique<TSLCurve>();
    part->SetStitchTypeBits(ST_NONE);
    part->StitchFlags |= SF_CIRCLE_PART;
    part->Flags |= selection_;
    const int32_t at = sew_.IndexOf(after);
    auto* added = static_cast<TSLCurve*>(sew_.Insert(at < 0 ? -1 : at + 1, std::move(part)));
    if (Added) Added(*added);
    return added;
}

void TCircleDialog::RemovePart(TSLCurve* part) {
    if (!part || sew_.IndexOf(part) < 0) return;
    if (Removing) Removing(*part);
    sew_.DeleteObject(part);
}

void TCircleDialog::Rebuild() {
    if (state_ != TState::Open || !circle_) return;
    // The circle itself: new points in the same object.
    const double offset = segmentOn_ ? offsetDeg_ : 0.0;
    BuildCircle(*circle_, cx_, cy_, r_, CircleSegments(), offset);
    circle_->UpdateBounds(ctx_);

    // The concentric circle sits right after the circle.
    if (concentricOn_) {
        if (!concentric_) concentric_ = AddPart(circle_);
        SetCircle(*concentric_, cx_, cy_, concentricR_);
        concentric_->UpdateBounds(ctx_);
    } else if (concentric_) {
        RemovePart(concentric_);
        concentric_ = nullptr;
    }

    // The segment lines follow; without "Position Segment" they run from the centre to the circle.
    const size_t wanted = segmentOn_ && linesOn_ ? static_cast<size_t>(segments_) : 0;
    while (lines_.size() > wanted) {
        RemovePart(lines_.back());
        lines_.pop_back();
    }
    while (lines_.size() < wanted)
        lines_.push_back(AddPart(LastPart()));
    const double length = positionOn_ ? segLength_ : r_;
    const double from = positionOn_ ? centreOffset_ : 0.0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto [a, b] = SegmentLineEnds(cx_, cy_, static_cast<int32_t>(i), segments_, offsetDeg_, length, from);
        SetStraightSegment(*lines_[i], a, b);
        lines_[i]->UpdateBounds(ctx_);
    }

    // Adding objects made them current; the circle is the object the user is working on.
    sew_.SetCurrent(circle_);
    sew_.MarkModified();
    if (changed_) changed_();
}

} // namespace nl
