#include "app/PointEditing.h"

#include <algorithm>

#include "app/MainForm.h"
#include "platform/Canvas.h"
#include "regions/PointEdit.h"

namespace nl {

namespace {
constexpr int32_t kCursorColour = 0x000000FF;    // red
constexpr int32_t kColourPointMark = 0x00FF00FF; // magenta
constexpr int32_t kSelectedStitch = 0x00FFFF00;  // cyan
constexpr int32_t kSelectedPoint = 0x00FF8000;   // blue
} // namespace

void TNL::AddPointItems(std::vector<TContextItem>& items, TSLStitch& o, int32_t point) const {
    if (point < 0) {
        items.push_back({"Edit All Points", CMD_EDIT_ALL_POINTS});
        TContextItem merge{"Merge This Stitch Object With ..", CMD_MERGE_STITCH_OBJECT};
        merge.Enabled = !o.Empty();
        items.push_back(merge);
        return;
    }
    const bool deletable = o.Count() > 2, selected = AnyPointSelected(o);
    items.push_back({"Insert A Point", CMD_INSERT_POINT, o.Count() >= 2});
    items.push_back(
        {"Insert A Color Point", CMD_INSERT_COLOUR_POINT, o.Count() >= 2 && !(o.Flags & OF_PATTERN_MEMBER)});
    items.push_back({"Delete This Point", CMD_DELETE_POINT, deletable});
    items.push_back({"Delete All Selected Points", CMD_DELETE_SELECTED_POINTS, deletable && selected});
    items.push_back({"Clear All Selected Points", CMD_CLEAR_SELECTED_POINTS, selected});
    // The right-clicked point becomes the cursor, so the split is judged there.
    items.push_back({"Cut Design At This Point", CMD_CUT_DESIGN, CanSplitAt(o, point)});
}

void TNL::RunPointCommand(int32_t code, TSLStitch& o, int32_t point) {
    if (!IsPointEditable(o)) return;
    const TStitchContext ctx = StitchContext();
    if (point >= 0 && point < o.Count()) SetStitchCursor(o, point);
    bool changed = false;
    switch (code) {
    case CMD_EDIT_ALL_POINTS:
        o.SetFlags(OF_LOW_LEVEL_EDIT);
        ShowProperties(o);
        break;
    case CMD_INSERT_POINT: {
        TUndoStep step(Sew, "Insert Point", {&o});
        changed = InsertPlainPoint(o, ctx);
        break;
    }
    case CMD_INSERT_COLOUR_POINT: {
        if (o.Count() < 2 || (o.Flags & OF_PATTERN_MEMBER)) break;
        if (host_.MessageDialog("Insert New Color Point", "Is It OK To Insert A New Color Block Point ?",
                                TButton::Yes | TButton::No) != TButton::Yes)
            break;
        host_.ClosePropertiesWindow();
        TUndoStep step(Sew, "Insert Color Point", {&o});
        changed = InsertColourPoint(o, ctx);
        break;
    }
    case CMD_DELETE_POINT: {
        TUndoStep step(Sew, "Delete Point", {&o});
        changed = DeletePointAt(o, StitchCursor(o), ctx);
        break;
    }
    case CMD_DELETE_SELECTED_POINTS: {
        if (!CanDeleteSelected(o)) break;
        if (host_.MessageDialog("Delete All Selected Points", "Is It OK To Delete All Selected Points ?",
                                TButton::Yes | TButton::No) != TButton::Yes)
            break;
        TUndoStep step(Sew, "Delete Points", {&o});
        changed = DeleteSelectedPoints(o, ctx);
        break;
    }
    case CMD_CLEAR_SELECTED_POINTS:
        ClearPointSelection(o);
        break;
    case CMD_CUT_DESIGN: {
        const int32_t cursor = StitchCursor(o);
        if (!CanSplitAt(o, cursor)) break;
        if (host_.MessageDialog("Splitting Design", "Is It OK To Split The Design At This Point ?",
                                TButton::Yes | TButton::No) != TButton::Yes)
            break;
        host_.ClosePropertiesWindow();
        TUndoStep step(Sew, "Split Design", {&o});
        std::unique_ptr<TSLStitch> part = SplitAtCursor(o, cursor, ctx);
        if (!part) break;
        // Right after the original, in drawing order and (with its order place) in stitching order.
        part->ClearFlags(OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
        Sew.Insert(Sew.IndexOf(&o) + 1, std::move(part));
        Sew.SetCurrent(&o);
        changed = true;
        break;
    }
    case CMD_MERGE_STITCH_OBJECT:
        if (o.Empty()) break;
        o.SetFlags(OF_SELECTED_EDIT);
        PointEdit.Appending = &o;
        host_.MessageDialog(".. Another Stitch Object",
                            "Select The Stitch Object To Be Appended ( Added ) To This One !",
                            static_cast<TButtons>(TButton::OK));
        break;
    default:
        return;
    }
    if (changed) Sew.MarkModified();
    CommandsChanged();
    Redraw();
}

bool TNL::PointEditClick(int32_t x, int32_t y, TModifiers mods) {
    if (mode_ != TMode::DesignEdit) return false;
    const TStitchContext ctx = StitchContext();
    if (TSLStitch* into = PointEdit.Appending) {
        if (Sew.IndexOf(into) < 0) {
            PointEdit.Appending = nullptr;
            return false;
        }
        TSLStitch* other = ObjectAt(x, y);
        // Only another direct stitch object is appended. A wrong click says why and the wait goes
        // on (Escape ends it).
        if (other == into) {
            host_.MessageDialog("Joining Stitch Objects",
                                "You Can Not Merge A Stitch Object With Its Self ? Try Again",
                                Buttons(TButton::OK));
            return true;
        }
        if (!other || !CanAppend(*into, *other)) {
            host_.MessageDialog("Joining Stitch Objects",
                                "You Failed To Correctly Select Another Stitch Object. Please Try Again !",
                                Buttons(TButton::OK));
            return true;
        }
        PointEdit.Appending = nullptr;
        // The second object joins the edit selection while the question is asked.
        Sew.ClearSelection(OF_SELECTED_EDIT);
        into->SetFlags(OF_SELECTED_EDIT);
        other->SetFlags(OF_SELECTED_EDIT);
        Redraw();
        if (host_.MessageDialog("Joining Stitch Objects",
                                "Is It OK To Append The Second Selected Object To The First ?",
                                TButton::Yes | TButton::No) != TButton::Yes) {
            CommandsChanged();
            return true;
        }
        TUndoStep step(Sew, "Merge", {into, other});
        AppendStitchObject(*into, *other, ctx);
        // The absorbed object leaves its group and the hole and overlay lists with the worksheet.
        Sew.DeleteObject(other);
        ForgetRemovedObjects();
        Sew.ClearSelection(OF_SELECTED_EDIT);
        into->SetFlags(OF_SELECTED_EDIT);
        Sew.SetCurrent(into);
        Sew.MarkModified();
        CommandsChanged();
        Redraw();
        return true;
    }
    TSLStitch* o = Sew.Current();
    if (!o || !IsPointEditable(*o) || !(o->Flags & OF_LOW_LEVEL_EDIT) || Sew.IndexOf(o) < 0) return false;
    int32_t point = -1;
    const float wx = static_cast<float>(View.WorldX(x)), wy = static_cast<float>(View.WorldY(y));
    if (!o->HitTest(wx, wy, ctx, &point) || point < 0) return false;
    const int32_t before = StitchCursor(*o);
    if (mods.Ctrl) {
        TogglePointSelected(*o, point);
    } else if (mods.Shift) {
        SelectPointRange(*o, before, point);
    }
    SetStitchCursor(*o, point);
    CommandsChanged();
    Redraw();
    return true;
}

bool TNL::HidesUnselected(const TSLStitch& o) const {
    return PointEdit.HideUnselected && mode_ == TMode::DesignEdit && IsPointEditable(o) &&
           (o.Flags & OF_LOW_LEVEL_EDIT);
}

void TNL::DrawPointEditing(TDrawContext& dc) const {
    if (mode_ != TMode::DesignEdit || !dc.Target) return;
    Canvas& c = *dc.Target;
    for (int32_t i = 0; i < Sew.Count(); ++i) {
        const TSLStitch& o = *Sew[i];
        if (!IsPointEditable(o) || o.Empty()) continue;
        const bool lowLevel = (o.Flags & OF_LOW_LEVEL_EDIT) != 0;
        if (HidesUnselected(o)) {
            // Only the stitches between two selected points, and the selected points.
            c.SetPen(kSelectedStitch, 1.f);
            for (int32_t k = 1; k < o.Count(); ++k)
                if ((o[k - 1].Flags & SP_SELECTED) && (o[k].Flags & SP_SELECTED))
                    c.Line(dc.SX(o[k - 1].X), dc.SY(o[k - 1].Y), dc.SX(o[k].X), dc.SY(o[k].Y));
            for (const TSP& p : o)
                if (p.Flags & SP_SELECTED)
                    c.Marker(dc.SX(p.X), dc.SY(p.Y), TMarker::FilledSquare, dc.MarkerSize, kSelectedStitch);
        }
        // Selected points stand out while the object is edited point by point.
        if (lowLevel && !HidesUnselected(o))
            for (const TSP& p : o)
                if (p.Flags & SP_SELECTED)
                    c.Marker(dc.SX(p.X), dc.SY(p.Y), TMarker::FilledSquare, dc.MarkerSize + 2,
                             kSelectedPoint);
        if (o.Flags & OF_HIGHLIGHT_COLOURS)
            for (const TSP& p : o)
                if (p.IsColourPoint())
                    c.Marker(dc.SX(p.X), dc.SY(p.Y), TMarker::Diamond, dc.MarkerSize * 2 + 3,
                             kColourPointMark);
        if (lowLevel && &o == Sew.Current()) {
            const TSP& p = o[StitchCursor(o)];
            c.Marker(dc.SX(p.X), dc.SY(p.Y), TMarker::Circle, dc.MarkerSize * 2 + 5, kCursorColour);
        }
    }
}

} // namespace nl
