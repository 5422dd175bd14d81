// Dragging the handles of existing curves in Design And Editing mode: anchors (which carry their
// control points along), control points and the envelope handles of the "   Edit Outline" page.
// The curve, and a column's rails, regenerate at every move; when the drag ends the fill regions
// built on a reshaped outline are rebuilt.
#include <algorithm>
#include <cmath>

#include "app/MainForm.h"
#include "regions/RegionBuilder.h"
#include "stitching/SLCurve.h"
#include "ui/EditOutlinePage.h"

namespace nl {

namespace {
// The control points of the segments either side of anchor `a` sit on their chords at thirds,
// as they do on a line object.
void StraightenAround(TSLCurve& c, int32_t a) {
    for (int32_t s : {a / 3 - 1, a / 3})
        c.StraightenSegment(s);
}
} // namespace

bool TNL::StartHandleDrag() {
    if (mode_ != TMode::DesignEdit) return false;
    const double wx = View.WorldX(pressX_), wy = View.WorldY(pressY_);
    if (EnvelopeEditor() && EnvelopeEditor()->BeginDrag(wx, wy, View.NearMargin())) {
        drag_ = TDrag::Envelope;
        if (envelopeCurve_)
            dragStep_ =
                std::make_unique<TUndoStep>(Sew, "Edit Outline", std::vector<TSLStitch*>{envelopeCurve_});
        return true;
    }
    // Handles of shown curves come before whatever lies on top of them (a region filling an
    // outline, say): the topmost curve with a handle under the pointer wins.
    TSLCurve* curve = nullptr;
    int32_t node = -1;
    const TStitchContext ctx = StitchContext();
    const double m = std::max(1, ctx.PickTolerance);
    for (int32_t i = Sew.Count() - 1; i >= 0 && !curve; --i) {
        if (Sew[i]->Kind() != KIND_CURVE) continue;
        auto* c = static_cast<TSLCurve*>(Sew[i]);
        // Handles are shown on selected curves, and on columns while their handles are shown.
        if (!((c->Flags & OF_SELECTED_EDIT) || (c->IsRail() && Toggles.ShowColumnHandles))) continue;
        for (int32_t k = 0; k < c->Count(); ++k) {
            const TSP& p = (*c)[k];
            if (std::fabs(p.X - wx) <= m && std::fabs(p.Y - wy) <= m) {
                curve = c;
                node = k;
                break;
            }
        }
    }
    if (!curve) return false;
    // A line object's control points follow its anchors; they are not handles of their own.
    if (curve->IsLineObject() && node % 3 != 0) return false;
    drag_ = TDrag::MovePoint;
    dragStep_ = std::make_unique<TUndoStep>(Sew, "Edit Points", std::vector<TSLStitch*>{curve});
    editPointDrag_ = true;
    dragObject_ = curve;
    dragPoint_ = node;
    dragBefore_ = curve->Bounds;
    host_.SetCursor(TCursor::SizeAll);
    return true;
}

void TNL::DragPointTo(double x, double y) {
    if (!dragObject_ || dragPoint_ < 0 || dragPoint_ >= dragObject_->Count()) return;
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    TSP& p = (*dragObject_)[dragPoint_];
    auto nx = static_cast<float>(x), ny = static_cast<float>(y);
    FitToCreator(*dragObject_, nx, ny); // a creator's drawing stays in its tile
    if (dragObject_->Kind() == KIND_CURVE && dragPoint_ % 3 == 0) {
        auto& c = static_cast<TSLCurve&>(*dragObject_);
        const float dx = nx - p.X, dy = ny - p.Y;
        // An anchor keeps the shape of its segments: its control points travel with it. (The
        // anchor just clicked during creation has no control points of its own yet.)
        if (editPointDrag_)
            for (int32_t i : {dragPoint_ - 1, dragPoint_ + 1}) {
                if (i < 0 || i >= c.Count()) continue;
                c[i].X += dx;
                c[i].Y += dy;
            }
        p.X = nx;
        p.Y = ny;
        // A line object stays straight whichever anchor moves, while it is made and after.
        if (c.IsLineObject()) StraightenAround(c, dragPoint_);
    } else {
        p.X = nx;
        p.Y = ny;
    }
    dragObject_->UpdateBounds(StitchContext());
    Redraw();
}

void TNL::EndHandleDrag() {
    if (drag_ == TDrag::Envelope) {
        if (envelope_) envelope_->EndDrag();
        Sew.MarkModified();
    } else if (drag_ == TDrag::MovePoint) {
        if (editPointDrag_ && dragObject_) OutlineChanged(*dragObject_, dragBefore_);
        Sew.MarkModified();
        host_.SetCursor(TCursor::Arrow);
    }
    editPointDrag_ = false;
    dragStep_.reset();
}

void TNL::OutlineChanged(TSLStitch& outline, const TKvRect& before) {
    TKvRect changed = before;
    if (changed.empty)
        changed = outline.Bounds;
    else if (!outline.Bounds.empty)
        changed.UnionWith(outline.Bounds);
    if (changed.empty) return;
    RebuildRegionsUsing(Objects(), outline, changed, StitchContext());
    ShapingChanged({&outline}, changed);
}

void TNL::DoubleClick(int32_t x, int32_t y, TModifiers mods) {
    TEventScope done{*this};
    // While creating or placing, the second press of a double click is an ordinary press.
    if (creation_ != TCreation::None || placement_ != TPlacement::None) {
        MouseDown(TMouseButton::Left, x, y, mods);
        return;
    }
    // Otherwise it is not a press of its own: its release does nothing.
    pressed_ = false;
    drag_ = TDrag::None;
    if (mode_ == TMode::SewSimulation) return;
    uint32_t bit = SelectionBit();
    if (!bit) return;
    TSLStitch* hit = ObjectAt(x, y);
    if (!hit) return;
    SelectWithPartner(hit, bit, true);
    Sew.SetCurrent(hit);
    ShowProperties(*hit);
    CommandsChanged();
    Redraw();
}

} // namespace nl
