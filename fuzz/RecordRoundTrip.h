// The body of the fuzz targets of the record formats (XXX, DAT, 10O, KSM): read whatever comes,
// write back what was read, and check that reading and writing again changes nothing, so that a
// conversion of a converted file gives the same file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Errors.h"
#include "formats/Import.h"

namespace nl::fuzz {

inline std::vector<uint8_t> Write(const TFormat& format, const TSLStitch& object) {
    TExportPlan plan({const_cast<TSLStitch*>(&object)});
    TExportState state;
    return format.Write(plan, state);
}

inline int ReadWriteRead(const char* extension, const uint8_t* data, size_t size) {
    const TFormat& format = *FormatOfExtension(extension);
    std::unique_ptr<TSLStitch> object;
    try {
        TImportColours colours;
        object = DecodeStitchFile(std::span<const uint8_t>(data, size), format, colours, 0, 0);
    } catch (const TReadError&) {
        return 0;
    }
    std::vector<uint8_t> once;
    try {
        once = Write(format, *object);
    } catch (const TError&) {
        return 0; // a design the format cannot hold (too wide for a XXX header) is refused
    }
    TImportColours colours;
    auto again = DecodeStitchFile(once, format, colours, 0, 0);
    // The same points come back (the writer's tie stitches are not points), relative to the
    // first: a file starts where the one it was read from had its centre ...
    if (again->Count() != object->Count()) __builtin_trap();
    const TSP &a0 = (*object)[0], &b0 = (*again)[0];
    for (int32_t i = 0; i < object->Count(); ++i) {
        const TSP &a = (*object)[i], &b = (*again)[i];
        if (a.X - a0.X != b.X - b0.X || a.Y - a0.Y != b.Y - b0.Y || a.Flags != b.Flags) __builtin_trap();
    }
    // ... and are written as the same file.
    if (Write(format, *again) != once) __builtin_trap();
    return 0;
}

} // namespace nl::fuzz
