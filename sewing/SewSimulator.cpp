#include "sewing/SewSimulator.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "formats/Export.h"
#include "worksheet/Sew.h"

namespace nl {

TSewSimulator::~TSewSimulator() {
    if (playing_) host_.SetTimer(0, {});
}

int32_t TSewSimulator::SelectedDesign(const TSew& sew) {
    for (const auto& o : sew)
        if ((o->Flags & OF_SELECTED_LAYOUT) && o->GroupId != 0) return o->GroupId;
    return 0;
}

bool TSewSimulator::Refuse() {
    host_.MessageDialog(SIM_ERROR_HEADING, SIM_NO_STITCHES_TEXT, Buttons(TButton::OK));
    return false;
}

bool TSewSimulator::Open(TSew& sew, const TStitchContext& editing, const std::vector<TSLStitch*>* order) {
    int32_t group = 0;
    std::vector<TSLStitch*> objects;
    if (order) {
        objects = *order;
        for (const TSLStitch* o : objects)
            if (o && o->GroupId != 0) {
                group = o->GroupId;
                break;
            }
    } else {
        group = SelectedDesign(sew);
        // Without a grouped object in the selection there is no design to sew.
        if (group == 0) return Refuse();
        objects = sew.BuildStitchOrder(group);
    }
    TSimulationList list;
    {
        // Sewn as exported: every object regenerated for output, then put back.
        TOutputGuard guard(objects, editing);
        list = TSimulationList::FromOrder(objects);
    }
    return Open(std::move(list), group);
}

bool TSewSimulator::Open(TSimulationList list, int32_t group) {
    Close();
    if (list.Empty()) return Refuse();
    list_ = std::move(list);
    group_ = group;
    open_ = true;
    painter_.Invalidate();
    cursor_ = 0;
    fraction_ = 0.0;
    step_ = Settings.Speed / SIM_TICKS_PER_SECOND;
    Notify();
    return true;
}

void TSewSimulator::Close() {
    StopTimer();
    const bool was = open_;
    open_ = false;
    list_ = TSimulationList();
    painter_.Invalidate();
    group_ = 0;
    cursor_ = 0;
    fraction_ = 0.0;
    if (was) Notify();
}

TPointF TSewSimulator::Needle() const {
    if (list_.Empty()) return {};
    const TSimPoint& p = list_[cursor_];
    return {p.X, p.Y};
}

void TSewSimulator::StopTimer() {
    if (!playing_) return;
    playing_ = false;
    host_.SetTimer(0, {});
}

void TSewSimulator::Notify() {
    host_.RequestRedraw();
    if (Changed) Changed();
}

void TSewSimulator::MoveTo(int32_t index) {
    if (!open_) return;
    cursor_ = std::clamp(index, 0, Count() - 1);
    Notify();
}

void TSewSimulator::Play() {
    if (!open_ || playing_) return;
    // Play on the last point sews the design again from the start.
    if (cursor_ >= Count() - 1) cursor_ = 0;
    step_ = Settings.Speed / SIM_TICKS_PER_SECOND;
    fraction_ = 0.0;
    playing_ = true;
    host_.SetTimer(SIM_TICK_MS, [this] { Tick(); });
    Notify();
}

void TSewSimulator::Pause() {
    if (!playing_) return;
    StopTimer();
    Notify();
}

void TSewSimulator::Rewind() {
    if (!open_) return;
    StopTimer();
    fraction_ = 0.0;
    MoveTo(0);
}

void TSewSimulator::StepForward() {
    if (!playing_) MoveTo(cursor_ + 1);
}

void TSewSimulator::StepBack() {
    if (!playing_) MoveTo(cursor_ - 1);
}

void TSewSimulator::NextBlock() {
    if (!playing_) MoveTo(list_.NextBlockStart(cursor_));
}

void TSewSimulator::PreviousBlock() {
    if (!playing_) MoveTo(list_.PreviousBlockStart(cursor_));
}

void TSewSimulator::Wheel(bool up) {
    up ? StepForward() : StepBack();
}

bool TSewSimulator::GoToStitch(double number) {
    if (!open_ || !std::isfinite(number)) return false;
    const int32_t n = std::clamp(RoundI(number), 1, Count());
    MoveTo(n - 1);
    return true;
}

bool TSewSimulator::SetSpeed(double v) {
    constexpr double tolerance = 0.001;
    if (!(v >= SIM_MIN_SPEED - tolerance && v <= SIM_MAX_SPEED + tolerance)) return false;
    Settings.Speed = std::clamp(v, SIM_MIN_SPEED, SIM_MAX_SPEED);
    if (playing_) step_ = Settings.Speed / SIM_TICKS_PER_SECOND;
    if (Changed) Changed();
    return true;
}

int32_t TSewSimulator::Tick() {
    if (!open_ || !playing_) return 0;
    fraction_ += step_;
    // Speeds are decimal and the step is not exact in binary: without the allowance 2.4 per tick
    // would give 2, 2, 2 where 2, 2, 3 is meant.
    const double whole = std::trunc(fraction_ + 1e-9);
    if (whole < 1.0) return 0;
    fraction_ -= whole;
    const int32_t last = Count() - 1;
    const int64_t target = static_cast<int64_t>(cursor_) + static_cast<int64_t>(whole);
    const int32_t before = cursor_;
    if (target >= last) {
        // The end of the design: stopped on the last point.
        cursor_ = last;
        StopTimer();
    } else {
        cursor_ = static_cast<int32_t>(target);
    }
    Notify();
    return cursor_ - before;
}

std::string TSewSimulator::Status() const {
    if (!open_) return {};
    return std::to_string(cursor_ + 1) + "  Of  " + std::to_string(Count());
}

void TSewSimulator::DrawPicture(Canvas& canvas, const TSimViewport& view, float markerSize) {
    TSimLook look;
    look.Background = Settings.Background;
    look.Jumps = Settings.Jumps;
    look.MarkerSize = Settings.ShowPoints ? markerSize : 0.f;
    painter_.Draw(canvas, list_, cursor_, view, look);
}

void TSewSimulator::DrawNeedle(Canvas& canvas, const TSimViewport& view) const {
    TSimPainter::DrawNeedle(canvas, list_, cursor_, view, Settings.NeedleColour);
}

bool TSewSimulator::KeepNeedleInView(TSimViewport& view) const {
    if (!Settings.KeepInView || list_.Empty() || !(view.Scale > 0)) return false;
    const TPointF n = Needle();
    const double x = (n.X - view.OriginX) * view.Scale, y = (n.Y - view.OriginY) * view.Scale;
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    const double mx = std::max(8.0, view.Width * 0.1), my = std::max(8.0, view.Height * 0.1);
    bool moved = false;
    if (x < mx || x > view.Width - mx) {
        view.OriginX = n.X - view.Width / 2.0 / view.Scale;
        moved = true;
    }
    if (y < my || y > view.Height - my) {
        view.OriginY = n.Y - view.Height / 2.0 / view.Scale;
        moved = true;
    }
    return moved;
}

} // namespace nl
