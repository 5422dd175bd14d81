// The hot point paths: appending, bounds, the stitch length limits, and the worksheet record
// of a 1,000,000-point object.
#include <benchmark/benchmark.h>

#include "core/BinaryIO.h"
#include "stitching/SLStitch.h"

using namespace nl;

namespace {
constexpr int kPoints = 1'000'000;

// A zigzag of generated points with an inserted short point every 10 and a long stitch every 100.
void Fill(TSLStitch& s) {
    s.Reserve(kPoints);
    float x = 0;
    for (int i = 0; i < kPoints; ++i) {
        uint32_t flags = (i % 10 == 5) ? SP_FILL : SP_BOUNDARY;
        x += (i % 100 == 0) ? 600.f : (i % 10 == 5 ? 1.f : 30.f);
        s.AppendPoint(flags, -1, x, static_cast<float>((i & 1) * 40));
    }
}
} // namespace

static void BM_AppendPlainPoints(benchmark::State& st) {
    for (auto _ : st) {
        TSLStitch s;
        for (int i = 0; i < kPoints; ++i)
            s.AppendPoint(SP_BOUNDARY, -1, static_cast<float>(i), 0.f);
        benchmark::DoNotOptimize(s.Count());
        st.counters["reserved_bytes_per_point"] = static_cast<double>(s.Capacity()) * sizeof(TSP) / s.Count();
        st.counters["bytes_per_point"] = sizeof(TSP);
    }
}
BENCHMARK(BM_AppendPlainPoints)->Unit(benchmark::kMillisecond);

// The same with the list reserved up front, as a reader that knows its count does.
static void BM_AppendPlainPointsReserved(benchmark::State& st) {
    for (auto _ : st) {
        TSLStitch s;
        s.Reserve(kPoints);
        for (int i = 0; i < kPoints; ++i)
            s.AppendPoint(SP_BOUNDARY, -1, static_cast<float>(i), 0.f);
        benchmark::DoNotOptimize(s.Count());
        st.counters["reserved_bytes_per_point"] = static_cast<double>(s.Capacity()) * sizeof(TSP) / s.Count();
    }
}
BENCHMARK(BM_AppendPlainPointsReserved)->Unit(benchmark::kMillisecond);

static void BM_Bounds(benchmark::State& st) {
    TSLStitch s;
    Fill(s);
    TStitchContext ctx;
    for (auto _ : st) {
        s.UpdateBounds(ctx);
        benchmark::DoNotOptimize(s.Bounds);
    }
}
BENCHMARK(BM_Bounds)->Unit(benchmark::kMillisecond);

// Times `op` on a fresh copy of the filled list (the copy is not timed).
template <typename Op> void OnCopies(benchmark::State& st, Op op) {
    TSLStitch base;
    Fill(base);
    for (auto _ : st) {
        st.PauseTiming();
        auto s = base.Clone();
        st.ResumeTiming();
        op(*s);
        benchmark::DoNotOptimize(s->Count());
    }
}

static void BM_RemoveShortStitches(benchmark::State& st) {
    OnCopies(st, [](TSLStitch& s) { s.RemoveShortStitches(4); });
}
BENCHMARK(BM_RemoveShortStitches)->Unit(benchmark::kMillisecond);

static void BM_SplitLongStitches(benchmark::State& st) {
    OnCopies(st, [](TSLStitch& s) { s.SplitLongStitches(4, 220); });
}
BENCHMARK(BM_SplitLongStitches)->Unit(benchmark::kMillisecond);

static void BM_WriteRecord(benchmark::State& st) {
    TSLStitch s;
    Fill(s);
    for (auto _ : st) {
        TByteWriter w;
        w.Reserve(static_cast<size_t>(kPoints) * 12 + 64);
        WriteObjectRecord(w, s, {});
        benchmark::DoNotOptimize(w.Size());
    }
}
BENCHMARK(BM_WriteRecord)->Unit(benchmark::kMillisecond);

static void BM_ReadRecord(benchmark::State& st) {
    TSLStitch s;
    Fill(s);
    TByteWriter w;
    WriteObjectRecord(w, s, {});
    for (auto _ : st) {
        TByteReader r(w.Data());
        auto o = ReadObjectRecord(r, {});
        benchmark::DoNotOptimize(o->Count());
    }
}
BENCHMARK(BM_ReadRecord)->Unit(benchmark::kMillisecond);
