// Regeneration of long curved columns with short stitches, compensation and feathering.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "stitching/Feather.h"
#include "stitching/SLCurve.h"

using namespace nl;

namespace {

// A wavy column `length` units long: rail A a chain of S-bends, rail B 4 mm beside it, so the
// rails differ in length at every bend and the inner side gets short stitches.
struct BenchColumn {
    TSLCurve A, B;
    TStitchContext Ctx;
    explicit BenchColumn(float length) {
        const int segments = static_cast<int>(length / 250.f);
        const float seg = length / static_cast<float>(segments);
        for (TSLCurve* rail : {&A, &B}) {
            float off = rail == &A ? 0.f : 80.f;
            for (int i = 0; i <= segments; ++i) {
                float x = seg * static_cast<float>(i);
                float bend = (i % 2 == 0 ? 1.f : -1.f) * 60.f;
                rail->AppendPoint(0, -1, x, off);
                if (i == segments) break;
                // Inner rail pulled in at the bends, outer rail pushed out.
                float k = rail == &A ? 1.f : 1.4f;
                rail->AppendPoint(0, -1, x + seg / 3, off + bend * k);
                rail->AppendPoint(0, -1, x + 2 * seg / 3, off + bend * k);
            }
        }
        A.Flags = OF_RAIL_A | OF_VISIBLE;
        B.Flags = OF_RAIL_B | OF_VISIBLE;
        A.PartnerRail = &B;
        B.PartnerRail = &A;
        A.Density = 45;
        B.Density = 0;
        A.Compensation = 10;
        B.Feather = std::make_unique<TFeather>();
        B.Feather->FeatherFlags = FF_ABOVE | FF_BELOW;
        B.Feather->Seed = 12345;
        Ctx.ForExport = true;
        A.Flatten();
        B.Flatten();
    }
};

void Regenerate(benchmark::State& state, float length) {
    BenchColumn c(length);
    for (auto _ : state) {
        Restitch(c.A, c.Ctx);
        benchmark::DoNotOptimize(c.A.Generated->Count());
    }
    int shorts = 0;
    for (const TSP& p : *c.A.Generated)
        shorts += (p.Flags & SP_SHORT) ? 1 : 0;
    state.counters["stitches"] = c.A.Generated->Count();
    state.counters["short"] = shorts;
}

// The column of the goal: 500 mm at density 4.5.
void BM_Column500mm(benchmark::State& state) {
    Regenerate(state, 10000.f);
}
// About 10,000 stitches (2.2 m of column at 0.222 mm spacing).
void BM_Column10kStitches(benchmark::State& state) {
    Regenerate(state, 44000.f);
}

BENCHMARK(BM_Column500mm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Column10kStitches)->Unit(benchmark::kMillisecond);

} // namespace
