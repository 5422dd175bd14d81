// The "Circle Attributes Dialog" model on a worksheet: initial values, ranges and entry rules,
// which controls are enabled, the objects every change adds, rebuilds, moves or removes, and
// the OK / Cancel ends, answered by a scripted host.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Numeric.h"
#include "platform/ScriptedHost.h"
#include "stitching/Circle.h"
#include "stitching/SLCurve.h"
#include "ui/CircleDialog.h"
#include "worksheet/Sew.h"

using namespace nl;
using F = TCircleField;
using T = TCircleToggle;

namespace {
// A worksheet holding an unrelated outline, the circle being created (7 points, as the drag left
// it) and, after the circle in the list, another unrelated outline.
struct TFixture {
    TScriptedHost Host;
    TSew Sew;
    TStitchContext Ctx;
    TSLCurve* Before = nullptr;
    TSLCurve* Circle = nullptr;
    TSLCurve* After = nullptr;
    int Changes = 0;
    std::unique_ptr<TCircleDialog> Dialog;

    explicit TFixture(double cx = 1000, double cy = 800, double dragged = 300) {
        Before = Outline(100);
        auto c = std::make_unique<TSLCurve>();
        c->SetStitchTypeBits(ST_NONE);
        c->Flags |= OF_SELECTED_EDIT;
        SetCircle(*c, cx, cy, dragged);
        Circle = static_cast<TSLCurve*>(Sew.Add(std::move(c)));
        After = Outline(3000);
        Sew.SetCurrent(Circle);
        Dialog =
            std::make_unique<TCircleDialog>(Sew, *Circle, cx, cy, dragged, Ctx, Host, [this] { ++Changes; });
        Dialog->Open();
    }
    TSLCurve* Outline(float x) {
        auto o = std::make_unique<TSLCurve>();
        for (int i = 0; i < 4; ++i)
            o->Append(TSP::Plain(0, x + 10 * i, 50));
        return static_cast<TSLCurve*>(Sew.Add(std::move(o)));
    }
    TCircleDialog& D() { return *Dialog; }
    // The worksheet objects the dialog made besides the circle.
    int32_t Parts() const {
        int32_t n = 0;
        for (const auto& o : Sew)
            n += (o->StitchFlags & SF_CIRCLE_PART) ? 1 : 0;
        return n;
    }
};

std::vector<std::pair<float, float>> PointsOf(const TSLStitch& o) {
    std::vector<std::pair<float, float>> v;
    for (const TSP& p : o)
        v.emplace_back(p.X, p.Y);
    return v;
}
} // namespace

TEST(CircleDialog, OpensWithTheDraggedRadiusAndTheInitialValues) {
    TFixture f(1000, 800, 300);
    EXPECT_TRUE(f.Host.Messages.empty());
    const std::pair<F, double> initial[] = {
        {F::Radius, 15},  {F::OriginX, 50},    {F::OriginY, 40},   {F::ConcentricRadius, 17.5},
        {F::Segments, 6}, {F::OffsetAngle, 0}, {F::SegLength, 15}, {F::CentreOffset, 0},
    };
    for (auto [field, value] : initial)
        EXPECT_DOUBLE_EQ(f.D().Value(field), value) << TCircleDialog::Spec(field).Caption;
    const std::pair<T, bool> toggles[] = {{T::Concentric, false},
                                          {T::SegmentCircle, false},
                                          {T::BezierSegments, false},
                                          {T::SegmentLines, true},
                                          {T::PositionSegment, false}};
    for (auto [t, on] : toggles)
        EXPECT_EQ(f.D().Toggle(t), on) << TCircleDialog::ToggleCaption(t);
    // The circle is rebuilt from two arcs, starting at the rightmost point, in the same object.
    ASSERT_EQ(f.Sew[1], f.Circle);
    ASSERT_EQ(f.Circle->Count(), 7);
    EXPECT_NEAR((*f.Circle)[0].X, 1300, 1e-3);
    EXPECT_NEAR((*f.Circle)[0].Y, 800, 1e-3);
    EXPECT_EQ(f.Sew.Current(), f.Circle);
    EXPECT_EQ(f.Parts(), 0);
    EXPECT_GT(f.Changes, 0) << "the worksheet is redrawn";
}

