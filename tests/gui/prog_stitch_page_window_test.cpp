// The "Prog. Stitch Pattern" page in the properties window for real: it appears for a column with
// a pattern, its entries and buttons change the pattern and regenerate the column, each one undo
// step, "Clear" asks first and takes the page away; a screenshot of the page.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui/PropertiesDialog.h"
#include "regions/Pattern.h"
#include "stitching/Overlay.h"
#include "stitching/SLCurve.h"
#include "tests/formats/SampleSheets.h"
#include "tests/gui/GuiTest.h"
#include "ui/ProgStitchPage.h"

using namespace nl;
using namespace nl::test;

namespace {
void Enter(QLineEdit* e, const QString& text) {
    EnterText(e, text);
}
} // namespace

TEST(ProgStitchPageWindow, EditsThePatternOfAColumnStepByStep) {
    TWindowFixture t;
    ASSERT_TRUE(t.Show(1000, 700, 307));
    TSLCurve* railA = AddColumn(t.Nl().Sew, {{1000, 1000}, {3000, 1000}}, {{1000, 1200}, {3000, 1200}},
                                DEFAULT_OBJECT_COLOUR);
    TSLCurve* railB = railA->PartnerRail;
    Restitch(*railA, t.Nl().StitchContext());
    t.Nl().Sew.SetCurrent(railA);
    t.Nl().ShowProperties(*railA);
    TPropertiesDialog* p = t.W.Properties();
    const std::string page = TProgStitchPage::Caption;
    EXPECT_FALSE(p->SelectPage(page)) << "no pattern, no page";

    // A pattern given (as the viewer does) brings the page.
    auto copy = std::make_unique<TObjectStitch>();
    auto zig = std::make_unique<TSLStitch>();
    for (int i = 0; i <= 4; ++i)
        zig->Append(TSP::Plain(0, 50.f * static_cast<float>(i), i % 2 ? 180.f : 20.f));
    copy->Items.emplace_back(std::move(zig));
    ASSERT_TRUE(t.Nl().ApplyPattern(*railA, *MakeCopy(*copy)));
    p->Sync();
    ASSERT_TRUE(p->SelectPage(page));
    EXPECT_EQ(p->Field(page, "Width")->text(), "10.00");
    EXPECT_FALSE(p->Choice(page, "From Top")->isEnabled()) << "anchoring is for a matched pattern";

    auto steps = [&] { return t.Nl().Sew.History.UndoCount(); };
    const size_t start = steps();
    Enter(p->Field(page, "Width"), "15");
    EXPECT_EQ(railB->Pattern->PatternWidth, 300);
    EXPECT_EQ(steps(), start + 1);
    Enter(p->Field(page, "Height"), "61");
    EXPECT_EQ(p->Field(page, "Height")->text(), "10.00") << "refused, the old value back";
    EXPECT_EQ(railB->Pattern->PatternHeight, 200);
    EXPECT_EQ(steps(), start + 1) << "a refused entry is no step";
    const size_t afterSize = steps();
    p->Check(page, "Match Pattern To Curve")->click();
    EXPECT_TRUE(railB->Pattern->Flags & PATTERN_MATCH_CURVE);
    ASSERT_TRUE(p->Choice(page, "From Middle")->isEnabled());
    p->Choice(page, "From Middle")->click();
    EXPECT_TRUE(railB->Pattern->Flags & PATTERN_FROM_MIDDLE);
    p->Button(page, "Mirror Horizontal")->click();
    EXPECT_EQ(steps(), afterSize + 3) << "match, anchor, mirror: a step each";
    QApplication::processEvents();
    EXPECT_TRUE(p->grab().save(ShotPath("properties-column-prog-stitch-pattern")));

    // "Copy Pattern" puts it on the clipboard, which "Paste Pattern" then offers.
    EXPECT_FALSE(p->Button(page, "Paste Pattern")->isEnabled());
    p->Button(page, "Copy Pattern")->click();
    EXPECT_TRUE(p->Button(page, "Paste Pattern")->isEnabled());
    EXPECT_EQ(steps(), afterSize + 3) << "copying changes nothing";

    // Undo takes the mirror back; "Clear" asks, and the page goes with the pattern.
    const std::vector<TSP> mirrored(railA->Stitches()->begin(), railA->Stitches()->end());
    ASSERT_TRUE(t.Nl().Undo());
    p->Sync();
    EXPECT_TRUE(railB->Pattern->Flags & PATTERN_FROM_MIDDLE);
    t.Answer = TButton::No;
    p->Button(page, "Clear")->click();
    EXPECT_EQ(t.Asked.back(), "Prog Stitch Change");
    EXPECT_TRUE(railB->Pattern);
    t.Answer = TButton::Yes;
    p->Button(page, "Clear")->click();
    EXPECT_FALSE(railB->Pattern);
    EXPECT_FALSE(railA->StitchFlags & SF_PROG_STITCH);
    QApplication::processEvents();
    EXPECT_FALSE(p->SelectPage(page));
}
