// Rotating and resizing a selection from copies: every change of the angle or of the percentages
// starts again from the copies made when the transform began, so repeated changes never add up
// rounding. While the transform lasts the stitching of the turned outlines and regions is dropped
// and rebuilt once at the end.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/KvRect.h"
#include "stitching/SLStitch.h"

namespace nl {

class TSew;

class TTransformSet {
public:
    // Takes the objects selected with `bit` (pattern creator members stay), and the fill regions
    // built on them: a region whose outlines are all taken turns with them (its fill direction
    // too), one built partly on them is rebuilt on its outlines after every change.
    void Start(TSew& sew, uint32_t bit, const TStitchContext& ctx);
    bool Active() const { return !targets_.empty(); }
    const TKvRect& Bounds() const { return bounds_; }
    const std::vector<TSLStitch*>& Targets() const { return targets_; }

    // Turns every target from its copy by `degrees` (clockwise) about the centre of the bounds.
    void Rotate(double degrees, const TStitchContext& ctx);
    // Scales every target from its copy about the bottom-left corner of the bounds; with
    // `envelopes` the widths of outline envelopes scale too. On a failure every target is put back
    // as its copy was and the error is rethrown.
    void Scale(double sxPercent, double syPercent, bool envelopes, const TStitchContext& ctx);
    // Puts every target back as it was when the transform began.
    void Restore(const TStitchContext& ctx);
    // Regenerates what the transform left without stitching and forgets the copies.
    void End(const TStitchContext& ctx);

private:
    std::vector<TSLStitch*> targets_;
    std::vector<std::unique_ptr<TSLStitch>> copies_;
    std::vector<TSLStitch*> dependents_; // regions built partly on the targets
    TKvRect bounds_{.empty = true};
    void RebuildDependents(const TStitchContext& ctx);
};

// Scales the widths of a curve's envelope (its outline list) for a resize by (sxPercent,
// syPercent) of the curve as it is now (before its points are scaled): each height by the factor
// the resize gives the width across the path where that height is (at its section's anchor, or at
// its control position along the section). A column along X resized 200 % wide keeps its heights;
// one along Y doubles them.
void ScaleEnvelope(TSLStitch& curve, double sxPercent, double syPercent);

} // namespace nl
