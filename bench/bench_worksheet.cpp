// The worksheet file: saving and opening a worksheet of 1,000,000 stitch points, and opening a
// design of 200 outlines, 100 curved columns and 100 fill regions, regenerated and ready to draw.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

#include "../tests/formats/SampleSheets.h"
#include "formats/Worksheet.h"

using namespace nl;
using namespace nl::test;

namespace {
std::filesystem::path TempFile(const char* name) {
    return std::filesystem::temp_directory_path() /
           (std::string("nl-bench-") + std::to_string(::getpid()) + name);
}

// Ten direct stitch objects of 100,000 points each (a colour point at the start of each).
void MillionPoints(TSew& sew) {
    for (int o = 0; o < 10; ++o) {
        auto* s = sew.AddNew<TSLStitch>();
        s->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
        s->Reserve(100'000);
        for (int i = 0; i < 100'000; ++i)
            s->AppendPoint(SP_BOUNDARY, -1, static_cast<float>(i % 2000),
                           static_cast<float>(o * 100 + (i & 1) * 40));
        s->MarkColourStart(0);
        s->UpdateBounds({});
    }
}

// 200 running outlines, 100 satin columns, 100 tatami regions on closed outlines of their own.
void Design(TSew& sew) {
    for (int i = 0; i < 100; ++i) {
        float x = static_cast<float>((i % 10) * 300), y = static_cast<float>((i / 10) * 300);
        AddRunning(sew, Polyline({{x, y}, {x + 100, y + 60}, {x + 200, y}}), 0x0000FF);
        TSLCurve* sq = AddCurve(sew, ClosedOutline(Square(x, y + 80, 120)));
        AddRegion(sew, *sq, 0x00FF00, static_cast<float>(i % 90));
        AddColumn(sew, {{x, y + 220}, {x + 120, y + 200}, {x + 240, y + 220}},
                  {{x, y + 260}, {x + 120, y + 240}, {x + 240, y + 260}}, 0xFF0000);
    }
}
} // namespace

static void BM_SaveMillionPoints(benchmark::State& st) {
    TSew sew;
    MillionPoints(sew);
    const auto file = TempFile("-save.Nl1");
    for (auto _ : st)
        SaveWorksheet(sew, file);
    st.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    std::filesystem::remove(file);
}
BENCHMARK(BM_SaveMillionPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same without the disk: the bytes only.
static void BM_WorksheetBytesMillionPoints(benchmark::State& st) {
    TSew sew;
    MillionPoints(sew);
    for (auto _ : st)
        benchmark::DoNotOptimize(WorksheetBytes(sew, "x.Nl1").size());
}
BENCHMARK(BM_WorksheetBytesMillionPoints)->Unit(benchmark::kMillisecond);

static void BM_OpenMillionPoints(benchmark::State& st) {
    const auto file = TempFile("-open.Nl1");
    {
        TSew sew;
        MillionPoints(sew);
        SaveWorksheet(sew, file);
    }
    for (auto _ : st) {
        TSew sew;
        LoadWorksheet(file, sew);
        benchmark::DoNotOptimize(sew.Count());
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_OpenMillionPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening the design: rails paired and every column generated, region outlines resolved,
// outlines flattened; stored stitch lists of outlines and fills are kept as saved.
static void BM_OpenDesign(benchmark::State& st) {
    const auto file = TempFile("-design.Nl1");
    {
        TSew sew;
        Design(sew);
        SaveWorksheet(sew, file);
    }
    int64_t points = 0;
    for (auto _ : st) {
        TSew sew;
        LoadWorksheet(file, sew);
        points = 0;
        for (const auto& o : sew)
            if (o->Stitches()) points += o->Stitches()->Count();
        benchmark::DoNotOptimize(points);
    }
    st.counters["stitches"] = static_cast<double>(points);
    std::filesystem::remove(file);
}
BENCHMARK(BM_OpenDesign)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same, then every object regenerated from its geometry (outline, column and region
// generators all run): the cost when nothing stored is trusted.
static void BM_OpenDesignRegenerateAll(benchmark::State& st) {
    const auto file = TempFile("-design2.Nl1");
    {
        TSew sew;
        Design(sew);
        SaveWorksheet(sew, file);
    }
    for (auto _ : st) {
        TSew sew;
        LoadWorksheet(file, sew);
        TStitchContext ctx;
        for (const auto& o : sew)
            if (!(o->Flags & OF_RAIL_B)) o->Regenerate(ctx);
        benchmark::DoNotOptimize(sew.Count());
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_OpenDesignRegenerateAll)->Unit(benchmark::kMillisecond)->UseRealTime();
