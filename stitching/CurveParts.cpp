#include "stitching/CurveParts.h"

#include <string>

#include "core/Errors.h"
#include "stitching/SLStitch.h"

namespace nl {

// ---- TFeather ----

void TFeather::Write(TByteWriter& w) const {
    w.U32(FeatherFlags);
    w.I32(WidthA);
    w.I32(WidthB);
    w.F32(ScaleA);
    w.F32(ScaleB);
    w.I32(Seed);
}

void TFeather::Read(TByteReader& r) {
    FeatherFlags = r.U32();
    WidthA = r.I32();
    WidthB = r.I32();
    ScaleA = r.F32();
    ScaleB = r.F32();
    Seed = r.I32();
}

// ---- TJumpList ----

namespace {
constexpr size_t JUMP_RECORD = 20;

void CheckSample(int32_t s, int32_t maxSample, const char* what) {
    if (s < 0 || s > maxSample) throw TReadError(std::string("jump link ") + what + " out of range");
}
} // namespace

void TJumpList::Write(TByteWriter& w) const {
    w.I32(Persisted);
    w.I32(StitchIndex);
    w.I32(static_cast<int32_t>(Items.size()));
    for (const TJump& j : Items) {
        w.I32(j.OwnIndex);
        w.I32(j.PartnerIndex);
        w.F32(j.X);
        w.F32(j.Y);
        w.I32(j.PartnerId);
    }
}

void TJumpList::Read(TByteReader& r, int32_t maxSample) {
    Persisted = r.I32();
    StitchIndex = r.I32();
    int32_t n = r.Count(JUMP_RECORD, "jump link count");
    Items.clear();
    Items.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        TJump j;
        j.OwnIndex = r.I32();
        j.PartnerIndex = r.I32();
        j.X = r.F32();
        j.Y = r.F32();
        j.PartnerId = r.I32();
        CheckSample(j.OwnIndex, maxSample, "position");
        Items.push_back(j);
    }
}

void TJumpList::WriteStream(TByteWriter& w, const TRecordContext& ctx) const {
    w.I32(Persisted);
    w.I32(StitchIndex);
    w.I32(static_cast<int32_t>(Items.size()));
    for (const TJump& j : Items) {
        w.I32(j.OwnIndex);
        w.I32(j.PartnerIndex);
        w.F32(static_cast<float>(j.X - static_cast<double>(ctx.OriginX)));
        w.F32(static_cast<float>(j.Y - static_cast<double>(ctx.OriginY)));
        w.I32(j.PartnerId);
    }
}

