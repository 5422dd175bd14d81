#include <gtest/gtest.h>

#include "PixelCanvas.h"
#include "platform/ScriptedHost.h"
#include "sewing/SewSimulator.h"

using namespace nl;
using namespace nl::test;

namespace {

constexpr int W = 200, H = 150;

// A fill-like design: rows of stitches zigzagging down, a new colour block every `blockRows`
// rows (the move into it a travel), n points in all.
TSimulationList Rows(int n, int blockRows = 20) {
    std::vector<TSP> pts;
    for (int i = 0; i < n; ++i) {
        int row = i / 10, col = i % 10;
        float x = static_cast<float>(row % 2 ? 90 - col * 10 : col * 10) + static_cast<float>(row % 7);
        float y = static_cast<float>(row * 3 % 140);
        if (i % (10 * blockRows) == 0)
            pts.push_back(TSP::Colour(0, x, y, 0x101010 * (1 + (i / (10 * blockRows)) % 14)));
        else
            pts.push_back(TSP::Plain(0, x, y));
    }
    return TSimulationList::FromPoints(pts);
}

TSimViewport View() {
    TSimViewport v;
    v.Width = W;
    v.Height = H;
    v.Scale = 1.5;
    v.OriginX = -10;
    v.OriginY = -5;
    return v;
}

// The picture of the list up to `cursor` drawn in one go by a painter that has drawn nothing.
std::vector<int32_t> Fresh(const TSimulationList& list, int32_t cursor, const TSimLook& look) {
    TPixelCanvas c(W, H);
    TSimPainter p;
    p.Draw(c, list, cursor, View(), look);
    return c.Pixels;
}

} // namespace

TEST(SimPainter, EachTickDrawsOnlyWhatIsNew) {
    TScriptedHost host;
    TSewSimulator sim(host);
    ASSERT_TRUE(sim.Open(Rows(20000)));
    sim.Settings.ShowPoints = false;
    TPixelCanvas canvas(W, H);
    sim.DrawPicture(canvas, View(), 3);
    EXPECT_TRUE(sim.Painter().LastWork().Cleared);
    const int clears = canvas.Clears;
    sim.SetSpeed(10000); // 400 stitches a tick
    sim.Play();
    int32_t before = sim.Cursor();
    for (int i = 0; i < 10; ++i) {
        int32_t advanced = sim.Tick();
        sim.DrawPicture(canvas, View(), 3);
        const auto& w = sim.Painter().LastWork();
        EXPECT_FALSE(w.Cleared);
        EXPECT_EQ(w.From, before);
        EXPECT_EQ(w.Segments, advanced);
        before = sim.Cursor();
    }
    EXPECT_EQ(canvas.Clears, clears);
    TSimLook look;
    look.Background = sim.Settings.Background;
    EXPECT_EQ(canvas.Pixels, Fresh(sim.List(), sim.Cursor(), look)); // drawn in pieces = drawn at once
}

TEST(SimPainter, JumpsRedrawFromAKeptPicture) {
    const auto list = Rows(100000);
    const int32_t interval = TSimPainter::KeepInterval(list.Count());
    TSimLook look;
    TPixelCanvas canvas(W, H);
    TSimPainter p;
    // Opening: the first picture is of the first point, but the design was drawn through once
    // on the way, keeping pictures, so that the first jump is as quick as any other.
    p.Draw(canvas, list, 0, View(), look);
    EXPECT_TRUE(p.LastWork().Ahead);
    EXPECT_EQ(canvas.Pixels, Fresh(list, 0, look));
    struct Case {
        int32_t to;
        bool restored; // from a kept picture rather than from the start
    } cases[] = {
        {77777, true},         {12, false},          {interval + 5, true},     {99999, true},
        {interval - 1, false}, {interval * 3, true}, {interval * 4 - 1, false}}; // the last: on from the
                                                                                 // picture shown, nearer than
                                                                                 // any kept
    for (auto& c : cases) {
        p.Draw(canvas, list, c.to, View(), look);
        const auto& w = p.LastWork();
        EXPECT_EQ(w.Restored >= 0, c.restored) << c.to;
        EXPECT_LE(w.Segments, interval) << c.to; // never more than one stretch between kept pictures
        EXPECT_EQ(canvas.Pixels, Fresh(list, c.to, look)) << c.to;
    }
}

