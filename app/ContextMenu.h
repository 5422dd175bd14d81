// The context menus as data: the controller decides what is offered and runs the chosen command
// code; the desktop face only shows the list (Host::PopupMenu) and reports the code.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Host.h"

namespace nl {

// Codes of the pop-up menu items this program offers (the curve commands add theirs).
enum : int32_t {
    CMD_PROPERTIES = 10,
    // support objects
    CMD_SUPPORT_TO_TOP = 30,
    CMD_SUPPORT_TO_BOTTOM = 32,
    CMD_SUPPORT_DELETE = 34,
    CMD_IMPORT_IMAGE = 36,
    CMD_EXPORT_IMAGE = 37,
    CMD_CHANGE_FRAME_SIZE = 38,
    CMD_PROGRAMMABLE_LINE = 40,
    CMD_PROGRAMMABLE_CURVE = 42,
    CMD_MOSAIC_VIEW = 48,
    CMD_CLEAR_DESIGN_AREA = 50,
    CMD_IMPORT_PATTERN = 52,
    CMD_EXPORT_PATTERN = 54,
    // the stitch order mode and jump start points
    CMD_SET_REGION_START_JUMP = 102,  // "Set Region Start Jump Stitch"
    CMD_SET_OUTLINE_START_JUMP = 104, // "Set Outline Start Jump Stitch"
    CMD_END_ORDER_MODE = 150,         // "End Stitch Order Mode"
    CMD_CONVERT_TO_FIXED_NODE = 126,  // "Convert This Dynamic Node To A Fixed Node"
    CMD_EXIT_REGION_MODE = 168,       // "Exit Region Create Mode"
};

using TContextItem = TMenuItem;

} // namespace nl
