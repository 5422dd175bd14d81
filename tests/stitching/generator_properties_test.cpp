// Every generator against its invariants, on objects drawn at random (fixed seed) within the
// ranges of their property pages: running outlines, satin and zigzag outlines, curved columns and
// tatami/satin/zigzag region fills, with and without short stitches, compensation, feathering,
// fill split, return runs and underlay. The same checks run in fuzz/fuzz_generators.cpp.
#include <gtest/gtest.h>

#include <string>

#include "GeneratorProperties.h"

using namespace nl;
using namespace nl::props;

TEST(GeneratorProperties, RandomObjectsKeepEveryInvariant) {
    struct Kind {
        TKind kind;
        int cases;
    } kinds[] = {
        {TKind::Running, 400}, {TKind::SatinOutline, 1200}, {TKind::Column, 400}, {TKind::Region, 250}};
    for (const Kind& k : kinds) {
        TSeededDraw draw(0x5EED0000u + static_cast<uint32_t>(k.kind));
        int generated = 0, faults = 0;
        for (int i = 0; i < k.cases; ++i) {
            TGenCase g = MakeCase(draw, k.kind);
            TResult r = Check(g);
            generated += r.Generated ? 1 : 0;
            for (const std::string& f : r.Faults) {
                if (++faults <= 5) ADD_FAILURE() << "case " << i << ": " << f;
            }
        }
        EXPECT_EQ(faults, 0) << KindName(k.kind);
        // Most objects drawn have stitches: the checks above ran on real output.
        EXPECT_GT(generated, k.cases * 8 / 10) << KindName(k.kind);
    }
}
