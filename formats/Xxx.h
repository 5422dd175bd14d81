// Compucon / Singer XXX: a 256-byte header, then records of two signed bytes (a stitch) or four
// starting with 7F (jumps, trims, colour changes, the end), then the end sequence and a colour
// table. Writer entry and reader.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

constexpr size_t XXX_HEADER_SIZE = 256;
// Longest step of a record we write: a stitch's first byte then never reaches 7D..7F, which
// readers take for the start of a long move or a control record.
constexpr int32_t XXX_MAX_STEP = 81;
// Header fields (little-endian): record count (int32), colour count, width, height, the last
// needle point from the start (x, and y up; int16 each), the offset of the end sequence (int32).
constexpr size_t XXX_RECORDS_AT = 23, XXX_COLOURS_AT = 39, XXX_WIDTH_AT = 45, XXX_HEIGHT_AT = 47,
                 XXX_LAST_X_AT = 49, XXX_LAST_Y_AT = 51, XXX_END_AT = 252;

// Writes the design of the plan as a XXX file; the colours of its colour blocks end in
// state.Colours and in the file's colour table. Throws TError when the design does not fit the
// format's header (more than 3.2 m across, more than 32767 colour blocks).
std::vector<uint8_t> WriteXxx(const TExportPlan& plan, TExportState& state);

// Reads a XXX file into the builder: stitches, 7F 01 jumps, 7D/7E long moves, 7F 03 trims,
// 7F 08 and 7F 0A..17 colour changes, up to 7F 7F or 7F 18 or the end offset the header states.
// The colour table gives the blocks their colours when there is no side file. Throws TReadError
// when the file is too short to hold the header.
void ReadXxx(std::span<const uint8_t> bytes, TImportBuilder& out);

} // namespace nl
