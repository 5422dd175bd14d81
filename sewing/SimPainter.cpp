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
    // A whole number of chunks, so that a kept picture always falls on a chunk's first point.
    constexpr int32_t c = TSimulationList::CHUNK;
    const int32_t n = std::max<int32_t>(4096, (count + MAX_KEPT - 1) / MAX_KEPT);
    return (n + c - 1) / c * c;
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
    if (list.Empty() || !(view.Scale > 0) || !std::isfinite(view.Scale) || !std::isfinite(view.OriginX) ||
        !std::isfinite(view.OriginY)) {
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
    // Starting afresh, the whole design is drawn once first, keeping pictures on the way: the
    // first jump after opening or after the view changed is then as quick as any other.
    if (drawnTo_ < 0 && canKeep_ && list.Count() - 1 > interval_) {
        canvas.Clear(look.Background);
        DrawRange(canvas, list, 0, interval_);
        drawnTo_ = interval_;
        // A canvas that cannot keep pictures says so at the first one; then it is not worth it.
        if (canKeep_) {
            DrawRange(canvas, list, interval_, list.Count() - 1);
            drawnTo_ = list.Count() - 1;
        }
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
    const int32_t ahead = work_.Segments;
    DrawRange(canvas, list, start, cursor);
    work_.Ahead = ahead > 0;
    work_.Segments -= ahead;
    drawnTo_ = cursor;
}

void TSimPainter::DrawRange(Canvas& canvas, const TSimulationList& list, int32_t from, int32_t to) {
    const std::vector<TSimPoint>& pts = list.Points();
    const std::vector<TSimulationList::TBlock>& blocks = list.Blocks();
    const std::vector<TSimulationList::TChunk>& chunks = list.Chunks();
    const double scale = view_.Scale, ox = view_.OriginX, oy = view_.OriginY;
    const float markerSize = look_.MarkerSize;
    const bool marking = markerSize > 0.f;
    const float guard = markerSize + 2.f;
    const float left = -guard, top = -guard, right = static_cast<float>(view_.Width) + guard,
                bottom = static_cast<float>(view_.Height) + guard;
    // The same rectangle in worksheet units, for passing over whole chunks of the list.
    const double wl = ox + left / scale, wt = oy + top / scale, wr = ox + right / scale,
                 wb = oy + bottom / scale;
    auto at = [&](int32_t i) {
        const TSimPoint& p = pts[static_cast<size_t>(i)];
        return TPointF{static_cast<float>((p.X - ox) * scale), static_cast<float>((p.Y - oy) * scale)};
    };
    // Both ends beyond one edge (or not numbers at all): nothing of the move shows.
    auto outside = [&](const TPointF& a, const TPointF& b) {
        return !(std::isfinite(a.X) && std::isfinite(a.Y) && std::isfinite(b.X) && std::isfinite(b.Y)) ||
               (a.X < left && b.X < left) || (a.X > right && b.X > right) || (a.Y < top && b.Y < top) ||
               (a.Y > bottom && b.Y > bottom);
    };
    auto far = [](const TPointF& p) { return std::fabs(p.X) > kFar || std::fabs(p.Y) > kFar; };
    constexpr int32_t kNone = std::numeric_limits<int32_t>::max();
    auto blockStart = [&](int32_t b) {
        return static_cast<size_t>(b) < blocks.size() ? blocks[static_cast<size_t>(b)].First : kNone;
    };

    int32_t block = list.BlockAt(from);
    int32_t colour = blocks[static_cast<size_t>(block)].Colour;
    int32_t markColour = MarkerColour(colour);
    int32_t nextBlock = blockStart(block + 1);
    int32_t nextKeep = canKeep_ ? (from / interval_ + 1) * interval_ : kNone;

    run_.clear();
    marks_.clear();
    auto flushRun = [&] {
        if (run_.size() >= 2) {
            canvas.SetPen(runColour_, 1.f, TPenStyle::Solid);
            canvas.Polyline(run_);
        }
        run_.clear();
    };
    // Markers go over the stitches of their stretch. Points that land on the pixel just marked
    // in the same colour are not marked again.
    int32_t lastMarkX = std::numeric_limits<int32_t>::min(), lastMarkY = 0, lastMarkColour = 0;
    auto mark = [&](const TPointF& p) {
        if (!(p.X >= left && p.X <= right && p.Y >= top && p.Y <= bottom)) return;
        // The point is within the picture here, so the nearest pixel is a plain conversion.
        const auto x = static_cast<int32_t>(p.X + 0.5f + 65536.f),
                   y = static_cast<int32_t>(p.Y + 0.5f + 65536.f);
        if (x == lastMarkX && y == lastMarkY && markColour == lastMarkColour) return;
        lastMarkX = x, lastMarkY = y, lastMarkColour = markColour;
        marks_.push_back({p, markColour});
    };
    auto flushMarks = [&] {
        for (const TMark& m : marks_)
            canvas.Marker(m.P.X, m.P.Y, TMarker::Square, markerSize, m.Colour);
        marks_.clear();
    };

    TPointF a = at(from);
    // The first point is marked again: the stitch leaving it is drawn after its marker.
    if (marking) mark(a);
    for (int32_t j = from + 1; j <= to; ++j) {
        // A whole chunk of the list beyond one edge of the picture, with the point it starts from,
        // is passed over at once (a zoomed-in view leaves most of a design outside).
        if ((j & (TSimulationList::CHUNK - 1)) == 0 && j + TSimulationList::CHUNK - 1 <= to &&
            nextKeep != j) {
            const TSimulationList::TChunk& c = chunks[static_cast<size_t>(j / TSimulationList::CHUNK)];
            const double ax = ox + a.X / scale, ay = oy + a.Y / scale;
            const double minX = std::min<double>(c.MinX, ax), maxX = std::max<double>(c.MaxX, ax);
            const double minY = std::min<double>(c.MinY, ay), maxY = std::max<double>(c.MaxY, ay);
            if (std::isfinite(ax) && std::isfinite(ay) &&
                (maxX < wl || minX > wr || maxY < wt || minY > wb)) {
                flushRun();
                j += TSimulationList::CHUNK - 1;
                work_.Segments += TSimulationList::CHUNK;
                a = at(j);
                while (j >= nextBlock) {
                    ++block;
                    nextBlock = blockStart(block + 1);
                }
                colour = blocks[static_cast<size_t>(block)].Colour;
                markColour = MarkerColour(colour);
                continue;
            }
        }
        if (j >= nextBlock) {
            while (j >= nextBlock) {
                ++block;
                nextBlock = blockStart(block + 1);
            }
            colour = blocks[static_cast<size_t>(block)].Colour;
            markColour = MarkerColour(colour);
        }
        const TPointF b = at(j);
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
        if (marking) mark(b);
        a = b;
        if (j == nextKeep) {
            nextKeep += interval_;
            const auto k = static_cast<size_t>(j / interval_);
            if (k < kept_.size() && !kept_[k]) {
                flushRun();
                flushMarks();
                kept_[k] = canvas.KeepPicture(static_cast<int>(k));
                if (!kept_[k]) {
                    canKeep_ = false;
                    nextKeep = kNone;
                }
            }
        } else if (marks_.size() >= 65536) {
            flushRun();
            flushMarks();
        }
    }
    flushRun();
    flushMarks();
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
