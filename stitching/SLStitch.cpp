#include "stitching/SLStitch.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Errors.h"
#include "core/Geometry.h"
#include "core/Limits.h"
#include "core/Numeric.h"
#include "platform/Canvas.h"
#include "stitching/MarkerGrid.h"

namespace nl {

void TSLStitch::SetStitchLimits(int32_t minLen, int32_t maxLen) {
    minLen = Clamp(minLen, MIN_STITCH_LOW, MIN_STITCH_HIGH);
    maxLen = Clamp(maxLen, MAX_STITCH_LOW, MAX_STITCH_HIGH);
    StitchLimits = static_cast<uint32_t>(minLen) << 16 | static_cast<uint32_t>(maxLen);
}

std::unique_ptr<TSLStitch> TSLStitch::Clone() const {
    return CloneAs<TSLStitch>();
}

void TSLStitch::Assign(const TSLStitch& source) {
    if (&source == this) return;
    CopyBaseFields(source);
    TPointList::operator=(source);
}

void TSLStitch::UpdateBounds(const TStitchContext& ctx) {
    Bounds.empty = true;
    if (Count() == 0) return;
    // The extremes of the coordinates, rounded once: rounding keeps order, so this is the
    // rectangle of the rounded points at a fraction of the cost of rounding each one (a loaded
    // or imported design of a million points is measured here). NaN rounds to 0, as it would
    // point by point.
    float minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    bool links = false;
    for (const TSP& p : *this) {
        const float x = p.X == p.X ? p.X : 0.0f, y = p.Y == p.Y ? p.Y : 0.0f;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
        links |= (p.Flags & SP_JUMP_LINK) != 0;
    }
    Bounds.IncludePoint(minX, minY);
    Bounds.IncludePoint(maxX, maxY);
    if (links)
        for (const TSP& p : *this) {
            float fx, fy;
            if ((p.Flags & SP_JUMP_LINK) && p.JumpExt() && p.JumpExt()->FarEnd(fx, fy))
                Bounds.IncludePoint(fx, fy);
        }
    Bounds.Inflate(std::max<int32_t>(1, ctx.SelectionMargin));
}

int32_t TSLStitch::HitPoint(float x, float y, const TStitchContext& ctx) const {
    double tol = std::max(1, ctx.PickTolerance);
    for (int32_t i = 0; i < Count(); ++i) {
        const TSP& p = (*this)[i];
        if (std::fabs(p.X - x) <= tol && std::fabs(p.Y - y) <= tol) return i;
    }
    return -1;
}

bool NearSegment(double x, double y, double ax, double ay, double bx, double by, double tol) {
    double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
    double px = ax + t * dx - x, py = ay + t * dy - y;
    return px * px + py * py <= tol * tol;
}

bool TSLStitch::HitTest(float x, float y, const TStitchContext& ctx, int32_t* pointIndex) const {
    if (pointIndex) *pointIndex = -1;
    if (!Bounds.ContainsPointF(x, y)) return false;
    int32_t i = HitPoint(x, y, ctx);
    if (i >= 0) {
        if (pointIndex) *pointIndex = i;
        return true;
    }
    return HitPath(x, y, ctx);
}

bool TSLStitch::HitPath(float x, float y, const TStitchContext& ctx) const {
    // A direct stitch object is hit on its stitches.
    double tol = std::max(1, ctx.PickTolerance);
    for (int32_t i = 1; i < Count(); ++i)
        if (NearSegment(x, y, (*this)[i - 1].X, (*this)[i - 1].Y, (*this)[i].X, (*this)[i].Y, tol))
            return true;
    return false;
}

void TSLStitch::Offset(float dx, float dy) {
    Bounds.Offset(RoundI(dx), RoundI(dy));
    if (JumpVia) {
        JumpVia->X += dx;
        JumpVia->Y += dy;
    }
    for (TSP& p : *this) {
        p.X += dx;
        p.Y += dy;
        if ((p.Flags & SP_JUMP_LINK) && p.JumpExt()) p.JumpExt()->Offset(dx, dy);
    }
}

void TSLStitch::SetColor(int32_t colour) {
    if (Empty()) return;
    (*this)[0].SetColour(colour);
}

int32_t TSLStitch::GetColor() const {
    return Empty() ? NO_COLOUR : (*this)[0].GetColour();
}

void TSLStitch::Mirror(bool horizontal, float cx, float cy) {
    auto flip = [&](TSP& p) {
        if (horizontal)
            p.X = 2 * cx - p.X;
        else
            p.Y = 2 * cy - p.Y;
    };
    for (TSP& p : *this)
        flip(p);
    if (JumpVia) flip(*JumpVia);
}

// ---- records ----

namespace {
// Limits read from a file are clamped into the dialog ranges.
uint32_t SaneLimits(uint32_t v) {
    int32_t mn = static_cast<int32_t>(v >> 16), mx = static_cast<int32_t>(v & 0xFFFF);
    mn = Clamp(mn, MIN_STITCH_LOW, MIN_STITCH_HIGH);
    mx = Clamp(mx, MAX_STITCH_LOW, MAX_STITCH_HIGH);
    return static_cast<uint32_t>(mn) << 16 | static_cast<uint32_t>(mx);
}

// The base record. The two forms keep their fields in different orders: the stream has
// OrderIndex and StitchLimits (always) after GroupId and no Bounds; the worksheet file has them
// after TatamiMin, StitchLimits from version 1005 on.
template <class IO, class S> void BaseFields(IO& io, S& s) {
    io.Field(s.Flags, s.GroupId);
    if (io.Stream()) io.Field(s.OrderIndex, s.StitchLimits);
    io.Field(s.Mark, s.StitchFlags, s.TatamiMin);
    if (!io.Stream()) {
        io.Field(s.OrderIndex);
        io.Since(kVersionStitchLimits, s.StitchLimits, DEFAULT_STITCH_LIMITS);
        io.Rect(s.Bounds);
    }
    io.Part(s.JumpVia, [&](auto& via) {
        io.Field(via.Flags);
        io.X(via.X);
        io.Y(via.Y);
        // The via-point is a plain point: no class marker, no jump.
        if constexpr (IO::Reading) via.Flags &= ~(SP_CLASS_MARKERS | SP_JUMP_BITS);
    });
    PointListFields(io, s);
    if constexpr (IO::Reading) {
        s.Flags &= ~OF_GENERATE_HIDDEN;
        s.StitchLimits = SaneLimits(s.StitchLimits);
    }
}
} // namespace

void TSLStitch::Record(TRecordWriter& io) const {
    BaseFields(io, *this);
}

void TSLStitch::Record(TRecordReader& io) {
    BaseFields(io, *this);
    // A direct stitch object or stitch list measures itself; subclasses finish their own reading.
    if (Kind() == KIND_STITCH) {
        TStitchContext sc;
        UpdateBounds(sc);
    }
}

void WriteObject(TRecordWriter& io, const TSLStitch& object) {
    io.Object(object);
}

std::unique_ptr<TSLStitch> ReadObject(TRecordReader& io) {
    std::unique_ptr<TSLStitch> obj;
    io.Object(obj, [&](uint8_t kind) -> std::unique_ptr<TSLStitch> {
        if (kind == 0 && io.Stream()) return nullptr; // the end of a stream of objects
        auto o = CreateObjectOfKind(kind);
        if (!o) throw TReadError("unknown object kind " + std::to_string(kind));
        return o;
    });
    return obj;
}

std::unique_ptr<TSLStitch> TStitchListOnly::operator()(uint8_t kind) const {
    if (kind != KIND_STITCH) throw TReadError(Error);
    return std::make_unique<TSLStitch>();
}

namespace {
std::unique_ptr<TSLStitch> ReadObjectIn(TByteReader& r, const TRecordContext& ctx, TRecordForm form) {
    TRecordReader io(r, ctx, form);
    return ReadObject(io);
}
void WriteObjectIn(TByteWriter& w, const TSLStitch& object, const TRecordContext& ctx, TRecordForm form) {
    TRecordWriter io(w, ctx, form);
    WriteObject(io, object);
}
} // namespace

std::unique_ptr<TSLStitch> ReadObjectRecord(TByteReader& r, const TRecordContext& ctx) {
    return ReadObjectIn(r, ctx, TRecordForm::Worksheet);
}
std::unique_ptr<TSLStitch> ReadObjectStream(TByteReader& r, const TRecordContext& ctx) {
    return ReadObjectIn(r, ctx, TRecordForm::Stream);
}
void WriteObjectRecord(TByteWriter& w, const TSLStitch& object, const TRecordContext& ctx) {
    WriteObjectIn(w, object, ctx, TRecordForm::Worksheet);
}
void WriteObjectStream(TByteWriter& w, const TSLStitch& object, const TRecordContext& ctx) {
    WriteObjectIn(w, object, ctx, TRecordForm::Stream);
}

// ---- start and end ----

int32_t TSLStitch::GetStartStitch(float& x, float& y) const {
    const TSLStitch* s = Stitches();
    if (!s || s->Empty()) return NO_COLOUR;
    x = (*s)[0].X;
    y = (*s)[0].Y;
    return (*s)[0].GetColour();
}

int32_t TSLStitch::GetEndStitch(float& x, float& y) const {
    const TSLStitch* s = Stitches();
    if (!s || s->Empty()) return NO_COLOUR;
    x = s->Last()->X;
    y = s->Last()->Y;
    return (*s)[0].GetColour();
}

bool TSLStitch::GetEntryPoint(float& x, float& y) const {
    if (Empty()) return false;
    x = (*this)[0].X;
    y = (*this)[0].Y;
    return true;
}

bool TSLStitch::GetExitPoint(float& x, float& y) const {
    if (Empty()) return false;
    x = Last()->X;
    y = Last()->Y;
    return true;
}

// ---- drawing ----

void TSLStitch::DrawPlain(TDrawContext& dc, int32_t colour) const {
    if (!dc.Target || Count() < 2) return;
    std::vector<TPointF> pts;
    pts.reserve(static_cast<size_t>(Count()));
    for (const TSP& p : *this)
        pts.push_back({dc.SX(p.X), dc.SY(p.Y)});
    dc.Target->SetPen(colour);
    dc.Target->Polyline(pts);
}

namespace {
bool HiddenByView(uint32_t f, const TViewToggles& v) {
    return (v.HideUnderStitching && (f & SP_UNDER)) || (v.HideUnderlay && (f & SP_UNDERLAY));
}

// Satin stitches too long for the machine to lay flat, drawn over in the highlight colour.
// Underlay and jumps are not satin work, and a stitch the view hides stays hidden.
void DrawLongStitches(const TSLStitch& s, TDrawContext& dc) {
    const auto limit = static_cast<float>(dc.View.LongStitchLimit);
    bool penSet = false;
    for (int32_t i = 1; i < s.Count(); ++i) {
        const TSP& a = s[i - 1];
        const TSP& b = s[i];
        if ((b.Flags & (SP_UNDERLAY | SP_JUMP)) || HiddenByView(a.Flags, dc.View) ||
            HiddenByView(b.Flags, dc.View))
            continue;
        if (!(std::fabs(b.X - a.X) > limit || std::fabs(b.Y - a.Y) > limit)) continue;
        if (!penSet) dc.Target->SetPen(HIGHLIGHT_COLOUR, 3.f);
        penSet = true;
        dc.Target->Line(dc.SX(a.X), dc.SY(a.Y), dc.SX(b.X), dc.SY(b.Y));
    }
}
} // namespace

void TSLStitch::DrawEdit(TDrawContext& dc) const {
    if (!dc.Target || Empty()) return;
    if (dc.ClipValid && !Bounds.empty && !Bounds.Intersects(dc.Clip)) return;
    // Runs of stitches of one colour are drawn as polylines.
    int32_t colour = GetColor();
    if (colour == NO_COLOUR) colour = DEFAULT_OBJECT_COLOUR;
    std::vector<TPointF> run;
    run.reserve(std::min<size_t>(static_cast<size_t>(Count()), 4096));
    auto flush = [&] {
        if (run.size() >= 2) {
            dc.Target->SetPen(colour, (Flags & OF_SELECTED_EDIT) ? 2.f : 1.f);
            dc.Target->Polyline(run);
        }
        run.clear();
    };
    for (const TSP& p : *this) {
        if (p.IsColourPoint() && p.ColourOrLink != NO_COLOUR && p.ColourOrLink != colour) {
            TPointF last = run.empty() ? TPointF{dc.SX(p.X), dc.SY(p.Y)} : run.back();
            flush();
            run.push_back(last);
            colour = p.ColourOrLink;
        }
        if (HiddenByView(p.Flags, dc.View)) {
            flush();
            continue;
        }
        run.push_back({dc.SX(p.X), dc.SY(p.Y)});
    }
    flush();
    if (dc.View.LongStitchLimit > 0) DrawLongStitches(*this, dc);
    if (dc.View.ShowStitchPoints) DrawStitchPoints(dc);
}

void TSLStitch::DrawLayout(TDrawContext& dc) const {
    DrawEdit(dc);
    if ((Flags & OF_SELECTED_LAYOUT) && dc.Selection) dc.Selection->UnionWith(GetPathBounds());
}

void TSLStitch::DrawStitchPoints(TDrawContext& dc) const {
    if (!dc.Target) return;
    const TViewToggles& v = dc.View;
    // With a marker grid, a point is marked only when both its stitches are long enough on the
    // screen for the thread to show beside the marker, and no other marker is near. Selected and
    // colour points are always marked: they are few and the user works with them.
    TMarkerGrid* grid = dc.Markers;
    const double near = grid && dc.Scale > 0.0 ? grid->Spacing() / dc.Scale : 0.0;
    auto close = [near](const TSP& a, const TSP& b) {
        return std::fabs(a.X - b.X) < near && std::fabs(a.Y - b.Y) < near;
    };
    const int32_t n = Count();
    for (int32_t i = 0; i < n; ++i) {
        const TSP& p = (*this)[i];
        if (HiddenByView(p.Flags, v)) continue;
        if (v.HideBoundaryPoints && (p.Flags & SP_BOUNDARY)) continue;
        if (v.HideFillPoints && (p.Flags & SP_FILL)) continue;
        const float x = dc.SX(p.X), y = dc.SY(p.Y);
        if (grid && !(p.Flags & SP_SELECTED) && !p.IsColourPoint()) {
            if ((i > 0 && close(p, (*this)[i - 1])) || (i + 1 < n && close(p, (*this)[i + 1]))) continue;
            if (!grid->Take(x, y)) continue;
        }
        int32_t c = (p.Flags & SP_SELECTED) ? 0x00FFFFFF : (p.IsColourPoint() ? 0x000000FF : 0x00404040);
        dc.Target->Marker(x, y, (p.Flags & SP_SELECTED) ? TMarker::FilledSquare : TMarker::Square,
                          dc.MarkerSize, c);
    }
}

// ---- generator helpers ----

namespace {
// Generators append many points: grow by at least 5000 slots, and geometrically so that a
// million appends stay linear.
void Grow(TSLStitch& s) {
    if (s.Count() == s.Capacity()) s.Reserve(std::max(s.Capacity() + 5000, s.Capacity() * 2));
}
} // namespace

TSP& TSLStitch::AppendPoint(uint32_t flags, int32_t index, float x, float y) {
    Grow(*this);
    return Insert(index, TSP::Plain(flags, x, y));
}

TSP& TSLStitch::AppendColourPoint(uint32_t flags, int32_t index, float x, float y, int32_t colour) {
    Grow(*this);
    return Insert(index, TSP::Colour(flags, x, y, colour));
}

bool TSLStitch::MarkColourStart(int32_t index) {
    if (index < 0 || index >= Count()) return false;
    TSP& p = (*this)[index];
    if (p.IsExtra()) return true;
    TSP c = TSP::Colour(p.Flags & ~SP_JUMP_BITS, p.X, p.Y, MARK_COLOUR);
    Replace(index, c);
    return true;
}

void TSLStitch::AppendCopy(const TSLStitch& source) {
    Flags = source.Flags;
    GroupId = source.GroupId;
    OrderIndex = source.OrderIndex;
    Mark = source.Mark;
    Bounds = source.Bounds;
    Reserve(Count() + source.Count());
    for (const TSP& p : source) {
        TSP q = DeepCopy(p);
        if (q.IsExtra()) {
            // Colour points keep their colour; the jump link stays with the original.
            if (q.OwnsExt()) delete q.Ext;
            q.Ext = nullptr;
            q.Flags &= ~SP_JUMP_BITS;
        }
        q.Flags |= SP_BOUNDARY;
        Append(q);
    }
}

void TSLStitch::RemoveShortStitches(double minLen) {
    // One pass with a held candidate point; equivalent to removing in place and re-testing the
    // same index, without the quadratic cost.
    auto& v = Raw();
    if (v.size() < 2) return;
    size_t w = 0;
    TSP cur = v[0];
    for (size_t j = 1; j < v.size(); ++j) {
        TSP& next = v[j];
        if ((cur.Flags & SP_UNDER) || Distance(cur, next) >= minLen) {
            v[w++] = cur;
            cur = next;
        } else if (!(cur.Flags & (SP_BOUNDARY | SP_EXTRA))) {
            Free(cur);
            cur = next;
        } else if ((next.Flags & SP_BOUNDARY) || (cur.Flags & SP_EXTRA)) {
            v[w++] = cur;
            cur = next;
        } else {
            Free(next);
        }
    }
    v[w++] = cur;
    v.resize(w);
}

void TSLStitch::SplitLongStitches(int32_t minLen, int32_t maxLen) {
    if (maxLen < 1) return; // no finite split possible
    auto& v = Raw();
    if (v.size() < 2) return;
    const double mx = maxLen, mn = std::max(0, minLen);
    // Count first, so the common case (nothing to split) costs no copy.
    double extra = 0;
    for (size_t i = 1; i < v.size(); ++i) {
        double c = Distance(v[i - 1], v[i]);
        if (std::isfinite(c) && c > mx && c - mx > mn) extra += std::ceil((c - mn) / mx);
    }
    if (extra == 0) return;
    if (extra > kMaxSplitPoints) throw TGenerationError("stitches too long to split");
    std::vector<TSP> out;
    out.reserve(v.size() + static_cast<size_t>(extra));
    out.push_back(v[0]);
    for (size_t i = 1; i < v.size(); ++i) {
        // Steps of exactly maxLen from the segment's start, counted up front: stepping
        // from the last rounded point never advances once the coordinates are too large
        // for a float to hold a step, and the count keeps the loop finite whatever comes.
        const TSP& a = v[i - 1];
        const TSP& b = v[i];
        double c = Distance(a, b);
        if (std::isfinite(c) && c > mx && c - mx > mn) {
            const auto steps = static_cast<size_t>(std::ceil((c - mx - mn) / mx));
            for (size_t k = 1; k <= steps; ++k) {
                double t = std::min(1.0, static_cast<double>(k) * mx / c);
                out.push_back(TSP::Plain(SP_FILL, static_cast<float>(a.X + (b.X - a.X) * t),
                                         static_cast<float>(a.Y + (b.Y - a.Y) * t)));
            }
        }
        out.push_back(b);
    }
    v.swap(out);
}

void TSLStitch::ApplyStitchLimits() {
    RemoveShortStitches(MinStitch());
    SplitLongStitches(MinStitch(), MaxStitch());
}

void TSLStitch::CleanColourChanges() {
    auto same = [](const TSP& a, const TSP& b) { return a.X == b.X && a.Y == b.Y; };
    auto& v = Raw();
    // Mark, then compact once.
    std::vector<char> drop(v.size(), 0);
    for (size_t i = 0; i < v.size(); ++i) {
        if (!v[i].IsColourPoint()) continue;
        for (size_t j = i + 1; j < v.size() && !v[j].IsExtra() && same(v[j], v[i]); ++j)
            drop[j] = 1;
        for (size_t j = i; j-- > 0 && !v[j].IsExtra() && same(v[j], v[j + 1]);)
            drop[j] = 1;
    }
    size_t k = 0;
    RemoveIf([&](const TSP&) { return drop[k++] != 0; });
    while (v.size() >= 2 && !v.back().IsExtra() && same(v.back(), v[v.size() - 2]))
        Delete(Count() - 1);
    if (!v.empty() && v.back().IsColourPoint()) Delete(Count() - 1);
}

void TSLStitch::TrimEndDuplicates() {
    if (Count() < 5) return;
    auto same = [](const TSP& a, const TSP& b) { return a.X == b.X && a.Y == b.Y; };
    int32_t n = 0;
    while (Count() - n > 2 && same((*this)[1 + n], (*this)[0]))
        ++n;
    if (n > 0) {
        auto& v = Raw();
        for (int32_t i = 1; i <= n; ++i)
            Free(v[static_cast<size_t>(i)]);
        v.erase(v.begin() + 1, v.begin() + 1 + n);
    }
    while (Count() > 2 && same(*Last(), (*this)[Count() - 2]))
        Delete(Count() - 1);
}

bool TSLStitch::DeleteSelectedPoint(int32_t index, const TStitchContext& ctx) {
    if (Count() <= 2 || index < 0 || index >= Count()) return false;
    Delete(index);
    UpdateBounds(ctx);
    return true;
}

// ---- Restitch ----

void Restitch(TSLStitch& object, const TStitchContext& ctx) {
    TSLStitch* obj = &object;
    if (obj->Flags & OF_RAIL_B) {
        TSLStitch* a = obj->Partner();
        if (!a || !a->Visible()) return;
        obj = a;
    }
    auto chain = obj->JumpChain();
    bool chained = chain.size() > 1 && !ctx.BatchTransform;
    try {
        if (!(obj->Flags & (OF_VISIBLE | OF_GENERATE_HIDDEN))) {
            if (chained) {
                for (TSLStitch* o : chain) {
                    o->Flags &= ~OF_VISIBLE;
                    o->FreeGenerated();
                }
            } else {
                obj->FreeGenerated();
            }
            return;
        }
        if (obj->Flags & (OF_RAIL_A | OF_RAIL_B)) {
            obj->GenerateColumn(ctx);
        } else if (chained) {
            for (TSLStitch* o : chain) {
                o->Flags |= OF_VISIBLE;
                o->GenerateOutline(ctx);
            }
        } else {
            obj->GenerateOutline(ctx);
        }
    } catch (const std::exception&) {
        // The object ends without stitches and the worksheet stays usable. Both the visible bit
        // and the transient generate bit are cleared, so nothing runs the generator again.
        if (ctx.OnGenerationError) ctx.OnGenerationError();
        obj->Flags &= ~(OF_VISIBLE | OF_GENERATE_HIDDEN);
        obj->FreeGenerated();
        if (chained)
            for (TSLStitch* o : chain)
                o->FreeGenerated();
    }
}

} // namespace nl
