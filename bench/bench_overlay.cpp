// Programmable stitch overlays and pictures: a tiled pattern pierced into a 500 mm column and a
// 200 x 200 mm tatami fill (goal: each under 10 ms), and a 12-megapixel JPEG picture decoded
// into its view copy once and then redrawn from it with alpha blending.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "platform/RecordingCanvas.h"
#include "regions/Picture.h"
#include "regions/SLRegion.h"
#include "regions/Support.h"
#include "stitching/Overlay.h"
#include "stitching/SLCurve.h"
#include "tests/regions/TestShapes.h"

using namespace nl;

namespace {

// A 10 mm tile with a diamond and a cross line: 5 segments.
TObjectStitch BenchPattern() {
    TObjectStitch p;
    p.Flags |= TObjectStitch::PATTERN_COPY;
    auto item = std::make_unique<TSLStitch>();
    for (auto [x, y] : {std::pair{100.f, 0.f}, {200.f, 100.f}, {100.f, 200.f}, {0.f, 100.f}, {100.f, 0.f}})
        item->Append(TSP::Plain(0, x, y));
    p.Items.emplace_back(std::move(item));
    auto line = std::make_unique<TSLStitch>();
    line->Append(TSP::Plain(0, 0, 30));
    line->Append(TSP::Plain(0, 200, 170));
    p.Items.emplace_back(std::move(line));
    return p;
}

// A straight 500 mm column 6 mm wide at density 4.5.
struct BenchColumn {
    TSLCurve A, B;
    TStitchContext Ctx;
    BenchColumn() {
        A.SetPolyline({{0, 0}, {10000, 0}});
        B.SetPolyline({{0, 120}, {10000, 120}});
        A.Flags = OF_RAIL_A | OF_VISIBLE;
        B.Flags = OF_RAIL_B | OF_VISIBLE;
        A.PartnerRail = &B;
        B.PartnerRail = &A;
        A.Density = 45;
        B.Density = 0;
        A.SetStitchTypeBits(ST_SATIN);
        B.SetStitchTypeBits(ST_SATIN);
        Restitch(A, Ctx);
    }
};

void BM_OverlayTiledColumn500mm(benchmark::State& state) {
    BenchColumn c;
    const TObjectStitch p = BenchPattern();
    const TOverlay overlay(p, 0, 0, 0.3);
    size_t points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TSLStitch list;
        list.AppendCopy(*c.A.Stitches());
        state.ResumeTiming();
        overlay.ApplyTiled(list);
        points = static_cast<size_t>(list.Count());
        benchmark::DoNotOptimize(list.Raw().data());
    }
    state.counters["stitches"] = c.A.Stitches()->Count();
    state.counters["points after"] = static_cast<double>(points);
}
BENCHMARK(BM_OverlayTiledColumn500mm)->Unit(benchmark::kMillisecond);

void BM_OverlayTiledFill200mm(benchmark::State& state) {
    TStitchContext ctx;
    auto square = nl::test::ClosedOutline(nl::test::Square(0, 0, 4000));
    auto region = nl::test::RegionOn(*square, ctx);
    Restitch(*region, ctx);
    const TSLStitch& fill = *region->FillStitches;
    const TObjectStitch p = BenchPattern();
    const TOverlay overlay(p, 0, 0, 0.5);
    size_t points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TSLStitch list;
        list.AppendCopy(fill);
        state.ResumeTiming();
        overlay.ApplyTiled(list);
        points = static_cast<size_t>(list.Count());
        benchmark::DoNotOptimize(list.Raw().data());
    }
    state.counters["stitches"] = fill.Count();
    state.counters["points after"] = static_cast<double>(points);
}
BENCHMARK(BM_OverlayTiledFill200mm)->Unit(benchmark::kMillisecond);

// A 4000 x 3000 photograph-like picture (noise over gradients, so the JPEG is not trivial).
const std::vector<uint8_t>& TwelveMegapixelJpeg() {
    static const std::vector<uint8_t> jpeg = [] {
        TRasterImage im;
        im.Width = 4000;
        im.Height = 3000;
        im.Argb.resize(size_t{4000} * 3000);
        uint32_t r = 12345;
        for (size_t i = 0; i < im.Argb.size(); ++i) {
            r = r * 1103515245u + 12345u;
            const uint32_t x = static_cast<uint32_t>(i % 4000), y = static_cast<uint32_t>(i / 4000);
            im.Argb[i] = 0xFF000000u | ((x / 16 + (r >> 28)) & 0xFF) << 16 |
                         ((y / 12 + (r >> 26)) & 0xFF) << 8 | ((x + y) / 28 & 0xFF);
        }
        return EncodeJpeg(im, 90);
    }();
    return jpeg;
}

void BM_Picture12MpFirstDraw(benchmark::State& state) {
    const std::vector<uint8_t>& jpeg = TwelveMegapixelJpeg();
    TRecordingCanvas canvas;
    canvas.Record = false;
    TDrawContext dc;
    dc.Target = &canvas;
    dc.Scale = 0.05;
    TSupportDrawState s;
    for (auto _ : state) {
        TObjectBitmap picture;
        picture.SetJpeg(jpeg);
        picture.UseAlpha = 1;
        picture.Draw(dc, s); // decodes the view copy
        benchmark::DoNotOptimize(picture.ViewCopy(100));
    }
    state.counters["JPEG MB"] = static_cast<double>(jpeg.size()) / 1e6;
}
BENCHMARK(BM_Picture12MpFirstDraw)->Unit(benchmark::kMillisecond);

void BM_Picture12MpRedraw(benchmark::State& state) {
    TObjectBitmap picture;
    picture.SetJpeg(TwelveMegapixelJpeg());
    picture.UseAlpha = 1;
    TRecordingCanvas canvas;
    canvas.Record = false;
    TDrawContext dc;
    dc.Target = &canvas;
    dc.Scale = 0.05;
    picture.Draw(dc, {});
    for (auto _ : state)
        picture.Draw(dc, {});
}
BENCHMARK(BM_Picture12MpRedraw)->Unit(benchmark::kMicrosecond);

void BM_Picture12MpFullDecode(benchmark::State& state) {
    const std::vector<uint8_t>& jpeg = TwelveMegapixelJpeg();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeJpeg(jpeg).Argb.data());
}
BENCHMARK(BM_Picture12MpFullDecode)->Unit(benchmark::kMillisecond);

} // namespace
