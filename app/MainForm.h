// TNL: the main window's controller. It holds the run state (mode, creation, view), turns mouse,
// wheel, key and menu events into worksheet edits, and draws the worksheet on a Canvas. It talks
// to the desktop only through Host, so every mode can be driven headless.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "app/ContextMenu.h"
#include "app/CurveStructure.h"
#include "app/FileCommands.h"
#include "app/PointEditing.h"
#include "app/Preferences.h"
#include "app/Recovery.h"
#include "app/RunState.h"
#include "platform/Host.h"
#include "sewing/SewSimulator.h"
#include "stitching/StitchContext.h"
#include "worksheet/Sew.h"
#include "worksheet/ThreadSettings.h"
#include "worksheet/Transform.h"
#include "worksheet/View.h"

namespace nl {

class Canvas;
class TSLCurve;
class TObjectBase;
class TRegionMode;
class TEditOutlinePage;
class TCircleDialog;
class TRotateDialog;
class TResizeDialog;
class TFrameSizes;
class TPatternViewer;
class TSupportPage;
class TObjectBitmap;
class TOrderMode;
class TJumpMode;
enum class TOrderPage : uint8_t;

enum class TMouseButton : uint8_t { Left, Right, Middle };
enum class TKey : uint8_t { Other, Left, Right, Up, Down, I, O, Escape, F1, F5, F6, F10 };

// Worksheet features that later units of the engine supply (stitch pattern creators); a command
// whose service is missing stays disabled. Engine code only: the desktop face reaches the
// controller through its operations and Host, never through these.
struct TWorksheetServices {
    // Stitch pattern creators: the creator at a worksheet point, and its member list.
    std::function<TObjectBase*(float x, float y)> PatternCreatorAt;
    std::function<void(TObjectBase&, TSLStitch&)> AddPatternMember;
    std::function<void(TObjectBase&, TSLStitch&)> RemovePatternMember;
};

class TNL {
public:
    explicit TNL(Host& host);
    ~TNL();

    TSew Sew;
    // The view and the toggles are the worksheet's settings (saved with it): these name them.
    TView& View = Sew.Settings.View;
    TRunToggles& Toggles = Sew.Settings.Toggles;
    TWorksheetServices Services;
    // The program's own preferences (the autosave interval), and the file they are kept in (empty:
    // not kept).
    TPreferences Preferences;
    std::filesystem::path PreferencesPath;
    // The recovery copies of unsaved work (Recovery.Folder empty: none are written or offered).
    TRecoveryCopies Recovery;
    // What export and import remember during the run, and the thread texture.
    TFileState Files;
    // The thread catalog viewer's choice, kept for the run (and saved with the worksheet).
    TThreadSettings& Threads = Sew.Settings.Threads;

    // The desktop services (page models ask their questions through it).
    Host& GetHost() const { return host_; }

    // ---- the object properties window (shown by the desktop face through Host) ----
    // Makes the object current and opens the window on it (double click, Alt-click, "Properties"
    // items).
    void ShowProperties(TSLStitch& object);

    // ---- point editing of direct stitch objects (app/PointEditing.cpp) ----
    TPointEditState PointEdit;
    // Runs a point item of the context menu on `object`; `point` is the point right-clicked (-1:
    // none), which becomes the stitch cursor first.
    void RunPointCommand(int32_t code, TSLStitch& object, int32_t point);

    // ---- the width envelope editor of the "   Edit Outline" page ----
    // A new editor on a satin outline, owned here; the properties window shows it as a page and
    // says while that page is the one on show. Replaces the editor there was.
    TEditOutlinePage& OpenEnvelopeEditor(TSLCurve& curve);
    void CloseEnvelopeEditor();
    // The editor there is (null: none), whether or not its page is on show.
    TEditOutlinePage* EnvelopePage() const { return envelope_.get(); }
    // While its page is on show the editor is drawn on the worksheet and its handles take left
    // drags before anything else.
    void ShowEnvelopeEditor(bool shown) { envelopeShown_ = shown; }
    // The editor while its page is on show, null otherwise.
    TEditOutlinePage* EnvelopeEditor() const;

