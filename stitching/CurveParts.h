// The parts a curve record embeds besides its width profile: feather settings, jump links and
// the stitch pattern copy. They are carried as data (read, written, copied) so that files keep
// them; the behaviour built on them lives with the feather, jump and pattern generators.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/DeepPtr.h"
#include "core/FileVersion.h"
#include "core/KvRect.h"
#include "core/ObList.h"
#include "core/Point.h"
#include "core/RecordIO.h"

namespace nl {

class TSLCurve;
class TSLStitch;

// Feather settings of a curved column or satin outline: a 24-byte record in files and streams.
class TFeather {
public:
    uint32_t FeatherFlags = 0;
    int32_t WidthA = 20;
    int32_t WidthB = 20;
    float ScaleA = 0.7f;
    float ScaleB = 0.7f;
    int32_t Seed = 0;

    void Record(TRecordWriter& io) const;
    void Record(TRecordReader& io);
    std::unique_ptr<TFeather> Clone() const { return std::make_unique<TFeather>(*this); }
    bool operator==(const TFeather&) const = default;
};

// One end of a jump link between two outlines. A link exists twice, once in each outline's list,
// the two ends knowing each other through Reverse. A jump point of a generated stitch list refers
// to its link through the point's heap part, so a TJump is one.
struct TJump : public TPointExt {
    TSLCurve* LinkedOutline = nullptr; // resolved after loading; not owned
    int32_t OwnIndex = 0;              // sample index on this outline's path
    int32_t PartnerIndex = 0;          // sample index on the partner's path
    int32_t PointIndex = 0;            // index of the jump point in the generated list; not stored
    float X = 0.f, Y = 0.f;
    TJump* Reverse = nullptr; // the partner's record of the same link; not owned
    int32_t PartnerId = 0;    // Mark of the linked outline

    TJump() = default;
    TJump(TSLCurve* linked, int32_t own, int32_t partner, float x, float y, int32_t partnerId)
        : LinkedOutline(linked), OwnIndex(own), PartnerIndex(partner), X(x), Y(y), PartnerId(partnerId) {}
    TJump(const TJump&) = default;
    TJump& operator=(const TJump&) = default;

    // A copy carried by a landing point keeps where it leads.
    std::unique_ptr<TPointExt> Clone() const override { return std::make_unique<TJump>(*this); }
    // The far end of the link: the partner's link point.
    bool FarEnd(float& x, float& y) const override;

    bool operator==(const TJump& o) const {
        return OwnIndex == o.OwnIndex && PartnerIndex == o.PartnerIndex && X == o.X && Y == o.Y &&
               PartnerId == o.PartnerId;
    }
};

// An outline's jump links, sorted by OwnIndex ascending. Items are owned one by one, so the
// references between the two ends of a link and from jump points stay valid while links come
// and go.
class TJumpList : public TObList<TJump> {
public:
    int32_t Persisted = 0; // written back unchanged
    int32_t StitchIndex = -1;

    // The record (positions relative to the origin in a stream). Links whose own sample index is
    // outside 0..`maxSample` (the path's last sample) are dropped when reading; the partner side
    // is checked when the links are resolved. Writing stores the partner's id from the context
    // when the link is resolved.
    void Record(TRecordWriter& io, int32_t maxSample) const;
    void Record(TRecordReader& io, int32_t maxSample);
    // A copy that keeps each link's outline but not its other end (see RelinkJumps).
    std::unique_ptr<TJumpList> Clone() const;
    void Offset(float dx, float dy);
    // Inserts before the first link whose OwnIndex is >= the new one's (else at the end); with
    // `afterEqual`, after the links of the same OwnIndex (reading keeps a file's order).
    TJump* InsertSorted(std::unique_ptr<TJump> jump, bool afterEqual = false);
    // Removes (and frees) a link; false when it is not in the list.
    bool Remove(const TJump* jump);
    bool Contains(const TJump* jump) const { return IndexOf(jump) >= 0; }
};

// A stitch pattern copy (or a creator's header) as embedded in a curve record.
class TObjectStitch {
public:
    TObjectStitch();
    TObjectStitch(const TObjectStitch&);
    TObjectStitch& operator=(const TObjectStitch&);
    ~TObjectStitch();

    uint8_t SupportKind = 3; // the kind byte written in front of the record
    uint8_t TypeCode = 2;
    int32_t Color = 0xEBEBEB;
    uint8_t FrameStyle = 1;
    uint8_t Locked = 0;
    uint8_t Layer = 0;
    int32_t Extra = 1;
    uint32_t Flags = 0x10 | 0x400;
    TKvRect Bounds;
    int32_t Version = kVersionCurrent;
    int32_t EditPoints = 16;
    int32_t PatternWidth = 200;
    int32_t PatternHeight = 200;
    float PatternAngle = 0.f;
    int32_t ItemCount = 0; // as stored; equals Items.size() for a pattern copy
    std::vector<TDeepPtr<TSLStitch>> Items;

    static constexpr uint32_t PATTERN_COPY = 0x8;
    bool IsCopy() const { return (Flags & PATTERN_COPY) != 0; }

    // The record: in a worksheet file with the leading kind byte and the creator's frame fields,
    // in a stream only the pattern fields (the objects at origin 0).
    void Record(TRecordWriter& io) const;
    void Record(TRecordReader& io);
    // The pattern file form: the worksheet record from its type code on (no kind byte in front),
    // with the drawing always included, whether this is a copy or a creator's pattern.
    void FileRecord(TRecordWriter& io) const;
    void FileRecord(TRecordReader& io);
    std::unique_ptr<TObjectStitch> Clone() const { return std::make_unique<TObjectStitch>(*this); }
};

} // namespace nl
