#include "sewing/SimPainter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nl {

namespace {

// Beyond this many pixels from the picture a coordinate is brought in by clipping, so that no
// canvas ever has to convert a huge value to whole pixels.
constexpr float kFar = 100000.f;

int32_t Mix(int32_t a, int32_t b, int wa) {
    const int wb = 256 - wa;
    return MakeColour((ColourR(a) * wa + ColourR(b) * wb) >> 8, (ColourG(a) * wa + ColourG(b) * wb) >> 8,
                      (ColourB(a) * wa + ColourB(b) * wb) >> 8);
}

// Cuts the segment a-b to the rectangle; false when nothing of it lies inside.
bool ClipSegment(TPointF& a, TPointF& b, float l, float t, float r, float bt) {
    double t0 = 0, t1 = 1;
    const double dx = static_cast<double>(b.X) - a.X, dy = static_cast<double>(b.Y) - a.Y;
    auto clip = [&](double p, double q) {
        if (p == 0) return q >= 0;
        double v = q / p;
        if (p < 0) {
            if (v > t1) return false;
            if (v > t0) t0 = v;
        } else {
            if (v < t0) return false;
            if (v < t1) t1 = v;
        }
        return true;
    };
    if (!clip(-dx, a.X - l) || !clip(dx, r - a.X) || !clip(-dy, a.Y - t) || !clip(dy, bt - a.Y)) return false;
    const TPointF a0 = a;
    a = {static_cast<float>(a0.X + t0 * dx), static_cast<float>(a0.Y + t0 * dy)};
    b = {static_cast<float>(a0.X + t1 * dx), static_cast<float>(a0.Y + t1 * dy)};
    return true;
}

} // namespace

TSimViewport TSimViewport::Fit(const TKvRect& bounds, int32_t width, int32_t height, int32_t margin) {
    TSimViewport v;
    v.Width = std::max(width, 1);
    v.Height = std::max(height, 1);
    if (bounds.empty) return v;
    const double bw = std::max(1.0, static_cast<double>(bounds.Right) - bounds.Left);
    const double bh = std::max(1.0, static_cast<double>(bounds.Bottom) - bounds.Top);
    const double innerW = std::max(1, v.Width - 2 * margin), innerH = std::max(1, v.Height - 2 * margin);
    v.Scale = std::min(innerW / bw, innerH / bh);
    const double cx = (static_cast<double>(bounds.Left) + bounds.Right) / 2.0;
    const double cy = (static_cast<double>(bounds.Top) + bounds.Bottom) / 2.0;
    v.OriginX = cx - v.Width / 2.0 / v.Scale;
    v.OriginY = cy - v.Height / 2.0 / v.Scale;
    return v;
}

int32_t TSimPainter::KeepInterval(int32_t count) {
    return std::max<int32_t>(4096, (count + MAX_KEPT - 1) / MAX_KEPT);
}

int32_t TSimPainter::JumpColour(int32_t thread, int32_t background) {
    return Mix(thread, background, 128);
}

int32_t TSimPainter::MarkerColour(int32_t thread) {
    return Mix(thread, 0x00FFFFFF, 144);
}

void TSimPainter::Invalidate() {
    drawnTo_ = -1;
    interval_ = 0;
    kept_.clear();
    canKeep_ = true;
}

void TSimPainter::Draw(Canvas& canvas, const TSimulationList& list, int32_t cursor, const TSimViewport& view,
                       const TSimLook& look) {
    work_ = TWork{};
    if (serial_ != list.Serial() || !(view == view_) || !(look == look_)) {
        Invalidate();
        serial_ = list.Serial();
        view_ = view;
        look_ = look;
    }
    if (list.Empty()) {
        canvas.Clear(look.Background);
        work_.Cleared = true;
        drawnTo_ = -1;
        return;
    }
    cursor = std::clamp(cursor, 0, list.Count() - 1);
    if (interval_ == 0) {
        interval_ = KeepInterval(list.Count());
        kept_.assign(static_cast<size_t>(list.Count() / interval_) + 1, false);
    }
    // Go on from what the picture shows when the cursor moved forward, unless a kept picture
    // lies nearer to the cursor.
    int32_t start = drawnTo_ >= 0 && drawnTo_ <= cursor ? drawnTo_ : -1;
    int32_t k = cursor / interval_;
    while (k >= 1 && !kept_[static_cast<size_t>(k)])
        --k;
    if (k >= 1 && static_cast<int64_t>(k) * interval_ > start) {
        if (canvas.RestorePicture(k)) {
            start = k * interval_;
            work_.Restored = start;
        } else {
            // The canvas no longer has its kept pictures: never count on them again.
            std::fill(kept_.begin(), kept_.end(), false);
            canKeep_ = false;
        }
    }
    if (start < 0) {
        canvas.Clear(look.Background);
        work_.Cleared = true;
        start = 0;
    }
    work_.From = start;
    DrawRange(canvas, list, start, cursor);
    drawnTo_ = cursor;
}

