// Undo and redo from the Edit menu, the keys and the tool bar. The history itself belongs to the
// worksheet (worksheet/Undo.h); here the controller lets go of what the step took away and shows
// the result.
#include "app/MainForm.h"
#include "app/RegionMode.h"

namespace nl {

std::string TNL::CommandCaption(TCommand c) const {
    if (c == TCommand::Undo) return Sew.History.UndoCaption();
    if (c == TCommand::Redo) return Sew.History.RedoCaption();
    const TCommandInfo& info = CommandInfo(c);
    return info.Caption ? info.Caption : (info.Hint ? info.Hint : "");
}

bool TNL::Undo() {
    return UndoRedo(true);
}

bool TNL::Redo() {
    return UndoRedo(false);
}

bool TNL::UndoRedo(bool undo) {
    // An object half made is finished first: it becomes the step undone.
    if (creation_ != TCreation::None) FinishCreation();
    if (drag_ != TDrag::None && drag_ != TDrag::Pending) return false;
    // The region being built refers to outlines the step may take away.
    if (IsRegionMode(mode_)) regionMode_->Enter();
    placement_ = TPlacement::None;
    if (!(undo ? Sew.History.Undo(Sew) : Sew.History.Redo(Sew))) return false;
    ForgetRemovedObjects();
    // The order on screen and the outline being linked are read again from the worksheet.
    RefreshOrderAfterUndo();
    moved_.clear();
    movedBefore_.clear();
    Sew.ComputeSelectionKind();
    CommandsChanged();
    Redraw();
    return true;
}

} // namespace nl
