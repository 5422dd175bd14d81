#include "ui/EditOutlinePage.h"

#include <cmath>
#include <vector>

#include "core/Geometry.h"
#include "core/Numeric.h"
#include "core/Units.h"
#include "platform/Canvas.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {

struct TRay {
    double X, Y;   // path point
    double DX, DY; // unit direction of the ray
};

TRay RayAt(const TSLCurve& c, int32_t s, bool above) {
    const int32_t last = c.LastSample();
    s = Clamp(s, 0, last);
    TRays r = c.Perpendiculars(s, static_cast<float>(s % kSamplesPerSegment) * kSampleStep, 1.0);
    const TKvLine& l = above ? r.A : r.B;
    double dx = l.X2 - l.X1, dy = l.Y2 - l.Y1, len = std::hypot(dx, dy);
    if (len <= 0) len = 1;
    return {l.X1, l.Y1, dx / len, dy / len};
}
} // namespace

const char* TEditOutlinePage::HandleCaption(TEnvelopeHandle h) {
    static const char* names[] = {"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8"};
    int i = static_cast<int>(h);
    return i >= 0 && i < 8 ? names[i] : "";
}

TEditOutlinePage::TEditOutlinePage(TSLCurve& curve, const TStitchContext& ctx) : curve_(curve), ctx_(ctx) {}

bool TEditOutlinePage::Applies() const {
    return curve_.Outlines && curve_.Outlines->Count() >= 2;
}

int32_t TEditOutlinePage::SegmentCount() const {
    return Applies() ? curve_.Outlines->Count() - 1 : 0;
}

int32_t TEditOutlinePage::SectionIndex() const {
    return Applies() ? Clamp(curve_.Outlines->SelectedSegment, 1, SegmentCount()) - 1 : 0;
}

int32_t TEditOutlinePage::Segment() const {
    return SectionIndex() + 1;
}

TApply TEditOutlinePage::SetSegment(double value) {
    if (!Applies()) return TApply::NotApplicable;
    if (!(value >= 1 - 0.001 && value <= SEGMENT_MAX + 0.001)) return TApply::Refused;
    curve_.Outlines->SelectedSegment = Clamp(RoundI(value), 1, SegmentCount());
    return TApply::Accepted;
}

TOutline* TEditOutlinePage::Section(int32_t i) const {
    return curve_.Outlines->Item(i);
}

bool TEditOutlinePage::IsEndHandle(TEnvelopeHandle h) {
    return h == TEnvelopeHandle::P1 || h == TEnvelopeHandle::P4 || h == TEnvelopeHandle::P5 ||
           h == TEnvelopeHandle::P8;
}

float* TEditOutlinePage::HeightField(TEnvelopeHandle h) const {
    if (!Applies()) return nullptr;
    const int32_t j = SectionIndex();
    TOutline& s = *Section(j);
    TOutline& n = *Section(j + 1);
    switch (h) {
    case TEnvelopeHandle::P1:
        return &s.HeightA;
    case TEnvelopeHandle::P2:
        return &s.CtrlHeight1A;
    case TEnvelopeHandle::P3:
        return &s.CtrlHeight2A;
    case TEnvelopeHandle::P4:
        return &n.HeightA;
    case TEnvelopeHandle::P5:
        return &s.HeightB;
    case TEnvelopeHandle::P6:
        return &s.CtrlHeight1B;
    case TEnvelopeHandle::P7:
        return &s.CtrlHeight2B;
    case TEnvelopeHandle::P8:
        return &n.HeightB;
    default:
        return nullptr;
    }
}

float* TEditOutlinePage::PositionField(TEnvelopeHandle h) const {
    if (!Applies()) return nullptr;
    TOutline& s = *Section(SectionIndex());
    switch (h) {
    case TEnvelopeHandle::P2:
        return &s.CtrlPos1A;
    case TEnvelopeHandle::P3:
        return &s.CtrlPos2A;
    case TEnvelopeHandle::P6:
        return &s.CtrlPos1B;
    case TEnvelopeHandle::P7:
        return &s.CtrlPos2B;
    default:
        return nullptr;
    }
}

double TEditOutlinePage::Height(TEnvelopeHandle h) const {
    const float* f = HeightField(h);
    if (!f) return 0.0;
    return IsEndHandle(h) ? *f / kUnitsPerMm : *f;
}

