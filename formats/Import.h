// Import of machine stitch files: the choice of the format, the reading, and the new direct stitch
// object the decoded points become. The command around it (dialog, messages) is the controller's;
// the desktop and nordelune-cli read files through these same steps.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "core/Errors.h"
#include "formats/Formats.h"
#include "formats/SideFile.h"
#include "stitching/SLStitch.h"
#include "worksheet/WorksheetSettings.h" // the remembered export and import state

namespace nl {

class TSew;

// Why an import failed.
enum class TImportFault : uint8_t {
    UnknownFormat, // the extension names no format
    NoReader,      // a format this build cannot read
    CannotOpen,    // the file cannot be read from disk
    Damaged,       // the reader refused the bytes
    NoStitches,    // read without error, but no point decoded
};

// A failed import: the file, what kind of failure, and the reason in plain words (the reader's,
// for a damaged file). what() is "<file>: <reason>".
class TImportError : public TReadError {
public:
    TImportError(TImportFault fault, const std::string& file, const std::string& reason)
        : TReadError(file + ": " + reason), Fault(fault), File(file), Reason(reason) {}
    TImportFault Fault;
    std::string File;
    std::string Reason;
};

// A stitch file that decodes without error but holds no point.
class TNoStitchesError : public TReadError {
public:
    TNoStitchesError() : TReadError("the file holds no stitches") {}
};

// Decodes a stitch file's bytes into a new direct stitch object whose points start at (x, y).
// Throws TReadError naming the problem (not the file) when the bytes are not a readable file of
// that format, the format has no reader, or no point was decoded (TNoStitchesError).
std::unique_ptr<TSLStitch> DecodeStitchFile(std::span<const uint8_t> bytes, const TFormat& format,
                                            TImportColours& colours, float x, float y);

// The format an import reads `file` with: the import dialog's filter entry, or, for the first
// entry, the file's extension. Throws TImportError (UnknownFormat, NoReader).
const TFormat& ChooseImportFormat(const std::filesystem::path& file,
                                  int filterIndex = IMPORT_DEFAULT_FILTER_INDEX);

// Reads a file into a new direct stitch object placed from (x, y), with the colours of its side
// file when the format keeps them there. Throws TImportError (CannotOpen, Damaged, NoStitches).
std::unique_ptr<TSLStitch> ReadStitchFile(const std::filesystem::path& file, const TFormat& format,
                                          float x = 0, float y = 0);
// Both steps: chooses the format by the filter entry (the first: by extension) and reads.
std::unique_ptr<TSLStitch> ReadStitchFile(const std::filesystem::path& file,
                                          int filterIndex = IMPORT_DEFAULT_FILTER_INDEX, float x = 0,
                                          float y = 0);

// Adds an imported object to the worksheet in a new layout group, last in sewing order.
TSLStitch* AddImport(TSew& sew, std::unique_ptr<TSLStitch> object);

} // namespace nl
