// TSLStitch: the base of every embroidery object that owns stitch points.
// A plain TSLStitch is a direct stitch object, or the generated stitch list a curve or region owns.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/BinaryIO.h"
#include "core/KvRect.h"
#include "core/PointList.h"
#include "core/PointRecords.h"
#include "stitching/StitchContext.h"

namespace nl {

class TJumpLinks;

// Object kinds (the first byte of an object's record).
enum : uint8_t { KIND_CURVE = 1, KIND_STITCH = 2, KIND_REGION = 7, KIND_FONT = 24 };

// Stitch types (low five bits of StitchFlags).
enum : uint32_t { ST_NONE = 1, ST_RUNNING = 2, ST_TATAMI = 4, ST_SATIN = 8, ST_ZIGZAG = 16 };
constexpr uint32_t ST_MASK = 0x1F;

// Object flags.
enum : uint32_t {
    OF_SELECTED_EDIT = 0x1,
    OF_SELECTED_LAYOUT = 0x2,
    OF_DIRECT = 0x4,
    OF_NEEDLE_POINTS = 0x8,
    OF_RAIL_A = 0x10,
    OF_RAIL_B = 0x20,
    OF_RAIL_B_NOT_STARTED = 0x40,
    OF_RAIL_B_NOT_FINISHED = 0x80,
    OF_RUNNING = 0x100,
    OF_STITCH_FROM_END = 0x200,
    OF_VISIBLE = 0x400,
    OF_PATTERN_MEMBER = 0x2000,
    OF_SNAP_GRID = 0x4000,
    OF_RETURN_STITCH = 0x8000,
    OF_FEATHER = 0x10000,
    OF_REGION_MARK_1 = 0x20000,
    OF_REGION_MARK_2 = 0x40000,
    OF_HIGHLIGHT = 0x80000,
    OF_REGION = 0x100000,
    OF_COMPLEX_HOLE = 0x800000,
    OF_GENERATE_HIDDEN = 0x1000000,
    OF_REGION_OVERLAY = 0x2000000,
    OF_LOW_LEVEL_EDIT = 0x4000000,
    OF_SHORT_STITCHES = 0x8000000,
    OF_REBUILD_AFTER_TRANSFORM = 0x10000000, // stitching dropped while a rotation is dragged
    OF_HIGHLIGHT_COLOURS = 0x20000000,
    OF_NO_OVERLAYS = 0x40000000,
    OF_ALLOW_HOLES = 0x80000000,
};

// Stitch flags above the type bits.
enum : uint32_t {
    SF_PROG_STITCH = 0x20,
    SF_EDIT_OUTLINE = 0x40,
    SF_USE_OFFSET_B = 0x80,
    SF_FONT_EDIT = 0x1000,
    SF_WAS_VISIBLE = 0x2000,
    SF_A_SIDE = 0x20000,
    SF_B_SIDE = 0x40000,
    SF_USE_FILL = 0x100000,
    SF_MATCH_TOP = 0x200000,
    SF_MATCH_MIDDLE = 0x400000,
    SF_LINE_OBJECT = 0x1000000,
};

constexpr int32_t ORDER_NONE = -1;
constexpr int32_t ORDER_UNPLACED = 10000001;
constexpr uint32_t DEFAULT_STITCH_LIMITS = 0x000400DC;

// Ranges of the stitch length limits (units): values from files are clamped into these so that
// splitting long stitches always ends.
constexpr int32_t MIN_STITCH_LOW = 2, MIN_STITCH_HIGH = 220;
constexpr int32_t MAX_STITCH_LOW = 80, MAX_STITCH_HIGH = 400;

// The fields every stitch object carries besides its points. They sit in a block of their own so
// that copying them is one assignment (Assign, Clone) and a new field is copied without being
// listed again; the record lists them once in SLStitch.cpp.
struct TStitchFields {
    uint32_t Flags = 0;
    uint32_t StitchFlags = 0x60000;
    int32_t TatamiMin = 10;
    int32_t GroupId = 0;
    int32_t OrderIndex = ORDER_NONE;
    int32_t Mark = 0;
    TKvRect Bounds{.empty = true};
    int32_t SimIndex = 1;
    std::optional<TSP> JumpVia;
    uint32_t StitchLimits = DEFAULT_STITCH_LIMITS;
};

class TSLStitch : public TPointList, public TStitchFields {
public:
    TSLStitch() = default;
    TSLStitch(const TSLStitch&) = delete;
    TSLStitch& operator=(const TSLStitch&) = delete;
    TSLStitch(TSLStitch&&) = default;
    virtual ~TSLStitch() = default;

