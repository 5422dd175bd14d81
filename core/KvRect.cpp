#include "core/KvRect.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "core/BinaryIO.h"
#include "core/Numeric.h"

namespace nl {

void TKvRect::Normalize() {
    if (Left > Right) std::swap(Left, Right);
    if (Top > Bottom) std::swap(Top, Bottom);
}

void TKvRect::Set(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Left = left;
    Top = top;
    Right = right;
    Bottom = bottom;
}

void TKvRect::SetRounded(float left, float top, float right, float bottom) {
    Set(RoundI(left), RoundI(top), RoundI(right), RoundI(bottom));
}

namespace {
// Edges come from files and user input: saturate instead of overflowing.
int32_t Sat(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
} // namespace

void TKvRect::Inflate(int32_t d) {
    Left = Sat(int64_t(Left) - d);
    Top = Sat(int64_t(Top) - d);
    Right = Sat(int64_t(Right) + d);
    Bottom = Sat(int64_t(Bottom) + d);
}

void TKvRect::Offset(int32_t dx, int32_t dy) {
    Left = Sat(int64_t(Left) + dx);
    Right = Sat(int64_t(Right) + dx);
    Top = Sat(int64_t(Top) + dy);
    Bottom = Sat(int64_t(Bottom) + dy);
}

void TKvRect::MoveToOrigin() {
    Right = Sat(int64_t(Right) - Left);
    Left = 0;
    Bottom = Sat(int64_t(Bottom) - Top);
    Top = 0;
}

void TKvRect::ScaledFrom(const TKvRect& r, float factor) {
    Left = RoundI(static_cast<double>(r.Left) * factor);
    Top = RoundI(static_cast<double>(r.Top) * factor);
    Right = RoundI(static_cast<double>(r.Right) * factor);
    Bottom = RoundI(static_cast<double>(r.Bottom) * factor);
}

void TKvRect::IntersectWith(const TKvRect& r) {
    Left = std::max(Left, r.Left);
    Top = std::max(Top, r.Top);
    Right = std::min(Right, r.Right);
    Bottom = std::min(Bottom, r.Bottom);
}

void TKvRect::IncludePoint(float x, float y) {
    int32_t ix = RoundI(x), iy = RoundI(y);
    if (empty) {
        Set(ix, iy, ix, iy);
        empty = false;
        return;
    }
    if (ix < Left)
        Left = ix;
    else if (ix > Right)
        Right = ix;
    if (iy < Top)
        Top = iy;
    else if (iy > Bottom)
        Bottom = iy;
}

void TKvRect::UnionWith(const TKvRect& r) {
    if (empty) {
        *this = r;
        empty = false;
        return;
    }
    Left = std::min(Left, r.Left);
    Top = std::min(Top, r.Top);
    Right = std::max(Right, r.Right);
    Bottom = std::max(Bottom, r.Bottom);
}

bool TKvRect::Intersects(const TKvRect& r) const {
    return r.Right >= Left && Right >= r.Left && r.Bottom >= Top && Bottom >= r.Top;
}

bool TKvRect::ContainsPoint(int32_t x, int32_t y) const {
    return Left <= x && x <= Right && Top <= y && y <= Bottom;
}

bool TKvRect::ContainsRect(const TKvRect& r) const {
    return ContainsPoint(r.Left, r.Top) && ContainsPoint(r.Right, r.Bottom);
}

bool TKvRect::OutsideInset(int32_t x, int32_t y, int32_t m) const {
    return x < Left + m || x > Right - m || y < Top + m || y > Bottom - m;
}

int32_t TKvRect::Width() const {
    return static_cast<int32_t>(std::llabs(int64_t(Right) - Left) + 1);
}
int32_t TKvRect::Height() const {
    return static_cast<int32_t>(std::llabs(int64_t(Bottom) - Top) + 1);
}

void TKvRect::WriteTo(TByteWriter& w) const {
    WriteRelative(w, 0, 0);
}
void TKvRect::ReadFrom(TByteReader& r) {
    ReadRelative(r, 0, 0);
}

// Edges far out meet origins on the other side (pasted data, hostile files): the difference and
// the sum stop at the int32 limits instead of overflowing.
void TKvRect::WriteRelative(TByteWriter& w, int32_t ox, int32_t oy) const {
    w.I32(Sat(int64_t(Left) - ox));
    w.I32(Sat(int64_t(Top) - oy));
    w.I32(Sat(int64_t(Right) - ox));
    w.I32(Sat(int64_t(Bottom) - oy));
    w.Bool(empty);
}

void TKvRect::ReadRelative(TByteReader& r, int32_t ox, int32_t oy) {
    Left = Sat(int64_t(r.I32()) + ox);
    Top = Sat(int64_t(r.I32()) + oy);
    Right = Sat(int64_t(r.I32()) + ox);
    Bottom = Sat(int64_t(r.I32()) + oy);
    empty = r.U8() != 0;
}

} // namespace nl
