// Fingerprints of generated stitches: running outlines, satin outlines and curved columns over a
// spread of settings, hashed bit for bit. The walk and the generators are tuned for speed from
// time to time; any change that moves a single point (or a flag) shows up here.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CurveHelpers.h"
#include "stitching/Feather.h"
#include "stitching/SLCurve.h"

using namespace nl;
using nl::test::JoinRails;

namespace {

// FNV-1a over 32-bit words.
struct THash {
    uint64_t H = 1469598103934665603ull;
    void Word(uint32_t w) {
        for (int i = 0; i < 4; ++i) {
            H ^= (w >> (8 * i)) & 0xFF;
            H *= 1099511628211ull;
        }
    }
    void Float(float f) { Word(std::bit_cast<uint32_t>(f)); }
};

uint64_t HashList(const TSLStitch* list) {
    THash h;
    if (!list || list->Empty()) {
        ADD_FAILURE() << "nothing was generated";
        return h.H;
    }
    h.Word(static_cast<uint32_t>(list->Count()));
    for (const TSP& p : *list) {
        h.Word(p.Flags);
        h.Float(p.X);
        h.Float(p.Y);
    }
    return h.H;
}

uint64_t HashWalk(const TSLCurve& c, double step) {
    THash h;
    c.Walk(step, [&](const TWalkVisit& v) {
        h.Float(v.X);
        h.Float(v.Y);
        h.Word(static_cast<uint32_t>(v.Segment));
        h.Float(v.T);
        h.Word((v.First ? 1u : 0u) | (v.Last ? 2u : 0u));
    });
    return h.H;
}

// A wavy path of `segments` segments over `length` units, bulging by `bulge` of a segment, with
// an optional degenerate (zero-length) segment and forced anchors at every `forceEvery`-th anchor.
void Wavy(TSLCurve& c, int segments, float length, float bulge, float offset = 0.f, float stretch = 1.f,
          bool degenerate = false, int forceEvery = 0) {
    c.Clear();
    const float seg = length / static_cast<float>(segments);
    for (int i = 0; i <= segments; ++i) {
        const float x = seg * static_cast<float>(i);
        const float b = (i % 2 == 0 ? 1.f : -1.f) * seg * bulge * stretch;
        const uint32_t flags =
            (forceEvery > 0 && i > 0 && i < segments && i % forceEvery == 0) ? uint32_t{SP_FORCE} : 0u;
        c.AppendPoint(flags, -1, x, offset + (i % 3 == 0 ? 7.f : 0.f));
        if (i == segments) break;
        if (degenerate && i == segments / 2) {
            // A segment of zero length: all four points at the anchor.
            c.AppendPoint(0, -1, x, offset + (i % 3 == 0 ? 7.f : 0.f));
            c.AppendPoint(0, -1, x, offset + (i % 3 == 0 ? 7.f : 0.f));
            continue;
        }
        c.AppendPoint(0, -1, x + seg / 3, offset + b);
        c.AppendPoint(0, -1, x + 2 * seg / 3, offset - b * 0.5f);
    }
}

struct TCase {
    const char* Name;
    std::function<uint64_t()> Run;
    uint64_t Expected;
};

uint64_t Running(int passes, int runLength, bool fromEnd, int forceEvery, bool degenerate) {
    TSLCurve c;
    Wavy(c, 9, 3000.f, 0.4f, 0.f, 1.f, degenerate, forceEvery);
    c.Flags |= OF_VISIBLE | OF_RUNNING | (fromEnd ? uint32_t{OF_STITCH_FROM_END} : 0u);
    c.SetStitchTypeBits(ST_RUNNING);
    c.Passes = passes;
    c.RunLength = runLength;
    TStitchContext ctx;
    c.UpdateBounds(ctx);
    return HashList(c.Generated.get());
}

// A feather record on both sides with a fixed seed.
std::unique_ptr<TFeather> FeatherBothSides(int32_t seed) {
    auto f = std::make_unique<TFeather>();
    f->FeatherFlags = FF_ABOVE | FF_BELOW;
    f->Seed = seed;
    return f;
}

struct TSatinSetup {
    uint32_t Type = ST_SATIN;
    bool Short = false;
    float Compensation = 0.f;
    bool Feather = false;
    bool ReturnRun = false;
    bool Fill = false;
    int Density = 45;
};

uint64_t Satin(const TSatinSetup& s) {
    TSLCurve c;
    Wavy(c, 5, 1500.f, 0.35f, 0.f, 1.f, false, 2);
    c.Flags = OF_VISIBLE | (s.Short ? uint32_t{OF_SHORT_STITCHES} : 0u);
    c.SetStitchTypeBits(s.Type);
    c.Density = s.Density;
    c.Outlines = TOutlineList::MakeDefault(c.AnchorCount());
    TOutlineList& p = *c.Outlines;
    for (int32_t i = 0; i < p.Count(); ++i) {
        TOutline& o = *p[i];
        o.HeightA = 15.f + 4.f * static_cast<float>(i);
        o.HeightB = 30.f - 3.f * static_cast<float>(i);
        o.CtrlHeight1A = 25.f;
        o.CtrlHeight2B = 10.f;
        o.EndRotation = i == 2 ? 0.3f : 0.f;
    }
    p.OutlineCompensation = s.Compensation;
    if (s.Feather) {
        p.OutlineFeather = FeatherBothSides(4242);
    }
    if (s.ReturnRun) p.ProfileFlags |= PF_RETURN_STITCH;
    if (s.Fill) c.StitchFlags |= SF_USE_FILL;
    TStitchContext ctx;
    ctx.View.ShowCompensation = true;
    c.UpdateBounds(ctx);
    return HashList(c.Generated.get());
}

struct TColumnSetup {
    float Length = 6000.f;
    int Density = 45;
    float Compensation = 0.f;
    bool Feather = false;
    bool ReturnRun = false;
    bool FromEnd = false;
    bool Fill = false;
    int ForceEvery = 0;
};

uint64_t Column(const TColumnSetup& s) {
    TSLCurve a, b;
    const int segments = static_cast<int>(s.Length / 250.f);
    Wavy(a, segments, s.Length, 0.25f, 0.f, 1.f, false, s.ForceEvery);
    Wavy(b, segments, s.Length, 0.25f, 80.f, 1.4f, false, 0);
    JoinRails(a, b);
    a.Flags |=
        (s.ReturnRun ? uint32_t{OF_RETURN_STITCH} : 0u) | (s.FromEnd ? uint32_t{OF_STITCH_FROM_END} : 0u);
    a.Density = s.Density;
    a.Compensation = s.Compensation;
    if (s.Feather) {
        b.Feather = FeatherBothSides(12345);
    }
    if (s.Fill) a.StitchFlags |= SF_USE_FILL;
    TStitchContext ctx;
    ctx.ForExport = true;
    a.UpdateBounds(ctx);
    return HashList(a.Generated.get());
}

uint64_t Walks() {
    THash h;
    TSLCurve c;
    Wavy(c, 7, 2100.f, 0.5f, 0.f, 1.f, true, 3);
    auto add = [&](const TSLCurve& curve, double step) {
        const uint64_t w = HashWalk(curve, step);
        h.Word(static_cast<uint32_t>(w));
        h.Word(static_cast<uint32_t>(w >> 32));
    };
    for (double step : {0.0, 1.0, 3.7, 4.4444, 10.0, 40.0, 160.0, 299.99, 2500.0})
        add(c, step);
    // Straight segments whose length is an exact multiple of the step.
    TSLCurve s;
    Wavy(s, 4, 400.f, 0.f);
    for (double step : {4.0, 10.0, 25.0})
        add(s, step);
    return h.H;
}

} // namespace

