// The fixed thread palettes of the Brother, Husqvarna and Janome machines, their nearest-colour
// functions, and the default colour sequence of imports made from them.
#pragma once
#include <array>
#include <cstdint>

namespace nl {

constexpr int PEC_PALETTE_SIZE = 65;
constexpr int HUS_PALETTE_SIZE = 30;
constexpr int DEFAULT_IMPORT_COLOURS = PEC_PALETTE_SIZE + HUS_PALETTE_SIZE;

// PEC palette colour of code 1..65 (0x00BBGGRR); code 0 or out of range gives the first entry.
int32_t PecColour(int code);
// Code 1..65 of the PEC entry with the smallest |dR| + |dG| + |dB|; the lower code wins ties.
int NearestPecCode(int32_t colour);

// HUS palette colour of index 0..29; out of range gives index 0.
int32_t HusColour(int index);
// Index 0..29 of the HUS entry nearest in hue, saturation, lightness and RGB together; the lower
// index wins ties.
int NearestHusIndex(int32_t colour);
// Hue, saturation and lightness on the 239/240/240 scales the HUS match uses.
std::array<int32_t, 3> HusHsl(int32_t colour);

// Colour k (0-based) of the default import sequence: the PEC palette, then the HUS palette,
// starting again from the first entry after the last.
int32_t DefaultImportColour(int64_t k);

constexpr int JANOME_PALETTE_SIZE = 78;

// Janome palette colour of index 1..78; any other index gives the first entry.
int32_t JanomeColour(int index);
// Index 1..78 of the Janome entry nearest in RGB (smallest sum of squared differences); the lower
// index wins ties.
int NearestJanomeIndex(int32_t colour);

} // namespace nl
