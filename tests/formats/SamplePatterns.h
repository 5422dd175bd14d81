// Stitch patterns built in code: the examples shipped in data/Patterns (written by
// make_examples.cpp from these same functions, never by hand) and the tests' patterns.
#pragma once
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "SampleSheets.h"
#include "stitching/CurveParts.h"
#include "stitching/SLCurve.h"

namespace nl::test {

// A direct stitch line through the points.
inline std::unique_ptr<TSLStitch> StitchLine(const std::vector<std::pair<float, float>>& points) {
    auto s = std::make_unique<TSLStitch>();
    s->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    for (const auto& [x, y] : points)
        s->Append(TSP::Plain(0, x, y));
    s->UpdateBounds({});
    return s;
}

// A creator's pattern over 0..799 x 0..799 with a 10 mm tile, holding `items`.
inline std::unique_ptr<TObjectStitch> SamplePattern(std::vector<std::unique_ptr<TSLStitch>> items) {
    auto p = std::make_unique<TObjectStitch>();
    p->Flags &= ~TObjectStitch::PATTERN_COPY;
    for (auto& item : items)
        p->Items.emplace_back(std::move(item));
    p->ItemCount = static_cast<int32_t>(p->Items.size());
    return p;
}

// A diamond lattice: the tile's diamond and its two diagonals' halves.
inline std::unique_ptr<TObjectStitch> DiamondsPattern() {
    std::vector<std::unique_ptr<TSLStitch>> items;
    items.push_back(StitchLine({{0, 400}, {400, 0}, {799, 400}, {400, 799}, {0, 400}}));
    return SamplePattern(std::move(items));
}

// Chevrons: two V lines across the tile.
inline std::unique_ptr<TObjectStitch> ChevronsPattern() {
    std::vector<std::unique_ptr<TSLStitch>> items;
    items.push_back(StitchLine({{0, 100}, {400, 400}, {799, 100}}));
    items.push_back(StitchLine({{0, 500}, {400, 799}, {799, 500}}));
    return SamplePattern(std::move(items));
}

// Rings: a circle outline (a curve) with a short cross in its middle.
inline std::unique_ptr<TObjectStitch> RingsPattern() {
    std::vector<std::unique_ptr<TSLStitch>> items;
    auto ring = Circle(400, 400, 300);
    ring->Flags |= OF_VISIBLE;
    ring->UpdateBounds({});
    items.push_back(std::move(ring));
    items.push_back(StitchLine({{300, 400}, {500, 400}}));
    items.push_back(StitchLine({{400, 300}, {400, 500}}));
    return SamplePattern(std::move(items));
}

struct TSamplePattern {
    const char* FileName;
    std::unique_ptr<TObjectStitch> (*Build)();
};
inline const std::vector<TSamplePattern>& SamplePatterns() {
    static const std::vector<TSamplePattern> all = {
        {"Diamonds.KVP", DiamondsPattern}, {"Chevrons.KVP", ChevronsPattern}, {"Rings.KVP", RingsPattern}};
    return all;
}

} // namespace nl::test
