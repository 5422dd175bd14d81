// The "   Edit Outline" page: editing the width profile (envelope) of a satin outline one section
// at a time, by number or by dragging its handles on the worksheet. Handles P1 to P4 shape the
// A (upper) edge of the selected section: P1 its start height, P2 and P3 the inner control
// points, P4 its end height (the next section's start); P5 to P8 do the same for the B edge.
#pragma once
#include <cstdint>

#include "stitching/StitchContext.h"
#include "ui/PageField.h"

namespace nl {

class TSLCurve;
class TOutline;

enum class TEnvelopeHandle : int8_t { None = -1, P1, P2, P3, P4, P5, P6, P7, P8 };

class TEditOutlinePage {
public:
    static constexpr const char* Caption = "   Edit Outline";
    static constexpr const char* SegmentCaption = "Segment";
    static constexpr const char* RotateCaption = "Rotate";
    static constexpr const char* MouseAboveCaption = "Mouse Edit Above";
    static constexpr const char* MouseBelowCaption = "Mouse Edit Below";
    static constexpr const char* ShowElementsCaption = "Show Elements";
    static const char* HandleCaption(TEnvelopeHandle h); // "P1" .. "P8"

    // Entry ranges: end heights in mm, control heights in units, positions in per cent.
    static constexpr double END_HEIGHT_MAX_MM = 100.0;
    static constexpr double CTRL_HEIGHT_MIN = -200.0, CTRL_HEIGHT_MAX = 501.0;
    static constexpr double SEGMENT_MAX = 10000.0;
    static constexpr double ROTATE_MAX_DEG = 360.0;

    TEditOutlinePage(TSLCurve& curve, const TStitchContext& ctx);

    // The page edits satin outlines only.
    bool Applies() const;
    // Sections that can be selected (the profile's records but the last).
    int32_t SegmentCount() const;
    // "Segment", 1-based; entries beyond the last section select the last one.
    int32_t Segment() const;
    TApply SetSegment(double value);

    static bool IsEndHandle(TEnvelopeHandle h);
    static bool IsAbove(TEnvelopeHandle h) { return h >= TEnvelopeHandle::P1 && h <= TEnvelopeHandle::P4; }
    // P1, P4, P5, P8 in mm (0 to 100, a height of 0 becomes 1 unit); P2, P3, P6, P7 in units.
    double Height(TEnvelopeHandle h) const;
    TApply SetHeight(TEnvelopeHandle h, double value);
    // Positions of the inner handles, per cent of the section length (0 to 100).
    double Position(TEnvelopeHandle h) const;
    TApply SetPosition(TEnvelopeHandle h, double value);
    // "Rotate" of P1 on the first section and of P4 on the last, in degrees.
    bool CanRotate(TEnvelopeHandle h) const;
    double Rotate(TEnvelopeHandle h) const;
    TApply SetRotate(TEnvelopeHandle h, double degrees);

    bool MouseEditAbove = true;
    bool MouseEditBelow = true;
    bool ShowElements() const;
    void SetShowElements(bool on);

    // Where a handle of the selected section lies on the worksheet.
    bool HandlePoint(TEnvelopeHandle h, double& x, double& y) const;
    // The nearest editable handle within `tolerance` units, honouring "Mouse Edit Above/Below".
    TEnvelopeHandle HitHandle(double x, double y, double tolerance) const;
    // Mouse editing: press on a handle, move it (the profile follows and the stitches are
    // regenerated at every move), release.
    bool BeginDrag(double x, double y, double tolerance);
    bool DragTo(double x, double y);
    void EndDrag() { dragging_ = TEnvelopeHandle::None; }
    TEnvelopeHandle Dragging() const { return dragging_; }
    // Moves one handle to the worksheet position (x, y): its height becomes the distance from the
    // path along its ray, and an inner handle also takes the section position nearest to (x, y).
    bool MoveHandle(TEnvelopeHandle h, double x, double y);

    // Draws the envelope (both edges of the whole outline) and, with "Show Elements", the handles
    // of the selected section joined to the path.
    void Draw(TDrawContext& dc) const;

private:
    int32_t SectionIndex() const;
    TOutline* Section(int32_t i) const;
    float* HeightField(TEnvelopeHandle h) const;
    float* PositionField(TEnvelopeHandle h) const;
    void SectionSamples(int32_t& from, int32_t& to) const;
    int32_t SampleAtPosition(double percent, double& measure) const;
    void Regenerate();

    TSLCurve& curve_;
    TStitchContext ctx_; // a copy: the page may outlive the caller's context
    TEnvelopeHandle dragging_ = TEnvelopeHandle::None;
};

} // namespace nl
