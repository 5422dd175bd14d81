#include "ui/CompensationView.h"

#include "stitching/SLStitch.h"
#include "worksheet/Sew.h"

namespace nl {

void SetShowCompensation(TSew& sew, TStitchContext& ctx, bool on) {
    if (ctx.View.ShowCompensation == on) return;
    ctx.View.ShowCompensation = on;
    for (int32_t i = 0; i < sew.Count(); ++i) {
        TSLStitch* o = sew[i];
        // Rail B regenerates through rail A; direct stitch objects have nothing to regenerate.
        if ((o->Flags & OF_RAIL_B) || o->Kind() == KIND_STITCH) continue;
        Restitch(*o, ctx);
    }
}

} // namespace nl
