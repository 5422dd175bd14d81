// Thread colours from the controller: the colour pallet button and the colour items of the
// context menus open the thread colour picker on the object's colour and recolour what the user
// chose it for; the dropper reads the colour under the pointer.
#include <algorithm>

#include "app/MainForm.h"
#include "core/Colour.h"
#include "ui/ObjectColour.h"

namespace nl {

int32_t TNL::ColourAt(int32_t x, int32_t y) const {
    TSLStitch* hit = ObjectAt(x, y);
    if (!hit) return NO_COLOUR;
    const int32_t block =
        ColourBlockAt(*hit, static_cast<float>(View.WorldX(x)), static_cast<float>(View.WorldY(y)));
    return ObjectColour(*hit, block);
}

std::vector<TSLStitch*> TNL::ColourTargets() const {
    std::vector<TSLStitch*> out;
    auto add = [&](TSLStitch* o) {
        // A curved column is one object: its colour lives on rail A.
        TSLStitch* carrier = &ColourCarrier(*o);
        if (std::find(out.begin(), out.end(), carrier) == out.end()) out.push_back(carrier);
    };
    if (const uint32_t bit = SelectionBit())
        for (TSLStitch* o : Objects())
            if ((o->Flags & bit) && !(o->Flags & OF_PATTERN_MEMBER)) add(o);
    TSLStitch* current = Sew.Current();
    if (current && Sew.IndexOf(current) < 0) current = nullptr;
    if (out.empty() && current) add(current);
    // The current object, when it is one of them, gives the colour the picker starts from.
    if (current) {
        auto it = std::find(out.begin(), out.end(), &ColourCarrier(*current));
        if (it != out.end()) std::rotate(out.begin(), it, it + 1);
    }
    return out;
}

bool TNL::PickObjectColour(const std::vector<TSLStitch*>& targets, int32_t block) {
    std::vector<TSLStitch*> live;
    for (TSLStitch* t : targets)
        if (t && Sew.IndexOf(t) >= 0) live.push_back(t);
    if (live.empty()) return false;
    const int32_t preset = ObjectColour(*live[0], block);
    TUndoStep step(Sew, "Colour", live);
    bool changed = false;
    auto recolour = [&](int32_t colour) {
        if (colour == NO_COLOUR) return;
        const TStitchContext ctx = StitchContext();
        for (TSLStitch* t : live) {
            // "Apply" may run while objects change under the picker; only those still there.
            if (Sew.IndexOf(t) < 0) continue;
            if (SetObjectColour(*t, colour, t == live[0] ? block : 0, ctx)) changed = true;
        }
        if (changed) Sew.MarkModified();
        Redraw();
    };
    recolour(host_.PickThreadColour(preset, true, recolour));
    CommandsChanged();
    Redraw();
    return changed;
}

} // namespace nl
