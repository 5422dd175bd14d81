// Outline speed: regenerating a long running outline or a satin outline and flattening a long
// curve, the things that happen on every drag of an anchor.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "stitching/SLCurve.h"

using namespace nl;

namespace {
// A wavy path of `segments` Bezier segments whose total length is about `length` units.
std::unique_ptr<TSLCurve> WavyPath(int segments, float length) {
    auto c = std::make_unique<TSLCurve>();
    const float step = length / segments;
    float x = 0;
    c->AppendPoint(0, -1, 0, 0);
    for (int s = 0; s < segments; ++s) {
        float bulge = (s % 2 ? 1.f : -1.f) * step * 0.25f;
        c->AppendPoint(0, -1, x + step / 3, bulge);
        c->AppendPoint(0, -1, x + 2 * step / 3, bulge);
        x += step;
        c->AppendPoint(0, -1, x, 0);
    }
    return c;
}
} // namespace

// 100 segments, 5 m long (100000 units), 2 passes at the default 2 mm.
static void BM_RegenerateOutline(benchmark::State& state) {
    auto c = WavyPath(100, 100000.f);
    c->Flags |= OF_VISIBLE | OF_RUNNING;
    c->Passes = 2;
    TStitchContext ctx;
    c->UpdateBounds(ctx);
    for (auto _ : state) {
        Restitch(*c, ctx);
        benchmark::DoNotOptimize(c->Generated.get());
    }
    state.counters["stitches"] = static_cast<double>(c->Generated->Count());
}
BENCHMARK(BM_RegenerateOutline)->Unit(benchmark::kMillisecond);

static void BM_Flatten1000Segments(benchmark::State& state) {
    auto c = WavyPath(1000, 100000.f);
    for (auto _ : state) {
        c->Flatten();
        benchmark::DoNotOptimize(c->PathX.data());
    }
    state.counters["samples"] = static_cast<double>(c->PathX.size());
}
BENCHMARK(BM_Flatten1000Segments)->Unit(benchmark::kMillisecond);

// A satin outline 1 m long (20000 units, 40 segments) at 4.5 lines per mm, 2 mm wide: one pair
// of rays per stitch, the satin generator's own cost.
static void BM_RegenerateSatinOutline(benchmark::State& state) {
    auto c = WavyPath(40, 20000.f);
    c->Flags |= OF_VISIBLE;
    c->SetStitchTypeBits(ST_SATIN);
    c->Density = 45;
    c->Outlines = TOutlineList::MakeDefault(c->AnchorCount());
    TStitchContext ctx;
    c->UpdateBounds(ctx);
    for (auto _ : state) {
        Restitch(*c, ctx);
        benchmark::DoNotOptimize(c->Generated.get());
    }
    state.counters["stitches"] = static_cast<double>(c->Generated->Count());
}
BENCHMARK(BM_RegenerateSatinOutline)->Unit(benchmark::kMillisecond);
