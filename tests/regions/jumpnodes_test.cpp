#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include "../stitching/CurveHelpers.h"
#include "core/BinaryIO.h"
#include "core/RecordIO.h"
#include "regions/JumpNodes.h"
#include "stitching/Outline.h"
#include "stitching/Overlay.h"

using namespace nl;
using namespace nl::test;

namespace {

// Three running outlines of four segments (100 samples) each, one above the other.
struct TChain {
    std::unique_ptr<TSLCurve> A = Straight(400, 4), B = Straight(400, 4), C = Straight(400, 4);
    TStitchContext ctx;
    TChain() {
        B->Offset(0, 100);
        C->Offset(0, 200);
        int mark = 0;
        for (TSLCurve* c : {A.get(), B.get(), C.get()}) {
            MakeRunning(*c, 1, 20);
            c->Mark = mark++;
            c->RefreshGeometry(ctx);
        }
    }
    std::vector<TSLCurve*> All() { return {A.get(), B.get(), C.get()}; }
    void Regenerate() {
        for (TSLCurve* c : All())
            Restitch(*c, ctx);
    }
};

std::vector<int32_t> OwnIndices(const TSLCurve& c) {
    std::vector<int32_t> v;
    if (c.Jumps)
        for (const auto& j : *c.Jumps)
            v.push_back(j->OwnIndex);
    return v;
}

// Every link has its mirror in the partner's list, and the two name each other.
void ExpectConsistent(const std::vector<TSLCurve*>& all) {
    for (TSLCurve* c : all) {
        if (!c->Jumps) continue;
        EXPECT_GT(c->Jumps->Count(), 0);
        for (const auto& j : *c->Jumps) {
            ASSERT_TRUE(j->LinkedOutline && j->Reverse);
            EXPECT_TRUE(j->LinkedOutline->Jumps && j->LinkedOutline->Jumps->Contains(j->Reverse));
            EXPECT_EQ(j->Reverse->Reverse, j.get());
            EXPECT_EQ(j->Reverse->LinkedOutline, c);
            EXPECT_EQ(j->Reverse->OwnIndex, j->PartnerIndex);
            EXPECT_EQ(j->Reverse->PartnerIndex, j->OwnIndex);
        }
    }
}

} // namespace

TEST(JumpLinks, LinkKeepsListsSortedAndMirrored) {
    TChain t;
    LinkOutlines(*t.A, *t.B, 10, 40);
    LinkOutlines(*t.A, *t.C, 5, 60);
    EXPECT_EQ(OwnIndices(*t.A), (std::vector<int32_t>{5, 10}));
    EXPECT_EQ((*t.A->Jumps)[0]->LinkedOutline, t.C.get());
    EXPECT_EQ((*t.A->Jumps)[1]->LinkedOutline, t.B.get());
    EXPECT_EQ(OwnIndices(*t.B), (std::vector<int32_t>{40}));
    EXPECT_EQ(OwnIndices(*t.C), (std::vector<int32_t>{60}));
    // The link point sits on the path at its sample.
    EXPECT_FLOAT_EQ((*t.B->Jumps)[0]->X, 160.f);
    EXPECT_FLOAT_EQ((*t.B->Jumps)[0]->Y, 100.f);
    ExpectConsistent(t.All());
    // B and C are both reachable from A: linking them would close a cycle.
    EXPECT_TRUE(WouldCloseCycle(*t.B, *t.C));
    EXPECT_TRUE(WouldCloseCycle(*t.A, *t.A));
    EXPECT_EQ(ChainOf(*t.C).size(), 3u);
    EXPECT_EQ(ChainRoot(*t.C), t.A.get());
}

TEST(JumpLinks, UnlinkingFreesEmptyListsAndKeepsARoot) {
    TChain t;
    LinkOutlines(*t.A, *t.B, 10, 40);
    LinkOutlines(*t.B, *t.C, 50, 0);
    PropagateChain(*t.A);
    EXPECT_FALSE(UnlinkOutlines(*t.A, 11, *t.B)); // no link there
    ASSERT_TRUE(UnlinkOutlines(*t.A, 10, *t.B));
    EXPECT_FALSE(t.A->Jumps);
    EXPECT_EQ(t.A->EntryIndex, -1);
    ASSERT_TRUE(t.B->Jumps);
    EXPECT_EQ(OwnIndices(*t.B), (std::vector<int32_t>{50}));
    // B's chain lost its root with A: it gets one.
    ASSERT_NE(ChainRoot(*t.B), nullptr);
    ExpectConsistent(t.All());
    ASSERT_TRUE(UnlinkOutlines(*t.C, 0, *t.B));
    EXPECT_FALSE(t.B->Jumps);
    EXPECT_FALSE(t.C->Jumps);
    EXPECT_EQ(t.B->EntryIndex, -1);
    EXPECT_EQ(t.C->EntryIndex, -1);
}

