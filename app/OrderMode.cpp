#include "app/OrderMode.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Numeric.h"
#include "core/Units.h"
#include "platform/Host.h"
#include "regions/JumpNodes.h"
#include "regions/SLRegion.h"
#include "stitching/Outline.h"
#include "stitching/SLCurve.h"
#include "worksheet/Sew.h"
#include "worksheet/Undo.h"

namespace nl {

namespace {

// A value may miss its range by rounding in the field, not by more.
constexpr double kRangeSlack = 0.001;

bool InRange(double v, double lo, double hi) {
    return std::isfinite(v) && v >= lo - kRangeSlack && v <= hi + kRangeSlack;
}

TSLCurve* AsOutline(TSLStitch* o) {
    return o && o->Kind() == KIND_CURVE ? static_cast<TSLCurve*>(o) : nullptr;
}
TSLRegion* AsRegion(TSLStitch* o) {
    return o && o->Kind() == KIND_REGION ? static_cast<TSLRegion*>(o) : nullptr;
}

// Where the needle starts and ends an element: a chain of linked outlines is sewn from its
// entry point and comes back to it.
bool EndsOf(const TSLStitch& o, float& sx, float& sy, float& ex, float& ey) {
    const TSLStitch* s = o.Stitches();
    if (!s || s->Empty()) return false;
    if (o.Kind() == KIND_CURVE) {
        const auto& c = static_cast<const TSLCurve&>(o);
        if (c.Jumps && c.EntryIndex >= 0) {
            int32_t i = Clamp(c.Jumps->StitchIndex, 0, s->Count() - 1);
            sx = ex = (*s)[i].X;
            sy = ey = (*s)[i].Y;
            return true;
        }
    }
    o.GetStartStitch(sx, sy);
    o.GetEndStitch(ex, ey);
    if (o.JumpVia) {
        ex = o.JumpVia->X;
        ey = o.JumpVia->Y;
    }
    return true;
}

} // namespace

void TOrderMode::Start(int32_t key, int32_t cursor, TOrderPage page) {
    key_ = key;
    elements_ = sew_.BuildStitchOrder(key);
    cursor_ = Clamp(cursor, 0, Count());
    page_ = page;
    selected_.clear();
    alternate_ = false;
    drag_ = {};
    active_ = true;
}

void TOrderMode::End() {
    if (!active_) return;
    Renumber();
    elements_.clear();
    selected_.clear();
    cursor_ = 0;
    active_ = false;
}

TSLStitch* TOrderMode::Current() const {
    return cursor_ >= 0 && cursor_ < Count() ? elements_[static_cast<size_t>(cursor_)] : nullptr;
}

int32_t TOrderMode::IndexOf(const TSLStitch* o) const {
    auto it = std::find(elements_.begin(), elements_.end(), o);
    return it == elements_.end() ? -1 : static_cast<int32_t>(it - elements_.begin());
}

std::string TOrderMode::CursorText() const {
    return "Stitch " + std::to_string(cursor_ + 1) + " Of    " + std::to_string(Count());
}

void TOrderMode::Renumber() {
    for (size_t i = 0; i < elements_.size(); ++i)
        elements_[i]->OrderIndex = static_cast<int32_t>(i);
    sew_.MarkModified();
}

void TOrderMode::CurrentChanged() {
    alternate_ = false;
    drag_ = {};
}

bool TOrderMode::ClickElement(TSLStitch* object) {
    // A chain member or rail stands for its element.
    int32_t from = IndexOf(object);
    if (from < 0 && object) {
        for (TSLStitch* c : object->JumpChain())
            if ((from = IndexOf(c)) >= 0) break;
        if (from < 0 && object->Partner()) from = IndexOf(object->Partner());
    }
    if (from < 0) return false;
    TUndoStep step(sew_, "Stitching Order", elements_);
    if (cursor_ >= Count()) {
        // Past the last element: it goes last and the cursor stays at the end.
        Move(from, Count() - 1);
        return true;
    }
    Move(from, cursor_);
    ++cursor_;
    CurrentChanged();
    return true;
}

void TOrderMode::Move(int32_t from, int32_t to, bool makeCurrent) {
    if (from < 0 || from >= Count()) return;
    to = Clamp(to, 0, Count() - 1);
    TUndoStep step(sew_, "Stitching Order", elements_);
    TSLStitch* o = elements_[static_cast<size_t>(from)];
    elements_.erase(elements_.begin() + from);
    elements_.insert(elements_.begin() + to, o);
    selected_.clear();
    if (makeCurrent) {
        cursor_ = to;
        CurrentChanged();
    }
    Renumber();
}

void TOrderMode::SetCursor(int32_t cursor) {
    cursor = Clamp(cursor, 0, Count());
    if (cursor != cursor_) CurrentChanged();
    cursor_ = cursor;
}

void TOrderMode::Forward() {
    SetCursor(cursor_ + 1);
}
void TOrderMode::Back() {
    SetCursor(cursor_ - 1);
}
void TOrderMode::ToEnd() {
    SetCursor(Count());
}
void TOrderMode::ToStart() {
    SetCursor(0);
}

void TOrderMode::ClickTile(int32_t index, bool toggle) {
    if (index < 0 || index >= Count()) return;
    if (!toggle) {
        SetCursor(index);
        selected_ = {index};
        return;
    }
    if (index == cursor_) return;
    if (!selected_.erase(index)) selected_.insert(index);
}

bool TOrderMode::SetColour(int32_t colour) {
    std::vector<TSLStitch*> targets;
    for (int32_t i : selected_)
        if (i >= 0 && i < Count()) targets.push_back(elements_[static_cast<size_t>(i)]);
    if (targets.empty() && Current()) targets.push_back(Current());
    if (targets.empty()) return false;
    TUndoStep step(sew_, "Color Changes", targets);
    std::vector<int32_t> before;
    for (TSLStitch* o : targets) {
        before.push_back(o->GetColor());
        o->SetColor(colour);
        // A chain shares its thread.
        if (TSLCurve* c = AsOutline(o); c && c->Jumps) PropagateChainColour(*c);
    }
    host_.RequestRedraw();
    const char* text =
        targets.size() == 1
            ? "Change Element Color ?"
            : "Change All Selected Elements Within The Edit Pane Pallet Window To This Color ?";
    if (host_.MessageDialog("Color Changes", text, TButton::Yes | TButton::No) == TButton::Yes) {
        sew_.MarkModified();
        return true;
    }
    step.Cancel();
    for (size_t i = 0; i < targets.size(); ++i) {
        targets[i]->SetColor(before[i]);
        if (TSLCurve* c = AsOutline(targets[i]); c && c->Jumps) PropagateChainColour(*c);
    }
    host_.RequestRedraw();
    return false;
}

void TOrderMode::Changed(TSLStitch* o) {
    if (TSLCurve* c = AsOutline(o); c && c->Jumps)
        RegenerateChain(*c, Context);
    else if (o)
        Restitch(*o, Context);
    Renumber();
    host_.RequestRedraw();
}

// ---- the Edit page ----

TElementKind TOrderMode::Kind() const {
    TSLStitch* o = Current();
    if (!o) return TElementKind::None;
    if (o->Kind() == KIND_CURVE) return TElementKind::Outline;
    if (o->Kind() == KIND_REGION) return TElementKind::Region;
    return TElementKind::Direct;
}

int32_t TOrderMode::Colour() const {
    TSLStitch* o = Current();
    return o ? o->GetColor() : NO_COLOUR;
}

TOrderField TOrderMode::Density() const {
    TOrderField f;
    if (TSLCurve* c = AsOutline(Current())) {
        f = {true, c->Density / 10.0, OUTLINE_DENSITY_MIN / 10.0, OUTLINE_DENSITY_MAX / 10.0, " per mm"};
        if (c->IsRail()) f.Min = RAIL_DENSITY_MIN / 10.0, f.Max = RAIL_DENSITY_MAX / 10.0;
    } else if (TSLRegion* r = AsRegion(Current())) {
        f = {true, r->Density / 10.0, 1, 7, " per mm"};
    }
    return f;
}

TOrderField TOrderMode::Under() const {
    TOrderField f;
    if (TSLCurve* c = AsOutline(Current()))
        f = {true, c->RunLength / kUnitsPerMm, RUN_LENGTH_MIN / kUnitsPerMm, RUN_LENGTH_MAX / kUnitsPerMm,
             " mm"};
    else if (TSLRegion* r = AsRegion(Current()))
        f = {true, r->RunLength / kUnitsPerMm, 0.5, 8, " mm"};
    return f;
}

TOrderField TOrderMode::Rotation() const {
    TOrderField f;
    if (TSLRegion* r = AsRegion(Current())) f = {true, r->Rotation, -360, 360, " Deg"};
    return f;
}

bool TOrderMode::SetDensity(double v) {
    TOrderField f = Density();
    if (!f.Enabled || !InRange(v, f.Min, f.Max)) return false;
    TUndoStep step(sew_, "Density", {Current()});
    if (TSLCurve* c = AsOutline(Current())) {
        c->Density = Clamp(RoundI(v * 10), RoundI(f.Min * 10), RoundI(f.Max * 10));
    } else if (TSLRegion* r = AsRegion(Current())) {
        r->Density = Clamp(RoundI(v * 10), 10, 70);
    }
    Changed(Current());
    return true;
}

bool TOrderMode::SetUnder(double v) {
    TOrderField f = Under();
    if (!f.Enabled || !InRange(v, f.Min, f.Max)) return false;
    const int32_t units = RoundI(v * kUnitsPerMm);
    TUndoStep step(sew_, "Running Length", {Current()});
    if (TSLCurve* c = AsOutline(Current()))
        c->RunLength = Clamp(units, RUN_LENGTH_MIN, RUN_LENGTH_MAX);
    else if (TSLRegion* r = AsRegion(Current()))
        r->RunLength = Clamp(units, 10, 160);
    Changed(Current());
    return true;
}

bool TOrderMode::SetRotation(double v) {
    TOrderField f = Rotation();
    if (!f.Enabled || !InRange(v, f.Min, f.Max)) return false;
    TUndoStep step(sew_, "Rotation", {Current()});
    AsRegion(Current())->Rotation = static_cast<float>(Clamp(v, f.Min, f.Max));
    Changed(Current());
    return true;
}

bool TOrderMode::CanShortStitch() const {
    return AsOutline(Current()) != nullptr;
}
bool TOrderMode::ShortStitch() const {
    TSLStitch* o = Current();
    return o && (o->Flags & OF_SHORT_STITCHES);
}
void TOrderMode::ToggleShortStitch() {
    TSLCurve* c = AsOutline(Current());
    if (!c) return;
    TUndoStep step(sew_, "Short Stitch", {c});
    c->Flags ^= OF_SHORT_STITCHES;
    if (c->PartnerRail) c->PartnerRail->Flags ^= OF_SHORT_STITCHES;
    Changed(c);
}

bool TOrderMode::CanClearJump() const {
    TSLCurve* c = AsOutline(Current());
    return c && c->Jumps && c->Jumps->Count() == 0;
}
void TOrderMode::ClearJump() {
    TSLCurve* c = AsOutline(Current());
    if (!c || !c->Jumps) return;
    TUndoStep step(sew_, "Clear Jump", {c});
    // With links present both ends go, so no partner points at a destroyed list.
    ClearJumps(*c, Context);
    Changed(c);
}

bool TOrderMode::CanReverse() const {
    return AsOutline(Current()) && !CanClearJump();
}
bool TOrderMode::Reversed() const {
    TSLStitch* o = Current();
    return o && (o->Flags & OF_STITCH_FROM_END);
}
void TOrderMode::ToggleReverse() {
    if (!CanReverse()) return;
    TUndoStep step(sew_, "St. Reverse", {Current()});
    Current()->Flags ^= OF_STITCH_FROM_END;
    Changed(Current());
}

bool TOrderMode::CanReturn() const {
    TSLCurve* c = AsOutline(Current());
    return c && !CanClearJump() && c->Outlines;
}
bool TOrderMode::Returns() const {
    TSLCurve* c = AsOutline(Current());
    return c && c->Outlines && (c->Outlines->ProfileFlags & PF_RETURN_STITCH);
}
void TOrderMode::ToggleReturn() {
    if (!CanReturn()) return;
    TUndoStep step(sew_, "St. Return", {Current()});
    AsOutline(Current())->Outlines->ProfileFlags ^= PF_RETURN_STITCH;
    Changed(Current());
}

bool TOrderMode::CanTrim() const {
    return cursor_ >= 0 && cursor_ < Count() - 1;
}
bool TOrderMode::HasTrim() const {
    TSLStitch* o = Current();
    return o && o->JumpVia.has_value();
}
void TOrderMode::ToggleTrim() {
    if (!CanTrim()) return;
    TSLStitch* o = Current();
    TUndoStep step(sew_, o->JumpVia ? "Delete Trim" : "Insert Trim", {o});
    if (o->JumpVia) {
        o->JumpVia.reset();
    } else {
        // Halfway between this element's end and the next one's start.
        float sx = 0, sy = 0, ex = 0, ey = 0, nx = 0, ny = 0, nex = 0, ney = 0;
        if (!EndsOf(*o, sx, sy, ex, ey)) return;
        if (!EndsOf(*elements_[static_cast<size_t>(cursor_ + 1)], nx, ny, nex, ney)) return;
        o->JumpVia = TSP::Plain(0, (ex + nx) / 2.f, (ey + ny) / 2.f);
    }
    sew_.MarkModified();
    host_.RequestRedraw();
}

// ---- the Set Jumps page ----

bool TOrderMode::SetJumpAt(double x, double y, double tolerance) {
    TSLRegion* r = AsRegion(Current());
    if (!r) return false;
    int32_t node = 0;
    double distance = 0;
    r->UpdateBounds(Context); // the segment lengths the percentage is taken of
    if (!r->HitBoundary(x, y, tolerance, node, distance)) return false;
    const TRegionNode* nd = r->NodeAt(node);
    const float percent = static_cast<float>(SegmentPercent(distance, nd ? nd->SegmentLength : 0.0));

    bool exit = choice_ == TJumpChoice::ExitOnly;
    if (choice_ == TJumpChoice::EntryAndExit) {
        exit = alternate_;
        alternate_ = !alternate_;
    }
    StoreJump(*r, exit, node, percent);
    return true;
}

void TOrderMode::StoreJump(TSLRegion& r, bool exit, int32_t node, float percent) {
    // The stored point is recomputed from the node and percent, then the fill regenerates.
    TUndoStep step(sew_, "Set Jumps", {&r});
    if (exit)
        r.SetEntryExit(r.EntryNode, r.EntryPercent, node, percent, Context);
    else
        r.SetEntryExit(node, percent, r.ExitNode, r.ExitPercent, Context);
    sew_.MarkModified();
    host_.RequestRedraw();
}

bool TOrderMode::NearestOnPath(const TSLRegion& r, double x, double y, int32_t& node, float& percent,
                               float& px, float& py) {
    double distance = 0;
    if (!r.HitBoundary(x, y, std::numeric_limits<double>::infinity(), node, distance)) return false;
    const TRegionNode* nd = r.NodeAt(node);
    percent = static_cast<float>(SegmentPercent(distance, nd ? nd->SegmentLength : 0.0));
    double bx = 0, by = 0;
    r.BoundaryPoint(node, percent, bx, by);
    px = static_cast<float>(bx);
    py = static_cast<float>(by);
    return true;
}

TOrderMode::TDiamond TOrderMode::DiamondAt(double x, double y, double tolerance) const {
    const TSLRegion* r = AsRegion(Current());
    if (!r) return TDiamond::None;
    const double entry = std::hypot(x - r->EntryX, y - r->EntryY),
                 exit = std::hypot(x - r->ExitX, y - r->ExitY);
    if (entry > tolerance && exit > tolerance) return TDiamond::None;
    return entry <= exit ? TDiamond::Entry : TDiamond::Exit;
}

bool TOrderMode::BeginDiamondDrag(double x, double y, double tolerance) {
    drag_ = {};
    TSLRegion* r = AsRegion(Current());
    const TDiamond d = DiamondAt(x, y, tolerance);
    if (!r || d == TDiamond::None) return false;
    r->UpdateBounds(Context); // the segment lengths the percentage is taken of
    drag_.Which = d;
    drag_.X = d == TDiamond::Entry ? r->EntryX : r->ExitX;
    drag_.Y = d == TDiamond::Entry ? r->EntryY : r->ExitY;
    drag_.Node = -1; // not moved yet: a release in place changes nothing
    return true;
}

void TOrderMode::DragDiamondTo(double x, double y) {
    TSLRegion* r = AsRegion(Current());
    if (!r || drag_.Which == TDiamond::None) return;
    if (NearestOnPath(*r, x, y, drag_.Node, drag_.Percent, drag_.X, drag_.Y)) host_.RequestRedraw();
}

bool TOrderMode::EndDiamondDrag() {
    const TDiamondDrag d = drag_;
    drag_ = {};
    TSLRegion* r = AsRegion(Current());
    if (!r || d.Which == TDiamond::None) return false;
    if (d.Node >= 0) StoreJump(*r, d.Which == TDiamond::Exit, d.Node, d.Percent);
    return true;
}

std::string TOrderMode::DiamondPrompt(TDiamond d) {
    switch (d) {
    case TDiamond::Entry:
        return " Drag The Entry Jump Stitch Diamond To A New Position Within The Design !";
    case TDiamond::Exit:
        return " Drag The Exit Jump Stitch Diamond To A New Position Within The Design !";
    default:
        return "";
    }
}

TOrderField TOrderMode::UnderMargin() const {
    TOrderField f;
    if (TSLRegion* r = AsRegion(Current()); r && (r->StitchFlags & RSF_USE_UNDERLAY))
        f = {true, r->UnderMargin / kUnitsPerMm, 0, 40, " mm"};
    return f;
}

bool TOrderMode::SetUnderMargin(double v) {
    TOrderField f = UnderMargin();
    if (!f.Enabled || !InRange(v, f.Min, f.Max)) return false;
    TUndoStep step(sew_, "Underlay Margin", {Current()});
    AsRegion(Current())->UnderMargin = Clamp(v, f.Min, f.Max) * kUnitsPerMm;
    Changed(Current());
    return true;
}

// ---- display ----

std::vector<TConnector> TOrderMode::Connectors(bool currentOnly) const {
    std::vector<TConnector> out;
    for (int32_t i = 0; i + 1 < Count(); ++i) {
        int32_t colour = CONNECTOR_OTHER;
        if (i + 1 == cursor_)
            colour = CONNECTOR_IN;
        else if (i == cursor_)
            colour = CONNECTOR_OUT;
        if (currentOnly && colour == CONNECTOR_OTHER) continue;
        float sx, sy, ex, ey, nx, ny, nex, ney;
        if (!EndsOf(*elements_[static_cast<size_t>(i)], sx, sy, ex, ey)) continue;
        if (!EndsOf(*elements_[static_cast<size_t>(i + 1)], nx, ny, nex, ney)) continue;
        out.push_back({ex, ey, nx, ny, colour});
    }
    return out;
}

} // namespace nl
