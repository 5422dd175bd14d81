// The pattern viewer for real: a creator's drawing shown as a thumbnail, chosen with a click, and
// the column it is applied to pierced on the worksheet; screenshots of both.
#include <QListWidget>

#include "gui/PatternViewerDialog.h"
#include "regions/Pattern.h"
#include "stitching/SLCurve.h"
#include "tests/formats/SampleSheets.h"
#include "tests/gui/GuiTest.h"

using namespace nl;
using namespace nl::test;

TEST(PatternViewerWindow, AWorksheetPatternIsChosenAndPiercesTheColumn) {
    TWindowFixture t;
    ASSERT_TRUE(t.Show(1000, 700, 307));
    t.Trigger(TCommand::CreatePatternCreator);
    auto* creator = static_cast<TObjectPatternCreator*>(t.Nl().Sew.Support[1]);
    // A zigzag drawn in the creator.
    auto zig = std::make_unique<TSLStitch>();
    const float x = static_cast<float>(creator->Rect.Left), y = static_cast<float>(creator->Rect.Top);
    for (int i = 0; i <= 4; ++i)
        zig->Append(TSP::Plain(0, x + 200.f * static_cast<float>(i), y + (i % 2 ? 700.f : 100.f)));
    AddMember(*creator, *t.Nl().Sew.Add(std::move(zig)));

    TSLCurve* railA = AddColumn(t.Nl().Sew, {{x + 1000, y + 200}, {x + 2800, y + 200}},
                                {{x + 1000, y + 500}, {x + 2800, y + 500}}, DEFAULT_OBJECT_COLOUR);
    Restitch(*railA, t.Nl().StitchContext());
    t.Nl().Sew.SetCurrent(railA);

    WhenShown([&] {
        TPatternViewerDialog* d = t.W.PatternViewerDialog();
        ASSERT_TRUE(d->isVisible());
        EXPECT_EQ(d->windowTitle(), "Prog. Stitch  Pattern Viewer");
        // The shipped pattern files first, the worksheet's creator last.
        const int n = d->List()->count();
        ASSERT_GE(n, 1);
        EXPECT_EQ(d->List()->item(n - 1)->text(), "WorkSheet Pattern");
        QApplication::processEvents();
        EXPECT_TRUE(d->grab().save(ShotPath("pattern-viewer")));
        emit d->List()->itemClicked(d->List()->item(n - 1));
    });
    t.Trigger(TCommand::PatternViewer);
    EXPECT_TRUE(railA->StitchFlags & SF_PROG_STITCH);
    size_t pierced = 0;
    for (const TSP& p : *railA->Stitches())
        pierced += (p.Flags & SP_FILL) != 0;
    EXPECT_GT(pierced, 20u);
    t.V()->update();
    QApplication::processEvents();
    EXPECT_TRUE(t.W.grab().save(ShotPath("pattern-pierced-column")));
}
