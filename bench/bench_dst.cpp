// Throughput of the DST record codec, and of writing and reading a whole 1,000,000-stitch design.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/BenchDesigns.h"
#include "formats/Dst.h"
#include "formats/Import.h"

using namespace nl;
using namespace nl::bench;

namespace {

std::vector<std::pair<int32_t, int32_t>> Displacements(size_t n) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> d(-DST_MAX_STEP, DST_MAX_STEP);
    std::vector<std::pair<int32_t, int32_t>> v(n);
    for (auto& p : v)
        p = {d(rng), d(rng)};
    return v;
}

void BM_DstEncodeRecord(benchmark::State& state) {
    auto moves = Displacements(1 << 16);
    std::vector<uint8_t> out(moves.size() * 3);
    for (auto _ : state) {
        uint8_t* p = out.data();
        for (auto [dx, dy] : moves) {
            EncodeDstRecord(dx, dy, DST_STITCH, p);
            p += 3;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(moves.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}
BENCHMARK(BM_DstEncodeRecord);

void BM_DstDecodeRecord(benchmark::State& state) {
    auto moves = Displacements(1 << 16);
    std::vector<uint8_t> recs(moves.size() * 3);
    for (size_t i = 0; i < moves.size(); ++i)
        EncodeDstRecord(moves[i].first, moves[i].second, DST_STITCH, recs.data() + 3 * i);
    for (auto _ : state) {
        int64_t sx = 0, sy = 0;
        for (size_t at = 0; at < recs.size(); at += 3) {
            int32_t dx, dy;
            DecodeDstRecord(recs.data() + at, dx, dy);
            sx += dx;
            sy += dy;
        }
        benchmark::DoNotOptimize(sx + sy);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(moves.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(recs.size()));
}
BENCHMARK(BM_DstDecodeRecord);

void BM_DstWriteDesign(benchmark::State& state) {
    auto design = ZigzagDesign(1000000);
    for (auto _ : state) {
        TExportPlan plan({design.get()});
        TExportState st;
        auto bytes = WriteDst(plan, st);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_DstWriteDesign)->Unit(benchmark::kMillisecond);

void BM_DstReadDesign(benchmark::State& state) {
    auto design = ZigzagDesign(1000000);
    TExportPlan plan({design.get()});
    TExportState st;
    auto bytes = WriteDst(plan, st);
    for (auto _ : state) {
        TImportColours colours;
        auto o = DecodeStitchFile(bytes, *FormatOfExtension("dst"), colours, 0, 0);
        benchmark::DoNotOptimize(o->Count());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_DstReadDesign)->Unit(benchmark::kMillisecond);

} // namespace