TEST(JumpLinks, ChainSharesColourAndGroup) {
    TChain t;
    t.A->Color = 0x123456;
    t.A->GroupId = 7;
    LinkOutlines(*t.A, *t.B, 10, 40);
    LinkOutlines(*t.B, *t.C, 50, 0);
    t.C->EntryIndex = 3;
    PropagateChain(*t.A);
    for (TSLCurve* c : t.All()) {
        EXPECT_EQ(c->Color, 0x123456);
        EXPECT_EQ(c->GroupId, 7);
    }
    EXPECT_EQ(t.A->EntryIndex, 0);
    EXPECT_EQ(t.C->EntryIndex, -1);
}

TEST(JumpLinks, InsertingAControlPointShiftsLaterLinksOnBothRecords) {
    TChain t;
    LinkOutlines(*t.A, *t.B, 10, 40);
    LinkOutlines(*t.A, *t.C, 60, 20);
    // A control point inserted at index 4 lies in segment 1: links past sample 25 move up by 25.
    ShiftJumpsAfterInsert(*t.A, 4);
    EXPECT_EQ(OwnIndices(*t.A), (std::vector<int32_t>{10, 85}));
    EXPECT_EQ((*t.C->Jumps)[0]->PartnerIndex, 85);
    EXPECT_EQ((*t.B->Jumps)[0]->PartnerIndex, 10);
    // (k - 1) / 3 is the segment index: k = 3 gives threshold 0 as well as k = 1.
    ShiftJumpsAfterInsert(*t.A, 3);
    EXPECT_EQ(OwnIndices(*t.A), (std::vector<int32_t>{35, 110}));
}

TEST(JumpLinks, LinksPastAShortenedPathGoOnBothSides) {
    TChain t;
    LinkOutlines(*t.A, *t.B, 90, 40);
    LinkOutlines(*t.A, *t.C, 20, 20);
    // A loses its last two segments (last sample 50).
    for (int i = 0; i < 6; ++i)
        t.A->Delete(t.A->Count() - 1);
    t.A->RefreshGeometry(t.ctx);
    EXPECT_EQ(OwnIndices(*t.A), (std::vector<int32_t>{20}));
    EXPECT_FALSE(t.B->Jumps);
    ExpectConsistent(t.All());
}

TEST(JumpLinks, SegmentPercentOfAZeroLengthSegmentIsZero) {
    EXPECT_EQ(SegmentPercent(5.0, 0.0), 0.0);
    EXPECT_EQ(SegmentPercent(5.0, -1.0), 0.0);
    EXPECT_DOUBLE_EQ(SegmentPercent(5.0, 20.0), 25.0);
}

// Generated stitches of a chain: the invariants the export walk relies on.
TEST(LinkedOutlineGenerator, EveryOutlineCarriesItsLinksAndLanding) {
    for (bool satin : {false, true}) {
        TChain t;
        LinkOutlines(*t.A, *t.B, 10, 40);
        LinkOutlines(*t.A, *t.C, 60, 100);
        PropagateChain(*t.A);
        t.A->EntryIndex = 30;
        if (satin)
            for (TSLCurve* c : t.All()) {
                c->Outlines = TOutlineList::MakeDefault(c->AnchorCount());
                c->SetStitchTypeBits(ST_SATIN);
            }
        t.Regenerate();
        for (TSLCurve* c : t.All()) {
            SCOPED_TRACE(satin ? "satin" : "running");
            ASSERT_TRUE(c->Generated);
            const TSLStitch& g = *c->Generated;
            int links = 0, landings = 0, entries = 0;
            for (int32_t i = 0; i < g.Count(); ++i) {
                const TSP& p = g[i];
                if (p.Flags & SP_JUMP_LINK) {
                    ++links;
                    auto* j = static_cast<TJump*>(p.Ext);
                    ASSERT_TRUE(c->Jumps->Contains(j));
                    EXPECT_EQ(j->PointIndex, i);
                    EXPECT_EQ(p.X, j->X);
                }
                if ((p.Flags & SP_JUMP) && !(p.Flags & SP_JUMP_SHARED)) {
                    ++landings;
                    ASSERT_TRUE(p.OwnsExt());
                    EXPECT_EQ(static_cast<TJump*>(p.Ext)->LinkedOutline, t.A.get());
                }
                if (p.Flags & SP_JUMP_SHARED) ++entries;
            }
            EXPECT_EQ(links, c->Jumps->Count());
            EXPECT_EQ(landings, c == t.A.get() ? 0 : 1);
            EXPECT_EQ(entries, c == t.A.get() ? 1 : 0);
            EXPECT_TRUE(g[0].IsExtra());
            EXPECT_GE(c->Jumps->StitchIndex, 0);
            EXPECT_LT(c->Jumps->StitchIndex, g.Count());
        }
        // The root's stitching starts at its entry point.
        const TSP& start = (*t.A->Generated)[t.A->Jumps->StitchIndex];
        EXPECT_FLOAT_EQ(start.X, 120.f);
        // The chain is listed from its root.
        auto chain = t.C->JumpChain();
        ASSERT_EQ(chain.size(), 3u);
        EXPECT_EQ(chain.front(), t.A.get());
    }
}

