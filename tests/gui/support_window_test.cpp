// The support object windows for real: an embroidery frame sized from the hoop presets in
// "Frame Sizes" (Swap Hoop Axes, Cancel), a picture shown with alpha blending, a memo, and the
// "Embroidery Frame" properties window; screenshots of both windows.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>

#include "gui/SupportDialogs.h"
#include "regions/Support.h"
#include "tests/gui/GuiTest.h"
#include "ui/HoopPresets.h"

using namespace nl;
using namespace nl::test;

namespace {
struct TSupportWin : TWindowFixture {
    TSupportWin() { EXPECT_TRUE(Show(1000, 700, 307)); }
    // Right click on the object at a pixel and choose a menu item by caption.
    void Menu(int x, int y, const std::string& caption) {
        std::vector<TContextItem> items = Nl().ContextMenuAt(x, y);
        for (const TContextItem& i : items)
            if (i.Caption == caption) {
                Nl().RunContextCommand(i.Code);
                return;
            }
        ADD_FAILURE() << "no item " << caption;
    }
    void Shot(QWidget* w, const QString& name) {
        QApplication::processEvents();
        EXPECT_TRUE(w->grab().save(ShotPath(name)));
    }
};
} // namespace

TEST(SupportWindow, FrameIsSizedFromTheHoopPresets) {
    TSupportWin t;
    t.Trigger(TCommand::CreateFrame);
    ASSERT_EQ(t.Nl().Sew.Support.Count(), 2);
    TObjectBase& frame = *t.Nl().Sew.Support[1];
    const int32_t left = frame.Rect.Left, top = frame.Rect.Top;
    // The border is the frame's handle: the view is at two units a pixel.
    const int px = static_cast<int>((left - t.Nl().View.WorldX(0)) / 2),
              py = static_cast<int>((top - t.Nl().View.WorldY(0)) / 2) + 300;

    WhenShown([&] {
        TFrameSizesDialog* d = t.W.FrameSizesDialog();
        ASSERT_TRUE(d->isVisible());
        EXPECT_EQ(d->windowTitle(), "Frame Sizes");
        EXPECT_EQ(d->Tabs()->tabText(0), "Viking");
        EXPECT_TRUE(d->Preset(0, 0)->isChecked()) << "100 x 100 is Viking's small hoop";
        d->Preset(0, 2)->click(); // 150 x 240 mm ( Large )
        EXPECT_EQ(frame.Rect.Right, left + 2999);
        EXPECT_EQ(frame.Rect.Bottom, top + 4799);
        d->Swap()->click();
        EXPECT_EQ(frame.Rect.Right, left + 4799);
        EXPECT_EQ(d->Info()->text(), "  Frame Size 240 x 150 mm ( Viking )");
        d->Tabs()->setCurrentIndex(2);
        d->Preset(2, 3)->click(); // Brother 130 x 380 mm, turned
        EXPECT_EQ(d->Info()->text(), "  Frame Size 380 x 130 mm ( Brother )");
        t.Shot(d, "frame-sizes");
        d->accept();
    });
    t.Menu(px, py, "Change Frame Size");
    EXPECT_EQ(frame.Width(), 380 * 20);
    EXPECT_EQ(frame.Extra, 2);

    // Cancel restores what the frame had when the dialog opened.
    WhenShown([&] {
        TFrameSizesDialog* d = t.W.FrameSizesDialog();
        EXPECT_TRUE(d->Swap()->isChecked());
        d->Preset(2, 0)->click();
        EXPECT_EQ(frame.Width(), 20 * 20);
        d->reject();
    });
    t.Menu(px, py, "Change Frame Size");
    EXPECT_EQ(frame.Width(), 380 * 20);
    EXPECT_EQ(frame.Height(), 130 * 20);
}

TEST(SupportWindow, PictureAndMemoWithTheirPropertiesWindow) {
    TSupportWin t;
    t.Trigger(TCommand::CreatePicture);
    auto& picture = static_cast<TObjectBitmap&>(*t.Nl().Sew.Support[1]);
    EXPECT_TRUE(picture.Decodable()) << "a new picture shows the built-in one";
    const int px = static_cast<int>((picture.Rect.Left - t.Nl().View.WorldX(0)) / 2) + 40;
    const int py = static_cast<int>((picture.Rect.Top - t.Nl().View.WorldY(0)) / 2) + 40;
    t.Menu(px, py, "Image Properties");
    TSupportPropertiesDialog* d = t.W.SupportProperties();
    ASSERT_TRUE(d->isVisible());
    ASSERT_NE(d->Check("Use Alpha Blending"), nullptr);
    d->Check("Use Alpha Blending")->click();
    EXPECT_EQ(picture.UseAlpha, 1);
    QLineEdit* at = d->Field("At");
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->text(), "75");
    at->setText("140"); // refused: out of 0..100
    emit at->editingFinished();
    EXPECT_EQ(at->text(), "75");
    at->setText("50");
    emit at->editingFinished();
    EXPECT_EQ(picture.Alpha, 128);
    QLineEdit* zoom = d->Field("Zoom To");
    zoom->setText("300");
    emit zoom->editingFinished();
    EXPECT_EQ(picture.Width(), RoundI(96 * 6.13 * 3));
    EXPECT_EQ(d->Field("Width"), nullptr) << "sizes belong to labels and creators";

    t.Trigger(TCommand::CreateTextLabel);
    auto& memo = static_cast<TObjectText&>(*t.Nl().Sew.Support[2]);
    memo.Offset(1200, 0);
    memo.Flags |= MEMO_WORD_WRAP;
    t.Nl().ShowSupportProperties(memo);
    ASSERT_NE(d->Field("Width"), nullptr);
    d->Field("Width")->setText("40");
    emit d->Field("Width")->editingFinished();
    EXPECT_EQ(memo.Width(), 800);
    EXPECT_TRUE(d->Check("Word Wrap")->isChecked());
    ASSERT_NE(d->Button("Lock To Selected"), nullptr);
    t.Shot(d, "support-properties-label");
    t.Nl().ShowSupportProperties(picture);
    t.Shot(d, "support-properties-picture");
    t.Shot(&t.W, "support-worksheet");

    // Delete asks; No keeps the object.
    t.Answer = TButton::No;
    EXPECT_FALSE(t.Nl().DeleteSupport(2));
    EXPECT_EQ(t.Nl().Sew.Support.Count(), 3);
    t.Answer = TButton::Yes;
    EXPECT_TRUE(t.Nl().DeleteSupport(2));
    EXPECT_EQ(t.Asked.back(), "Deleting Support Object");
    EXPECT_EQ(t.Nl().Sew.Support.Count(), 2);
}

