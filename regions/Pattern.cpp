#include "regions/Pattern.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "regions/SLRegion.h"
#include "stitching/Outline.h"
#include "stitching/Overlay.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
// A point list item of the copy from a member: its points, or an outline's flattened path.
std::unique_ptr<TSLStitch> PointsOf(const TSLStitch& member, double left, double top, double sx, double sy) {
    auto item = std::make_unique<TSLStitch>();
    item->Flags = OF_DIRECT | OF_NEEDLE_POINTS;
    auto add = [&](double x, double y) {
        item->Append(TSP::Plain(0, static_cast<float>((x - left) * sx), static_cast<float>((y - top) * sy)));
    };
    if (member.Kind() == KIND_CURVE)
        static_cast<const TSLCurve&>(member).FlattenVisit(0, -1,
                                                          [&](float x, float y, int32_t) { add(x, y); });
    else
        for (const TSP& p : member)
            add(p.X, p.Y);
    return item;
}

template <class F> void EveryPoint(TObjectStitch& pattern, F&& f) {
    for (auto& item : pattern.Items) {
        if (!item) continue;
        for (TSP& p : *item)
            f(p);
        if (item->Empty()) continue;
        float l = (*item)[0].X, t = (*item)[0].Y, r = l, b = t;
        for (const TSP& p : *item) {
            l = std::min(l, p.X), r = std::max(r, p.X);
            t = std::min(t, p.Y), b = std::max(b, p.Y);
        }
        // Saturating: points from a file may lie beyond what an int holds.
        item->Bounds.Set(RoundI(std::floor(l)), RoundI(std::floor(t)), RoundI(std::ceil(r)),
                         RoundI(std::ceil(b)));
    }
}
} // namespace

std::unique_ptr<TObjectStitch> MakeCopy(const TObjectPatternCreator& creator) {
    auto copy = std::make_unique<TObjectStitch>(creator.Header());
    copy->Flags |= TObjectStitch::PATTERN_COPY;
    copy->PatternWidth = std::clamp(copy->PatternWidth, kPatternTileMin, kPatternTileMax);
    copy->PatternHeight = std::clamp(copy->PatternHeight, kPatternTileMin, kPatternTileMax);
    const double sx = static_cast<double>(copy->PatternWidth) / std::max(1, creator.Width());
    const double sy = static_cast<double>(copy->PatternHeight) / std::max(1, creator.Height());
    for (const TSLStitch* m : creator.Members)
        if (m && m->Count() > 1)
            copy->Items.emplace_back(PointsOf(*m, creator.Rect.Left, creator.Rect.Top, sx, sy));
    copy->ItemCount = static_cast<int32_t>(copy->Items.size());
    return copy;
}

std::unique_ptr<TObjectStitch> MakeCopy(const TObjectStitch& source) {
    auto copy = std::make_unique<TObjectStitch>(source);
    copy->Flags |= TObjectStitch::PATTERN_COPY;
    copy->Items.clear();
    // In doubles: a rectangle from a file may span more than an int holds.
    const double w = std::max(1.0, static_cast<double>(source.Bounds.Right) + 1 - source.Bounds.Left);
    const double h = std::max(1.0, static_cast<double>(source.Bounds.Bottom) + 1 - source.Bounds.Top);
    const double sx = copy->PatternWidth / w, sy = copy->PatternHeight / h;
    for (const auto& item : source.Items)
        if (item && item->Count() > 1)
            copy->Items.emplace_back(PointsOf(*item, source.Bounds.Left, source.Bounds.Top, sx, sy));
    copy->ItemCount = static_cast<int32_t>(copy->Items.size());
    return copy;
}

std::unique_ptr<TObjectStitch> CreatorDrawing(const TObjectPatternCreator& creator) {
    auto drawing = std::make_unique<TObjectStitch>(creator.Header());
    for (const TSLStitch* m : creator.Members) {
        if (!m || (m->Kind() != KIND_CURVE && m->Kind() != KIND_STITCH)) continue;
        std::unique_ptr<TSLStitch> item = m->Clone();
        DetachPatternItem(*item);
        drawing->Items.emplace_back(std::move(item));
    }
    drawing->ItemCount = static_cast<int32_t>(drawing->Items.size());
    return drawing;
}

