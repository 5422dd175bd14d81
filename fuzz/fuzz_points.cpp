// Point and rectangle records, worksheet and stream forms.
#include <cstddef>
#include <cstdint>

#include "core/Errors.h"
#include "core/KvRect.h"
#include "core/PointList.h"
#include "core/PointRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    if (size < 1) return 0;
    TByteReader r({data + 1, size - 1});
    TPointList list;
    try {
        TRecordContext ctx{static_cast<int32_t>(data[0]) - 128, 7};
        while (!r.AtEnd()) {
            switch (r.U8() % 3) {
            case 0: list.Append(ReadPointRecord(r)); break;
            case 1: list.Append(ReadPointStream(r, ctx)); break;
            default: {
                TKvRect rect;
                rect.ReadRelative(r, ctx.OriginX, ctx.OriginY);
                (void)rect.Width();
            }
            }
        }
    } catch (const TError&) {
    }
    return 0;
}
