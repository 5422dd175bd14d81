// Janome JEF: a 116-byte header, a table of Janome palette indices (one per colour block, then as
// many words 13), and the two-byte records of EXP with 80 02 as the jump and 80 10 as the end.
// Writer entry and reader; the records are read and written by the EXP unit.
#pragma once
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

constexpr size_t JEF_HEADER_SIZE = 116;
constexpr uint8_t JEF_JUMP = 0x02, JEF_END = 0x10;
constexpr int32_t JEF_FLAG = 0x0A;     // at offset 4, as the real files we have seen have it
constexpr int32_t JEF_TABLE_WORD = 13; // after the indices, one per colour block

// Hoop codes at offset 32: the smallest of these hoops (sizes in mm) that the design fits in.
enum : int32_t {
    JEF_HOOP_110 = 0,
    JEF_HOOP_50 = 1,
    JEF_HOOP_140X200 = 2,
    JEF_HOOP_126X110 = 3,
    JEF_HOOP_200 = 4
};

// The date field at offset 8: "YYYYMMDDhhmmss" of the given time in the local time zone.
std::string JefDateStamp(std::time_t when);

// Writes the design of the plan as a JEF file dated now; the colours of its colour blocks end in
// state.Colours. Throws TError when the design cannot be written in this format.
std::vector<uint8_t> WriteJef(const TExportPlan& plan, TExportState& state);
// The same with a given date field (14 characters, "YYYYMMDDhhmmss").
std::vector<uint8_t> WriteJefStamped(const TExportPlan& plan, TExportState& state, const std::string& stamp);

// Reads a JEF file into the builder: the stitch data from the offset stored at 0, the colours from
// the palette indices (those that lie before the stitch data). Throws TReadError when it is not
// one or is damaged.
void ReadJef(std::span<const uint8_t> bytes, TImportBuilder& out);

} // namespace nl
