// Writing and reading a whole 1,000,000-stitch design as XXX, Barudan DAT, Toyota 10O and Pfaff
// KSM (the argument picks the format, in that order).
#include <benchmark/benchmark.h>

#include <vector>

#include "formats/Import.h"

using namespace nl;

namespace {

constexpr int32_t kStitches = 1000000;
const char* const kExtensions[] = {"xxx", "dat", "10o", "ksm"};

// A satin-like zigzag: the shape of a dense real design, one colour block every 50,000 stitches,
// and a long move back at the end of every row (the design bench_dst writes).
std::unique_ptr<TSLStitch> LargeDesign(int32_t stitches) {
    auto o = std::make_unique<TSLStitch>();
    o->Reserve(stitches);
    for (int32_t i = 0; i < stitches; ++i) {
        float x = static_cast<float>((i % 2000) * 2), y = static_cast<float>((i / 2000) * 2 + (i % 2) * 60);
        if (i % 50000 == 0)
            o->Append(TSP::Colour(0, x, y, i / 50000));
        else
            o->Append(TSP::Plain(0, x, y));
    }
    return o;
}

const TFormat& Format(const benchmark::State& state) {
    return *FormatOfExtension(kExtensions[state.range(0)]);
}

void BM_WriteDesign(benchmark::State& state) {
    const TFormat& format = Format(state);
    auto design = LargeDesign(kStitches);
    size_t size = 0;
    for (auto _ : state) {
        TExportPlan plan({design.get()});
        TExportState st;
        auto bytes = format.Write(plan, st);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetLabel(format.Extension);
    state.SetItemsProcessed(state.iterations() * kStitches);
    state.counters["file MB"] = static_cast<double>(size) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WriteDesign)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_ReadDesign(benchmark::State& state) {
    const TFormat& format = Format(state);
    auto design = LargeDesign(kStitches);
    TExportPlan plan({design.get()});
    TExportState st;
    const auto bytes = format.Write(plan, st);
    for (auto _ : state) {
        TImportColours colours;
        auto o = DecodeStitchFile(bytes, format, colours, 0, 0);
        benchmark::DoNotOptimize(o->Count());
    }
    state.SetLabel(format.Extension);
    state.SetItemsProcessed(state.iterations() * kStitches);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadDesign)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
