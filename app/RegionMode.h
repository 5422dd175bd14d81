// TRegionMode: the "Fill Region Creation And Editing" mode and its fixed-node placement (Region
// Node Insertion) as the main window sees them. It resolves clicks and pointer moves to outlines,
// samples and candidates, drives the region builder, owns the path-editing buttons and offers the
// items of the mode's popup menu.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "regions/RegionBuilder.h"
#include "worksheet/Undo.h"

namespace nl {

class TNL;
class TSLCurve;
struct TDrawContext;

// The path-editing buttons shown while the mode is active, in their display order.
enum class TRegionButton : uint8_t {
    MakeFixed,
    Back,
    Start,
    Forward,
    End,
    Restore,
    Delete,
    Up,
    Down,
    ConvertAll,
    Exit,
    Count_
};

inline constexpr const char* POPUP_EXIT_REGION_MODE = "Exit Region Create Mode";
inline constexpr const char* POPUP_CONVERT_NODE = "Convert This Dynamic Node To A Fixed Node";

// Where a worksheet point lies on an outline's flattened path.
struct TOutlineHit {
    TSLCurve* Outline = nullptr;
    int32_t Sample = -1;  // start sample of the nearest segment
    double Percent = 0;   // position along that segment, 0..100
    double Distance = -1; // from the point to the path
};

// The nearest point of `outline`'s path to (x, y) when it lies within `tolerance`.
bool HitOutlinePath(TSLCurve& outline, double x, double y, double tolerance, TOutlineHit& hit);

class TRegionMode {
public:
    TRegionMode(TNL& nl, Host& host);
    ~TRegionMode();

    // The main window entered the mode from another one.
    void Enter();
    // The main window left the creation modes: an unfinished region is discarded.
    void Leave();
    // The prompt that fits the state the builder is in.
    std::string Prompt() const;

    // A left click at a worksheet point (mode 2 or the fixed-node placement).
    void Click(double x, double y);
    // The pointer moved without a button (drives the fixed-node placement).
    void PointerMoved(double x, double y);
    // The popup menu's items for a right click at a worksheet point: "Exit Region Create Mode",
    // and the node conversion on a node that is not fixed (remembered for RunMenuCommand).
    std::vector<TMenuItem> MenuAt(double x, double y);
    // Runs an item of that menu by its command code.
    void RunMenuCommand(int32_t code);
    // Escape: cancels a fixed-node placement, otherwise discards an unfinished region.
    void Escape();
    void Draw(TDrawContext& dc) const;

    // ---- buttons ----
    void Press(TRegionButton button);
    bool Enabled(TRegionButton button) const;
    std::string Caption(TRegionButton button) const;
    std::string Hint(TRegionButton button) const;

    TRegionBuilder& Builder() { return *builder_; }
    const TRegionBuilder& Builder() const { return *builder_; }

private:
    // One undo step per click, button or menu command that changes a finished region; the region
    // being built becomes one step when it is closed.
    class TEditStep {
    public:
        explicit TEditStep(TRegionMode& mode);
        ~TEditStep();

    private:
        TRegionMode& mode_;
        TSLRegion* building_ = nullptr;
        TKvRect before_{.empty = true}; // where the edited region was, for the fills a hole shapes
        std::unique_ptr<TUndoStep> step_;
    };

    // Outlines a region can be built on, topmost first.
    std::vector<TSLCurve*> Outlines() const;
    bool OutlineAt(double x, double y, TOutlineHit& hit) const;
    double Tolerance() const;
    // The outline the current placement leg runs along.
    TSLCurve* PlacementOutline() const;
    void PlacementHit(double x, double y, TOutlineHit& hit) const;
    // A node of the edited region at (x, y) that is not fixed yet (not the anchor), or -1.
    int32_t DynamicNodeAt(double x, double y) const;
    void EndPlacement();

    TNL& nl_;
    Host& host_;
    std::unique_ptr<TRegionBuilder> builder_;
    int32_t menuNode_ = -1; // the node under the last popup menu
};

} // namespace nl