TEST(GeneratedOutput, BitForBitAsBefore) {
    const std::vector<TCase> cases = {
        {"walks", Walks, 0x374f8bac6969f614ull},
        {"running 1 pass", [] { return Running(1, 40, false, 0, false); }, 0x20787464f5e37fdull},
        {"running 2 passes short", [] { return Running(2, 10, false, 0, false); }, 0x4f655ff3d2f7c134ull},
        {"running 3 passes from end, forced", [] { return Running(3, 160, true, 2, false); },
         0x17c9fd459f9bdbfbull},
        {"running degenerate segment, forced", [] { return Running(2, 25, false, 3, true); },
         0x52b8f03c6b4c2ba5ull},
        {"satin", [] { return Satin({}); }, 0xdbd6a317cfab852cull},
        {"zigzag", [] { return Satin({.Type = ST_ZIGZAG}); }, 0xfbccf021ac29eeabull},
        {"satin compensation feather", [] { return Satin({.Compensation = 1.5f, .Feather = true}); },
         0x66ee280c14210a8aull},
        {"satin short stitches compensation",
         [] { return Satin({.Short = true, .Compensation = 2.f, .Feather = true, .Density = 60}); },
         0x70afa394706f15cfull},
        {"zigzag short stitches", [] { return Satin({.Type = ST_ZIGZAG, .Short = true}); },
         0xd5b0de80c352f46dull},
        {"satin return run fill", [] { return Satin({.ReturnRun = true, .Fill = true}); },
         0xa0cd88d04ae31e5cull},
        {"column", [] { return Column({}); }, 0xa49090fabb287f30ull},
        {"column compensation feather",
         [] { return Column({.Length = 10000.f, .Compensation = 10.f, .Feather = true}); },
         0x9ff169af0d25deb9ull},
        {"column dense return run from end",
         [] { return Column({.Density = 70, .ReturnRun = true, .FromEnd = true}); }, 0xc136162cf6ec6398ull},
        {"column sparse fill forced", [] { return Column({.Density = 10, .Fill = true, .ForceEvery = 3}); },
         0x434686d0333ba0fbull},
    };
    for (const TCase& c : cases) {
        const uint64_t got = c.Run();
        EXPECT_EQ(got, c.Expected) << c.Name << ": 0x" << std::hex << got;
    }
}