TEST(LinkedOutlineGenerator, ACycleReadFromAFileStillEnds) {
    TChain t;
    LinkOutlines(*t.A, *t.B, 10, 40);
    LinkOutlines(*t.B, *t.C, 50, 0);
    LinkOutlines(*t.C, *t.A, 90, 90); // what a damaged file can hold
    EXPECT_EQ(ChainOf(*t.A).size(), 3u);
    EXPECT_TRUE(WouldCloseCycle(*t.A, *t.C));
    t.Regenerate();
    for (TSLCurve* c : t.All())
        EXPECT_TRUE(c->Generated && c->Generated->Count() > 0);
    EXPECT_EQ(t.A->JumpChain().size(), 3u);
}

TEST(LinkedOutlineGenerator, LinkWithoutItsOtherEndLandsNowhere) {
    TChain t;
    LinkOutlines(*t.A, *t.B, 10, 40);
    PropagateChain(*t.A);
    // The other end went missing: the landing is skipped and nothing leaks or dangles.
    (*t.A->Jumps)[0]->Reverse = nullptr;
    t.Regenerate();
    ASSERT_TRUE(t.B->Generated);
    for (const TSP& p : *t.B->Generated)
        EXPECT_FALSE((p.Flags & SP_JUMP) && !(p.Flags & SP_JUMP_SHARED));
    auto target = t.A->JumpLinks()->LinkAt((*t.A->Generated)[(*t.A->Jumps)[0]->PointIndex]);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->Outline, t.B.get());
    EXPECT_FALSE(target->EntryPoint);
}

TEST(JumpRecords, ResolvingDropsWhatDoesNotPairOnBothSides) {
    TChain t;
    auto stitch = std::make_unique<TSLStitch>();
    // Records as read: ids are list positions.
    auto rec = [](TSLCurve& c, int32_t own, int32_t partner, int32_t id) {
        if (!c.Jumps) c.Jumps = std::make_unique<TJumpList>();
        c.Jumps->InsertSorted(std::make_unique<TJump>(nullptr, own, partner, 0.f, 0.f, id), true);
    };
    rec(*t.A, 10, 40, 1); // A-B: good on both sides
    rec(*t.B, 40, 10, 0);
    rec(*t.A, 20, 30, 2); // A-C: C's end is missing
    rec(*t.B, 60, 5, 3);  // partner is not a curve
    rec(*t.C, 5, 999, 0); // index past A's path
    rec(*t.A, 999 - 900, 5, 2);
    std::vector<TSLStitch*> objects{t.A.get(), t.B.get(), t.C.get(), stitch.get()};
    ResolveJumps(objects);
    EXPECT_EQ(OwnIndices(*t.A), (std::vector<int32_t>{10}));
    EXPECT_EQ(OwnIndices(*t.B), (std::vector<int32_t>{40}));
    EXPECT_FALSE(t.C->Jumps);
    ExpectConsistent(t.All());
    ASSERT_NE(ChainRoot(*t.B), nullptr);
}

