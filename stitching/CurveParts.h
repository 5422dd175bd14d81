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

// One end of a jump link between two outlines.
struct TJump {
    TSLCurve* LinkedOutline = nullptr; // resolved after loading; not owned
    int32_t OwnIndex = 0;              // sample index on this outline's path
    int32_t PartnerIndex = 0;          // sample index on the partner's path
    int32_t PointIndex = 0;            // index of the jump point in the generated list; not stored
    float X = 0.f, Y = 0.f;
    TJump* Reverse = nullptr; // the partner's record of the same link; not owned
    int32_t PartnerId = 0;    // Mark of the linked outline

    bool operator==(const TJump& o) const {
        return OwnIndex == o.OwnIndex && PartnerIndex == o.PartnerIndex && X == o.X && Y == o.Y &&
               PartnerId == o.PartnerId;
    }
};

// An outline's jump links, sorted by OwnIndex.
class TJumpList {
public:
    int32_t Persisted = 0; // written back unchanged
    int32_t StitchIndex = -1;
    std::vector<TJump> Items;

    // The record (positions relative to the origin in a stream); `maxSample` bounds the sample
    // indices read (the path's last sample).
    void Record(TRecordWriter& io, int32_t maxSample) const;
    void Record(TRecordReader& io, int32_t maxSample);
    // A copy without the resolved references.
    std::unique_ptr<TJumpList> Clone() const;
    void Offset(float dx, float dy);
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
    std::unique_ptr<TObjectStitch> Clone() const { return std::make_unique<TObjectStitch>(*this); }
};

} // namespace nl
