// Fuzzes the Brother reader (seeded with PEC files), writes back as PEC whatever it reads, and
// checks that reading and writing again changes nothing: a conversion of a converted file gives
// the same file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Errors.h"
#include "formats/Import.h"
#include "formats/Pec.h"

namespace {
std::vector<uint8_t> Write(const nl::TSLStitch& object) {
    nl::TExportPlan plan({const_cast<nl::TSLStitch*>(&object)});
    nl::TExportState state;
    state.DesignName = "fuzz";
    return nl::WritePec(plan, state);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    const TFormat& format = *FormatOfExtension("pec");
    std::unique_ptr<TSLStitch> object;
    try {
        TImportColours colours;
        object = DecodeStitchFile(std::span<const uint8_t>(data, size), format, colours, 0, 0);
    } catch (const TReadError&) {
        return 0;
    }
    std::vector<uint8_t> once;
    try {
        once = Write(*object);
    } catch (const TError&) {
        return 0; // more than 255 colour blocks, or a design too large, is refused
    }
    TImportColours colours;
    auto again = DecodeStitchFile(once, format, colours, 0, 0);
    // The same points come back (the writer's ties are not points), relative to the first; their
    // colours become the nearest palette codes ...
    if (again->Count() != object->Count()) __builtin_trap();
    const TSP &a0 = (*object)[0], &b0 = (*again)[0];
    for (int32_t i = 0; i < object->Count(); ++i) {
        const TSP &a = (*object)[i], &b = (*again)[i];
        if (a.X - a0.X != b.X - b0.X || a.Y - a0.Y != b.Y - b0.Y || a.Flags != b.Flags) __builtin_trap();
    }
    // ... and are written as the same file.
    if (Write(*again) != once) __builtin_trap();
    return 0;
}