TEST(JumpRecords, WorksheetBytesAtTheirOffsets) {
    TJumpList l;
    l.Persisted = 7;
    l.StitchIndex = 3;
    l.Add(std::make_unique<TJump>(nullptr, 25, 12, 1.5f, -2.f, 4));
    TByteWriter w;
    TRecordContext ctx;
    TRecordWriter io(w, ctx, TRecordForm::Worksheet);
    l.Record(io, 100);
    TByteWriter e;
    e.I32(7);
    e.I32(3);
    e.I32(1);
    e.I32(25);
    e.I32(12);
    e.F32(1.5f);
    e.F32(-2.f);
    e.I32(4);
    EXPECT_EQ(w.Take(), e.Take());
}

TEST(JumpRecords, StreamFormIsRelativeToTheOriginAndCountsAreChecked) {
    TJumpList l;
    l.Add(std::make_unique<TJump>(nullptr, 25, 12, 110.f, 220.f, 4));
    l.Add(std::make_unique<TJump>(nullptr, 5, 12, 0.f, 0.f, 4));
    TRecordContext ctx;
    ctx.OriginX = 100;
    ctx.OriginY = 200;
    TByteWriter w;
    TRecordWriter io(w, ctx, TRecordForm::Stream);
    l.Record(io, 100);
    auto bytes = w.Take();
    ASSERT_EQ(bytes.size(), 12u + 40u);
    TByteReader check(bytes);
    check.Seek(12 + 8);
    EXPECT_EQ(check.F32(), 10.f);
    EXPECT_EQ(check.F32(), 20.f);
    {
        TByteReader r(bytes);
        TRecordReader in(r, ctx, TRecordForm::Stream);
        TJumpList back;
        back.Record(in, 20); // the link at 25 lies past a path of 20 samples: dropped
        ASSERT_EQ(back.Count(), 1);
        EXPECT_EQ(back[0]->OwnIndex, 5);
    }
    // A count larger than the bytes left fails before anything is allocated.
    bytes[8] = 0xFF;
    bytes[9] = 0xFF;
    bytes[10] = 0xFF;
    bytes[11] = 0x0F;
    TByteReader r(bytes);
    TRecordReader in(r, ctx, TRecordForm::Stream);
    TJumpList back;
    EXPECT_THROW(back.Record(in, 100), TReadError);
    TJumpList shifted;
    shifted.Add(std::make_unique<TJump>(nullptr, 1, 1, 0.f, 0.f, 2));
    ShiftPartnerIds(shifted, 10);
    EXPECT_EQ(shifted[0]->PartnerId, 12);
}

namespace {

// Distance from (x, y) to the curve's flattened path.
double DistanceToPath(const TSLCurve& c, double x, double y) {
    double best = 1e300;
    for (size_t i = 0; i + 1 < c.PathX.size(); ++i) {
        const double ax = c.PathX[i], ay = c.PathY[i], dx = c.PathX[i + 1] - ax, dy = c.PathY[i + 1] - ay;
        const double l2 = dx * dx + dy * dy;
        const double t = l2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / l2, 0.0, 1.0) : 0.0;
        best = std::min(best, std::hypot(ax + t * dx - x, ay + t * dy - y));
    }
    return best;
}

// One Bezier arc from (x, y) through (x + 400, y - 400) to (x + 800, y): a satin outline 40 units
// wide on either side.
std::unique_ptr<TSLCurve> SatinArc(float x, float y, bool shortStitches) {
    auto c = std::make_unique<TSLCurve>();
    for (auto [px, py] : {std::pair<float, float>{0, 0}, {0, -533.333f}, {800, -533.333f}, {800, 0}})
        c->AppendPoint(0, -1, x + px, y + py);
    c->Flags |= OF_VISIBLE | (shortStitches ? uint32_t{OF_SHORT_STITCHES} : 0u);
    c->RunLength = 20;
    c->Outlines = TOutlineList::MakeDefault(c->AnchorCount());
    for (const auto& o : *c->Outlines)
        o->HeightA = o->HeightB = o->CtrlHeight1A = o->CtrlHeight2A = o->CtrlHeight1B = o->CtrlHeight2B = 40;
    c->SetStitchTypeBits(ST_SATIN);
    return c;
}

} // namespace

