#include "app/MainForm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "app/Folders.h"
#include "app/Help.h"
#include "app/JumpMode.h"
#include "app/OrderMode.h"
#include "app/Recovery.h"
#include "app/RegionMode.h"
#include "app/Shaping.h"
#include "core/FileIO.h"
#include "core/Geometry.h"
#include "core/Numeric.h"
#include "core/Point.h"
#include "formats/Worksheet.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"
#include "ui/CircleDialog.h"
#include "ui/CompensationView.h"
#include "ui/EditOutlinePage.h"
#include "ui/HoopPresets.h"
#include "ui/PatternViewer.h"
#include "ui/SupportPage.h"
#include "ui/TransformDialogs.h"

namespace nl {

uint32_t ModeBit(TMode mode) {
    switch (mode) {
    case TMode::ObjectLayout:
        return MB_LAYOUT;
    case TMode::DesignEdit:
        return MB_DESIGN;
    case TMode::FillRegion:
        return MB_REGION;
    case TMode::OutlineJump:
        return MB_OUTLINE_JUMP;
    case TMode::ChangeOrder:
        return MB_ORDER;
    case TMode::PointJoin:
        return MB_POINT_JOIN;
    case TMode::RegionNodeInsert:
        return MB_NODE_INSERT;
    case TMode::SetJumps:
        return MB_SET_JUMPS;
    case TMode::SewSimulation:
        return 0;
    }
    return 0;
}

int32_t PointsPerGroup(TCreation c) {
    switch (c) {
    case TCreation::DirectStitch:
    case TCreation::Line: // every click of a line object is an anchor that ends a segment
        return 1;
    case TCreation::Circle:
        return 7;
    case TCreation::None:
        return 0;
    default:
        return 3;
    }
}

namespace {
// The first command line argument, trimmed and without its quotes.
std::string CleanArgument(std::string s) {
    auto trim = [](std::string& t) {
        size_t a = t.find_first_not_of(" \t\r\n");
        size_t b = t.find_last_not_of(" \t\r\n");
        t = a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
    };
    trim(s);
    std::erase(s, '"');
    trim(s);
    return s;
}
} // namespace

TNL::TNL(Host& host) : host_(host) {
    regionMode_ = std::make_unique<TRegionMode>(*this, host_);
    orderMode_ = std::make_unique<TOrderMode>(Sew, host_);
    jumpMode_ = std::make_unique<TJumpMode>(Sew, host_);
    simulator_ = std::make_unique<TSewSimulator>(host_);
    simulator_->Changed = [this] { SimulationChanged(); };
    InitSupportServices();
}
TNL::~TNL() = default;

// ---- properties window and envelope editor ----

void TNL::ShowProperties(TSLStitch& object) {
    Sew.SetCurrent(&object);
    host_.ShowPropertiesWindow();
}

TEditOutlinePage& TNL::OpenEnvelopeEditor(TSLCurve& curve) {
    envelope_ = std::make_unique<TEditOutlinePage>(curve, StitchContext());
    envelopeCurve_ = &curve;
    envelopeShown_ = false;
    return *envelope_;
}

void TNL::CloseEnvelopeEditor() {
    envelope_.reset();
    envelopeCurve_ = nullptr;
    envelopeShown_ = false;
}

TEditOutlinePage* TNL::EnvelopeEditor() const {
    if (!envelopeShown_ || !envelope_ || Sew.IndexOf(envelopeCurve_) < 0) return nullptr;
    return envelope_.get();
}

void TNL::ForgetRemovedObjects() {
    // The editor's outline went (the properties window, following the worksheet, lets go too).
    if (envelope_ && Sew.IndexOf(envelopeCurve_) < 0) CloseEnvelopeEditor();
    if (contextObject_ && Sew.IndexOf(contextObject_) < 0) contextObject_ = nullptr;
    if (PointEdit.Appending && Sew.IndexOf(PointEdit.Appending) < 0) PointEdit.Appending = nullptr;
    if (Files.LastImport && Sew.IndexOf(Files.LastImport) < 0) Files.LastImport = nullptr;
    // Support objects may have been read back (undo) and drawing objects left the worksheet.
    SupportWentAway();
}

std::vector<TSLStitch*> TNL::Objects() const {
    std::vector<TSLStitch*> v;
    v.reserve(static_cast<size_t>(Sew.Count()));
    for (int32_t i = 0; i < Sew.Count(); ++i)
        v.push_back(Sew[i]);
    return v;
}

uint32_t TNL::SelectionBit() const {
    if (mode_ == TMode::ObjectLayout) return OF_SELECTED_LAYOUT;
    if (mode_ == TMode::DesignEdit) return OF_SELECTED_EDIT;
    return 0;
}

namespace {
// "Nordelune : ( name )", with an asterisk before the name while changes are unsaved; an untouched
// new worksheet is plain "Nordelune ".
std::string CaptionOf(const std::string& fileName, bool modified) {
    const bool named = !fileName.empty() && fileName != "Untitled";
    if (!named && !modified) return "Nordelune ";
    return "Nordelune : ( " + std::string(modified ? "*" : "") + (named ? fileName : "Untitled") + " )";
}
} // namespace

void TNL::RefreshCaption() const {
    std::string caption = CaptionOf(Sew.FileName, Sew.Modified);
    if (caption == caption_) return;
    caption_ = std::move(caption);
    host_.SetCaption(caption_);
}

// ---- start-up and leaving ----

void TNL::FirstShow(const std::vector<std::string>& args) {
    if (firstShown_) return;
    firstShown_ = true;
    host_.SetCaption(caption_);
    // The table reports its own problems.
    Files.Texture = LoadColorTable(FoldersOf(host_.ProgramFolder()).Shipped, host_);
    if (!args.empty()) startupFile_ = CleanArgument(args.front());
    // Work a crash left behind comes first: restored, it takes the place of the named file.
    if (OfferRecovery()) return;
    if (startupFile_.empty()) return;
    // A machine file given to the program (a double click on a design in the file manager) is
    // imported into the new worksheet rather than refused as a worksheet.
    const TFormat* machine =
        IsWorksheetName(startupFile_) ? nullptr : FormatOfExtension(ImportExtension(startupFile_));
    if (machine && machine->Read) {
        ImportAtStart(startupFile_);
        return;
    }
    OpenWorksheet(startupFile_);
}

void TNL::ImportAtStart(const std::string& file) {
    TUndoStep step(Sew, "Import", {});
    TSLStitch* object = ImportStitchFile(Sew, file, host_, 0, 0, IMPORT_DEFAULT_FILTER_INDEX, nullptr);
    if (!object) return;
    // Its top left corner a little inside the view's top left corner.
    TKvRect b = object->GetExtent();
    if (!b.empty)
        object->Offset(static_cast<float>(View.WorldX(40) - b.Left),
                       static_cast<float>(View.WorldY(40) - b.Top));
    // The next import starts in the folder of this one.
    Sew.Settings.Import.FileName = file;
    Files.LastImport = object;
    CommandsChanged();
    Redraw();
}

void TNL::AdoptWorksheet(TSew&& fresh, const std::string& fileName, bool modified) {
    // The region being built refers to outlines of the worksheet that is going away.
    if (IsRegionMode(mode_)) regionMode_->Enter();
    Sew = std::move(fresh);
    Sew.FileName = fileName;
    Sew.Modified = modified;
    RefreshCaption();
    // Nothing of the old worksheet is left.
    CloseEnvelopeEditor();
    CloseSupportProperties();
    contextObject_ = nullptr;
    Files.LastImport = nullptr;
    dragObject_ = nullptr;
    moved_.clear();
    movedBefore_.clear();
    // The worksheet was generated for display with compensation; the view may hide it.
    if (!Toggles.ShowAllCompensation) {
        TStitchContext ctx = StitchContext();
        SetShowCompensation(Sew, ctx, false);
    }
    // The worksheet opens in the mode it was saved in: Design And Editing, or Object Layout.
    uint8_t savedMode = Sew.Settings.WorksheetMode;
    SetMode(savedMode == 1 ? TMode::DesignEdit : TMode::ObjectLayout);
    Sew.Settings.WorksheetMode = savedMode;
    // The 3D view needs a display of 24 bits or more.
    if (Toggles.Mode3D && host_.DisplayDepth() != 24 && host_.DisplayDepth() != 32) Toggles.Mode3D = false;
    Sew.ComputeSelectionKind();
    CommandsChanged();
    Redraw();
}

bool TNL::OpenWorksheet(const std::string& fileName) {
    if (creation_ != TCreation::None) CancelCreation();
    placement_ = TPlacement::None;
    // Loaded into a fresh worksheet, so a failed load leaves the current one (and its file name)
    // untouched and a later Save cannot overwrite the file with an empty worksheet. Settings an
    // older file lacks keep their current values.
    TSew fresh;
    fresh.Settings = Sew.Settings;
    host_.SetStatus("  Loading File");
    try {
        LoadWorksheet(fileName, fresh);
    } catch (const TWorksheetError& e) {
        host_.SetStatus("");
        switch (e.Fault) {
        case TWorksheetFault::NotFound:
            host_.MessageDialog("File Loading Error !",
                                "Don't Seem To Be Able To Find The File " + fileName +
                                    " At The Specified Path ",
                                Buttons(TButton::OK), TIcon::Error);
            break;
        case TWorksheetFault::NotAWorksheet:
            host_.MessageDialog("Unexpected File Format !", fileName + " Is Not A Nordelune Worksheet ! ",
                                Buttons(TButton::OK), TIcon::Error);
            break;
        case TWorksheetFault::Newer:
            host_.MessageDialog(
                "Unexpected File Format !",
                "This Worksheet Was Created On A Newer Version Of Nordelune And You Will Have To "
                "Update The Software To Load It. Please Visit The Nordelune Web Site For The "
                "Latest Version. ( " +
                    fileName + " ).",
                Buttons(TButton::OK), TIcon::Error);
            break;
        default:
            host_.MessageDialog("File Loading Error !",
                                fileName + " Could Not Be Loaded: " + e.Reason +
                                    ". The Current Worksheet Was Left As It Was.",
                                Buttons(TButton::OK), TIcon::Error);
            break;
        }
        return false;
    } catch (const std::exception& e) {
        host_.SetStatus("");
        host_.MessageDialog("File Loading Error !", fileName + " Could Not Be Loaded: " + e.what(),
                            Buttons(TButton::OK), TIcon::Error);
        return false;
    }
    host_.SetStatus("  Constructing Stitch Objects");
    host_.ClosePropertiesWindow();
    AdoptWorksheet(std::move(fresh), fileName, false);
    host_.SetStatus("");
    // What a crash could have lost is now in the file.
    Autosave();
    return true;
}

bool TNL::SaveWorksheetAs(const std::string& fileName) {
    if (creation_ != TCreation::None) FinishCreation();
    host_.SetStatus("  Saving File");
    try {
        SaveWorksheet(Sew, fileName);
    } catch (const std::exception& e) {
        host_.SetStatus("");
        host_.MessageDialog("File Saving Error !",
                            std::string(e.what()) + ". The Previous File Was Left As It Was.",
                            Buttons(TButton::OK), TIcon::Error);
        return false;
    }
    host_.SetStatus("Saved " + std::filesystem::path(fileName).filename().string());
    Sew.FileName = fileName;
    Sew.Modified = false;
    Sew.History.MarkSaved();
    RefreshCaption();
    // Nothing is unsaved any more: the recovery copy goes.
    Autosave();
    CommandsChanged();
    return true;
}

// ---- recovery copies ----

bool TNL::EditInProgress() const {
    if (Sew.History.Recording() || creation_ != TCreation::None || transform_.Active()) return true;
    if (rotateDialog_ || resizeDialog_ || circleDialog_ || frameSizes_) return true;
    // A fill region whose path is still being clicked together.
    if (const TSLRegion* r = regionMode_->Builder().Region();
        r && r->UnderConstruction() && Sew.IndexOf(r) >= 0)
        return true;
    return drag_ != TDrag::None && drag_ != TDrag::Pending && drag_ != TDrag::Rectangle &&
           drag_ != TDrag::Pan;
}

bool TNL::Autosave() {
    if (Recovery.Folder.empty()) return false;
    if (!Sew.Modified) {
        Recovery.Deferred = false;
        Recovery.Remove();
        return false;
    }
    // Half-way through an edit the objects are not what either side of it holds (a transform has
    // their stitching switched off, a column waits for its second rail): the copy waits.
    if (EditInProgress()) {
        Recovery.Deferred = true;
        return false;
    }
    Recovery.Deferred = false;
    try {
        // The user's name is recorded inside, so the copy knows whose work it is.
        return Recovery.Write(WorksheetBytes(Sew, Sew.FileName));
    } catch (const std::exception&) {
        // A recovery copy that cannot be made must not stop the user's work.
        return false;
    }
}

void TNL::EventDone() {
    RefreshCaption();
    if (Recovery.Deferred && !EditInProgress()) Autosave();
}

void TNL::Closing() {
    Recovery.Closing();
}

bool TNL::OfferRecovery() {
    std::vector<TLeftCopy> left = Recovery.TakeLeftCopies();
    bool restored = false;
    size_t kept = 0;
    TLeftCopy* taken = nullptr;
    for (TLeftCopy& copy : left) {
        // One worksheet at a time: once one is restored the others wait for the next start.
        if (restored) {
            TRecoveryCopies::Release(copy, false);
            ++kept;
            continue;
        }
        const std::string when = SavedTimeText(copy.Saved);
        TSew fresh;
        fresh.Settings = Sew.Settings;
        TWorksheetInfo info;
        try {
            info = LoadWorksheet(copy.File, fresh);
        } catch (const std::exception& e) {
            host_.MessageDialog("Recovery Copy Could Not Be Read",
                                "A Recovery Copy Of Unsaved Work Saved On " + when + " Could Not Be Read ( " +
                                    e.what() + " ). It Was Kept As " + copy.File.string() + ".",
                                Buttons(TButton::OK), TIcon::Error);
            TRecoveryCopies::Release(copy, false);
            continue;
        }
        const std::string name = info.StoredFileName.empty() ? std::string("Untitled") : info.StoredFileName;
        const std::string whose = name == "Untitled" ? std::string("An Untitled Worksheet") : name;
        const TButton answer = host_.MessageDialog(
            "Recover Unsaved Work ?",
            "Nordelune Was Not Closed Properly. Unsaved Work On " + whose + ", Saved On " + when +
                ", Was Kept. Do You Want To Restore It ? ( No Deletes This Copy; Cancel Keeps It For The "
                "Next Start. )",
            TButton::Yes | TButton::No | TButton::Cancel);
        if (answer == TButton::Yes) {
            AdoptWorksheet(std::move(fresh), name, true);
            restored = true;
            taken = &copy;
        } else {
            TRecoveryCopies::Release(copy, answer == TButton::No);
        }
    }
    if (restored) {
        // The restored work is unsaved: it gets this program's copy before the old one goes (which
        // stays when no copy could be written).
        const bool copied = Autosave();
        TRecoveryCopies::Release(*taken, copied);
        if (kept)
            host_.SetStatus(std::to_string(kept) +
                            (kept == 1 ? " Other Recovery Copy Was" : " Other Recovery Copies Were") +
                            " Kept For The Next Start");
    }
    return restored;
}

bool TNL::CanClose() {
    return SettleUnsavedChanges(Sew, host_, "Exit Nordelune ?", "Leaving",
                                [this] { return SaveCommand(false); });
}

// ---- modes ----

void TNL::SetMode(TMode mode) {
    if (creation_ != TCreation::None) FinishCreation();
    placement_ = TPlacement::None;
    const bool fromRegion = IsRegionMode(mode_);
    if (fromRegion && !IsRegionMode(mode)) regionMode_->Leave();
    if (mode_ == TMode::OutlineJump && mode != TMode::OutlineJump) jumpMode_->Leave();
    if (mode_ == TMode::PointJoin && mode != TMode::PointJoin) LeavePointJoin();
    // Leaving the stitch order mode for anything but its own sub-states ends it.
    if (orderMode_->Active() && !IsOrderMode(mode) && mode != TMode::OutlineJump &&
        mode != TMode::SewSimulation)
        CloseOrderList();
    if (mode != mode_) {
        previousMode_ = mode_;
        mode_ = mode;
    }
    // The worksheet remembers which of the two main modes it is worked in (1: Design And Editing;
    // any other value: Object Layout, which a value read from a file keeps).
    if (mode == TMode::DesignEdit) Sew.Settings.WorksheetMode = 1;
    if (mode == TMode::ObjectLayout && Sew.Settings.WorksheetMode == 1) Sew.Settings.WorksheetMode = 0;
    std::string prompt;
    switch (mode) {
    case TMode::FillRegion:
    case TMode::RegionNodeInsert:
        // Coming back from the fixed-node placement keeps the path being built.
        if (!fromRegion) {
            Sew.ClearSelection(OF_REGION_MARK_2 | OF_REGION_MARK_1);
            regionMode_->Enter();
        }
        prompt = regionMode_->Prompt();
        break;
    case TMode::OutlineJump: {
        host_.ClosePropertiesWindow();
        // With an outline of a chain current, the chain's start point is set; otherwise links are
        // made.
        TSLStitch* cur = Sew.Current();
        jumpMode_->Context = StitchContext();
        auto* curve =
            CanJump(cur) && static_cast<TSLCurve*>(cur)->Jumps ? static_cast<TSLCurve*>(cur) : nullptr;
        jumpMode_->Enter(curve);
        prompt = jumpMode_->Prompt();
        break;
    }
    case TMode::ChangeOrder:
        prompt = " Click On Each Stitch Element In The Order That You Want To Sew It.";
        break;
    case TMode::SetJumps:
        prompt = " Left Click on A Node To Set Jump Start Position !";
        break;
    default:
        break;
    }
    host_.SetPrompt(prompt);
    CommandsChanged();
    Redraw();
}

// ---- view events ----

void TNL::Resize(int32_t width, int32_t height) {
    View.Width = std::max(1, width);
    View.Height = std::max(1, height);
}

void TNL::ZoomStep(bool in, int32_t x, int32_t y) {
    int32_t z = StepZoom(View.Zoom, in);
    if (z == View.Zoom) return;
    View.ZoomAbout(z, x, y);
    Redraw();
}

void TNL::Wheel(int32_t x, int32_t y, bool up, TModifiers mods, bool middle) {
    int32_t z = (mods.Shift || mods.Ctrl || middle) ? PresetZoom(View.Zoom, up) : StepZoom(View.Zoom, up);
    if (z == View.Zoom) return;
    View.ZoomAbout(z, x, y);
    Redraw();
}

bool TNL::KeyDown(TKey key, TModifiers mods) {
    TEventScope done{*this};
    auto pointer = [&](int32_t& x, int32_t& y) {
        bool inside =
            havePointer_ && lastX_ >= 0 && lastY_ >= 0 && lastX_ < View.Width && lastY_ < View.Height;
        x = inside ? lastX_ : View.Width / 2;
        y = inside ? lastY_ : View.Height / 2;
    };
    switch (key) {
    case TKey::Left:
    case TKey::Right:
    case TKey::Up:
    case TKey::Down: {
        int32_t units = mods.Shift ? 200 : (mods.Ctrl ? 50 : 20);
        // With a selection the arrows move it (by the same steps); without one they scroll.
        if (creation_ == TCreation::None && drag_ == TDrag::None &&
            NudgeSelection(key == TKey::Left    ? -units
                           : key == TKey::Right ? units
                                                : 0,
                           key == TKey::Up     ? -units
                           : key == TKey::Down ? units
                                               : 0))
            return true;
        int32_t px = std::max(1, RoundI(units * View.Scale()));
        if (key == TKey::Left) View.ScrollX -= px;
        if (key == TKey::Right) View.ScrollX += px;
        if (key == TKey::Up) View.ScrollY -= px;
        if (key == TKey::Down) View.ScrollY += px;
        Redraw();
        return true;
    }
    case TKey::I:
    case TKey::O: {
        int32_t x, y;
        pointer(x, y);
        ZoomStep(key == TKey::I, x, y);
        return true;
    }
    case TKey::Escape:
        if (creation_ != TCreation::None) CancelCreation();
        PointEdit.Appending = nullptr; // a merge waiting for its second object
        if (mode_ == TMode::PointJoin) {
            SetMode(previousMode_ == TMode::PointJoin ? TMode::DesignEdit : previousMode_);
            host_.SetPrompt("");
        }
        if (IsRegionMode(mode_) && placement_ == TPlacement::None) regionMode_->Escape();
        if (placement_ != TPlacement::None) {
            placement_ = TPlacement::None;
            host_.SetPrompt("");
        }
        return true;
    case TKey::F5:
    case TKey::F6:
        if (ModeBit(mode_) == 0) return true;
        SwitchStitching(key == TKey::F5);
        return true;
    case TKey::F1:
        // The context help: the guide's part about the mode the user is in.
        OpenGuide(host_, ModeHelpPage(mode_));
        return true;
    case TKey::F10:
        return true; // screen image export belongs to a later feature
    default:
        return false;
    }
}

// ---- mouse ----

void TNL::MouseDown(TMouseButton button, int32_t x, int32_t y, TModifiers mods) {
    pressed_ = true;
    pressButton_ = button;
    pressMods_ = mods;
    pressX_ = lastX_ = x;
    pressY_ = lastY_ = y;
    havePointer_ = true;
    drag_ = TDrag::Pending;
    dragObject_ = nullptr;
    dragPoint_ = -1;
}

void TNL::MouseMove(int32_t x, int32_t y, TModifiers mods) {
    (void)mods;
    havePointer_ = true;
    lastX_ = x;
    lastY_ = y;
    if (mode_ == TMode::RegionNodeInsert) regionMode_->PointerMoved(View.WorldX(x), View.WorldY(y));
    if (creation_ == TCreation::Circle) CircleFollow(View.WorldX(x), View.WorldY(y));
    if (!pressed_) {
        SupportHover(x, y); // popup memos open under the pointer
        if (mode_ == TMode::SetJumps) DiamondHover(x, y);
        return;
    }
    int32_t d = std::max(std::abs(x - pressX_), std::abs(y - pressY_));
    if (drag_ == TDrag::Pending) {
        if (pressButton_ == TMouseButton::Left && d > 3) {
            StartLeftDrag();
        } else if (pressButton_ == TMouseButton::Right && d > 1) {
            // Panning starts on empty worksheet, a support object or a fill region.
            TSLStitch* hit = mode_ == TMode::SewSimulation ? nullptr : ObjectAt(pressX_, pressY_);
            drag_ = (!hit || hit->Kind() == KIND_REGION) ? TDrag::Pan : TDrag::None;
            panX_ = pressX_;
            panY_ = pressY_;
        }
    }
    double wx = View.WorldX(x), wy = View.WorldY(y);
    switch (drag_) {
    case TDrag::Rectangle:
        Redraw();
        break;
    case TDrag::MoveSelection: {
        auto dx = static_cast<float>(wx - dragWorldX_), dy = static_cast<float>(wy - dragWorldY_);
        for (TSLStitch* o : moved_)
            o->Offset(dx, dy);
        // The regions built on moved outlines follow the drag.
        RefillRegionsOf(moved_, dx, dy);
        dragWorldX_ = wx;
        dragWorldY_ = wy;
        Redraw();
        break;
    }
    case TDrag::RotateSelection:
        RotateTo(wx, wy);
        break;
    case TDrag::Support:
        SupportDragTo(wx, wy);
        break;
    case TDrag::MovePoint:
        DragPointTo(wx, wy);
        break;
    case TDrag::Envelope:
        // The page's own editor: a generation error may close the window during the drag.
        if (envelope_ && envelope_->DragTo(wx, wy)) Redraw();
        break;
    case TDrag::Diamond:
        DiamondDragTo(wx, wy);
        break;
    case TDrag::Pan:
        View.ScrollX -= x - panX_;
        View.ScrollY -= y - panY_;
        panX_ = x;
        panY_ = y;
        Redraw();
        break;
    default:
        break;
    }
}

void TNL::StartLeftDrag() {
    drag_ = TDrag::None;
    // Nothing on the worksheet is picked up while the design is being sewn.
    if (mode_ == TMode::SewSimulation) return;
    // The circle's radius follows the pointer, pressed or not: its release is the next click.
    if (creation_ == TCreation::Circle) return;
    if (creation_ != TCreation::None) {
        // A drag that starts on the point just created moves it.
        TSLStitch* rail = CurrentRail();
        if (rail && !rail->Empty()) {
            const TSP& p = *rail->Last();
            int32_t m = View.NearMargin();
            if (std::fabs(p.X - View.WorldX(pressX_)) <= m && std::fabs(p.Y - View.WorldY(pressY_)) <= m) {
                drag_ = TDrag::MovePoint;
                dragObject_ = rail;
                dragPoint_ = rail->Count() - 1;
            }
        }
        return;
    }
    if (mode_ == TMode::SetJumps && StartDiamondDrag()) return;
    if (StartHandleDrag()) return;
    uint32_t bit = SelectionBit();
    TSLStitch* hit = ObjectAt(pressX_, pressY_);
    if (hit && bit && (hit->Flags & bit) && Toggles.RotateMode) {
        StartRotate(bit);
        return;
    }
    if (hit && bit && (hit->Flags & bit)) {
        drag_ = TDrag::MoveSelection;
        moved_.clear();
        movedBefore_.clear();
        for (TSLStitch* o : Objects())
            if ((o->Flags & bit) && !(o->Flags & OF_PATTERN_MEMBER)) {
                moved_.push_back(o);
                movedBefore_.push_back(o->Bounds);
            }
        dragStep_ = std::make_unique<TUndoStep>(Sew, "Move", moved_);
        // Memos locked to a moved object follow it at the release: the step keeps them too.
        if (std::any_of(moved_.begin(), moved_.end(),
                        [this](TSLStitch* o) { return Sew.Support.HasMemoLockedTo(o); }))
            dragStep_->TouchSupport();
        dragWorldX_ = View.WorldX(pressX_);
        dragWorldY_ = View.WorldY(pressY_);
        host_.SetCursor(TCursor::SizeAll);
        return;
    }
    // Off the stitch objects, a support object under the pointer is moved or resized.
    if (!hit && StartSupportDrag()) return;
    drag_ = TDrag::Rectangle;
}

void TNL::MouseUp(TMouseButton button, int32_t x, int32_t y, TModifiers mods) {
    TEventScope done{*this};
    if (!pressed_ || button != pressButton_) return;
    pressed_ = false;
    lastX_ = x;
    lastY_ = y;
    int32_t d = std::max(std::abs(x - pressX_), std::abs(y - pressY_));
    if (button == TMouseButton::Left) {
        if (drag_ == TDrag::Pending && d > 3) StartLeftDrag();
        if (drag_ == TDrag::Pending || (creation_ != TCreation::None && drag_ != TDrag::MovePoint)) {
            // Any left release during creation adds a point.
            drag_ = TDrag::None;
            LeftClick(x, y, mods);
        } else {
            EndDrag(x, y, mods);
        }
    } else if (button == TMouseButton::Right) {
        bool click = drag_ == TDrag::Pending && d <= 1;
        drag_ = TDrag::None;
        if (click && creation_ != TCreation::None) {
            CreationEndStep();
        } else if (click && mode_ != TMode::SewSimulation &&
                   (IsRegionMode(mode_) || placement_ == TPlacement::None)) {
            // Otherwise a right click opens the context menu of what is under the pointer.
            OpenContextMenu(x, y);
        }
    }
    drag_ = TDrag::None;
    dragObject_ = nullptr;
    Redraw();
}

void TNL::LeftClick(int32_t x, int32_t y, TModifiers mods) {
    if (placement_ != TPlacement::None) {
        ServePlacement(x, y);
        return;
    }
    if (creation_ != TCreation::None) {
        CreationClick(static_cast<float>(View.WorldX(x)), static_cast<float>(View.WorldY(y)));
        return;
    }
    if (mode_ == TMode::PointJoin) {
        PointJoinClick(x, y);
        return;
    }
    if (PointEditClick(x, y, mods)) return;
    if (mode_ == TMode::ObjectLayout || mode_ == TMode::DesignEdit) {
        SelectSupportAt(x, y);
        ClickSelect(x, y, mods);
    }
    if (IsRegionMode(mode_)) regionMode_->Click(View.WorldX(x), View.WorldY(y));
    if (IsOrderMode(mode_) || mode_ == TMode::OutlineJump) OrderClick(x, y);
}

void TNL::EndDrag(int32_t x, int32_t y, TModifiers mods) {
    switch (drag_) {
    case TDrag::Rectangle:
        RectangleRelease(x, y, mods);
        break;
    case TDrag::MoveSelection: {
        TStitchContext ctx = StitchContext();
        for (TSLStitch* o : moved_)
            o->UpdateBounds(ctx);
        RefillRegionsOf(moved_, View.WorldX(x) - View.WorldX(pressX_), View.WorldY(y) - View.WorldY(pressY_));
        MoveLockedMemos(moved_, View.WorldX(x) - View.WorldX(pressX_), View.WorldY(y) - View.WorldY(pressY_));
        if (!moved_.empty()) Sew.MarkModified();
        moved_.clear();
        movedBefore_.clear();
        dragStep_.reset();
        host_.SetCursor(TCursor::Arrow);
        break;
    }
    case TDrag::RotateSelection:
        EndRotate();
        break;
    case TDrag::Support:
        EndSupportDrag();
        break;
    case TDrag::MovePoint:
    case TDrag::Envelope:
        EndHandleDrag();
        break;
    case TDrag::Diamond:
        EndDiamondDrag();
        break;
    default:
        break;
    }
}

// ---- rotate drag ----

double TNL::RotateDragDegrees() const {
    return drag_ == TDrag::RotateSelection ? rotateAngle_ / DegToRad : 0.0;
}

void TNL::StartRotate(uint32_t bit) {
    drag_ = TDrag::RotateSelection;
    dragStep_ = std::make_unique<TUndoStep>(Sew, "Rotate");
    moved_.clear();
    movedBefore_.clear();
    rotateCopies_.clear();
    rotateDependents_.clear();
    TKvRect selection;
    selection.empty = true;
    for (TSLStitch* o : Objects())
        if ((o->Flags & bit) && !(o->Flags & OF_PATTERN_MEMBER)) {
            moved_.push_back(o);
            if (!o->Bounds.empty) selection.UnionWith(o->Bounds);
        }
    auto turned = [this](const TSLStitch* o) {
        return std::find(moved_.begin(), moved_.end(), o) != moved_.end();
    };
    // A region whose outlines all turn turns with them, fill direction included; one built partly
    // on turned outlines is rebuilt on them.
    for (TSLStitch* o : Objects()) {
        if (o->Kind() != KIND_REGION || turned(o)) continue;
        auto used = o->UsedOutlines();
        if (used.empty() || std::none_of(used.begin(), used.end(), turned)) continue;
        if (std::all_of(used.begin(), used.end(), turned))
            moved_.push_back(o);
        else
            rotateDependents_.push_back(o);
    }
    rotateCx_ = selection.empty ? View.WorldX(pressX_) : (selection.Left + selection.Right) / 2.0;
    rotateCy_ = selection.empty ? View.WorldY(pressY_) : (selection.Top + selection.Bottom) / 2.0;
    rotateBearing_ = BearingFrom(rotateCx_, rotateCy_, View.WorldX(pressX_), View.WorldY(pressY_));
    rotateAngle_ = 0;
    // Nothing is regenerated while the user turns: stitching is dropped now and rebuilt on release.
    TStitchContext ctx = StitchContext();
    ctx.BatchTransform = true;
    auto drop = [&](TSLStitch* o) {
        const bool stitched =
            o->Kind() == KIND_REGION || (o->Kind() == KIND_CURVE && !(o->Flags & OF_RAIL_B));
        if (!stitched || !(o->Flags & OF_VISIBLE)) return;
        o->Flags = (o->Flags | OF_REBUILD_AFTER_TRANSFORM) & ~OF_VISIBLE;
        Restitch(*o, ctx);
    };
    for (TSLStitch* o : moved_) {
        movedBefore_.push_back(o->Bounds);
        drop(o);
        rotateCopies_.push_back(o->Clone());
    }
    for (TSLStitch* o : rotateDependents_)
        drop(o);
    host_.SetCursor(TCursor::SizeAll);
}

void TNL::RotateTo(double wx, double wy) {
    if (!std::isfinite(wx) || !std::isfinite(wy)) return;
    if (HypotDistance(rotateCx_, rotateCy_, wx, wy) < 1e-6) return; // no bearing at the centre
    const double b = BearingFrom(rotateCx_, rotateCy_, wx, wy);
    // The angle follows the pointer round the centre, one small step at a time, so turning back
    // past the start gives a negative angle; more than one full turn either way is not taken.
    double d = b - rotateBearing_;
    if (d > Pi) d -= 2 * Pi;
    if (d < -Pi) d += 2 * Pi;
    rotateBearing_ = b;
    rotateAngle_ = std::clamp(rotateAngle_ + d, -2 * Pi, 2 * Pi);
    TStitchContext ctx = StitchContext();
    ctx.BatchTransform = true;
    for (size_t i = 0; i < moved_.size() && i < rotateCopies_.size(); ++i) {
        TSLStitch& o = *moved_[i];
        const TSLStitch& copy = *rotateCopies_[i];
        for (int32_t k = 0; k < o.Count() && k < copy.Count(); ++k) {
            o[k].X = copy[k].X;
            o[k].Y = copy[k].Y;
        }
        o.JumpVia = copy.JumpVia;
        if (o.Kind() == KIND_REGION) {
            auto& r = static_cast<TSLRegion&>(o);
            const auto& c = static_cast<const TSLRegion&>(copy);
            r.Rotation = c.Rotation;
            r.UnderRotation = c.UnderRotation;
            r.EntryX = c.EntryX;
            r.EntryY = c.EntryY;
            r.ExitX = c.ExitX;
            r.ExitY = c.ExitY;
            r.ApplyRotation(rotateAngle_ / DegToRad, rotateCx_, rotateCy_, ctx);
            continue;
        }
        for (TSP& p : o)
            RotateAbout(p.X, p.Y, rotateCx_, rotateCy_, rotateAngle_);
        if (o.JumpVia) RotateAbout(o.JumpVia->X, o.JumpVia->Y, rotateCx_, rotateCy_, rotateAngle_);
        o.UpdateBounds(ctx);
    }
    // The regions built partly on turned outlines keep their boundary on them while dragging.
    DropGoneDependents();
    for (TSLStitch* r : rotateDependents_)
        static_cast<TSLRegion*>(r)->RebuildFromOutlines(ctx);
    Redraw();
}

void TNL::DropGoneDependents() {
    // A command run from the keyboard during the drag may have deleted a region (the deletion
    // empties moved_ itself).
    if (rotateDependents_.empty()) return;
    std::vector<TSLStitch*> live = Objects();
    std::sort(live.begin(), live.end());
    std::erase_if(rotateDependents_,
                  [&live](TSLStitch* r) { return !std::binary_search(live.begin(), live.end(), r); });
}

void TNL::EndRotate() {
    rotateCopies_.clear();
    host_.SetStatus(" Rebuilding Object After Rotation");
    TStitchContext ctx = StitchContext();
    auto restore = [&](TSLStitch* o) {
        if (!(o->Flags & OF_REBUILD_AFTER_TRANSFORM)) return;
        o->Flags = (o->Flags & ~OF_REBUILD_AFTER_TRANSFORM) | OF_VISIBLE;
        Restitch(*o, ctx);
    };
    for (TSLStitch* o : moved_)
        restore(o);
    DropGoneDependents();
    for (TSLStitch* r : rotateDependents_) {
        static_cast<TSLRegion*>(r)->RebuildFromOutlines(ctx);
        if (r->Flags & OF_REBUILD_AFTER_TRANSFORM)
            restore(r);
        else
            Restitch(*r, ctx);
    }
    if (rotateAngle_ != 0 && !moved_.empty()) Sew.MarkModified();
    moved_.clear();
    movedBefore_.clear();
    rotateDependents_.clear();
    rotateAngle_ = 0;
    dragStep_.reset();
    host_.SetStatus("");
    host_.SetCursor(TCursor::Arrow);
}

void TNL::ServePlacement(int32_t x, int32_t y) {
    TPlacement p = placement_;
    placement_ = TPlacement::None;
    host_.SetPrompt("");
    float wx = static_cast<float>(View.WorldX(x)), wy = static_cast<float>(View.WorldY(y));
    if (p == TPlacement::Paste) PasteAt(wx, wy);
    if (p == TPlacement::Import) {
        Sew.StreamOriginX = RoundI(wx);
        Sew.StreamOriginY = RoundI(wy);
        Files.LastImport = nullptr;
        TUndoStep step(Sew, "Import", {});
        if (std::optional<std::string> file = ChooseImportFile(host_, Sew.Settings.Import))
            Files.LastImport = ImportStitchFile(Sew, *file, host_, wx, wy, Sew.Settings.Import.FilterIndex,
                                                &Sew.Settings.Import);
        CommandsChanged();
    }
    Redraw();
}

// ---- commands ----

bool* TNL::ToggleField(TCommand c) {
    TRunToggles& t = Toggles;
    switch (c) {
    case TCommand::HideBoundaryPoints:
        return &t.HideBoundaryPoints;
    case TCommand::HideUnderStitching:
        return &t.HideUnderStitching;
    case TCommand::HideFillPoints:
        return &t.HideFillPoints;
    case TCommand::HideOutlineStitches:
        return &t.HideOutlineStitches;
    case TCommand::HideRegionStitches:
        return &t.HideRegionStitches;
    case TCommand::HideUnderlay:
        return &t.HideUnderlay;
    case TCommand::HighlightLongSatin:
        return &t.HighlightLongSatin;
    case TCommand::ShowAllCompensation:
    case TCommand::SuppressCompensation:
        return &t.ShowAllCompensation;
    case TCommand::Mode3D:
        return &t.Mode3D;
    case TCommand::SmallStitchPoints:
        return &t.SmallStitchPoints;
    case TCommand::ShowAllStitchPoints:
        return &t.ShowAllStitchPoints;
    case TCommand::HideBitmaps:
        return &t.HideBitmaps;
    case TCommand::ShowRegionNodeTypes:
        return &t.ShowRegionNodeTypes;
    case TCommand::AutoShowProperties:
        return &t.AutoShowProperties;
    case TCommand::ShowZigzagHandles:
        return &t.ShowZigzagHandles;
    case TCommand::ShowColumnHandles:
        return &t.ShowColumnHandles;
    case TCommand::ShowRegionPaths:
        return &t.ShowRegionPaths;
    case TCommand::HighlightOutlines:
        return &t.HighlightOutlinesInLayout;
    case TCommand::HighlightRegions:
        return &t.HighlightRegionsInLayout;
    case TCommand::CreateHighlighted:
        return &t.CreateHighlighted;
    case TCommand::RotateMode:
        return &t.RotateMode;
    default:
        return nullptr;
    }
}

bool TNL::IsVisible(TCommand c) const {
    const TCommandInfo& info = CommandInfo(c);
    if (!info.Menu) return true;
    for (const TMenuInfo& m : MenuTable())
        if (std::string_view(m.Caption) == info.Menu) return m.Visible;
    return true;
}

bool TNL::IsChecked(TCommand c) const {
    switch (c) {
    case TCommand::ModeLayout:
    case TCommand::ModeLayoutButton:
        return mode_ == TMode::ObjectLayout;
    case TCommand::ModeEdit:
    case TCommand::ModeEditButton:
        return mode_ == TMode::DesignEdit;
    case TCommand::ModeRegion:
    case TCommand::ModeRegionButton:
        return mode_ == TMode::FillRegion;
    case TCommand::ModeConnect:
    case TCommand::ModeConnectButton:
        return mode_ == TMode::OutlineJump;
    case TCommand::ModeOrder:
    case TCommand::ModeOrderButton:
        return mode_ == TMode::ChangeOrder;
    case TCommand::SuppressCompensation:
        return !Toggles.ShowAllCompensation;
    default: {
        bool* f = const_cast<TNL*>(this)->ToggleField(c);
        return f && *f;
    }
    }
}

bool TNL::IsEnabled(TCommand c) const {
    const TCommandInfo& info = CommandInfo(c);
    if (info.Later) return false;
    // The rotate and resize dialogs hold every command while they are open.
    if (rotateDialog_ || resizeDialog_) return false;
    if (!(info.Mask & ModeBit(mode_))) return false;
    auto layoutSelection = [&] {
        if (mode_ != TMode::ObjectLayout) return false;
        for (TSLStitch* o : Objects())
            if (o->Flags & OF_SELECTED_LAYOUT) return true;
        return false;
    };
    auto groupedSelection = [&] {
        if (mode_ != TMode::ObjectLayout) return false;
        bool any = false;
        for (TSLStitch* o : Objects()) {
            if (!(o->Flags & OF_SELECTED_LAYOUT)) continue;
            if (o->GroupId <= 0) return false;
            any = true;
        }
        return any;
    };
    switch (c) {
    case TCommand::GroupSelection:
        // It composes or decomposes the layout selection, whichever mode the button is pressed in.
        for (TSLStitch* o : Objects())
            if (o->Flags & OF_SELECTED_LAYOUT) return true;
        return false;
    case TCommand::FileSave:
        return Sew.FileName != "Untitled";
    case TCommand::ExportStitching:
    case TCommand::ExportButton:
        return groupedSelection() || (IsOrderMode(mode_) && orderMode_->Count() > 0);
    case TCommand::FixedNodeRegions:
    case TCommand::RunSimulation:
        return groupedSelection();
    case TCommand::ChangeOrder:
    case TCommand::SetJumps:
        return groupedSelection();
    case TCommand::ModeOrder:
    case TCommand::ModeOrderButton:
        // The mode orders the group of the current object.
        return IsOrderMode(mode_) || groupedSelection() || (Sew.Current() && Sew.Current()->GroupId > 0);
    case TCommand::Delete:
    case TCommand::Cut:
    case TCommand::Copy:
    case TCommand::Duplicate:
    case TCommand::Rotate:
    case TCommand::Resize:
    case TCommand::MirrorHorizontal:
    case TCommand::MirrorVertical:
        return layoutSelection();
    case TCommand::CopyStitching:
        return layoutSelection();
    case TCommand::BringToTop:
    case TCommand::SendToBottom: {
        // Only while the selection is not already there.
        const auto order = DrawingOrderAfter(c == TCommand::BringToTop);
        return !order.empty() && order != Objects();
    }
    case TCommand::Undo:
        return Sew.History.CanUndo() || creation_ != TCreation::None;
    case TCommand::Redo:
        return Sew.History.CanRedo();
    case TCommand::ColourPalletButton:
        return !ColourTargets().empty();
    default:
        return true;
    }
}

void TNL::Toggle(TCommand c) {
    bool* f = ToggleField(c);
    if (!f) return;
    if (c == TCommand::Mode3D && !*f && host_.DisplayDepth() < 24) {
        host_.MessageDialog(
            "Screen Colors Error !",
            "Warning ! Your Monitor ( Primary Graphics Adapter ) Must Be In 24 Or 32 bit Color Mode "
            "For the 3D Option To Work !",
            Buttons(TButton::OK));
        return;
    }
    if (c == TCommand::ShowAllCompensation || c == TCommand::SuppressCompensation) {
        // The stitches are generated with or without compensation: regenerate what depends on it.
        TStitchContext ctx = StitchContext();
        *f = !*f;
        SetShowCompensation(Sew, ctx, *f);
    } else {
        *f = !*f;
    }
    CommandsChanged();
    Redraw();
}

void TNL::Execute(TCommand c) {
    TEventScope done{*this};
    if (!IsEnabled(c)) return;
    const TCommandInfo& info = CommandInfo(c);
    if (info.Kind == TCommandKind::Toggle) {
        Toggle(c);
        return;
    }
    switch (c) {
    case TCommand::FileNew:
    case TCommand::CreateNewWorksheet:
        NewWorksheet();
        break;
    case TCommand::FileOpen:
        OpenCommand();
        break;
    case TCommand::FileSave:
        SaveCommand(false);
        break;
    case TCommand::FileSaveAs:
        SaveCommand(true);
        break;
    case TCommand::FileImport:
    case TCommand::ImportStitching:
    case TCommand::ImportButton:
        if (creation_ != TCreation::None) FinishCreation();
        placement_ = TPlacement::Import;
        host_.SetPrompt(" Left Click On The Worksheet Where The Imported Design Should Start.");
        break;
    case TCommand::FileExit:
        host_.RequestClose();
        break;
    case TCommand::Undo:
        Undo();
        break;
    case TCommand::Redo:
        Redo();
        break;
    case TCommand::GroupSelection:
        GroupSelection();
        break;
    case TCommand::ExportStitching:
    case TCommand::ExportButton: {
        // In the stitch order mode the design goes out in the order on screen.
        if (IsOrderMode(mode_)) {
            try {
                RunExportCommand(Sew, host_, Sew.Settings.Export, StitchContext(), &orderMode_->Elements());
            } catch (const std::exception& e) {
                host_.MessageDialog("Export Error", e.what(), Buttons(TButton::OK));
            }
            break;
        }
        // The export takes the group of the current object, which selecting the group made.
        if (Sew.SelectedGroup() <= 0) break;
        try {
            RunExportCommand(Sew, host_, Sew.Settings.Export, StitchContext());
        } catch (const std::exception& e) {
            host_.MessageDialog("Export Error", e.what(), Buttons(TButton::OK));
        }
        break;
    }
    case TCommand::Delete:
        DeleteSelection();
        break;
    case TCommand::Cut:
        CutSelection();
        break;
    case TCommand::Copy:
        CopySelection();
        break;
    case TCommand::Paste:
        if (creation_ != TCreation::None) FinishCreation();
        placement_ = TPlacement::Paste;
        host_.SetPrompt(" Left Click On The Worksheet Where The Pasted Objects Should Start.");
        break;
    case TCommand::Duplicate:
        DuplicateSelection();
        break;
    case TCommand::CopyStitching:
        // The design of the current object, which selecting the design made.
        if (!Sew.Current() || !(Sew.Current()->Flags & OF_SELECTED_LAYOUT)) Sew.SelectedGroup();
        CopyStitching();
        break;
    case TCommand::BringToTop:
    case TCommand::SendToBottom:
        ChangeDrawingOrder(c == TCommand::BringToTop);
        break;
    case TCommand::Rotate:
        RotateCommand();
        break;
    case TCommand::Resize:
        ResizeCommand();
        break;
    case TCommand::MirrorHorizontal:
    case TCommand::MirrorVertical:
        MirrorSelection(c == TCommand::MirrorHorizontal);
        break;
    case TCommand::PatternViewer:
    case TCommand::PatternViewerButton:
        OpenPatternViewer();
        break;
    case TCommand::CreateFrame:
        CreateSupport(SUPPORT_FRAME);
        break;
    case TCommand::CreatePicture:
        CreateSupport(SUPPORT_PICTURE);
        break;
    case TCommand::CreatePatternCreator:
        CreateSupport(SUPPORT_PATTERN_CREATOR);
        break;
    case TCommand::CreateTextLabel:
        CreateSupport(SUPPORT_TEXT_LABEL);
        break;
    case TCommand::FixedNodeRegions:
        FixGroupRegions();
        break;
    case TCommand::RunSimulation:
    case TCommand::SewHighlighted:
        StartSimulation();
        break;
    case TCommand::StitchLengthProperties:
        GeneralOptions();
        break;
    case TCommand::ZoomIn:
    case TCommand::ZoomOut:
        KeyDown(c == TCommand::ZoomIn ? TKey::I : TKey::O, {});
        break;
    case TCommand::ModeLayout:
    case TCommand::ModeLayoutButton:
        SetMode(TMode::ObjectLayout);
        break;
    case TCommand::ModeEdit:
    case TCommand::ModeEditButton:
        SetMode(TMode::DesignEdit);
        break;
    case TCommand::ModeRegion:
    case TCommand::ModeRegionButton:
        SetMode(TMode::FillRegion);
        break;
    case TCommand::ModeConnect:
    case TCommand::ModeConnectButton:
        SetMode(TMode::OutlineJump);
        break;
    case TCommand::ChangeOrder:
    case TCommand::ModeOrder:
    case TCommand::ModeOrderButton:
        if (!IsOrderMode(mode_)) StartOrderMode(TOrderPage::Edit);
        break;
    case TCommand::SetJumps:
        StartOrderMode(TOrderPage::SetJumps);
        break;
    case TCommand::CreateOutline:
        StartCreation(TCreation::Outline);
        break;
    case TCommand::CreateColumn:
        StartCreation(TCreation::ColumnRailA);
        break;
    case TCommand::CreateDirect:
        StartCreation(TCreation::DirectStitch);
        break;
    case TCommand::CreateLine:
        StartCreation(TCreation::Line);
        break;
    case TCommand::CreateCircle:
        StartCreation(TCreation::Circle);
        break;
    case TCommand::CreateText:
        host_.MessageDialog("Embroidery Text Lettering",
                            "Sorry ! The Text Lettering Tool Has Not Been Finished Yet, But It Is Due For "
                            "Implementation In ver 1.20 ",
                            Buttons(TButton::OK));
        break;
    case TCommand::CatalogViewer:
        host_.ShowCatalogViewer();
        break;
    case TCommand::ManageCatalog:
        host_.ShowCatalogManager();
        break;
    case TCommand::ColourPalletButton:
        PickObjectColour(ColourTargets());
        break;
    case TCommand::HelpContents:
    case TCommand::HelpNavigating:
        OpenHelpTopic(host_, c);
        break;
    case TCommand::About:
        host_.MessageDialog("About Nordelune ...", AboutText(), Buttons(TButton::OK));
        break;
    default:
        break;
    }
}

void TNL::NewWorksheet() {
    if (!SettleUnsavedChanges(Sew, host_, "Creating A New WorkSheet !", "Starting A New Worksheet",
                              [this] { return SaveCommand(false); }))
        return;
    if (creation_ != TCreation::None) CancelCreation();
    // The region being built refers to outlines of the worksheet that go away.
    if (IsRegionMode(mode_)) regionMode_->Enter();
    Sew.Reset();
    CloseEnvelopeEditor();
    CloseSupportProperties();
    contextObject_ = nullptr;
    Files.LastImport = nullptr;
    placement_ = TPlacement::None;
    moved_.clear();
    RefreshCaption();
    // Nothing is unsaved in an empty worksheet: the recovery copy goes.
    Autosave();
    CommandsChanged();
    Redraw();
}

std::string TNL::DesignFolder() const {
    if (Sew.FileName != "Untitled") {
        std::filesystem::path folder = std::filesystem::path(Sew.FileName).parent_path();
        std::error_code ec;
        if (!folder.empty() && std::filesystem::is_directory(folder, ec)) return folder.string();
    }
    return OwnFolder(host_.ProgramFolder(), DESIGNS_FOLDER_NAME).string();
}

void TNL::OpenCommand() {
    // Unsaved work is saved first, or let go: unless the save really happened (or the user chose
    // not to keep it), nothing is opened.
    if (!SettleUnsavedChanges(Sew, host_, "Current Worksheet Has Not Been Saved !",
                              "Opening Another Worksheet", [this] { return SaveCommand(false); }))
        return;
    TFileDialogRequest req;
    req.Title = "Open";
    req.Filter = WORKSHEET_DIALOG_FILTER;
    req.DefaultExt = WORKSHEET_EXTENSION;
    req.InitialDir = DesignFolder();
    TFileDialogResult r = host_.OpenFileDialog(req);
    if (!r.Accepted || r.FileName.empty()) return;
    if (creation_ != TCreation::None) FinishCreation();
    OpenWorksheet(r.FileName);
}

bool TNL::SaveCommand(bool ask) {
    std::string name = Sew.FileName;
    if (ask || name == "Untitled") {
        TFileDialogRequest req;
        req.Title = "Save As";
        req.Filter = WORKSHEET_DIALOG_FILTER;
        req.DefaultExt = WORKSHEET_EXTENSION;
        req.InitialDir = DesignFolder();
        req.FileName =
            name == "Untitled" ? (std::filesystem::path(req.InitialDir) / "Untitled").string() : name;
        TFileDialogResult r = host_.SaveFileDialog(req);
        if (!r.Accepted || r.FileName.empty()) return false;
        name = r.FileName;
        // The dialog's default extension, also when the name was typed without it.
        if (!IsWorksheetName(name)) name += std::string(".") + WORKSHEET_EXTENSION;
    }
    return SaveWorksheetAs(name);
}

void TNL::GeneralOptions() {
    TGeneralOptions v;
    v.MaxLengthMm = Toggles.LongStitchLimit / 20.0;
    v.PointsUnderMm = Sew.Settings.PointsUnder / 20.0;
    v.AutosaveMinutes = Preferences.AutosaveMinutes;
    if (!host_.EditGeneralOptions(v)) return;
    // Values outside a field's range (with a tolerance of 0.001) are refused: the old one stays.
    auto in = [](double x, double lo, double hi) {
        return std::isfinite(x) && x >= lo - 0.001 && x <= hi + 0.001;
    };
    if (in(v.MaxLengthMm, 8, 20)) {
        int32_t units = RoundI(v.MaxLengthMm * 20.0);
        if (units != Toggles.LongStitchLimit) {
            Toggles.LongStitchLimit = units;
            Sew.MarkModified();
        }
    }
    if (in(v.PointsUnderMm, 0.2, 1.0)) {
        int32_t units = RoundI(v.PointsUnderMm * 20.0);
        if (units != Sew.Settings.PointsUnder) {
            Sew.Settings.PointsUnder = units;
            Sew.MarkModified();
        }
    }
    if (v.AutosaveMinutes >= 0 && v.AutosaveMinutes <= AUTOSAVE_MAX_MINUTES &&
        v.AutosaveMinutes != Preferences.AutosaveMinutes) {
        Preferences.AutosaveMinutes = v.AutosaveMinutes;
        if (!PreferencesPath.empty() && !SavePreferences(Preferences, PreferencesPath))
            host_.MessageDialog("Nordelune Properties",
                                "The Preferences Could Not Be Saved To " + PreferencesPath.string() + ".",
                                Buttons(TButton::OK));
    }
    CommandsChanged();
    Redraw();
}

void TNL::GroupSelection() {
    static const char* const kQuestions[] = {
        nullptr, "OK To Compose Selected Objects Into A Layout Group.",
        "OK To Decompose A Layout Group Back Into Constituent Objects.",
        "OK To Compose A Layout Group With Individual Objects Into A New Layout Group."};
    uint8_t kind = Sew.ComputeSelectionKind();
    if (kind == 0 || kind > 3) return;
    if (host_.MessageDialog("Group Association", kQuestions[kind], TButton::Yes | TButton::No) !=
        TButton::Yes)
        return;
    // A new group takes the selection closed over what it depends on; the step records what the
    // closing adds before the group changes it.
    TUndoStep step(Sew, kind == 2 ? "Ungroup" : "Group");
    if (kind == 2)
        Sew.DecomposeGroup();
    else
        Sew.ComposeGroup();
    Sew.ComputeSelectionKind();
    CommandsChanged();
    Redraw();
}

void TNL::DeleteSelection() {
    std::vector<TSLStitch*> doomed = ExtendForDelete();
    if (doomed.empty()) return;
    if (host_.MessageDialog("Object Deletion Has been Requested !",
                            "Data Will Be Lost. Click Yes To Delete Currently Selected Object or Objects !",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return;
    TUndoStep step(Sew, "Delete", doomed);
    RemoveObjects(doomed);
}

void TNL::SwitchStitching(bool on) {
    uint32_t bit = SelectionBit();
    if (!bit) return;
    TStitchContext ctx = StitchContext();
    TUndoStep step(Sew, on ? "Stitching On" : "Stitching Off");
    std::vector<TSLStitch*> done;
    for (TSLStitch* o : Objects()) {
        if (!(o->Flags & bit) || (o->Flags & OF_PATTERN_MEMBER)) continue;
        TSLStitch* target = (o->Flags & OF_RAIL_B) && o->Partner() ? o->Partner() : o;
        if (std::find(done.begin(), done.end(), target) != done.end()) continue;
        bool eligible = target->Kind() == KIND_REGION;
        if (target->Kind() == KIND_CURVE)
            eligible = (target->Flags & (OF_RAIL_A | OF_RUNNING)) || target->StitchType() == ST_RUNNING ||
                       target->HasOutlineStitching();
        if (!eligible) continue;
        done.push_back(target);
        if (on)
            target->SetFlags(OF_VISIBLE);
        else
            target->ClearFlags(OF_VISIBLE);
        Restitch(*target, ctx);
    }
    if (!done.empty()) Sew.MarkModified();
    Redraw();
}

} // namespace nl