void DetachPatternItem(TSLStitch& o) {
    o.Flags &= ~(OF_RAIL_A | OF_RAIL_B | OF_PATTERN_MEMBER);
    o.GroupId = 0;
    o.OrderIndex = ORDER_NONE;
    if (o.Kind() == KIND_CURVE) {
        auto& c = static_cast<TSLCurve&>(o);
        c.PartnerRail = nullptr;
        c.Jumps.reset();
        c.Pattern.reset(); // a column's pattern belonged to the column
    }
    // Measured again as what it now is (a rail's bounds are not a plain outline's), so that a
    // detached object writes the bounds it reads back with.
    o.UpdateBounds(TStitchContext{});
}

void MirrorH(TObjectStitch& pattern) {
    const float w = static_cast<float>(pattern.PatternWidth);
    EveryPoint(pattern, [&](TSP& p) { p.X = w - p.X; });
}

void MirrorV(TObjectStitch& pattern) {
    const float h = static_cast<float>(pattern.PatternHeight);
    EveryPoint(pattern, [&](TSP& p) { p.Y = h - p.Y; });
}

void Rotate90(TObjectStitch& pattern) {
    // A quarter turn within the tile, (x, y) -> (y, width - x): the top edge becomes the left edge.
    // The tile turns with it.
    const float w = static_cast<float>(pattern.PatternWidth);
    EveryPoint(pattern, [&](TSP& p) {
        const float x = p.X;
        p.X = p.Y;
        p.Y = w - x;
    });
    std::swap(pattern.PatternWidth, pattern.PatternHeight);
}

void Translate(TObjectStitch& pattern, float dx, float dy) {
    EveryPoint(pattern, [&](TSP& p) {
        p.X += dx;
        p.Y += dy;
    });
}

void SetTileSize(TObjectStitch& pattern, int32_t width, int32_t height) {
    width = std::clamp(width, kPatternTileMin, kPatternTileMax);
    height = std::clamp(height, kPatternTileMin, kPatternTileMax);
    const float sx = static_cast<float>(width) / std::max(1, pattern.PatternWidth);
    const float sy = static_cast<float>(height) / std::max(1, pattern.PatternHeight);
    EveryPoint(pattern, [&](TSP& p) {
        p.X *= sx;
        p.Y *= sy;
    });
    pattern.PatternWidth = width;
    pattern.PatternHeight = height;
}

TDeepPtr<TObjectStitch>* PatternSlot(TSLStitch& object, TSLStitch** flagsOwner) {
    TSLStitch* owner = &object;
    TDeepPtr<TObjectStitch>* slot = nullptr;
    if (object.Kind() == KIND_REGION) {
        slot = &static_cast<TSLRegion&>(object).FillPattern;
    } else if (object.Kind() == KIND_CURVE) {
        auto& curve = static_cast<TSLCurve&>(object);
        if (curve.IsRail()) {
            TSLCurve* a = curve.IsRailB() ? curve.PartnerRail : &curve;
            TSLCurve* b = curve.IsRailB() ? &curve : curve.PartnerRail;
            if (!a || !b) return nullptr;
            owner = a;
            slot = &b->Pattern;
        } else if (curve.Outlines) {
            slot = &curve.Outlines->OutlinePattern;
        }
    }
    if (slot && flagsOwner) *flagsOwner = owner;
    return slot;
}

TObjectStitch* PatternOf(TSLStitch& object) {
    TSLStitch* owner = nullptr;
    TDeepPtr<TObjectStitch>* slot = PatternSlot(object, &owner);
    if (!slot || !*slot || !(owner->StitchFlags & SF_PROG_STITCH)) return nullptr;
    return slot->get();
}

