// Point-level editing of direct stitch objects: the size conditions of every operation, the
// colours a split and an insertion give, and the stitch cursor.
#include <gtest/gtest.h>

#include "core/Colour.h"
#include "regions/PointEdit.h"

using namespace nl;

namespace {

// n points along X, 10 units apart; colour points (colour 0x100 + index) at the given indices.
std::unique_ptr<TSLStitch> Direct(int32_t n, std::initializer_list<int32_t> colours = {}) {
    auto o = std::make_unique<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    for (int32_t i = 0; i < n; ++i)
        o->Append(TSP::Plain(0, 10.f * static_cast<float>(i), 0));
    for (int32_t c : colours)
        o->Replace(c, TSP::Colour(0, 10.f * static_cast<float>(c), 0, 0x100 + c));
    o->UpdateBounds({});
    return o;
}

std::vector<float> Xs(const TSLStitch& o) {
    std::vector<float> v;
    for (const TSP& p : o)
        v.push_back(p.X);
    return v;
}

} // namespace

TEST(PointEditing, SplitSizeConditionsAndColours) {
    struct TCase {
        int32_t count, cursor;
        std::initializer_list<int32_t> colours;
        bool splits;
        int32_t headColour; // colour of the new part's first point
    };
    const TCase cases[] = {
        {10, 7, {}, false, 0},               // 10 < 7 + 4
        {10, 6, {0, 3}, true, 0x103},        // nearest earlier colour point
        {10, 0, {0}, false, 0},              // nothing would be left before it
        {10, 1, {0}, false, 0},              // one point would be left
        {10, 2, {0}, true, 0x100},           // the first colour
        {10, 4, {}, true, NEW_COLOUR_POINT}, // no colour at all
        {10, 4, {4}, true, 0x104},           // the cursor is a colour point already
    };
    for (const TCase& c : cases) {
        auto o = Direct(c.count, c.colours);
        o->GroupId = 3;
        o->OrderIndex = 7;
        o->JumpVia = TSP::Plain(0, 1, 1);
        auto part = SplitAtCursor(*o, c.cursor, {});
        EXPECT_EQ(part != nullptr, c.splits) << c.cursor;
        if (!part) {
            EXPECT_EQ(o->Count(), c.count);
            continue;
        }
        EXPECT_EQ(o->Count(), c.cursor);
        EXPECT_EQ(part->Count(), c.count - c.cursor);
        EXPECT_EQ((*part)[0].X, 10.f * static_cast<float>(c.cursor));
        EXPECT_TRUE((*part)[0].IsColourPoint());
        EXPECT_EQ((*part)[0].GetColour(), c.headColour) << c.cursor;
        EXPECT_EQ(part->Flags, o->Flags);
        EXPECT_EQ(part->StitchFlags, o->StitchFlags);
        EXPECT_EQ(part->GroupId, 3);
        EXPECT_EQ(part->OrderIndex, 7);
        // The trim's via-point is the way out of the object: it goes with the part that ends it.
        ASSERT_TRUE(part->JumpVia);
        EXPECT_EQ(part->JumpVia->X, 1.f);
        EXPECT_FALSE(o->JumpVia);
        EXPECT_NEAR(part->Bounds.Left, 10 * c.cursor, 1);
        EXPECT_LT(o->Bounds.Right, part->Bounds.Left);
    }
}

TEST(PointEditing, InsertingPoints) {
    auto o = Direct(4);
    o->SimIndex = 0; // at 0: between points 0 and 1
    ASSERT_TRUE(InsertColourPoint(*o, {}));
    EXPECT_EQ(Xs(*o), (std::vector<float>{0, 5, 10, 20, 30}));
    EXPECT_TRUE((*o)[1].IsColourPoint());
    EXPECT_EQ((*o)[1].GetColour(), NEW_COLOUR_POINT);
    EXPECT_EQ(o->SimIndex, 1);
    o->SimIndex = 4;
    ASSERT_TRUE(InsertPlainPoint(*o, {}));
    EXPECT_EQ(Xs(*o), (std::vector<float>{0, 5, 10, 20, 25, 30}));
    EXPECT_FALSE((*o)[4].IsExtra());
    // A one-point object has no stitch to put a point on; a pattern creator's member is refused.
    auto one = Direct(1);
    EXPECT_FALSE(InsertColourPoint(*one, {}));
    EXPECT_EQ(one->Count(), 1);
    auto member = Direct(4);
    member->Flags |= OF_PATTERN_MEMBER;
    EXPECT_FALSE(InsertColourPoint(*member, {}));
    // A cursor beyond the end (an object that lost points elsewhere) is clamped.
    auto far = Direct(3);
    far->SimIndex = 99;
    ASSERT_TRUE(InsertPlainPoint(*far, {}));
    EXPECT_EQ(Xs(*far), (std::vector<float>{0, 10, 15, 20}));
}

