// Writing and reading a whole 1,000,000-stitch design as XXX, Barudan DAT, Toyota 10O and Pfaff
// KSM (the argument picks the format, in that order).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchDesigns.h"
#include "formats/Import.h"

using namespace nl;
using namespace nl::bench;

namespace {

const char* const kExtensions[] = {"xxx", "dat", "10o", "ksm"};

const TFormat& Format(const benchmark::State& state) {
    return *FormatOfExtension(kExtensions[state.range(0)]);
}

void BM_WriteDesign(benchmark::State& state) {
    const TFormat& format = Format(state);
    auto design = ZigzagDesign(kLargeStitches);
    size_t size = 0;
    for (auto _ : state) {
        TExportPlan plan({design.get()});
        TExportState st;
        auto bytes = format.Write(plan, st);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetLabel(format.Extension);
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
    state.counters["file MB"] = static_cast<double>(size) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WriteDesign)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_ReadDesign(benchmark::State& state) {
    const TFormat& format = Format(state);
    auto design = ZigzagDesign(kLargeStitches);
    TExportPlan plan({design.get()});
    TExportState st;
    const auto bytes = format.Write(plan, st);
    for (auto _ : state) {
        TImportColours colours;
        auto o = DecodeStitchFile(bytes, format, colours, 0, 0);
        benchmark::DoNotOptimize(o->Count());
    }
    state.SetLabel(format.Extension);
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadDesign)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
