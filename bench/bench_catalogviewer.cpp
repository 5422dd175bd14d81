// Opening the "Color Catalog Viewer" on the largest shipped catalog as a colour picker: reading
// the catalog headers, reading the catalog, Best Match, and the window shown and painted once
// (offscreen). The goal is under 100 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include "core/Colour.h"
#include "gui/CatalogViewerDialog.h"
#include "platform/ScriptedHost.h"
#include "threads/CatalogFolder.h"

using namespace nl;

namespace {

void EnsureApp() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_catalogviewer";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

// The position of the largest catalog in the viewer's list (enabled catalogs by list position).
int32_t LargestChoice(const std::filesystem::path& folder) {
    auto list = ReadCatalogHeaders(folder);
    SortByListPosition(list);
    int32_t best = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].EntryCount > list[static_cast<size_t>(best)].EntryCount) best = static_cast<int32_t>(i);
    return best;
}

void BM_OpenViewerOnLargestCatalog(benchmark::State& state) {
    EnsureApp();
    const std::string bin = NL_BIN_DIR;
    TScriptedHost host;
    TThreadSettings settings;
    settings.CatalogChoice = LargestChoice(std::filesystem::path(bin) / THREADS_FOLDER_NAME);
    TCatalogViewerDialog dlg(host, settings, [&] { return bin; });
    size_t rows = 0;
    for (auto _ : state) {
        // The modal picker as a colour box opens it: fill, Best Match, show, first paint; closed
        // again as soon as it is up.
        QTimer::singleShot(0, &dlg, [&] {
            QPixmap shot = dlg.grab();
            benchmark::DoNotOptimize(shot);
            dlg.done(TCatalogViewerDialog::PICK_CANCEL);
        });
        auto pick = dlg.Pick(MakeColour(200, 30, 40), false);
        benchmark::DoNotOptimize(pick);
        rows = dlg.Model().Rows();
    }
    state.counters["threads"] = static_cast<double>(rows);
}
BENCHMARK(BM_OpenViewerOnLargestCatalog)->Unit(benchmark::kMillisecond);

} // namespace
