// TKvRect: the integer rectangle with inclusive edges and an "empty" flag.
#pragma once
#include <cstdint>

namespace nl {

class TByteWriter;
class TByteReader;

struct TKvRect {
    bool empty = false;
    int32_t Top = 0;
    int32_t Left = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    void Normalize();
    void Set(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void SetRounded(float left, float top, float right, float bottom);
    void Assign(const TKvRect& r) { *this = r; }
    void Inflate(int32_t d);
    void Offset(int32_t dx, int32_t dy);
    void MoveToOrigin();
    void ScaledFrom(const TKvRect& r, float factor);
    void IntersectWith(const TKvRect& r);
    void IncludePoint(float x, float y);
    void UnionWith(const TKvRect& r);
    bool Intersects(const TKvRect& r) const;
    bool ContainsPoint(int32_t x, int32_t y) const;
    bool ContainsPointF(float x, float y) const { return x >= Left && x <= Right && y >= Top && y <= Bottom; }
    bool ContainsRect(const TKvRect& r) const;
    bool OutsideInset(int32_t x, int32_t y, int32_t m) const;
    int32_t Width() const;
    int32_t Height() const;

    // 17-byte record: Left, Top, Right, Bottom, empty.
    void WriteTo(TByteWriter& w) const;
    void ReadFrom(TByteReader& r);
    void WriteRelative(TByteWriter& w, int32_t ox, int32_t oy) const;
    void ReadRelative(TByteReader& r, int32_t ox, int32_t oy);

    bool operator==(const TKvRect&) const = default;
};

} // namespace nl
