// Stitch points: one compact by-value record per point, its class recoverable from the flags.
//
// A design holds hundreds of thousands of points, so a point is 24 bytes with no heap
// allocation of its own. The four point classes share the record:
//   TSP        flags, X, Y
//   TSPExtra   + ColourOrLink, Jump         (SP_EXTRA)
//   TSPModify  + Shortening, FullLength     (SP_MODIFY, no SP_EXTRA)
//   TSPRegion  + node fields behind Ext     (SP_REGION_NODE, neither of the above)
// Jumps and region node data are the only parts kept on the heap; the owning TPointList frees
// them (see OwnsExt).
#pragma once
#include <cstdint>
#include <memory>

#include "core/Colour.h"

namespace nl {

// Point flag bits.
enum : uint32_t {
    SP_EXTRA = 0x00000001,
    SP_UNDER = 0x00000002,
    SP_BOUNDARY = 0x00000004,
    SP_FILL = 0x00000008,
    SP_JUMP_LINK = 0x00000010,
    SP_AUTO_EXTRA = 0x00000020,
    SP_PASS_END = 0x00000040,
    SP_JUMP = 0x00000080,
    SP_SHORT = 0x00000100,
    SP_NODE_KIND = 0x00000E00,
    SP_FIRST_NODE = 0x00001000,
    SP_CLOSE_DECLINED = 0x00002000,
    SP_MODIFY = 0x00004000,
    SP_REGION_NODE = 0x00008000,
    SP_FLAT = 0x00080000,
    SP_JUMP_SHARED = 0x00100000,
    SP_RETURN = 0x00400000,
    SP_GROUP_MASK = 0x00E00000,
    SP_FORCE = 0x02000000,
    SP_NO_STITCH_3D = 0x04000000,
    SP_UNDERLAY = 0x08000000,
    SP_TRAVEL_EDGE = 0x10000000,
    SP_SELECTED = 0x20000000,
};

constexpr uint32_t SP_CLASS_MARKERS = SP_EXTRA | SP_MODIFY | SP_REGION_NODE;
constexpr uint32_t SP_JUMP_BITS = SP_JUMP | SP_JUMP_LINK | SP_JUMP_SHARED;

enum class TPointClass : uint8_t { Plain, Extra, Modify, Region };

// Stream type codes of the point classes.
enum : uint8_t { TC_TSP = 8, TC_TSPEXTRA = 9, TC_TSPMODIFY = 10, TC_TSPREGION = 17 };

inline TPointClass ClassOfFlags(uint32_t flags) {
    if (flags & SP_EXTRA) return TPointClass::Extra;
    if (flags & SP_MODIFY) return TPointClass::Modify;
    if (flags & SP_REGION_NODE) return TPointClass::Region;
    return TPointClass::Plain;
}

inline uint32_t MarkerOfClass(TPointClass c) {
    switch (c) {
    case TPointClass::Extra: return SP_EXTRA;
    case TPointClass::Modify: return SP_MODIFY | SP_SHORT;
    case TPointClass::Region: return SP_REGION_NODE;
    default: return 0;
    }
}

inline uint8_t TypeCodeOfClass(TPointClass c) {
    switch (c) {
    case TPointClass::Extra: return TC_TSPEXTRA;
    case TPointClass::Modify: return TC_TSPMODIFY;
    case TPointClass::Region: return TC_TSPREGION;
    default: return TC_TSP;
    }
}

// Heap part of a point: a jump connection (TJump) or region node data (TRegionNode).
class TPointExt {
public:
    virtual ~TPointExt() = default;
    virtual std::unique_ptr<TPointExt> Clone() const = 0;
    // Far end of a jump, for bounds and drawing; false when the ext is not a jump.
    virtual bool FarEnd(float& x, float& y) const {
        (void)x;
        (void)y;
        return false;
    }
    // Moves whatever positions the ext holds (far ends of jumps).
    virtual void Offset(float dx, float dy) {
        (void)dx;
        (void)dy;
    }
};

struct TSP {
    uint32_t Flags = 0;
    float X = 0.f;
    float Y = 0.f;
    union {
        int32_t ColourOrLink = 0; // TSPExtra
        float Shortening;         // TSPModify
    };
    union {
        TPointExt* Ext = nullptr; // TSPExtra: its TJump; TSPRegion: its node data
        float FullLength;         // TSPModify
    };

    static TSP Plain(uint32_t flags, float x, float y) {
        TSP p;
        p.Flags = flags;
        p.X = x;
        p.Y = y;
        return p;
    }
    static TSP Colour(uint32_t flags, float x, float y, int32_t colour) {
        TSP p = Plain((flags & ~(SP_MODIFY | SP_REGION_NODE)) | SP_EXTRA, x, y);
        p.ColourOrLink = colour;
        return p;
    }
    static TSP Modify(uint32_t flags, float x, float y, float shortening, float fullLength) {
        TSP p = Plain((flags & ~(SP_EXTRA | SP_JUMP_BITS | SP_REGION_NODE)) | SP_MODIFY | SP_SHORT, x, y);
        p.Shortening = shortening;
        p.FullLength = fullLength;
        return p;
    }

    TPointClass Class() const { return ClassOfFlags(Flags); }
    bool IsExtra() const { return (Flags & SP_EXTRA) != 0; }
    // A colour point is an extended point without a jump.
    bool IsColourPoint() const { return IsExtra() && Ext == nullptr; }
    int32_t GetColour() const { return IsExtra() ? ColourOrLink : NO_COLOUR; }
    void SetColour(int32_t c) {
        if (IsExtra()) ColourOrLink = c;
    }
    // ValueA/ValueB: X/Y, or Shortening/FullLength for a shortened point.
    float ValueA() const { return Class() == TPointClass::Modify ? Shortening : X; }
    float ValueB() const { return Class() == TPointClass::Modify ? FullLength : Y; }
    uint8_t TypeCode() const { return TypeCodeOfClass(Class()); }
    TPointExt* JumpExt() const { return IsExtra() ? Ext : nullptr; }
    TPointExt* RegionExt() const { return Class() == TPointClass::Region ? Ext : nullptr; }
    // True when this point must free its Ext with itself.
    bool OwnsExt() const {
        switch (Class()) {
        case TPointClass::Extra: return Ext && (Flags & SP_JUMP) && !(Flags & SP_JUMP_SHARED);
        case TPointClass::Region: return Ext != nullptr;
        default: return false;
        }
    }
    // Assign: position and flags only, class-specific fields untouched.
    void AssignFrom(const TSP& src) {
        X = src.X;
        Y = src.Y;
        Flags = src.Flags;
    }
};

static_assert(sizeof(TSP) == 24, "a point must stay 24 bytes");

// Point transforms of the editing operations and the generators.
void ScaleAbout(float& x, float& y, double cx, double cy, double sxPercent, double syPercent);
// Turns the point clockwise on screen by `a` radians; a point on the centre stays where it is.
void RotateAbout(float& x, float& y, double cx, double cy, double a);
// Bearing of (x, y) seen from (cx, cy): clockwise from up, in [0, 2pi).
double BearingFrom(double cx, double cy, double x, double y);

} // namespace nl
