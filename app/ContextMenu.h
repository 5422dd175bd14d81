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
    CMD_CONVERT_TO_FIXED_NODE = 126, // "Convert This Dynamic Node To A Fixed Node"
    CMD_EXIT_REGION_MODE = 168,      // "Exit Region Create Mode"
};

using TContextItem = TMenuItem;

} // namespace nl
