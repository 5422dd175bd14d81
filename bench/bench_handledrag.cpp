// One pointer move while dragging a handle in Design And Editing mode: the point moves and the
// whole object regenerates, as the user sees it during the drag (drawing not included).
#include <benchmark/benchmark.h>

#include <memory>

#include "app/MainForm.h"
#include "platform/ScriptedHost.h"
#include "stitching/SLCurve.h"

using namespace nl;

namespace {

// A selected curve of `segments` straight segments `step` units apart along y = 0.
std::unique_ptr<TSLCurve> Straight(int segments, float step, float y) {
    auto c = std::make_unique<TSLCurve>();
    for (int i = 0; i <= segments; ++i) {
        const float x = step * static_cast<float>(i);
        c->AppendPoint(0, -1, x, y);
        if (i == segments) break;
        c->AppendPoint(0, -1, x + step / 3, y + 40);
        c->AppendPoint(0, -1, x + 2 * step / 3, y - 40);
    }
    c->Flags |= OF_SELECTED_EDIT | OF_VISIBLE;
    return c;
}

struct TDragBench {
    TScriptedHost Host;
    TNL Nl{Host};
    TDragBench() {
        Nl.Resize(4000, 4000);
        Nl.View.Zoom = 614; // one pixel a unit
    }
    // Presses on the handle at pixel (x, y) and starts the drag.
    void Grab(int x, int y) {
        Nl.MouseDown(TMouseButton::Left, x, y, {});
        Nl.MouseMove(x, y + 10, {});
    }
};

// A running outline 5 m long in 100 segments, 2 passes, its middle anchor dragged.
void BM_DragRunningOutlineAnchor(benchmark::State& state) {
    TDragBench b;
    auto c = Straight(100, 1000.f, 200.f);
    c->Flags |= OF_RUNNING;
    c->SetStitchTypeBits(ST_RUNNING);
    c->Passes = 2;
    TSLCurve* curve = static_cast<TSLCurve*>(b.Nl.Sew.Add(std::move(c)));
    curve->UpdateBounds(b.Nl.StitchContext());
    b.Nl.View.ScrollX = 50 * 1000 - 100;
    b.Grab(100, 200);
    int y = 220;
    for (auto _ : state) {
        b.Nl.MouseMove(100, y, {});
        y = y == 220 ? 240 : 220;
        benchmark::DoNotOptimize(curve->Generated.get());
    }
    state.counters["needles"] = curve->Generated ? curve->Generated->Count() : 0;
}
BENCHMARK(BM_DragRunningOutlineAnchor)->Unit(benchmark::kMillisecond);

// A curved column 500 mm long at density 4.5, an anchor of rail B dragged.
void BM_DragColumnRailAnchor(benchmark::State& state) {
    TDragBench b;
    auto a = Straight(40, 250.f, 200.f);
    auto r = Straight(40, 250.f, 300.f);
    a->Flags |= OF_RAIL_A;
    r->Flags = (r->Flags & ~OF_VISIBLE) | OF_RAIL_B;
    a->SetStitchTypeBits(ST_SATIN);
    r->SetStitchTypeBits(ST_SATIN);
    a->Density = 45;
    r->Density = 0;
    auto* railA = static_cast<TSLCurve*>(b.Nl.Sew.Add(std::move(a)));
    auto* railB = static_cast<TSLCurve*>(b.Nl.Sew.Add(std::move(r)));
    railA->PartnerRail = railB;
    railB->PartnerRail = railA;
    railA->UpdateBounds(b.Nl.StitchContext());
    b.Nl.View.ScrollX = 20 * 250 - 100;
    b.Grab(100, 300);
    int y = 320;
    for (auto _ : state) {
        b.Nl.MouseMove(100, y, {});
        y = y == 320 ? 340 : 320;
        benchmark::DoNotOptimize(railA->Generated.get());
    }
    state.counters["needles"] = railA->Generated ? railA->Generated->Count() : 0;
}
BENCHMARK(BM_DragColumnRailAnchor)->Unit(benchmark::kMillisecond);

} // namespace