TApply TEditOutlinePage::SetHeight(TEnvelopeHandle h, double value) {
    float* f = HeightField(h);
    if (!f) return TApply::NotApplicable;
    if (IsEndHandle(h)) {
        if (!(value >= -0.001 && value <= END_HEIGHT_MAX_MM + 0.001)) return TApply::Refused;
        // An edge never reaches the path: a height of 0 or less becomes 1 unit.
        double units = RoundI(value * kUnitsPerMm * 1000) / 1000.0;
        *f = units <= 0 ? 1.f : static_cast<float>(units);
    } else {
        if (!(value >= CTRL_HEIGHT_MIN - 0.001 && value <= CTRL_HEIGHT_MAX + 0.001)) return TApply::Refused;
        *f = static_cast<float>(Clamp(value, CTRL_HEIGHT_MIN, CTRL_HEIGHT_MAX));
    }
    Regenerate();
    return TApply::Accepted;
}

double TEditOutlinePage::Position(TEnvelopeHandle h) const {
    const float* f = PositionField(h);
    return f ? *f : (h == TEnvelopeHandle::P4 || h == TEnvelopeHandle::P8 ? 100.0 : 0.0);
}

TApply TEditOutlinePage::SetPosition(TEnvelopeHandle h, double value) {
    float* f = PositionField(h);
    if (!f) return TApply::NotApplicable;
    if (!(value >= -0.001 && value <= 100.001)) return TApply::Refused;
    *f = static_cast<float>(Clamp(value, 0.0, 100.0));
    Regenerate();
    return TApply::Accepted;
}

bool TEditOutlinePage::CanRotate(TEnvelopeHandle h) const {
    if (!Applies()) return false;
    if (h == TEnvelopeHandle::P1) return SectionIndex() == 0;
    if (h == TEnvelopeHandle::P4) return SectionIndex() == SegmentCount() - 1;
    return false;
}

double TEditOutlinePage::Rotate(TEnvelopeHandle h) const {
    if (!CanRotate(h)) return 0.0;
    int32_t i = h == TEnvelopeHandle::P1 ? 0 : curve_.Outlines->Count() - 1;
    return Section(i)->EndRotation / DegToRad;
}

TApply TEditOutlinePage::SetRotate(TEnvelopeHandle h, double degrees) {
    if (!CanRotate(h)) return TApply::NotApplicable;
    if (!(degrees >= -ROTATE_MAX_DEG - 0.001 && degrees <= ROTATE_MAX_DEG + 0.001)) return TApply::Refused;
    int32_t i = h == TEnvelopeHandle::P1 ? 0 : curve_.Outlines->Count() - 1;
    Section(i)->EndRotation = static_cast<float>(Clamp(degrees, -ROTATE_MAX_DEG, ROTATE_MAX_DEG) * DegToRad);
    Regenerate();
    return TApply::Accepted;
}

bool TEditOutlinePage::ShowElements() const {
    return Applies() && (curve_.Outlines->ProfileFlags & PF_EDIT_HANDLES);
}

void TEditOutlinePage::SetShowElements(bool on) {
    if (!Applies()) return;
    if (on)
        curve_.Outlines->ProfileFlags |= PF_EDIT_HANDLES;
    else
        curve_.Outlines->ProfileFlags &= ~PF_EDIT_HANDLES;
}

void TEditOutlinePage::SectionSamples(int32_t& from, int32_t& to) const {
    const int32_t j = SectionIndex();
    const int32_t last = curve_.LastSample();
    from = Clamp(Section(j)->StartSample, 0, last);
    to = Clamp(Section(j + 1)->StartSample, from, last);
}

int32_t TEditOutlinePage::SampleAtPosition(double percent, double& measure) const {
    int32_t from, to;
    SectionSamples(from, to);
    std::vector<double> cum(1, 0.0);
    for (int32_t s = from + 1; s <= to; ++s) {
        TPointD a = curve_.PointAtSample(s - 1), b = curve_.PointAtSample(s);
        cum.push_back(cum.back() + HypotDistance(a, b));
    }
    measure = cum.back();
    const double want = measure * Clamp(percent, 0.0, 100.0) / 100.0;
    int32_t best = 0;
    for (size_t i = 1; i < cum.size(); ++i)
        if (std::fabs(cum[i] - want) < std::fabs(cum[static_cast<size_t>(best)] - want))
            best = static_cast<int32_t>(i);
    return from + best;
}

bool TEditOutlinePage::HandlePoint(TEnvelopeHandle h, double& x, double& y) const {
    const float* height = HeightField(h);
    if (!height || curve_.SegmentCount() == 0) return false;
    double measure;
    const int32_t s = SampleAtPosition(Position(h), measure);
    TRay r = RayAt(curve_, s, IsAbove(h));
    x = r.X + r.DX * *height;
    y = r.Y + r.DY * *height;
    return true;
}

