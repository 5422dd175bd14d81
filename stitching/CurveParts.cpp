#include "stitching/CurveParts.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Errors.h"
#include "stitching/SLStitch.h"

namespace nl {

// ---- TFeather ----

namespace {
template <class IO, class F> void FeatherFields(IO& io, F& f) {
    io.Field(f.FeatherFlags, f.WidthA, f.WidthB, f.ScaleA, f.ScaleB, f.Seed);
}
} // namespace

void TFeather::Record(TRecordWriter& io) const {
    FeatherFields(io, *this);
}
void TFeather::Record(TRecordReader& io) {
    FeatherFields(io, *this);
}

// ---- TJump / TJumpList ----

bool TJump::FarEnd(float& x, float& y) const {
    if (!Reverse) return false;
    x = Reverse->X;
    y = Reverse->Y;
    return true;
}

namespace {
constexpr size_t JUMP_RECORD = 20;
} // namespace

void TJumpList::Record(TRecordWriter& io, int32_t maxSample) const {
    (void)maxSample;
    io.Field(Persisted, StitchIndex);
    io.Items(*this, JUMP_RECORD, "jump link count", [&](const TJump& j) {
        // The partner's id is its place in the records being written, when the link is resolved.
        int32_t partnerId = j.PartnerId;
        if (j.LinkedOutline && io.Context().OutlineMarkOf)
            partnerId = io.Context().OutlineMarkOf(j.LinkedOutline);
        io.Field(j.OwnIndex, j.PartnerIndex);
        io.X(j.X);
        io.Y(j.Y);
        io.Field(partnerId);
    });
}

void TJumpList::Record(TRecordReader& io, int32_t maxSample) {
    io.Field(Persisted, StitchIndex);
    int32_t n = 0;
    io.Count(n, JUMP_RECORD, "jump link count");
    Clear();
    for (int32_t i = 0; i < n; ++i) {
        auto j = std::make_unique<TJump>();
        io.Field(j->OwnIndex, j->PartnerIndex);
        io.X(j->X);
        io.Y(j->Y);
        io.Field(j->PartnerId);
        // A link beyond the path has no place to leave from: dropped (its partner's end goes when
        // the links are resolved, finding no partner).
        if (j->OwnIndex < 0 || j->OwnIndex > maxSample) continue;
        InsertSorted(std::move(j), true);
    }
    SetCurrent(nullptr);
}

std::unique_ptr<TJumpList> TJumpList::Clone() const {
    auto c = std::make_unique<TJumpList>();
    c->Persisted = Persisted;
    c->StitchIndex = StitchIndex;
    for (const auto& j : *this) {
        // The partner outline is kept (an undo puts the copy back on the same outline, and the
        // links are paired again then); the other end's record belongs to the original.
        auto k = std::make_unique<TJump>(*j);
        k->Reverse = nullptr;
        c->Add(std::move(k));
    }
    c->SetCurrent(nullptr);
    return c;
}

void TJumpList::Offset(float dx, float dy) {
    for (const auto& j : *this) {
        j->X += dx;
        j->Y += dy;
    }
}

TJump* TJumpList::InsertSorted(std::unique_ptr<TJump> jump, bool afterEqual) {
    int32_t at = Count();
    for (int32_t i = 0; i < Count(); ++i)
        if ((*this)[i]->OwnIndex > jump->OwnIndex ||
            (!afterEqual && (*this)[i]->OwnIndex == jump->OwnIndex)) {
            at = i;
            break;
        }
    return Insert(at, std::move(jump));
}

bool TJumpList::Remove(const TJump* jump) {
    int32_t i = IndexOf(jump);
    if (i < 0) return false;
    Delete(i);
    return true;
}

// ---- TObjectStitch ----

TObjectStitch::TObjectStitch() {
    Bounds.Set(0, 0, 799, 799);
}
TObjectStitch::TObjectStitch(const TObjectStitch&) = default;
TObjectStitch& TObjectStitch::operator=(const TObjectStitch&) = default;
TObjectStitch::~TObjectStitch() = default;

namespace {
// The item kinds a pattern copy may hold: outlines and direct stitch objects (two old codes of
// the latter are read as it).
std::unique_ptr<TSLStitch> CreatePatternItem(uint8_t kind) {
    if (kind == 3 || kind == 12) kind = KIND_STITCH;
    if (kind != KIND_CURVE && kind != KIND_STITCH) throw TReadError("Pattern Loading Error ");
    return CreateObjectOfKind(kind);
}

// Smallest item record: kind byte plus a few fields; used only to bound the item count.
constexpr size_t MIN_ITEM_RECORD = 8;

// The worksheet record carries the creator's frame fields and a version stamp; the stream only
// the pattern's own fields, with Bounds after them. A pattern file holds the worksheet record
// without the kind byte, and its drawing even when it is a creator's.
template <class IO, class P> void PatternFields(IO& io, P& p, bool file = false) {
    auto items = io.Nested(true); // a pattern's objects sit at its own origin
    const bool stream = io.Stream();
    if (!stream && !file) io.Field(p.SupportKind);
    if (!stream) io.Field(p.TypeCode, p.Color, p.FrameStyle, p.Locked, p.Layer, p.Extra);
    io.Field(p.Flags);
    bool editPointsFollow = true;
    if (!stream) {
        io.Rect(p.Bounds);
        // Writers stamp the file's version. A pattern from before the stamp holds EditPoints here.
        int32_t stamp = io.Context().Version;
        io.Field(stamp);
        if constexpr (IO::Reading) {
            editPointsFollow = stamp >= kVersionFirst;
            p.Version = editPointsFollow ? stamp : kVersionUnstamped;
            if (!editPointsFollow) p.EditPoints = stamp;
        }
    }
    if (editPointsFollow) io.Field(p.EditPoints);
    io.Field(p.PatternWidth, p.PatternHeight, p.PatternAngle);
    if constexpr (IO::Reading) {
        // Tile sizes out of 2 .. 60 mm (0 among them, which would divide by zero) are brought in.
        p.PatternWidth = std::clamp(p.PatternWidth, 40, 1200);
        p.PatternHeight = std::clamp(p.PatternHeight, 40, 1200);
        p.EditPoints = std::clamp(p.EditPoints, 1, 70);
        if (!std::isfinite(p.PatternAngle)) p.PatternAngle = 0.f;
    }
    if (stream) io.Rect(p.Bounds);
    // A pattern copy holds its objects; a creator's header only their number.
    if (p.IsCopy() || file) {
        items.Items(p.Items, MIN_ITEM_RECORD, "pattern item count",
                    [&](auto& item) { items.Object(item, CreatePatternItem); });
        if constexpr (IO::Reading) p.ItemCount = static_cast<int32_t>(p.Items.size());
    } else {
        io.Field(p.ItemCount);
        if constexpr (IO::Reading) {
            p.Items.clear();
            if (p.ItemCount < 0) throw TReadError("negative pattern item count");
        }
    }
}
} // namespace

void TObjectStitch::Record(TRecordWriter& io) const {
    PatternFields(io, *this);
}
void TObjectStitch::Record(TRecordReader& io) {
    PatternFields(io, *this);
}
void TObjectStitch::FileRecord(TRecordWriter& io) const {
    PatternFields(io, *this, true);
}
void TObjectStitch::FileRecord(TRecordReader& io) {
    PatternFields(io, *this, true);
}

} // namespace nl
