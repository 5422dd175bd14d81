// Byte layouts of the stitch object records (the base record, its stream form, and the curve
// record with its width profile, feather, generated list and jump list), checked field by field
// against records built by hand from the layout tables, in both directions.
#include <gtest/gtest.h>

#include "CurveHelpers.h"
#include "stitching/SLCurve.h"
#include "tests/core/RecordBytes.h"

using namespace nl;
using nl::test::SameRecord;
using nl::test::TExpectedRecord;

namespace {

std::vector<uint8_t> Written(const TSLStitch& o, int32_t version, bool stream = false, int32_t ox = 0,
                             int32_t oy = 0) {
    TRecordContext ctx;
    ctx.Version = version;
    ctx.OriginX = ox;
    ctx.OriginY = oy;
    TByteWriter w;
    stream ? WriteObjectStream(w, o, ctx) : WriteObjectRecord(w, o, ctx);
    return w.Take();
}

std::unique_ptr<TSLStitch> ReadExpected(const TExpectedRecord& e, int32_t version, bool stream = false,
                                        int32_t ox = 0, int32_t oy = 0) {
    TRecordContext ctx;
    ctx.Version = version;
    ctx.OriginX = ox;
    ctx.OriginY = oy;
    TByteReader r(e.Bytes());
    auto o = stream ? ReadObjectStream(r, ctx) : ReadObjectRecord(r, ctx);
    EXPECT_TRUE(r.AtEnd()) << r.Remaining() << " bytes left";
    return o;
}

// A direct stitch object with a value of its own in every field.
std::unique_ptr<TSLStitch> DirectObject() {
    auto o = std::make_unique<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    o->GroupId = 3;
    o->Mark = 5;
    o->StitchFlags = 0x60000 | ST_RUNNING;
    o->TatamiMin = 12;
    o->OrderIndex = 7;
    o->StitchLimits = 6u << 16 | 200u;
    o->Bounds.Set(10, 20, 110, 220);
    o->Bounds.empty = false;
    o->JumpVia = TSP::Plain(SP_BOUNDARY, 60.5f, 70.25f);
    o->Append(TSP::Colour(0, 10.f, 20.f, 0x00123456));
    o->Append(TSP::Plain(SP_BOUNDARY, 110.f, 220.f));
    return o;
}

void ExpectDirectObjectRead(const TSLStitch& o, int32_t version, float dx = 0, float dy = 0) {
    EXPECT_EQ(o.Kind(), KIND_STITCH);
    EXPECT_EQ(o.Flags, OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE);
    EXPECT_EQ(o.GroupId, 3);
    EXPECT_EQ(o.Mark, 5);
    EXPECT_EQ(o.StitchFlags, 0x60000u | ST_RUNNING);
    EXPECT_EQ(o.TatamiMin, 12);
    EXPECT_EQ(o.OrderIndex, 7);
    EXPECT_EQ(o.StitchLimits, version >= 1005 ? (6u << 16 | 200u) : DEFAULT_STITCH_LIMITS);
    ASSERT_TRUE(o.JumpVia);
    EXPECT_EQ(o.JumpVia->Flags, SP_BOUNDARY);
    EXPECT_EQ(o.JumpVia->X, 60.5f + dx);
    EXPECT_EQ(o.JumpVia->Y, 70.25f + dy);
    ASSERT_EQ(o.Count(), 2);
    EXPECT_EQ(o[0].GetColour(), 0x00123456);
    EXPECT_EQ(o[0].X, 10.f + dx);
    EXPECT_EQ(o[0].Y, 20.f + dy);
    EXPECT_EQ(o[1].Flags, SP_BOUNDARY);
    EXPECT_EQ(o[1].X, 110.f + dx);
    EXPECT_EQ(o[1].Y, 220.f + dy);
}

} // namespace

