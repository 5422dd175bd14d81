// Complex holes and overlay outlines: what they do to a fill, and the invariants every fill shaped
// by them keeps (needle points inside the region and outside its holes, no stitch over the maximum
// length, the same points on every regeneration, a needle point at every overlay crossing).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "TestShapes.h"
#include "regions/Hole.h"
#include "regions/JumpNodes.h"
#include "regions/RgnTable.h"
#include "regions/SLRegion.h"
#include "stitching/Outline.h"
#include "stitching/SLCurve.h"

using namespace nl;
using namespace nl::test;

namespace {

// A small worksheet of its own: outlines, regions on them, and a context whose seams see them.
struct TSheet {
    std::vector<std::unique_ptr<TSLStitch>> owned;
    std::vector<TSLStitch*> objects;
    TStitchContext ctx;

    TSheet() {
        ctx.DrawRegionHoles = [this](const TSLRegion& r, TFillRaster& ras, bool underlay) {
            DrawHolesInto(objects, r, ras, underlay);
        };
        ctx.PierceRegionOverlays = [this](const TSLRegion& r, TSLStitch& fill) {
            PierceWithOverlays(CollectOverlays(objects, r), fill);
        };
        ctx.PierceOutlineOverlays = [this](const TSLCurve& c, TSLStitch& stitches) {
            PierceWithOverlays(CollectOverlays(objects, c, stitches), stitches);
        };
    }
    template <class T> T* Add(std::unique_ptr<T> o) {
        T* raw = o.get();
        objects.push_back(raw);
        owned.push_back(std::move(o));
        return raw;
    }
    TSLRegion* Region(const std::vector<std::pair<float, float>>& corners) {
        TSLCurve* outline = Add(ClosedOutline(corners));
        return Add(RegionOn(*outline, ctx));
    }
    TSLRegion* Hole(const std::vector<std::pair<float, float>>& corners) {
        TSLRegion* h = Region(corners);
        h->Flags |= OF_COMPLEX_HOLE;
        return h;
    }
    TSLCurve* Overlay(const std::vector<std::pair<float, float>>& corners) {
        TSLCurve* c = Add(Polyline(corners));
        c->Flags |= OF_REGION_OVERLAY;
        c->UpdateBounds(ctx);
        return c;
    }
};

bool StrictlyInside(const std::vector<std::pair<float, float>>& sq, double x, double y, double inset) {
    double x0 = sq[0].first, y0 = sq[0].second, x1 = sq[2].first, y1 = sq[2].second;
    return x > x0 + inset && x < x1 - inset && y > y0 + inset && y < y1 - inset;
}

int32_t CountInside(const TSLStitch& fill, const std::vector<std::pair<float, float>>& sq, double inset) {
    int32_t n = 0;
    for (const TSP& p : fill)
        n += StrictlyInside(sq, p.X, p.Y, inset);
    return n;
}

std::vector<std::pair<float, float>> Points(const TSLStitch& s) {
    std::vector<std::pair<float, float>> v;
    for (const TSP& p : s)
        v.push_back({p.X, p.Y});
    return v;
}

} // namespace

TEST(ComplexHoles, WhatAHoleTakesFromTheFill) {
    // outer square 0..600; the hole where the table says, with "Allow Complex Holes" on or off.
    struct TCase {
        const char* name;
        std::vector<std::pair<float, float>> hole;
        bool allow;
        bool expectEmptyInside; // no needle point in the hole's inside (inset by 3 units)
    };
    const TCase cases[] = {
        {"hole inside", Square(200, 200, 150), true, true},
        {"hole partly outside removes only the overlap", Square(450, 200, 300), true, true},
        {"region does not allow holes", Square(200, 200, 150), false, false},
    };
    for (const TCase& c : cases) {
        TSheet s;
        TSLRegion* r = s.Region(Square(0, 0, 600));
        s.Hole(c.hole);
        if (c.allow) r->Flags |= OF_ALLOW_HOLES;
        Restitch(*r, s.ctx);
        ASSERT_TRUE(r->FillStitches) << c.name;
        ASSERT_GT(r->FillStitches->Count(), 100) << c.name;
        const int32_t inside = CountInside(*r->FillStitches, c.hole, 3);
        if (c.expectEmptyInside)
            EXPECT_EQ(inside, 0) << c.name;
        else
            EXPECT_GT(inside, 10) << c.name;
        // The fill still covers the rest of the region: points on both sides of the hole.
        int32_t left = 0;
        for (const TSP& p : *r->FillStitches)
            left += p.X < 150;
        EXPECT_GT(left, 20) << c.name;
    }
}

