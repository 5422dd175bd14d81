// Brother PEC and PES. A PEC block holds what the machine sews: a 512-byte header with the label
// and the colour list, the stitch data (one x and one y value per move, 1 or 2 bytes each), and
// preview icons. A .pec file is "#PEC0001" and the block; a .pes file is "#PES" and a version, the
// 32-bit offset of its PEC block, and a description for editing software in front of the block.
// Value codec, icons, the PEC and PES writer entries and the reader of both.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

// Offsets within a PEC block (from its "LA:").
constexpr size_t PEC_LABEL_AT = 3;
constexpr size_t PEC_LABEL_SIZE = 16;
constexpr size_t PEC_COLOUR_COUNT_AT = 48; // number of colour blocks - 1
constexpr size_t PEC_COLOURS_AT = 49;      // palette code of each block
constexpr size_t PEC_GRAPHICS_AT = 514;    // 24-bit offset of the icons, counted from 512
constexpr size_t PEC_SIZE_AT = 520;        // width and height, 16 bits each
constexpr size_t PEC_STITCHES_AT = 528;

constexpr int32_t PEC_MAX_JUMP = 2047;  // a long value holds -2048..2047
constexpr int32_t PEC_MAX_STITCH = 127; // a longer move is written as a jump
constexpr int PEC_MAX_BLOCKS = 255;     // a colour count byte of 255 (0xFF) means "none"
constexpr int PEC_WRITTEN_CODES = 64;   // codes 1..64: the palette's 65th is unknown elsewhere
constexpr uint8_t PEC_END = 0xFF, PEC_CHANGE = 0xFE, PEC_CHANGE_2 = 0xB0;
constexpr uint16_t PEC_LONG = 0x8000, PEC_JUMP = 0x1000, PEC_TRIM = 0x2000;

// Preview icons: 48 x 38 pixels, 6 bytes a row, the lowest bit the leftmost pixel.
constexpr int PEC_ICON_WIDTH = 48, PEC_ICON_HEIGHT = 38, PEC_ICON_STRIDE = 6;
constexpr size_t PEC_ICON_SIZE = 228;
using TPecIcon = std::array<uint8_t, PEC_ICON_SIZE>;
// The frame every icon has, without a picture.
const TPecIcon& PecIconFrame();

// The palette code written for a thread colour: the nearest of codes 1..64.
int PecCodeOfColour(int32_t colour);
// The label of a design name: at most 16 characters, printable ASCII, anything else as '_'.
std::string PecLabel(const std::string& name);

// Appends one value of the stitch data: the short form (1 byte) for -64..63 unless `jump`, else
// the long form (2 bytes, big-endian, 12-bit two's complement) with the jump flag when `jump`.
// v must lie within -2048..2047.
void EncodePecValue(int32_t v, bool jump, std::vector<uint8_t>& out);

// Where the PEC block of a .pec or .pes file starts. Throws TReadError when the file is neither
// or its PEC block does not lie within it.
size_t PecBlockOffset(std::span<const uint8_t> bytes);

// Write the design of the plan as a PEC file, or as a version 1 PES file whose PEC block is the
// same; the colours of its colour blocks end in state.Colours, its label is state.DesignName.
// Throw TError when the design cannot be written (more than 255 colour blocks, too large).
std::vector<uint8_t> WritePec(const TExportPlan& plan, TExportState& state);
std::vector<uint8_t> WritePes(const TExportPlan& plan, TExportState& state);

// Reads a PEC or PES file (told apart by its signature, whatever the extension) into the
// builder, with the colours of its palette codes. Throws TReadError when it is neither or damaged.
void ReadPec(std::span<const uint8_t> bytes, TImportBuilder& out);

} // namespace nl