    // ---- the circle tool ----
    // The "Circle Attributes Dialog" while it is open (the desktop face shows it through Host),
    // null otherwise.
    TCircleDialog* CircleDialog() const { return circleDialog_.get(); }

    // ---- the rotate and resize dialogs (shown by the desktop face through Host) ----
    // The dialog model while it is open, null otherwise.
    TRotateDialog* RotateDialog() const { return rotateDialog_.get(); }
    TResizeDialog* ResizeDialog() const { return resizeDialog_.get(); }

    // ---- editing operations on the layout selection (each one undo step) ----
    // Copy puts the clipboard record on the clipboard; Paste waits for the click that places it.
    bool CopySelection();
    void CutSelection();
    // Pastes the clipboard with its top-left at the worksheet point; false when nothing was pasted.
    bool PasteAt(double wx, double wy, const char* stepName = "Paste");
    void DuplicateSelection();
    void MirrorSelection(bool horizontal);
    void RotateCommand();
    // The rotate or resize dialog on the layout selection as one undo step: `open` makes the
    // dialog model, `show` runs the window, `close` drops the model; the selection is rebuilt and
    // the fills its holes and overlays shape follow.
    void RunTransformDialog(const char* stepName, const std::function<void(const TStitchContext&)>& open,
                            const std::function<void()>& show, const std::function<void()>& close);
    void ResizeCommand();
    // Moves the selection of the mode by (dx, dy) units; false when nothing is selected.
    bool NudgeSelection(float dx, float dy);
    // ---- support objects (app/SupportObjects.cpp) ----
    // "Embroidery Frame Object" and the other create commands: a new support object at the top-left
    // of the view.
    void CreateSupport(uint8_t kind);
    // The "Frame Sizes" dialog while it is open (the desktop face shows it through Host).
    TFrameSizes* FrameSizes() const { return frameSizes_.get(); }
    // The properties page of a support object while its window is open.
    TSupportPage* SupportPage() const { return supportPage_.get(); }
    void ShowSupportProperties(TObjectBase& object);
    void CloseSupportProperties();
    void ChangeFrameSize(TObjectBase& frame);
    void ImportImage(TObjectBitmap& picture);
    void ExportImage(const TObjectBitmap& picture);
    // Asks, then deletes support item i (a creator with its drawing). True when deleted.
    bool DeleteSupport(int32_t i);
    TObjectBase* SelectedSupport() const;
    // Runs an edit of a support object (the properties window's entries) as one undo step.
    void EditSupport(const char* name, const std::function<void()>& edit);
    // The pattern viewer while it is open; choosing an entry gives the current stitch object (an
    // outline, a column or a region) a copy of the pattern with "Prog Stitch" on.
    TPatternViewer* PatternViewer() const { return patternViewer_.get(); }
    void OpenPatternViewer();
    // A pattern copy of the creator (or of a pattern file's drawing) for the object, one undo step;
    // false when it takes none.
    bool ApplyPattern(TSLStitch& object, const TObjectPatternCreator& creator);
    bool ApplyPattern(TSLStitch& object, const TObjectStitch& drawing);
    // Pattern files of a creator: the save and open dialogs, then write or load. Loading replaces
    // the creator's drawing (after the clearing question unless `quiet`) as one undo step, keeps
    // the creator where it is, and changes nothing when the file is bad.
    void ExportStitchPattern(const TObjectPatternCreator& creator);
    bool ImportStitchPattern(TObjectPatternCreator& creator);
    bool LoadPatternInto(TObjectPatternCreator& creator, const std::string& file, bool quiet);
    // The pattern on the clipboard: "Copy Pattern" puts the object's pattern there (as an
    // attribute record carrying only it); "Paste Pattern" gives it to the object as one undo step
    // (false when the clipboard holds none or the object takes none).
    void CopyPattern(TSLStitch& object);
    bool PastePattern(TSLStitch& object);
    std::shared_ptr<const TObjectStitch> ClipboardPattern() const;
    // The folders the viewer lists pattern files from: the user's own, then the shipped one.
    std::vector<std::filesystem::path> PatternFolders() const;