TEST(SimPainter, AZoomedInViewShowsExactlyItsPartOfTheDesign) {
    // The rows fold over the same place; the band runs far to the right, so that whole chunks of
    // it lie outside the view, some with a colour change or a travel inside.
    std::vector<TSP> band;
    for (int i = 0; i < 20000; ++i) {
        float x = static_cast<float>(i) * 0.5f, y = static_cast<float>(i % 10) * 3.f;
        band.push_back(i % 700 == 0 ? TSP::Colour(0, x, y, 0x010203 * (i / 700 % 50)) : TSP::Plain(0, x, y));
    }
    const TSimulationList designs[] = {Rows(20000), TSimulationList::FromPoints(band)};
    for (const auto& list : designs) {
        TSimViewport v = View();
        v.Scale = 6;
        v.OriginX = list.Count() == 20000 && list[19999].X > 5000 ? 3000 : 20;
        v.OriginY = list[19999].X > 5000 ? -10 : 40;
        TSimLook look;
        look.Jumps = TJumpLook::Hidden;
        TPixelCanvas canvas(W, H);
        TSimPainter p;
        p.Draw(canvas, list, 12345, v, look);
        // Every stitch drawn on its own in its thread colour.
        TPixelCanvas naive(W, H);
        naive.Clear(look.Background);
        auto px = [&](int i) {
            return TPointF{static_cast<float>((list[i].X - v.OriginX) * v.Scale),
                           static_cast<float>((list[i].Y - v.OriginY) * v.Scale)};
        };
        for (int i = 1; i <= 12345; ++i) {
            if (list[i].Flags & SIM_JUMP) continue;
            naive.SetPen(list.ColourAt(i), 1, TPenStyle::Solid);
            TPointF a = px(i - 1), b = px(i);
            naive.Line(a.X, a.Y, b.X, b.Y);
        }
        EXPECT_EQ(canvas.Pixels, naive.Pixels);
        EXPECT_GT(naive.CountColour(look.Background), static_cast<size_t>(W * H / 10)); // not all covered
        EXPECT_LT(naive.CountColour(look.Background), static_cast<size_t>(W * H));      // not empty
        int lines = 0;
        for (auto& pen : canvas.Pens)
            lines += pen.Lines;
        EXPECT_LT(lines, 12345 / 2); // what lies outside was passed over
        EXPECT_EQ(p.LastWork().From + p.LastWork().Segments, 12345);
    }
}

TEST(SimPainter, ACanvasThatKeepsNothingIsDrawnAgainFromTheStart) {
    const auto list = Rows(30000);
    TSimLook look;
    TPixelCanvas canvas(W, H);
    canvas.CanKeep = false;
    TSimPainter p;
    p.Draw(canvas, list, 29999, View(), look);
    p.Draw(canvas, list, 15000, View(), look);
    EXPECT_TRUE(p.LastWork().Cleared);
    EXPECT_EQ(p.LastWork().Segments, 15000);
    EXPECT_EQ(canvas.Pixels, Fresh(list, 15000, look));
    // A canvas that lost its kept pictures: drawn again, and right.
    TPixelCanvas forgetful(W, H);
    TSimPainter q;
    q.Draw(forgetful, list, 29999, View(), look);
    forgetful.ForgetKept();
    q.Draw(forgetful, list, 20000, View(), look);
    EXPECT_EQ(forgetful.Pixels, Fresh(list, 20000, look));
}

