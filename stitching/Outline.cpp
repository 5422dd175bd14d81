#include "stitching/Outline.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/Errors.h"

namespace nl {

void TOutline::SwapSides() {
    std::swap(HeightA, HeightB);
    std::swap(CtrlPos1A, CtrlPos1B);
    std::swap(CtrlPos2A, CtrlPos2B);
    std::swap(CtrlHeight1A, CtrlHeight1B);
    std::swap(CtrlHeight2A, CtrlHeight2B);
    EndRotation = -EndRotation;
}

// ---- TProfileCurve ----

void TProfileCurve::Build(float h0, float pos1, float h1, float pos2, float h2, float h3, float length) {
    // A cubic Bezier in (distance, height) space, sampled like a path segment.
    float p0x = 0.f, p1x = pos1 * length / 100.f, p2x = pos2 * length / 100.f, p3x = length;
    float cx = 3 * (p1x - p0x), bx = 3 * (p2x - p1x) - cx, ax = p3x - p0x - cx - bx;
    float cy = 3 * (h1 - h0), by = 3 * (h2 - h1) - cy, ay = h3 - h0 - cy - by;
    for (int i = 0; i < kSamplesPerSegment; ++i) {
        float t = static_cast<float>(i * kSampleStepD);
        d_[i] = ((ax * t + bx) * t + cx) * t + p0x;
        h_[i] = ((ay * t + by) * t + cy) * t + h0;
    }
    d_[kSamplesPerSegment] = p3x;
    h_[kSamplesPerSegment] = h3;
    cursor_ = 1;
}

float TProfileCurve::HeightAt(float x) {
    // The search continues from the last interval while positions grow along the section, and
    // starts over when they go back, so the answer never depends on earlier calls.
    if (cursor_ < 1 || cursor_ > kSamplesPerSegment || x < d_[cursor_ - 1]) cursor_ = 1;
    int32_t i = cursor_;
    while (i < kSamplesPerSegment && !(d_[i] > x))
        ++i;
    cursor_ = i;
    float d0 = d_[i - 1], d1 = d_[i];
    if (d1 == d0) return h_[i]; // zero-length interval
    return h_[i - 1] + (h_[i] - h_[i - 1]) * (x - d0) / (d1 - d0);
}

// ---- TOutlineList ----

TOutlineList::TOutlineList() = default;
TOutlineList::~TOutlineList() = default;

std::unique_ptr<TOutlineList> TOutlineList::MakeDefault(int32_t anchors) {
    auto list = std::make_unique<TOutlineList>();
    for (int32_t i = 0; i < anchors; ++i)
        list->AddNew()->StartSample = kSamplesPerSegment * i;
    return list;
}

void TOutlineList::InsertSection(int32_t section) {
    if (section < 0 || section >= Count()) return;
    for (int32_t i = section + 1; i < Count(); ++i)
        (*this)[i]->StartSample += kSamplesPerSegment;
    TOutline* added = AddNew(section + 1);
    added->StartSample = (*this)[section]->StartSample + kSamplesPerSegment;
}

std::unique_ptr<TOutlineList> TOutlineList::Clone() const {
    auto c = std::make_unique<TOutlineList>();
    for (const auto& s : *this)
        c->Add(std::make_unique<TOutline>(*s));
    static_cast<TProfileFields&>(*c) = *this;
    return c;
}

void TOutlineList::SwapSides() {
    for (const auto& s : *this)
        s->SwapSides();
    std::swap(EdgeSamples.AX, EdgeSamples.BX);
    std::swap(EdgeSamples.AY, EdgeSamples.BY);
}

void TOutlineList::BeginSection(int32_t section, float length) {
    if (Count() == 0) return;
    section = std::clamp(section, 0, Count() - 1);
    CurrentSection = section;
    const TOutline& s = *(*this)[section];
    const TOutline& n = *(*this)[std::min(section + 1, Count() - 1)];
    profileA_.Build(s.HeightA, s.CtrlPos1A, s.CtrlHeight1A, s.CtrlPos2A, s.CtrlHeight2A, n.HeightA, length);
    profileB_.Build(s.HeightB, s.CtrlPos1B, s.CtrlHeight1B, s.CtrlPos2B, s.CtrlHeight2B, n.HeightB, length);
}

namespace {
// In the object stream the profile's parts are announced by marker bytes of their own.
constexpr uint8_t STREAM_PATTERN_FOLLOWS = 14;
constexpr uint8_t STREAM_FEATHER_FOLLOWS = 15;

template <class IO, class L> void ProfileFields(IO& io, L& p, int32_t anchors) {
    io.Field(p.ProfileFlags, p.CurrentSection, p.SelectedSegment, p.OutlineCompensation);
    const int32_t lastSample = kSamplesPerSegment * (anchors - 1);
    io.Items(p, OUTLINE_SECTION_RECORD, "width profile section count", [&](auto& s) {
        io.Field(s.HeightA, s.HeightB, s.CtrlPos1A, s.CtrlPos2A, s.CtrlPos1B, s.CtrlPos2B, s.CtrlHeight1A,
                 s.CtrlHeight2A, s.CtrlHeight1B, s.CtrlHeight2B, s.EndRotation, s.SectionMeasure,
                 s.SectionLength, s.StartAngle, s.StartSample);
        if constexpr (IO::Reading)
            if (s.StartSample < 0 || s.StartSample > lastSample)
                throw TReadError("width profile section start out of range");
    });
    if constexpr (IO::Reading) {
        // One section per anchor: anything else would index past the path or the profile.
        const int32_t n = p.Count();
        if (n != anchors || n < 2) throw TReadError("width profile does not match the path's anchors");
        if (p.CurrentSection < 0 || p.CurrentSection >= n)
            throw TReadError("width profile current section out of range");
        if (p.SelectedSegment < 1 || p.SelectedSegment > n)
            throw TReadError("width profile segment out of range");
    }
    io.Owned(p.OutlinePattern,
             io.Present(bool(p.OutlinePattern), STREAM_PATTERN_FOLLOWS, "bad width profile pattern marker"),
             [&](auto& pattern) { pattern.Record(io); });
    io.Owned(p.OutlineFeather,
             io.Present(bool(p.OutlineFeather), STREAM_FEATHER_FOLLOWS, "bad width profile feather marker"),
             [&](auto& feather) { feather.Record(io); });
    // The display bit belongs to the window showing the object, not to a pasted copy.
    if constexpr (IO::Reading)
        if (io.Stream()) p.ProfileFlags &= ~PF_DISPLAY_ACTIVE;
}
} // namespace

void TOutlineList::Record(TRecordWriter& io, int32_t anchors) const {
    ProfileFields(io, *this, anchors);
}
void TOutlineList::Record(TRecordReader& io, int32_t anchors) {
    ProfileFields(io, *this, anchors);
}

} // namespace nl
