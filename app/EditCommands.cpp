// The editing operations of the Edit menu on the layout selection: copy, cut, paste and
// duplicate through the clipboard record, mirror, the rotate and resize dialogs, and moving the
// selection with the arrow keys. Each is one undo step.
#include <algorithm>
#include <exception>
#include <functional>

#include "app/MainForm.h"
#include "app/Shaping.h"
#include "core/Errors.h"
#include "formats/Clipboard.h"
#include "regions/JumpNodes.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"
#include "ui/TransformDialogs.h"

namespace nl {

std::vector<TSLStitch*> TNL::ExtendForDelete() {
    // Outlines take their jump chains along; fill regions built on a selected outline go too.
    bool changed = true;
    while (changed) {
        changed = false;
        for (TSLStitch* o : Objects()) {
            if (o->Flags & OF_SELECTED_LAYOUT) {
                for (TSLStitch* c : o->JumpChain())
                    if (!(c->Flags & OF_SELECTED_LAYOUT)) c->SetFlags(OF_SELECTED_LAYOUT), changed = true;
                if (TSLStitch* p = o->Partner(); p && !(p->Flags & OF_SELECTED_LAYOUT))
                    p->SetFlags(OF_SELECTED_LAYOUT), changed = true;
                continue;
            }
            for (TSLStitch* u : o->UsedOutlines())
                if (u->Flags & OF_SELECTED_LAYOUT) {
                    o->SetFlags(OF_SELECTED_LAYOUT);
                    changed = true;
                    break;
                }
        }
    }
    std::vector<TSLStitch*> doomed;
    for (TSLStitch* o : Objects())
        if (o->Flags & OF_SELECTED_LAYOUT) doomed.push_back(o);
    return doomed;
}

void TNL::RemoveObjects(const std::vector<TSLStitch*>& doomed) {
    host_.ClosePropertiesWindow();
    TShapingLoss loss(doomed); // regions that lose a hole or an overlay are filled again
    for (TSLStitch* o : doomed)
        if (Sew.IndexOf(o) >= 0) Sew.DeleteObject(o); // a rail may already have gone with its partner
    RefillShaped(loss.Regions(Sew));
    ForgetRemovedObjects();
    moved_.clear();
    Sew.ComputeSelectionKind();
    CommandsChanged();
    Redraw();
}

namespace {
// Where objects are: the union of their bounds.
TKvRect BoundsOf(const std::vector<TSLStitch*>& objects) {
    TKvRect area{.empty = true};
    for (const TSLStitch* o : objects)
        if (!o->Bounds.empty) area.UnionWith(o->Bounds);
    return area;
}
} // namespace

void TNL::TransformedShaping(const std::vector<TSLStitch*>& objects, TKvRect before) {
    // Holes and overlays among the objects shape regions where they were and where they are now.
    TKvRect area = BoundsOf(objects);
    if (!before.empty) area.UnionWith(before);
    if (area.empty) return;
    area.Inflate(1);
    ShapingChanged(objects, area);
}

std::vector<TSLStitch*> TNL::LayoutSelection() const {
    std::vector<TSLStitch*> v;
    for (TSLStitch* o : Objects())
        if (o->Flags & OF_SELECTED_LAYOUT) v.push_back(o);
    return v;
}

bool TNL::CopySelection() {
    Sew.CloseSelection();
    std::vector<TSLStitch*> sel = LayoutSelection();
    if (sel.empty() || Sew.SelectionBounds.empty) return false;
    Sew.RenumberIds();
    host_.SetClipboard(ClipboardBytes(sel, Sew.SelectionBounds.Left, Sew.SelectionBounds.Top));
    CommandsChanged();
    return true;
}

void TNL::CutSelection() {
    if (LayoutSelection().empty()) return;
    TUndoStep step(Sew, "Cut");
    // What goes: the selection closed as Copy closes it (regions bring their outlines) and
    // extended as Delete extends it (no region is left on a cut outline), until neither adds
    // anything. The step records what the closing adds before it changes.
    for (size_t n = 0; n != LayoutSelection().size();) {
        n = LayoutSelection().size();
        Sew.CloseSelection();
        ExtendForDelete();
    }
    if (!CopySelection()) return;
    RemoveObjects(LayoutSelection());
}

bool TNL::PasteAt(double wx, double wy, const char* stepName) {
    const int32_t ox = RoundI(wx), oy = RoundI(wy);
    std::optional<std::vector<std::unique_ptr<TSLStitch>>> objects;
    try {
        objects = ReadClipboard(host_.GetClipboard(), ox, oy, StitchContext());
    } catch (const std::exception&) {
        // Nothing read is kept: the worksheet is as it was.
        host_.MessageDialog("Application Error", "The Paste Operation Has Failed.", Buttons(TButton::OK));
        return false;
    }
    if (!objects || objects->empty()) return false;
    TUndoStep step(Sew, stepName);
    // The current mode's selection gives way to the pasted objects (which arrive selected as they
    // were copied).
    if (uint32_t bit = SelectionBit()) Sew.ClearSelection(bit);
    const int32_t base = Sew.Count();
    TGroupList map;
    for (auto& o : *objects) {
        o->GroupId = map.Map(o->GroupId, Sew.Groups);
        o->Mark += base;
        // Links between the pasted outlines keep naming their partners by worksheet place.
        if (o->Kind() == KIND_CURVE)
            if (auto& jumps = static_cast<TSLCurve&>(*o).Jumps) ShiftPartnerIds(*jumps, base);
        Sew.Add(std::move(o));
    }
    Sew.SetCurrent(nullptr);
    Sew.ComputeSelectionKind();
    Sew.MarkModified();
    CommandsChanged();
    Redraw();
    return true;
}

void TNL::DuplicateSelection() {
    if (LayoutSelection().empty()) return;
    TUndoStep step(Sew, "Duplicate");
    if (!CopySelection()) return;
    PasteAt(Sew.SelectionBounds.Left + 80.0, Sew.SelectionBounds.Top + 80.0, "Duplicate");
}

void TNL::MirrorSelection(bool horizontal) {
    TUndoStep step(Sew, "Mirror");
    // A fill region as the current object brings the outline it starts on. The step records every
    // object the selection gains (here and in the closing) before it changes, so that undo gives
    // back whatever the mirror then turns.
    if (TSLStitch* cur = Sew.Current(); cur && cur->Kind() == KIND_REGION && Sew.IndexOf(cur) >= 0) {
        auto used = cur->UsedOutlines();
        if (!used.empty()) {
            step.Touch(used.front());
            used.front()->SetFlags(OF_SELECTED_LAYOUT);
        }
    }
    Sew.CloseSelection();
    const TKvRect b = Sew.SelectionBounds;
    if (b.empty) return;
    const float cx = static_cast<float>((b.Left + b.Right) / 2.0),
                cy = static_cast<float>((b.Top + b.Bottom) / 2.0);
    TStitchContext ctx = StitchContext();
    std::vector<TSLStitch*> sel = LayoutSelection();
    const TKvRect before = BoundsOf(sel);
    host_.SetStatus(" Setting Curves");
    for (TSLStitch* o : sel)
        if (o->Kind() != KIND_REGION) {
            o->Mirror(horizontal, cx, cy);
            o->UpdateBounds(ctx);
        }
    host_.SetStatus(" Setting Regions");
    for (TSLStitch* o : sel)
        if (o->Kind() == KIND_CURVE && !(o->Flags & OF_RAIL_B)) Restitch(*o, ctx);
    host_.SetStatus(" Rebuilding Object");
    for (TSLStitch* o : sel) {
        if (o->Kind() != KIND_REGION) continue;
        auto* r = static_cast<TSLRegion*>(o);
        r->Mirror(horizontal, cx, cy);
        r->RebuildFromOutlines(ctx);
        r->Rotation = horizontal ? -r->Rotation : 180.f - r->Rotation;
        if (r->Flags & OF_VISIBLE) Restitch(*r, ctx);
    }
    TransformedShaping(sel, before);
    host_.SetStatus("");
    Sew.MarkModified();
    Redraw();
}

void TNL::RunTransformDialog(const char* stepName, const std::function<void(const TStitchContext&)>& open,
                             const std::function<void()>& show, const std::function<void()>& close) {
    const std::vector<TSLStitch*> sel = LayoutSelection();
    if (sel.empty()) return;
    const TKvRect before = BoundsOf(sel);
    TUndoStep step(Sew, stepName);
    TStitchContext ctx = StitchContext();
    transform_.Start(Sew, OF_SELECTED_LAYOUT, ctx);
    if (!transform_.Active()) return;
    open(ctx);
    CommandsChanged();
    show();
    close();
    host_.SetStatus(" Rebuilding Object After Rotation");
    transform_.End(ctx);
    TransformedShaping(sel, before);
    host_.SetStatus("");
    // The step marks the worksheet modified when something changed: a dialog cancelled changed
    // nothing.
    CommandsChanged();
    Redraw();
}

void TNL::RotateCommand() {
    RunTransformDialog(
        "Rotate",
        [this](const TStitchContext& ctx) {
            rotateDialog_ = std::make_unique<TRotateDialog>(transform_, ctx, [this] { Redraw(); });
        },
        [this] { host_.ShowRotateDialog(); }, [this] { rotateDialog_.reset(); });
}

void TNL::ResizeCommand() {
    RunTransformDialog(
        "Resize",
        [this](const TStitchContext& ctx) {
            resizeDialog_ = std::make_unique<TResizeDialog>(transform_, ctx, host_, [this] { Redraw(); });
        },
        [this] { host_.ShowResizeDialog(); }, [this] { resizeDialog_.reset(); });
}

bool TNL::NudgeSelection(float dx, float dy) {
    uint32_t bit = SelectionBit();
    if (!bit) return false;
    std::vector<TSLStitch*> moving;
    for (TSLStitch* o : Objects())
        if ((o->Flags & bit) && !(o->Flags & OF_PATTERN_MEMBER)) moving.push_back(o);
    if (moving.empty()) return false;
    TUndoStep step(Sew, "Move", moving);
    // Memos locked to a moved object move with it, as they do after a drag.
    if (std::any_of(moving.begin(), moving.end(),
                    [this](TSLStitch* o) { return Sew.Support.HasMemoLockedTo(o); }))
        step.TouchSupport();
    TStitchContext ctx = StitchContext();
    for (TSLStitch* o : moving) {
        o->Offset(dx, dy);
        o->UpdateBounds(ctx);
    }
    RefillRegionsOf(moving, dx, dy);
    MoveLockedMemos(moving, dx, dy);
    Sew.MarkModified();
    Redraw();
    return true;
}

} // namespace nl