TEST(SimPainter, AnotherViewOrLookStartsAfresh) {
    const auto list = Rows(5000);
    TSimLook look;
    TPixelCanvas canvas(W, H);
    TSimPainter p;
    p.Draw(canvas, list, 3000, View(), look);
    TSimViewport moved = View();
    moved.OriginX += 20;
    p.Draw(canvas, list, 3500, moved, look);
    EXPECT_TRUE(p.LastWork().Cleared);
    look.Background = 0x00FFFFFF;
    p.Draw(canvas, list, 3600, moved, look);
    EXPECT_TRUE(p.LastWork().Cleared);
    EXPECT_EQ(canvas.At(0, 0), 0x00FFFFFF);
    const auto other = Rows(5000); // a list built again, even with the same points
    p.Draw(canvas, other, 3700, moved, look);
    EXPECT_TRUE(p.LastWork().Cleared);
}

TEST(SimPainter, JumpsAreDashedThinOrHidden) {
    constexpr int32_t RED = 0x0000FF, BLUE = 0xFF0000;
    std::vector<TSP> pts = {TSP::Colour(0, 0, 0, RED), TSP::Plain(0, 40, 0), TSP::Colour(0, 40, 80, BLUE),
                            TSP::Plain(0, 100, 80)};
    const auto list = TSimulationList::FromPoints(pts);
    TSimLook look;
    const int32_t jumpColour = TSimPainter::JumpColour(BLUE, look.Background);
    struct Case {
        TJumpLook jumps;
        bool drawn;
        TPenStyle style;
    } cases[] = {{TJumpLook::Dashed, true, TPenStyle::Dash},
                 {TJumpLook::Thin, true, TPenStyle::Solid},
                 {TJumpLook::Hidden, false, TPenStyle::Solid}};
    for (auto& c : cases) {
        look.Jumps = c.jumps;
        TPixelCanvas canvas(W, H);
        TSimPainter p;
        p.Draw(canvas, list, 3, View(), look);
        int jumpLines = 0;
        for (auto& pen : canvas.Pens) {
            if (pen.Colour != jumpColour) continue;
            jumpLines += pen.Lines;
            EXPECT_EQ(pen.Style, c.style);
        }
        EXPECT_EQ(jumpLines, c.drawn ? 1 : 0);
        // The stitches themselves: red before the travel, blue after it.
        EXPECT_EQ(canvas.At(30, 8), RED);     // on the first stitch, (0, 0) to (40, 0)
        EXPECT_EQ(canvas.At(120, 128), BLUE); // on the last, (40, 80) to (100, 80)
    }
}

TEST(SimPainter, MarksEveryNeedlePointWhenAsked) {
    const auto list = Rows(300);
    TSimLook look;
    look.MarkerSize = 3;
    TPixelCanvas canvas(W, H);
    TSimPainter p;
    p.Draw(canvas, list, 99, View(), look);
    EXPECT_EQ(canvas.Markers, 100);
    p.Draw(canvas, list, 149, View(), look);
    EXPECT_EQ(canvas.Markers, 100 + 51); // the new points, and the one the new stitches leave from
    look.MarkerSize = 0;
    TPixelCanvas plain(W, H);
    p.Draw(plain, list, 149, View(), look);
    EXPECT_EQ(plain.Markers, 0);
}

TEST(SewSimulator, KeepsTheNeedleInView) {
    TScriptedHost host;
    TSewSimulator sim(host);
    ASSERT_TRUE(sim.Open(Rows(1000)));
    TSimViewport v;
    v.Width = W;
    v.Height = H;
    v.OriginX = v.OriginY = -50;
    sim.GoToStitch(1);
    EXPECT_FALSE(sim.KeepNeedleInView(v));
    sim.GoToStitch(15); // row 1, x 50 + 1 = 51: inside
    EXPECT_FALSE(sim.KeepNeedleInView(v));
    TSimViewport far = v;
    far.OriginX = 500;
    ASSERT_TRUE(sim.KeepNeedleInView(far));
    EXPECT_NEAR((sim.Needle().X - far.OriginX) * far.Scale, W / 2.0, 1e-3);
    EXPECT_EQ(far.OriginY, v.OriginY); // only the direction that needed it
    sim.Settings.KeepInView = false;
    far.OriginX = 500;
    EXPECT_FALSE(sim.KeepNeedleInView(far));
}
