// The memo's "Font ..." button: the font dialog through Host preset with the memo's typeface, the
// choice drawn, kept in the worksheet file and taken back by one undo.
#include "formats/Worksheet.h"
#include "platform/RecordingCanvas.h"
#include "tests/app/Fixture.h"
#include "ui/SupportPage.h"

using namespace nl;
using namespace nl::test;

TEST(MemoFont, ChosenThroughTheFontDialogDrawnSavedAndUndone) {
    TShell t;
    t.Nl.Execute(TCommand::CreateTextLabel);
    ASSERT_EQ(t.Nl.Sew.Support.Count(), 2);
    auto* memo = static_cast<TObjectText*>(t.Nl.Sew.Support[1]);
    t.Nl.ShowSupportProperties(*memo);
    ASSERT_TRUE(t.Nl.SupportPage());
    const auto before = WorksheetBytes(t.Nl.Sew, "t");

    // Cancelled: the dialog saw the memo's own font (16 pixels: 12 points) and nothing changes.
    t.Nl.EditSupport("Font ...", [&] { EXPECT_FALSE(t.Nl.SupportPage()->ChooseFont(t.Host)); });
    ASSERT_EQ(t.Host.FontRequests.size(), 1u);
    EXPECT_EQ(t.Host.FontRequests[0].Family, "Times New Roman");
    EXPECT_DOUBLE_EQ(t.Host.FontRequests[0].PointSize, 12.0);
    EXPECT_FALSE(t.Host.FontRequests[0].Bold);
    EXPECT_EQ(WorksheetBytes(t.Nl.Sew, "t"), before);
    EXPECT_FALSE(t.Nl.Sew.History.CanUndo() && t.Nl.Sew.History.UndoName() == "Font ...");

    t.Host.FontAnswers.push_back({"DejaVu Sans Mono", true, true, 18.0});
    t.Nl.EditSupport("Font ...", [&] { EXPECT_TRUE(t.Nl.SupportPage()->ChooseFont(t.Host)); });
    EXPECT_EQ(memo->FontName, "DejaVu Sans Mono");
    EXPECT_EQ(memo->FontStyle, MEMO_BOLD | MEMO_ITALIC);
    EXPECT_EQ(memo->FontSize, 24); // 18 points at 96 pixels per inch
    EXPECT_DOUBLE_EQ(memo->FontHeight, 24 * 6.13);
    EXPECT_TRUE(t.Nl.Sew.Modified);

    // Its lines are drawn in the chosen typeface, and what follows in the canvas's own.
    TRecordingCanvas c;
    t.Nl.Draw(c);
    ASSERT_GE(c.Fonts.size(), 2u);
    EXPECT_EQ(c.Fonts[c.Fonts.size() - 2], "DejaVu Sans Mono bold italic");
    EXPECT_EQ(c.Fonts.back(), "");

    // The worksheet file keeps every part of the font.
    const auto saved = WorksheetBytes(t.Nl.Sew, "t");
    TSew read;
    ReadWorksheetBytes(saved, read, "t");
    ASSERT_EQ(read.Support.Count(), 2);
    ASSERT_EQ(read.Support[1]->Kind, SUPPORT_TEXT_LABEL);
    const auto& back = static_cast<const TObjectText&>(*read.Support[1]);
    EXPECT_EQ(back.FontName, "DejaVu Sans Mono");
    EXPECT_EQ(back.FontStyle, MEMO_BOLD | MEMO_ITALIC);
    EXPECT_EQ(back.FontSize, 24);
    EXPECT_DOUBLE_EQ(back.FontHeight, 24 * 6.13);
    EXPECT_EQ(WorksheetBytes(read, "t"), saved);

    // One undo gives back the bytes before the font.
    EXPECT_EQ(t.Nl.Sew.History.UndoName(), "Font ...");
    ASSERT_TRUE(t.Nl.Undo());
    EXPECT_EQ(WorksheetBytes(t.Nl.Sew, "t"), before);
}

TEST(FontBackdrop, AnUndoneSupportEditLeavesTheBackdropInPlace) {
    // The backdrop is the font editor's: support records never hold it, so reading one back
    // (undo) must not drop it.
    TShell t;
    TObjectBase* backdrop = t.Nl.Sew.Support.Create(SUPPORT_FONT_BASE, 0, 0);
    t.Nl.Execute(TCommand::CreateTextLabel);
    ASSERT_EQ(t.Nl.Sew.Support.Count(), 3);
    ASSERT_TRUE(t.Nl.Undo());
    ASSERT_EQ(t.Nl.Sew.Support.Count(), 2);
    EXPECT_EQ(t.Nl.Sew.Support[1], backdrop);
    ASSERT_TRUE(t.Nl.Redo());
    EXPECT_EQ(t.Nl.Sew.Support.Count(), 3);
    bool kept = false;
    for (int32_t i = 1; i < t.Nl.Sew.Support.Count(); ++i)
        kept = kept || t.Nl.Sew.Support[i] == backdrop;
    EXPECT_TRUE(kept);
}
