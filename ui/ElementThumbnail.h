// A small drawing of an order element's stitches in its thread colours, for the list of the
// "Stitching Order" panel: the needle path scaled into a square, reduced to the pixels it visits,
// as polylines per colour block. Made once per change of the element (the key says when), never
// per paint.
#pragma once
#include <cstdint>
#include <vector>

namespace nl {

class TSLStitch;

struct TThumbStroke {
    int32_t Colour = 0;
    // Pixel positions inside the square, consecutive duplicates removed.
    std::vector<int16_t> XY; // x0, y0, x1, y1, ...
};

struct TThumbnail {
    int Size = 0;
    std::vector<TThumbStroke> Strokes;
};

// The stitch lists an element is sewn from: every outline of a chain, a column's generated
// stitches, a region's fill, a direct stitch object's own points.
std::vector<const TSLStitch*> ElementStitchLists(const TSLStitch& element);
// Changes with any point, flag or colour of the element's stitches.
uint64_t ThumbnailKey(const TSLStitch& element);
// The drawing in a square of `size` pixels (at least 4) with a margin of 2.
TThumbnail MakeThumbnail(const TSLStitch& element, int size);

} // namespace nl
