// The controller's side of point editing of direct stitch objects: the point items of the
// context menu with their questions, clicks that move the stitch cursor and select points, the
// "Merge This Stitch Object With .." state, and how the edited object is drawn.
#pragma once
#include <cstdint>

namespace nl {

class TSLStitch;

// Command codes of the point items.
enum : int32_t {
    CMD_EDIT_ALL_POINTS = 11,        // "Edit All Points"
    CMD_INSERT_POINT = 44,           // "Insert A Point"
    CMD_INSERT_COLOUR_POINT = 45,    // "Insert A Color Point"
    CMD_DELETE_POINT = 46,           // "Delete This Point"
    CMD_DELETE_SELECTED_POINTS = 47, // "Delete All Selected Points"
    CMD_CLEAR_SELECTED_POINTS = 49,  // "Clear All Selected Points"
    CMD_CUT_DESIGN = 51,             // "Cut Design At This Point"
    CMD_MERGE_STITCH_OBJECT = 55,    // "Merge This Stitch Object With .."
};

// The editor's state beside the objects: the range around the cursor ("Stitch Plus", "Stitch
// Minus"), "Hide Unselected Stitches", and the object waiting for another to be appended to it.
struct TPointEditState {
    int32_t Plus = 0;
    int32_t Minus = 0;
    bool HideUnselected = false;
    TSLStitch* Appending = nullptr;
};

} // namespace nl
