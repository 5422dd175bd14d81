#include "core/PointRecords.h"

#include "core/Errors.h"
#include "core/PointList.h"
#include "core/RegionNode.h"

namespace nl {

TRegionNode& EnsureNode(TSP& p) {
    if (!p.Ext) p.Ext = new TRegionNode();
    return *static_cast<TRegionNode*>(p.Ext);
}

const TRegionNode* NodeOf(const TSP& p) {
    return p.Class() == TPointClass::Region ? static_cast<const TRegionNode*>(p.Ext) : nullptr;
}

namespace {

// Makes the flags agree with the class the record was read as: other class markers are
// dropped, and jump bits survive only on a point that can hold a jump.
uint32_t NormaliseFlags(uint32_t flags, TPointClass c) {
    flags &= ~SP_CLASS_MARKERS;
    flags |= MarkerOfClass(c);
    if (c != TPointClass::Extra) flags &= ~SP_JUMP_BITS;
    return flags;
}

// A node record after its flags word: StartIndex, EndIndex, X, Y, outline mark, PercentA, PercentB,
// SegmentLength (4 bytes each); X and Y relative to (ox, oy).
void WriteNodeBody(TByteWriter& w, const TSP& p, const TRecordContext& ctx, int32_t ox, int32_t oy) {
    const TRegionNode* n = NodeOf(p);
    TRegionNode empty;
    if (!n) n = &empty;
    int32_t mark = n->OutlineMark;
    if (n->Outline && ctx.OutlineMarkOf) mark = ctx.OutlineMarkOf(n->Outline);
    w.I32(n->StartIndex);
    w.I32(n->EndIndex);
    w.F32(static_cast<float>(p.X - ox));
    w.F32(static_cast<float>(p.Y - oy));
    w.I32(mark);
    w.F32(n->PercentA);
    w.F32(n->PercentB);
    w.F32(n->SegmentLength);
}

void ReadNodeBody(TByteReader& r, TSP& p, int32_t ox, int32_t oy) {
    auto node = std::make_unique<TRegionNode>();
    node->StartIndex = r.I32();
    node->EndIndex = r.I32();
    p.X = static_cast<float>(r.F32() + static_cast<double>(ox));
    p.Y = static_cast<float>(r.F32() + static_cast<double>(oy));
    node->OutlineMark = r.I32();
    node->PercentA = r.F32();
    node->PercentB = r.F32();
    node->SegmentLength = r.F32();
    p.Ext = node.release();
}

} // namespace

void WritePointRecord(TByteWriter& w, const TSP& p, const TRecordContext& ctx) {
    w.U32(p.Flags);
    if (p.Class() == TPointClass::Region) {
        WriteNodeBody(w, p, ctx, 0, 0);
        return;
    }
    w.F32(p.X);
    w.F32(p.Y);
    switch (p.Class()) {
    case TPointClass::Extra:
        w.I32(p.ColourOrLink);
        w.I32(0); // jump placeholder
        break;
    case TPointClass::Modify:
        w.F32(p.Shortening);
        w.F32(p.FullLength);
        break;
    default:
        break;
    }
}

TSP ReadPointRecord(TByteReader& r) {
    TSP p;
    uint32_t flags = r.U32();
    TPointClass c = ClassOfFlags(flags);
    if (c == TPointClass::Region) {
        ReadNodeBody(r, p, 0, 0);
        p.Flags = NormaliseFlags(flags, c);
        return p;
    }
    p.X = r.F32();
    p.Y = r.F32();
    switch (c) {
    case TPointClass::Extra:
        p.ColourOrLink = r.I32();
        r.I32(); // jump placeholder: jumps are rebuilt after loading
        break;
    case TPointClass::Modify:
        p.Shortening = r.F32();
        p.FullLength = r.F32();
        break;
    default:
        break;
    }
    p.Flags = NormaliseFlags(flags, c);
    return p;
}

void WritePointStream(TByteWriter& w, const TSP& p, const TRecordContext& ctx) {
    w.U8(p.TypeCode());
    w.U32(p.Flags);
    if (p.Class() == TPointClass::Region) {
        WriteNodeBody(w, p, ctx, ctx.OriginX, ctx.OriginY);
        return;
    }
    w.F32(static_cast<float>(p.X - ctx.OriginX));
    w.F32(static_cast<float>(p.Y - ctx.OriginY));
    if (p.Class() == TPointClass::Extra) w.I32(p.ColourOrLink);
}

TSP ReadPointStream(TByteReader& r, const TRecordContext& ctx) {
    uint8_t code = r.U8();
    TPointClass c;
    switch (code) {
    case TC_TSP:
        c = TPointClass::Plain;
        break;
    case TC_TSPEXTRA:
        c = TPointClass::Extra;
        break;
    case TC_TSPMODIFY:
        c = TPointClass::Modify;
        break;
    case TC_TSPREGION:
        c = TPointClass::Region;
        break;
    default:
        throw TReadError("unknown point type code " + std::to_string(code));
    }
    TSP p;
    uint32_t flags = r.U32();
    if (c == TPointClass::Region) {
        ReadNodeBody(r, p, ctx.OriginX, ctx.OriginY);
        p.Flags = NormaliseFlags(flags, c);
        return p;
    }
    p.X = static_cast<float>(r.F32() + static_cast<double>(ctx.OriginX));
    p.Y = static_cast<float>(r.F32() + static_cast<double>(ctx.OriginY));
    if (c == TPointClass::Extra) p.ColourOrLink = r.I32();
    // A shortened point carries no extra fields in a stream: Shortening = FullLength = 0.
    p.Flags = NormaliseFlags(flags, c);
    return p;
}

} // namespace nl