TEST(StitchRecordLayout, BaseRecordInTheWorksheetFile) {
    auto o = DirectObject();
    for (int32_t version : {1004, 1005, 1011}) {
        TExpectedRecord e;
        e.U8(KIND_STITCH, "kind");
        e.U32(OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE, "Flags");
        e.I32(3, "GroupId");
        e.I32(5, "Mark");
        e.U32(0x60000 | ST_RUNNING, "StitchFlags");
        e.I32(12, "TatamiMin");
        e.I32(7, "OrderIndex");
        if (version >= 1005) e.U32(6u << 16 | 200u, "StitchLimits");
        e.Rect(10, 20, 110, 220, false, "Bounds");
        e.Bool(true, "JumpVia follows");
        e.U32(SP_BOUNDARY, "JumpVia flags").F32(60.5f, "JumpVia X").F32(70.25f, "JumpVia Y");
        e.I32(2, "point count");
        e.U32(SP_EXTRA, "point 0 flags").F32(10.f, "point 0 X").F32(20.f, "point 0 Y");
        e.I32(0x00123456, "point 0 colour").I32(0, "point 0 jump placeholder");
        e.U32(SP_BOUNDARY, "point 1 flags").F32(110.f, "point 1 X").F32(220.f, "point 1 Y");
        EXPECT_TRUE(SameRecord(Written(*o, version), e)) << version;
        ExpectDirectObjectRead(*ReadExpected(e, version), version);
    }
    // Without a via-point the flag byte is 0 and the point count follows at once; the transient
    // "generate while hidden" bit does not survive loading.
    TSLStitch empty;
    empty.Flags = OF_GENERATE_HIDDEN | OF_VISIBLE;
    TExpectedRecord e;
    e.U8(KIND_STITCH, "kind").U32(OF_GENERATE_HIDDEN | OF_VISIBLE, "Flags").I32(0, "GroupId").I32(0, "Mark");
    e.U32(0x60000, "StitchFlags").I32(10, "TatamiMin").I32(-1, "OrderIndex");
    e.U32(DEFAULT_STITCH_LIMITS, "StitchLimits").Rect(0, 0, 0, 0, true, "Bounds");
    e.Bool(false, "JumpVia follows").I32(0, "point count");
    EXPECT_TRUE(SameRecord(Written(empty, 1011), e));
    auto back = ReadExpected(e, 1011);
    EXPECT_EQ(back->Flags, OF_VISIBLE);
    EXPECT_FALSE(back->JumpVia);
}

TEST(StitchRecordLayout, BaseRecordInTheObjectStream) {
    // Another order than the worksheet record, StitchLimits always present, no Bounds, and every
    // position relative to the stream origin.
    auto o = DirectObject();
    TExpectedRecord e;
    e.U8(KIND_STITCH, "kind");
    e.U32(OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE, "Flags");
    e.I32(3, "GroupId");
    e.I32(7, "OrderIndex");
    e.U32(6u << 16 | 200u, "StitchLimits");
    e.I32(5, "Mark");
    e.U32(0x60000 | ST_RUNNING, "StitchFlags");
    e.I32(12, "TatamiMin");
    e.Bool(true, "JumpVia follows");
    e.U32(SP_BOUNDARY, "JumpVia flags").F32(50.5f, "JumpVia X - origin").F32(50.25f, "JumpVia Y - origin");
    e.I32(2, "point count");
    e.U8(9, "point 0 type code").U32(SP_EXTRA, "point 0 flags");
    e.F32(0.f, "point 0 X - origin").F32(0.f, "point 0 Y - origin").I32(0x00123456, "point 0 colour");
    e.U8(8, "point 1 type code").U32(SP_BOUNDARY, "point 1 flags");
    e.F32(100.f, "point 1 X - origin").F32(200.f, "point 1 Y - origin");
    EXPECT_TRUE(SameRecord(Written(*o, 1011, true, 10, 20), e));
    // Read at another origin, everything moves by the difference (also from a stream context
    // whose version is old: streams have no versions).
    ExpectDirectObjectRead(*ReadExpected(e, 1011, true, 1010, 2020), 1011, 1000, 2000);
    ExpectDirectObjectRead(*ReadExpected(e, 1002, true, 1010, 2020), 1011, 1000, 2000);
}

