// The attribute record of the clipboard from random bytes is refused with a reason, passed over as
// not an attribute record, or read; a pattern read from it writes back to the same record and
// pierces stitches without crashing, hanging or dividing by zero.
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

#include "core/Errors.h"
#include "formats/AttributeClipboard.h"
#include "regions/Pattern.h"
#include "stitching/Overlay.h"

using namespace nl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<std::unique_ptr<TObjectStitch>> pattern;
    try {
        pattern = ReadAttributePattern(std::span(data, size));
    } catch (const TError&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!pattern || !*pattern) return 0;
    const TObjectStitch& p = **pattern;
    if (!p.IsCopy() || p.PatternWidth < kPatternTileMin || p.PatternHeight < kPatternTileMin)
        __builtin_trap();
    const std::vector<uint8_t> bytes = PatternAttributeBytes(1, &p);
    auto again = ReadAttributePattern(bytes);
    if (!again || !*again || PatternAttributeBytes(1, again->get()) != bytes) __builtin_trap();
    TSLStitch s;
    s.Append(TSP::Plain(SP_BOUNDARY, -1234.5f, -77.f));
    s.Append(TSP::Plain(SP_BOUNDARY, 2500.f, 900.f));
    TOverlay(p, 13, -29, p.PatternAngle).ApplyTiled(s);
    return 0;
}
