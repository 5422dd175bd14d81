#include <gtest/gtest.h>

#include "worksheet/View.h"

using namespace nl;

TEST(View, ScaleIsExactAtTheTwoSpecialZooms) {
    EXPECT_DOUBLE_EQ(ZoomScale(306), 306 * 8.0 / 4904.0);
    EXPECT_DOUBLE_EQ(ZoomScale(307), 0.5);
    EXPECT_DOUBLE_EQ(ZoomScale(614), 1.0);
    EXPECT_DOUBLE_EQ(ZoomScale(100), 800.0 / 4904.0);
}

TEST(View, WheelStepsAndPresets) {
    struct Case {
        int32_t zoom;
        bool in;
        bool preset;
        int32_t expected;
    } cases[] = {
        {44, true, false, 45},     {45, true, false, 47},     {59, true, false, 61},
        {60, true, false, 63},     {79, true, false, 82},     {80, true, false, 85},
        {399, true, false, 404},   {400, true, false, 410},   {699, true, false, 709},
        {700, true, false, 720},   {4999, true, false, 5000}, {5000, true, false, 5000},
        {4990, true, false, 5000}, {11, false, false, 10},    {10, false, false, 10},
        {9, false, false, 9},      {100, false, false, 95},   {700, false, false, 680},
        {100, true, true, 120},    {110, true, true, 120},    {110, false, true, 100},
        {10, false, true, 10},     {5000, true, true, 5000},  {4999, true, true, 5000},
        {306, true, true, 307},    {307, true, true, 380},
    };
    for (const Case& c : cases) {
        int32_t got = c.preset ? PresetZoom(c.zoom, c.in) : StepZoom(c.zoom, c.in);
        EXPECT_EQ(got, c.expected) << "zoom " << c.zoom << (c.in ? " in" : " out")
                                   << (c.preset ? " preset" : "");
    }
}

TEST(View, MarginsAndMarkersFollowTheZoom) {
    struct Case {
        int32_t zoom;
        int32_t hit, nearM, far;
        TMarkerSize marker;
    } cases[] = {
        {614, 3, 7, 10, TMarkerSize::Large},   {307, 6, 14, 20, TMarkerSize::Large},
        {5000, 1, 2, 3, TMarkerSize::Large},   {100, 18, 43, 61, TMarkerSize::Medium},
        {49, 38, 88, 125, TMarkerSize::None},  {50, 37, 86, 123, TMarkerSize::Small},
        {79, 23, 54, 78, TMarkerSize::Small},  {80, 23, 54, 77, TMarkerSize::Medium},
        {199, 9, 22, 31, TMarkerSize::Medium}, {200, 9, 21, 31, TMarkerSize::Large},
    };
    for (const Case& c : cases) {
        TView v;
        v.Zoom = c.zoom;
        EXPECT_EQ(v.HitMargin(), c.hit) << c.zoom;
        EXPECT_EQ(v.NearMargin(), c.nearM) << c.zoom;
        EXPECT_EQ(v.FarMargin(), c.far) << c.zoom;
        EXPECT_EQ(MarkerSizeForZoom(c.zoom), c.marker) << c.zoom;
    }
}

TEST(View, ZoomAboutKeepsThePointUnderThePointer) {
    for (int32_t to : {10, 95, 307, 614, 1200, 5000}) {
        TView v;
        v.ScrollX = 37;
        v.ScrollY = -12;
        double wx = v.WorldX(250), wy = v.WorldY(180);
        v.ZoomAbout(to, 250, 180);
        EXPECT_NEAR(v.WorldX(250), wx, 1.0 / v.Scale()) << to;
        EXPECT_NEAR(v.WorldY(180), wy, 1.0 / v.Scale()) << to;
    }
}

TEST(View, ZoomToRectangleFitsCentresAndSurvivesDegenerateRectangles) {
    struct Case {
        double l, t, r, b;
        int32_t zoom;
    } cases[] = {
        {0, 0, 800, 600, 613},      // 800 * 4904 / 6400 = 613 (integer division)
        {100, 100, 500, 200, 1226}, // width limits: 800 * 4904 / 3200
        {50, 50, 50, 400, 1050},    // zero width: the height decides
        {50, 50, 50, 50, 5000},     // a point: clamped to the top zoom
        {0, 0, 1e7, 1e7, 10},       // huge: clamped to the bottom zoom
    };
    for (const Case& c : cases) {
        TView v;
        v.Width = 800;
        v.Height = 600;
        v.ZoomToRect(c.l, c.t, c.r, c.b);
        EXPECT_EQ(v.Zoom, c.zoom) << c.l << "," << c.t << "," << c.r << "," << c.b;
        EXPECT_NEAR(v.WorldX(400), (c.l + c.r) / 2, 1.0 / v.Scale() + 1e-9);
        EXPECT_NEAR(v.WorldY(300), (c.t + c.b) / 2, 1.0 / v.Scale() + 1e-9);
    }
}
