#include "formats/Clipboard.h"

#include <string>

#include "core/Errors.h"
#include "core/FileVersion.h"
#include "core/RecordIO.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
// Smallest object stream record: the kind byte and more than a few fields; a count that could not
// fit in the bytes left is refused before anything is made.
constexpr size_t MIN_STREAM_OBJECT = 16;

int32_t MarkOf(const TSLCurve* c) {
    return c ? c->Mark : -1;
}
} // namespace

std::vector<uint8_t> ClipboardBytes(const std::vector<TSLStitch*>& objects, int32_t originX,
                                    int32_t originY) {
    // Region nodes name their outlines by position in the record.
    std::vector<int32_t> marks;
    marks.reserve(objects.size());
    for (size_t i = 0; i < objects.size(); ++i) {
        marks.push_back(objects[i]->Mark);
        objects[i]->Mark = static_cast<int32_t>(i);
    }
    TByteWriter w;
    w.I32(CLIPBOARD_OBJECTS_MAGIC);
    w.I32(kVersionCurrent);
    w.I32(static_cast<int32_t>(objects.size()));
    TRecordContext ctx;
    ctx.OriginX = originX;
    ctx.OriginY = originY;
    ctx.OutlineMarkOf = MarkOf;
    for (const TSLStitch* o : objects)
        WriteObjectStream(w, *o, ctx);
    w.U8(0);
    for (size_t i = 0; i < objects.size(); ++i)
        objects[i]->Mark = marks[i];
    return w.Data();
}

std::optional<std::vector<std::unique_ptr<TSLStitch>>>
ReadClipboard(std::span<const uint8_t> bytes, int32_t originX, int32_t originY, const TStitchContext& sctx) {
    if (bytes.size() < 4) return std::nullopt;
    TByteReader r(bytes);
    if (r.I32() != CLIPBOARD_OBJECTS_MAGIC) return std::nullopt;
    const int32_t version = r.I32();
    if (version < kVersionFirst || version > kVersionCurrent)
        throw TReadError("clipboard record version " + std::to_string(version) + " is not known");
    const int32_t count = r.Count(MIN_STREAM_OBJECT, "object count");
    TRecordContext ctx;
    ctx.OriginX = originX;
    ctx.OriginY = originY;
    ctx.Version = version;

    std::vector<std::unique_ptr<TSLStitch>> objects;
    objects.reserve(static_cast<size_t>(count));
    TSLCurve* pendingA = nullptr; // a rail A still waiting for its rail B
    for (;;) {
        const size_t at = r.Pos();
        const uint8_t kind = r.U8();
        if (kind == 0) break;
        if (kind != KIND_CURVE && kind != KIND_STITCH && kind != KIND_REGION)
            throw TReadError("object kind " + std::to_string(kind) + " cannot be pasted");
        if (static_cast<int32_t>(objects.size()) >= count)
            throw TReadError("more objects than the count says");
        r.Seek(at);
        std::unique_ptr<TSLStitch> o = ReadObjectStream(r, ctx);
        if (!o) throw TReadError("an object record is missing");
        auto* c = dynamic_cast<TSLCurve*>(o.get());
        const bool railA = c && (c->Flags & OF_RAIL_A), railB = c && (c->Flags & OF_RAIL_B);
        if (pendingA && !railB) throw TReadError("a curved column rail A without its rail B");
        if (railB) {
            if (!pendingA) throw TReadError("a curved column rail B without its rail A");
            LinkRails(*pendingA, *c, sctx);
            pendingA = nullptr;
        } else if (railA) {
            pendingA = c;
        }
        objects.push_back(std::move(o));
    }
    if (pendingA) throw TReadError("a curved column rail A without its rail B");
    if (static_cast<int32_t>(objects.size()) != count) throw TReadError("fewer objects than the count says");

    std::vector<TSLStitch*> raw;
    raw.reserve(objects.size());
    for (auto& o : objects)
        raw.push_back(o.get());
    // Everything is generated only once every reference holds.
    for (TSLStitch* o : raw)
        if (o->Kind() == KIND_REGION) static_cast<TSLRegion*>(o)->ResolveOutlines(raw);
    for (TSLStitch* o : raw) {
        if (o->Kind() == KIND_REGION) continue;
        if (o->Flags & OF_RAIL_B) continue; // generated with its rail A
        o->UpdateBounds(sctx);
        Restitch(*o, sctx);
    }
    for (TSLStitch* o : raw)
        if (o->Kind() == KIND_REGION) {
            o->UpdateBounds(sctx);
            Restitch(*o, sctx);
        }
    return objects;
}

} // namespace nl
