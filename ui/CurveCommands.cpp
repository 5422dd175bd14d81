#include "ui/CurveCommands.h"

#include "stitching/SLCurve.h"

namespace nl {

namespace {
bool IsInnerAnchor(const TSLCurve& c, int32_t node) {
    return node > 0 && node < c.Count() - 1 && node % 3 == 0;
}
} // namespace

std::string CurveCommandCaption(int32_t code, const TSLCurve& curve) {
    switch (code) {
    case CMD_REVERSE_STITCHING:
        return "Reverse Stitching Direction";
    case CMD_FORCE_STITCH:
        return "Force Stitch At This Point";
    case CMD_TRANSFORM_LINE:
        return curve.IsLineObject() ? "Transform To Curve" : "Transform To Line";
    default:
        return {};
    }
}

bool CurveCommandEnabled(int32_t code, const TSLCurve& curve, int32_t node) {
    switch (code) {
    case CMD_REVERSE_STITCHING:
        return curve.SegmentCount() > 0 && !(curve.Flags & OF_RAIL_B && !curve.PartnerRail);
    case CMD_FORCE_STITCH:
        return (curve.Flags & OF_RUNNING) && !curve.Outlines && IsInnerAnchor(curve, node);
    case CMD_TRANSFORM_LINE:
        return curve.SegmentCount() > 0 && !curve.IsRail();
    default:
        return false;
    }
}

bool CurveCommandChecked(int32_t code, const TSLCurve& curve, int32_t node) {
    return code == CMD_FORCE_STITCH && node >= 0 && node < curve.Count() && (curve[node].Flags & SP_FORCE);
}

bool RunCurveCommand(int32_t code, TSLCurve& curve, int32_t node, const TStitchContext& ctx) {
    if (!CurveCommandEnabled(code, curve, node)) return false;
    switch (code) {
    case CMD_REVERSE_STITCHING:
        curve.ReverseStitching(ctx);
        return true;
    case CMD_FORCE_STITCH:
        return curve.ToggleForce(node, ctx);
    case CMD_TRANSFORM_LINE:
        curve.ToggleLine(ctx);
        return true;
    default:
        return false;
    }
}

} // namespace nl
