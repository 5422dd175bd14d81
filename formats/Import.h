// Import of machine stitch files: the command's dialog, the choice of reader, and the new direct
// stitch object the decoded points become.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/Errors.h"
#include "formats/Formats.h"
#include "formats/SideFile.h"
#include "stitching/SLStitch.h"

namespace nl {

class Host;
class TSew;

// What the import command remembers between imports (and the worksheet file stores).
struct TImportSession {
    std::string FileName = "Untitled";
    int FilterIndex = IMPORT_DEFAULT_FILTER_INDEX;
};

// A stitch file that decodes without error but holds no point.
class TNoStitchesError : public TReadError {
public:
    TNoStitchesError() : TReadError("the file holds no stitches") {}
};

// Decodes a stitch file's bytes into a new direct stitch object whose points start at (x, y).
// Throws TReadError naming the problem (not the file) when the bytes are not a readable file of
// that kind, the reader is not available, or no point was decoded.
std::unique_ptr<TSLStitch> DecodeStitchFile(std::span<const uint8_t> bytes, TReaderKind kind,
                                            TImportColours& colours, float x, float y);

// Reads a file into a new direct stitch object, with the colours of its side file when the format
// uses one. Throws TReadError whose text starts with the file name.
std::unique_ptr<TSLStitch> ReadStitchFile(const std::filesystem::path& file, TReaderKind kind, float x = 0,
                                          float y = 0);

// The import command's open dialog. Returns the chosen file name (and remembers it and the
// filter index), or nothing when the user cancelled.
std::optional<std::string> ChooseImportFile(Host& host, TImportSession& session);

// Adds the stitches of `file` to the worksheet as one new direct stitch object in a new group,
// placed from (x, y). Problems are shown through the host, and then nothing is added. Returns the
// new object or null. A file of an unsupported kind leaves "Undefined" as the session's remembered
// name when a session is given.
TSLStitch* ImportStitchFile(TSew& sew, const std::filesystem::path& file, Host& host, float x, float y,
                            int filterIndex = IMPORT_DEFAULT_FILTER_INDEX, TImportSession* session = nullptr);

} // namespace nl