    uint32_t StitchType() const { return StitchFlags & ST_MASK; }
    void SetStitchTypeBits(uint32_t t) { StitchFlags = (StitchFlags & ~ST_MASK) | (t & ST_MASK); }
    int32_t MinStitch() const { return static_cast<int32_t>(StitchLimits >> 16); }
    int32_t MaxStitch() const { return static_cast<int32_t>(StitchLimits & 0xFFFF); }
    void SetStitchLimits(int32_t minLen, int32_t maxLen);
    bool Visible() const { return (Flags & OF_VISIBLE) != 0; }

    // ---- the virtual interface ----
    virtual uint8_t Kind() const { return KIND_STITCH; }
    virtual std::unique_ptr<TSLStitch> Clone() const;
    virtual void UpdateBounds(const TStitchContext& ctx);
    virtual TKvRect GetPathBounds() const { return Bounds; }
    virtual TKvRect GetExtent() const { return Bounds; }
    virtual TKvRect GetDrawExtent() const { return Bounds; }
    virtual TKvRect GetStitchBounds() const { return Bounds; }
    virtual TKvRect GetHitExtent() const { return Bounds; }
    virtual void Regenerate(const TStitchContext& ctx) { (void)ctx; }
    // Hit test at (x, y) with the pick tolerance; returns the index of the hit point or -1, and
    // whether the object was hit at all.
    virtual bool HitTest(float x, float y, const TStitchContext& ctx, int32_t* pointIndex = nullptr) const;
    virtual bool HitPath(float x, float y, const TStitchContext& ctx) const;
    virtual void SetVisible(bool on, const TStitchContext& ctx) {
        (void)on;
        (void)ctx;
    }
    virtual void ClearFlags(uint32_t mask) { Flags &= ~mask; }
    virtual void SetFlags(uint32_t mask) { Flags |= mask; }
    virtual void ToggleFlags(uint32_t mask) { Flags ^= mask; }
    virtual void Offset(float dx, float dy);
    virtual void SetColor(int32_t colour);
    virtual int32_t GetColor() const;
    virtual bool IsPath() const { return false; }
    virtual void Mirror(bool horizontal, float cx, float cy);
    virtual void Assign(const TSLStitch& source);

    // The object's record after its kind byte, in the form the io carries (worksheet file or
    // object stream). A subclass writes and reads the base record first, then its own fields.
    virtual void Record(TRecordWriter& io) const;
    virtual void Record(TRecordReader& io);

    // Start and end of the needle path; return the colour of the first point (NO_COLOUR when empty).
    virtual int32_t GetStartStitch(float& x, float& y) const;
    virtual int32_t GetEndStitch(float& x, float& y) const;
    virtual bool GetEntryPoint(float& x, float& y) const;
    virtual bool GetExitPoint(float& x, float& y) const;
    // The needle points that export and the simulator sew; null or empty when there are none.
    virtual const TSLStitch* Stitches() const { return this; }

    // Drawing (look is the program's own; selection bits and modes as described).
    virtual void DrawEdit(TDrawContext& dc) const;
    virtual void DrawLayout(TDrawContext& dc) const;
    virtual void DrawStitchPoints(TDrawContext& dc) const;
    void DrawPlain(TDrawContext& dc, int32_t colour) const;

    // Attribute setters that subclasses implement.
    virtual void SetStitchType(uint32_t type, const TStitchContext& ctx) {
        (void)type;
        (void)ctx;
    }
    virtual void SetDensity(float value, const TStitchContext& ctx) {
        (void)value;
        (void)ctx;
    }