TEST(PointEditing, DeletingPoints) {
    struct TCase {
        int32_t count;
        std::vector<int32_t> selected;
        int32_t cursor;
        bool deletes;
        int32_t cursorAfter;
    };
    const TCase cases[] = {
        {2, {0}, 0, false, 0},                                   // two points: nothing is deleted
        {5, {}, 0, false, 0},                                    // nothing selected
        {5, {0, 1, 2, 3}, 0, false, 0},                          // would leave one point
        {5, {0, 1, 2}, 4, true, 1},                              // two left; the cursor stays on its stitch
        {6, {1, 4}, 5, true, 3},        {6, {4, 5}, 5, true, 3}, // the cursor's point went: clamped
    };
    for (const TCase& c : cases) {
        auto o = Direct(c.count);
        for (int32_t i : c.selected)
            TogglePointSelected(*o, i);
        o->SimIndex = c.cursor;
        EXPECT_EQ(DeleteSelectedPoints(*o, {}), c.deletes) << c.count;
        EXPECT_EQ(o->Count(), c.deletes ? c.count - static_cast<int32_t>(c.selected.size()) : c.count);
        if (c.deletes) {
            EXPECT_FALSE(AnyPointSelected(*o));
            EXPECT_EQ(o->SimIndex, c.cursorAfter) << c.count;
        }
    }
    auto o = Direct(3);
    EXPECT_TRUE(DeletePointAt(*o, 1, {}));
    EXPECT_EQ(Xs(*o), (std::vector<float>{0, 20}));
    EXPECT_FALSE(DeletePointAt(*o, 0, {})) << "two points stay";
    SelectPointRange(*o, 5, -3);
    EXPECT_EQ(SelectedPointCount(*o), 2);
    ClearPointSelection(*o);
    EXPECT_FALSE(AnyPointSelected(*o));
}

TEST(PointEditing, AppendingAndColourBlocks) {
    auto a = Direct(3, {0});
    auto b = Direct(4, {0});
    EXPECT_FALSE(AppendStitchObject(*a, *a, {})) << "appending an object to itself";
    EXPECT_EQ(a->Count(), 3);
    ASSERT_TRUE(AppendStitchObject(*a, *b, {}));
    EXPECT_EQ(a->Count(), 7);
    EXPECT_TRUE(b->Empty());
    EXPECT_TRUE((*a)[3].IsColourPoint());

    // Colour points at 0, 3 and 5 of 8 points.
    auto c = Direct(8, {0, 3, 5});
    EXPECT_EQ(NextColourPoint(*c, 0), 3);
    EXPECT_EQ(NextColourPoint(*c, 3.4), 5);
    EXPECT_EQ(NextColourPoint(*c, 5), 7) << "none after: the last index";
    EXPECT_EQ(NextColourPoint(*c, 7), 7);
    EXPECT_EQ(NextColourPoint(*c, -4), 3);
    EXPECT_EQ(PreviousColourPoint(*c, 5), 3);
    EXPECT_EQ(PreviousColourPoint(*c, 7), 5);
    EXPECT_EQ(PreviousColourPoint(*c, 0), 0) << "none before: p itself";
    EXPECT_EQ(ColourPointInForce(*c, 4), 3);
    EXPECT_EQ(ColourPointInForce(*c, 5), 5);
    auto plain = Direct(4);
    EXPECT_EQ(ColourPointInForce(*plain, 2), -1) << "the colour field is disabled then";
    EXPECT_EQ(NextColourPoint(TSLStitch{}, 0), -1);
}
