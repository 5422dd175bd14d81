// The own fields of a region boundary node (a TSPRegion point), kept behind the point's Ext.
#pragma once
#include <cstdint>
#include <memory>

#include "core/Point.h"

namespace nl {

class TSLCurve;

class TRegionNode : public TPointExt {
public:
    TSLCurve* Outline = nullptr; // the outline the node lies on (not owned)
    int32_t OutlineMark = -1;    // the outline's list index as stored in a file, until relinked
    float PercentA = 0.f;
    float PercentB = 0.f;
    int32_t StartIndex = 0;
    int32_t EndIndex = -1;
    float SegmentLength = 0.f;

    std::unique_ptr<TPointExt> Clone() const override { return std::make_unique<TRegionNode>(*this); }
};

// The node data of a region point, created on first use.
TRegionNode& EnsureNode(TSP& p);
const TRegionNode* NodeOf(const TSP& p);

} // namespace nl
