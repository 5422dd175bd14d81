// A picture of a design for nordelune-cli: stitches drawn as lines in their thread colours on a
// light background, and the PNG file it is saved as. Kept free of any GUI toolkit so the
// command line starts fast and runs without a display.
#pragma once
#include <cstdint>
#include <vector>

#include "sewing/SimPainter.h"

namespace nl {
class TSLStitch;
}

namespace nl::cli {

struct TImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgb; // Width * Height * 3 bytes, rows top to bottom

    void Set(int x, int y, int32_t colour);
};

constexpr int MIN_RENDER_WIDTH = 16;
constexpr int MAX_RENDER_WIDTH = 8192;

// Draws the needle path of `design` into an image `width` pixels wide, the height following the
// design's proportions (at most MAX_RENDER_WIDTH). Moves into a new colour block are not drawn:
// the machine jumps there.
TImage RenderStitches(const TSLStitch& design, int width);

// The simulator's picture: `design` as sewn up to stitch `upTo` (1-based; clamped to the
// design like the simulator's stitch number), on the simulator's background with the needle
// marked, jumps drawn as `jumps` says and, with `points`, every needle point marked.
struct TSewnOptions {
    int Width = 800;
    int64_t UpTo = 1;
    bool Points = false;
    TJumpLook Jumps = TJumpLook::Dashed;
};
TImage RenderSewn(const TSLStitch& design, const TSewnOptions& options);
// The same picture of a simulation list (the simulator's own, for one).
TImage RenderSewn(const TSimulationList& list, const TSewnOptions& options);

// The image as a PNG file (8-bit RGB, deflate-compressed).
std::vector<uint8_t> EncodePng(const TImage& image);

} // namespace nl::cli
