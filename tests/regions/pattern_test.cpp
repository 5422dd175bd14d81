// The orientation operations of a pattern copy: the mirrors and the quarter turn within the tile.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "regions/Pattern.h"
#include "stitching/CurveParts.h"
#include "stitching/SLStitch.h"

using namespace nl;

namespace {

// A pattern copy with one direct stitch line in a `w` x `h` tile.
TObjectStitch Copy(const std::vector<std::pair<float, float>>& line, int32_t w, int32_t h) {
    TObjectStitch p;
    p.Flags |= TObjectStitch::PATTERN_COPY;
    p.PatternWidth = w;
    p.PatternHeight = h;
    auto item = std::make_unique<TSLStitch>();
    for (auto [x, y] : line)
        item->Append(TSP::Plain(0, x, y));
    p.Items.emplace_back(std::move(item));
    return p;
}

std::vector<std::pair<float, float>> Line(const TObjectStitch& p) {
    std::vector<std::pair<float, float>> v;
    for (const TSP& q : *p.Items[0])
        v.emplace_back(q.X, q.Y);
    return v;
}

} // namespace

TEST(PatternOrientation, QuarterTurnMirrorsAndTheirTiles) {
    using L = std::vector<std::pair<float, float>>;
    struct Case {
        const char* name;
        void (*op)(TObjectStitch&);
        int32_t w, h;
        L before, after;
        int32_t newW, newH;
    } cases[] = {
        // (x, y) -> (y, tile - x): the top edge goes to the left edge, read from the bottom up.
        {"Rotate90", Rotate90, 200, 200, {{10, 0}, {60, 0}}, {{0, 190}, {0, 140}}, 200, 200},
        // A tile wider than high turns into one higher than wide; the drawing stays inside it.
        {"Rotate90 wide", Rotate90, 400, 200, {{10, 0}, {390, 200}}, {{0, 390}, {200, 10}}, 200, 400},
        {"MirrorH", MirrorH, 200, 100, {{10, 5}, {60, 90}}, {{190, 5}, {140, 90}}, 200, 100},
        {"MirrorV", MirrorV, 200, 100, {{10, 5}, {60, 90}}, {{10, 95}, {60, 10}}, 200, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TObjectStitch p = Copy(c.before, c.w, c.h);
        c.op(p);
        EXPECT_EQ(Line(p), c.after);
        EXPECT_EQ(p.PatternWidth, c.newW);
        EXPECT_EQ(p.PatternHeight, c.newH);
    }
    // Four quarter turns give the drawing back.
    TObjectStitch p = Copy({{10, 0}, {390, 200}, {123, 45}}, 400, 200);
    for (int i = 0; i < 4; ++i)
        Rotate90(p);
    EXPECT_EQ(Line(p), (L{{10, 0}, {390, 200}, {123, 45}}));
}