    // ---- structure edits of curves, drawing order, stitching copy (app/CurveStructure.cpp) ----
    // "Split Outline" / "Split Curved Column" at an inner anchor (refused, with a message, on a
    // curve a fill region is built on). True when the curve was split.
    bool SplitCurveAt(TSLCurve& curve, int32_t node);
    // Joins `second` to `first` at the ends given (what the Point Join mode's second click does).
    bool JoinCurvesAt(TSLCurve& first, bool firstAtEnd, TSLCurve& second, bool secondAtEnd);
    // The Point Join mode: the curve the join starts from and the curve the first click marked
    // (null when none, or outside the mode).
    TSLCurve* JoinFirst() const;
    TSLCurve* JoinMarked() const;
    // True while the points of "Insert Segment" are being placed.
    bool Extending() const;
    // "Bring To Top" / "Send To Bottom": the selection of the mode, or `object` alone; a column
    // moves as a pair, an outline with its jump chain. One undo step; false when nothing moved.
    bool ChangeDrawingOrder(bool top, TSLStitch* object = nullptr);
    // "Copy Stitching To Clipboard": the stitching of the current object's design as one direct
    // stitch object on the clipboard, its top-left the stream origin. False when there is none.
    bool CopyStitching();

    // ---- run state ----
    TMode Mode() const { return mode_; }
    // The object flag that marks the selection in the current mode (0: the mode selects nothing).
    uint32_t SelectionBit() const;
    TMode PreviousMode() const { return previousMode_; }
    TCreation Creation() const { return creation_; }
    int32_t PointsDue() const { return pointsDue_; }
    TPlacement Placement() const { return placement_; }
    // The object being created (rail A for a curved column), null when not creating.
    TSLStitch* Creating() const { return creating_; }
    const std::string& Caption() const { return caption_; }
    // The worksheet named on the command line (kept even when it could not be loaded).
    const std::string& StartupFile() const { return startupFile_; }

    // ---- start-up and leaving ----
    // The first showing of the main window: thread texture, then the worksheet named by the
    // first command line argument (quotes stripped).
    void FirstShow(const std::vector<std::string>& args);
    // A machine file named on the command line: imported into the worksheet near the view's top
    // left corner.
    void ImportAtStart(const std::string& file);
    // Opens a worksheet file; the name and caption change only when the load succeeded.
    bool OpenWorksheet(const std::string& fileName);
    // Saves the worksheet under `fileName` (the name and caption become it); a failure is reported
    // and the previous file is left as it was. True when the file was written.
    bool SaveWorksheetAs(const std::string& fileName);
    // Closing the main window (and File > Exit): with unsaved changes, asks whether to save them
    // (Save, Don't Save, Cancel). True when the program may end.
    bool CanClose();
    // The program ends: its recovery copy goes.
    void Closing();

    // ---- recovery copies of unsaved work ----
    // The autosave tick: writes the recovery copy when the worksheet has unsaved changes, removes
    // it when there is nothing unsaved. While an edit is under way (a modal edit, a drag, an object
    // being created) nothing is written: the tick waits for the edit's end. True when a copy was
    // written.
    bool Autosave();
    // This program's recovery file (empty when there is no recovery folder).
    std::filesystem::path RecoveryFile() const { return Recovery.OwnFile(); }
    // At start: each copy left by a program that did not close is offered back, newest first,
    // naming its worksheet and when it was saved; a copy goes only when the user answered for it,
    // and one that cannot be read is reported and kept. True when the user restored one.
    bool OfferRecovery();
    // True while an edit is under way: a modal edit's dialog is open, a drag moves or turns
    // something, an object is being created.
    bool EditInProgress() const;
    // An event or a command is over: the title follows the unsaved changes, and an autosave that
    // waited for an edit is taken once the edit has ended. The event handlers call it; so may the
    // desktop after anything it does.
    void EventDone();

