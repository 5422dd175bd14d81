// Draws a simulation list as sewn up to a needle point onto a canvas that keeps its picture
// between calls: each call draws only what is new since the last one, and a jump back keeps
// pictures taken on the way (when the canvas can keep them) to start again from the nearest.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/Canvas.h"
#include "sewing/SimulationList.h"

namespace nl {

// How moves the machine makes without sewing are shown.
enum class TJumpLook : uint8_t { Dashed, Thin, Hidden };

// Where worksheet units land on the canvas: pixel = (unit - Origin) * Scale, in a picture of
// Width x Height pixels.
struct TSimViewport {
    double Scale = 1.0;
    double OriginX = 0.0;
    double OriginY = 0.0;
    int32_t Width = 0;
    int32_t Height = 0;

    // The whole of `bounds` centred in a picture of the given size, with a margin in pixels.
    static TSimViewport Fit(const TKvRect& bounds, int32_t width, int32_t height, int32_t margin);
    float SX(double x) const { return static_cast<float>((x - OriginX) * Scale); }
    float SY(double y) const { return static_cast<float>((y - OriginY) * Scale); }
    bool operator==(const TSimViewport&) const = default;
};

struct TSimLook {
    int32_t Background = 0x00353544;
    TJumpLook Jumps = TJumpLook::Dashed;
    // Side of the marker at every needle point, pixels; 0 draws none.
    float MarkerSize = 0.f;
    bool operator==(const TSimLook&) const = default;
};

class TSimPainter {
public:
    // Makes the picture on `canvas` show `list` sewn from its first point up to point `cursor`.
    // The canvas must still hold what the previous call drew, unless Invalidate was called since.
    void Draw(Canvas& canvas, const TSimulationList& list, int32_t cursor, const TSimViewport& view,
              const TSimLook& look);
    // The canvas lost its picture (resized, replaced): the next Draw starts afresh and the kept
    // pictures are not used again.
    void Invalidate();

    // The needle at point `cursor`, drawn over the picture (never into the kept picture).
    static void DrawNeedle(Canvas& canvas, const TSimulationList& list, int32_t cursor,
                           const TSimViewport& view, int32_t needleColour);
    // The colour a jump is drawn in: the thread colour, halfway to the background.
    static int32_t JumpColour(int32_t thread, int32_t background);
    // The colour of a needle point marker: the thread colour, lightened.
    static int32_t MarkerColour(int32_t thread);

    // What the last Draw did, for tests and benchmarks.
    struct TWork {
        int32_t From = 0;      // drawing went on from this point (the picture already showed it)
        int32_t Segments = 0;  // moves drawn (or passed over as outside the picture)
        int32_t Restored = -1; // index of the point a kept picture was restored at, or -1
        bool Cleared = false;  // the picture was started afresh
        bool Ahead = false;    // starting afresh, the whole list was drawn first (not counted above)
    };
    const TWork& LastWork() const { return work_; }
    // The needle point the picture shows (-1: nothing known to be drawn).
    int32_t DrawnTo() const { return drawnTo_; }
    // Distance in points between kept pictures for a list of `count` points.
    static int32_t KeepInterval(int32_t count);
    static constexpr int32_t MAX_KEPT = 8;

private:
    void DrawRange(Canvas& canvas, const TSimulationList& list, int32_t from, int32_t to);
    void Flush(Canvas& canvas);

    TSimViewport view_;
    TSimLook look_;
    uint64_t serial_ = 0;
    int32_t drawnTo_ = -1;
    int32_t interval_ = 0;
    std::vector<bool> kept_; // kept_[k]: the picture at point k * interval_ is kept in slot k
    bool canKeep_ = true;
    TWork work_;

    // scratch of DrawRange
    struct TMark {
        TPointF P;
        int32_t Colour;
    };
    std::vector<TMark> marks_;
    std::vector<TPointF> run_;
    int32_t runColour_ = 0;
};

} // namespace nl