TEST(CircleDialog, ADraggedRadiusUnderOneMillimetreBecomesOne) {
    for (double dragged : {10.0, 0.0, 19.99}) {
        TFixture f(0, 0, dragged);
        ASSERT_EQ(f.Host.Messages.size(), 1u) << dragged;
        EXPECT_EQ(f.Host.Messages[0].Heading, "Circle Too Small");
        EXPECT_EQ(f.Host.Messages[0].Text, "Circle  < 1 mm Radius. Setting To 1 mm");
        EXPECT_EQ(f.Host.Messages[0].Buttons, Buttons(TButton::OK));
        EXPECT_DOUBLE_EQ(f.D().Value(F::Radius), 1);
        EXPECT_NEAR(Distance(0, 0, (*f.Circle)[0].X, (*f.Circle)[0].Y), 20, 1e-4);
    }
    TFixture exact(0, 0, 20);
    EXPECT_TRUE(exact.Host.Messages.empty()) << "1 mm is large enough";
    // A drag past the largest radius starts at the largest; the concentric radius too.
    TFixture huge(0, 0, 25000);
    EXPECT_DOUBLE_EQ(huge.D().Value(F::Radius), 1000);
    EXPECT_DOUBLE_EQ(huge.D().Value(F::ConcentricRadius), 1000);
}

TEST(CircleDialog, EnteredValuesAreTakenWithinTheirRangesAndRefusedOutside) {
    TFixture f;
    f.D().SetToggle(T::Concentric, true);
    f.D().SetToggle(T::SegmentCircle, true);
    f.D().SetToggle(T::PositionSegment, true);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        F Field;
        double Entered;
        TApply Result;
        double Shown; // the value shown afterwards
    } cases[] = {
        {F::Radius, 0.5, TApply::Refused, 15},
        {F::Radius, 1, TApply::Accepted, 1},
        {F::Radius, 1000, TApply::Accepted, 1000},
        {F::Radius, 1000.5, TApply::Refused, 1000},
        {F::Radius, nan, TApply::Refused, 1000},
        {F::ConcentricRadius, 0, TApply::Refused, 17.5},
        {F::ConcentricRadius, 1001, TApply::Refused, 17.5},
        {F::ConcentricRadius, 40, TApply::Accepted, 40},
        {F::Segments, 1, TApply::Refused, 6},
        {F::Segments, 41, TApply::Refused, 6},
        {F::Segments, -6, TApply::Refused, 6},
        {F::Segments, 2, TApply::Accepted, 2},
        {F::Segments, 40, TApply::Accepted, 40},
        {F::Segments, 7.4, TApply::Accepted, 7},
        {F::SegLength, 0.5, TApply::Refused, 15},
        {F::SegLength, 3000, TApply::Accepted, 3000},
        {F::SegLength, 3000.5, TApply::Refused, 3000},
        {F::CentreOffset, -1, TApply::Refused, 0},
        {F::CentreOffset, 3000, TApply::Accepted, 3000},
        {F::CentreOffset, 3001, TApply::Refused, 3000},
        {F::OriginX, 9999999, TApply::Accepted, 9999999},
        {F::OriginX, 10000000, TApply::Refused, 9999999},
        {F::OriginY, -9999999, TApply::Accepted, -9999999},
        {F::OriginY, std::numeric_limits<double>::infinity(), TApply::Refused, -9999999},
        // Angles above 360 wrap by whole turns; the same below -360.
        {F::OffsetAngle, 370, TApply::Accepted, 10},
        {F::OffsetAngle, 720, TApply::Accepted, 360},
        {F::OffsetAngle, 1085, TApply::Accepted, 5},
        {F::OffsetAngle, -400, TApply::Accepted, -40},
        {F::OffsetAngle, -90, TApply::Accepted, -90},
        {F::OffsetAngle, nan, TApply::Refused, -90},
    };
    for (const Case& c : cases) {
        const auto before = PointsOf(*f.Circle);
        EXPECT_EQ(f.D().SetValue(c.Field, c.Entered), c.Result)
            << TCircleDialog::Spec(c.Field).Caption << " " << c.Entered;
        EXPECT_DOUBLE_EQ(f.D().Value(c.Field), c.Shown)
            << TCircleDialog::Spec(c.Field).Caption << " " << c.Entered;
        if (c.Result == TApply::Refused) {
            EXPECT_EQ(PointsOf(*f.Circle), before) << "a refused entry changes nothing";
        }
    }
}

