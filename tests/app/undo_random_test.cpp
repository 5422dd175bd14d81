// Random edits on a worksheet of outlines, columns, a satin outline, a direct stitch object and
// fill regions, on selections made as a user makes them (a few objects, a region without its
// outline, a rail without its partner; the edit closes them over what they need): each edit,
// undone, gives back the saved content exactly, and redone gives the content it made; at the end
// the whole history is undone and redone again.
#include <deque>

#include "Sheet.h"
#include "core/Random.h"
#include "formats/Clipboard.h"
#include "formats/Worksheet.h"
#include "ui/TransformDialogs.h"

using namespace nl;
using nl::test::TSheet;

namespace {
std::vector<uint8_t> Bytes(TNL& nl) {
    return WorksheetBytes(nl.Sew, "t");
}
// The bytes without the selection bits (selecting is not an edit, so undo leaves it alone on
// objects a step did not touch).
std::vector<uint8_t> Content(TNL& nl) {
    std::vector<uint32_t> flags;
    for (int32_t i = 0; i < nl.Sew.Count(); ++i) {
        flags.push_back(nl.Sew[i]->Flags);
        nl.Sew[i]->ClearFlags(OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    }
    auto b = Bytes(nl);
    for (int32_t i = 0; i < nl.Sew.Count(); ++i)
        nl.Sew[i]->Flags = flags[static_cast<size_t>(i)];
    return b;
}
// The edit just made, checked against `of` (the bytes, or the content): without a step it must
// have changed nothing; with one, undo gives back `before` exactly and redo what the edit made.
// `stepped` says whether there was a step.
::testing::AssertionResult UndoesAndRedoes(TNL& nl, const std::vector<uint8_t>& before, size_t steps,
                                           bool& stepped, std::vector<uint8_t> (*of)(TNL&) = Bytes) {
    stepped = nl.Sew.History.Recorded() != steps;
    if (!stepped)
        return of(nl) == before ? ::testing::AssertionSuccess()
                                : ::testing::AssertionFailure() << "changed the worksheet without a step";
    const auto after = of(nl);
    if (!nl.Undo()) return ::testing::AssertionFailure() << "nothing to undo";
    if (of(nl) != before) return ::testing::AssertionFailure() << "undo did not give back the saved state";
    if (!nl.Redo()) return ::testing::AssertionFailure() << "nothing to redo";
    if (of(nl) != after) return ::testing::AssertionFailure() << "redo did not give the edit's state";
    return ::testing::AssertionSuccess();
}
} // namespace

TEST(UndoRandom, EveryEditUndoesToTheSavedBytesAndRedoesToItsOwn) {
    TSheet s;
    TNL& nl = s.Nl;
    nl.SetMode(TMode::ObjectLayout);
    uint32_t seed = 12345;
    auto rnd = [&seed](uint32_t n) {
        seed = seed * 134775813u + 1u;
        return (seed >> 8) % n;
    };
    // A region with its outline, kept on a clipboard record: pasted again whenever the edits took
    // every region away, so that regions without their outlines keep being selected.
    const std::vector<uint8_t> regionRecord = ClipboardBytes({s.Square, s.Region}, 0, 0);
    auto hasRegion = [&nl] {
        for (int32_t i = 0; i < nl.Sew.Count(); ++i)
            if (nl.Sew[i]->Kind() == KIND_REGION) return true;
        return false;
    };
    std::deque<std::vector<uint8_t>> states; // content after each kept step, newest last
    states.push_back(Content(nl));
    int recorded = 0;
    for (int iteration = 0; iteration < 3000; ++iteration) {
        // A random layout selection as a user leaves it (at most a few objects, so that the
        // worksheet stays small): a region without its outline, one rail of a column; the current
        // object one of them now and then. The edits close it over what they need themselves.
        nl.Sew.ClearSelection(OF_SELECTED_LAYOUT | OF_SELECTED_EDIT);
        nl.Sew.SetCurrent(nullptr);
        for (int k = 0, n = 1 + static_cast<int>(rnd(3)); k < n && nl.Sew.Count() > 0; ++k) {
            TSLStitch* o = nl.Sew[static_cast<int32_t>(rnd(static_cast<uint32_t>(nl.Sew.Count())))];
            o->SetFlags(OF_SELECTED_LAYOUT);
            if (rnd(2)) nl.Sew.SetCurrent(o);
        }
        nl.Sew.ComputeSelectionKind();
        // Selecting is no edit: undo gives back the content (the selection an edit closed stays).
        const auto before = Content(nl);
        const size_t steps = nl.Sew.History.Recorded();
        const int op = hasRegion() || nl.Sew.Count() >= 14 ? static_cast<int>(rnd(9)) : 9;
        switch (op) {
        case 0:
            nl.NudgeSelection(static_cast<float>(rnd(41)) - 20, static_cast<float>(rnd(41)) - 20);
            break;
        case 1:
            s.Host.RotateDialogScript = [&] {
                nl.RotateDialog()->SetAngle(static_cast<double>(rnd(720)) - 360);
            };
            nl.Execute(TCommand::Rotate);
            break;
        case 2:
            s.Host.ResizeDialogScript = [&] {
                nl.ResizeDialog()->Set(TResizeField::WidthPercent, 50 + static_cast<double>(rnd(100)));
            };
            nl.Execute(TCommand::Resize);
            break;
        case 3:
            nl.Execute(rnd(2) ? TCommand::MirrorHorizontal : TCommand::MirrorVertical);
            break;
        case 4:
            if (nl.Sew.Count() > 4) {
                s.Host.Answers.push_back(TButton::Yes);
                nl.Execute(TCommand::Delete);
            }
            break;
        case 5:
            if (nl.Sew.Count() < 14 && nl.CopySelection()) nl.PasteAt(rnd(3000), rnd(3000));
            break;
        case 6:
            s.Host.Answers.push_back(TButton::Yes);
            nl.Execute(TCommand::GroupSelection);
            break;
        case 7: {
            // A property change: the colour of the first selected object.
            s.Host.PickAnswers.push_back(static_cast<int32_t>(rnd(0xFFFFFF)));
            auto targets = nl.ColourTargets();
            if (!targets.empty()) nl.PickObjectColour({targets.front()});
            break;
        }
        case 8:
            nl.Execute(rnd(2) && nl.Sew.Count() < 14 ? TCommand::Duplicate : TCommand::Cut);
            break;
        default:
            s.Host.Clipboard = regionRecord;
            nl.PasteAt(rnd(3000), rnd(3000));
            break;
        }
        s.Host.Answers.clear();
        s.Host.PickAnswers.clear();
        bool stepped = false;
        ASSERT_TRUE(UndoesAndRedoes(nl, before, steps, stepped, Content))
            << "edit " << op << " at iteration " << iteration;
        if (!stepped) continue;
        states.push_back(Content(nl));
        if (states.size() > 101) states.pop_front();
        ++recorded;
    }
    EXPECT_GT(recorded, 2000) << recorded;
    // The whole kept history back, and forward again to the final state.
    const auto final = Content(nl);
    size_t undone = 0;
    while (nl.Undo()) {
        ++undone;
        ASSERT_EQ(Content(nl), states[states.size() - 1 - undone]) << undone << " steps back";
    }
    EXPECT_EQ(undone, 100u);
    while (nl.Redo()) {
    }
    EXPECT_EQ(Content(nl), final);
}

TEST(UndoRandom, SplitsAndJoinsUndoToTheSavedBytes) {
    TSheet s;
    TNL& nl = s.Nl;
    uint32_t seed = 777;
    auto rnd = [&seed](uint32_t n) {
        seed = seed * 134775813u + 1u;
        return (seed >> 8) % n;
    };
    int recorded = 0;
    for (int iteration = 0; iteration < 1000; ++iteration) {
        std::vector<TSLCurve*> curves;
        for (int32_t i = 0; i < nl.Sew.Count(); ++i)
            if (nl.Sew[i]->Kind() == KIND_CURVE && !(nl.Sew[i]->Flags & OF_RAIL_B))
                curves.push_back(static_cast<TSLCurve*>(nl.Sew[i]));
        TSLCurve* a = curves[rnd(static_cast<uint32_t>(curves.size()))];
        TSLCurve* b = curves[rnd(static_cast<uint32_t>(curves.size()))];
        // Split while the worksheet is small, else join (the region's outline refuses both); now
        // and then a move, so that joined and split curves travel.
        const int op = static_cast<int>(rnd(5));
        nl.Sew.ClearSelection(OF_SELECTED_LAYOUT | OF_SELECTED_EDIT);
        a->SetFlags(OF_SELECTED_EDIT);
        nl.SetMode(TMode::DesignEdit);
        const auto before = Bytes(nl);
        const size_t steps = nl.Sew.History.Recorded();
        if (op == 0) {
            nl.NudgeSelection(static_cast<float>(rnd(41)) - 20, static_cast<float>(rnd(41)) - 20);
        } else if (nl.Sew.Count() < 16 && a->SegmentCount() >= 2 && (op & 1)) {
            nl.SplitCurveAt(
                *a, 3 * (1 + static_cast<int32_t>(rnd(static_cast<uint32_t>(a->SegmentCount() - 1)))));
        } else if (a != b) {
            nl.JoinCurvesAt(*a, rnd(2), *b, rnd(2));
        }
        bool stepped = false;
        ASSERT_TRUE(UndoesAndRedoes(nl, before, steps, stepped))
            << "edit " << op << " at iteration " << iteration;
        if (!stepped) continue;
        ++recorded;
    }
    EXPECT_GT(recorded, 300) << recorded;
}
