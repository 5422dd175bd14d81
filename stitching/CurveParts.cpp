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

// ---- TJumpList ----

namespace {
constexpr size_t JUMP_RECORD = 20;

template <class IO, class J> void JumpListFields(IO& io, J& list, int32_t maxSample) {
    io.Field(list.Persisted, list.StitchIndex);
    io.Items(list.Items, JUMP_RECORD, "jump link count", [&](auto& j) {
        io.Field(j.OwnIndex, j.PartnerIndex);
        io.X(j.X);
        io.Y(j.Y);
        io.Field(j.PartnerId);
        if constexpr (IO::Reading)
            if (j.OwnIndex < 0 || j.OwnIndex > maxSample) throw TReadError("jump link position out of range");
    });
}
} // namespace

void TJumpList::Record(TRecordWriter& io, int32_t maxSample) const {
    JumpListFields(io, *this, maxSample);
}
void TJumpList::Record(TRecordReader& io, int32_t maxSample) {
    JumpListFields(io, *this, maxSample);
}

std::unique_ptr<TJumpList> TJumpList::Clone() const {
    auto c = std::make_unique<TJumpList>(*this);
    for (TJump& j : c->Items) {
        j.LinkedOutline = nullptr;
        j.Reverse = nullptr;
    }
    return c;
}

void TJumpList::Offset(float dx, float dy) {
    for (TJump& j : Items) {
        j.X += dx;
        j.Y += dy;
    }
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
// the pattern's own fields, with Bounds after them.
template <class IO, class P> void PatternFields(IO& io, P& p) {
    auto items = io.Nested(true); // a pattern's objects sit at its own origin
    const bool stream = io.Stream();
    if (!stream) io.Field(p.SupportKind, p.TypeCode, p.Color, p.FrameStyle, p.Locked, p.Layer, p.Extra);
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
    if (p.IsCopy()) {
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

} // namespace nl
