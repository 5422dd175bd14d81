// A stitch pattern record (worksheet or stream form, chosen by the first byte) from random bytes
// is refused with a reason or read; a pattern read pierces stitches, turns and mirrors without
// crashing, hanging or dividing by zero.
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "regions/Pattern.h"
#include "stitching/Overlay.h"
#include "stitching/SLStitch.h"

using namespace nl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::span<const uint8_t> rest(data + 1, size - 1);
    const TRecordForm form = (data[0] & 1) ? TRecordForm::Stream : TRecordForm::Worksheet;
    TObjectStitch pattern;
    try {
        TByteReader r(rest);
        TRecordReader io(r, TRecordContext{}, form);
        pattern.Record(io);
    } catch (const TError&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (pattern.PatternWidth < kPatternTileMin || pattern.PatternHeight < kPatternTileMin) __builtin_trap();
    TSLStitch s;
    s.Append(TSP::Plain(SP_BOUNDARY, -1234.5f, -77.f));
    s.Append(TSP::Plain(SP_BOUNDARY, 2500.f, 900.f));
    s.Append(TSP::Plain(SP_BOUNDARY, 10.f, 3000.f));
    TOverlay(pattern, 13, -29, pattern.PatternAngle).ApplyTiled(s);
    TOverlay(pattern, 0, 0, 0).ApplyMatched(s, {0.0, 44.4, 88.8}, true);
    auto copy = MakeCopy(pattern);
    MirrorH(*copy);
    MirrorV(*copy);
    Rotate90(*copy);
    return 0;
}
