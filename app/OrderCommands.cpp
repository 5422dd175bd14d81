// The controller's side of the stitch order mode and the outline jump connection mode: entering
// and leaving them, their pages and clicks, and what they draw over the worksheet.
#include "app/ContextMenu.h"
#include "app/JumpMode.h"
#include "app/MainForm.h"
#include "app/OrderMode.h"
#include "platform/Canvas.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
constexpr int32_t kLinkColour = 0xFF00FF;  // the line of a jump link
constexpr int32_t kNodeColour = 0xFF0000;  // the blue nodes a link may start or end at
constexpr int32_t kEntryColour = 0x00A000; // a region's entry diamond
constexpr int32_t kExitColour = 0x0000FF;  // and its exit diamond
} // namespace

bool TNL::StartOrderMode(TOrderPage page, int32_t cursor) {
    TSLStitch* cur = Sew.Current();
    int32_t key = cur && cur->GroupId > 0 ? cur->GroupId : Sew.SelectedGroup();
    if (key <= 0) return false;
    if (creation_ != TCreation::None) FinishCreation();
    if (!orderMode_->Active()) {
        orderPrevious_ = IsOrderMode(mode_) || mode_ == TMode::OutlineJump ? TMode::ObjectLayout : mode_;
        // The mode shows every fill and underlay; the user's choice comes back when it ends.
        savedHideRegion_ = Toggles.HideRegionStitches;
        savedHideUnderlay_ = Toggles.HideUnderlay;
        Toggles.HideRegionStitches = false;
        Toggles.HideUnderlay = false;
    }
    host_.ClosePropertiesWindow();
    orderMode_->Context = StitchContext();
    orderMode_->Start(key, cursor, page);
    SetMode(TMode::ChangeOrder);
    host_.ShowOrderPanel();
    ShowOrderPage(page);
    return true;
}

void TNL::ShowOrderOptions() {
    if (!orderMode_->Active() && !StartOrderMode(TOrderPage::Edit)) return;
    host_.ShowOrderOptions();
}

void TNL::CloseOrderList() {
    if (!orderMode_->Active()) return;
    orderMode_->End();
    Toggles.HideRegionStitches = savedHideRegion_;
    Toggles.HideUnderlay = savedHideUnderlay_;
    host_.CloseOrderPanel();
}

void TNL::RefreshOrderAfterUndo() {
    if (mode_ == TMode::OutlineJump) {
        jumpMode_->Enter(nullptr);
        host_.SetPrompt(jumpMode_->Prompt());
    }
    if (!orderMode_->Active()) return;
    TOrderMode& o = *orderMode_;
    o.Start(o.GroupKey(), o.Cursor(), o.Page());
    host_.OrderChanged();
}

void TNL::EndOrderMode() {
    if (!orderMode_->Active()) return;
    const TMode back = orderPrevious_;
    CloseOrderList();
    SetMode(back);
    host_.SetPrompt("");
}

void TNL::ShowOrderPage(TOrderPage page) {
    if (!orderMode_->Active()) return;
    orderMode_->SetPage(page);
    TSLStitch* current = orderMode_->Current();
    if (page == TOrderPage::SetJumps && current && current->Kind() == KIND_REGION) {
        SetMode(TMode::SetJumps);
    } else if (page == TOrderPage::SetJumps && CanJump(current)) {
        Sew.SetCurrent(current);
        SetMode(TMode::OutlineJump);
    } else if (mode_ != TMode::ChangeOrder) {
        SetMode(TMode::ChangeOrder);
    }
    OrderChanged();
}

void TNL::OrderChanged() {
    host_.OrderChanged();
    CommandsChanged();
    Redraw();
}

void TNL::SimulateOrder() {
    if (!orderMode_->Active()) return;
    std::vector<TSLStitch*> order = orderMode_->Elements();
    if (mode_ != TMode::ChangeOrder) SetMode(TMode::ChangeOrder);
    host_.CloseOrderPanel();
    if (!StartSimulation(&order)) host_.ShowOrderPanel();
}

void TNL::OrderClick(int32_t x, int32_t y) {
    if (mode_ == TMode::OutlineJump) {
        int32_t point = -1;
        TSLStitch* hit = ObjectAt(x, y, &point);
        jumpMode_->Context = StitchContext();
        jumpMode_->Click(hit, point);
        if (orderMode_->Active()) OrderChanged();
        return;
    }
    orderMode_->Context = StitchContext();
    if (mode_ == TMode::ChangeOrder) {
        if (orderMode_->ClickElement(ObjectAt(x, y))) OrderChanged();
    } else if (mode_ == TMode::SetJumps) {
        const double tolerance = std::max(2, View.NearMargin());
        if (orderMode_->SetJumpAt(View.WorldX(x), View.WorldY(y), tolerance))
            OrderChanged();
        else
            host_.Beep();
    }
}

