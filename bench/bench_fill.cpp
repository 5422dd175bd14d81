// Regeneration cost of region fills: a large square, a many-lobed star and a spiral band.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/Numeric.h"
#include "regions/FillGen.h"
#include "regions/SLRegion.h"

using namespace nl;

namespace {

std::unique_ptr<TSLCurve> ClosedPolyline(std::vector<std::pair<float, float>> c) {
    c.push_back(c.front());
    return TSLCurve::FromPolyline(c);
}

std::unique_ptr<TSLRegion> RegionOn(TSLCurve& o, bool underlay) {
    auto r = std::make_unique<TSLRegion>();
    TRegionNode& n0 = EnsureNode((*r)[0]);
    (*r)[0].X = o.PathX[0];
    (*r)[0].Y = o.PathY[0];
    n0.Outline = &o;
    n0.StartIndex = 0;
    n0.EndIndex = LastSampleOf(o);
    r->AppendNode(NK_JOIN_FROM_END, o.PathX[0], o.PathY[0], &o, 0, 0);
    r->Flags |= OF_HIGHLIGHT | OF_VISIBLE;
    r->SetStitchTypeBits(ST_TATAMI);
    if (underlay) r->StitchFlags |= RSF_USE_UNDERLAY;
    r->UpdateBounds({});
    r->DeriveEntryExit = true;
    return r;
}

void Run(benchmark::State& state, TSLCurve& o) {
    auto r = RegionOn(o, true);
    r->RegenerateFill({});
    for (auto _ : state) {
        r->RegenerateFill({});
        benchmark::DoNotOptimize(r->FillStitches.get());
    }
    TFillStats s;
    RunFillPass(*r, false, {}, &s);
    state.counters["stitches"] = r->FillStitches ? r->FillStitches->Count() : 0;
    state.counters["raster_MB"] = s.RasterBytes / 1e6;
    state.counters["tree_MB"] = s.TreeBytes / 1e6;
    state.counters["tree_nodes"] = static_cast<double>(s.TreeNodes);
}

void BM_TatamiSquare200mm(benchmark::State& state) {
    auto o = ClosedPolyline({{0, 0}, {4000, 0}, {4000, 4000}, {0, 4000}});
    Run(state, *o);
}

void BM_Star20Lobes(benchmark::State& state) {
    std::vector<std::pair<float, float>> c;
    for (int i = 0; i < 40; ++i) {
        double a = i * Pi / 20, rad = (i % 2) ? 700 : 2000;
        c.push_back(
            {static_cast<float>(2000 + rad * std::sin(a)), static_cast<float>(2000 - rad * std::cos(a))});
    }
    auto o = ClosedPolyline(c);
    Run(state, *o);
}

void BM_SpiralBand(benchmark::State& state) {
    // A band 100 units wide wound four times: outer edge out, inner edge back.
    std::vector<std::pair<float, float>> outer, inner;
    for (int i = 0; i <= 4 * 36; ++i) {
        double a = i * Pi / 18, r0 = 150 + 60 * a;
        outer.push_back({static_cast<float>(2000 + (r0 + 100) * std::sin(a)),
                         static_cast<float>(2000 - (r0 + 100) * std::cos(a))});
        inner.push_back(
            {static_cast<float>(2000 + r0 * std::sin(a)), static_cast<float>(2000 - r0 * std::cos(a))});
    }
    std::vector<std::pair<float, float>> c(outer.begin(), outer.end());
    c.insert(c.end(), inner.rbegin(), inner.rend());
    auto o = ClosedPolyline(c);
    Run(state, *o);
}

} // namespace

BENCHMARK(BM_TatamiSquare200mm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Star20Lobes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpiralBand)->Unit(benchmark::kMillisecond);
