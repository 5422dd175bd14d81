// Support objects in the main window: creating them, picking one with the mouse (a move inside,
// a resize on the border, nothing while locked), popup memos following the pointer, their context
// menu and commands (frame sizes, pictures, order in the list, delete), and their properties.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/MainForm.h"
#include "core/FileIO.h"
#include "regions/Pattern.h"
#include "regions/SLRegion.h"
#include "regions/Support.h"
#include "stitching/Outline.h"
#include "stitching/SLCurve.h"
#include "ui/HoopPresets.h"
#include "ui/PatternViewer.h"
#include "ui/SupportPage.h"

namespace nl {

namespace {
// Edges a border drag moves.
enum : uint8_t { EDGE_LEFT = 1, EDGE_TOP = 2, EDGE_RIGHT = 4, EDGE_BOTTOM = 8 };
} // namespace

int32_t TNL::SupportGrid() const {
    const auto& s = Sew.Settings;
    return s.GUseSmall && s.GSmall > 0 ? s.GSmall : std::max(1, s.GLarge);
}

TObjectBase* TNL::SelectedSupport() const {
    return Sew.Support.Selected > 0 ? Sew.Support.Item(Sew.Support.Selected) : nullptr;
}

void TNL::CreateSupport(uint8_t kind) {
    if (creation_ != TCreation::None) FinishCreation();
    const TKvRect visible = View.Visible();
    TUndoStep step(Sew, "Create Support Object", {});
    step.TouchSupport();
    TObjectBase* o = Sew.Support.Create(kind, visible.Left + 100, visible.Top + 100);
    if (!o) return;
    o->SnapToGrid(SupportGrid());
    Sew.MarkModified();
    CommandsChanged();
    Redraw();
}

bool TNL::SelectSupportAt(int32_t x, int32_t y) {
    const int32_t before = Sew.Support.Selected;
    Sew.Support.Selected =
        ObjectAt(x, y) ? -1 : Sew.Support.HitTest(View.WorldX(x), View.WorldY(y), View.HitMargin());
    if (before != Sew.Support.Selected) Redraw();
    return Sew.Support.Selected > 0;
}

bool TNL::StartSupportDrag() {
    if (mode_ != TMode::ObjectLayout && mode_ != TMode::DesignEdit) return false;
    const double wx = View.WorldX(pressX_), wy = View.WorldY(pressY_), m = View.HitMargin();
    TSupportHit hit = TSupportHit::None;
    const int32_t i = Sew.Support.HitTest(wx, wy, m, &hit);
    if (i < 1) return false;
    TObjectBase& o = *Sew.Support[i];
    Sew.Support.Selected = i;
    // A locked object stays where it is; a frame is a hoop outline and is taken by its border only.
    if (o.Locked || (o.Kind == SUPPORT_FRAME && hit == TSupportHit::Inside)) {
        Redraw();
        return false;
    }
    supportEdges_ = 0;
    if (hit == TSupportHit::Border) {
        if (std::fabs(wx - o.Rect.Left) <= m) supportEdges_ |= EDGE_LEFT;
        if (std::fabs(wx - o.Rect.Right) <= m) supportEdges_ |= EDGE_RIGHT;
        if (std::fabs(wy - o.Rect.Top) <= m) supportEdges_ |= EDGE_TOP;
        if (std::fabs(wy - o.Rect.Bottom) <= m) supportEdges_ |= EDGE_BOTTOM;
        // Pictures keep their picture's proportions: they are sized by "Zoom To", moved by any part.
        if (o.Kind == SUPPORT_PICTURE) supportEdges_ = 0;
    }
    drag_ = TDrag::Support;
    // One step for the whole drag; a creator's drawing moves with it.
    std::vector<TSLStitch*> members;
    if (o.Kind == SUPPORT_PATTERN_CREATOR) members = static_cast<TObjectPatternCreator&>(o).Members;
    dragStep_ = std::make_unique<TUndoStep>(Sew, supportEdges_ ? "Resize" : "Move", members);
    dragStep_->TouchSupport();
    supportDragX_ = RoundI(wx);
    supportDragY_ = RoundI(wy);
    host_.SetCursor(supportEdges_ ? TCursor::SizeAll : TCursor::Move);
    return true;
}

void TNL::SupportDragTo(double wx, double wy) {
    TObjectBase* o = SelectedSupport();
    if (!o) return;
    const int32_t x = RoundI(wx), y = RoundI(wy);
    const int32_t dx = x - supportDragX_, dy = y - supportDragY_;
    if (!dx && !dy) return;
    if (!supportEdges_) {
        o->Offset(dx, dy); // a creator moves its drawing along
        if (o->Kind == SUPPORT_PATTERN_CREATOR)
            for (TSLStitch* m : static_cast<TObjectPatternCreator*>(o)->Members)
                m->UpdateBounds(StitchContext());
    } else {
        TKvRect& r = o->Rect;
        // A resize never turns the object inside out: at least one unit each way.
        if (supportEdges_ & EDGE_LEFT) r.Left = std::min(r.Left + dx, r.Right);
        if (supportEdges_ & EDGE_RIGHT) r.Right = std::max(r.Right + dx, r.Left);
        if (supportEdges_ & EDGE_TOP) r.Top = std::min(r.Top + dy, r.Bottom);
        if (supportEdges_ & EDGE_BOTTOM) r.Bottom = std::max(r.Bottom + dy, r.Top);
    }
    supportDragX_ = x;
    supportDragY_ = y;
    Sew.MarkModified();
    Redraw();
}

void TNL::EndSupportDrag() {
    if (TObjectBase* o = SelectedSupport()) {
        auto [dx, dy] = o->SnapToGrid(SupportGrid());
        // The snap moved the creator alone: its drawing follows.
        if ((dx || dy) && o->Kind == SUPPORT_PATTERN_CREATOR)
            for (TSLStitch* m : static_cast<TObjectPatternCreator*>(o)->Members)
                m->Offset(static_cast<float>(dx), static_cast<float>(dy));
    }
    dragStep_.reset();
    host_.SetCursor(TCursor::Arrow);
    if (supportPage_) host_.ShowSupportProperties(); // the page shows the new size
}

void TNL::SupportHover(int32_t x, int32_t y) {
    bool changed = false;
    const double wx = View.WorldX(x), wy = View.WorldY(y);
    for (int32_t i = 1; i < Sew.Support.Count(); ++i)
        if (Sew.Support[i]->Kind == SUPPORT_TEXT_LABEL)
            changed = static_cast<TObjectText&>(*Sew.Support[i]).PointerAt(wx, wy) || changed;
    if (changed) Redraw();
}

void TNL::MoveLockedMemos(const std::vector<TSLStitch*>& moved, double dx, double dy) {
    for (TSLStitch* o : moved)
        Sew.Support.MoveLockedMemos(o, RoundI(dx), RoundI(dy));
}

std::vector<TContextItem> TNL::SupportMenuAt(int32_t x, int32_t y) {
    contextSupport_ = Sew.Support.HitTest(View.WorldX(x), View.WorldY(y), View.HitMargin());
    if (contextSupport_ < 1) return {};
    Sew.Support.Selected = contextSupport_;
    const TObjectBase& o = *Sew.Support[contextSupport_];
    std::vector<TContextItem> items;
    switch (o.Kind) {
    case SUPPORT_FRAME:
        items.push_back({"Change Frame Size", CMD_CHANGE_FRAME_SIZE});
        break;
    case SUPPORT_PICTURE:
        items.push_back({"Import Image", CMD_IMPORT_IMAGE});
        items.push_back({"Export Image", CMD_EXPORT_IMAGE});
        break;
    case SUPPORT_PATTERN_CREATOR:
        items.push_back({"Import Stitch Pattern", CMD_IMPORT_PATTERN});
        items.push_back({"Export Stitch Pattern", CMD_EXPORT_PATTERN});
        break;
    default:
        break;
    }
    if (o.Kind == SUPPORT_PATTERN_CREATOR)
        AddCreatorItems(items, static_cast<const TObjectPatternCreator&>(o));
    items.push_back({"Bring To Top", CMD_SUPPORT_TO_TOP});
    items.push_back({"Send To Bottom", CMD_SUPPORT_TO_BOTTOM});
    items.push_back({"Delete Object", CMD_SUPPORT_DELETE});
    items.push_back({SupportPropertiesCaption(o.Kind), CMD_PROPERTIES});
    Redraw();
    return items;
}

bool TNL::RunSupportCommand(int32_t code) {
    if (contextSupport_ < 1) return false;
    const int32_t i = contextSupport_;
    contextSupport_ = -1;
    if (i >= Sew.Support.Count()) return true; // it went since the menu was built
    TObjectBase& o = *Sew.Support[i];
    Sew.Support.Selected = i;
    if (o.Kind == SUPPORT_PATTERN_CREATOR &&
        RunCreatorCommand(code, static_cast<TObjectPatternCreator&>(o))) {
        CommandsChanged();
        Redraw();
        return true;
    }
    auto reorder = [&](auto move) {
        TUndoStep step(Sew, code == CMD_SUPPORT_TO_TOP ? "Bring To Top" : "Send To Bottom", AllMembers());
        step.TouchSupport();
        move();
        RelinkCreatorMembers();
        Sew.MarkModified();
    };
    switch (code) {
    case CMD_CHANGE_FRAME_SIZE:
        ChangeFrameSize(o);
        break;
    case CMD_IMPORT_IMAGE:
        if (o.Kind == SUPPORT_PICTURE) ImportImage(static_cast<TObjectBitmap&>(o));
        break;
    case CMD_EXPORT_IMAGE:
        if (o.Kind == SUPPORT_PICTURE) ExportImage(static_cast<TObjectBitmap&>(o));
        break;
    case CMD_IMPORT_PATTERN:
        if (o.Kind == SUPPORT_PATTERN_CREATOR) ImportStitchPattern(static_cast<TObjectPatternCreator&>(o));
        break;
    case CMD_EXPORT_PATTERN:
        if (o.Kind == SUPPORT_PATTERN_CREATOR) ExportStitchPattern(static_cast<TObjectPatternCreator&>(o));
        break;
    case CMD_SUPPORT_TO_TOP:
        reorder([&] { Sew.Support.BringToTop(i); });
        break;
    case CMD_SUPPORT_TO_BOTTOM:
        reorder([&] { Sew.Support.SendToBottom(i); });
        break;
    case CMD_SUPPORT_DELETE:
        DeleteSupport(i);
        break;
    case CMD_PROPERTIES:
        ShowSupportProperties(o);
        break;
    default:
        return false;
    }
    CommandsChanged();
    Redraw();
    return true;
}

bool TNL::DeleteSupport(int32_t i) {
    if (i < 1 || i >= Sew.Support.Count()) return false;
    if (host_.MessageDialog(
            "Deleting Support Object",
            "This very useful object is about to be Erased out of existance. OK to Continue ?",
            TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    CloseSupportProperties();
    TUndoStep step(Sew, "Delete", AllMembers());
    step.TouchSupport();
    TObjectBase* gone = Sew.Support[i];
    if (gone->Kind == SUPPORT_PATTERN_CREATOR) {
        // A creator's drawing goes with it.
        for (TSLStitch* m : std::vector<TSLStitch*>(static_cast<TObjectPatternCreator*>(gone)->Members))
            if (Sew.IndexOf(m) >= 0) Sew.DeleteObject(m);
        ForgetRemovedObjects();
    }
    Sew.Support.Remove(i);
    RelinkCreatorMembers();
    Sew.MarkModified();
    return true;
}

std::vector<TSLStitch*> TNL::AllMembers() const {
    std::vector<TSLStitch*> all;
    for (TObjectPatternCreator* c : Sew.Support.Creators())
        all.insert(all.end(), c->Members.begin(), c->Members.end());
    return all;
}

void TNL::RelinkCreatorMembers() {
    // Members name their creator by its place in the support list, which just changed.
    Sew.Support.Renumber();
    for (TObjectPatternCreator* c : Sew.Support.Creators())
        for (TSLStitch* m : c->Members)
            m->OrderIndex = c->ListIndex;
}

void TNL::EditSupport(const char* name, const std::function<void()>& edit) {
    TEventScope done{*this};
    TUndoStep step(Sew, name, {});
    step.TouchSupport();
    edit();
}

void TNL::SupportWentAway() {
    // An undone step reads the support list back: the objects are new ones.
    bool known = false;
    if (supportPage_)
        for (int32_t i = 1; i < Sew.Support.Count(); ++i)
            known = known || Sew.Support[i] == &supportPage_->Target();
    if (supportPage_ && !known) CloseSupportProperties();
    if (Sew.Support.Selected >= Sew.Support.Count()) Sew.Support.Selected = -1;
    ResolveCreatorMembers(Sew.Support, Objects());
}

void TNL::ChangeFrameSize(TObjectBase& frame) {
    TUndoStep step(Sew, "Change Frame Size", {});
    step.TouchSupport();
    frameSizes_ = std::make_unique<TFrameSizes>(frame);
    const TKvRect before = frame.Rect;
    const int32_t extra = frame.Extra;
    host_.ShowFrameSizes();
    frameSizes_.reset();
    if (before.Right != frame.Rect.Right || before.Bottom != frame.Rect.Bottom || extra != frame.Extra)
        Sew.MarkModified();
    host_.SetStatus(FrameInfoLine(frame));
    Redraw();
}

void TNL::ImportImage(TObjectBitmap& picture) {
    TFileDialogRequest req;
    req.Title = "Import Image";
    req.Filter = "Image Files (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp;*.JPG;*.JPEG;*.BMP|All Files|*";
    req.InitialDir = DesignFolder();
    TFileDialogResult r = host_.OpenFileDialog(req);
    if (!r.Accepted || r.FileName.empty()) return;
    TUndoStep step(Sew, "Import Image", {});
    step.TouchSupport();
    const std::string error = picture.LoadFile(r.FileName);
    Sew.MarkModified();
    Redraw();
    if (!error.empty()) host_.MessageDialog("Image Loading Error", error, Buttons(TButton::OK));
    if (supportPage_) host_.ShowSupportProperties();
}

void TNL::ExportImage(const TObjectBitmap& picture) {
    TFileDialogRequest req;
    req.Title = "Export Image";
    req.Filter = "JPEG Image (*.jpg)|*.jpg";
    req.InitialDir = DesignFolder();
    req.FileName = std::filesystem::path(picture.FileName).stem().string() + ".jpg";
    TFileDialogResult r = host_.SaveFileDialog(req);
    if (!r.Accepted || r.FileName.empty()) return;
    try {
        WriteFileAtomic(r.FileName, picture.Jpeg);
    } catch (const std::exception& e) {
        host_.MessageDialog("Image Saving Error",
                            std::string("Unable To Save Image ") + r.FileName + "\n" + e.what(),
                            Buttons(TButton::OK));
    }
}

void TNL::ShowSupportProperties(TObjectBase& o) {
    supportPage_ = std::make_unique<TSupportPage>(o, StitchContext(), [this] {
        Sew.MarkModified();
        Redraw();
    });
    host_.ShowSupportProperties();
}

void TNL::CloseSupportProperties() {
    if (!supportPage_) return;
    host_.CloseSupportProperties();
    supportPage_.reset();
}

void TNL::InitSupportServices() {
    // Objects drawn inside a stitch pattern creator are its members (its drawing).
    Services.PatternCreatorAt = [this](float x, float y) -> TObjectBase* {
        Sew.Support.Renumber();
        return CreatorAt(Sew.Support, x, y);
    };
    Services.AddPatternMember = [](TObjectBase& creator, TSLStitch& object) {
        if (creator.Kind == SUPPORT_PATTERN_CREATOR)
            AddMember(static_cast<TObjectPatternCreator&>(creator), object);
    };
    Services.RemovePatternMember = [](TObjectBase& creator, TSLStitch& object) {
        if (creator.Kind == SUPPORT_PATTERN_CREATOR)
            RemoveMember(static_cast<TObjectPatternCreator&>(creator), object);
    };
}

void TNL::DrawSupport(uint8_t layer, const TDrawContext& dc) const {
    TSupportDrawState state;
    state.HideBitmaps = Toggles.HideBitmaps;
    state.Zoom = static_cast<float>(View.Zoom);
    Sew.Support.Draw(layer, dc, state);
}

} // namespace nl
