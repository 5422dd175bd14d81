// The "Circle Attributes Dialog" as a model: the values the dialog shows (in mm and degrees),
// their ranges and entry rules, which controls are enabled, and what every change does to the
// worksheet: the circle, its concentric circle and its segment lines are rebuilt at once. OK keeps
// the objects; Cancel asks, and destroys them on Yes. The desktop face shows it modally through
// Host::ShowCircleDialog; the model keeps explicit references to the objects it made, so only
// those are ever moved or removed.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Host.h"
#include "stitching/StitchContext.h"
#include "ui/PageField.h"

namespace nl {

class TSew;
class TSLCurve;

enum class TCircleField : uint8_t {
    Radius,           // "Circle Radius"
    OriginX,          // "Origin X : "
    OriginY,          // "Y : "
    ConcentricRadius, // "Consentric Radius"
    Segments,         // "Number Of Segments"
    OffsetAngle,      // "Offset Angle"
    SegLength,        // "Seg length"
    CentreOffset,     // "Center Offset"
};

enum class TCircleToggle : uint8_t {
    Concentric,      // "Use Consentric Circle"
    SegmentCircle,   // "Segment Circle"
    BezierSegments,  // "Segment Bezier Curve"
    SegmentLines,    // "Create Segment Lines"
    PositionSegment, // "Position Segment"
};

struct TCircleFieldSpec {
    TCircleField Field;
    const char* Caption;
    const char* Unit;
    double Min;
    double Max;
    int Decimals;
    // The angle wraps into range instead of being refused; every other field refuses a value
    // outside its range and keeps the previous one.
    bool Wraps;
};

class TCircleDialog {
public:
    static constexpr const char* Title = "Circle Attributes Dialog";
    enum class TState : uint8_t { Open, Kept, Destroyed };

    // `circle` is the circle being created, already in `sew`; (cx, cy) its centre and
    // `draggedRadius` the distance to the click that opened the dialog, in worksheet units.
    // `changed` is called after every change of the worksheet (the view redraws).
    TCircleDialog(TSew& sew, TSLCurve& circle, double cx, double cy, double draggedRadius,
                  const TStitchContext& ctx, Host& host, std::function<void()> changed = {});

    // Opening: a dragged radius under 1 mm is set to 1 mm with the "Circle Too Small" message;
    // then the controls take their initial values and the circle is built from them.
    void Open();

    static const std::vector<TCircleFieldSpec>& Fields();
    static const TCircleFieldSpec& Spec(TCircleField f);
    static const char* ToggleCaption(TCircleToggle t);
    static const std::vector<TCircleToggle>& Toggles();

    // Values in the dialog's units (mm, degrees, a count).
    double Value(TCircleField f) const;
    bool Enabled(TCircleField f) const;
    // An entered value: applied at once, or refused (the previous value stays). A disabled field
    // takes nothing.
    TApply SetValue(TCircleField f, double value);

    bool Toggle(TCircleToggle t) const;
    bool ToggleEnabled(TCircleToggle t) const;
    TApply SetToggle(TCircleToggle t, bool on);

    // "OK": the objects stay.
    void Ok();
    // "Cancel" (also the close box and Escape): asks "Cancel Circle Creation."; on Yes removes the
    // circle and everything this dialog added and returns true (the dialog closes); on No nothing
    // changes and the dialog stays open.
    bool Cancel();
    TState State() const { return state_; }
    // Called for each object this dialog adds to the worksheet (the concentric circle, a line).
    std::function<void(TSLCurve&)> Added;
    // Called for each object this dialog is about to remove from the worksheet (the circle on
    // Cancel included), while it still exists.
    std::function<void(TSLCurve&)> Removing;

    // The circle (null once destroyed), the concentric circle (null when none) and the segment
    // lines, in the worksheet.
    TSLCurve* Circle() const { return circle_; }
    TSLCurve* ConcentricCircle() const { return concentric_; }
    const std::vector<TSLCurve*>& SegmentLines() const { return lines_; }
    // Centre and radius in worksheet units.
    double CentreX() const { return cx_; }
    double CentreY() const { return cy_; }
    double RadiusUnits() const { return r_; }

private:
    // Makes the worksheet match the values: the circle rebuilt in place, the concentric circle
    // and the segment lines added, rebuilt or removed.
    void Rebuild();
    TSLCurve* AddPart(TSLCurve* after);
    void RemovePart(TSLCurve* part);
    TSLCurve* LastPart() const;
    int32_t CircleSegments() const;

    TSew& sew_;
    TSLCurve* circle_;
    TStitchContext ctx_;
    Host& host_;
    std::function<void()> changed_;
    TState state_ = TState::Open;
    uint32_t selection_ = 0; // selection bits the circle was created with; its parts get the same

    // Values in worksheet units and degrees.
    double cx_, cy_, r_;
    bool concentricOn_ = false;
    double concentricR_ = 0;
    bool segmentOn_ = false;
    int32_t segments_ = 6;
    double offsetDeg_ = 0;
    bool bezierOn_ = false;
    bool linesOn_ = true;
    bool positionOn_ = false;
    bool positionUsed_ = false; // "Seg length" follows the radius until "Position Segment" is used
    double segLength_ = 0;
    double centreOffset_ = 0;

    TSLCurve* concentric_ = nullptr;
    std::vector<TSLCurve*> lines_;
};

} // namespace nl