void TJumpList::ReadStream(TByteReader& r, const TRecordContext& ctx, int32_t maxSample) {
    Read(r, maxSample);
    for (TJump& j : Items) {
        j.X = static_cast<float>(j.X + static_cast<double>(ctx.OriginX));
        j.Y = static_cast<float>(j.Y + static_cast<double>(ctx.OriginY));
    }
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
TObjectStitch::~TObjectStitch() = default;

namespace {
// The item kinds a pattern copy may hold: outlines and direct stitch objects (two old codes of
// the latter are read as it).
std::unique_ptr<TSLStitch> CreatePatternItem(uint8_t kind) {
    if (kind == 3 || kind == 12) kind = KIND_STITCH;
    if (kind != KIND_CURVE && kind != KIND_STITCH) throw TReadError("Pattern Loading Error ");
    return CreateObjectOfKind(kind);
}

TRecordContext Nested(const TRecordContext& ctx) {
    if (ctx.Depth >= MAX_RECORD_DEPTH) throw TReadError("stitch patterns nested too deeply");
    TRecordContext c = ctx;
    c.Depth = ctx.Depth + 1;
    return c;
}

// Smallest item record: kind byte plus a few fields; used only to bound the item count.
constexpr size_t MIN_ITEM_RECORD = 8;
} // namespace

void TObjectStitch::Write(TByteWriter& w, const TRecordContext& ctx) const {
    w.U8(SupportKind);
    w.U8(TypeCode);
    w.I32(Color);
    w.U8(FrameStyle);
    w.U8(Locked);
    w.U8(Layer);
    w.I32(Extra);
    w.U32(Flags);
    Bounds.WriteTo(w);
    w.I32(ctx.Version);
    w.I32(EditPoints);
    w.I32(PatternWidth);
    w.I32(PatternHeight);
    w.F32(PatternAngle);
    if (IsCopy()) {
        w.I32(static_cast<int32_t>(Items.size()));
        for (const auto& item : Items)
            WriteObjectRecord(w, *item, ctx);
    } else {
        w.I32(ItemCount);
    }
}

void TObjectStitch::Read(TByteReader& r, const TRecordContext& ctx) {
    TRecordContext inner = Nested(ctx);
    SupportKind = r.U8();
    TypeCode = r.U8();
    Color = r.I32();
    FrameStyle = r.U8();
    Locked = r.U8();
    Layer = r.U8();
    Extra = r.I32();
    Flags = r.U32();
    Bounds.ReadFrom(r);
    int32_t v = r.I32();
    if (v < 1000) { // written before the version field: the value is EditPoints itself
        Version = 999;
        EditPoints = v;
    } else {
        Version = v;
        EditPoints = r.I32();
    }
    PatternWidth = r.I32();
    PatternHeight = r.I32();
    PatternAngle = r.F32();
    Items.clear();
    if (IsCopy()) {
        ItemCount = r.Count(MIN_ITEM_RECORD, "pattern item count");
        for (int32_t i = 0; i < ItemCount; ++i) {
            auto item = CreatePatternItem(r.U8());
            item->Load(r, inner);
            Items.push_back(std::move(item));
        }
    } else {
        ItemCount = r.I32();
        if (ItemCount < 0) throw TReadError("negative pattern item count");
    }
}

void TObjectStitch::WriteStream(TByteWriter& w, const TRecordContext& ctx) const {
    w.U32(Flags);
    w.I32(EditPoints);
    w.I32(PatternWidth);
    w.I32(PatternHeight);
    w.F32(PatternAngle);
    Bounds.WriteRelative(w, ctx.OriginX, ctx.OriginY);
    TRecordContext zero = ctx;
    zero.OriginX = zero.OriginY = 0;
    if (IsCopy()) {
        w.I32(static_cast<int32_t>(Items.size()));
        for (const auto& item : Items)
            WriteObjectStream(w, *item, zero);
    } else {
        w.I32(ItemCount);
    }
}

void TObjectStitch::ReadStream(TByteReader& r, const TRecordContext& ctx) {
    TRecordContext inner = Nested(ctx);
    inner.OriginX = inner.OriginY = 0;
    Flags = r.U32();
    EditPoints = r.I32();
    PatternWidth = r.I32();
    PatternHeight = r.I32();
    PatternAngle = r.F32();
    Bounds.ReadRelative(r, ctx.OriginX, ctx.OriginY);
    Items.clear();
    if (IsCopy()) {
        ItemCount = r.Count(MIN_ITEM_RECORD, "pattern item count");
        for (int32_t i = 0; i < ItemCount; ++i) {
            auto item = CreatePatternItem(r.U8());
            item->ReadStream(r, inner);
            Items.push_back(std::move(item));
        }
    } else {
        ItemCount = r.I32();
        if (ItemCount < 0) throw TReadError("negative pattern item count");
    }
}

std::unique_ptr<TObjectStitch> TObjectStitch::Clone() const {
    auto c = std::make_unique<TObjectStitch>();
    c->SupportKind = SupportKind;
    c->TypeCode = TypeCode;
    c->Color = Color;
    c->FrameStyle = FrameStyle;
    c->Locked = Locked;
    c->Layer = Layer;
    c->Extra = Extra;
    c->Flags = Flags;
    c->Bounds = Bounds;
    c->Version = Version;
    c->EditPoints = EditPoints;
    c->PatternWidth = PatternWidth;
    c->PatternHeight = PatternHeight;
    c->PatternAngle = PatternAngle;
    c->ItemCount = ItemCount;
    for (const auto& item : Items)
        c->Items.push_back(item->Clone());
    return c;
}

} // namespace nl
