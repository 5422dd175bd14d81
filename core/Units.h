// The worksheet's measures: the length unit and the sampling of a Bezier segment. Every page,
// generator and report converts through these, so a value shown in mm and the same value stored
// in units never disagree by a stray factor.
#pragma once
#include <cstdint>

namespace nl {

// Worksheet coordinates are in units of 0.05 mm: 20 units make one millimetre.
constexpr double kUnitsPerMm = 20.0;

// Samples per Bezier segment: sample s lies on segment s / 25 at t = (s % 25) * 0.04.
constexpr int32_t kSamplesPerSegment = 25;
// The parameter step between two samples of a segment (0.04; the division rounds to exactly the
// literal, in single and in double precision).
constexpr float kSampleStep = 1.0f / kSamplesPerSegment;
constexpr double kSampleStepD = 1.0 / kSamplesPerSegment;
static_assert(kSampleStep == 0.04f && kSampleStepD == 0.04);

} // namespace nl
