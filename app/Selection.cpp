// Selecting objects with the mouse: click selection and rectangle selection in Object Layout
// and Design And Editing modes, and hit testing at a view pixel.
#include <algorithm>
#include <map>

#include "app/MainForm.h"
#include "stitching/SLCurve.h"

namespace nl {

TSLStitch* TNL::ObjectAt(int32_t x, int32_t y, int32_t* pointIndex) const {
    auto wx = static_cast<float>(View.WorldX(x)), wy = static_cast<float>(View.WorldY(y));
    TStitchContext ctx = StitchContext();
    for (int32_t i = Sew.Count() - 1; i >= 0; --i) {
        TSLStitch* o = Sew[i];
        if (o->Empty()) continue;
        if (o->HitTest(wx, wy, ctx, pointIndex)) return o;
    }
    if (pointIndex) *pointIndex = -1;
    return nullptr;
}

void TNL::SelectWithPartner(TSLStitch* o, uint32_t bit, bool on) {
    // A curved column is one object to the user: both rails share the selection.
    for (TSLStitch* t : {o, (o->Flags & (OF_RAIL_A | OF_RAIL_B)) ? o->Partner() : nullptr}) {
        if (!t) continue;
        if (on)
            t->SetFlags(bit);
        else
            t->ClearFlags(bit);
    }
}

void TNL::ClickSelect(int32_t x, int32_t y, TModifiers mods) {
    TSLStitch* hit = ObjectAt(x, y);
    bool keep = mods.Shift || mods.Alt;
    if (mode_ == TMode::ObjectLayout) {
        if (!keep) Sew.ClearSelection(OF_SELECTED_LAYOUT);
        if (hit) {
            bool selected = (hit->Flags & OF_SELECTED_LAYOUT) != 0;
            if (hit->GroupId > 0) {
                for (TSLStitch* o : Objects())
                    if (o->GroupId == hit->GroupId) SelectWithPartner(o, OF_SELECTED_LAYOUT, !selected);
            } else {
                SelectWithPartner(hit, OF_SELECTED_LAYOUT, !selected);
            }
            if (mods.Ctrl) Sew.CloseSelection();
            Sew.SetCurrent(hit);
            if (mods.Alt) ShowProperties(*hit);
        }
        Sew.ComputeSelectionKind();
    } else if (mode_ == TMode::DesignEdit) {
        if (!keep) Sew.ClearSelection(OF_SELECTED_EDIT | OF_REGION_MARK_1);
        if (hit) {
            bool selected = (hit->Flags & OF_SELECTED_EDIT) != 0;
            SelectWithPartner(hit, OF_SELECTED_EDIT, !selected);
            Sew.SetCurrent(hit);
            if (!selected && Toggles.ShowRegionPaths && hit->Kind() == KIND_CURVE) {
                // Show the fill regions whose boundary runs along this outline.
                for (TSLStitch* o : Objects()) {
                    auto used = o->UsedOutlines();
                    if (std::find(used.begin(), used.end(), hit) != used.end()) o->SetFlags(OF_REGION_MARK_1);
                }
            }
            if (mods.Alt || Toggles.AutoShowProperties) ShowProperties(*hit);
        }
    }
    CommandsChanged();
    Redraw();
}

void TNL::RectangleRelease(int32_t x, int32_t y, TModifiers mods) {
    double x1 = View.WorldX(pressX_), y1 = View.WorldY(pressY_), x2 = View.WorldX(x), y2 = View.WorldY(y);
    if (mods.Alt) {
        View.ZoomToRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
        Redraw();
        return;
    }
    uint32_t bit = SelectionBit();
    if (!bit) return;
    if (!mods.Shift) Sew.ClearSelection(bit);
    TKvRect r;
    r.SetRounded(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                 static_cast<float>(y2));
    r.Normalize();
    auto candidate = [&](const TSLStitch* o) {
        return !(o->Flags & (bit | OF_PATTERN_MEMBER)) && !o->Empty() && !o->Bounds.empty;
    };
    auto qualifies = [&](const TSLStitch* o) {
        return mods.Ctrl ? r.Intersects(o->Bounds) : r.ContainsRect(o->Bounds);
    };

    // In Object Layout mode a layout group is taken only as a whole.
    std::map<int32_t, bool> groupTaken;
    if (mode_ == TMode::ObjectLayout) {
        for (TSLStitch* o : Objects()) {
            if (o->GroupId <= 0 || !candidate(o)) continue;
            auto [it, fresh] = groupTaken.try_emplace(o->GroupId, !mods.Ctrl);
            (void)fresh;
            if (mods.Ctrl)
                it->second = it->second || qualifies(o);
            else
                it->second = it->second && qualifies(o);
        }
    }
    std::vector<TSLStitch*> take;
    for (TSLStitch* o : Objects()) {
        if (!candidate(o)) continue;
        bool on = (mode_ == TMode::ObjectLayout && o->GroupId > 0) ? groupTaken[o->GroupId] : qualifies(o);
        if (on) take.push_back(o);
    }
    for (TSLStitch* o : take)
        SelectWithPartner(o, bit, true);
    if (mode_ == TMode::ObjectLayout) Sew.ComputeSelectionKind();
    CommandsChanged();
}

} // namespace nl