    // ---- events (pixels relative to the worksheet view) ----
    void Resize(int32_t width, int32_t height);
    void MouseDown(TMouseButton button, int32_t x, int32_t y, TModifiers mods);
    void MouseMove(int32_t x, int32_t y, TModifiers mods);
    void MouseUp(TMouseButton button, int32_t x, int32_t y, TModifiers mods);
    // One wheel notch: up = zoom in. `middle`: the middle button is held.
    void Wheel(int32_t x, int32_t y, bool up, TModifiers mods, bool middle = false);
    // True when the key was used.
    bool KeyDown(TKey key, TModifiers mods);
    // A left double click: opens the properties of the object under the pointer.
    void DoubleClick(int32_t x, int32_t y, TModifiers mods);

    // ---- context menus ----
    // The items offered for what lies under the pixel in the current mode (empty: no menu); the
    // object and node under the pointer become the target of RunContextCommand.
    std::vector<TContextItem> ContextMenuAt(int32_t x, int32_t y);
    // Runs an item of the last context menu by its command code.
    void RunContextCommand(int32_t code);
    // A right click: the menu of what lies under the pixel, shown through Host; the chosen item
    // runs at once.
    void OpenContextMenu(int32_t x, int32_t y);
    TSLStitch* ContextObject() const { return contextObject_; }
    // The angle of the rotate drag in progress, degrees clockwise (0 when none).
    double RotateDragDegrees() const;
    int32_t ContextNode() const { return contextNode_; }

    // ---- thread colours ----
    // The colour under a view pixel, as the dropper takes it: the object's, or that of the colour
    // block of a direct stitch object; NO_COLOUR where there is no object.
    int32_t ColourAt(int32_t x, int32_t y) const;
    // Opens the thread colour picker preset with the colour of the first target (for a direct
    // stitch object, that of the colour block starting at `block`) and gives every target the
    // thread chosen, regenerating it; "Apply" recolours at once. True when a colour changed.
    bool PickObjectColour(const std::vector<TSLStitch*>& targets, int32_t block = 0);
    // What the colour pallet button recolours: the selected objects of the mode (a column once),
    // or the current object when none is selected.
    std::vector<TSLStitch*> ColourTargets() const;

    // An outline moved or changed shape: the fill regions built on it are rebuilt where they
    // meet `before` (its bounds before the change) or its bounds now.
    void OutlineChanged(TSLStitch& outline, const TKvRect& before);
    // After `changed` were edited or moved within `area` (before and after): the regions that its
    // complex holes and overlay outlines shape refill (app/Shaping.cpp).
    void ShapingChanged(const std::vector<TSLStitch*>& changed, TKvRect area);
    // After a rotate, resize or mirror of objects that were within `before`.
    void TransformedShaping(const std::vector<TSLStitch*>& objects, TKvRect before);
    // A region became or stopped being a complex hole, or an outline an overlay (its bit has just
    // changed): one undo step, and the regions it shapes refill.
    void ShapingMembershipChanged(TSLStitch& object);
    // Regenerates the regions, and the outlines an overlay pierces (as part of the edit being
    // recorded, when there is one).
    void RefillShaped(const std::vector<TSLStitch*>& regions);

    // ---- commands ----
    void Execute(TCommand command);
    bool IsEnabled(TCommand command) const;
    bool IsChecked(TCommand command) const;
    bool IsVisible(TCommand command) const;
    // The caption a menu item shows now: the table's, or for Undo and Redo the step's ("Undo Move").
    std::string CommandCaption(TCommand command) const;

    // ---- undo and redo ----
    // Takes back / does again the last edit; what referred to objects that left lets go, and the
    // view, the commands and the properties window follow.
    bool Undo();
    bool Redo();

