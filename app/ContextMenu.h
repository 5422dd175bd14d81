// An item of an object's pop-up menu as data: caption, command code and state. The controller
// decides what is offered; the desktop face only shows the list and reports the chosen code.
#pragma once
#include <cstdint>
#include <string>

namespace nl {

// Codes of the pop-up menu items this program offers (the curve commands add theirs).
enum : int32_t {
    CMD_PROPERTIES = 10,
};

struct TContextItem {
    std::string Caption;
    int32_t Code = 0;
    bool Enabled = true;
    bool Checkable = false;
    bool Checked = false;
};

} // namespace nl
