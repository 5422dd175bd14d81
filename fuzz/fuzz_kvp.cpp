// A stitch overlay pattern file from random bytes is refused with a reason or read; a file read
// writes back to bytes that read again to the same bytes, and its pattern copy pierces stitches,
// turns and mirrors without crashing, hanging or dividing by zero.
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

#include "core/Errors.h"
#include "formats/PatternFile.h"
#include "regions/Pattern.h"
#include "stitching/Overlay.h"

using namespace nl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<TObjectStitch> pattern;
    try {
        pattern = ReadPatternFile(std::span(data, size));
    } catch (const TError&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (pattern->Bounds.Right < pattern->Bounds.Left || pattern->Bounds.Bottom < pattern->Bounds.Top)
        __builtin_trap();
    if (pattern->ItemCount != static_cast<int32_t>(pattern->Items.size())) __builtin_trap();
    // What was read writes back to a file that reads to the same bytes.
    const std::vector<uint8_t> bytes = PatternFileBytes(*pattern);
    if (PatternFileBytes(*ReadPatternFile(bytes)) != bytes) __builtin_trap();
    auto copy = MakeCopy(*pattern);
    if (copy->PatternWidth < kPatternTileMin || copy->PatternHeight < kPatternTileMin) __builtin_trap();
    TSLStitch s;
    s.Append(TSP::Plain(SP_BOUNDARY, -1234.5f, -77.f));
    s.Append(TSP::Plain(SP_BOUNDARY, 2500.f, 900.f));
    s.Append(TSP::Plain(SP_BOUNDARY, 10.f, 3000.f));
    TOverlay(*copy, 13, -29, copy->PatternAngle).ApplyTiled(s);
    MirrorH(*copy);
    Rotate90(*copy);
    SetTileSize(*copy, 333, 77);
    return 0;
}
