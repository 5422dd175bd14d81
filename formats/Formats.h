// The machine formats the program knows: export codes, extensions, dialog filters, and which
// writer and reader serve each. A format adds its writer and reader to the tables in Formats.cpp.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

// Export format codes (also stored in worksheet files).
enum : int32_t {
    FORMAT_NONE = -1,
    FORMAT_PEC = 0,
    FORMAT_DST = 1,
    FORMAT_EXP = 2,
    FORMAT_KSM = 3,
    FORMAT_DAT = 4,
    FORMAT_10O = 5,
    FORMAT_DESIGN = 6, // the scaleable design file
    FORMAT_XXX = 7,
    FORMAT_JEF = 8,
    FORMAT_HUS = 9,
    FORMAT_VIP = 10,
};

extern const char* const EXPORT_FILTER;
extern const char* const IMPORT_FILTER;
constexpr int EXPORT_DEFAULT_FILTER_INDEX = 3; // Tajima
constexpr int IMPORT_DEFAULT_FILTER_INDEX = 1; // all supported formats

// Export format of a file name from its last three characters, upper-cased; FORMAT_NONE when
// they name no format.
int32_t ExportFormatOfName(const std::string& name);
// Extension an export filter index (1..11) forces, with its dot; empty for another index.
std::string ExportExtensionOfFilter(int filterIndex);
// Folder of the chosen name + its base name (up to the first ".") + the filter's extension.
std::string ForcedExportName(const std::string& chosen, int filterIndex);

enum class TReaderKind { None, PecPes, Dst, HusVip, Exp, Ksm, Dat, TenO, Xxx, Jef, Design };

// Extension of an import file: the text after the last ".", lower-cased, when it is exactly
// three characters long; empty otherwise.
std::string ImportExtension(const std::string& fileName);
TReaderKind ReaderOfExtension(const std::string& extension);
// Reader for an import filter index (1 chooses by the file's extension).
TReaderKind ReaderOfFilter(int filterIndex, const std::string& fileName);

using TWriterEntry = std::vector<uint8_t> (*)(const TExportPlan& plan, TExportState& state);
using TReaderEntry = void (*)(std::span<const uint8_t> bytes, TImportBuilder& out);

struct TReaderInfo {
    TReaderEntry Read = nullptr; // null: not available in this build
    const char* StatusText = ""; // shown in the status line while reading
    bool UsesSideFile = true;    // colours from the side file beside the import file
};

// Writer of an export format; null when the format cannot be written by this build.
TWriterEntry WriterOf(int32_t format);
// Whether an export in this format gets a colour side file.
bool FormatHasSideFile(int32_t format);
TReaderInfo ReaderOf(TReaderKind kind);

} // namespace nl
