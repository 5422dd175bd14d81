// Writing and reading a whole 1,000,000-stitch design as Melco EXP and Janome JEF.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "formats/Exp.h"
#include "formats/Import.h"
#include "formats/Jef.h"

using namespace nl;

namespace {

constexpr int32_t kStitches = 1000000;

// A satin-like zigzag: the shape of a dense real design, one colour block every 50,000 stitches
// (the design bench_dst writes).
std::unique_ptr<TSLStitch> ZigzagDesign(int32_t stitches) {
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

// Satin columns whose width wanders and tatami rows with a little jitter, with a long travel
// now and then (the varied design of bench_hus).
std::unique_ptr<TSLStitch> VariedDesign(int32_t stitches) {
    std::mt19937 rng(11);
    auto o = std::make_unique<TSLStitch>();
    o->Reserve(stitches);
    float x = 0, y = 0;
    int32_t i = 0;
    while (i < stitches) {
        int kind = static_cast<int>(rng() % 2), n = 200 + static_cast<int>(rng() % 800);
        float width = 40.0f + static_cast<float>(rng() % 80);
        for (int k = 0; k < n && i < stitches; ++k, ++i) {
            if (kind == 0) {
                width += static_cast<float>(static_cast<int>(rng() % 5) - 2);
                x += (k % 2 ? width : -width);
                y += 2.0f + static_cast<float>(rng() % 3);
            } else {
                x += (k / 14) % 2 ? -70.0f : 70.0f;
                y += (k % 14 == 13) ? 8.0f : static_cast<float>(static_cast<int>(rng() % 3) - 1);
            }
            if (x < -4000 || x > 4000) x = 0;
            if (y > 4000) y = -4000;
            if (i % 50000 == 0)
                o->Append(TSP::Colour(0, x, y, i / 50000));
            else
                o->Append(TSP::Plain(0, x, y));
        }
    }
    return o;
}

std::unique_ptr<TSLStitch> Design(int64_t kind) {
    return kind == 0 ? ZigzagDesign(kStitches) : VariedDesign(kStitches);
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
    state.SetItemsProcessed(state.iterations() * kStitches);
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
    state.SetItemsProcessed(state.iterations() * kStitches);
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