// ---- context items ----

namespace {
// An outline whose stitches can carry links: a stitched outline that is no rail of a column.
bool CanStartJumps(const TSLStitch& o) {
    return CanJump(&o) && ((o.Flags & OF_RUNNING) || static_cast<const TSLCurve&>(o).Outlines);
}
// A region the order mode can take up: stitched, in a layout group.
bool CanSetRegionJumps(const TSLStitch& o) {
    return o.Kind() == KIND_REGION && o.GroupId > 0 && o.StitchType() != ST_NONE;
}
} // namespace

void TNL::AddJumpStartItem(std::vector<TContextItem>& items, TSLStitch& hit) const {
    if (hit.Kind() == KIND_REGION) {
        TContextItem item{"Set Region Start Jump Stitch", CMD_SET_REGION_START_JUMP};
        item.Enabled = CanSetRegionJumps(hit);
        items.push_back(std::move(item));
    } else if (hit.Kind() == KIND_CURVE && CanStartJumps(hit)) {
        items.push_back({"Set Outline Start Jump Stitch", CMD_SET_OUTLINE_START_JUMP});
    }
}

std::vector<TContextItem> TNL::OrderMenuAt(TSLStitch* hit) {
    std::vector<TContextItem> items;
    items.push_back({"End Stitch Order Mode", CMD_END_ORDER_MODE});
    // On an element with a jump start of its own: the way to set it.
    if (hit && orderMode_->Active()) {
        TSLStitch* element = hit;
        if (orderMode_->IndexOf(element) < 0)
            for (TSLStitch* c : hit->JumpChain())
                if (orderMode_->IndexOf(c) >= 0) element = c;
        if (orderMode_->IndexOf(element) >= 0) AddJumpStartItem(items, *hit);
    }
    return items;
}

bool TNL::RunOrderContextCommand(int32_t code, TSLStitch* target) {
    if (code == CMD_END_ORDER_MODE) {
        EndOrderMode();
        return true;
    }
    if (code != CMD_SET_REGION_START_JUMP && code != CMD_SET_OUTLINE_START_JUMP) return false;
    if (!target || Sew.IndexOf(target) < 0) return true;
    if (code == CMD_SET_OUTLINE_START_JUMP && !CanStartJumps(*target)) return true;
    if (code == CMD_SET_REGION_START_JUMP && !CanSetRegionJumps(*target)) return true;
    // In the order mode the element becomes current and its Set Jumps page opens; elsewhere an
    // outline is taken into "Outline Jump Connection" and a region into the order mode of its group.
    auto elementOf = [&](TSLStitch* o) {
        int32_t i = orderMode_->IndexOf(o);
        for (TSLStitch* c : o->JumpChain())
            if (i < 0) i = orderMode_->IndexOf(c);
        return i;
    };
    if (orderMode_->Active() && elementOf(target) >= 0) {
        orderMode_->SetCursor(elementOf(target));
        if (code == CMD_SET_OUTLINE_START_JUMP) {
            // The chain's start is set on the outline under the pointer.
            orderMode_->SetPage(TOrderPage::SetJumps);
            Sew.SetCurrent(target);
            SetMode(TMode::OutlineJump);
            OrderChanged();
        } else {
            ShowOrderPage(TOrderPage::SetJumps);
        }
        return true;
    }
    if (code == CMD_SET_REGION_START_JUMP) {
        Sew.SetCurrent(target);
        if (StartOrderMode(TOrderPage::Edit)) {
            orderMode_->SetCursor(orderMode_->IndexOf(target));
            ShowOrderPage(TOrderPage::SetJumps);
        }
        return true;
    }
    auto* curve = static_cast<TSLCurve*>(target);
    Sew.SetCurrent(curve);
    SetMode(TMode::OutlineJump);
    // An outline of a chain has its start point set; a lone one starts a link from itself.
    if (!curve->Jumps) {
        jumpMode_->Click(curve, -1);
        host_.SetPrompt(jumpMode_->Prompt());
    }
    Redraw();
    return true;
}

