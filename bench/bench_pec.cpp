// Writing and reading a whole 1,000,000-stitch design as PEC and as PES (the PES description
// lists every stitch a second time), with the preview icons drawn on the way.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchDesigns.h"
#include "formats/Import.h"
#include "formats/Pec.h"

using namespace nl;
using namespace nl::bench;

namespace {

std::vector<uint8_t> Write(const TSLStitch& design, bool pes) {
    TExportPlan plan({const_cast<TSLStitch*>(&design)});
    TExportState st;
    st.DesignName = "large";
    return pes ? WritePes(plan, st) : WritePec(plan, st);
}

void BM_PecWriteDesign(benchmark::State& state) {
    auto design = ZigzagDesign(kLargeStitches, 0x010101);
    const bool pes = state.range(0) != 0;
    size_t size = 0;
    for (auto _ : state) {
        auto bytes = Write(*design, pes);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
    state.counters["file KB"] = static_cast<double>(size) / 1024.0;
}
BENCHMARK(BM_PecWriteDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PecReadDesign(benchmark::State& state) {
    auto design = ZigzagDesign(kLargeStitches, 0x010101);
    const bool pes = state.range(0) != 0;
    const auto bytes = Write(*design, pes);
    for (auto _ : state) {
        TImportColours colours;
        auto o = DecodeStitchFile(bytes, *FormatOfExtension(pes ? "pes" : "pec"), colours, 0, 0);
        benchmark::DoNotOptimize(o->Count());
    }
    state.SetItemsProcessed(state.iterations() * kLargeStitches);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_PecReadDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
