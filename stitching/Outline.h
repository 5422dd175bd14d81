// The width profile of a satin outline: one TOutline section per anchor of the path, the list
// that owns them with the outline's pattern and feather, the per-sample edge data, and the
// height profile evaluator (ProfileHeightA/B).
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/DeepPtr.h"
#include "core/ObList.h"
#include "core/RecordIO.h"
#include "core/Units.h"
#include "stitching/CurveParts.h"

namespace nl {

// Bits of TOutlineList::ProfileFlags.
enum : uint32_t { PF_EDIT_HANDLES = 0x2, PF_DISPLAY_ACTIVE = 0x4, PF_RETURN_STITCH = 0x8000 };

// One section of the profile, from its anchor to the next.
class TOutline {
public:
    float HeightA = 20.f;
    float HeightB = 20.f;
    float CtrlPos1A = 33.333f, CtrlPos2A = 66.666f;
    float CtrlPos1B = 33.333f, CtrlPos2B = 66.666f;
    float CtrlHeight1A = 20.f, CtrlHeight2A = 20.f;
    float CtrlHeight1B = 20.f, CtrlHeight2B = 20.f;
    float SectionMeasure = 0.f;
    float SectionLength = 0.f;
    int32_t StartSample = 0;
    int32_t Reserved = 0;
    float EndRotation = 0.f;
    float StartAngle = 0.f;

    // Swaps the A and B fields and negates EndRotation (mirroring).
    void SwapSides();
    bool operator==(const TOutline&) const = default;
};

// Bytes of one section in a record (for count checks).
constexpr size_t OUTLINE_SECTION_RECORD = 60;

// A (distance, height) profile flattened to 26 samples, with a forward search cursor.
class TProfileCurve {
public:
    void Build(float h0, float pos1, float h1, float pos2, float h2, float h3, float length);
    // Height at distance x: linear between the samples around x, extended linearly beyond the
    // ends; a zero-length interval gives the sample's own height.
    float HeightAt(float x);
    void Reset() { cursor_ = 1; }

private:
    std::array<float, kSamplesPerSegment + 1> d_{}, h_{};
    int32_t cursor_ = 1;
};

// Per path sample of a satin outline: the A and B edge points, the distance from the previous
// sample and the stitch angle offset (display data, rebuilt by the curve's UpdateBounds).
struct TEdgeSamples {
    std::vector<float> AX, AY, BX, BY, Dist, Angle;
    void Clear() { AX.clear(), AY.clear(), BX.clear(), BY.clear(), Dist.clear(), Angle.clear(); }
    size_t Size() const { return AX.size(); }
};

// The fields of the profile besides its sections, in a block of their own so that a copy takes
// them in one assignment.
struct TProfileFields {
    uint32_t ProfileFlags = 0;
    int32_t CurrentSection = 0;
    int32_t SelectedSegment = 1;
    TDeepPtr<TObjectStitch> OutlinePattern;
    float OutlineCompensation = 0.f;
    TDeepPtr<TFeather> OutlineFeather;
    TEdgeSamples EdgeSamples;
};

class TOutlineList : public TObList<TOutline>, public TProfileFields {
public:
    TOutlineList();
    ~TOutlineList() override;

    // A profile with one default section per anchor (StartSample = 25 x index).
    static std::unique_ptr<TOutlineList> MakeDefault(int32_t anchors);
    // Inserts a default section after `section`; later sections move 25 samples on.
    void InsertSection(int32_t section);
    std::unique_ptr<TOutlineList> Clone() const;
    void SwapSides();

    // The height profiles of `section` for a section of the given length; ProfileHeightA/B then
    // evaluate them. CurrentSection follows.
    void BeginSection(int32_t section, float length);
    float ProfileHeightA(float x) { return profileA_.HeightAt(x); }
    float ProfileHeightB(float x) { return profileB_.HeightAt(x); }

    // The record. `anchors` is the path's anchor count; what is read is checked against it.
    void Record(TRecordWriter& io, int32_t anchors) const;
    void Record(TRecordReader& io, int32_t anchors);

private:
    TProfileCurve profileA_, profileB_;
};

} // namespace nl
