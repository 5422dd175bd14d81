// Fuzzes the JEF reader, writes back as JEF whatever it reads, and checks that reading and
// writing again changes nothing: a conversion of a converted file gives the same file, colours
// (palette indices) included.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Errors.h"
#include "formats/Import.h"
#include "formats/Jef.h"

namespace {
std::vector<uint8_t> Write(const nl::TSLStitch& object) {
    nl::TExportPlan plan({const_cast<nl::TSLStitch*>(&object)});
    nl::TExportState state;
    return nl::WriteJefStamped(plan, state, "20240102030405");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    const TFormat& jef = *FormatOfExtension("jef");
    std::unique_ptr<TSLStitch> object;
    try {
        TImportColours colours;
        object = DecodeStitchFile(std::span<const uint8_t>(data, size), jef, colours, 0, 0);
    } catch (const TReadError&) {
        return 0;
    }
    std::vector<uint8_t> once;
    try {
        once = Write(*object);
    } catch (const TError&) {
        return 0; // a design beyond any hoop is refused, not written
    }
    TImportColours colours;
    auto again = DecodeStitchFile(once, jef, colours, 0, 0);
    if (again->Count() != object->Count()) __builtin_trap();
    const TSP &a0 = (*object)[0], &b0 = (*again)[0];
    for (int32_t i = 0; i < object->Count(); ++i) {
        const TSP &a = (*object)[i], &b = (*again)[i];
        if (a.X - a0.X != b.X - b0.X || a.Y - a0.Y != b.Y - b0.Y || a.Flags != b.Flags) __builtin_trap();
    }
    if (Write(*again) != once) __builtin_trap();
    return 0;
}