    // ---- the Sew Simulation mode ----
    TSewSimulator& Simulator() { return *simulator_; }
    const TSewSimulator& Simulator() const { return *simulator_; }
    // "Sew Highlighted Object" / "Run Sew Simulation" (and "Simulate" of the stitch order mode,
    // with its list): the design of the selection sewn in the worksheet view while the simulator
    // window shows the controls; every command is unavailable until the window's Exit. Refused with
    // the "Stitch Error" message when there is no grouped selection or no stitches.
    bool StartSimulation(const std::vector<TSLStitch*>* order = nullptr);
    void ExitSimulation();
    // The worksheet view as the simulator draws in it.
    TSimViewport SimulationView() const;

    // ---- modes and creation ----
    void SetMode(TMode mode);
    void StartCreation(TCreation kind);
    void CancelCreation();
    // Wheel-step zoom at a pixel (the I/O keys and Zoom In / Zoom Out use the last pointer position).
    void ZoomStep(bool in, int32_t x, int32_t y);

    // The fill region creation mode (and its fixed-node placement).
    TRegionMode& RegionMode() { return *regionMode_; }
    const TRegionMode& RegionMode() const { return *regionMode_; }
    static bool IsRegionMode(TMode m) { return m == TMode::FillRegion || m == TMode::RegionNodeInsert; }

    // ---- the stitch order mode and the outline jump connection mode (OrderCommands.cpp) ----
    TOrderMode& OrderMode() { return *orderMode_; }
    const TOrderMode& OrderMode() const { return *orderMode_; }
    TJumpMode& JumpMode() { return *jumpMode_; }
    const TJumpMode& JumpMode() const { return *jumpMode_; }
    // "Change Objects Stitching Order" (Edit page) and "Set Objects Jump Stitches" (Set Jumps
    // page) on the group of the current object; `cursor` is where the cursor starts ("Quick Set
    // Stitch Order From This Point"). False when there is no grouped object to order.
    bool StartOrderMode(TOrderPage page, int32_t cursor = 0);
    // The "Stitch Ordering" page, with the order mode running (started on the current group when
    // it is not).
    void ShowOrderOptions();
    // "Exit" / "End Stitch Order Mode" / closing the panel: back to the mode before.
    void EndOrderMode();
    // The panel's page changed: the Set Jumps page of a region enters the Set Jumps mode, of an
    // outline the chain start setting of Outline Jump Connection; the Edit page comes back to
    // Change Stitching Order.
    void ShowOrderPage(TOrderPage page);
    // The order or the current element changed: the view and the panel follow.
    void OrderChanged();
    // "Simulate" of the Edit page: the simulator on the list in its order.
    void SimulateOrder();

    // ---- drawing ----
    // The view's picture. In the Sew Simulation mode the canvas is expected to keep what was
    // drawn on it before: only the stitches sewn since are added.
    void Draw(Canvas& canvas) const;
    // Drawn over the picture and never kept in it: the needle of the simulation.
    void DrawOverlay(Canvas& canvas) const;
    // Context for object operations at the current zoom.
    TStitchContext StitchContext() const;
    TDrawContext DrawContext(Canvas& canvas) const;
    // Topmost object at a view pixel, null when none.
    TSLStitch* ObjectAt(int32_t x, int32_t y, int32_t* pointIndex = nullptr) const;
    // Whether the object is drawn with the highlight look in the current mode and view.
    bool Highlighted(const TSLStitch& o) const;
    // True while a left drag draws the selection rectangle; its corners in pixels.
    bool RubberBand(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) const;

private:
    enum class TDrag : uint8_t {
        None,
        Pending,
        Rectangle,
        MoveSelection,
        RotateSelection,
        MovePoint,
        Pan,
        Envelope,
        Support,
        Diamond
    };

    // Ends an event handler: EventDone runs once the handler returns, however it returns.
    struct TEventScope {
        TNL& Nl;
        ~TEventScope() { Nl.EventDone(); }
    };