bool SetPattern(TSLStitch& object, std::unique_ptr<TObjectStitch> copy) {
    TSLStitch* owner = nullptr;
    TDeepPtr<TObjectStitch>* slot = PatternSlot(object, &owner);
    if (!slot || !copy) return false;
    copy->Flags |= TObjectStitch::PATTERN_COPY;
    *slot = TDeepPtr<TObjectStitch>(std::move(copy));
    owner->StitchFlags |= SF_PROG_STITCH;
    return true;
}

void ClearPattern(TSLStitch& object) {
    TSLStitch* owner = nullptr;
    TDeepPtr<TObjectStitch>* slot = PatternSlot(object, &owner);
    if (!slot) return;
    slot->reset();
    owner->StitchFlags &= ~SF_PROG_STITCH;
}

void AddMember(TObjectPatternCreator& creator, TSLStitch& object) {
    object.Flags |= OF_PATTERN_MEMBER;
    object.OrderIndex = creator.ListIndex;
    if (std::find(creator.Members.begin(), creator.Members.end(), &object) == creator.Members.end())
        creator.Members.push_back(&object);
}

void RemoveMember(TObjectPatternCreator& creator, TSLStitch& object) {
    creator.Members.erase(std::remove(creator.Members.begin(), creator.Members.end(), &object),
                          creator.Members.end());
}

TObjectPatternCreator* CreatorAt(const TSupportBaseList& list, double x, double y) {
    for (int32_t i = list.Count() - 1; i >= 1; --i) {
        TObjectBase& o = *list[i];
        if (o.Kind == SUPPORT_PATTERN_CREATOR && x >= o.Rect.Left && x <= o.Rect.Right && y >= o.Rect.Top &&
            y <= o.Rect.Bottom)
            return static_cast<TObjectPatternCreator*>(&o);
    }
    return nullptr;
}

void ResolveCreatorMembers(TSupportBaseList& support, const std::vector<TSLStitch*>& objects) {
    support.Renumber();
    for (TObjectPatternCreator* c : support.Creators())
        c->Members.clear();
    for (TSLStitch* o : objects) {
        if (!(o->Flags & OF_PATTERN_MEMBER)) continue;
        TObjectBase* owner = support.Item(o->OrderIndex);
        if (owner && owner->Kind == SUPPORT_PATTERN_CREATOR && o->OrderIndex > 0) {
            static_cast<TObjectPatternCreator*>(owner)->Members.push_back(o);
        } else {
            o->Flags &= ~OF_PATTERN_MEMBER;
            o->OrderIndex = -1;
        }
    }
}

void PlaceInCreator(const TObjectPatternCreator& creator, float& x, float& y, bool snap) {
    const TKvRect& r = creator.Rect;
    auto place = [&](float v, int32_t lo, int32_t size) {
        const double far = static_cast<double>(lo) + size;
        double d = std::clamp(static_cast<double>(v), static_cast<double>(lo), far);
        const double cell = creator.GridCell();
        if (snap && cell > 0) {
            // The last node within the tile: a side shorter than the larger one ends between nodes.
            const double last = std::floor(size / cell + 1e-9);
            d = lo + std::clamp(std::round((d - lo) / cell), 0.0, last) * cell;
        }
        return static_cast<float>(d);
    };
    x = place(x, r.Left, creator.Width());
    y = place(y, r.Top, creator.Height());
}

void SnapToCreatorGrid(const TObjectPatternCreator& creator, TSLStitch& object) {
    for (TSP& p : object)
        PlaceInCreator(creator, p.X, p.Y, true);
}

TObjectPatternCreator* CreatorOf(const TSupportBaseList& support, const TSLStitch& object) {
    if (!(object.Flags & OF_PATTERN_MEMBER) || object.OrderIndex < 1) return nullptr;
    TObjectBase* owner = support.Item(object.OrderIndex);
    if (!owner || owner->Kind != SUPPORT_PATTERN_CREATOR) return nullptr;
    auto* creator = static_cast<TObjectPatternCreator*>(owner);
    // The index is only a hint until the list is renumbered: the member list has the last word.
    const auto& m = creator->Members;
    return std::find(m.begin(), m.end(), &object) != m.end() ? creator : nullptr;
}

} // namespace nl
