// Worksheet-file and object-stream records of a single point.
#pragma once
#include <cstdint>

#include "core/BinaryIO.h"
#include "core/Point.h"

namespace nl {

class TSLCurve;

// What a record needs beyond the bytes: the stream origin and the file version.
struct TRecordContext {
    int32_t OriginX = 0; // StreamOrigin
    int32_t OriginY = 0;
    int32_t Version = 1011;
    // For region nodes: the list index of the node's outline (its Mark) when writing.
    int32_t (*OutlineMarkOf)(const TSLCurve*) = nullptr;
    // Nesting of object records inside object records (pattern copies hold objects); readers
    // refuse input nested deeper than a sane limit instead of recursing without bound.
    int32_t Depth = 0;
};

// Worksheet record: flags, X, Y, then the class's own fields.
void WritePointRecord(TByteWriter& w, const TSP& p, const TRecordContext& ctx);
// Reads one record; the class is chosen from the flags. The result owns its Ext (node data).
TSP ReadPointRecord(TByteReader& r);
// Minimum size of a worksheet point record (for count checks).
constexpr size_t MIN_POINT_RECORD = 12;

// Stream record: type code, flags, X - origin, Y - origin, then class fields.
void WritePointStream(TByteWriter& w, const TSP& p, const TRecordContext& ctx);
TSP ReadPointStream(TByteReader& r, const TRecordContext& ctx);
constexpr size_t MIN_POINT_STREAM = 13;

} // namespace nl
