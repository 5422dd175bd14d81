// Writing and reading a whole 1,000,000-stitch design as Melco EXP and Janome JEF.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/BenchDesigns.h"
#include "formats/Exp.h"
#include "formats/Import.h"
#include "formats/Jef.h"

using namespace nl;
using namespace nl::bench;

namespace {

std::unique_ptr<TSLStitch> Design(int64_t kind) {
    return kind == 0 ? ZigzagDesign(kLargeStitches) : VariedDesign(kLargeStitches);
}

std::vector<uint8_t> WriteAs(bool jef, const TSLStitch& design) {
    TExportPlan plan({const_cast<TSLStitch*>(&design)});
    TExportState st;
    return jef ? WriteJef(plan, st) : WriteExp(plan, st);
}

void WriteDesign(benchmark::State& state, bool jef) {
    auto design = Design(state.range(0));
    size_t size = 0;
    for (auto _ : state) {
        auto bytes = WriteAs(jef, *design);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
    state.counters["file KB"] = static_cast<double>(size) / 1024.0;
}
void BM_ExpWriteDesign(benchmark::State& state) {
    WriteDesign(state, false);
}
void BM_JefWriteDesign(benchmark::State& state) {
    WriteDesign(state, true);
}
BENCHMARK(BM_ExpWriteDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JefWriteDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void ReadDesign(benchmark::State& state, bool jef) {
    auto design = Design(state.range(0));
    const auto bytes = WriteAs(jef, *design);
    const TFormat& format = *FormatOfExtension(jef ? "jef" : "exp");
    for (auto _ : state) {
        TImportColours colours;
        auto o = DecodeStitchFile(bytes, format, colours, 0, 0);
        benchmark::DoNotOptimize(o->Count());
    }
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
void BM_ExpReadDesign(benchmark::State& state) {
    ReadDesign(state, false);
}
void BM_JefReadDesign(benchmark::State& state) {
    ReadDesign(state, true);
}
BENCHMARK(BM_ExpReadDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JefReadDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