TEST(ComplexHoles, ARegionThatIsItsOwnHoleFillsAsBefore) {
    TSheet s;
    TSLRegion* r = s.Region(Square(0, 0, 500));
    Restitch(*r, s.ctx);
    auto plain = Points(*r->FillStitches);
    r->Flags |= OF_COMPLEX_HOLE | OF_ALLOW_HOLES;
    Restitch(*r, s.ctx);
    EXPECT_EQ(Points(*r->FillStitches), plain);
}

TEST(ComplexHoles, UnderlayKeepsItsMarginFromTheHole) {
    // The underlay rows stop at the hole grown by the underlay margin: the band between the hole
    // and its margin gets (almost) no underlay; travel between rows may still cross it.
    const auto band = std::vector<std::pair<float, float>>{{185, 185}, {415, 185}, {415, 415}, {185, 415}};
    auto underlayIn = [&band](bool withHole) {
        TSheet s;
        TSLRegion* r = s.Region(Square(0, 0, 600));
        r->Flags |= OF_ALLOW_HOLES;
        r->StitchFlags |= RSF_USE_UNDERLAY | RSF_UNDER_TATAMI;
        r->UnderMargin = 20;
        if (withHole) s.Hole(Square(200, 200, 200));
        Restitch(*r, s.ctx);
        int32_t n = 0;
        for (const TSP& p : *r->FillStitches)
            n += (p.Flags & SP_UNDERLAY) && (p.Flags & SP_BOUNDARY || p.Flags & SP_FILL) &&
                 StrictlyInside(band, p.X, p.Y, 0) && !StrictlyInside(Square(200, 200, 200), p.X, p.Y, -1);
        return n;
    };
    const int32_t without = underlayIn(false);
    EXPECT_GT(without, 4);
    EXPECT_LE(underlayIn(true), without / 4);
}

TEST(ComplexHoles, AnExitPointInsideAHoleFillsOnlyTheHole) {
    TSheet s;
    TSLRegion* r = s.Region(Square(0, 0, 600));
    r->Flags |= OF_ALLOW_HOLES;
    const auto hole = Square(200, 200, 200);
    s.Hole(hole);
    Restitch(*r, s.ctx); // derives the stored entry and exit points
    r->ExitX = r->EntryX = 300;
    r->ExitY = r->EntryY = 300;
    Restitch(*r, s.ctx);
    ASSERT_TRUE(r->FillStitches);
    ASSERT_GT(r->FillStitches->Count(), 10);
    for (const TSP& p : *r->FillStitches)
        EXPECT_TRUE(StrictlyInside(hole, p.X, p.Y, -3)) << p.X << "," << p.Y;
}

TEST(ComplexHoles, RefillShapedRegionsTakesOnlyTheRegionsThatMeetTheChange) {
    TSheet s;
    TSLRegion* near = s.Region(Square(0, 0, 400));
    TSLRegion* far = s.Region(Square(2000, 0, 400));
    TSLRegion* closed = s.Region(Square(0, 0, 400));
    near->Flags |= OF_ALLOW_HOLES;
    far->Flags |= OF_ALLOW_HOLES;
    closed->Flags |= OF_NO_OVERLAYS; // allows no holes either
    TSLRegion* hole = s.Hole(Square(100, 100, 100));
    for (TSLRegion* r : {near, far, closed})
        Restitch(*r, s.ctx);
    const auto before = Points(*near->FillStitches);
    EXPECT_EQ(CountInside(*near->FillStitches, Square(100, 100, 100), 3), 0);
    // The hole stops being one: only the region it shaped refills, and it is whole again.
    TKvRect area = hole->Bounds;
    hole->Flags &= ~OF_COMPLEX_HOLE;
    EXPECT_EQ(RefillShapedRegions(s.objects, area, true, false, s.ctx), 1);
    EXPECT_NE(Points(*near->FillStitches), before);
    EXPECT_GT(CountInside(*near->FillStitches, Square(100, 100, 100), 3), 10);
    // An overlay change there refills the regions that accept overlays (the former hole too), not
    // the one that refuses them nor the far one.
    EXPECT_EQ(RefillShapedRegions(s.objects, area, false, true, s.ctx), 2);
}

