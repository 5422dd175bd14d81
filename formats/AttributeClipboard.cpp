#include "formats/AttributeClipboard.h"

#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "core/RecordIO.h"

namespace nl {

namespace {
// The attributes before the pattern, by the size of their value when included: visibility;
// the stitch type (two bytes and an integer); colour, density, fill angle, running density,
// pitch, offset, passes; split pitch; compensation.
constexpr size_t kBeforePattern[] = {1, 1 + 1 + 4, 4, 4, 4, 4, 4, 4, 4, 1, 4};
// After it: use underlay; underlay type, density, pitch, offset; the underlay rotation choice
// (three bytes, two integers); the underlay margin.
constexpr size_t kAfterPattern[] = {1, 4, 4, 4, 4, 3 + 4 + 4, 4};

void SkipItems(TByteReader& r, std::span<const size_t> sizes) {
    for (size_t size : sizes)
        if (r.Bool()) r.Skip(size);
}
} // namespace

std::vector<uint8_t> PatternAttributeBytes(uint8_t sourceKind, const TObjectStitch* pattern) {
    TByteWriter w;
    w.I32(CLIPBOARD_ATTRIBUTES_MAGIC);
    w.U8(sourceKind);
    for (size_t i = 0; i < std::size(kBeforePattern); ++i)
        w.U8(0);
    w.U8(1); // [Overlay Pattern]
    w.U8(pattern ? 1 : 0);
    if (pattern) {
        // The pattern's clipboard form: its own fields and objects with the paste origin at 0,0.
        TRecordWriter io(w, TRecordContext{}, TRecordForm::Stream);
        pattern->Record(io);
    }
    for (size_t i = 0; i < std::size(kAfterPattern); ++i)
        w.U8(0);
    // The minimum and maximum stitch distance flags and the limits are always written.
    w.U8(0);
    w.U8(0);
    w.I32(0);
    return w.Take();
}

std::optional<std::unique_ptr<TObjectStitch>> ReadAttributePattern(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4) return std::nullopt;
    TByteReader r(bytes);
    if (r.I32() != CLIPBOARD_ATTRIBUTES_MAGIC) return std::nullopt;
    r.U8(); // the source kind
    SkipItems(r, kBeforePattern);
    std::unique_ptr<TObjectStitch> pattern;
    if (r.Bool() && r.Bool()) {
        pattern = std::make_unique<TObjectStitch>();
        TRecordReader io(r, TRecordContext{}, TRecordForm::Stream);
        pattern->Record(io);
        // Only a pattern copy carries its drawing; a bare header is no pattern to apply.
        if (!pattern->IsCopy()) throw TReadError("the clipboard's pattern has no drawing");
    }
    SkipItems(r, kAfterPattern);
    r.Skip(1 + 1 + 4);
    return pattern;
}

} // namespace nl
