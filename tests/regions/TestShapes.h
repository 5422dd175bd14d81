// Outlines and regions built in code for the region tests (and the controller and window tests).
#pragma once
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/Errors.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"

namespace nl::test {

// A curve of straight segments through the given corners (each segment a straight cubic).
inline std::unique_ptr<TSLCurve> Polyline(const std::vector<std::pair<float, float>>& corners) {
    auto c = std::make_unique<TSLCurve>();
    for (size_t i = 0; i < corners.size(); ++i) {
        auto [x, y] = corners[i];
        if (i > 0) {
            auto [px, py] = corners[i - 1];
            c->Append(TSP::Plain(0, px + (x - px) / 3, py + (y - py) / 3));
            c->Append(TSP::Plain(0, px + 2 * (x - px) / 3, py + 2 * (y - py) / 3));
        }
        c->Append(TSP::Plain(0, x, y));
    }
    c->Flatten();
    return c;
}

// A closed outline through the corners (the first corner repeated at the end).
inline std::unique_ptr<TSLCurve> ClosedOutline(std::vector<std::pair<float, float>> corners) {
    corners.push_back(corners.front());
    return Polyline(corners);
}

// A closed region on one closed outline: node 0 at its start, node 1 joined back to its start.
inline std::unique_ptr<TSLRegion> RegionOn(TSLCurve& outline, const TStitchContext& ctx = {}) {
    auto r = std::make_unique<TSLRegion>();
    int32_t last = LastSampleOf(outline);
    TSP& first = (*r)[0];
    first.X = outline.PathX[0];
    first.Y = outline.PathY[0];
    TRegionNode& n0 = EnsureNode(first);
    n0.Outline = &outline;
    n0.StartIndex = 0;
    n0.EndIndex = last;
    r->AppendNode(NK_JOIN_FROM_END, outline.PathX[0], outline.PathY[0], &outline, 0, 0);
    r->Flags |= OF_HIGHLIGHT | OF_VISIBLE;
    r->SetStitchTypeBits(ST_TATAMI);
    r->UpdateBounds(ctx);
    r->DeriveEntryExit = true;
    return r;
}

inline std::vector<std::pair<float, float>> Square(float x0, float y0, float side) {
    return {{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}};
}

// An outline whose stitching fails on demand, as a damaged object's would.
class TFailingOutline : public TSLCurve {
public:
    bool Fail = false;
    void GenerateOutline(const TStitchContext& ctx) override {
        if (Fail) throw TGenerationError("no stitches for this outline");
        TSLCurve::GenerateOutline(ctx);
    }
};

// A failing outline through the given corners, made a selected running outline.
inline std::unique_ptr<TFailingOutline>
FailingRunningOutline(std::initializer_list<std::pair<float, float>> anchors) {
    auto made = std::make_unique<TFailingOutline>();
    const auto shape = Polyline(std::vector<std::pair<float, float>>(anchors));
    for (const TSP& p : *shape)
        made->Append(p);
    made->Flags |= OF_SELECTED_EDIT | OF_VISIBLE | OF_RUNNING;
    made->SetStitchTypeBits(ST_RUNNING);
    return made;
}

} // namespace nl::test