    // ---- hooks the worksheet and Restitch use; later object kinds fill them in ----
    // Rail partner of a curved column (rail A <-> rail B), null otherwise.
    virtual TSLStitch* Partner() const { return nullptr; }
    // Outlines joined to this one by jumps, including itself; empty when not in a chain.
    virtual std::vector<TSLStitch*> JumpChain() const { return {}; }
    // The jump links of an outline joined to others (export walks the chain through them);
    // null when the object has none.
    virtual const TJumpLinks* JumpLinks() const { return nullptr; }
    // Outlines a region's boundary is built from.
    virtual std::vector<TSLStitch*> UsedOutlines() const { return {}; }
    // An outline with a feather or outline (width-profile) list stitches even without running.
    virtual bool HasOutlineStitching() const { return false; }
    // Generators: the outline generator (running / satin outline / region fill) and the curved
    // column generator (called on rail A).
    virtual void GenerateOutline(const TStitchContext& ctx) { (void)ctx; }
    virtual void GenerateColumn(const TStitchContext& ctx) { (void)ctx; }
    // Frees the generated stitch list.
    virtual void FreeGenerated() {}

    // ---- non-virtual operations used by the generators ----
    TSP& AppendPoint(uint32_t flags, int32_t index, float x, float y);
    TSP& AppendColourPoint(uint32_t flags, int32_t index, float x, float y, int32_t colour);
    // Makes the point at index a colour point (colour MARK_COLOUR) unless it already is one.
    bool MarkColourStart(int32_t index);
    void MoveAppend(TSLStitch& source, bool reversed) { TPointList::MoveAppend(source, reversed); }
    void AppendCopy(const TSLStitch& source);
    void SplitLongStitches(int32_t minLen, int32_t maxLen);
    void RemoveShortStitches(double minLen);
    void ApplyStitchLimits();
    void CleanColourChanges();
    void TrimEndDuplicates();
    void RemoveTinyStitches() { RemoveShortStitches(2.0); }
    bool DeleteSelectedPoint(int32_t index, const TStitchContext& ctx);

    // Copies the base fields (not the points); used by Assign and Clone.
    void CopyBaseFields(const TSLStitch& source) { static_cast<TStitchFields&>(*this) = source; }

protected:
    // Clone and Assign of a class T whose own fields are the block F: a new T assigned from this,
    // and the base (fields and points) followed by F when the source is a T too.
    template <class T> std::unique_ptr<TSLStitch> CloneAs() const {
        auto c = std::make_unique<T>();
        c->Assign(*this);
        return c;
    }
    template <class T, class F> static void AssignAs(T& self, const TSLStitch& source) {
        if (&source == &self) return;
        self.TSLStitch::Assign(source);
        if (auto* s = dynamic_cast<const T*>(&source)) static_cast<F&>(self) = *s;
    }

public:
    // Index of the first point within the pick tolerance of (x, y), or -1.
    int32_t HitPoint(float x, float y, const TStitchContext& ctx) const;
};

// True when (x, y) lies within tol of the segment a-b.
bool NearSegment(double x, double y, double ax, double ay, double bx, double by, double tol);

// Regenerates an object's stitches (after every change of geometry or attributes).
void Restitch(TSLStitch& object, const TStitchContext& ctx);

// Creates an empty object of the given kind for a loader; null for an unknown kind
// (stitching/ObjectFactory.cpp knows every kind).
std::unique_ptr<TSLStitch> CreateObjectOfKind(uint8_t kind);

// For the readers of a stitch list nested in another record (a curve's generated list, a
// region's fill): makes the list for the kind byte 2 and refuses every other kind with `Error`.
struct TStitchListOnly {
    const char* Error;
    std::unique_ptr<TSLStitch> operator()(uint8_t kind) const;
};

// One object's record including its kind byte, in the io's form; reading an unknown kind throws
// TReadError, and in a stream a kind byte 0 (the end of the objects) gives null.
void WriteObject(TRecordWriter& io, const TSLStitch& object);
std::unique_ptr<TSLStitch> ReadObject(TRecordReader& io);

// The same over a byte block: the worksheet record, and the object stream record.
std::unique_ptr<TSLStitch> ReadObjectRecord(TByteReader& r, const TRecordContext& ctx);
std::unique_ptr<TSLStitch> ReadObjectStream(TByteReader& r, const TRecordContext& ctx);
void WriteObjectRecord(TByteWriter& w, const TSLStitch& object, const TRecordContext& ctx);
void WriteObjectStream(TByteWriter& w, const TSLStitch& object, const TRecordContext& ctx);

} // namespace nl