TEST(OverlayPiercing, EveryCrossingBecomesANeedlePointNearerFirst) {
    // One stitch from (0,0) to (100,0) crossed twice by a zigzag overlay at x = 30 and x = 70.
    TSLStitch fill;
    fill.Append(TSP::Plain(SP_UNDER | SP_RETURN, -50, 10)); // entry path: left alone
    fill.Append(TSP::Plain(SP_UNDER | SP_RETURN, -40, -10));
    fill.Append(TSP::Plain(SP_BOUNDARY, 0, 0));
    fill.Append(TSP::Plain(SP_BOUNDARY, 100, 0));
    auto overlay = Polyline({{30, -20}, {30, 20}, {70, 20}, {70, -20}, {-45, -20}, {-45, 20}});
    PierceWithOverlays({overlay.get()}, fill);
    std::vector<std::pair<float, float>> want = {{-50, 10}, {-40, -10}, {0, 0}, {30, 0}, {70, 0}, {100, 0}};
    // The overlay's last leg crosses the entry path's stitch at x = -45: not pierced; but the
    // stitch from the entry path's end (-40,-10) to (0,0) is the fill's first and is not crossed.
    EXPECT_EQ(Points(fill), want);
    EXPECT_EQ(fill[3].Flags, SP_FILL);
    // Reversed direction: the nearer crossing still comes first.
    TSLStitch back;
    back.Append(TSP::Plain(0, 100, 0));
    back.Append(TSP::Plain(0, 0, 0));
    PierceWithOverlays({overlay.get()}, back);
    want = {{100, 0}, {70, 0}, {30, 0}, {0, 0}};
    EXPECT_EQ(Points(back), want);
    // A crossing at a needle point adds nothing.
    TSLStitch atEnd;
    atEnd.Append(TSP::Plain(0, 30, -40));
    atEnd.Append(TSP::Plain(0, 30, -20));
    PierceWithOverlays({overlay.get()}, atEnd);
    EXPECT_EQ(atEnd.Count(), 2);
}

TEST(OverlayPiercing, FillsAcceptOrRefuseOverlays) {
    TSheet s;
    TSLRegion* r = s.Region(Square(0, 0, 600));
    Restitch(*r, s.ctx);
    const int32_t plain = r->FillStitches->Count();
    s.Overlay({{310, -50}, {290, 650}}); // across every row
    Restitch(*r, s.ctx);
    EXPECT_GT(r->FillStitches->Count(), plain + 10);
    r->Flags |= OF_NO_OVERLAYS;
    Restitch(*r, s.ctx);
    EXPECT_EQ(r->FillStitches->Count(), plain);
}

// Random regions with random holes and overlays: the fill keeps its invariants.
TEST(ComplexHoles, RandomFillsKeepTheirInvariants) {
    uint64_t state = 12345;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int round = 0; round < 24; ++round) {
        TSheet s;
        const float side = static_cast<float>(300 + next() * 900);
        TSLRegion* r = s.Region(Square(0, 0, side));
        r->Flags |= OF_ALLOW_HOLES;
        r->Rotation = static_cast<float>(next() * 180 - 90);
        r->Density = 20 + static_cast<int32_t>(next() * 50);
        r->Pitch = static_cast<float>(20 + next() * 60);
        if (next() < 0.5) {
            r->StitchFlags |= RSF_USE_UNDERLAY | RSF_UNDER_TATAMI;
            r->UnderMargin = next() * 30;
        }
        const uint32_t types[] = {ST_TATAMI, ST_SATIN, ST_ZIGZAG};
        r->SetStitchTypeBits(types[round % 3]);
        std::vector<std::vector<std::pair<float, float>>> holes;
        const int nh = 1 + static_cast<int>(next() * 4);
        for (int k = 0; k < nh; ++k) {
            const float hs = static_cast<float>(40 + next() * side / 4);
            const float hx = static_cast<float>(next() * (side - hs)),
                        hy = static_cast<float>(next() * (side - hs));
            holes.push_back(Square(hx, hy, hs));
            s.Hole(holes.back());
        }
        std::vector<TSLCurve*> overlays;
        for (int k = 0; k < 2; ++k)
            overlays.push_back(s.Overlay({{static_cast<float>(next() * side), -20},
                                          {static_cast<float>(next() * side), side / 2},
                                          {static_cast<float>(next() * side), side + 20}}));
        Restitch(*r, s.ctx);
        ASSERT_TRUE(r->FillStitches) << round;
        const TSLStitch& fill = *r->FillStitches;
        const double maxLen = r->MaxStitch() + r->MinStitch() + 1;
        for (int32_t i = 0; i < fill.Count(); ++i) {
            const TSP& p = fill[i];
            ASSERT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
            // Inside the region (a few units of raster slack)...
            EXPECT_TRUE(p.X > -4 && p.Y > -4 && p.X < side + 4 && p.Y < side + 4) << round << " " << i;
            // ...and outside every hole: only travel and the entry path run under the fill, so
            // they may cut a hole's corner between rows; no row end or row point lies inside.
            // Travel and the entry path run under the fill and may cut across a hole between two
            // runs of rows; the row ends of the fill never lie inside one.
            if ((p.Flags & SP_BOUNDARY) && !(p.Flags & (SP_UNDER | SP_RETURN | SP_UNDERLAY))) {
                for (const auto& h : holes)
                    EXPECT_FALSE(StrictlyInside(h, p.X, p.Y, 4))
                        << round << " " << i << " " << p.X << "," << p.Y;
            }
            if (i > 0) {
                EXPECT_LE(std::hypot(p.X - fill[i - 1].X, p.Y - fill[i - 1].Y), maxLen) << round << " " << i;
            }
        }
        const auto first = Points(fill);
        Restitch(*r, s.ctx);
        EXPECT_EQ(Points(*r->FillStitches), first) << round;
    }
}

