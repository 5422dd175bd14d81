// Pfaff KSM: a 512-byte header of zeros, then 3-byte records (|dy|, |dx|, control). The control
// byte carries sign bits 0x40 (dx left) and 0x20 (dy down) and a command in its low five bits;
// the machine sews the records' displacements while sewing is on and moves without sewing while
// it is off. Writer entry and reader.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

constexpr size_t KSM_HEADER_SIZE = 512;
constexpr int32_t KSM_MAX_STEP = 127;
// Needles 1..8: colour blocks take them in turn.
constexpr int32_t KSM_NEEDLES = 8;
constexpr uint8_t KSM_PLAIN = 0x80, KSM_SEW_OFF = 0x87, KSM_END = 0x88, KSM_SEW_ON = 0x99;
constexpr uint8_t KSM_DX_LEFT = 0x40, KSM_DY_DOWN = 0x20;
// The command of a change to needle 1..8: 0x0B..0x12 (sewing goes off until switched on).
constexpr uint8_t KsmNeedle(int32_t needle) {
    return static_cast<uint8_t>(0x80 | (0x0A + needle));
}

// Writes the design of the plan as a KSM file; the colours of its colour blocks end in
// state.Colours. Every command sits on a record of its own that does not move.
std::vector<uint8_t> WriteKsm(const TExportPlan& plan, TExportState& state);

// Reads a KSM file into the builder, from offset 512 up to the end command 08 or the last whole
// record. Throws TReadError when the file is shorter than its header or a record has a command
// no KSM file uses.
void ReadKsm(std::span<const uint8_t> bytes, TImportBuilder& out);

} // namespace nl
