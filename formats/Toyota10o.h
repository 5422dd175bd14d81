// Toyota 10O: the start record 8A 00 00, 3-byte records (control, |dy|, |dx|), the end record
// 87 00 00. The control byte has bit 7 set, sign bits 0x40 (dy down) and 0x20 (dx left), 0x10 for
// a move without sewing; 85 00 00 changes the colour. Writer entry and reader.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

constexpr int32_t T10O_MAX_STEP = 127;
constexpr uint8_t T10O_STITCH = 0x80, T10O_JUMP = 0x90, T10O_COLOUR = 0x85, T10O_START = 0x8A,
                  T10O_END = 0x87;

// Writes the design of the plan as a 10O file; the colours of its colour blocks end in
// state.Colours.
std::vector<uint8_t> Write10o(const TExportPlan& plan, TExportState& state);

// Reads a 10O file into the builder, up to the end record 87 or the last whole record. Throws
// TReadError when its first control byte lacks bit 7 or a record is not a 10O record.
void Read10o(std::span<const uint8_t> bytes, TImportBuilder& out);

} // namespace nl
