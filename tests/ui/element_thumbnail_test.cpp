// Thumbnails of order elements: inside their square, the shape kept, a block per thread colour,
// and a key that changes with the stitches and only with them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "stitching/SLStitch.h"
#include "ui/ElementThumbnail.h"

using namespace nl;

namespace {
// A direct stitch object: a colour point, then points along a line, a second colour half way.
std::unique_ptr<TSLStitch> Direct(float x0, float y0, float dx, float dy, int n, int32_t first,
                                  int32_t second) {
    auto d = std::make_unique<TSLStitch>();
    d->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    d->SetStitchTypeBits(ST_RUNNING);
    d->Append(TSP::Colour(0, x0, y0, first));
    for (int i = 1; i < n; ++i) {
        const float x = x0 + dx * static_cast<float>(i), y = y0 + dy * static_cast<float>(i);
        d->Append(i == n / 2 ? TSP::Colour(0, x, y, second) : TSP::Plain(0, x, y));
    }
    return d;
}
} // namespace

TEST(ElementThumbnail, StaysInItsSquareKeepsTheShapeAndSplitsTheColourBlocks) {
    // A wide, flat design: it spans the square across and is centred down.
    auto d = Direct(1000, 500, 10, 1, 101, 0x0000FF, 0x00FF00);
    const TThumbnail t = MakeThumbnail(*d, 40);
    ASSERT_EQ(t.Strokes.size(), 2u);
    EXPECT_EQ(t.Strokes[0].Colour, 0x0000FF);
    EXPECT_EQ(t.Strokes[1].Colour, 0x00FF00);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    size_t points = 0;
    for (const TThumbStroke& s : t.Strokes) {
        ASSERT_EQ(s.XY.size() % 2, 0u);
        for (size_t i = 0; i < s.XY.size(); i += 2) {
            minX = std::min<int>(minX, s.XY[i]), maxX = std::max<int>(maxX, s.XY[i]);
            minY = std::min<int>(minY, s.XY[i + 1]), maxY = std::max<int>(maxY, s.XY[i + 1]);
            // No point repeats the one before it.
            if (i >= 2) {
                EXPECT_FALSE(s.XY[i] == s.XY[i - 2] && s.XY[i + 1] == s.XY[i - 1]);
            }
            ++points;
        }
    }
    EXPECT_EQ(minX, 2);
    EXPECT_EQ(maxX, 38);
    EXPECT_GE(minY, 2);
    EXPECT_LE(maxY, 38);
    EXPECT_LE(maxY - minY, 5); // 100 high against 1000 wide
    EXPECT_NEAR((minY + maxY) / 2.0, 20, 1.5);
    // 101 needle points reduce to the pixels they visit: a step right or down at a time across
    // the 37 columns and few rows (plus the join of the blocks).
    EXPECT_LE(points, 37u + 6u + 1u);
    // The second block starts where the first one ended: the drawing is one line.
    const auto& a = t.Strokes[0].XY;
    EXPECT_EQ(t.Strokes[1].XY[0], a[a.size() - 2]);
    EXPECT_EQ(t.Strokes[1].XY[1], a.back());
}

TEST(ElementThumbnail, EmptyOrUnreadablePointsGiveAnEmptyDrawingNotACrash) {
    TSLStitch empty;
    EXPECT_TRUE(MakeThumbnail(empty, 40).Strokes.empty());
    auto one = Direct(5, 5, 0, 0, 1, 0xFF, 0xFF);
    const TThumbnail t = MakeThumbnail(*one, 2); // the size is at least 4
    EXPECT_EQ(t.Size, 4);
    ASSERT_EQ(t.Strokes.size(), 1u);
    auto bad = Direct(0, 0, 1, 1, 10, 0xFF, 0xFF);
    (*bad)[3].X = std::numeric_limits<float>::quiet_NaN();
    (*bad)[4].Y = std::numeric_limits<float>::infinity();
    for (const TThumbStroke& s : MakeThumbnail(*bad, 40).Strokes)
        for (int16_t v : s.XY) {
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 40);
        }
}

TEST(ElementThumbnail, TheKeyChangesWithPointsFlagsAndColoursOnly) {
    auto d = Direct(0, 0, 10, 3, 50, 0x0000FF, 0x00FF00);
    const uint64_t k = ThumbnailKey(*d);
    EXPECT_EQ(ThumbnailKey(*d), k);
    auto same = Direct(0, 0, 10, 3, 50, 0x0000FF, 0x00FF00);
    EXPECT_EQ(ThumbnailKey(*same), k);
    (*d)[7].X += 0.5f;
    EXPECT_NE(ThumbnailKey(*d), k);
    (*d)[7].X -= 0.5f;
    EXPECT_EQ(ThumbnailKey(*d), k);
    (*d)[25].ColourOrLink = 0x123456; // the second block's colour
    EXPECT_NE(ThumbnailKey(*d), k);
    (*d)[25].ColourOrLink = 0x00FF00;
    (*d)[9].Flags |= SP_BOUNDARY;
    EXPECT_NE(ThumbnailKey(*d), k);
}
