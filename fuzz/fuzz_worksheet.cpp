// A worksheet file read from random bytes is refused with a reason or accepted; an accepted one
// never crashes its regeneration, drawing, export or saving again.
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

#include "core/Errors.h"
#include "formats/Export.h"
#include "formats/ExportWalk.h"
#include "formats/Formats.h"
#include "formats/Worksheet.h"
#include "platform/NullCanvas.h"
#include "worksheet/Sew.h"

using namespace nl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TSew sew;
    try {
        ReadWorksheetBytes(std::span<const uint8_t>(data, size), sew, "fuzz.Nl1");
    } catch (const TError&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    TStitchContext ctx;
    TNullCanvas canvas;
    TDrawContext dc;
    dc.Target = &canvas;
    dc.Scale = 0.2;
    for (const auto& o : sew) {
        o->DrawEdit(dc);
        o->DrawLayout(dc);
    }
    // What an export writes: every stitched object regenerated for output, through a writer.
    std::vector<TSLStitch*> order = sew.BuildWorksheetOrder();
    {
        TOutputGuard guard(order, ctx);
        TExportPlan plan(order);
        if (const TFormat* dst = ExportFormatOfName("x.dst"); dst && dst->Write && !plan.Empty()) {
            TExportState state;
            try {
                (void)dst->Write(plan, state);
            } catch (const TError&) {
            }
        }
    }
    for (const auto& o : sew)
        Restitch(*o, ctx);
    // Saved again, it reads back.
    std::vector<uint8_t> again = WorksheetBytes(sew, "fuzz.Nl1");
    TSew back;
    try {
        ReadWorksheetBytes(again, back, "fuzz.Nl1");
    } catch (const TError&) {
        __builtin_trap(); // a worksheet we wrote must read back
    }
    return 0;
}
