// The worksheet file (".Nl1"): the program's own document. It holds every stitch object with its
// points and attributes, the support objects, the hole and overlay lists, the layout groups and
// the view and tool settings. One field list writes and reads it; readers take every version up
// to the current one and skip what an older version lacks; the writer writes the current one.
#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "core/Errors.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSew;

constexpr const char* WORKSHEET_HEADER = "NordeluneV1.0(2004)";
constexpr const char* WORKSHEET_EXTENSION = "Nl1";
// The worksheet file type as the open and save dialogs name it.
constexpr const char* WORKSHEET_DIALOG_FILTER = "Nordelune Worksheet ( *.Nl1 )|*.Nl1";

// Why a worksheet could not be read or written.
enum class TWorksheetFault : uint8_t {
    NotFound,      // no file of that name
    NotAWorksheet, // the header is not the worksheet header
    Newer,         // written by a newer version of the program
    Damaged,       // the bytes do not parse (the reason says what is wrong)
    CannotWrite,   // saving failed; the previous file is untouched
};

class TWorksheetError : public TError {
public:
    TWorksheetError(TWorksheetFault fault, const std::string& file, const std::string& reason)
        : TError(file + ": " + reason), Fault(fault), File(file), Reason(reason) {}
    TWorksheetFault Fault;
    std::string File;
    std::string Reason;
};

// What one read found, for reports (nordelune-cli info).
struct TWorksheetInfo {
    int32_t Version = 0;
    std::string StoredFileName; // the name the file records as its own
};

// The file's bytes for `sew` saved under `fileName` (the name the file records as its own). Sets
// every object's Mark and every support object's ListIndex to its list position first:
// references between records are stored as these indices.
std::vector<uint8_t> WorksheetBytes(TSew& sew, const std::string& fileName);

// Reads a worksheet from bytes into `sew`, which should be a fresh worksheet: its settings are
// the values kept for fields an older version lacks. Runs the after-load steps (rails paired,
// region outlines resolved, stitches generated) with `ctx`. Throws TWorksheetError
// (NotAWorksheet, Newer, Damaged) naming `fileName`; `sew` is then half read and must be dropped.
TWorksheetInfo ReadWorksheetBytes(std::span<const uint8_t> bytes, TSew& sew, const std::string& fileName,
                                  const TStitchContext& ctx = {});

// Saves through a temporary file beside the target (the previous file survives any failure).
// Throws TWorksheetError (CannotWrite).
void SaveWorksheet(TSew& sew, const std::filesystem::path& file);
// Loads a file into `sew` (see ReadWorksheetBytes); also NotFound. `sew.FileName` becomes `file`.
TWorksheetInfo LoadWorksheet(const std::filesystem::path& file, TSew& sew, const TStitchContext& ctx = {});

// True when the name ends in ".Nl1" (any case).
bool IsWorksheetName(const std::filesystem::path& file);

} // namespace nl
