#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "CurveHelpers.h"
#include "core/Errors.h"
#include "stitching/SLCurve.h"

using namespace nl;
using nl::test::MakeRunning;
using nl::test::Polyline;
using nl::test::SetCurveFields;
using nl::test::Straight;

namespace {
std::vector<uint8_t> Record(const TSLCurve& c, int32_t version = 1011) {
    TByteWriter w;
    TRecordContext ctx;
    ctx.Version = version;
    WriteObjectRecord(w, c, ctx);
    return w.Take();
}

std::unique_ptr<TSLCurve> ReadBack(const std::vector<uint8_t>& bytes, int32_t version = 1011) {
    TByteReader r(bytes);
    TRecordContext ctx;
    ctx.Version = version;
    auto obj = ReadObjectRecord(r, ctx);
    EXPECT_TRUE(r.AtEnd());
    return std::unique_ptr<TSLCurve>(static_cast<TSLCurve*>(obj.release()));
}

// Size of the base record of the same object, so tests can find the curve fields after it.
size_t BaseSize(const TSLCurve& c, int32_t version = 1011) {
    TSLStitch base;
    base.CopyBaseFields(c);
    static_cast<TPointList&>(base) = c;
    TByteWriter w;
    TRecordContext ctx;
    ctx.Version = version;
    WriteObjectRecord(w, base, ctx);
    return w.Size();
}

int32_t I32At(const std::vector<uint8_t>& b, size_t at) {
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void PutI32(std::vector<uint8_t>& b, size_t at, int32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}

// A satin outline with every optional part filled in.
std::unique_ptr<TSLCurve> RichOutline() {
    auto c = Polyline({{0, 0}, {100, 0}, {100, 100}});
    MakeRunning(*c, 3, 30);
    SetCurveFields(*c, 25, 50);
    c->Outlines = TOutlineList::MakeDefault(3);
    c->Outlines->ProfileFlags = PF_RETURN_STITCH;
    c->Outlines->OutlineCompensation = 1.5f;
    (*c->Outlines)[1]->HeightA = 42;
    (*c->Outlines)[2]->EndRotation = 0.25f;
    c->Outlines->OutlineFeather = std::make_unique<TFeather>();
    c->Outlines->OutlineFeather->Seed = 99;
    c->Outlines->OutlinePattern = std::make_unique<TObjectStitch>();
    c->Outlines->OutlinePattern->Flags |= TObjectStitch::PATTERN_COPY;
    c->Outlines->OutlinePattern->PatternAngle = 0.5f;
    auto item = Straight(200);
    TStitchContext ctx;
    item->RefreshGeometry(ctx);
    c->Outlines->OutlinePattern->Items.push_back(std::move(item));
    c->Jumps = std::make_unique<TJumpList>();
    c->Jumps->Persisted = 7;
    c->Jumps->StitchIndex = 4;
    c->Jumps->Add(std::make_unique<TJump>(nullptr, 25, 12, 100.f, 0.f, 5));
    (*c)[3].Flags |= SP_FORCE;
    c->RefreshGeometry(ctx);
    return c;
}

// The two rails of a one-segment curved column, linked.
void LinkedRails(TSLCurve& a, TSLCurve& b) {
    for (TSLCurve* c : {&a, &b})
        for (int i = 0; i < 4; ++i)
            c->AppendPoint(0, -1, 10.f * i, 0);
    a.Flags |= OF_RAIL_A;
    b.Flags |= OF_RAIL_B;
    TStitchContext ctx;
    LinkRails(a, b, ctx);
}

void ExpectSameCurve(const TSLCurve& a, const TSLCurve& b) {
    EXPECT_EQ(a.Count(), b.Count());
    for (int32_t i = 0; i < a.Count() && i < b.Count(); ++i) {
        EXPECT_FLOAT_EQ(a[i].X, b[i].X);
        EXPECT_FLOAT_EQ(a[i].Y, b[i].Y);
        EXPECT_EQ(a[i].Flags, b[i].Flags);
    }
    EXPECT_EQ(a.Passes, b.Passes);
    EXPECT_EQ(a.Color, b.Color);
    EXPECT_EQ(a.Density, b.Density);
    EXPECT_EQ(a.RunLength, b.RunLength);
    EXPECT_EQ(a.EntryIndex, b.EntryIndex);
    EXPECT_EQ(a.ExitIndex, b.ExitIndex);
    EXPECT_EQ(a.FillPitch, b.FillPitch);
    EXPECT_EQ(a.FillOffsets, b.FillOffsets);
    EXPECT_TRUE(std::equal(std::begin(a.Reserved), std::end(a.Reserved), std::begin(b.Reserved)));
    ASSERT_EQ(a.Outlines != nullptr, b.Outlines != nullptr);
    if (a.Outlines) {
        EXPECT_EQ(a.Outlines->ProfileFlags & ~PF_DISPLAY_ACTIVE,
                  b.Outlines->ProfileFlags & ~PF_DISPLAY_ACTIVE);
        EXPECT_EQ(a.Outlines->OutlineCompensation, b.Outlines->OutlineCompensation);
        ASSERT_EQ(a.Outlines->Count(), b.Outlines->Count());
        for (int32_t i = 0; i < a.Outlines->Count(); ++i)
            EXPECT_EQ(*(*a.Outlines)[i], *(*b.Outlines)[i]) << i;
        ASSERT_EQ(a.Outlines->OutlineFeather != nullptr, b.Outlines->OutlineFeather != nullptr);
        if (a.Outlines->OutlineFeather) {
            EXPECT_EQ(*a.Outlines->OutlineFeather, *b.Outlines->OutlineFeather);
        }
        ASSERT_EQ(a.Outlines->OutlinePattern != nullptr, b.Outlines->OutlinePattern != nullptr);
        if (a.Outlines->OutlinePattern) {
            EXPECT_EQ(a.Outlines->OutlinePattern->PatternAngle, b.Outlines->OutlinePattern->PatternAngle);
            EXPECT_EQ(a.Outlines->OutlinePattern->Items.size(), b.Outlines->OutlinePattern->Items.size());
        }
    }
    ASSERT_EQ(a.Jumps != nullptr, b.Jumps != nullptr);
    if (a.Jumps) {
        EXPECT_EQ(a.Jumps->Persisted, b.Jumps->Persisted);
        EXPECT_EQ(a.Jumps->StitchIndex, b.Jumps->StitchIndex);
        ASSERT_EQ(a.Jumps->Count(), b.Jumps->Count());
        for (int32_t i = 0; i < a.Jumps->Count(); ++i)
            EXPECT_EQ(*(*a.Jumps)[i], *(*b.Jumps)[i]);
    }
}
} // namespace

TEST(CurveRecord, RoundTripWithEveryPart) {
    auto c = RichOutline();
    auto bytes = Record(*c);
    auto back = ReadBack(bytes);
    ExpectSameCurve(*c, *back);
    EXPECT_EQ(back->PathBounds, c->PathBounds);
    // Written again, the record is byte for byte the same.
    auto again = Record(*back);
    ASSERT_EQ(again.size(), bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(again[i], bytes[i]) << "byte " << i;
}

TEST(CurveRecord, ACloneWritesTheSameRecordWithPartsOfItsOwn) {
    auto c = RichOutline();
    c->Compensation = 2.5f; // not in the record, copied all the same
    auto copy = c->Clone();
    auto* k = static_cast<TSLCurve*>(copy.get());
    EXPECT_EQ(Record(*k), Record(*c));
    for (bool stream : {false, true}) {
        TByteWriter a, b;
        stream ? WriteObjectStream(a, *c, {}) : WriteObjectRecord(a, *c, {});
        stream ? WriteObjectStream(b, *k, {}) : WriteObjectRecord(b, *k, {});
        EXPECT_EQ(a.Data(), b.Data()) << stream;
    }
    EXPECT_EQ(k->Compensation, 2.5f);
    EXPECT_EQ(k->PathX, c->PathX);
    // Every part is a copy of its own.
    EXPECT_NE(k->Outlines.get(), c->Outlines.get());
    EXPECT_NE(k->Outlines->OutlineFeather.get(), c->Outlines->OutlineFeather.get());
    EXPECT_NE(k->Outlines->OutlinePattern.get(), c->Outlines->OutlinePattern.get());
    EXPECT_NE(k->Outlines->OutlinePattern->Items[0].get(), c->Outlines->OutlinePattern->Items[0].get());
    EXPECT_NE(k->Jumps.get(), c->Jumps.get());
    // A copied rail is nobody's partner until it is linked.
    TSLCurve a, b;
    LinkedRails(a, b);
    EXPECT_EQ(static_cast<TSLCurve*>(a.Clone().get())->PartnerRail, nullptr);
}

TEST(CurveRecord, GeneratedListIsStoredAndKept) {
    auto c = Straight(200);
    MakeRunning(*c, 2, 40);
    TStitchContext ctx;
    c->UpdateBounds(ctx);
    ASSERT_TRUE(c->Generated);
    auto back = ReadBack(Record(*c));
    ASSERT_TRUE(back->Generated);
    EXPECT_EQ(back->Generated->Count(), c->Generated->Count());
    EXPECT_EQ(back->Generated->GetColor(), c->Color);
    // A running outline read without a list is regenerated.
    c->Generated.reset();
    auto regen = ReadBack(Record(*c));
    ASSERT_TRUE(regen->Generated);
    EXPECT_EQ(regen->Generated->Count(), 12);
}

TEST(CurveRecord, Version1002HasNoExitIndexNorFillFields) {
    auto c = RichOutline();
    auto now = Record(*c, 1011), old = Record(*c, 1002);
    // Per curve record (the outline and the one in its pattern): 4 bytes of ExitIndex, 24 of
    // fill fields, 4 of stitch limits in the base record.
    EXPECT_EQ(now.size() - old.size(), 2 * (4u + 24u + 4u));
    auto back = ReadBack(old, 1002);
    EXPECT_EQ(back->ExitIndex, -1);
    EXPECT_EQ(back->FillPitch, 40.f);
    EXPECT_EQ(back->FillOffsets, 0u);
    EXPECT_EQ(back->Reserved[2], 100);
    EXPECT_EQ(back->EntryIndex, 25);
    // 1002 predates the density field: the stored value is the spacing. Spacing 45 is 0.4 lines
    // per mm, less than the record can hold as a density: it reads as the page minimum.
    EXPECT_EQ(back->Density, OUTLINE_DENSITY_MIN);
}

TEST(CurveRecord, ReferencesAreWrittenAsPresentOrAbsent) {
    TSLCurve a, b;
    LinkedRails(a, b);
    b.Density = 0;
    b.Pattern = std::make_unique<TObjectStitch>();
    b.Feather = std::make_unique<TFeather>();
    b.Feather->WidthA = 31;
    TStitchContext ctx;
    auto bb = Record(b);
    size_t at = BaseSize(b);
    EXPECT_EQ(I32At(bb, at), 1);      // Partner
    EXPECT_EQ(I32At(bb, at + 4), 1);  // Pattern
    EXPECT_EQ(I32At(bb, at + 12), 1); // Feather
    auto ab = Record(a);
    EXPECT_EQ(I32At(ab, BaseSize(a)), 1); // Partner of rail A
    auto b2 = ReadBack(bb);
    ASSERT_TRUE(b2->Pattern && b2->Feather);
    EXPECT_EQ(b2->Feather->WidthA, 31);
    EXPECT_EQ(b2->Density, 0);
    EXPECT_EQ(b2->PartnerRail, nullptr); // linked by the loader
    auto a2 = ReadBack(ab);
    LinkRails(*a2, *b2, ctx);
    EXPECT_EQ(a2->PartnerRail, b2.get());
    EXPECT_EQ(b2->PartnerRail, a2.get());
    // Rails that do not pair up are refused.
    b2->AppendPoint(0, -1, 1, 1);
    EXPECT_THROW(LinkRails(*a2, *b2, ctx), TReadError);
    EXPECT_THROW(LinkRails(*a2, *a2, ctx), TReadError);
}

TEST(CurveRecord, StoredValuesAreBroughtIntoRange) {
    struct Case {
        int32_t version;
        uint32_t railFlag;
        int32_t density, expectedDensity;
        int32_t passes, expectedPasses;
        int32_t run, expectedRun;
    } cases[] = {
        {1011, 0, 50, 50, 2, 2, 40, 40},
        {1011, 0, 5, 40, 0, 1, 0, 10},      // spacing 5 -> density 40; passes and run clamped up
        {1011, 0, 0, 50, 51, 50, 161, 160}, // zero spacing -> default
        {1011, 0, -3, 50, -7, 1, -40, 10},  // negative spacing -> default
        {1003, 0, 1, 200, 8, 8, 20, 20},    // old file: always spacing
        {1003, 0, 0, 50, 1, 1, 160, 160},
        {1011, 0, 9000, 500, 50, 50, 10, 10},
        {1011, OF_RAIL_A, 1, 70, 2, 2, 40, 40}, // rails keep to their page's 10 .. 70
        {1011, OF_RAIL_A, 3, 66, 2, 2, 40, 40},
    };
    for (const auto& c : cases) {
        auto curve = Straight(100);
        curve->Flags |= c.railFlag;
        auto bytes = Record(*curve, c.version);
        size_t at = BaseSize(*curve, c.version);
        PutI32(bytes, at, c.passes);
        PutI32(bytes, at + 8, c.density);
        PutI32(bytes, at + 12, c.run);
        auto back = ReadBack(bytes, c.version);
        EXPECT_EQ(back->Density, c.expectedDensity) << c.version << " " << c.density;
        if (!c.railFlag) {
            EXPECT_EQ(back->Passes, c.expectedPasses) << c.passes;
            EXPECT_EQ(back->RunLength, c.expectedRun) << c.run;
        }
    }
}

TEST(CurveRecord, SpacingsAreConvertedOnceAndThenKept) {
    // Values below 10 and old files hold a stitch spacing. Whatever density the conversion gives
    // is one the record holds as a density: saved and loaded again, it stays.
    struct Case {
        int32_t version;
        int32_t stored, expected;
    } cases[] = {
        {1011, 1, 200}, {1011, 5, 40}, {1011, 9, 22},  {1011, 10, 10},  {1011, 500, 500},
        {1003, 1, 200}, {1003, 9, 22}, {1003, 45, 10}, {1003, 200, 10}, {1003, 20, 10},
    };
    for (const auto& c : cases) {
        auto curve = Straight(100);
        curve->Outlines = TOutlineList::MakeDefault(2);
        curve->SetStitchTypeBits(ST_SATIN);
        auto bytes = Record(*curve, c.version);
        PutI32(bytes, BaseSize(*curve, c.version) + 8, c.stored);
        auto first = ReadBack(bytes, c.version);
        EXPECT_EQ(first->Density, c.expected) << c.version << " " << c.stored;
        auto again = ReadBack(Record(*first));
        EXPECT_EQ(again->Density, c.expected) << c.version << " " << c.stored;
    }
}

TEST(CurveRecord, InvalidStructureIsRefused) {
    struct Case {
        const char* what;
        std::function<void(TSLCurve&)> spoil;
    } cases[] = {
        {"point count not 3k+1", [](TSLCurve& c) { c.AppendPoint(0, -1, 1, 1); }},
        {"too few points",
         [](TSLCurve& c) {
             while (c.Count() > 1)
                 c.Delete(c.Count() - 1);
         }},
        {"sections differ from anchors", [](TSLCurve& c) { c.Outlines->Delete(2); }},
        {"current section", [](TSLCurve& c) { c.Outlines->CurrentSection = 3; }},
        {"negative current section", [](TSLCurve& c) { c.Outlines->CurrentSection = -1; }},
        {"selected segment", [](TSLCurve& c) { c.Outlines->SelectedSegment = 0; }},
        {"start sample", [](TSLCurve& c) { (*c.Outlines)[1]->StartSample = 51; }},
        {"entry index", [](TSLCurve& c) { c.EntryIndex = 51; }},
        {"exit index", [](TSLCurve& c) { c.ExitIndex = -2; }},
        {"both rails", [](TSLCurve& c) { c.Flags |= OF_RAIL_A | OF_RAIL_B; }},
    };
    for (const auto& c : cases) {
        auto curve = RichOutline();
        c.spoil(*curve);
        auto bytes = Record(*curve);
        TByteReader r(bytes);
        TRecordContext ctx;
        EXPECT_THROW(ReadObjectRecord(r, ctx), TReadError) << c.what;
    }
}

TEST(CurveRecord, EveryTruncationFailsCleanly) {
    auto bytes = Record(*RichOutline());
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        TByteReader r(cut);
        TRecordContext ctx;
        EXPECT_THROW(ReadObjectRecord(r, ctx), TReadError) << n;
    }
}

TEST(CurveRecord, PatternVersionAndNesting) {
    // A pattern written before the version field holds EditPoints in its place.
    TObjectStitch p;
    p.EditPoints = 33;
    TByteWriter w;
    TRecordContext ctx;
    ctx.Version = 1011;
    TRecordWriter pw(w, ctx, TRecordForm::Worksheet);
    p.Record(pw);
    auto b = w.Take();
    // Drop the version int32 (after kind, type, colour, style, lock, layer, extra, flags, rect).
    size_t versionAt = 1 + 1 + 4 + 3 + 4 + 4 + 17;
    EXPECT_EQ(I32At(b, versionAt), 1011);
    b.erase(b.begin() + static_cast<std::ptrdiff_t>(versionAt),
            b.begin() + static_cast<std::ptrdiff_t>(versionAt + 4));
    TObjectStitch old;
    TByteReader r(b);
    TRecordReader pr(r, ctx, TRecordForm::Worksheet);
    old.Record(pr);
    EXPECT_EQ(old.EditPoints, 33);
    EXPECT_EQ(old.Version, 999);
    // Unknown item kinds are refused with the pattern error.
    TObjectStitch copy;
    copy.Flags |= TObjectStitch::PATTERN_COPY;
    copy.Items.push_back(Straight(10));
    TByteWriter w2;
    TRecordWriter cw(w2, ctx, TRecordForm::Worksheet);
    copy.Record(cw);
    auto b2 = w2.Take();
    size_t itemKindAt = versionAt + 4 + 16 + 4;
    ASSERT_EQ(b2[itemKindAt], KIND_CURVE);
    b2[itemKindAt] = 9;
    TByteReader r2(b2);
    TObjectStitch bad;
    try {
        TRecordReader br(r2, ctx, TRecordForm::Worksheet);
        bad.Record(br);
        FAIL() << "accepted an unknown item kind";
    } catch (const TReadError& e) {
        EXPECT_STREQ(e.what(), "Pattern Loading Error ");
    }
    // Patterns nested in curves nested in patterns end at a fixed depth.
    std::unique_ptr<TSLCurve> inner = Polyline({{0, 0}, {10, 0}});
    for (int depth = 0; depth < 8; ++depth) {
        auto outer = Polyline({{0, 0}, {10, 0}});
        outer->Outlines = TOutlineList::MakeDefault(2);
        outer->Outlines->OutlinePattern = std::make_unique<TObjectStitch>();
        outer->Outlines->OutlinePattern->Flags |= TObjectStitch::PATTERN_COPY;
        outer->Outlines->OutlinePattern->Items.push_back(std::move(inner));
        inner = std::move(outer);
    }
    auto deep = Record(*inner);
    TByteReader rd(deep);
    EXPECT_THROW(ReadObjectRecord(rd, ctx), TReadError);
}

TEST(CurveStream, RoundTripRelativeToTheOrigin) {
    auto c = RichOutline();
    TByteWriter w;
    TRecordContext out;
    out.OriginX = 100;
    out.OriginY = 50;
    WriteObjectStream(w, *c, out);
    auto bytes = w.Take();
    TRecordContext in;
    in.OriginX = 1100;
    in.OriginY = 2050;
    TByteReader r(bytes);
    auto obj = ReadObjectStream(r, in);
    EXPECT_TRUE(r.AtEnd());
    auto* back = static_cast<TSLCurve*>(obj.get());
    ASSERT_EQ(back->Count(), c->Count());
    EXPECT_FLOAT_EQ((*back)[3].X, (*c)[3].X + 1000);
    EXPECT_FLOAT_EQ((*back)[3].Y, (*c)[3].Y + 2000);
    ASSERT_TRUE(back->Jumps);
    EXPECT_FLOAT_EQ((*back->Jumps)[0]->X, (*c->Jumps)[0]->X + 1000);
    ASSERT_TRUE(back->Outlines);
    EXPECT_EQ((*back->Outlines)[1]->HeightA, 42.f);
    EXPECT_TRUE(back->Outlines->OutlineFeather && back->Outlines->OutlinePattern);
    // The display bit of a profile does not travel through the stream.
    c->Outlines->ProfileFlags |= PF_DISPLAY_ACTIVE;
    TByteWriter w2;
    WriteObjectStream(w2, *c, out);
    auto b2 = w2.Take();
    TByteReader r2(b2);
    auto obj2 = ReadObjectStream(r2, in);
    EXPECT_FALSE(static_cast<TSLCurve*>(obj2.get())->Outlines->ProfileFlags & PF_DISPLAY_ACTIVE);
    // Truncated streams fail cleanly.
    for (size_t n = 1; n < bytes.size(); n += 7) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        TByteReader rc(cut);
        EXPECT_THROW(ReadObjectStream(rc, in), TReadError) << n;
    }
}