namespace {

// A one-segment satin outline with a two-section width profile, a feather and a jump link.
std::unique_ptr<TSLCurve> SatinOutline() {
    auto c = std::make_unique<TSLCurve>();
    c->Flags = OF_VISIBLE;
    c->GroupId = 2;
    c->Mark = 4;
    c->StitchFlags = 0x60000 | ST_SATIN;
    c->OrderIndex = ORDER_UNPLACED;
    c->Bounds.Set(0, 0, 300, 40);
    c->Bounds.empty = false;
    c->Append(TSP::Plain(SP_FORCE, 0, 0));
    c->Append(TSP::Plain(0, 100, 0));
    c->Append(TSP::Plain(0, 200, 0));
    c->Append(TSP::Plain(0, 300, 0));
    nl::test::SetCurveFields(*c, 5, 20);
    c->PathBounds.Set(-3, -4, 303, 44);
    c->PathBounds.empty = false;
    c->Outlines = TOutlineList::MakeDefault(2);
    TOutlineList& p = *c->Outlines;
    p.ProfileFlags = PF_RETURN_STITCH;
    p.CurrentSection = 1;
    p.SelectedSegment = 1;
    p.OutlineCompensation = 1.5f;
    for (int i = 0; i < 2; ++i) {
        TOutline& s = *p[i];
        float k = 100.f * i; // section 1 differs from section 0 in every field
        s.HeightA = 20 + k, s.HeightB = 21 + k;
        s.CtrlPos1A = 33.25f + k, s.CtrlPos2A = 66.5f + k, s.CtrlPos1B = 30 + k, s.CtrlPos2B = 60 + k;
        s.CtrlHeight1A = 22 + k, s.CtrlHeight2A = 23 + k, s.CtrlHeight1B = 24 + k, s.CtrlHeight2B = 25 + k;
        s.EndRotation = 0.25f + k, s.SectionMeasure = 301.5f + k, s.SectionLength = 300 + k;
        s.StartAngle = 0.125f + k, s.StartSample = 25 * i;
    }
    p.OutlineFeather = std::make_unique<TFeather>();
    *p.OutlineFeather = TFeather{0x5, 31, 32, 0.5f, 0.75f, 99};
    c->Jumps = std::make_unique<TJumpList>();
    c->Jumps->Persisted = 7;
    c->Jumps->StitchIndex = 4;
    c->Jumps->Add(std::make_unique<TJump>(nullptr, 25, 12, 100.f, 0.f, 6));
    return c;
}

// The fields of one width profile section in record order.
void ExpectSection(TExpectedRecord& e, int i) {
    float k = 100.f * i;
    e.F32(20 + k, "HeightA").F32(21 + k, "HeightB");
    e.F32(33.25f + k, "CtrlPos1A")
        .F32(66.5f + k, "CtrlPos2A")
        .F32(30 + k, "CtrlPos1B")
        .F32(60 + k, "CtrlPos2B");
    e.F32(22 + k, "CtrlHeight1A").F32(23 + k, "CtrlHeight2A");
    e.F32(24 + k, "CtrlHeight1B").F32(25 + k, "CtrlHeight2B");
    e.F32(0.25f + k, "EndRotation").F32(301.5f + k, "SectionMeasure").F32(300 + k, "SectionLength");
    e.F32(0.125f + k, "StartAngle").I32(25 * i, "StartSample");
}

void ExpectFeather(TExpectedRecord& e) {
    e.U32(0x5, "FeatherFlags").I32(31, "WidthA").I32(32, "WidthB");
    e.F32(0.5f, "ScaleA").F32(0.75f, "ScaleB").I32(99, "Seed");
}

// The width profile record: its fields, two sections, then the pattern and feather announcements
// (1 in a worksheet file, 14 and 15 in a stream) with the feather record.
void ExpectProfile(TExpectedRecord& e, uint8_t featherFollows) {
    e.U32(PF_RETURN_STITCH, "ProfileFlags").I32(1, "CurrentSection").I32(1, "SelectedSegment");
    e.F32(1.5f, "OutlineCompensation").I32(2, "section count");
    ExpectSection(e, 0);
    ExpectSection(e, 1);
    e.U8(0, "pattern follows").U8(featherFollows, "feather follows");
    ExpectFeather(e);
}

// The curve fields after the base record: role slots, indices, fill fields, PathBounds.
void ExpectCurveHead(TExpectedRecord& e, int32_t version, bool stream, int32_t density = 45, int32_t ox = 0,
                     int32_t oy = 0) {
    e.I32(3, "Passes").I32(0x00102030, "Color").I32(density, "Density").I32(30, "RunLength");
    e.I32(5, "EntryIndex");
    if (stream || version >= 1003) e.I32(20, "ExitIndex");
    if (stream || version >= 1007) {
        e.F32(55.5f, "FillPitch").U32(0x00030004, "FillOffsets");
        e.I32(16, "integer 1").I32(40, "integer 2").I32(77, "integer 3").I32(680, "integer 4");
    }
    e.Rect(-3 - ox, -4 - oy, 303 - ox, 44 - oy, false, "PathBounds");
}

void ExpectSatinOutlineRead(const TSLCurve& c, float dx = 0) {
    EXPECT_EQ(c.Flags, OF_VISIBLE);
    EXPECT_EQ(c.StitchFlags, 0x60000u | ST_SATIN);
    ASSERT_EQ(c.Count(), 4);
    EXPECT_EQ(c[0].Flags, SP_FORCE);
    EXPECT_EQ(c[3].X, 300 + dx);
    EXPECT_EQ(c.Passes, 3);
    EXPECT_EQ(c.Color, 0x00102030);
    EXPECT_EQ(c.Density, 45);
    EXPECT_EQ(c.RunLength, 30);
    EXPECT_EQ(c.EntryIndex, 5);
    EXPECT_EQ(c.ExitIndex, 20);
    EXPECT_EQ(c.FillPitch, 55.5f);
    EXPECT_EQ(c.FillOffsets, 0x00030004u);
    EXPECT_EQ(c.Reserved[2], 77);
    ASSERT_TRUE(c.Outlines);
    const TOutlineList& p = *c.Outlines;
    // CurrentSection, SectionMeasure and StartAngle are recomputed by the edge computation that
    // follows loading; their places are checked on the writing side.
    EXPECT_EQ(p.ProfileFlags, PF_RETURN_STITCH);
    EXPECT_EQ(p.SelectedSegment, 1);
    EXPECT_EQ(p.OutlineCompensation, 1.5f);
    ASSERT_EQ(p.Count(), 2);
    auto expected = SatinOutline();
    for (int i = 0; i < 2; ++i) {
        TOutline s = *p[i];
        const TOutline& x = *(*expected->Outlines)[i];
        s.SectionMeasure = x.SectionMeasure;
        s.StartAngle = x.StartAngle;
        EXPECT_EQ(s, x) << "section " << i;
    }
    ASSERT_TRUE(p.OutlineFeather);
    EXPECT_EQ(*p.OutlineFeather, (TFeather{0x5, 31, 32, 0.5f, 0.75f, 99}));
    EXPECT_FALSE(p.OutlinePattern);
    ASSERT_TRUE(c.Jumps);
    EXPECT_EQ(c.Jumps->Persisted, 7);
    EXPECT_EQ(c.Jumps->StitchIndex, 4);
    ASSERT_EQ(c.Jumps->Count(), 1);
    EXPECT_EQ(*(*c.Jumps)[0], (TJump(nullptr, 25, 12, 100.f + dx, 0.f, 6)));
}

} // namespace

