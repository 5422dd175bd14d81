// Barudan DAT: 3-byte records (control, |dy|, |dx|) with no header, ending with F8 00 00. The
// control byte has bit 7 set, sign bits 0x40 (dy down) and 0x20 (dx left), and a command in its
// low five bits. Writer entry and reader.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

constexpr int32_t DAT_MAX_STEP = 81;
// The machine's needles: colour blocks take them in turn.
constexpr int32_t DAT_NEEDLES = 15;
constexpr uint8_t DAT_STITCH = 0x80, DAT_JUMP = 0x81, DAT_STOP = 0x88, DAT_END = 0xF8;

// The command of a needle change to needle 1..15: 0x09..0x17.
constexpr uint8_t DatNeedle(int32_t needle) {
    return static_cast<uint8_t>(0x80 | (0x08 + needle));
}

// Writes the design of the plan as a Barudan DAT file; the colours of its colour blocks end in
// state.Colours. A colour change is a needle change record of its own, then the move to the new
// colour as jumps.
std::vector<uint8_t> WriteDat(const TExportPlan& plan, TExportState& state);

// Reads a Barudan DAT file into the builder. Throws TReadError when its first control byte lacks
// bit 7 (the layout of other machines' .dat files) or a record is not a Barudan record.
void ReadDat(std::span<const uint8_t> bytes, TImportBuilder& out);

// Decodes Barudan records (also found behind the 256-byte header of .u01 files) into the
// builder, up to the end record or the last whole record. Throws TReadError at a record that is
// not a Barudan record.
void ReadBarudanRecords(std::span<const uint8_t> records, TImportBuilder& out);

} // namespace nl
