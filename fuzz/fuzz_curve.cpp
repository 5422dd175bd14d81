// Fuzz target for the curve's worksheet record and object stream readers (width profile,
// pattern copy, feather and jump list included). The first byte picks the reader and the file
// version; whatever reads back must write and read again.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "stitching/SLCurve.h"

using namespace nl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool stream = (data[0] & 1) != 0;
    static const int32_t versions[] = {1002, 1003, 1004, 1005, 1007, 1011};
    TRecordContext ctx;
    ctx.Version = versions[(data[0] >> 1) % 6];
    ctx.OriginX = 100;
    ctx.OriginY = -50;
    TByteReader r(std::span<const uint8_t>(data + 1, size - 1));
    std::unique_ptr<TSLStitch> obj;
    try {
        obj = stream ? ReadObjectStream(r, ctx) : ReadObjectRecord(r, ctx);
    } catch (const TError&) {
        return 0;
    }
    if (!obj) return 0;
    TByteWriter w;
    if (stream)
        WriteObjectStream(w, *obj, ctx);
    else
        WriteObjectRecord(w, *obj, ctx);
    TByteReader again(w.Data());
    try {
        if (stream)
            ReadObjectStream(again, ctx);
        else
            ReadObjectRecord(again, ctx);
    } catch (const TError&) {
        __builtin_trap(); // what was written must read back
    }
    return 0;
}
