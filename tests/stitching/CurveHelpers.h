// Builders shared by the curve, running, column and record tests (and the page tests of ui/).
#pragma once
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "stitching/SLCurve.h"

namespace nl::test {

// A path through the given anchors, each segment straight (controls at the thirds).
inline std::unique_ptr<TSLCurve> Polyline(std::initializer_list<std::pair<float, float>> anchors) {
    auto c = std::make_unique<TSLCurve>();
    const std::pair<float, float>* prev = nullptr;
    for (const auto& a : anchors) {
        if (prev) {
            float dx = a.first - prev->first, dy = a.second - prev->second;
            c->AppendPoint(0, -1, prev->first + dx / 3, prev->second + dy / 3);
            c->AppendPoint(0, -1, prev->first + 2 * dx / 3, prev->second + 2 * dy / 3);
        }
        c->AppendPoint(0, -1, a.first, a.second);
        prev = &a;
    }
    return c;
}

// A straight outline along X from 0 to `length` units, in `segments` equal segments.
inline std::unique_ptr<TSLCurve> Straight(float length, int segments = 1) {
    auto c = std::make_unique<TSLCurve>();
    for (int s = 0; s <= segments; ++s) {
        float x = length * s / segments;
        if (s > 0) {
            float x0 = length * (s - 1) / segments;
            c->AppendPoint(0, -1, x0 + (x - x0) / 3, 0);
            c->AppendPoint(0, -1, x0 + 2 * (x - x0) / 3, 0);
        }
        c->AppendPoint(0, -1, x, 0);
    }
    return c;
}

// A visible running outline.
inline void MakeRunning(TSLCurve& c, int passes, int runLength) {
    c.Flags |= OF_VISIBLE | OF_RUNNING;
    c.SetStitchTypeBits(ST_RUNNING);
    c.Passes = passes;
    c.RunLength = runLength;
}

// The curve's own fields set away from their defaults, so that a record test sees each one land.
inline void SetCurveFields(TSLCurve& c, int32_t entryIndex, int32_t exitIndex) {
    c.Passes = 3;
    c.Color = 0x00102030;
    c.Density = 45;
    c.RunLength = 30;
    c.EntryIndex = entryIndex;
    c.ExitIndex = exitIndex;
    c.FillPitch = 55.5f;
    c.FillOffsets = 0x00030004;
    c.Reserved[2] = 77;
}

// Two paths joined into a curved column: rail A carries the attributes, rail B only its path.
inline void JoinRails(TSLCurve& a, TSLCurve& b) {
    a.Flags = OF_RAIL_A | OF_VISIBLE;
    b.Flags = OF_RAIL_B | OF_VISIBLE;
    b.Density = 0;
    a.PartnerRail = &b;
    b.PartnerRail = &a;
}

// A curved column whose rails run through the given corners, with a stitch context of its own.
struct TColumnFixture {
    TSLCurve A, B;
    TStitchContext Ctx;
    TColumnFixture(const std::vector<std::pair<float, float>>& a,
                   const std::vector<std::pair<float, float>>& b) {
        A.SetPolyline(a);
        B.SetPolyline(b);
        JoinRails(A, B);
    }
};

} // namespace nl::test