    Host& host_;
    TMode mode_ = TMode::DesignEdit;
    TMode previousMode_ = TMode::ObjectLayout;
    TCreation creation_ = TCreation::None;
    int32_t pointsDue_ = 0;
    TPlacement placement_ = TPlacement::None;
    TSLStitch* creating_ = nullptr;          // in the worksheet list
    std::unique_ptr<TSLCurve> pendingRailB_; // rail B until rail A is finished
    TSLCurve* railB_ = nullptr;              // rail B once it is in the list
    TObjectBase* creator_ = nullptr;         // stitch pattern creator the new object belongs to
    bool modifiedBeforeCreation_ = false;
    mutable std::string caption_ = "Nordelune ";
    bool firstShown_ = false;
    std::string startupFile_;

    // pointer state
    bool pressed_ = false;
    TMouseButton pressButton_ = TMouseButton::Left;
    TModifiers pressMods_;
    int32_t pressX_ = 0, pressY_ = 0, lastX_ = -1, lastY_ = -1;
    bool havePointer_ = false;
    TDrag drag_ = TDrag::None;
    TSLStitch* dragObject_ = nullptr;
    int32_t dragPoint_ = -1;
    double dragWorldX_ = 0, dragWorldY_ = 0;
    int32_t panX_ = 0, panY_ = 0;
    std::vector<TSLStitch*> moved_;
    std::unique_ptr<TRegionMode> regionMode_;
    std::unique_ptr<TSewSimulator> simulator_;
    std::unique_ptr<TOrderMode> orderMode_;
    std::unique_ptr<TJumpMode> jumpMode_;
    // The region and underlay display toggles in force before the stitch order mode started.
    bool savedHideRegion_ = false, savedHideUnderlay_ = false;
    TMode orderPrevious_ = TMode::ObjectLayout; // the mode the stitch order mode returns to
    // Ends the order list and puts back what the mode changed (toggles, panel), without a mode
    // change of its own.
    void CloseOrderList();
    // After an undo or redo: the order list is built again (the order indices came back), and a
    // link being made starts over.
    void RefreshOrderAfterUndo();
    std::vector<TKvRect> movedBefore_; // bounds of moved_ when the drag started
    // The undo step of the drag in progress (move, rotate, handle), committed on release.
    std::unique_ptr<TUndoStep> dragStep_;
    bool editPointDrag_ = false; // a handle of an existing curve, not a point being created
    TKvRect dragBefore_;
    TSLStitch* contextObject_ = nullptr;
    int32_t contextNode_ = -1;
    int32_t contextBlock_ = 0; // colour block of a direct stitch object under the pointer
    // Rotating the selection by dragging: moved_ holds the objects turned, each recomputed from its
    // copy at every move so that rounding never accumulates; the regions built partly on turned
    // outlines follow their outlines.
    std::vector<std::unique_ptr<TSLStitch>> rotateCopies_;
    std::vector<TSLStitch*> rotateDependents_;
    double rotateCx_ = 0, rotateCy_ = 0;
    double rotateBearing_ = 0; // the pointer's bearing from the centre at the last move
    double rotateAngle_ = 0;   // radians, clockwise positive, within -2 pi .. 2 pi
    std::unique_ptr<TEditOutlinePage> envelope_;
    TSLCurve* envelopeCurve_ = nullptr; // the curve envelope_ edits
    bool envelopeShown_ = false;
    // The circle being created: its centre and the radius that follows the pointer, then its dialog.
    double circleCx_ = 0, circleCy_ = 0, circleR_ = 0;
    std::unique_ptr<TCircleDialog> circleDialog_;
    TTransformSet transform_;
    std::unique_ptr<TRotateDialog> rotateDialog_;
    std::unique_ptr<TResizeDialog> resizeDialog_;
    // support objects
    std::unique_ptr<TFrameSizes> frameSizes_;
    std::unique_ptr<TSupportPage> supportPage_;
    std::unique_ptr<TPatternViewer> patternViewer_;
    bool ApplyPatternCopy(TSLStitch& object, std::unique_ptr<TObjectStitch> copy);
    void InitSupportServices();
    std::vector<TSLStitch*> AllMembers() const;
    void RelinkCreatorMembers();
    // After undo/redo or removals: windows on support objects that went close; creators find
    // their members again.
    void SupportWentAway();
    int32_t contextSupport_ = -1; // the support item the last context menu was built on
    uint8_t supportEdges_ = 0;    // the edges a border drag moves (0: the whole object)
    int32_t supportDragX_ = 0, supportDragY_ = 0;
    int32_t SupportGrid() const;
    bool SelectSupportAt(int32_t x, int32_t y);
    bool StartSupportDrag();
    void SupportDragTo(double wx, double wy);
    void EndSupportDrag();
    void SupportHover(int32_t x, int32_t y);
    void MoveLockedMemos(const std::vector<TSLStitch*>& moved, double dx, double dy);
    std::vector<TContextItem> SupportMenuAt(int32_t x, int32_t y);
    // The stitch order mode's menu, the jump start items of an object, and running them.
    std::vector<TContextItem> OrderMenuAt(TSLStitch* hit);
    void AddJumpStartItem(std::vector<TContextItem>& items, TSLStitch& hit) const;
    bool RunOrderContextCommand(int32_t code, TSLStitch* target);
    bool RunSupportCommand(int32_t code);
    void DrawSupport(uint8_t layer, const TDrawContext& dc) const;
    // stitch pattern creators (app/CreatorCommands.cpp): the creator's own context items, the
    // creator that "Programmable Line Stitch" / "Programmable Curve Stitch" draws in, and points
    // of a creator's drawing kept in its tile (and on its grid for line stitches).
    TObjectBase* creationCreator_ = nullptr;
    void AddCreatorItems(std::vector<TContextItem>& items, const TObjectPatternCreator& creator) const;
    bool RunCreatorCommand(int32_t code, TObjectPatternCreator& creator);
    TObjectBase* CreationCreatorAt(float x, float y);
    void FitFirstPoint(float& x, float& y) const;
    void FitToCreator(const TSLStitch& object, float& x, float& y) const;

