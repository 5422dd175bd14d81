// The structure edits of outlines and curved columns reached from the context menus (split, join
// through the Point Join mode, insert segment), the drawing order of stitch objects, and copying a
// design's stitching to the clipboard as one direct stitch object.
#pragma once
#include <cstdint>
#include <memory>

namespace nl {

class TSLCurve;
class TUndoStep;

enum : int32_t {
    CMD_INSERT_SEGMENT = 58,  // "Insert Segment"
    CMD_SPLIT_CURVE = 60,     // "Split Outline" / "Split Curved Column"
    CMD_JOIN_CURVES = 62,     // "Join Outlines" / "Join Curved Columns"
    CMD_BRING_TO_TOP = 64,    // "Bring To Top" and the per-kind captions
    CMD_SEND_TO_BOTTOM = 66,  // "Send To Bottom" and the per-kind captions
    CMD_COPY_STITCHING = 130, // "Copy Stitching To Clipboard"
};

// What the Point Join mode and a segment being inserted keep between clicks.
struct TCurveEditState {
    // Point Join: the curve the join starts from (rail A for a column) and which of its ends
    // meets the other curve; the curve marked by the first click (null: none yet).
    TSLCurve* JoinFirst = nullptr;
    bool JoinFirstAtEnd = true;
    TSLCurve* JoinMarked = nullptr;

    // Insert Segment: the curve, the anchor the next point group goes after, the first point of
    // the group being placed and how many of its points were clicked, and the undo step of the
    // whole extension.
    TSLCurve* Extending = nullptr;
    int32_t ExtendAfter = -1;
    int32_t ExtendAt = -1;
    int32_t ExtendClicks = 0;
    std::unique_ptr<TUndoStep> ExtendStep;

    TCurveEditState();
    ~TCurveEditState();
};

} // namespace nl
