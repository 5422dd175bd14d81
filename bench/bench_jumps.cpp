// Jump links and the stitch order mode: regenerating a network of outlines joined by jumps (what
// linking, unlinking or moving a chain's start costs), and reordering one element of a large
// group with the connectors the view then draws.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "app/OrderDrawing.h"
#include "app/OrderMode.h"
#include "platform/ScriptedHost.h"
#include "regions/JumpNodes.h"
#include "stitching/SLCurve.h"
#include "ui/ElementThumbnail.h"
#include "worksheet/Sew.h"

using namespace nl;

namespace {
// A straight running outline of four segments, `length` units long, at row y.
std::unique_ptr<TSLCurve> Row(float y, float length) {
    auto c = std::make_unique<TSLCurve>();
    for (int s = 0; s <= 4; ++s) {
        float x = length * s / 4;
        if (s > 0) {
            c->AppendPoint(0, -1, x - length / 12, y + 20);
            c->AppendPoint(0, -1, x - length / 24, y - 20);
        }
        c->AppendPoint(0, -1, x, y);
    }
    c->Flags |= OF_VISIBLE | OF_RUNNING;
    c->SetStitchTypeBits(ST_RUNNING);
    c->RunLength = 20;
    return c;
}
} // namespace

// 100 outlines of 5000 units (25 cm) each, joined as a tree (outline i hangs off outline i / 2):
// about 50,000 stitches in all, regenerated together as a change to the chain does.
static void BM_RegenerateJumpNetwork(benchmark::State& state) {
    std::vector<std::unique_ptr<TSLCurve>> o;
    TStitchContext ctx;
    for (int i = 0; i < 100; ++i) {
        o.push_back(Row(100.f * i, 5000.f));
        o.back()->RefreshGeometry(ctx);
    }
    for (int i = 1; i < 100; ++i)
        LinkOutlines(*o[static_cast<size_t>(i / 2)], *o[static_cast<size_t>(i)], 10 + (i % 80), 50);
    PropagateChain(*o[0]);
    for (auto _ : state) {
        RegenerateChain(*o[0], ctx);
        benchmark::DoNotOptimize(o[0]->Generated.get());
    }
    int64_t stitches = 0;
    for (auto& c : o)
        stitches += c->Generated->Count();
    state.counters["stitches"] = static_cast<double>(stitches);
}
BENCHMARK(BM_RegenerateJumpNetwork)->Unit(benchmark::kMillisecond);

// A group of 1000 direct stitch objects: the last element moved to the front (every order index
// renumbered) and the 999 connectors worked out for drawing.
static void BM_ReorderLargeGroup(benchmark::State& state) {
    TSew sew;
    for (int i = 0; i < 1000; ++i) {
        auto d = std::make_unique<TSLStitch>();
        d->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
        d->SetStitchTypeBits(ST_RUNNING);
        d->GroupId = 1;
        d->Append(TSP::Colour(0, 10.f * i, 0, 0xFF));
        for (int k = 1; k < 50; ++k)
            d->Append(TSP::Plain(0, 10.f * i + k, static_cast<float>(k % 7)));
        sew.Add(std::move(d));
    }
    sew.Groups.Add(1);
    TScriptedHost host;
    TOrderMode order(sew, host);
    order.Start(1, 500, TOrderPage::Edit);
    size_t drawn = 0;
    for (auto _ : state) {
        order.SendToTop(order.Count() - 1);
        auto k = order.Connectors();
        drawn = k.size();
        benchmark::DoNotOptimize(k.data());
    }
    state.counters["connectors"] = static_cast<double>(drawn);
}
BENCHMARK(BM_ReorderLargeGroup)->Unit(benchmark::kMillisecond);

namespace {
// A group of 1000 direct stitch objects of 200 stitches each in two colours (200,000 stitches).
struct TLargeGroup {
    TSew Sew;
    TScriptedHost Host;
    TOrderMode Order{Sew, Host};
    TLargeGroup() {
        for (int i = 0; i < 1000; ++i) {
            auto d = std::make_unique<TSLStitch>();
            d->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
            d->SetStitchTypeBits(ST_RUNNING);
            d->GroupId = 1;
            const float x0 = 40.f * static_cast<float>(i % 40), y0 = 40.f * static_cast<float>(i / 40);
            d->Append(TSP::Colour(0, x0, y0, 0xFF));
            for (int k = 1; k < 200; ++k) {
                if (k == 100)
                    d->Append(TSP::Colour(0, x0 + static_cast<float>(k % 30), y0 + static_cast<float>(k / 7),
                                          0xFF00));
                d->Append(TSP::Plain(0, x0 + static_cast<float>(k % 30), y0 + static_cast<float>(k / 7)));
            }
            Sew.Add(std::move(d));
        }
        Sew.Groups.Add(1);
        Order.Start(1, 500, TOrderPage::Edit);
    }
};
} // namespace

// The order panel's thumbnails of 1000 elements: every one drawn (the panel opens), and the keys
// that tell which to draw again (every refresh of the panel, nothing drawn when nothing changed).
static void BM_OrderThumbnailsDrawAll(benchmark::State& state) {
    TLargeGroup g;
    for (auto _ : state)
        for (TSLStitch* e : g.Order.Elements()) {
            TThumbnail t = MakeThumbnail(*e, 40);
            benchmark::DoNotOptimize(t.Strokes.data());
        }
}
BENCHMARK(BM_OrderThumbnailsDrawAll)->Unit(benchmark::kMillisecond);

static void BM_OrderThumbnailKeys(benchmark::State& state) {
    TLargeGroup g;
    for (auto _ : state) {
        uint64_t k = 0;
        for (TSLStitch* e : g.Order.Elements())
            k ^= ThumbnailKey(*e);
        benchmark::DoNotOptimize(k);
    }
}
BENCHMARK(BM_OrderThumbnailKeys)->Unit(benchmark::kMillisecond);

// What each paint of the worksheet adds in the order mode: the element index and every object's
// look by the display options, and the connectors as drawn.
static void BM_OrderDisplayPerPaint(benchmark::State& state) {
    TLargeGroup g;
    const TOrderDisplay display = TOrderDisplay::Of(g.Sew.Settings);
    for (auto _ : state) {
        TOrderDrawing drawing(g.Order, display);
        int shown = 0;
        for (int32_t i = 0; i < g.Sew.Count(); ++i) {
            TViewToggles v;
            shown += drawing.Look(*g.Sew[i], v) ? 1 : 0;
        }
        auto strokes = drawing.Strokes();
        benchmark::DoNotOptimize(strokes.data());
        benchmark::DoNotOptimize(shown);
    }
}
BENCHMARK(BM_OrderDisplayPerPaint)->Unit(benchmark::kMillisecond);
