// Tajima DST: 512-byte text header, then 3-byte records with balanced-ternary displacements.
// Record codec, export emitter, writer entry and reader.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

constexpr size_t DST_HEADER_SIZE = 512;
constexpr int32_t DST_MAX_STEP = 121;
constexpr uint8_t DST_STITCH = 0x03, DST_JUMP = 0x83, DST_COLOUR = 0xC3, DST_END = 0xF3;

// Encodes a displacement of at most 121 units on each axis (dy positive = up) into a record;
// b2 gets `flags` (0x03 stitch, 0x83 jump, 0xC3 colour change).
void EncodeDstRecord(int32_t dx, int32_t dy, uint8_t flags, uint8_t out[3]);
// The displacement of a record (dy positive = up).
void DecodeDstRecord(const uint8_t rec[3], int32_t& dx, int32_t& dy);

// Writes the design of the plan as a DST file; the colours of its colour blocks end in
// state.Colours. Throws TError when the design cannot be written in this format.
std::vector<uint8_t> WriteDst(const TExportPlan& plan, TExportState& state);

// Reads a DST file into the builder. Throws TReadError when it is not one or is damaged.
void ReadDst(std::span<const uint8_t> bytes, TImportBuilder& out);

} // namespace nl