TEST(CurveRecordLayout, SatinOutlineWithWidthProfileInTheWorksheetFile) {
    auto c = SatinOutline();
    TExpectedRecord e;
    e.U8(KIND_CURVE, "kind").U32(OF_VISIBLE, "Flags").I32(2, "GroupId").I32(4, "Mark");
    e.U32(0x60000 | ST_SATIN, "StitchFlags").I32(10, "TatamiMin").I32(ORDER_UNPLACED, "OrderIndex");
    e.U32(DEFAULT_STITCH_LIMITS, "StitchLimits").Rect(0, 0, 300, 40, false, "Bounds");
    e.Bool(false, "JumpVia follows").I32(4, "point count");
    e.U32(SP_FORCE, "point 0 flags").F32(0, "point 0 X").F32(0, "point 0 Y");
    for (float x : {100.f, 200.f, 300.f})
        e.U32(0, "point flags").F32(x, "point X").F32(0, "point Y");
    ExpectCurveHead(e, 1011, false);
    e.Bool(true, "width profile follows");
    ExpectProfile(e, 1);
    e.Bool(false, "stitch list follows"); // never beside a jump list
    e.Bool(true, "jump list follows");
    e.I32(7, "jump list value").I32(4, "StitchIndex").I32(1, "jump count");
    e.I32(25, "OwnIndex").I32(12, "PartnerIndex").F32(100.f, "X").F32(0.f, "Y").I32(6, "PartnerId");
    EXPECT_TRUE(SameRecord(Written(*c, 1011), e));
    auto back = ReadExpected(e, 1011);
    ExpectSatinOutlineRead(static_cast<const TSLCurve&>(*back));
}

