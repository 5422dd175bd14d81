// The thread colour of a stitch object as the colour items of its context menu, the colour
// pallet button and the colour boxes of the properties pages see it: what colour an object is
// sewn in (for a direct stitch object, the colour block under the pointer), recolouring it with
// regeneration, and switching its stitching visible or not.
#pragma once
#include <cstdint>
#include <string>

#include "stitching/StitchContext.h"

namespace nl {

class TSLStitch;

// Command codes of the colour and visibility items of the object context menus.
enum : int32_t {
    CMD_SET_COLOUR = 154,
    CMD_STITCH_VISIBLE = 155,
};

// "Set Outline Color", "Set Stitch Color", "Set Curved Column Color" or "Set Region Color".
std::string ColourItemCaption(const TSLStitch& o);
// "Outline Stitch Visible", "Curved Column Stitch Visible" or "Region Stitch Visible"; empty for a
// direct stitch object, which has no such switch.
std::string VisibleItemCaption(const TSLStitch& o);

// The object that carries the colour and the visibility of `o`: rail A for either rail of a
// curved column, the object itself otherwise.
TSLStitch& ColourCarrier(TSLStitch& o);
const TSLStitch& ColourCarrier(const TSLStitch& o);

// For a direct stitch object: the index of the point that starts the colour block nearest to the
// worksheet point (x, y); 0 for other objects or an empty one.
int32_t ColourBlockAt(const TSLStitch& o, float x, float y);

// The colour the object is sewn in; for a direct stitch object that of the colour block starting
// at `block` (ColourBlockAt). NO_COLOUR when it has none.
int32_t ObjectColour(const TSLStitch& o, int32_t block = 0);

// Gives the object (or the direct stitch object's colour block) the thread colour and regenerates
// it. False when nothing changed.
bool SetObjectColour(TSLStitch& o, int32_t colour, int32_t block, const TStitchContext& ctx);

// The "... Stitch Visible" switch: whether the object's stitches are generated and shown.
bool StitchVisible(const TSLStitch& o);
void SetStitchVisible(TSLStitch& o, bool on, const TStitchContext& ctx);

} // namespace nl
