#include "core/PointRecords.h"

#include <string>

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

TPointClass ClassOfTypeCode(uint8_t code) {
    switch (code) {
    case TC_TSP:
        return TPointClass::Plain;
    case TC_TSPEXTRA:
        return TPointClass::Extra;
    case TC_TSPMODIFY:
        return TPointClass::Modify;
    case TC_TSPREGION:
        return TPointClass::Region;
    default:
        throw TReadError("unknown point type code " + std::to_string(code));
    }
}

// A region node after the point's flags: StartIndex, EndIndex, X, Y, the outline's mark,
// PercentA, PercentB, SegmentLength.
template <class IO, class P, class N> void NodeFields(IO& io, P& p, N& n) {
    int32_t mark = n.OutlineMark;
    if constexpr (!IO::Reading)
        if (n.Outline && io.Context().OutlineMarkOf) mark = io.Context().OutlineMarkOf(n.Outline);
    io.Field(n.StartIndex, n.EndIndex);
    io.X(p.X);
    io.Y(p.Y);
    io.Field(mark, n.PercentA, n.PercentB, n.SegmentLength);
    if constexpr (IO::Reading) n.OutlineMark = mark;
}

template <class IO, class P> void Fields(IO& io, P& p) {
    // The class: a writer knows it; a reader learns it from the type code or the flags.
    const bool stream = io.Stream();
    TPointClass c = IO::Reading ? TPointClass::Plain : p.Class();
    if (stream) {
        uint8_t code = IO::Reading ? 0 : p.TypeCode();
        io.Field(code);
        if constexpr (IO::Reading) c = ClassOfTypeCode(code);
    }
    io.Field(p.Flags);
    if constexpr (IO::Reading)
        if (!stream) c = ClassOfFlags(p.Flags);
    if (c == TPointClass::Region) {
        if constexpr (IO::Reading) {
            auto node = std::make_unique<TRegionNode>();
            NodeFields(io, p, *node);
            p.Ext = node.release();
        } else {
            static const TRegionNode none;
            const TRegionNode* n = NodeOf(p);
            NodeFields(io, p, n ? *n : none);
        }
    } else {
        io.X(p.X);
        io.Y(p.Y);
        if (c == TPointClass::Extra) {
            io.Field(p.ColourOrLink);
            // The jump is rebuilt after loading; its place is kept.
            if (!stream) io.template Unused<int32_t>();
        } else if (c == TPointClass::Modify && !stream) {
            // A stream leaves the two lengths behind: read back, both are 0.
            io.Field(p.Shortening, p.FullLength);
        }
    }
    if constexpr (IO::Reading) p.Flags = NormaliseFlags(p.Flags, c);
}

template <class IO, class L> void ListFields(IO& io, L& list) {
    int32_t n = list.Count();
    io.Count(n, io.Stream() ? MIN_POINT_STREAM : MIN_POINT_RECORD, "point count");
    if constexpr (IO::Reading) {
        list.Clear();
        list.Reserve(n);
        for (int32_t i = 0; i < n; ++i) {
            TSP p;
            Fields(io, p);
            list.Append(p);
        }
    } else {
        for (const TSP& p : list)
            Fields(io, p);
    }
}

} // namespace

void PointFields(TRecordWriter& io, const TSP& p) {
    Fields(io, p);
}
void PointFields(TRecordReader& io, TSP& p) {
    Fields(io, p);
}
void PointListFields(TRecordWriter& io, const TPointList& list) {
    ListFields(io, list);
}
void PointListFields(TRecordReader& io, TPointList& list) {
    ListFields(io, list);
}

void WritePointRecord(TByteWriter& w, const TSP& p, const TRecordContext& ctx) {
    TRecordWriter io(w, ctx, TRecordForm::Worksheet);
    Fields(io, p);
}

TSP ReadPointRecord(TByteReader& r) {
    TRecordReader io(r, TRecordContext{}, TRecordForm::Worksheet);
    TSP p;
    Fields(io, p);
    return p;
}

void WritePointStream(TByteWriter& w, const TSP& p, const TRecordContext& ctx) {
    TRecordWriter io(w, ctx, TRecordForm::Stream);
    Fields(io, p);
}

TSP ReadPointStream(TByteReader& r, const TRecordContext& ctx) {
    TRecordReader io(r, ctx, TRecordForm::Stream);
    TSP p;
    Fields(io, p);
    return p;
}

} // namespace nl