void TNL::DiamondHover(int32_t x, int32_t y) {
    const double tolerance = std::max(2, View.NearMargin());
    std::string prompt =
        TOrderMode::DiamondPrompt(orderMode_->DiamondAt(View.WorldX(x), View.WorldY(y), tolerance));
    // Off the diamonds the page's own prompt stays: a click on the path sets the point too.
    if (prompt.empty()) prompt = " Left Click on A Node To Set Jump Start Position !";
    host_.SetPrompt(prompt);
}

bool TNL::StartDiamondDrag() {
    orderMode_->Context = StitchContext();
    const double tolerance = std::max(2, View.NearMargin());
    if (!orderMode_->BeginDiamondDrag(View.WorldX(pressX_), View.WorldY(pressY_), tolerance)) return false;
    drag_ = TDrag::Diamond;
    host_.SetCursor(TCursor::SizeAll);
    return true;
}

void TNL::DiamondDragTo(double wx, double wy) {
    orderMode_->DragDiamondTo(wx, wy);
    Redraw();
}

void TNL::EndDiamondDrag() {
    orderMode_->Context = StitchContext();
    host_.SetCursor(TCursor::Arrow);
    if (orderMode_->EndDiamondDrag()) OrderChanged();
}

void TNL::DrawOrder(TDrawContext& dc) const {
    Canvas& c = *dc.Target;
    // Jump links: a line from each link point to its partner's.
    c.SetPen(kLinkColour, 1.f, TPenStyle::Dash);
    for (TSLStitch* o : Objects()) {
        if (o->Kind() != KIND_CURVE) continue;
        const auto* curve = static_cast<const TSLCurve*>(o);
        if (!curve->Jumps) continue;
        for (const auto& j : *curve->Jumps)
            if (j->Reverse) c.Line(dc.SX(j->X), dc.SY(j->Y), dc.SX(j->Reverse->X), dc.SY(j->Reverse->Y));
    }
    if (mode_ == TMode::OutlineJump) {
        auto nodes = [&](const TSLCurve& curve) {
            for (int32_t i = 0; i < curve.Count(); i += 3)
                c.Marker(dc.SX(curve[i].X), dc.SY(curve[i].Y), TMarker::FilledSquare, dc.MarkerSize + 1.f,
                         kNodeColour);
        };
        if (TSLCurve* from = jumpMode_->NodesOf()) {
            if (jumpMode_->State() == TJumpMode::TState::PickStartOutline ||
                jumpMode_->State() == TJumpMode::TState::PickStartNode) {
                for (TSLStitch* o : Objects())
                    if (o->Kind() == KIND_CURVE && (o->Flags & OF_REGION_MARK_1))
                        nodes(static_cast<const TSLCurve&>(*o));
            } else {
                nodes(*from);
            }
        }
    }
    if (!orderMode_->Active()) return;
    // The connectors are drawn with the display options (OrderDrawing).
    for (int32_t i = 0; i < orderMode_->Count(); ++i) {
        const TSLStitch* o = orderMode_->Elements()[static_cast<size_t>(i)];
        if (o->JumpVia)
            c.Marker(dc.SX(o->JumpVia->X), dc.SY(o->JumpVia->Y), TMarker::Cross, dc.MarkerSize + 2.f,
                     0x0000FF);
    }
    // The Set Jumps page of a region: its boundary nodes and its entry and exit diamonds.
    if (mode_ == TMode::SetJumps) {
        if (const TSLStitch* cur = orderMode_->Current(); cur && cur->Kind() == KIND_REGION) {
            const auto& r = static_cast<const TSLRegion&>(*cur);
            for (const TSP& p : r)
                c.Marker(dc.SX(p.X), dc.SY(p.Y), TMarker::Square, dc.MarkerSize, kNodeColour);
            float ex = r.EntryX, ey = r.EntryY, xx = r.ExitX, xy = r.ExitY;
            // The diamond being dragged is shown where the pointer put it on the path.
            if (orderMode_->Dragging() == TOrderMode::TDiamond::Entry) orderMode_->DragPoint(ex, ey);
            if (orderMode_->Dragging() == TOrderMode::TDiamond::Exit) orderMode_->DragPoint(xx, xy);
            c.Marker(dc.SX(ex), dc.SY(ey), TMarker::Diamond, dc.MarkerSize + 3.f, kEntryColour);
            c.Marker(dc.SX(xx), dc.SY(xy), TMarker::Diamond, dc.MarkerSize + 3.f, kExitColour);
        }
    }
}

} // namespace nl
