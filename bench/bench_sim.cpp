// The sewing simulator keeping up: one timer tick at 10,000 stitches per second on a 500,000-stitch
// design, and a jump to any stitch of a 1,000,000-stitch design (the stitch number field, the
// slider, next/previous colour block). Drawn through the real Qt canvas onto the offscreen image
// the simulator keeps, and that image copied onto a view-sized frame with the needle on top, as
// the window does for every paint. Goals: a tick under 2 ms, a jump under 33 ms.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <random>

#include "gui/QtCanvas.h"
#include "platform/RecordingCanvas.h"
#include "platform/ScriptedHost.h"
#include "sewing/SewSimulator.h"

using namespace nl;

namespace {

constexpr int kViewW = 1200, kViewH = 800;

void EnsureApp() {
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_sim";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// Tatami-like blocks of 25,000 stitches each, 3 mm stitches in rows, every block a
// colour of its own reached by a travel: 20 blocks (500,000) or 40 (1,000,000) laid out over a
// 400 x 400 mm design (rows closer than on fabric: the worst case, a dense picture), the whole of
// it in view.
TSimulationList Design(int blocks) {
    constexpr int kPerBlock = 25000;
    std::vector<TSP> pts;
    pts.reserve(static_cast<size_t>(blocks) * kPerBlock);
    const int cols = blocks <= 20 ? 5 : 8;
    const double blockW = 8000.0 / cols, blockH = 8000.0 / ((blocks + cols - 1) / cols);
    for (int b = 0; b < blocks; ++b) {
        const double x0 = (b % cols) * blockW, y0 = (b / cols) * blockH;
        const int perRow = std::max(2, static_cast<int>((blockW - 20) / 60));
        const int rows = kPerBlock / perRow + 1;
        const double rowH = (blockH - 20) / rows;
        for (int i = 0; i < kPerBlock; ++i) {
            const int row = i / perRow, col = i % perRow;
            const double x = x0 + 10 + (row % 2 ? perRow - 1 - col : col) * (blockW - 20) / (perRow - 1);
            const auto fx = static_cast<float>(x), fy = static_cast<float>(y0 + 10 + row * rowH);
            pts.push_back(i == 0 ? TSP::Colour(0, fx, fy, 0x00203080 + b * 0x00050709)
                                 : TSP::Plain(0, fx, fy));
        }
    }
    return TSimulationList::FromPoints(pts);
}

// What the simulator window keeps: the picture, its kept copies, and the frame shown.
struct TWindow {
    TScriptedHost Host;
    TSewSimulator Sim{Host};
    QImage Picture{kViewW, kViewH, QImage::Format_RGB32};
    QImage Frame{kViewW, kViewH, QImage::Format_RGB32};
    TKeptPictures Kept;
    TSimViewport View;

    explicit TWindow(int blocks) {
        EnsureApp();
        Sim.Open(Design(blocks));
        View = TSimViewport::Fit(Sim.List().Bounds(), kViewW, kViewH, 10);
    }
    // One paint: the picture brought up to the cursor, then shown with the needle over it.
    void Paint() {
        {
            QPainter p(&Picture);
            TQtCanvas c(p, Picture.rect(), &Kept);
            Sim.DrawPicture(c, View, 3.f);
        }
        QPainter f(&Frame);
        f.drawImage(0, 0, Picture);
        TQtCanvas c(f, Frame.rect());
        Sim.DrawNeedle(c, View);
    }
};

void Tick(benchmark::State& state) {
    static TWindow w(20);
    w.Sim.SetSpeed(10000);
    w.Sim.Rewind();
    w.Paint();
    w.Sim.Play();
    int64_t stitches = 0;
    for (auto _ : state) {
        if (!w.Sim.Playing()) {
            // The end of the design: start again, outside the measured time.
            state.PauseTiming();
            w.Sim.Play();
            w.Paint();
            state.ResumeTiming();
        }
        stitches += w.Sim.Tick();
        w.Paint();
        benchmark::DoNotOptimize(w.Frame.constBits());
    }
    state.counters["stitches/tick"] = benchmark::Counter(static_cast<double>(stitches) / state.iterations());
    state.counters["points"] = w.Sim.Count();
}

// Jumps to stitches spread over the design, after the simulator has been through it once (the
// pictures kept on the way are there).
void Jump(benchmark::State& state) {
    static TWindow w(40);
    w.Sim.GoToStitch(w.Sim.Count());
    w.Paint();
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> any(1, w.Sim.Count());
    int64_t drawn = 0;
    for (auto _ : state) {
        w.Sim.GoToStitch(any(rng));
        w.Paint();
        drawn += w.Sim.Painter().LastWork().Segments;
        benchmark::DoNotOptimize(w.Frame.constBits());
    }
    state.counters["segments drawn/jump"] =
        benchmark::Counter(static_cast<double>(drawn) / state.iterations());
    state.counters["points"] = w.Sim.Count();
}

// Next and previous colour block, alternately, from the middle of the design.
void NextPreviousBlock(benchmark::State& state) {
    static TWindow w(40);
    w.Sim.GoToStitch(w.Sim.Count());
    w.Paint();
    w.Sim.GoToStitch(w.Sim.Count() / 2 + 1234);
    w.Paint();
    bool forward = true;
    for (auto _ : state) {
        forward ? w.Sim.NextBlock() : w.Sim.PreviousBlock();
        forward = !forward;
        w.Paint();
        benchmark::DoNotOptimize(w.Frame.constBits());
    }
    state.counters["points"] = w.Sim.Count();
}

// The first jump after the simulator opened: the opening drew the design through once (not
// measured), keeping pictures, so this jump is like any other.
void FirstJumpAfterOpening(benchmark::State& state) {
    static TWindow w(40);
    for (auto _ : state) {
        state.PauseTiming();
        w.Sim.Painter().Invalidate();
        w.Sim.Rewind();
        w.Paint();
        state.ResumeTiming();
        w.Sim.GoToStitch(w.Sim.Count());
        w.Paint();
        benchmark::DoNotOptimize(w.Frame.constBits());
    }
    state.counters["points"] = w.Sim.Count();
}

// The view changed (zoom, scroll, a new size) with the needle half way: the picture is drawn
// again, the whole design once to keep pictures on the way, then back to the needle. With
// `fresh` the kept images are made anew too, as at the first opening.
void ViewChange(benchmark::State& state, bool fresh) {
    static TWindow w(40);
    w.Sim.GoToStitch(w.Sim.Count() / 2);
    for (auto _ : state) {
        state.PauseTiming();
        w.Sim.Painter().Invalidate();
        if (fresh) w.Kept.clear();
        state.ResumeTiming();
        w.Paint();
        benchmark::DoNotOptimize(w.Frame.constBits());
    }
    state.counters["points"] = w.Sim.Count();
}

// The engine's share of a jump: the same walk onto a canvas that only counts calls.
void JumpEngineOnly(benchmark::State& state) {
    TScriptedHost host;
    TSewSimulator sim(host);
    sim.Open(Design(40));
    const TSimViewport view = TSimViewport::Fit(sim.List().Bounds(), kViewW, kViewH, 10);
    TRecordingCanvas canvas;
    canvas.Record = false;
    sim.GoToStitch(sim.Count());
    sim.DrawPicture(canvas, view, 3.f);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> any(1, sim.Count());
    for (auto _ : state) {
        sim.GoToStitch(any(rng));
        sim.DrawPicture(canvas, view, 3.f);
        benchmark::DoNotOptimize(canvas.Count);
    }
}

} // namespace

BENCHMARK(Tick)->Unit(benchmark::kMillisecond);
BENCHMARK(Jump)->Unit(benchmark::kMillisecond);
BENCHMARK(NextPreviousBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstJumpAfterOpening)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(ViewChange, kept_images_reused, false)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(ViewChange, first_opening, true)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(JumpEngineOnly)->Unit(benchmark::kMillisecond);