TEST(CurveRecordLayout, SatinOutlineInTheObjectStream) {
    // Same curve fields, PathBounds and jump positions relative to the origin, the profile's
    // parts announced by the bytes 14 and 15, and no stored stitch list.
    auto c = SatinOutline();
    const int32_t ox = 50, oy = -10;
    TExpectedRecord e;
    e.U8(KIND_CURVE, "kind").U32(OF_VISIBLE, "Flags").I32(2, "GroupId").I32(ORDER_UNPLACED, "OrderIndex");
    e.U32(DEFAULT_STITCH_LIMITS, "StitchLimits").I32(4, "Mark").U32(0x60000 | ST_SATIN, "StitchFlags");
    e.I32(10, "TatamiMin").Bool(false, "JumpVia follows").I32(4, "point count");
    e.U8(8, "point 0 type code").U32(SP_FORCE, "point 0 flags").F32(-50, "point 0 X").F32(10, "point 0 Y");
    for (float x : {50.f, 150.f, 250.f})
        e.U8(8, "point type code").U32(0, "point flags").F32(x, "point X").F32(10, "point Y");
    ExpectCurveHead(e, 1011, true, 45, ox, oy);
    e.Bool(true, "width profile follows");
    ExpectProfile(e, 15);
    e.Bool(true, "jump list follows");
    e.I32(7, "jump list value").I32(4, "StitchIndex").I32(1, "jump count");
    e.I32(25, "OwnIndex").I32(12, "PartnerIndex").F32(50.f, "X - origin").F32(10.f, "Y - origin");
    e.I32(6, "PartnerId");
    EXPECT_TRUE(SameRecord(Written(*c, 1011, true, ox, oy), e));
    auto back = ReadExpected(e, 1011, true, ox + 1000, oy);
    ExpectSatinOutlineRead(static_cast<const TSLCurve&>(*back), 1000);
}

TEST(CurveRecordLayout, FieldsByFileVersionAndTheStoredStitchList) {
    // A running outline with a generated list of two points and no jump list: the list follows
    // as a complete record of its own. The versions cover every combination of the gates
    // (ExitIndex from 1003, StitchLimits from 1005, the fill fields from 1007).
    auto c = SatinOutline();
    c->Outlines.reset();
    c->Jumps.reset();
    c->StitchFlags = 0x60000 | ST_RUNNING;
    c->Density = 50; // a density in every version (at 45, versions before 1004 would read a spacing)
    c->Generated = std::make_unique<TSLStitch>();
    c->Generated->Flags = OF_NEEDLE_POINTS;
    c->Generated->Append(TSP::Colour(SP_BOUNDARY, 0, 0, 0x00102030));
    c->Generated->Append(TSP::Plain(SP_BOUNDARY, 300, 0));
    c->Generated->Bounds.Set(-1, -1, 301, 1);
    c->Generated->Bounds.empty = false;
    for (int32_t version : {1002, 1004, 1006, 1011}) {
        TExpectedRecord e;
        e.U8(KIND_CURVE, "kind").U32(OF_VISIBLE, "Flags").I32(2, "GroupId").I32(4, "Mark");
        e.U32(0x60000 | ST_RUNNING, "StitchFlags").I32(10, "TatamiMin").I32(ORDER_UNPLACED, "OrderIndex");
        if (version >= 1005) e.U32(DEFAULT_STITCH_LIMITS, "StitchLimits");
        e.Rect(0, 0, 300, 40, false, "Bounds").Bool(false, "JumpVia follows").I32(4, "point count");
        e.U32(SP_FORCE, "point 0 flags").F32(0, "point 0 X").F32(0, "point 0 Y");
        for (float x : {100.f, 200.f, 300.f})
            e.U32(0, "point flags").F32(x, "point X").F32(0, "point Y");
        ExpectCurveHead(e, version, false, 50);
        e.Bool(false, "width profile follows");
        e.Bool(true, "stitch list follows");
        e.U8(KIND_STITCH, "list kind").U32(OF_NEEDLE_POINTS, "list Flags").I32(0, "list GroupId");
        e.I32(0, "list Mark").U32(0x60000, "list StitchFlags").I32(10, "list TatamiMin");
        e.I32(-1, "list OrderIndex");
        if (version >= 1005) e.U32(DEFAULT_STITCH_LIMITS, "list StitchLimits");
        e.Rect(-1, -1, 301, 1, false, "list Bounds").Bool(false, "list JumpVia follows");
        e.I32(2, "list point count");
        e.U32(SP_EXTRA | SP_BOUNDARY, "list point 0 flags").F32(0, "X").F32(0, "Y");
        e.I32(0x00102030, "list point 0 colour").I32(0, "list point 0 jump placeholder");
        e.U32(SP_BOUNDARY, "list point 1 flags").F32(300, "X").F32(0, "Y");
        e.Bool(false, "jump list follows");
        EXPECT_TRUE(SameRecord(Written(*c, version), e)) << version;

        auto back = ReadExpected(e, version);
        auto& k = static_cast<const TSLCurve&>(*back);
        EXPECT_EQ(k.ExitIndex, version >= 1003 ? 20 : -1);
        EXPECT_EQ(k.FillPitch, version >= 1007 ? 55.5f : 40.f);
        EXPECT_EQ(k.Reserved[2], version >= 1007 ? 77 : 100);
        EXPECT_EQ(k.StitchLimits, DEFAULT_STITCH_LIMITS);
        // Before 1004 the field is a spacing: 50 units is 0.4 lines per mm, read as the minimum.
        EXPECT_EQ(k.Density, version >= 1004 ? 50 : OUTLINE_DENSITY_MIN);
        ASSERT_TRUE(k.Generated);
        ASSERT_EQ(k.Generated->Count(), 2);
        EXPECT_EQ((*k.Generated)[0].GetColour(), 0x00102030);
        EXPECT_EQ((*k.Generated)[1].X, 300.f);
    }
}

