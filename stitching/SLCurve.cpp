#include "stitching/SLCurve.h"

#include <algorithm>
#include <cmath>

#include "platform/Canvas.h"

namespace nl {

// Owned parts are defined by their own units; until they exist they are opaque here.
class TOutlineList {};
class TFeather {};
class TJumpList {};
class TObjectStitch {};

TSLCurve::TSLCurve() { PathBounds.empty = true; }
TSLCurve::~TSLCurve() = default;

std::unique_ptr<TSLStitch> TSLCurve::Clone() const {
    auto c = std::make_unique<TSLCurve>();
    c->Assign(*this);
    c->PathBounds = PathBounds;
    c->Passes = Passes;
    c->Color = Color;
    c->Density = Density;
    c->RunLength = RunLength;
    c->Compensation = Compensation;
    c->EntryIndex = EntryIndex;
    c->ExitIndex = ExitIndex;
    c->FillPitch = FillPitch;
    c->FillOffsets = FillOffsets;
    std::copy(std::begin(Reserved), std::end(Reserved), c->Reserved);
    c->PathX = PathX;
    c->PathY = PathY;
    if (Generated) c->Generated = Generated->Clone();
    return c;
}

void TSLCurve::SetColor(int32_t colour) {
    Color = colour;
    if (Generated) Generated->SetColor(colour);
}

void TSLCurve::Flatten() {
    PathX.clear();
    PathY.clear();
    PathBounds = TKvRect{};
    PathBounds.empty = true;
    int32_t k = SegmentCount();
    if (k == 0) return;
    PathX.reserve(static_cast<size_t>(25 * k + 1));
    PathY.reserve(static_cast<size_t>(25 * k + 1));
    for (int32_t s = 0; s < k; ++s) {
        const TSP& p0 = (*this)[3 * s];
        const TSP& p1 = (*this)[3 * s + 1];
        const TSP& p2 = (*this)[3 * s + 2];
        const TSP& p3 = (*this)[3 * s + 3];
        float cx = 3 * (p1.X - p0.X), bx = 3 * (p2.X - p1.X) - cx, ax = p3.X - p0.X - cx - bx;
        float cy = 3 * (p1.Y - p0.Y), by = 3 * (p2.Y - p1.Y) - cy, ay = p3.Y - p0.Y - cy - by;
        for (int i = 0; i < 25; ++i) {
            float t = static_cast<float>(i) * 0.04f;
            PathX.push_back(((ax * t + bx) * t + cx) * t + p0.X);
            PathY.push_back(((ay * t + by) * t + cy) * t + p0.Y);
        }
    }
    PathX.push_back(Last()->X);
    PathY.push_back(Last()->Y);
    for (size_t i = 0; i < PathX.size(); ++i) PathBounds.IncludePoint(PathX[i], PathY[i]);
}

void TSLCurve::UpdateBounds(const TStitchContext& ctx) {
    TSLStitch::UpdateBounds(ctx);
    Flatten();
    if (!PathBounds.empty && !(Flags & OF_PATTERN_MEMBER)) PathBounds.Inflate(std::max(1, ctx.SelectionMargin));
    if (!PathBounds.empty) Bounds.UnionWith(PathBounds);
    Restitch(*this, ctx);
}

void TSLCurve::Offset(float dx, float dy) {
    TSLStitch::Offset(dx, dy);
    PathBounds.Offset(static_cast<int32_t>(std::lround(dx)), static_cast<int32_t>(std::lround(dy)));
    for (auto& x : PathX) x += dx;
    for (auto& y : PathY) y += dy;
    if (Generated) Generated->Offset(dx, dy);
}

void TSLCurve::DrawEdit(TDrawContext& dc) const {
    if (!dc.Target || Empty()) return;
    Canvas& c = *dc.Target;
    bool selected = (Flags & OF_SELECTED_EDIT) != 0;
    // The path (or, before it can be flattened, the control polygon).
    std::vector<TPointF> pts;
    if (!PathX.empty()) {
        for (size_t i = 0; i < PathX.size(); ++i) pts.push_back({dc.SX(PathX[i]), dc.SY(PathY[i])});
    } else {
        for (const TSP& p : *this) pts.push_back({dc.SX(p.X), dc.SY(p.Y)});
    }
    if (dc.View.ShowOutlines || selected) {
        c.SetPen(selected ? 0x000000FF : 0x00808080, selected ? 2.f : 1.f);
        c.Polyline(pts);
    }
    if (Generated && dc.View.ShowStitches) Generated->DrawEdit(dc);
    if (selected || (IsRail() && dc.View.ShowColumnHandles)) {
        // Anchors as squares, control points as circles joined to their anchors.
        c.SetPen(0x00A0A0A0, 1.f, TPenStyle::Dot);
        for (int32_t i = 0; i + 1 < Count(); ++i) {
            if (i % 3 == 1) continue; // the line between the two controls is not a handle
            c.Line(dc.SX((*this)[i].X), dc.SY((*this)[i].Y), dc.SX((*this)[i + 1].X), dc.SY((*this)[i + 1].Y));
        }
        for (int32_t i = 0; i < Count(); ++i) {
            const TSP& p = (*this)[i];
            c.Marker(dc.SX(p.X), dc.SY(p.Y), i % 3 == 0 ? TMarker::Square : TMarker::Circle, dc.MarkerSize,
                     (p.Flags & SP_FORCE) ? 0x000000FF : 0x00000000);
        }
    }
}

void TSLCurve::DrawLayout(TDrawContext& dc) const {
    DrawEdit(dc);
    if ((Flags & OF_SELECTED_LAYOUT) && dc.Selection) dc.Selection->UnionWith(GetPathBounds());
}

bool TSLCurve::HitTest(float x, float y, const TStitchContext& ctx, int32_t* pointIndex) const {
    if (pointIndex) *pointIndex = -1;
    double tol = std::max(1, ctx.PickTolerance);
    for (int32_t i = 0; i < Count(); ++i) {
        const TSP& p = (*this)[i];
        if (std::fabs(p.X - x) <= tol && std::fabs(p.Y - y) <= tol) {
            if (pointIndex) *pointIndex = i;
            return true;
        }
    }
    return HitPath(x, y, ctx);
}

bool TSLCurve::HitPath(float x, float y, const TStitchContext& ctx) const {
    double tol = std::max(1, ctx.PickTolerance);
    auto near = [&](float ax, float ay, float bx, float by) {
        double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
        double px = ax + t * dx - x, py = ay + t * dy - y;
        return px * px + py * py <= tol * tol;
    };
    if (!PathX.empty()) {
        for (size_t i = 1; i < PathX.size(); ++i)
            if (near(PathX[i - 1], PathY[i - 1], PathX[i], PathY[i])) return true;
        return false;
    }
    for (int32_t i = 1; i < Count(); ++i)
        if (near((*this)[i - 1].X, (*this)[i - 1].Y, (*this)[i].X, (*this)[i].Y)) return true;
    return false;
}

} // namespace nl
