#include "formats/Clipboard.h"

#include <set>
#include <string>

#include "core/Errors.h"
#include "core/FileVersion.h"
#include "core/RecordIO.h"
#include "regions/JumpNodes.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
// Smallest object stream record: the kind byte and more than a few fields; a count that could not
// fit in the bytes left is refused before anything is made.
constexpr size_t MIN_STREAM_OBJECT = 16;

// The objects being written: an outline outside them has no place in the record, so a jump link
// to it is written with no partner (-1) and dropped on both sides when the record is read.
thread_local const std::set<const TSLStitch*>* tWritten = nullptr;

int32_t MarkOf(const TSLCurve* c) {
    if (!c || (tWritten && !tWritten->count(c))) return -1;
    return c->Mark;
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
    const std::set<const TSLStitch*> written(objects.begin(), objects.end());
    struct TWriting {
        explicit TWriting(const std::set<const TSLStitch*>& s) { tWritten = &s; }
        ~TWriting() { tWritten = nullptr; }
    } writing(written);
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
        // Every kind an object can be made of is read back: what Copy writes, Paste takes.
        if (!CreateObjectOfKind(kind))
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
    // Everything is generated only once every reference holds. Jump links name their partners by
    // place in the record: links between copied outlines join the copies; a link whose other end
    // was not copied goes on both sides, so that no copy keeps a link without its other end.
    ResolveJumps(raw);
    for (TSLStitch* o : raw)
        if (o->Kind() == KIND_REGION) static_cast<TSLRegion*>(o)->ResolveOutlines(raw);
    TStitchContext single = sctx;
    single.BatchTransform = true; // every member of a chain is in the list: each is generated once
    for (TSLStitch* o : raw) {
        if (o->Kind() == KIND_REGION) continue;
        if (o->Flags & OF_RAIL_B) continue; // generated with its rail A
        o->UpdateBounds(sctx);
        const bool linked = o->Kind() == KIND_CURVE && static_cast<TSLCurve*>(o)->Jumps;
        Restitch(*o, linked ? single : sctx);
    }
    for (TSLStitch* o : raw)
        if (o->Kind() == KIND_REGION) {
            o->UpdateBounds(sctx);
            Restitch(*o, sctx);
        }
    return objects;
}

} // namespace nl