    // The worksheet's objects in drawing order (a snapshot, safe against removal while iterating).
    std::vector<TSLStitch*> Objects() const;
    void Redraw() const { host_.RequestRedraw(); }
    void CommandsChanged() const {
        RefreshCaption();
        host_.CommandStateChanged();
    }
    // The title: the worksheet's name, with an asterisk before it while there are unsaved changes.
    void RefreshCaption() const;
    // The simulator moved or changed: the view keeps the needle in sight, the window follows.
    void SimulationChanged();
    // Objects left the worksheet: what referred to them lets go.
    void ForgetRemovedObjects();
    bool UndoRedo(bool undo);

    // creation
    void CreationClick(float x, float y);
    void CreationEndStep();
    // Back to no creation in progress: state, prompt and status cleared, commands refreshed.
    void ClearCreationState();
    void FinishCreation();
    void ShowDueStatus();
    void AddCreationPoint(TSLStitch& obj, float x, float y);
    // A line object's next anchor, with the segment's control points on its chord.
    void AddLineAnchor(TSLCurve& line, float x, float y);
    TSLStitch* CurrentRail() const;
    // The circle tool: the default circle follows the pointer; the next click opens the dialog.
    void CircleFollow(double x, double y);
    void OpenCircleDialog(double x, double y);

