// Throughput of the HUS/VIP stream codec, and writing and reading a whole 1,000,000-stitch design
// as HUS and VIP.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/BenchDesigns.h"
#include "formats/ArcCompress.h"
#include "formats/Hus.h"
#include "formats/Import.h"

using namespace nl;
using namespace nl::bench;

namespace {

std::vector<uint8_t> Stream(const std::unique_ptr<TSLStitch>& design, int which) {
    TExportPlan plan({design.get()});
    TExportState st;
    auto f = ParseHusVip(WriteHus(plan, st));
    return which == 0 ? f.Commands : which == 1 ? f.X : f.Y;
}

std::vector<uint8_t> Random(size_t n) {
    std::mt19937 rng(5);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

// Input of the codec benchmarks: 0 = x stream of the varied design, 1 = random bytes (1 MB each).
std::vector<uint8_t> CodecInput(int64_t kind) {
    static const auto varied = Stream(VariedDesign(kLargeStitches), 1);
    return kind == 0 ? varied : Random(1 << 20);
}

void BM_ArcCompress(benchmark::State& state) {
    auto in = CodecInput(state.range(0));
    std::vector<uint8_t> out;
    for (auto _ : state) {
        out.clear();
        ArcCompressStream(in, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
    state.counters["ratio %"] = 100.0 * static_cast<double>(out.size()) / static_cast<double>(in.size());
}
BENCHMARK(BM_ArcCompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ArcDecompress(benchmark::State& state) {
    auto in = CodecInput(state.range(0));
    std::vector<uint8_t> packed, out;
    ArcCompressStream(in, packed);
    for (auto _ : state) {
        ArcDecompressStream(packed, in.size(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
BENCHMARK(BM_ArcDecompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

std::unique_ptr<TSLStitch> Design(int64_t kind) {
    return kind == 0 ? ZigzagDesign(kLargeStitches) : VariedDesign(kLargeStitches);
}

void BM_HusWriteDesign(benchmark::State& state) {
    auto design = Design(state.range(0));
    size_t size = 0;
    for (auto _ : state) {
        TExportPlan plan({design.get()});
        TExportState st;
        auto bytes = WriteHus(plan, st);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
    state.counters["file KB"] = static_cast<double>(size) / 1024.0;
}
BENCHMARK(BM_HusWriteDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_VipWriteDesign(benchmark::State& state) {
    auto design = Design(state.range(0));
    for (auto _ : state) {
        TExportPlan plan({design.get()});
        TExportState st;
        auto bytes = WriteVip(plan, st);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
}
BENCHMARK(BM_VipWriteDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void ReadDesign(benchmark::State& state, bool vip) {
    auto design = Design(state.range(0));
    TExportPlan plan({design.get()});
    TExportState st;
    auto bytes = vip ? WriteVip(plan, st) : WriteHus(plan, st);
    for (auto _ : state) {
        TImportColours colours;
        auto o = DecodeStitchFile(bytes, *FormatOfExtension("hus"), colours, 0, 0);
        benchmark::DoNotOptimize(o->Count());
    }
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
}
void BM_HusReadDesign(benchmark::State& state) {
    ReadDesign(state, false);
}
void BM_VipReadDesign(benchmark::State& state) {
    ReadDesign(state, true);
}
BENCHMARK(BM_HusReadDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipReadDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
