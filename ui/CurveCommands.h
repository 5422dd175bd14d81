// The outline commands of the object's context menu, by command code: captions, whether they
// apply to the node under the pointer, and running them on the curve.
#pragma once
#include <cstdint>
#include <string>

#include "stitching/StitchContext.h"

namespace nl {

class TSLCurve;

enum : int32_t {
    CMD_REVERSE_STITCHING = 61,
    CMD_FORCE_STITCH = 63,
    CMD_TRANSFORM_LINE = 192,
};

// Caption of the command for this curve ("Transform To Curve" on a line object, else
// "Transform To Line"); empty for an unknown code.
std::string CurveCommandCaption(int32_t code, const TSLCurve& curve);
// Whether the menu offers the command for the node under the pointer (-1: none). "Force Stitch At
// This Point" is offered on an inner anchor of a running outline.
bool CurveCommandEnabled(int32_t code, const TSLCurve& curve, int32_t node);
// Checked state of the menu item ("Force Stitch At This Point" when the node carries the flag).
bool CurveCommandChecked(int32_t code, const TSLCurve& curve, int32_t node);
// Runs the command; false when it does not apply.
bool RunCurveCommand(int32_t code, TSLCurve& curve, int32_t node, const TStitchContext& ctx);

} // namespace nl
