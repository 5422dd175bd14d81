// The worksheet view shows the thread: a dense fill drawn at 50 % is seen in its thread colours,
// not hidden under needle point markers, and "Show All Stitch Points" brings every marker back.
#include <gtest/gtest.h>

#include <QImage>

#include "GuiTest.h"
#include "core/Point.h"
#include "stitching/SLStitch.h"

using namespace nl;
using namespace nl::test;

namespace {
constexpr int32_t kRed = 0x000000FF;  // 0x00BBGGRR
constexpr int32_t kBlue = 0x00C04000; // a dark blue

// A tatami-like fill 60 x 40 mm at (x0, y0): rows 0.4 mm apart, stitches 3 mm long; the top
// half in red, the bottom half in blue (a colour point between them).
void AddTwoColourFill(TNL& nl, float x0, float y0) {
    auto* o = nl.Sew.AddNew<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    const int rows = 100, perRow = 21;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < perRow; ++c) {
            const int col = r % 2 ? perRow - 1 - c : c;
            const float x = x0 + static_cast<float>(col) * 60.f, y = y0 + static_cast<float>(r) * 8.f;
            if (r == 0 && c == 0)
                o->Append(TSP::Colour(0, x, y, kRed));
            else if (r == rows / 2 && c == 0)
                o->Append(TSP::Colour(0, x, y, kBlue));
            else
                o->Append(TSP::Plain(SP_FILL, x, y));
        }
    TStitchContext ctx;
    o->UpdateBounds(ctx);
}

struct TShares {
    double Red = 0, Blue = 0, Marker = 0;
};

bool Near(QRgb p, int r, int g, int b) {
    return std::abs(qRed(p) - r) < 40 && std::abs(qGreen(p) - g) < 40 && std::abs(qBlue(p) - b) < 40;
}

// Shares of the pixels in a rectangle that show each thread and the marker grey.
TShares Sample(const QImage& img, QRect area) {
    TShares s;
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            ++n;
            if (Near(p, 255, 0, 0)) s.Red += 1;
            if (Near(p, 0, 0x40, 0xC0)) s.Blue += 1;
            if (Near(p, 0x40, 0x40, 0x40)) s.Marker += 1;
        }
    s.Red /= n;
    s.Blue /= n;
    s.Marker /= n;
    return s;
}

struct TThreadView : TWindowFixture {
    QImage Shot(int32_t zoom) {
        Nl().View.Zoom = zoom;
        Nl().View.ScrollX = Nl().View.ScrollY = 0;
        V()->repaint();
        return V()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The fill's halves on the screen, a little inside their edges.
    QRect Half(int32_t zoom, bool top) const {
        const double s = ZoomScale(zoom);
        const int left = static_cast<int>(120 * s) + 3, right = static_cast<int>(1300 * s) - 3;
        const int y0 = static_cast<int>((top ? 120 : 520) * s) + 3,
                  y1 = static_cast<int>((top ? 480 : 880) * s) - 3;
        return QRect(QPoint(left, y0), QPoint(right, y1));
    }
};
} // namespace

TEST(ThreadView, TwoColourFillAtFiftyPercentShowsBothThreads) {
    TThreadView t;
    ASSERT_TRUE(t.Show(900, 700));
    AddTwoColourFill(t.Nl(), 100, 100);
    const QImage img = t.Shot(50);
    ASSERT_TRUE(img.save(ShotPath("thread-fill-50")));
    const TShares top = Sample(img, t.Half(50, true)), bottom = Sample(img, t.Half(50, false));
    EXPECT_GT(top.Red, 0.8);
    EXPECT_LT(top.Blue, 0.05);
    EXPECT_GT(bottom.Blue, 0.8);
    EXPECT_LT(bottom.Red, 0.05);
    EXPECT_LT(top.Marker + bottom.Marker, 0.05);
}

TEST(ThreadView, MarkersStandApartAndEveryPointOnRequest) {
    TThreadView t;
    ASSERT_TRUE(t.Show(900, 700));
    AddTwoColourFill(t.Nl(), 100, 100);
    // At 100 % the rows lie 1.3 pixels apart: a few markers, the thread still dominant.
    const QImage thinned = t.Shot(100);
    const TShares a = Sample(thinned, t.Half(100, true));
    EXPECT_GT(a.Red, 0.6);
    EXPECT_GT(a.Marker, 0.0);
    EXPECT_LT(a.Marker, 0.25);
    // "Show All Stitch Points" marks every point: the markers then cover the fill.
    t.Trigger(TCommand::ShowAllStitchPoints);
    const QImage all = t.Shot(100);
    ASSERT_TRUE(all.save(ShotPath("thread-fill-100-all-points")));
    const TShares b = Sample(all, t.Half(100, true));
    EXPECT_GT(b.Marker, 3 * a.Marker);
    EXPECT_LT(b.Red, a.Red);
    // The other point toggles still act on the thinned markers: hiding fill points leaves none.
    t.Trigger(TCommand::ShowAllStitchPoints);
    t.Trigger(TCommand::HideFillPoints);
    const TShares c = Sample(t.Shot(100), t.Half(100, true));
    EXPECT_EQ(c.Marker, 0.0);
}
