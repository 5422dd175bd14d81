// The stitch pattern creator's own context items: drawing a line stitch (a direct stitch object
// whose points sit on the creator's edit grid) or a curve stitch (an outline) into the creator,
// the mosaic view of the drawing repeated around its tile, and clearing the drawing. Points of a
// creator's drawing stay within its tile, because a pattern copy scales the tile and everything
// outside it would spill into the neighbouring tiles.
#include <algorithm>

#include "app/MainForm.h"
#include "regions/Pattern.h"
#include "regions/Support.h"

namespace nl {

void TNL::AddCreatorItems(std::vector<TContextItem>& items, const TObjectPatternCreator& creator) const {
    items.push_back({"Programmable Line Stitch", CMD_PROGRAMMABLE_LINE});
    items.push_back({"Programmable Curve Stitch", CMD_PROGRAMMABLE_CURVE});
    TContextItem mosaic{"Mosaic Design View", CMD_MOSAIC_VIEW};
    mosaic.Checkable = true;
    mosaic.Checked = (creator.Flags & CREATOR_MOSAIC) != 0;
    items.push_back(std::move(mosaic));
    TContextItem clear{"Clear Design Area", CMD_CLEAR_DESIGN_AREA};
    clear.Enabled = !creator.Members.empty();
    items.push_back(std::move(clear));
}

bool TNL::RunCreatorCommand(int32_t code, TObjectPatternCreator& creator) {
    switch (code) {
    case CMD_PROGRAMMABLE_LINE:
    case CMD_PROGRAMMABLE_CURVE:
        // The next object made is drawn into this creator wherever the clicks fall.
        StartCreation(code == CMD_PROGRAMMABLE_LINE ? TCreation::DirectStitch : TCreation::Outline);
        creationCreator_ = &creator;
        return true;
    case CMD_MOSAIC_VIEW:
        EditSupport("Mosaic Design View", [&] {
            creator.Flags ^= CREATOR_MOSAIC;
            Sew.MarkModified();
        });
        return true;
    case CMD_CLEAR_DESIGN_AREA: {
        if (creator.Members.empty()) return true;
        // Undo gives the very same objects back; the creator finds them again by their index.
        TUndoStep step(Sew, "Clear Design Area", creator.Members);
        step.TouchSupport();
        for (TSLStitch* m : std::vector<TSLStitch*>(creator.Members))
            if (Sew.IndexOf(m) >= 0) Sew.DeleteObject(m);
        creator.Members.clear();
        ForgetRemovedObjects();
        Sew.MarkModified();
        return true;
    }
    default:
        return false;
    }
}

TObjectBase* TNL::CreationCreatorAt(float x, float y) {
    // The creator named by "Programmable ... Stitch", as long as it is still on the worksheet
    // (the pointer is only compared until it is found in the list).
    if (creationCreator_)
        for (int32_t i = 1; i < Sew.Support.Count(); ++i)
            if (Sew.Support[i] == creationCreator_) {
                Sew.Support.Renumber();
                return creationCreator_;
            }
    return Services.PatternCreatorAt ? Services.PatternCreatorAt(x, y) : nullptr;
}

void TNL::FitFirstPoint(float& x, float& y) const {
    if (!creator_ || creation_ == TCreation::Circle) return;
    // Only a creator of the worksheet's own list has a tile and a grid.
    for (TObjectPatternCreator* c : Sew.Support.Creators())
        if (c == creator_) {
            // Line stitches (direct stitch objects) snap to the edit grid; every drawing stays in
            // its tile.
            PlaceInCreator(*c, x, y, creation_ == TCreation::DirectStitch);
            return;
        }
}

void TNL::FitToCreator(const TSLStitch& object, float& x, float& y) const {
    if (const TObjectPatternCreator* c = CreatorOf(Sew.Support, object))
        PlaceInCreator(*c, x, y, (object.Flags & OF_SNAP_GRID) != 0);
}

} // namespace nl
