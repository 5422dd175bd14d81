// Thread colours: 0x00BBGGRR, red in the low byte.
#pragma once
#include <cstdint>

namespace nl {

constexpr int32_t NO_COLOUR = 0x1FFFFFFF;
constexpr int32_t DEFAULT_OBJECT_COLOUR = 0x00008000; // green: new outlines and regions
constexpr int32_t MARK_COLOUR = 0x004BB473;           // colour given by MarkColourStart

inline int32_t MakeColour(int r, int g, int b) { return (b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF); }
inline int ColourR(int32_t c) { return c & 0xFF; }
inline int ColourG(int32_t c) { return (c >> 8) & 0xFF; }
inline int ColourB(int32_t c) { return (c >> 16) & 0xFF; }

} // namespace nl
