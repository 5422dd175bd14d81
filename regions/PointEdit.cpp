#include "regions/PointEdit.h"

#include <algorithm>
#include <cmath>

#include "core/Colour.h"
#include "core/Numeric.h"

namespace nl {

bool IsPointEditable(const TSLStitch& o) {
    return o.Kind() == KIND_STITCH;
}

int32_t StitchCursor(const TSLStitch& o) {
    return o.Empty() ? 0 : std::clamp(o.SimIndex, 0, o.Count() - 1);
}

void SetStitchCursor(TSLStitch& o, int32_t index) {
    o.SimIndex = o.Empty() ? 0 : std::clamp(index, 0, o.Count() - 1);
}

void ClearPointSelection(TSLStitch& o) {
    for (TSP& p : o)
        p.Flags &= ~SP_SELECTED;
}

bool AnyPointSelected(const TSLStitch& o) {
    return std::any_of(o.begin(), o.end(), [](const TSP& p) { return (p.Flags & SP_SELECTED) != 0; });
}

int32_t SelectedPointCount(const TSLStitch& o) {
    return static_cast<int32_t>(
        std::count_if(o.begin(), o.end(), [](const TSP& p) { return (p.Flags & SP_SELECTED) != 0; }));
}

void SelectPointRange(TSLStitch& o, int32_t first, int32_t last) {
    if (first > last) std::swap(first, last);
    for (int32_t i = 0; i < o.Count(); ++i) {
        if (i >= first && i <= last)
            o[i].Flags |= SP_SELECTED;
        else
            o[i].Flags &= ~SP_SELECTED;
    }
}

void TogglePointSelected(TSLStitch& o, int32_t index) {
    if (index >= 0 && index < o.Count()) o[index].Flags ^= SP_SELECTED;
}

bool CanDeleteSelected(const TSLStitch& o) {
    if (o.Count() < 3) return false;
    // Enough to know: one selected point and two that are not (stops as soon as both are seen).
    bool selected = false;
    int32_t kept = 0;
    for (const TSP& p : o) {
        if (p.Flags & SP_SELECTED)
            selected = true;
        else
            ++kept;
        if (selected && kept >= 2) return true;
    }
    return false;
}

bool DeleteSelectedPoints(TSLStitch& o, const TStitchContext& ctx) {
    if (!CanDeleteSelected(o)) return false;
    // One pass: the kept points move down, and the cursor stays on its stitch by moving back by
    // the deleted points before it.
    const auto cursor = static_cast<size_t>(StitchCursor(o));
    std::vector<TSP>& v = o.Raw();
    size_t w = 0, before = 0;
    for (size_t r = 0; r < v.size(); ++r) {
        if (v[r].Flags & SP_SELECTED) {
            before += r < cursor;
            TPointList::Free(v[r]);
        } else {
            v[w++] = v[r];
        }
    }
    v.resize(w);
    SetStitchCursor(o, static_cast<int32_t>(cursor - before));
    o.UpdateBounds(ctx);
    return true;
}

bool DeletePointAt(TSLStitch& o, int32_t index, const TStitchContext& ctx) {
    if (o.Count() < 3 || index < 0 || index >= o.Count()) return false;
    const int32_t cursor = StitchCursor(o);
    o.Delete(index);
    SetStitchCursor(o, cursor > index ? cursor - 1 : cursor);
    o.UpdateBounds(ctx);
    return true;
}

int32_t InsertPosition(const TSLStitch& o) {
    if (o.Count() < 2) return -1;
    return std::max(1, StitchCursor(o));
}

namespace {
bool InsertAt(TSLStitch& o, bool colour, const TStitchContext& ctx) {
    if (o.Flags & OF_PATTERN_MEMBER) return false;
    const int32_t k = InsertPosition(o);
    if (k < 0) return false;
    const TSP& a = o[k - 1];
    const TSP& b = o[k];
    const float x = (a.X + b.X) / 2, y = (a.Y + b.Y) / 2;
    o.Insert(k, colour ? TSP::Colour(0, x, y, NEW_COLOUR_POINT) : TSP::Plain(0, x, y));
    SetStitchCursor(o, k);
    o.UpdateBounds(ctx);
    return true;
}
} // namespace

bool InsertColourPoint(TSLStitch& o, const TStitchContext& ctx) {
    return InsertAt(o, true, ctx);
}

bool InsertPlainPoint(TSLStitch& o, const TStitchContext& ctx) {
    return InsertAt(o, false, ctx);
}

bool CanSplitAt(const TSLStitch& o, int32_t cursor) {
    return IsPointEditable(o) && o.Count() >= 3 && cursor >= 2 && o.Count() >= cursor + 4;
}

std::unique_ptr<TSLStitch> SplitAtCursor(TSLStitch& o, int32_t cursor, const TStitchContext& ctx) {
    if (!CanSplitAt(o, cursor)) return nullptr;
    int32_t colour = NO_COLOUR;
    for (int32_t i = cursor - 1; i >= 0 && colour == NO_COLOUR; --i)
        if (o[i].IsColourPoint()) colour = o[i].GetColour();
    if (colour == NO_COLOUR) colour = o.GetColor();
    if (colour == NO_COLOUR) colour = NEW_COLOUR_POINT;
    auto part = std::make_unique<TSLStitch>();
    part->CopyBaseFields(o);
    // The via-point leads from the object's end to the next element (its trim): it goes with the
    // part that now ends the object.
    part->JumpVia = std::move(o.JumpVia);
    o.JumpVia.reset();
    part->SimIndex = 0;
    std::vector<TSP>& from = o.Raw();
    std::vector<TSP>& to = part->Raw();
    to.assign(from.begin() + cursor, from.end()); // the points (and what they own) move over
    from.erase(from.begin() + cursor, from.end());
    TSP& head = to.front();
    // A point that carries a jump keeps it; a plain point becomes the new part's colour point.
    if (!head.IsExtra()) head = TSP::Colour(head.Flags & ~SP_JUMP_BITS, head.X, head.Y, colour);
    SetStitchCursor(o, cursor - 1);
    o.UpdateBounds(ctx);
    part->UpdateBounds(ctx);
    return part;
}

bool CanAppend(const TSLStitch& o, const TSLStitch& other) {
    return &o != &other && IsPointEditable(o) && IsPointEditable(other) && !other.Empty();
}

bool AppendStitchObject(TSLStitch& o, TSLStitch& other, const TStitchContext& ctx) {
    if (!CanAppend(o, other)) return false;
    o.Reserve(o.Count() + other.Count());
    o.MoveAppend(other, false);
    o.UpdateBounds(ctx);
    return true;
}

int32_t NextColourPoint(const TSLStitch& o, double p) {
    if (o.Empty()) return -1;
    const int32_t last = o.Count() - 1;
    const int32_t from = std::isfinite(p) ? static_cast<int32_t>(std::clamp<double>(RoundI(p), 0, last)) : 0;
    for (int32_t i = from + 1; i <= last; ++i)
        if (o[i].IsColourPoint()) return i;
    return last;
}

int32_t PreviousColourPoint(const TSLStitch& o, double p) {
    if (o.Empty()) return -1;
    const int32_t last = o.Count() - 1;
    const int32_t from =
        std::isfinite(p) ? static_cast<int32_t>(std::clamp<double>(RoundI(p), 0, last + 1)) : 0;
    for (int32_t i = std::min(from, last + 1) - 1; i >= 0; --i)
        if (o[i].IsColourPoint()) return i;
    return std::min(from, last);
}

int32_t ColourPointInForce(const TSLStitch& o, int32_t cursor) {
    if (o.Empty()) return -1;
    for (int32_t i = std::clamp(cursor, 0, o.Count() - 1); i >= 0; --i)
        if (o[i].IsColourPoint()) return i;
    return -1;
}

} // namespace nl
