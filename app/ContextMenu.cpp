// The context menus: what is offered for an outline or a curved column under the pointer (the
// structure commands in Design And Editing mode, the properties in both editing modes) and in the
// region creation modes, shown through Host, and running the chosen item.
#include "app/ContextMenu.h"

#include "app/MainForm.h"
#include "app/RegionMode.h"
#include "regions/RegionBuilder.h"
#include "stitching/SLCurve.h"
#include "ui/CurveCommands.h"
#include "ui/ObjectColour.h"

namespace nl {

namespace {
std::string PropertiesCaption(const TSLStitch& o) {
    switch (o.Kind()) {
    case KIND_CURVE:
        return static_cast<const TSLCurve&>(o).IsRail() ? "Curved Column Properties" : "Outline Properties";
    case KIND_REGION:
        return "Region Properties";
    default:
        return "Stitch Properties";
    }
}
} // namespace

std::vector<TContextItem> TNL::ContextMenuAt(int32_t x, int32_t y) {
    contextObject_ = nullptr;
    contextNode_ = -1;
    contextBlock_ = 0;
    if (IsRegionMode(mode_)) return regionMode_->MenuAt(View.WorldX(x), View.WorldY(y));
    if (IsOrderMode(mode_) && creation_ == TCreation::None)
        return OrderMenuAt(contextObject_ = ObjectAt(x, y));
    const bool layout = mode_ == TMode::ObjectLayout;
    if ((mode_ != TMode::DesignEdit && !layout) || creation_ != TCreation::None) return {};
    int32_t node = -1;
    TSLStitch* hit = ObjectAt(x, y, &node);
    contextSupport_ = -1;
    if (!hit) return SupportMenuAt(x, y);
    contextObject_ = hit;
    contextNode_ = node;
    std::vector<TContextItem> items;
    items.push_back({PropertiesCaption(*hit), CMD_PROPERTIES});
    // The thread colour (of the colour block under the pointer for a direct stitch object) and
    // whether the object's stitches are generated and shown.
    contextBlock_ =
        ColourBlockAt(*hit, static_cast<float>(View.WorldX(x)), static_cast<float>(View.WorldY(y)));
    items.push_back({ColourItemCaption(*hit), CMD_SET_COLOUR});
    if (std::string visible = VisibleItemCaption(*hit); !visible.empty()) {
        TContextItem item{visible, CMD_STITCH_VISIBLE};
        item.Checkable = true;
        item.Checked = StitchVisible(*hit);
        items.push_back(std::move(item));
    }
    if (hit->Kind() == KIND_REGION) AddJumpStartItem(items, *hit);
    if (layout) {
        // In Object Layout mode the object under the pointer is selected first when nothing is.
        bool any = false;
        for (TSLStitch* o : Objects())
            any = any || (o->Flags & OF_SELECTED_LAYOUT);
        if (!any) {
            SelectWithPartner(hit, OF_SELECTED_LAYOUT, true);
            Sew.SetCurrent(hit);
            Sew.ComputeSelectionKind();
            CommandsChanged();
            Redraw();
        }
        AddLayoutItems(items, *hit);
        return items;
    }
    if (hit->Kind() == KIND_STITCH) {
        AddPointItems(items, *hit, node);
        if (node < 0) AddOrderItems(items, *hit);
        return items;
    }
    if (hit->Kind() != KIND_CURVE) {
        AddOrderItems(items, *hit);
        return items;
    }
    AddJumpStartItem(items, *hit);
    auto& curve = static_cast<TSLCurve&>(*hit);
    for (int32_t code : {CMD_TRANSFORM_LINE, CMD_REVERSE_STITCHING, CMD_FORCE_STITCH}) {
        // "Transform To Curve" / "Transform To Line" is an outline's; a column's rails stay curves.
        if (code == CMD_TRANSFORM_LINE && curve.IsRail()) continue;
        // "Force Stitch At This Point" is offered on an inner anchor of a running outline only.
        if (code == CMD_FORCE_STITCH && !CurveCommandEnabled(code, curve, node)) continue;
        TContextItem item{CurveCommandCaption(code, curve), code};
        item.Enabled = CurveCommandEnabled(code, curve, node);
        item.Checkable = code == CMD_FORCE_STITCH;
        item.Checked = CurveCommandChecked(code, curve, node);
        items.push_back(std::move(item));
    }
    AddStructureItems(items, curve, node);
    return items;
}

void TNL::OpenContextMenu(int32_t x, int32_t y) {
    std::vector<TContextItem> items = ContextMenuAt(x, y);
    if (items.empty()) return;
    if (int32_t code = host_.PopupMenu(items, x, y)) RunContextCommand(code);
}

void TNL::RunContextCommand(int32_t code) {
    TEventScope done{*this};
    if (code == CMD_EXIT_REGION_MODE || code == CMD_CONVERT_TO_FIXED_NODE) {
        if (IsRegionMode(mode_)) regionMode_->RunMenuCommand(code);
        CommandsChanged();
        Redraw();
        return;
    }
    if (RunSupportCommand(code)) return;
    TSLStitch* target = contextObject_;
    contextObject_ = nullptr;
    if (RunOrderContextCommand(code, target)) return;
    // The object may have gone since the menu was built.
    if (!target || Sew.IndexOf(target) < 0) return;
    // Split, join, insert segment, drawing order and the stitching copy record their own steps.
    if (RunStructureCommand(code, *target, contextNode_)) {
        CommandsChanged();
        Redraw();
        return;
    }
    // Every command below but the properties is one undo step on the object.
    const char* name = code == CMD_STITCH_VISIBLE      ? "Stitch Visible"
                       : code == CMD_REVERSE_STITCHING ? "Reverse Stitching Direction"
                       : code == CMD_FORCE_STITCH      ? "Force Stitch"
                       : code == CMD_TRANSFORM_LINE    ? "Transform"
                                                       : "Edit";
    TUndoStep step(Sew, name, {target});
    if (code == CMD_PROPERTIES) {
        step.Cancel();
        ShowProperties(*target);
    } else if (code == CMD_SET_COLOUR) {
        PickObjectColour({target}, contextBlock_);
    } else if (code == CMD_STITCH_VISIBLE) {
        SetStitchVisible(*target, !StitchVisible(*target), StitchContext());
        Sew.MarkModified();
    } else if (target->Kind() == KIND_STITCH) {
        RunPointCommand(code, *target, contextNode_);
        return;
    } else if (target->Kind() == KIND_CURVE) {
        auto& curve = static_cast<TSLCurve&>(*target);
        TKvRect before = curve.Bounds;
        if (!RunCurveCommand(code, curve, contextNode_, StitchContext())) return;
        Sew.MarkModified();
        // Straightening changes the path that regions are built on.
        if (code == CMD_TRANSFORM_LINE) OutlineChanged(curve, before);
        // Reversing leaves the path where it was but numbers its samples the other way round:
        // regions on it (or on the partner rail, reversed with it) renumber their nodes.
        if (code == CMD_REVERSE_STITCHING) {
            RegionsFollowReversedOutline(Objects(), curve, StitchContext());
            if (curve.PartnerRail && curve.PartnerRail != &curve)
                RegionsFollowReversedOutline(Objects(), *curve.PartnerRail, StitchContext());
        }
    }
    CommandsChanged();
    Redraw();
}

} // namespace nl