void TSimPainter::DrawRange(Canvas& canvas, const TSimulationList& list, int32_t from, int32_t to) {
    const std::vector<TSimPoint>& pts = list.Points();
    const std::vector<TSimulationList::TBlock>& blocks = list.Blocks();
    const TSimViewport& v = view_;
    const float guard = look_.MarkerSize + 2.f;
    const float left = -guard, top = -guard, right = static_cast<float>(v.Width) + guard,
                bottom = static_cast<float>(v.Height) + guard;
    auto at = [&](int32_t i) {
        const TSimPoint& p = pts[static_cast<size_t>(i)];
        return TPointF{v.SX(p.X), v.SY(p.Y)};
    };
    // Both ends beyond one edge (or not numbers at all): nothing of the move shows.
    auto outside = [&](const TPointF& a, const TPointF& b) {
        return !(std::isfinite(a.X) && std::isfinite(a.Y) && std::isfinite(b.X) && std::isfinite(b.Y)) ||
               (a.X < left && b.X < left) || (a.X > right && b.X > right) || (a.Y < top && b.Y < top) ||
               (a.Y > bottom && b.Y > bottom);
    };
    auto far = [](const TPointF& p) { return std::fabs(p.X) > kFar || std::fabs(p.Y) > kFar; };

    int32_t block = list.BlockAt(from);
    int32_t colour = blocks[static_cast<size_t>(block)].Colour;
    int32_t nextBlock = static_cast<size_t>(block) + 1 < blocks.size()
                            ? blocks[static_cast<size_t>(block) + 1].First
                            : std::numeric_limits<int32_t>::max();
    run_.clear();
    auto flushRun = [&] {
        if (run_.size() >= 2) {
            canvas.SetPen(runColour_, 1.f, TPenStyle::Solid);
            canvas.Polyline(run_);
        }
        run_.clear();
    };
    // Markers go over the stitches of their stretch; the first point is marked again because the
    // stitch leaving it was drawn after its marker.
    int32_t markFrom = from;
    auto flushMarkers = [&](int32_t upto) {
        if (look_.MarkerSize <= 0.f) return;
        int32_t b = list.BlockAt(markFrom);
        int32_t next = static_cast<size_t>(b) + 1 < blocks.size() ? blocks[static_cast<size_t>(b) + 1].First
                                                                  : std::numeric_limits<int32_t>::max();
        int32_t c = MarkerColour(blocks[static_cast<size_t>(b)].Colour);
        for (int32_t i = markFrom; i <= upto; ++i) {
            while (i >= next) {
                ++b;
                c = MarkerColour(blocks[static_cast<size_t>(b)].Colour);
                next = static_cast<size_t>(b) + 1 < blocks.size() ? blocks[static_cast<size_t>(b) + 1].First
                                                                  : std::numeric_limits<int32_t>::max();
            }
            TPointF p = at(i);
            if (!std::isfinite(p.X) || !std::isfinite(p.Y) || p.X < left || p.X > right || p.Y < top ||
                p.Y > bottom)
                continue;
            canvas.Marker(p.X, p.Y, TMarker::Square, look_.MarkerSize, c);
        }
        markFrom = upto;
    };

    TPointF a = at(from);
    for (int32_t j = from + 1; j <= to; ++j) {
        while (j >= nextBlock) {
            ++block;
            colour = blocks[static_cast<size_t>(block)].Colour;
            nextBlock = static_cast<size_t>(block) + 1 < blocks.size()
                            ? blocks[static_cast<size_t>(block) + 1].First
                            : std::numeric_limits<int32_t>::max();
        }
        TPointF b = at(j);
        ++work_.Segments;
        if (pts[static_cast<size_t>(j)].Flags & SIM_JUMP) {
            flushRun();
            TPointF p = a, q = b;
            if (look_.Jumps != TJumpLook::Hidden && !outside(p, q) &&
                ClipSegment(p, q, left, top, right, bottom)) {
                canvas.SetPen(JumpColour(colour, look_.Background), 1.f,
                              look_.Jumps == TJumpLook::Dashed ? TPenStyle::Dash : TPenStyle::Solid);
                canvas.Line(p.X, p.Y, q.X, q.Y);
            }
        } else if (outside(a, b)) {
            flushRun();
        } else if (far(a) || far(b)) {
            flushRun();
            TPointF p = a, q = b;
            if (ClipSegment(p, q, left, top, right, bottom)) {
                canvas.SetPen(colour, 1.f, TPenStyle::Solid);
                canvas.Line(p.X, p.Y, q.X, q.Y);
            }
        } else {
            if (!run_.empty() && runColour_ != colour) flushRun();
            if (run_.empty()) {
                run_.push_back(a);
                runColour_ = colour;
            }
            run_.push_back(b);
        }
        a = b;
        if (j % interval_ == 0 && canKeep_) {
            const auto k = static_cast<size_t>(j / interval_);
            if (k < kept_.size() && !kept_[k]) {
                flushRun();
                flushMarkers(j);
                kept_[k] = canvas.KeepPicture(static_cast<int>(k));
                if (!kept_[k]) canKeep_ = false;
            }
        }
    }
    flushRun();
    flushMarkers(to);
}

void TSimPainter::DrawNeedle(Canvas& canvas, const TSimulationList& list, int32_t cursor,
                             const TSimViewport& view, int32_t needleColour) {
    if (list.Empty()) return;
    cursor = std::clamp(cursor, 0, list.Count() - 1);
    const TSimPoint& p = list[cursor];
    const float x = view.SX(p.X), y = view.SY(p.Y);
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > kFar || std::fabs(y) > kFar) return;
    canvas.Marker(x, y, TMarker::Circle, 9.f, needleColour);
    canvas.Marker(x, y, TMarker::Cross, 3.f, needleColour);
}

} // namespace nl
