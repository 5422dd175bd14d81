// The large designs the format benchmarks write and read, built one way so that their figures
// compare across formats.
#pragma once
#include <cstdint>
#include <memory>
#include <random>

#include "stitching/SLStitch.h"

namespace nl::bench {

constexpr int32_t kLargeStitches = 1000000;

// A satin-like zigzag: the shape of a dense real design, rows of 1,000 stitches 2 units apart
// (a long move back at the end of each row), one colour block every 50,000 stitches; block b
// takes the colour b * colourStep.
inline std::unique_ptr<TSLStitch> ZigzagDesign(int32_t stitches, int32_t colourStep = 1) {
    auto o = std::make_unique<TSLStitch>();
    o->Reserve(stitches);
    for (int32_t i = 0; i < stitches; ++i) {
        float x = static_cast<float>((i % 2000) * 2), y = static_cast<float>((i / 2000) * 2 + (i % 2) * 60);
        if (i % 50000 == 0)
            o->Append(TSP::Colour(0, x, y, colourStep * (i / 50000)));
        else
            o->Append(TSP::Plain(0, x, y));
    }
    return o;
}

// Satin columns whose width wanders and tatami rows with a little jitter, with a long travel now
// and then: displacements that repeat far less than a plain zigzag, closer to a digitised design.
inline std::unique_ptr<TSLStitch> VariedDesign(int32_t stitches) {
    std::mt19937 rng(11);
    auto o = std::make_unique<TSLStitch>();
    o->Reserve(stitches);
    float x = 0, y = 0;
    int32_t i = 0;
    while (i < stitches) {
        int kind = static_cast<int>(rng() % 2), n = 200 + static_cast<int>(rng() % 800);
        float width = 40.0f + static_cast<float>(rng() % 80);
        for (int k = 0; k < n && i < stitches; ++k, ++i) {
            if (kind == 0) {
                width += static_cast<float>(static_cast<int>(rng() % 5) - 2);
                x += (k % 2 ? width : -width);
                y += 2.0f + static_cast<float>(rng() % 3);
            } else {
                x += (k / 14) % 2 ? -70.0f : 70.0f;
                y += (k % 14 == 13) ? 8.0f : static_cast<float>(static_cast<int>(rng() % 3) - 1);
            }
            if (x < -4000 || x > 4000) x = 0;
            if (y > 4000) y = -4000;
            if (i % 50000 == 0)
                o->Append(TSP::Colour(0, x, y, i / 50000));
            else
                o->Append(TSP::Plain(0, x, y));
        }
    }
    return o;
}

} // namespace nl::bench