TEST(LinkedOutlineGenerator, LinkedSatinStaysInItsBandWithAndWithoutShortStitches) {
    for (uint32_t type : {ST_SATIN, ST_ZIGZAG})
        for (bool shortStitches : {false, true}) {
            SCOPED_TRACE(std::string(type == ST_SATIN ? "satin" : "zigzag") +
                         (shortStitches ? " short stitches" : ""));
            auto a = SatinArc(0, 0, shortStitches), b = SatinArc(0, 300, shortStitches);
            a->SetStitchTypeBits(type);
            b->SetStitchTypeBits(type);
            TStitchContext ctx;
            a->Mark = 0, b->Mark = 1;
            for (TSLCurve* c : {a.get(), b.get()})
                c->RefreshGeometry(ctx);
            LinkOutlines(*a, *b, 10, 15);
            PropagateChain(*a); // the chain's root, entered at its start
            a->EntryIndex = 5;
            Restitch(*a, ctx);
            // The entry of the root and the landing on the other arc, each at its sample.
            for (auto [c, sample, flags] : {std::tuple{a.get(), 5, SP_JUMP | SP_JUMP_SHARED},
                                            std::tuple{b.get(), 15, uint32_t{SP_JUMP}}}) {
                ASSERT_TRUE(c->Generated);
                const TSLStitch& g = *c->Generated;
                int32_t found = 0;
                for (int32_t i = 0; i < g.Count(); ++i) {
                    const TSP& p = g[i];
                    // Every point on the band, and every stitch too: a chord across the arc would
                    // leave it in its middle.
                    EXPECT_LE(DistanceToPath(*c, p.X, p.Y), 41.0) << "point " << i;
                    if (i > 0) {
                        EXPECT_LE(DistanceToPath(*c, (p.X + g[i - 1].X) / 2, (p.Y + g[i - 1].Y) / 2), 41.0)
                            << "stitch " << i;
                    }
                    if ((p.Flags & (SP_JUMP | SP_JUMP_SHARED)) != flags) continue;
                    ++found;
                    const TPointD at = c->PointAtSample(sample);
                    EXPECT_LE(std::hypot(p.X - at.X, p.Y - at.Y), 40.0 + 2 * 200.0 / c->Density)
                        << "the jump point lies across the band at its sample";
                }
                EXPECT_EQ(found, 1);
            }
        }
}

TEST(LinkedOutlineGenerator, LinkedSatinKeepsItsPatternAndCompensation) {
    // The same arc plain and linked (as the chain's root): the satin running back over the link
    // run is pierced by the outline's pattern and lengthened by its compensation like the plain one.
    for (bool matched : {false, true})
        for (bool shortStitches : {false, true}) {
            SCOPED_TRACE(std::string(matched ? "matched" : "tiled") +
                         (shortStitches ? " short stitches" : ""));
            auto plain = SatinArc(0, 0, shortStitches), linked = SatinArc(0, 0, shortStitches),
                 other = SatinArc(0, 300, shortStitches);
            TStitchContext ctx;
            for (TSLCurve* c : {plain.get(), linked.get()}) {
                auto pattern = std::make_unique<TObjectStitch>();
                pattern->Flags |= TObjectStitch::PATTERN_COPY | (matched ? PATTERN_MATCH_CURVE : 0u);
                auto line = std::make_unique<TSLStitch>();
                line->Append(TSP::Plain(0, 0, 30));
                line->Append(TSP::Plain(0, 200, 170));
                pattern->Items.emplace_back(std::move(line));
                c->Outlines->OutlinePattern = TDeepPtr<TObjectStitch>(std::move(pattern));
                c->Outlines->OutlineCompensation = 1.0f; // 20 % longer: 8 units at each end
                c->StitchFlags |= SF_PROG_STITCH;
            }
            linked->Mark = 0, other->Mark = 1;
            for (TSLCurve* c : {plain.get(), linked.get(), other.get()})
                c->RefreshGeometry(ctx);
            LinkOutlines(*linked, *other, 10, 15);
            PropagateChain(*linked);
            Restitch(*plain, ctx);
            Restitch(*linked, ctx);
            auto measure = [](const TSLCurve& c, int32_t& pierced, double& reach) {
                pierced = 0, reach = 0;
                for (const TSP& p : *c.Generated) {
                    pierced += (p.Flags & SP_FILL) != 0;
                    if (!(p.Flags & SP_FILL)) reach = std::max(reach, DistanceToPath(c, p.X, p.Y));
                }
            };
            int32_t piercedPlain = 0, piercedLinked = 0;
            double reachPlain = 0, reachLinked = 0;
            measure(*plain, piercedPlain, reachPlain);
            measure(*linked, piercedLinked, reachLinked);
            EXPECT_GT(piercedPlain, 20);
            EXPECT_NEAR(piercedLinked, piercedPlain, piercedPlain / 10);
            EXPECT_NEAR(reachPlain, 48.0, 1.0);
            EXPECT_NEAR(reachLinked, reachPlain, 0.5);
        }
}
