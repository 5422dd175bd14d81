// Redraw of a dense worksheet: 500,000 stitch points in 200 direct stitch objects, drawn
// through the real Qt canvas onto an offscreen image, at 100 % and at the zoom that fits the
// whole design into the view. The goal is one frame in under 33 ms.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "app/MainForm.h"
#include "gui/QtCanvas.h"
#include "platform/RecordingCanvas.h"
#include "platform/ScriptedHost.h"

using namespace nl;

namespace {
constexpr int kObjects = 200;
constexpr int kPointsPerObject = 2500;
constexpr int kViewW = 1200, kViewH = 800;

void EnsureApp() {
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_redraw";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// Tatami-like blocks: rows 8 units (0.4 mm) apart, stitches 60 units (3 mm) long, ten stitches
// a row, 250 rows a block (30 x 100 mm); 20 x 10 blocks, the whole design 600 x 1000 mm.
// `dense` packs the same points into a 200 x 150 mm area instead (rows 0.01 mm apart), a worst
// case with several points on every pixel.
struct TDesign {
    TScriptedHost Host;
    TNL Nl{Host};
    double Width, Height;
    explicit TDesign(bool dense) {
        TStitchContext ctx;
        double blockW = dense ? 200 : 600, blockH = dense ? 300 : 2000;
        Width = 20 * blockW;
        Height = 10 * blockH;
        for (int k = 0; k < kObjects; ++k) {
            auto* o = Nl.Sew.AddNew<TSLStitch>();
            o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
            double x0 = blockW * (k % 20), y0 = blockH * (k / 20);
            o->Reserve(kPointsPerObject);
            for (int i = 0; i < kPointsPerObject; ++i) {
                int row = i / 10, col = i % 10;
                double rowH = (blockH - 20) / (kPointsPerObject / 10);
                double x = x0 + 10 + (row % 2 ? 9 - col : col) * (blockW - 20) / 9.0 + (col % 2) * 3;
                auto fx = static_cast<float>(x), fy = static_cast<float>(y0 + 10 + row * rowH);
                if (i == 0)
                    o->Append(TSP::Colour(0, fx, fy, 0x00203080 + k * 0x010203));
                else
                    o->Append(TSP::Plain(0, fx, fy));
            }
            o->UpdateBounds(ctx);
        }
        Nl.Resize(kViewW, kViewH);
    }
    void At100() {
        Nl.View.Zoom = 100;
        Nl.View.ScrollX = Nl.View.ScrollY = -20;
    }
    void FullView() { Nl.View.ZoomToRect(0, 0, Width, Height); }
};

TDesign& Design(bool dense) {
    static TDesign normal(false), packed(true);
    return dense ? packed : normal;
}

void Redraw(benchmark::State& state, bool fullView, bool dense, bool allPoints = false) {
    EnsureApp();
    TDesign& d = Design(dense);
    // Markers go only where the thread shows beside them, unless every point is asked for.
    d.Nl.Toggles.ShowAllStitchPoints = allPoints;
    if (fullView)
        d.FullView();
    else
        d.At100();
    QImage img(kViewW, kViewH, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        TQtCanvas canvas(p, img.rect());
        d.Nl.Draw(canvas);
        canvas.Flush();
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.counters["zoom"] = d.Nl.View.Zoom;
    state.counters["points"] = kObjects * kPointsPerObject;
}

// The engine's share of a frame: the same walk onto a canvas that only counts calls.
void Walk(benchmark::State& state, bool fullView, bool dense) {
    TDesign& d = Design(dense);
    d.Nl.Toggles.ShowAllStitchPoints = false;
    if (fullView)
        d.FullView();
    else
        d.At100();
    TRecordingCanvas canvas;
    canvas.Record = false;
    for (auto _ : state) {
        canvas.Count = 0;
        d.Nl.Draw(canvas);
        benchmark::DoNotOptimize(canvas.Count);
    }
    state.counters["calls"] = static_cast<double>(canvas.Count);
}
} // namespace

BENCHMARK_CAPTURE(Redraw, zoom100, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Redraw, full_view, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Redraw, dense_zoom100, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Redraw, dense_full_view, true, true)->Unit(benchmark::kMillisecond);
// "Show All Stitch Points": a marker on every point, as every frame was drawn before.
BENCHMARK_CAPTURE(Redraw, zoom100_all_points, false, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Redraw, dense_zoom100_all_points, false, true, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Walk, zoom100, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Walk, full_view, true, false)->Unit(benchmark::kMillisecond);
