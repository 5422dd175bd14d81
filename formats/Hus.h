// Husqvarna Viking HUS and Pfaff VIP: a 42-byte header, a colour table, then three separately
// compressed streams (commands, x and y displacements) of one byte per record each. The two
// differ in their magic number and their colour table: HUS stores palette indices, VIP scrambled
// RGB colours. Record encoder, export emitter, the two writer entries and the shared reader.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

constexpr uint8_t HUS_STITCH = 0x80, HUS_JUMP = 0x81, HUS_COLOUR = 0x84, HUS_TRIM = 0x88, HUS_END = 0x90;
constexpr int32_t HUS_MAX_STEP = 127;
constexpr size_t HUS_HEADER_SIZE = 42;
constexpr size_t VIP_COLOURS_AT = 46;
// Palette indices we write: 0..28. Index 29 repeats black and other readers' tables end at 28.
constexpr int HUS_WRITTEN_INDICES = 29;
// The scrambling key covers 100 colours.
constexpr int32_t VIP_MAX_COLOURS = 100;
// Records a file may state; far beyond what a machine sews, and it bounds what a reader allocates.
constexpr int32_t HUS_MAX_RECORDS = 1 << 24;

// The 400-byte key VIP files scramble their colours with.
extern const std::array<uint8_t, 400> VIP_COLOUR_KEY;

// Palette index written for a thread colour: the nearest HUS palette entry, 0..28.
int HusIndexOfColour(int32_t colour);

// Colours as a VIP file stores them: 4 bytes each (red, green, blue, 0), scrambled with the key
// and the previous stored byte. At most VIP_MAX_COLOURS colours.
std::vector<uint8_t> ScrambleVipColours(std::span<const int32_t> colours);
// The colours of stored VIP colour bytes (4 per colour, at most VIP_MAX_COLOURS colours).
std::vector<int32_t> UnscrambleVipColours(std::span<const uint8_t> stored);

// A HUS or VIP file taken apart: header fields, the colour table and the decompressed streams.
struct THusFile {
    bool Vip = false;
    int32_t Records = 0; // N: bytes in each stream, the end record included
    int32_t ColourCount = 0;
    std::array<int16_t, 4> Extents{}; // +X, +Y, -X, -Y
    std::array<int32_t, 3> Offsets{}; // command, x and y stream
    std::vector<int32_t> Colours;     // ColourCount colours: palette colours (HUS) or stored ones (VIP)
    std::vector<uint8_t> Commands, X, Y;
};

// Checks the container and decompresses its streams. Throws TReadError saying what is wrong:
// not a HUS or VIP magic, offsets out of order or outside the file, a record count out of range,
// a colour table that runs into the streams, a stream that does not decode to exactly N bytes.
THusFile ParseHusVip(std::span<const uint8_t> bytes);

// Write the design of the plan as a HUS or VIP file; the colours of its colour blocks end in
// state.Colours. Throw TError when the design cannot be written in the format (VIP: more than
// 100 colour blocks).
std::vector<uint8_t> WriteHus(const TExportPlan& plan, TExportState& state);
std::vector<uint8_t> WriteVip(const TExportPlan& plan, TExportState& state);

// Reads a HUS or VIP file (told apart by the magic number, whatever the extension) into the
// builder. Throws TReadError when it is not one or is damaged.
void ReadHusVip(std::span<const uint8_t> bytes, TImportBuilder& out);

} // namespace nl