TEST(CircleDialog, ControlsAreEnabledByTheirCheckBoxes) {
    TFixture f;
    auto enabled = [&] {
        std::vector<bool> v;
        for (const TCircleFieldSpec& s : TCircleDialog::Fields())
            v.push_back(f.D().Enabled(s.Field));
        for (T t : TCircleDialog::Toggles())
            v.push_back(f.D().ToggleEnabled(t));
        return v;
    };
    // Fields: radius, X, Y, concentric radius, segments, angle, length, centre offset; then the
    // check boxes: concentric, segment circle, Bezier segments, lines, position.
    using V = std::vector<bool>;
    EXPECT_EQ(enabled(), (V{1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(f.D().SetValue(F::Segments, 8), TApply::NotApplicable);
    EXPECT_EQ(f.D().SetToggle(T::BezierSegments, true), TApply::NotApplicable);
    f.D().SetToggle(T::Concentric, true);
    EXPECT_EQ(enabled(), (V{1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0}));
    f.D().SetToggle(T::SegmentCircle, true);
    EXPECT_EQ(enabled(), (V{1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1}));
    f.D().SetToggle(T::PositionSegment, true);
    EXPECT_EQ(enabled(), (V{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    f.D().Ok();
    EXPECT_EQ(enabled(), V(13, false)) << "a closed dialog takes nothing";
}

TEST(CircleDialog, ConcentricCircleAndSegmentLinesFollowEveryChange) {
    TFixture f(1000, 800, 300);
    TSLCurve* const circle = f.Circle;
    // The concentric circle: a 7-point default circle 2.5 mm outside, right after the circle.
    f.D().SetToggle(T::Concentric, true);
    TSLCurve* ring = f.D().ConcentricCircle();
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(f.Sew.IndexOf(ring), f.Sew.IndexOf(circle) + 1);
    ASSERT_EQ(ring->Count(), 7);
    EXPECT_NEAR((*ring)[3].X, 1000 + 350, 1e-3);
    EXPECT_EQ(ring->StitchFlags & SF_CIRCLE_PART, SF_CIRCLE_PART);
    EXPECT_EQ(ring->StitchType(), ST_NONE);
    EXPECT_TRUE(ring->Flags & OF_SELECTED_EDIT) << "the circle's selection bit";
    EXPECT_FALSE(circle->StitchFlags & SF_CIRCLE_PART);
    f.D().SetValue(F::ConcentricRadius, 30);
    EXPECT_EQ(f.D().ConcentricCircle(), ring) << "rebuilt, not replaced";
    EXPECT_NEAR((*ring)[3].X, 1000 + 600, 1e-3);

    // Segment circle: six lines from the centre to the circle; the circle itself stays of two
    // arcs until "Segment Bezier Curve".
    f.D().SetToggle(T::SegmentCircle, true);
    ASSERT_EQ(f.D().SegmentLines().size(), 6u);
    EXPECT_EQ(circle->Count(), 7);
    for (size_t i = 0; i < 6; ++i) {
        const TSLCurve& l = *f.D().SegmentLines()[i];
        ASSERT_EQ(l.Count(), 4);
        EXPECT_NEAR(l[0].X, 1000, 1e-3);
        EXPECT_NEAR(l[0].Y, 800, 1e-3);
        EXPECT_NEAR(Distance(1000, 800, l[3].X, l[3].Y), 300, 1e-3);
        EXPECT_NEAR(AngleAround(1000, 800, l[3].X, l[3].Y), (30 + 60 * i) * DegToRad, 1e-5);
        EXPECT_EQ(l.StitchFlags & SF_CIRCLE_PART, SF_CIRCLE_PART);
    }
    f.D().SetToggle(T::BezierSegments, true);
    EXPECT_EQ(circle->Count(), 19);
    f.D().SetValue(F::Segments, 8);
    EXPECT_EQ(circle->Count(), 25);
    EXPECT_EQ(f.D().SegmentLines().size(), 8u);
    // The circle's anchors lie where the lines meet it.
    for (int i = 0; i < 8; ++i) {
        const TSLCurve& l = *f.D().SegmentLines()[static_cast<size_t>(i)];
        EXPECT_NEAR(l[3].X, (*circle)[3 * i].X, 1e-2);
        EXPECT_NEAR(l[3].Y, (*circle)[3 * i].Y, 1e-2);
    }
    f.D().SetValue(F::Segments, 3);
    EXPECT_EQ(f.D().SegmentLines().size(), 3u);
    EXPECT_EQ(f.Parts(), 4) << "the ring and three lines; the others left the worksheet";

    // "Seg length" follows the radius until "Position Segment" is used.
    f.D().SetValue(F::Radius, 20);
    EXPECT_DOUBLE_EQ(f.D().Value(F::SegLength), 20);
    f.D().SetToggle(T::PositionSegment, true);
    f.D().SetValue(F::SegLength, 50);
    f.D().SetValue(F::CentreOffset, 5);
    const TSLCurve& l0 = *f.D().SegmentLines()[0];
    EXPECT_NEAR(Distance(1000, 800, l0[0].X, l0[0].Y), 100, 1e-3);
    EXPECT_NEAR(Distance(1000, 800, l0[3].X, l0[3].Y), 1100, 1e-3);
    f.D().SetValue(F::Radius, 25);
    EXPECT_DOUBLE_EQ(f.D().Value(F::SegLength), 50);
    f.D().SetToggle(T::PositionSegment, false);
    EXPECT_NEAR(Distance(1000, 800, l0[3].X, l0[3].Y), 500, 1e-3) << "unpositioned lines reach the circle";

    // Switching the parts off removes them.
    f.D().SetToggle(T::SegmentLines, false);
    EXPECT_TRUE(f.D().SegmentLines().empty());
    f.D().SetToggle(T::Concentric, false);
    EXPECT_EQ(f.D().ConcentricCircle(), nullptr);
    EXPECT_EQ(f.Parts(), 0);
    EXPECT_EQ(f.Sew.Count(), 3);
    EXPECT_EQ(f.Sew.Current(), circle);
}

TEST(CircleDialog, MovingTheOriginMovesOnlyWhatTheDialogMade) {
    TFixture f(1000, 800, 300);
    f.D().SetToggle(T::Concentric, true);
    f.D().SetToggle(T::SegmentCircle, true);
    std::vector<TSLStitch*> made = {f.Circle, f.D().ConcentricCircle()};
    for (TSLCurve* l : f.D().SegmentLines())
        made.push_back(l);
    std::vector<std::vector<std::pair<float, float>>> before;
    for (TSLStitch* o : made)
        before.push_back(PointsOf(*o));
    const auto unrelatedBefore = PointsOf(*f.Before), unrelatedAfter = PointsOf(*f.After);

    ASSERT_EQ(f.D().SetValue(F::OriginX, 50 + 10), TApply::Accepted); // 10 mm to the right
    ASSERT_EQ(f.D().SetValue(F::OriginY, 40 - 2.5), TApply::Accepted);
    for (size_t k = 0; k < made.size(); ++k) {
        ASSERT_EQ(made[k]->Count(), static_cast<int32_t>(before[k].size()));
        for (int32_t i = 0; i < made[k]->Count(); ++i) {
            EXPECT_NEAR((*made[k])[i].X - before[k][static_cast<size_t>(i)].first, 200, 1e-3);
            EXPECT_NEAR((*made[k])[i].Y - before[k][static_cast<size_t>(i)].second, -50, 1e-3);
        }
    }
    EXPECT_EQ(PointsOf(*f.Before), unrelatedBefore);
    EXPECT_EQ(PointsOf(*f.After), unrelatedAfter)
        << "an object after the circle in the list is not the circle's";
    EXPECT_DOUBLE_EQ(f.D().CentreX(), 1200);
}

TEST(CircleDialog, OkKeepsCancelAsksAndDestroysOnlyOnYes) {
    {
        TFixture f;
        f.D().SetToggle(T::Concentric, true);
        f.D().SetToggle(T::SegmentCircle, true);
        f.D().Ok();
        EXPECT_EQ(f.D().State(), TCircleDialog::TState::Kept);
        EXPECT_EQ(f.Sew.Count(), 3 + 1 + 6);
        EXPECT_TRUE(f.Host.Messages.empty());
    }
    TFixture f;
    f.D().SetToggle(T::Concentric, true);
    f.D().SetToggle(T::SegmentCircle, true);
    std::vector<TSLCurve*> removed;
    f.D().Removing = [&](TSLCurve& c) { removed.push_back(&c); };
    f.Host.Answers = {TButton::No};
    EXPECT_FALSE(f.D().Cancel());
    ASSERT_EQ(f.Host.Messages.size(), 1u);
    EXPECT_EQ(f.Host.Messages[0].Heading, "Cancel Circle Creation.");
    EXPECT_EQ(f.Host.Messages[0].Text, "Would You Like To Destroy This Circle Object ?");
    EXPECT_EQ(f.Host.Messages[0].Buttons, TButton::Yes | TButton::No);
    EXPECT_EQ(f.D().State(), TCircleDialog::TState::Open) << "No returns to the dialog";
    EXPECT_EQ(f.Sew.Count(), 10);

    f.Host.Answers = {TButton::Yes};
    EXPECT_TRUE(f.D().Cancel());
    EXPECT_EQ(f.D().State(), TCircleDialog::TState::Destroyed);
    EXPECT_EQ(removed.size(), 8u) << "six lines, the ring and the circle";
    ASSERT_EQ(f.Sew.Count(), 2);
    EXPECT_EQ(f.Sew[0], f.Before);
    EXPECT_EQ(f.Sew[1], f.After);
    EXPECT_EQ(f.D().Circle(), nullptr);
    EXPECT_EQ(f.D().SetValue(F::Radius, 10), TApply::NotApplicable);
}
