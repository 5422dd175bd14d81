// "Show Zigzag Handles": the width of a satin or zigzag outline shown at each of its anchors, a
// rung from the path to either edge with a handle on each end.
#pragma once

namespace nl {

class TSLCurve;
struct TDrawContext;

// Draws the width handles of a curve that has a width profile; nothing for other curves.
void DrawWidthHandles(const TSLCurve& curve, TDrawContext& dc);

} // namespace nl
