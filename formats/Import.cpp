#include "formats/Import.h"

#include <algorithm>

#include "core/FileIO.h"
#include "formats/ImportBuilder.h"
#include "worksheet/Sew.h"

namespace nl {

namespace {
// Larger than any stitch file a machine takes; a larger file is refused before it is read.
constexpr uint64_t kMaxStitchFile = 64ull << 20; // some 20 million DST stitches
} // namespace

std::unique_ptr<TSLStitch> DecodeStitchFile(std::span<const uint8_t> bytes, const TFormat& format,
                                            TImportColours& colours, float x, float y) {
    if (!format.Read) throw TReadError("this file format cannot be read yet");
    auto object = std::make_unique<TSLStitch>();
    TImportBuilder builder(*object, colours, x, y);
    format.Read(bytes, builder);
    if (object->Empty()) throw TNoStitchesError();
    // Trim the storage only when much of it is unused: the copy costs more than a few spare slots.
    auto& raw = object->Raw();
    if (raw.capacity() - raw.size() > raw.size() / 8 + 64) raw.shrink_to_fit();
    object->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    // The bounds UpdateBounds would give (imported points carry no jumps), from the extremes the
    // builder kept in whole units: imports can hold millions of points.
    object->Bounds = builder.PointBounds();
    object->Bounds.Inflate(std::max<int32_t>(1, TStitchContext{}.SelectionMargin));
    return object;
}

const TFormat& ChooseImportFormat(const std::filesystem::path& file, int filterIndex) {
    const std::string name = file.string();
    const TFormat* format = ImportFormatOfFilter(filterIndex, name);
    if (!format)
        throw TImportError(TImportFault::UnknownFormat, name,
                           "not a stitch file this program knows (by its extension)");
    if (!format->Read)
        throw TImportError(TImportFault::NoReader, name, "this file format cannot be read yet");
    return *format;
}

std::unique_ptr<TSLStitch> ReadStitchFile(const std::filesystem::path& file, const TFormat& format, float x,
                                          float y) {
    const std::string name = file.string();
    if (!format.Read) throw TImportError(TImportFault::NoReader, name, "this file format cannot be read yet");
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(file, kMaxStitchFile);
    } catch (const TError& e) {
        // The text starts with the file name already.
        std::string reason = e.what();
        if (reason.rfind(name + ": ", 0) == 0) reason.erase(0, name.size() + 2);
        throw TImportError(TImportFault::CannotOpen, name, reason);
    }
    TImportColours colours = format.ImportSideFile() ? OpenImportColours(file) : TImportColours();
    try {
        return DecodeStitchFile(bytes, format, colours, x, y);
    } catch (const TNoStitchesError& e) {
        throw TImportError(TImportFault::NoStitches, name, e.what());
    } catch (const TError& e) {
        throw TImportError(TImportFault::Damaged, name, e.what());
    }
}

std::unique_ptr<TSLStitch> ReadStitchFile(const std::filesystem::path& file, int filterIndex, float x,
                                          float y) {
    return ReadStitchFile(file, ChooseImportFormat(file, filterIndex), x, y);
}

TSLStitch* AddImport(TSew& sew, std::unique_ptr<TSLStitch> object) {
    object->GroupId = sew.Groups.NewGroup();
    object->OrderIndex = 0;
    return sew.Add(std::move(object));
}

} // namespace nl
