// Throughput of the HUS/VIP stream codec, and writing and reading a whole 1,000,000-stitch design
// as HUS and VIP.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "formats/ArcCompress.h"
#include "formats/Hus.h"
#include "formats/Import.h"

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

// Satin columns whose width wanders and tatami rows with a little jitter: displacements that
// repeat far less than a plain zigzag, closer to a digitised design.
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
    static const auto varied = Stream(VariedDesign(kStitches), 1);
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
    return kind == 0 ? ZigzagDesign(kStitches) : VariedDesign(kStitches);
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
    state.SetItemsProcessed(state.iterations() * kStitches);
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
    state.SetItemsProcessed(state.iterations() * kStitches);
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
    state.SetItemsProcessed(state.iterations() * kStitches);
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
