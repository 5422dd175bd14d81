// Regeneration of a fill shaped by complex holes and overlay outlines, and deleting selected
// points of a large direct stitch object.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "regions/Hole.h"
#include "regions/PointEdit.h"
#include "regions/SLRegion.h"

using namespace nl;

namespace {

std::unique_ptr<TSLCurve> ClosedSquare(float x, float y, float side) {
    return TSLCurve::FromPolyline({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}, {x, y}});
}

std::unique_ptr<TSLRegion> RegionOn(TSLCurve& o) {
    auto r = std::make_unique<TSLRegion>();
    TRegionNode& n0 = EnsureNode((*r)[0]);
    (*r)[0].X = o.PathX[0];
    (*r)[0].Y = o.PathY[0];
    n0.Outline = &o;
    n0.StartIndex = 0;
    n0.EndIndex = LastSampleOf(o);
    r->AppendNode(NK_JOIN_FROM_END, o.PathX[0], o.PathY[0], &o, 0, 0);
    r->Flags |= OF_VISIBLE;
    r->SetStitchTypeBits(ST_TATAMI);
    r->UpdateBounds({});
    r->DeriveEntryExit = true;
    return r;
}

// A 200 x 200 mm tatami fill with 20 square holes (8 mm, in a 5 x 4 grid) and 10 overlay outlines
// crossing it (zigzags of 6 segments).
struct TShapedFill {
    std::vector<std::unique_ptr<TSLStitch>> owned;
    std::vector<TSLStitch*> objects;
    TSLRegion* fill = nullptr;
    TStitchContext ctx;

    template <class T> T* Keep(std::unique_ptr<T> o) {
        T* raw = o.get();
        objects.push_back(raw);
        owned.push_back(std::move(o));
        return raw;
    }
    explicit TShapedFill(bool shaped) {
        TSLCurve* outer = Keep(ClosedSquare(0, 0, 4000));
        fill = Keep(RegionOn(*outer));
        fill->Flags |= OF_ALLOW_HOLES;
        if (shaped) {
            for (int i = 0; i < 5; ++i)
                for (int j = 0; j < 4; ++j) {
                    TSLCurve* c = Keep(ClosedSquare(300.f + 750.f * i, 300.f + 950.f * j, 160));
                    TSLRegion* h = Keep(RegionOn(*c));
                    h->Flags |= OF_COMPLEX_HOLE;
                }
            for (int k = 0; k < 10; ++k) {
                std::vector<std::pair<float, float>> zig;
                for (int s = 0; s <= 6; ++s)
                    zig.push_back({200.f + 370.f * k + (s % 2) * 150.f, -100.f + 700.f * s});
                TSLCurve* o = Keep(TSLCurve::FromPolyline(zig));
                o->Flags |= OF_REGION_OVERLAY;
                o->UpdateBounds({});
            }
        }
        ctx.DrawRegionHoles = [this](const TSLRegion& r, TFillRaster& ras, bool underlay) {
            DrawHolesInto(objects, r, ras, underlay);
        };
        ctx.PierceRegionOverlays = [this](const TSLRegion& r, TSLStitch& list) {
            PierceWithOverlays(CollectOverlays(objects, r), list);
        };
        fill->RegenerateFill(ctx);
    }
};

void BM_TatamiWithHolesAndOverlays(benchmark::State& state) {
    TShapedFill f(state.range(0) != 0);
    for (auto _ : state) {
        f.fill->RegenerateFill(f.ctx);
        benchmark::DoNotOptimize(f.fill->FillStitches.get());
    }
    state.counters["stitches"] = f.fill->FillStitches ? f.fill->FillStitches->Count() : 0;
}
BENCHMARK(BM_TatamiWithHolesAndOverlays)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DeleteSelectedPoints(benchmark::State& state) {
    const int32_t n = 1000000, selected = 10000;
    TSLStitch base;
    base.Reserve(n);
    for (int32_t i = 0; i < n; ++i)
        base.Append(TSP::Plain(0, static_cast<float>(i % 4000), static_cast<float>(i / 4000)));
    for (int32_t k = 0; k < selected; ++k)
        base[k * (n / selected)].Flags |= SP_SELECTED;
    base.SimIndex = n / 2;
    for (auto _ : state) {
        state.PauseTiming();
        TSLStitch o;
        o.Raw() = base.Raw(); // plain points own nothing: a flat copy
        o.SimIndex = base.SimIndex;
        state.ResumeTiming();
        DeleteSelectedPoints(o, {});
        benchmark::DoNotOptimize(o.Count());
        state.PauseTiming();
        o.Raw().clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteSelectedPoints)->Unit(benchmark::kMillisecond);

} // namespace
