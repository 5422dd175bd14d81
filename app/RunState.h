// The run state of the main window: editing modes, creation sub-states, pending placement and
// the view toggles. One instance lives for the whole run.
#pragma once
#include <cstdint>

#include "worksheet/WorksheetSettings.h"

namespace nl {

enum class TMode : uint8_t {
    ObjectLayout = 0,
    DesignEdit = 1,
    FillRegion = 2,
    ChangeOrder = 3,
    SetJumps = 4,
    OutlineJump = 5,
    SewSimulation = 6,
    PointJoin = 7,
    RegionNodeInsert = 8,
};

// Availability bit of each mode; a command is available when its mask holds the mode's bit.
enum : uint32_t {
    MB_LAYOUT = 0x1,
    MB_DESIGN = 0x2,
    MB_REGION = 0x4,
    MB_OUTLINE_JUMP = 0x8,
    MB_ORDER = 0x10,
    MB_POINT_JOIN = 0x80,
    MB_NODE_INSERT = 0x100,
    MB_SET_JUMPS = 0x200,
    MB_ALL = 0x39F,
    MB_FONT_LOCK = 0x4000, // switched off as a block while a font is being edited
};
uint32_t ModeBit(TMode mode);

enum class TCreation : uint8_t {
    None = 0,
    DirectStitch = 1,
    Outline = 2,
    ColumnRailA = 3,
    ColumnRailB = 4,
    Circle = 5,
    Line = 6,
};
// Clicks that complete one point group: 1 direct stitch and line object (each click is an
// anchor), 3 outline / column, 7 circle.
int32_t PointsPerGroup(TCreation c);

enum class TPlacement : uint8_t { None, Paste, Import, Text };

} // namespace nl