TEST(CurveRecordLayout, RailBStoresReferencesAsPresentAndItsFeather) {
    // Rail B: the role slots hold 1 or 0 for its partner, pattern and feather; the feather record
    // follows the (absent) profile; rail B never stores a stitch list.
    TSLCurve a, b;
    for (TSLCurve* r : {&a, &b})
        for (int i = 0; i < 4; ++i)
            r->Append(TSP::Plain(0, 10.f * i, r == &a ? 0.f : 40.f));
    a.Flags = OF_RAIL_A | OF_VISIBLE;
    b.Flags = OF_RAIL_B;
    b.Density = 0;
    b.Feather = std::make_unique<TFeather>();
    *b.Feather = TFeather{0x5, 31, 32, 0.5f, 0.75f, 99};
    b.PartnerRail = &a;
    b.PathBounds.Set(0, 40, 30, 40);
    b.PathBounds.empty = false;
    TExpectedRecord e;
    e.U8(KIND_CURVE, "kind").U32(OF_RAIL_B, "Flags").I32(0, "GroupId").I32(0, "Mark");
    e.U32(0x60000, "StitchFlags").I32(10, "TatamiMin").I32(-1, "OrderIndex");
    e.U32(DEFAULT_STITCH_LIMITS, "StitchLimits").Rect(0, 0, 0, 0, true, "Bounds");
    e.Bool(false, "JumpVia follows").I32(4, "point count");
    for (float x : {0.f, 10.f, 20.f, 30.f})
        e.U32(0, "point flags").F32(x, "point X").F32(40.f, "point Y");
    e.I32(1, "Partner present").I32(0, "Pattern present").I32(0, "Density");
    e.I32(1, "Feather present").I32(-1, "EntryIndex").I32(-1, "ExitIndex");
    e.F32(40.f, "FillPitch").U32(0, "FillOffsets");
    e.I32(16, "integer 1").I32(40, "integer 2").I32(100, "integer 3").I32(680, "integer 4");
    e.Rect(0, 40, 30, 40, false, "PathBounds");
    e.Bool(false, "width profile follows");
    ExpectFeather(e);
    e.Bool(false, "jump list follows");
    EXPECT_TRUE(SameRecord(Written(b, 1011), e));
    auto back = ReadExpected(e, 1011);
    auto& k = static_cast<const TSLCurve&>(*back);
    EXPECT_EQ(k.PartnerRail, nullptr); // linked by the loader
    EXPECT_FALSE(k.Pattern);
    ASSERT_TRUE(k.Feather);
    EXPECT_EQ(*k.Feather, (TFeather{0x5, 31, 32, 0.5f, 0.75f, 99}));
    EXPECT_EQ(k.Density, 0);
}
