// The "Show All Design Compensation " view option: the worksheet can show the design without
// compensation while exports (TStitchContext::ForExport) always carry it.
#pragma once
#include "stitching/StitchContext.h"

namespace nl {

class TSew;

constexpr const char* SHOW_COMPENSATION_CAPTION = "Show All Design Compensation ";
constexpr const char* SHOW_COMPENSATION_HINT =
    "View With  All Design Compensation Suppressed ( does not affect output )";

// Switches the option and regenerates the objects whose stitches depend on it.
void SetShowCompensation(TSew& sew, TStitchContext& ctx, bool on);

} // namespace nl