TEnvelopeHandle TEditOutlinePage::HitHandle(double x, double y, double tolerance) const {
    TEnvelopeHandle best = TEnvelopeHandle::None;
    double bestDist = tolerance;
    for (int i = 0; i < 8; ++i) {
        auto h = static_cast<TEnvelopeHandle>(i);
        if (IsAbove(h) ? !MouseEditAbove : !MouseEditBelow) continue;
        double hx, hy;
        if (!HandlePoint(h, hx, hy)) continue;
        double d = HypotDistance(x, y, hx, hy);
        if (d <= bestDist) {
            bestDist = d;
            best = h;
        }
    }
    return best;
}

bool TEditOutlinePage::BeginDrag(double x, double y, double tolerance) {
    dragging_ = HitHandle(x, y, tolerance);
    return dragging_ != TEnvelopeHandle::None;
}

bool TEditOutlinePage::DragTo(double x, double y) {
    return dragging_ != TEnvelopeHandle::None && MoveHandle(dragging_, x, y);
}

bool TEditOutlinePage::MoveHandle(TEnvelopeHandle h, double x, double y) {
    float* height = HeightField(h);
    if (!height || curve_.SegmentCount() == 0 || !std::isfinite(x) || !std::isfinite(y)) return false;
    const bool above = IsAbove(h);
    int32_t sample;
    if (IsEndHandle(h)) {
        int32_t from, to;
        SectionSamples(from, to);
        sample = (h == TEnvelopeHandle::P1 || h == TEnvelopeHandle::P5) ? from : to;
    } else {
        // The section sample whose ray passes closest to the mouse.
        int32_t from, to;
        SectionSamples(from, to);
        sample = from;
        double best = INFINITY, measure = 0, at = 0;
        std::vector<double> cum(1, 0.0);
        for (int32_t s = from; s <= to; ++s) {
            if (s > from) {
                TPointD a = curve_.PointAtSample(s - 1), b = curve_.PointAtSample(s);
                cum.push_back(cum.back() + HypotDistance(a, b));
            }
            TRay r = RayAt(curve_, s, above);
            double px = x - r.X, py = y - r.Y;
            double across = std::fabs(px * r.DY - py * r.DX);
            if (across < best) {
                best = across;
                sample = s;
                at = cum.back();
            }
        }
        measure = cum.back();
        *PositionField(h) = static_cast<float>(measure > 0 ? Clamp(100.0 * at / measure, 0.0, 100.0) : 0.0);
    }
    TRay r = RayAt(curve_, sample, above);
    double v = (x - r.X) * r.DX + (y - r.Y) * r.DY;
    if (IsEndHandle(h)) {
        v = Clamp(v, 0.0, END_HEIGHT_MAX_MM * kUnitsPerMm);
        *height = v <= 0 ? 1.f : static_cast<float>(v);
    } else {
        *height = static_cast<float>(Clamp(v, CTRL_HEIGHT_MIN, CTRL_HEIGHT_MAX));
    }
    Regenerate();
    return true;
}

void TEditOutlinePage::Draw(TDrawContext& dc) const {
    if (!dc.Target || !Applies()) return;
    Canvas& c = *dc.Target;
    const auto& e = curve_.Outlines->EdgeSamples;
    std::vector<TPointF> a, b;
    for (size_t i = 0; i < e.Size(); ++i) {
        a.push_back({dc.SX(e.AX[i]), dc.SY(e.AY[i])});
        b.push_back({dc.SX(e.BX[i]), dc.SY(e.BY[i])});
    }
    c.SetPen(0x00C08000, 1.f, TPenStyle::Dash);
    c.Polyline(a);
    c.Polyline(b);
    if (!ShowElements()) return;
    for (int i = 0; i < 8; ++i) {
        auto h = static_cast<TEnvelopeHandle>(i);
        double hx, hy;
        if (!HandlePoint(h, hx, hy)) continue;
        double measure;
        TPointD on = curve_.PointAtSample(SampleAtPosition(Position(h), measure));
        const bool editable = IsAbove(h) ? MouseEditAbove : MouseEditBelow;
        c.SetPen(0x00808080, 1.f, TPenStyle::Dot);
        c.Line(dc.SX(on.X), dc.SY(on.Y), dc.SX(hx), dc.SY(hy));
        c.Marker(dc.SX(hx), dc.SY(hy), IsEndHandle(h) ? TMarker::FilledSquare : TMarker::FilledCircle,
                 dc.MarkerSize, h == dragging_ ? 0x000000FF : (editable ? 0x00C08000 : 0x00A0A0A0));
        c.Text(dc.SX(hx) + dc.MarkerSize, dc.SY(hy), HandleCaption(h), 0x00404040);
    }
}

void TEditOutlinePage::Regenerate() {
    // New heights change the edge samples the editor draws as well as the stitches.
    curve_.UpdateBounds(ctx_);
}

} // namespace nl
