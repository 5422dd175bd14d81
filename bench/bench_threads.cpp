// Thread catalogs: Best Match over every shipped catalog, and reading catalogs as the viewer and
// the manager do.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "core/Colour.h"
#include "threads/CatalogFolder.h"
#include "threads/ThreadMatch.h"

using namespace nl;

namespace {

std::filesystem::path Shipped() {
    return std::filesystem::path(NL_BIN_DIR) / THREADS_FOLDER_NAME;
}

std::vector<int32_t> Colours(size_t n) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> c(0, 255);
    std::vector<int32_t> v(n);
    for (auto& x : v)
        x = MakeColour(c(rng), c(rng), c(rng));
    return v;
}

size_t Threads(const std::vector<TCatData>& all) {
    size_t n = 0;
    for (const TCatData& c : all)
        n += c.Entries.size();
    return n;
}

// The viewer's Best Match run in the display order of every shipped catalog in turn.
void BM_BestMatchEveryCatalog(benchmark::State& state) {
    auto all = ReadCatalogs(Shipped());
    auto colours = Colours(256);
    size_t i = 0;
    for (auto _ : state) {
        int32_t colour = colours[i++ % colours.size()];
        for (const TCatData& c : all)
            benchmark::DoNotOptimize(BestMatch(c, TThreadSort::Number, colour));
    }
    state.counters["threads"] = static_cast<double>(Threads(all));
}
BENCHMARK(BM_BestMatchEveryCatalog)->Unit(benchmark::kMicrosecond);

// The nearest thread over all shipped catalogs at once (nordelune-cli info and threads --match).
void BM_NearestThreadAllCatalogs(benchmark::State& state) {
    auto all = ReadCatalogs(Shipped());
    auto colours = Colours(256);
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(NearestThreads(all, colours[i++ % colours.size()], 1));
    state.counters["threads"] = static_cast<double>(Threads(all));
}
BENCHMARK(BM_NearestThreadAllCatalogs)->Unit(benchmark::kMicrosecond);

std::filesystem::path Largest() {
    std::filesystem::path best;
    uintmax_t size = 0;
    for (const auto& f : CatalogFiles(Shipped()))
        if (std::filesystem::file_size(f) > size) size = std::filesystem::file_size(f), best = f;
    return best;
}

// Reading the largest shipped catalog whole (the viewer's entries, checked orders included).
void BM_ReadLargestCatalog(benchmark::State& state) {
    const auto path = Largest();
    size_t n = 0;
    for (auto _ : state) {
        TCatData c = ReadCatalog(path);
        n = c.Entries.size();
        benchmark::DoNotOptimize(c);
    }
    state.counters["threads"] = static_cast<double>(n);
}
BENCHMARK(BM_ReadLargestCatalog)->Unit(benchmark::kMicrosecond);

// Computing the three display orders of the largest catalog (the manager does it for every
// catalog before it writes them).
void BM_ComputeOrdersLargestCatalog(benchmark::State& state) {
    TCatData c = ReadCatalog(Largest());
    for (auto _ : state) {
        ComputeOrders(c);
        benchmark::ClobberMemory();
    }
    state.counters["threads"] = static_cast<double>(c.Entries.size());
}
BENCHMARK(BM_ComputeOrdersLargestCatalog)->Unit(benchmark::kMicrosecond);

// The headers of every catalog in the folder (the viewer's list, on every showing).
void BM_ReadCatalogHeaders(benchmark::State& state) {
    size_t n = 0;
    for (auto _ : state) {
        auto h = ReadCatalogHeaders(Shipped());
        n = h.size();
        benchmark::DoNotOptimize(h);
    }
    state.counters["catalogs"] = static_cast<double>(n);
}
BENCHMARK(BM_ReadCatalogHeaders)->Unit(benchmark::kMicrosecond);

} // namespace