TEST(CurveRecord, RailsPairInReadingOrder) {
    auto rail = [](uint32_t flag, int points) {
        auto c = std::make_unique<TSLCurve>();
        for (int i = 0; i < points; ++i)
            c->AppendPoint(0, -1, 10.f * i, flag == OF_RAIL_A ? 0.f : 20.f);
        c->Flags |= flag | OF_VISIBLE;
        return c;
    };
    TStitchContext ctx;
    auto a = rail(OF_RAIL_A, 4), b = rail(OF_RAIL_B, 4);
    TSLStitch between;
    LinkRailsInOrder({a.get(), &between, b.get()}, ctx);
    EXPECT_EQ(a->PartnerRail, b.get());
    EXPECT_EQ(b->PartnerRail, a.get());
    // Both rails report the union of their bounds.
    EXPECT_EQ(a->Bounds, b->Bounds);
    struct Case {
        const char* what;
        std::vector<std::pair<uint32_t, int>> rails;
    } cases[] = {
        {"B without A", {{OF_RAIL_B, 4}}},
        {"A without B", {{OF_RAIL_A, 4}}},
        {"two A in a row", {{OF_RAIL_A, 4}, {OF_RAIL_A, 4}, {OF_RAIL_B, 4}}},
        {"different point counts", {{OF_RAIL_A, 4}, {OF_RAIL_B, 7}}},
    };
    for (const auto& c : cases) {
        std::vector<std::unique_ptr<TSLCurve>> own;
        std::vector<TSLStitch*> objs;
        for (auto [flag, n] : c.rails) {
            own.push_back(rail(flag, n));
            objs.push_back(own.back().get());
        }
        EXPECT_THROW(LinkRailsInOrder(objs, ctx), TReadError) << c.what;
    }
}
