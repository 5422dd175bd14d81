// Worksheet-file and object-stream records of a single point and of a point list.
#pragma once
#include <cstdint>

#include "core/BinaryIO.h"
#include "core/Point.h"
#include "core/RecordIO.h"

namespace nl {

class TPointList;

// One point: in a worksheet file flags (which tell the class), X, Y and the class's own fields;
// in a stream a type code, flags, X and Y relative to the origin, and the colour of an extended
// point. Read back, the point owns its Ext (node data) and its flags agree with its class.
void PointFields(TRecordWriter& io, const TSP& p);
void PointFields(TRecordReader& io, TSP& p);
// A point list: the count, then the points (the list is replaced on reading).
void PointListFields(TRecordWriter& io, const TPointList& list);
void PointListFields(TRecordReader& io, TPointList& list);

// Worksheet record of one point.
void WritePointRecord(TByteWriter& w, const TSP& p, const TRecordContext& ctx);
TSP ReadPointRecord(TByteReader& r);
// Minimum size of a worksheet point record (for count checks).
constexpr size_t MIN_POINT_RECORD = 12;

// Stream record of one point.
void WritePointStream(TByteWriter& w, const TSP& p, const TRecordContext& ctx);
TSP ReadPointStream(TByteReader& r, const TRecordContext& ctx);
constexpr size_t MIN_POINT_STREAM = 13;

} // namespace nl
