// Support objects from random bytes: the support list record (pictures with any bytes where the
// JPEG should be, memos, pattern creators) is refused with a reason or read; what was read draws,
// decodes its pictures and writes back to the same bytes. The first byte chooses: 0 the list
// record, otherwise the rest given straight to the picture readers (JPEG, then BMP).
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "platform/NullCanvas.h"
#include "regions/Picture.h"
#include "regions/Support.h"
#include "stitching/StitchContext.h"

using namespace nl;

namespace {
// Small enough that a hostile header cannot make the run slow.
constexpr int64_t kFuzzPixels = 1 << 20;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::span<const uint8_t> rest(data + 1, size - 1);
    if (data[0] != 0) {
        try {
            TRasterImage im = DecodeJpeg(rest, 64, kFuzzPixels);
            if (im.Argb.size() != static_cast<size_t>(im.Width) * im.Height) __builtin_trap();
        } catch (const TError&) {
        }
        try {
            TRasterImage im = DecodeBmp(rest);
            if (static_cast<int64_t>(im.Width) * im.Height <= kFuzzPixels) (void)Rotated90(im);
        } catch (const TError&) {
        }
        return 0;
    }
    TSupportBaseList list;
    try {
        TByteReader r(rest);
        TRecordReader io(r, TRecordContext{}, TRecordForm::Worksheet);
        list.Record(io);
    } catch (const TError&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    TNullCanvas canvas;
    TDrawContext dc;
    dc.Target = &canvas;
    dc.Scale = 0.05;
    for (uint8_t layer : {LAYER_BELOW, LAYER_BETWEEN, LAYER_ABOVE})
        list.Draw(layer, dc, {});
    (void)list.HitTest(10, 10, 5);
    // Written again, it reads back to the same bytes.
    TByteWriter w;
    TRecordWriter out(w, TRecordContext{}, TRecordForm::Worksheet);
    list.Record(out);
    std::vector<uint8_t> again = w.Take();
    TSupportBaseList back;
    TByteReader r2(again);
    TRecordReader io2(r2, TRecordContext{}, TRecordForm::Worksheet);
    try {
        back.Record(io2);
    } catch (const TError&) {
        __builtin_trap();
    }
    return 0;
}
