// Drawing the worksheet on a Canvas: the support frame, every object in drawing order with the
// view toggles applied, the layout selection box and the rubber band.
#include <algorithm>
#include <optional>

#include "app/MainForm.h"
#include "app/OrderDrawing.h"
#include "app/RegionMode.h"
#include "app/WidthHandles.h"
#include "platform/Canvas.h"
#include "regions/SLRegion.h"
#include "regions/Support.h"
#include "stitching/MarkerGrid.h"
#include "stitching/SLCurve.h"
#include "ui/EditOutlinePage.h"
#include "worksheet/HoleSeams.h"

namespace nl {

namespace {
constexpr int32_t kBackground = 0x00FFFFFF;
constexpr int32_t kSelectionBox = 0x000000FF;
constexpr int32_t kRubberBand = 0x00000000;
} // namespace

TStitchContext TNL::StitchContext() const {
    TStitchContext ctx;
    ctx.SelectionMargin = View.HitMargin();
    ctx.PickTolerance = View.NearMargin();
    ctx.View.ShowCompensation = Toggles.ShowAllCompensation;
    ctx.View.ShowColumnHandles = Toggles.ShowColumnHandles;
    // An object whose stitches cannot be generated is switched off; the properties window, which
    // may be showing its values, closes.
    ctx.OnGenerationError = [&host = host_] { host.ClosePropertiesWindow(); };
    BindHoleSeams(ctx, Sew);
    // A region that became or stopped being a hole, or an outline an overlay: the regions it
    // meets refill with or without it. (The controller is never const; this context is how the
    // properties pages reach it.)
    ctx.OnShapingChanged = [self = const_cast<TNL*>(this)](TSLStitch& o) {
        self->ShapingMembershipChanged(o);
    };
    return ctx;
}

TDrawContext TNL::DrawContext(Canvas& canvas) const {
    TDrawContext dc;
    dc.Target = &canvas;
    dc.Scale = View.Scale();
    dc.OriginX = View.ScrollX / dc.Scale;
    dc.OriginY = View.ScrollY / dc.Scale;
    TViewToggles& v = dc.View;
    TMarkerSize size = MarkerSizeForZoom(View.Zoom);
    v.ShowStitches = true;
    v.ShowStitchPoints = size != TMarkerSize::None;
    v.HideBoundaryPoints = Toggles.HideBoundaryPoints;
    v.HideFillPoints = Toggles.HideFillPoints;
    v.HideUnderStitching = Toggles.HideUnderStitching;
    v.HideUnderlay = Toggles.HideUnderlay;
    v.ShowColumnHandles = Toggles.ShowColumnHandles;
    v.ShowOutlines = true;
    v.ShowCompensation = Toggles.ShowAllCompensation;
    v.Realistic = Toggles.Mode3D;
    float marker = size == TMarkerSize::Small ? 2.f : size == TMarkerSize::Medium ? 3.f : 5.f;
    if (Toggles.SmallStitchPoints) marker = std::max(1.f, marker - 1.f);
    dc.MarkerSize = marker;
    dc.Clip = View.Visible();
    dc.ClipValid = true;
    return dc;
}

bool TNL::Highlighted(const TSLStitch& o) const {
    const bool region = o.Kind() == KIND_REGION;
    if (mode_ == TMode::ObjectLayout) {
        // "Highlight All Outlines in Layout Object Mode" / "Highlight All Regions In Object Mode"
        // are view settings: they change how objects look, never the objects' own flags.
        if (o.Kind() == KIND_CURVE) return Toggles.HighlightOutlinesInLayout;
        if (region)
            return Toggles.HighlightRegionsInLayout && !static_cast<const TSLRegion&>(o).UnderConstruction();
        return false;
    }
    // "Show Selected Region Paths On Edit Selection": the regions built on the selected outline.
    return mode_ == TMode::DesignEdit && region && Toggles.ShowRegionPaths && (o.Flags & OF_REGION_MARK_1);
}

bool TNL::RubberBand(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) const {
    if (drag_ != TDrag::Rectangle) return false;
    x1 = pressX_;
    y1 = pressY_;
    x2 = lastX_;
    y2 = lastY_;
    return true;
}

void TNL::Draw(Canvas& canvas) const {
    if (mode_ == TMode::SewSimulation) {
        // The design as sewn so far, in the simulator's own colours; the needle is an overlay.
        // Needle points are marked a size smaller than on the worksheet: they mark every stitch
        // and should not hide the thread.
        TDrawContext dc = DrawContext(canvas);
        const float marker = dc.View.ShowStitchPoints ? std::max(1.f, dc.MarkerSize - 1.f) : 0.f;
        simulator_->DrawPicture(canvas, SimulationView(), marker);
        return;
    }
    canvas.Clear(kBackground);
    TDrawContext dc = DrawContext(canvas);
    // Support objects under the stitching, from below the grid up.
    for (uint8_t layer : {LAYER_BELOW, LAYER_BETWEEN, LAYER_ABOVE})
        DrawSupport(layer, dc);
    TKvRect selection;
    selection.empty = true;
    dc.Selection = &selection;
    // Markers three of their own sizes apart (and never closer than 8 pixels) leave the thread
    // visible between them; "Show All Stitch Points" marks every point.
    TMarkerGrid markers(View.Width, View.Height, std::max(8.f, 3.f * dc.MarkerSize));
    if (!Toggles.ShowAllStitchPoints) dc.Markers = &markers;
    bool layout = mode_ == TMode::ObjectLayout;
    // The stitch order mode draws its group by its display options.
    std::optional<TOrderDrawing> ordering;
    if (orderMode_->Active() && (IsOrderMode(mode_) || mode_ == TMode::OutlineJump)) {
        ordering.emplace(*orderMode_, TOrderDisplay::Of(Sew.Settings));
        ordering->DrawBelow(dc);
    }
    for (TSLStitch* o : Objects()) {
        if (o->Empty()) continue;
        if (!o->Bounds.empty && !o->Bounds.Intersects(dc.Clip)) {
            if (layout && (o->Flags & OF_SELECTED_LAYOUT)) selection.UnionWith(o->GetPathBounds());
            continue;
        }
        TDrawContext odc = dc;
        if (o->Kind() == KIND_CURVE) odc.View.ShowStitches = !Toggles.HideOutlineStitches;
        if (o->Kind() == KIND_REGION && Toggles.HideRegionStitches) odc.View.ShowStitches = false;
        odc.View.Highlight = Highlighted(*o);
        if (ordering && !ordering->Look(*o, odc.View)) continue;
        // Direct stitch objects are the user's own needle points, not satin work.
        if (Toggles.HighlightLongSatin && mode_ == TMode::DesignEdit && o->Kind() != KIND_STITCH)
            odc.View.LongStitchLimit = std::max(1, Toggles.LongStitchLimit);
        if (layout)
            o->DrawLayout(odc);
        else if (!HidesUnselected(*o))
            o->DrawEdit(odc);
        if (Toggles.ShowZigzagHandles && o->Kind() == KIND_CURVE)
            DrawWidthHandles(static_cast<const TSLCurve&>(*o), odc);
    }
    DrawPointEditing(dc);
    if (IsRegionMode(mode_)) regionMode_->Draw(dc);
    if (IsOrderMode(mode_) || mode_ == TMode::OutlineJump) DrawOrder(dc);
    if (ordering) ordering->DrawAbove(dc);
    if (mode_ == TMode::PointJoin) DrawPointJoin(dc);
    // The envelope of the outline whose "   Edit Outline" page is open, with its handles.
    if (EnvelopeEditor() && mode_ == TMode::DesignEdit) EnvelopeEditor()->Draw(dc);
    if (layout && !selection.empty) {
        canvas.SetPen(kSelectionBox, 1.f, TPenStyle::Dash);
        canvas.Rectangle(dc.SX(selection.Left), dc.SY(selection.Top), dc.SX(selection.Right),
                         dc.SY(selection.Bottom));
    }
    int32_t x1, y1, x2, y2;
    if (RubberBand(x1, y1, x2, y2)) {
        canvas.SetPen(kRubberBand, 1.f, TPenStyle::Dot);
        canvas.Rectangle(static_cast<float>(std::min(x1, x2)), static_cast<float>(std::min(y1, y2)),
                         static_cast<float>(std::max(x1, x2)), static_cast<float>(std::max(y1, y2)));
    }
}

} // namespace nl
