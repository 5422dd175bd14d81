// The machine formats the program knows, as one table: one row per format with its export code,
// its places in the export and import dialogs, its extension, reader, writer and side file. The
// dialog filters and every lookup (by file name, extension or filter index) are derived from the
// rows, so a new format is one row in Formats.cpp plus its codec unit.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

// Export format codes (also stored in worksheet files). Several rows may share a code: a code
// names a family of files a machine reads alike.
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

// The entry functions of a codec unit: the writer turns a design into the file's bytes (the
// colours of its colour blocks go to state.Colours), the reader appends a file's points to an
// import. Both throw TError (the reader TReadError) with the reason when they cannot.
using TWriterEntry = std::vector<uint8_t> (*)(const TExportPlan& plan, TExportState& state);
using TReaderEntry = void (*)(std::span<const uint8_t> bytes, TImportBuilder& out);

// What the colour side file (.edr) does for a format.
enum class TSideFile : uint8_t {
    None,       // neither written nor read (the scaleable design keeps its own colours)
    ExportOnly, // written beside exports; imports take their colours from the file itself
    Both,       // written beside exports and read back on import
};

// How far a format is supported by this build (from its reader and writer).
enum class TFormatStatus : uint8_t { Planned, ReadOnly, WriteOnly, ReadWrite };

struct TFormat {
    const char* Extension;    // without the dot, as the dialogs show it ("dst", "NlD")
    const char* Description;  // the dialog's text before the pattern ("Tajima")
    int32_t Code;             // export format code
    int ExportFilter;         // 1-based entry of the export dialog's filter; 0: not offered
    int ImportFilter;         // 1-based entry of the import dialog's filter (1 is every format); 0: none
    TReaderEntry Read;        // null: this build cannot read it
    TWriterEntry Write;       // null: this build cannot write it
    TSideFile SideFile;       // what the colour side file does for it
    const char* ImportStatus; // the status line while a file is read
    // The export dialog's text when it differs from the import dialog's; null: Description.
    const char* ExportDescription = nullptr;

    TFormatStatus Status() const {
        if (Read && Write) return TFormatStatus::ReadWrite;
        if (Read) return TFormatStatus::ReadOnly;
        if (Write) return TFormatStatus::WriteOnly;
        return TFormatStatus::Planned;
    }
    bool ExportSideFile() const { return SideFile != TSideFile::None; }
    bool ImportSideFile() const { return SideFile == TSideFile::Both; }
    // The extension an export with this format's filter forces, with its dot.
    std::string DottedExtension() const { return std::string(".") + Extension; }
};

// Every row of the table, in the order of the import dialog's first entry.
std::span<const TFormat> Formats();

// The dialogs' filter strings: "Description ( *.ext )|*.ext|..." in filter order.
const std::string& ExportFilter();
const std::string& ImportFilter();
constexpr int EXPORT_DEFAULT_FILTER_INDEX = 3; // the Tajima entry
constexpr int IMPORT_DEFAULT_FILTER_INDEX = 1; // all supported formats

// The format of an export file name: its last three characters, upper-cased, against the rows'
// extensions; null when they name no format.
const TFormat* ExportFormatOfName(const std::string& name);
// The row whose extension this is (any case); null when none.
const TFormat* FormatOfExtension(std::string_view extension);
// The row of an export filter entry; null for an index outside the filter.
const TFormat* ExportFormatOfFilter(int filterIndex);
// The row of an import filter entry; the first entry (and any index outside the filter) chooses
// by the file's extension. Null when the extension names no format.
const TFormat* ImportFormatOfFilter(int filterIndex, const std::string& fileName);

// Extension an export filter index forces, with its dot; empty for another index.
std::string ExportExtensionOfFilter(int filterIndex);
// Folder of the chosen name + its base name (up to the first ".") + the filter's extension.
std::string ForcedExportName(const std::string& chosen, int filterIndex);
// Extension of an import file: the text after the last ".", lower-cased, when it is exactly
// three characters long; empty otherwise.
std::string ImportExtension(const std::string& fileName);

} // namespace nl