    // selection and clicks
    void ClickSelect(int32_t x, int32_t y, TModifiers mods);
    // Point editing: the point items offered for a direct stitch object, a click that the stitch
    // cursor, the point selection or a pending merge takes (true: taken), and the drawing of the
    // cursor, the selection and the colour points of the edited object.
    void AddPointItems(std::vector<TContextItem>& items, TSLStitch& object, int32_t point) const;
    bool PointEditClick(int32_t x, int32_t y, TModifiers mods);
    bool HidesUnselected(const TSLStitch& o) const;
    void DrawPointEditing(TDrawContext& dc) const;
    void RectangleRelease(int32_t x, int32_t y, TModifiers mods);
    void StartLeftDrag();
    void LeftClick(int32_t x, int32_t y, TModifiers mods);
    void EndDrag(int32_t x, int32_t y, TModifiers mods);
    // The rotate drag ("Rotate Embroidery Object Mode").
    void StartRotate(uint32_t bit);
    void RotateTo(double wx, double wy);
    void EndRotate();
    void DropGoneDependents();
    void SelectWithPartner(TSLStitch* o, uint32_t bit, bool on);
    void ServePlacement(int32_t x, int32_t y);
    void SwitchStitching(bool on);
    // Outlines changed shape or place: the regions built on them follow.
    void RefillRegionsOf(const std::vector<TSLStitch*>& changed, double dx, double dy);
    // "Make Whole Design Use Fixed Node Regions" for the selected group.
    void FixGroupRegions();
    // Clicks and drawing of the order and jump modes.
    void OrderClick(int32_t x, int32_t y);
    void DrawOrder(TDrawContext& dc) const;
    // The entry and exit diamonds of the Set Jumps page: the prompt over them, and their drag.
    void DiamondHover(int32_t x, int32_t y);
    bool StartDiamondDrag();
    void DiamondDragTo(double wx, double wy);
    void EndDiamondDrag();
    static bool IsOrderMode(TMode m) { return m == TMode::ChangeOrder || m == TMode::SetJumps; }

    // structure edits of curves (app/CurveStructure.cpp)
    TCurveEditState curveEdit_;
    void AddStructureItems(std::vector<TContextItem>& items, TSLCurve& curve, int32_t node) const;
    void AddOrderItems(std::vector<TContextItem>& items, const TSLStitch& object) const;
    void AddLayoutItems(std::vector<TContextItem>& items, const TSLStitch& object) const;
    // Runs a structure, drawing order or stitching copy item; false for other codes.
    bool RunStructureCommand(int32_t code, TSLStitch& target, int32_t node);
    bool RefusedOnRegion(const TSLCurve& curve, const std::string& heading, const std::string& text);
    void StartPointJoin(TSLCurve& curve, int32_t node);
    void PointJoinClick(int32_t x, int32_t y);
    void LeavePointJoin();
    TSLCurve* JoinEndAt(int32_t x, int32_t y, bool& atEnd) const;
    void DrawPointJoin(TDrawContext& dc) const;
    void StartExtension(TSLCurve& curve, int32_t node);
    void ExtensionClick(float x, float y);
    void EndExtension(bool keep);
    // The drawing order "Bring To Top" / "Send To Bottom" would make (empty: nothing to move).
    std::vector<TSLStitch*> DrawingOrderAfter(bool top, TSLStitch* object = nullptr) const;

    // dragging anchors, control points and envelope handles of existing curves
    bool StartHandleDrag();
    void DragPointTo(double x, double y);
    void EndHandleDrag();

    // commands
    void GroupSelection();
    void DeleteSelection();
    // Delete's dependency extension: jump chains, partner rails and the regions on selected
    // outlines join the layout selection; returns the selection.
    std::vector<TSLStitch*> ExtendForDelete();
    // Removes objects without asking (the properties window closes first).
    void RemoveObjects(const std::vector<TSLStitch*>& doomed);
    std::vector<TSLStitch*> LayoutSelection() const;
    void NewWorksheet();
    void OpenCommand();
    // Save (ask = false, when the worksheet has a name) or Save As. True when the file was written.
    bool SaveCommand(bool ask);
    void GeneralOptions();
    // The folder the file dialogs start in: the current worksheet's, else "Embroidery Designs"
    // beside the program (created when missing).
    std::string DesignFolder() const;
    // Puts a freshly read worksheet in place of the current one.
    void AdoptWorksheet(TSew&& fresh, const std::string& fileName, bool modified);
    void Toggle(TCommand command);
    bool* ToggleField(TCommand command);
};

} // namespace nl
