// The check every machine-format fuzz target makes: whatever the reader accepts is written back
// in the same format, and reading and writing that again changes nothing (a conversion of a
// converted file gives the same file). The format comes from its row in the format table.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Errors.h"
#include "formats/Formats.h"
#include "formats/Import.h"

namespace nl::fuzz {

inline std::vector<uint8_t> WriteAs(const TFormat& format, const TSLStitch& object) {
    TExportPlan plan({const_cast<TSLStitch*>(&object)});
    TExportState state;
    return format.Write(plan, state);
}

inline int ReadWriteRead(const uint8_t* data, size_t size, const char* extension) {
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
        once = WriteAs(format, *object);
    } catch (const TError&) {
        return 0; // a design the format cannot hold (too large, too many colours) is refused
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
    if (WriteAs(format, *again) != once) __builtin_trap();
    return 0;
}

} // namespace nl::fuzz
