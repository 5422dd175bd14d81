// The fill pattern of columns: each column stitch is cut into pieces one pitch long, the cuts
// shifted along the column by offsets A and B so that they form a pattern across the band.
#pragma once
#include <cstdint>

#include "stitching/SLStitch.h"

namespace nl {

class TSLCurve;

// Pitch range (units) that every pitch is brought into; a pitch of 0 would never end a split.
constexpr float FILL_PITCH_MIN = 40.f, FILL_PITCH_MAX = 220.f, FILL_PITCH_DEFAULT = 40.f;

enum class TFillMatch : uint8_t { Top, Middle, Bottom };

// Offsets are kept as per cent of the pitch in 16-bit words: p >= 0 as 100 p, p < 0 as
// 20000 - 100 p. Words 10001..19999 encode nothing and read as 0.
uint16_t EncodeFillOffset(double percent);
double DecodeFillOffset(uint16_t word);
uint32_t PackFillOffsets(double percentA, double percentB);
inline double FillOffsetA(uint32_t packed) {
    return DecodeFillOffset(static_cast<uint16_t>(packed & 0xFFFF));
}
inline double FillOffsetB(uint32_t packed) {
    return DecodeFillOffset(static_cast<uint16_t>(packed >> 16));
}
float ClampFillPitch(float pitch);

struct TFillSettings {
    bool Enabled = false;
    double Pitch = FILL_PITCH_DEFAULT;
    double OffsetA = 0.0; // lengths in units: p / 100 * pitch / 2
    double OffsetB = 0.0;
    TFillMatch Match = TFillMatch::Bottom;

    static TFillSettings Of(const TSLCurve& curve);
};

// (x1, y1) + distance / length of the way to (x2, y2).
void PointAlong(double distance, double length, double x1, double y1, double x2, double y2, double& x,
                double& y);

// Splits column stitches one after another; the measuring end alternates with every stitch.
class TFillSplitter {
public:
    explicit TFillSplitter(const TFillSettings& settings);

    // The stitch between points index - 2 and index - 1 (index = Count() for the last stitch).
    void SplitColumn(TSLStitch& list, int32_t index, double distance) { Split(list, index, distance, true); }
    void SplitOutline(TSLStitch& list, int32_t index, double distance) {
        Split(list, index, distance, false);
    }
    // Splits every stitch of a finished column list, stitch i at distance i * step.
    void SplitAll(TSLStitch& list, double step);

private:
    void Split(TSLStitch& list, int32_t index, double distance, bool column);
    TFillSettings s_;
    bool fromStart_;
    double cutsMade_ = 0;
};

} // namespace nl