TEST(SupportWindow, MemoFontButtonAndTheCreatorsMosaicView) {
    TSupportWin t;
    const double wx0 = t.Nl().View.WorldX(0), wy0 = t.Nl().View.WorldY(0);
    auto place = [](TObjectBase& o, double x, double y) {
        o.Offset(static_cast<int32_t>(x) - o.Rect.Left, static_cast<int32_t>(y) - o.Rect.Top);
    };
    // A memo in a font chosen with "Font ..." (the font dialog answered by the test).
    t.Trigger(TCommand::CreateTextLabel);
    auto& memo = static_cast<TObjectText&>(*t.Nl().Sew.Support[1]);
    place(memo, wx0 + 2700, wy0 + 150);
    memo.SetSize(1500, 600);
    memo.Lines = {"Thread: Madeira 1147", "Satin 0.4 mm, two passes"};
    t.Nl().ShowSupportProperties(memo);
    TSupportPropertiesDialog* d = t.W.SupportProperties();
    ASSERT_NE(d->Button("Font ..."), nullptr);
    std::vector<TFontChoice> asked;
    t.W.QtHost().FontHook = [&](TFontChoice& f) {
        asked.push_back(f);
        f = {"DejaVu Serif", true, true, 20.0};
        return true;
    };
    d->Button("Font ...")->click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Family, "Times New Roman");
    EXPECT_EQ(memo.FontName, "DejaVu Serif");
    EXPECT_EQ(memo.FontStyle, MEMO_BOLD | MEMO_ITALIC);
    EXPECT_EQ(t.Nl().Sew.History.UndoName(), "Font ...");
    t.Shot(d, "support-properties-label-font");
    d->hide();

    // A creator with a zigzag line stitch drawn on its grid, shown as a mosaic.
    t.Trigger(TCommand::CreatePatternCreator);
    auto& creator = static_cast<TObjectPatternCreator&>(*t.Nl().Sew.Support[2]);
    place(creator, wx0 + 900, wy0 + 900);
    creator.Flags |= CREATOR_SHOW_GRID;
    auto px = [&](double wx) { return static_cast<int>((wx - t.Nl().View.WorldX(0)) / 2); };
    auto py = [&](double wy) { return static_cast<int>((wy - t.Nl().View.WorldY(0)) / 2); };
    const int32_t l = creator.Rect.Left, top = creator.Rect.Top;
    t.Menu(px(l + 780), py(top + 20), "Programmable Line Stitch");
    for (auto [x, y] :
         std::vector<std::pair<int, int>>{{0, 400}, {200, 100}, {400, 400}, {600, 700}, {800, 400}})
        t.Click(px(l + x + 7), py(top + y - 6));
    t.Click(px(l + 400), py(top + 400), Qt::RightButton);
    ASSERT_EQ(creator.Members.size(), 1u);
    EXPECT_FLOAT_EQ((*creator.Members[0])[1].X, l + 200.f) << "on the creator's grid";
    t.Menu(px(l + 780), py(top + 20), "Mosaic Design View");
    EXPECT_TRUE(creator.Flags & CREATOR_MOSAIC);
    // Zoomed out so that the tiles around the creator show.
    TView& v = t.Nl().View;
    v.Zoom = 140;
    v.ScrollX = static_cast<int32_t>(wx0 * v.Scale());
    v.ScrollY = static_cast<int32_t>(wy0 * v.Scale());
    t.V()->update();
    t.Shot(&t.W, "memo-font-and-mosaic");
}

TEST(SupportWindow, FontBackdropWithItsGuideLines) {
    TSupportWin t;
    TView& v = t.Nl().View;
    v.Zoom = 140; // guide lines show from 70 up
    TObjectBase* b = t.Nl().Sew.Support.Create(SUPPORT_FONT_BASE, static_cast<int32_t>(v.WorldX(0)) + 200,
                                               static_cast<int32_t>(v.WorldY(0)) + 100);
    ASSERT_NE(b, nullptr);
    t.V()->update();
    t.Shot(&t.W, "font-backdrop");
}
