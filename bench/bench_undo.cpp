// Undo and redo on a large worksheet, and the transforms of a large selection through the
// controller (each with its undo step).
#include <benchmark/benchmark.h>

#include "app/MainForm.h"
#include "platform/ScriptedHost.h"
#include "ui/TransformDialogs.h"
#include "worksheet/Sew.h"

using namespace nl;

namespace {
// `objects` direct stitch objects of `points` points each, side by side.
void Fill(TSew& sew, int objects, int points) {
    TStitchContext ctx;
    for (int k = 0; k < objects; ++k) {
        auto o = std::make_unique<TSLStitch>();
        o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
        o->Reserve(points);
        for (int i = 0; i < points; ++i)
            o->AppendPoint(0, 0, static_cast<float>(k * 40 + (i % 7)), static_cast<float>(i % 1000));
        o->UpdateBounds(ctx);
        sew.Add(std::move(o));
    }
}

size_t PointsOf(const TSew& sew) {
    size_t n = 0;
    for (int32_t i = 0; i < sew.Count(); ++i)
        n += static_cast<size_t>(sew[i]->Count());
    return n;
}

// A worksheet of 1,000,000 points (100 objects of 10,000) and one small object (100 points) that
// is moved: undo and redo of the move.
void BM_UndoRedoMoveIn1MPoints(benchmark::State& state) {
    TSew sew;
    Fill(sew, 100, 10000);
    Fill(sew, 1, 100);
    TSLStitch* small = sew[sew.Count() - 1];
    {
        TUndoStep step(sew, "Move", {small});
        small->Offset(20, 0);
    }
    const bool undo = state.range(0) == 0;
    for (auto _ : state) {
        if (undo) {
            sew.History.Undo(sew);
            state.PauseTiming();
            sew.History.Redo(sew);
            state.ResumeTiming();
        } else {
            state.PauseTiming();
            sew.History.Undo(sew);
            state.ResumeTiming();
            sew.History.Redo(sew);
        }
    }
    state.SetLabel(undo ? "undo" : "redo");
}
BENCHMARK(BM_UndoRedoMoveIn1MPoints)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// 100 steps of small edits (moves of 100-point objects) on the 1,000,000-point worksheet: the
// history's memory against the worksheet's own points.
void BM_HistoryMemory100SmallSteps(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TSew sew;
        Fill(sew, 100, 10000);
        Fill(sew, 10, 100);
        state.ResumeTiming();
        for (int i = 0; i < 100; ++i) {
            TSLStitch* o = sew[100 + i % 10];
            TUndoStep step(sew, "Move", {o});
            o->Offset(1, 0);
        }
        state.counters["history_bytes"] = static_cast<double>(sew.History.Bytes());
        state.counters["worksheet_point_bytes"] = static_cast<double>(PointsOf(sew) * sizeof(TSP));
        state.counters["ratio_percent"] = 100.0 * static_cast<double>(sew.History.Bytes()) /
                                          static_cast<double>(PointsOf(sew) * sizeof(TSP));
    }
}
BENCHMARK(BM_HistoryMemory100SmallSteps)->Iterations(3)->Unit(benchmark::kMillisecond);

// Rotate (dialog at 30 degrees), resize (150 %) and mirror of a layout selection of 200,000
// points, through the controller: the transform, its end and its undo step.
void BM_TransformSelection200k(benchmark::State& state) {
    TScriptedHost host;
    TNL nl(host);
    Fill(nl.Sew, 20, 10000);
    nl.SetMode(TMode::ObjectLayout);
    for (int32_t i = 0; i < nl.Sew.Count(); ++i)
        nl.Sew[i]->SetFlags(OF_SELECTED_LAYOUT);
    host.RotateDialogScript = [&] { nl.RotateDialog()->SetAngle(30); };
    host.ResizeDialogScript = [&] { nl.ResizeDialog()->Set(TResizeField::WidthPercent, 150); };
    const int64_t which = state.range(0);
    for (auto _ : state) {
        if (which == 0) nl.Execute(TCommand::Rotate);
        if (which == 1) nl.Execute(TCommand::Resize);
        if (which == 2) nl.Execute(TCommand::MirrorHorizontal);
        state.PauseTiming();
        nl.Undo(); // the same selection every time
        state.ResumeTiming();
    }
    state.SetLabel(which == 0 ? "rotate" : which == 1 ? "resize" : "mirror");
}
BENCHMARK(BM_TransformSelection200k)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