// Outlines and columns take a needle point wherever an overlay outline crosses their stitches (and
// an overlay never pierces itself); "Dont Allow Overlays" (rail A's for a column) keeps them whole.
TEST(OverlayPiercing, OutlinesAndColumnsAcceptOrRefuseOverlays) {
    enum class K { Running, Satin, ShortZigzag, Column, Linked };
    for (K kind : {K::Running, K::Satin, K::ShortZigzag, K::Column, K::Linked}) {
        SCOPED_TRACE(static_cast<int>(kind));
        TSheet s;
        TSLCurve* c = s.Add(Polyline({{0, 0}, {1000, 0}}));
        c->Flags |= OF_VISIBLE;
        c->RunLength = 40;
        TSLCurve* owner = c;
        if (kind == K::Running || kind == K::Linked) {
            c->Flags |= OF_RUNNING;
            c->SetStitchTypeBits(ST_RUNNING);
        } else if (kind == K::Column) {
            TSLCurve* b = s.Add(Polyline({{0, 80}, {1000, 80}}));
            c->Flags |= OF_RAIL_A;
            b->Flags |= OF_RAIL_B | OF_VISIBLE;
            c->PartnerRail = b;
            b->PartnerRail = c;
            c->SetStitchTypeBits(ST_SATIN);
            b->SetStitchTypeBits(ST_SATIN);
            b->UpdateBounds(s.ctx);
        } else {
            c->Outlines = TOutlineList::MakeDefault(c->AnchorCount());
            c->SetStitchTypeBits(kind == K::Satin ? ST_SATIN : ST_ZIGZAG);
            if (kind == K::ShortZigzag) c->Flags |= OF_SHORT_STITCHES;
        }
        if (kind == K::Linked) {
            TSLCurve* other = s.Add(Polyline({{0, 300}, {1000, 300}}));
            other->Flags |= OF_VISIBLE | OF_RUNNING;
            other->SetStitchTypeBits(ST_RUNNING);
            c->Mark = 0, other->Mark = 1;
            other->UpdateBounds(s.ctx);
            LinkOutlines(*c, *other, 10, 10);
            PropagateChain(*c);
        }
        c->UpdateBounds(s.ctx);
        // An overlay that is itself stitched: it crosses the band slanted, near x = 506.
        TSLCurve* overlay = s.Overlay({{503, -100}, {517, 300}});
        overlay->Flags |= OF_VISIBLE | OF_RUNNING;
        overlay->SetStitchTypeBits(ST_RUNNING);
        auto pierced = [&](const TSLCurve& o) {
            Restitch(const_cast<TSLCurve&>(o), s.ctx);
            int32_t n = 0;
            for (const TSP& p : *o.Stitches()) {
                if (!(p.Flags & SP_FILL)) continue;
                ++n;
                // On the overlay's path.
                EXPECT_NEAR(p.X, 503 + (p.Y + 100) * 14 / 400, 0.05) << p.X << "," << p.Y;
            }
            return n;
        };
        EXPECT_GT(pierced(*owner), 0);
        EXPECT_EQ(pierced(*overlay), 0) << "an overlay does not pierce itself";
        owner->Flags |= OF_NO_OVERLAYS;
        EXPECT_EQ(pierced(*owner), 0);
    }
}
