// Stitch object records (worksheet file form and object stream form), every registered kind.
#include <cstddef>
#include <cstdint>

#include "core/Errors.h"
#include "stitching/SLStitch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    if (size < 1) return 0;
    bool stream = data[0] & 1;
    TRecordContext ctx;
    ctx.Version = (data[0] & 2) ? 1004 : 1011;
    TByteReader r({data + 1, size - 1});
    try {
        for (int i = 0; i < 8 && !r.AtEnd(); ++i) {
            auto o = stream ? ReadObjectStream(r, ctx) : ReadObjectRecord(r, ctx);
            if (!o) break;
            TStitchContext sc;
            o->UpdateBounds(sc);
            Restitch(*o, sc);
            o->ApplyStitchLimits();
            TByteWriter w;
            WriteObjectRecord(w, *o, ctx);
        }
    } catch (const TError&) {
    }
    return 0;
}
