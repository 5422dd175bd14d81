// TRegionBuilder: the headless steps of building and editing a region's path from outlines
// (clicking outlines, anchoring, picking candidate nodes, fixed-node placement, path editing).
// The mode controller feeds it clicks and pointer positions already resolved to outlines and
// samples; questions and prompts go through the Host.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "regions/SLRegion.h"

namespace nl {

// Texts of the creation mode.
inline constexpr const char* PROMPT_CLICK_OUTLINE =
    " Left Click on An Outline To Start The Region Creation Process !";
inline constexpr const char* PROMPT_ANCHOR =
    " Left Click on Black Node To Anchor The Starting Point Of Your Region.";
inline constexpr const char* PROMPT_NEW_OUTLINE =
    "  Left Click On A New Outline To Show Valid Intersect Points.";
inline constexpr const char* CAPTION_MAKE_FIXED = "    Make A Fixed Node";
inline constexpr const char* CAPTION_CANCEL_JUMP = "    Cancel Direct Jump";

class TRegionBuilder {
public:
    struct TCallbacks {
        // A newly closed region joins the worksheet's object list.
        std::function<void(std::unique_ptr<TSLRegion>)> AddRegion;
        // "Delete": the region being edited leaves the worksheet.
        std::function<void(TSLRegion*)> DeleteRegion;
        // The mode returns to "Design And Editing Mode" after a region is closed.
        std::function<void()> Finished;
        std::function<void()> Redraw;
    };
    enum class TFixedLeg : uint8_t { None, Leg1, Leg2 };

    TRegionBuilder(Host& host, TStitchContext ctx, TCallbacks callbacks);
    ~TRegionBuilder();

    // Entering and leaving the mode; leaving before the path is closed discards the region.
    void Enter();
    void Leave();

    // Steps 1 and 3: an outline was clicked.
    void ClickOutline(TSLCurve* outline);
    // Step 2: a sample of the current outline was clicked; creates the region.
    bool ClickAnchor(int32_t sampleIndex);
    // Step 4: a displayed candidate was clicked (index into Candidates()).
    bool PickCandidate(int32_t index);
    // Draws the offered candidates (coincident ones in distinct colours) and the path so far.
    void Draw(TDrawContext& dc) const;
    // The candidate within `radius` of (x, y), or -1.
    int32_t CandidateAt(float x, float y, float radius) const;

    // "    Make A Fixed Node" / "    Cancel Direct Jump" (the same button).
    void MakeFixedNodeButton();
    // The pointer moved: the outline under it (null when none), the sample index under it and the
    // position along the segment from that sample to the next, in percent.
    void PointerOverOutline(TSLCurve* outline, int32_t sample, double percent);
    // A click during fixed-node placement.
    void ClickDuringPlacement(TSLCurve* outline, int32_t sample, double percent);
    TFixedLeg PlacementLeg() const { return leg_; }
    std::string FixedNodeCaption() const {
        return leg_ == TFixedLeg::None ? CAPTION_MAKE_FIXED : CAPTION_CANCEL_JUMP;
    }
    // "Back ", "Forward", "Delete" and "Exit" are disabled while a fixed node is being placed.
    bool NavigationEnabled() const { return leg_ == TFixedLeg::None; }

    // Path editing of a region already in the worksheet.
    void EditRegion(TSLRegion* region);
    void Back();
    void Start();
    void Forward();
    void End();
    void Restore();
    bool Delete();
    // Next / previous region of the same group in worksheet order, wrapping around.
    TSLRegion* Up(const std::vector<TSLStitch*>& objects);
    TSLRegion* Down(const std::vector<TSLStitch*>& objects);

    // Node page: a cursor over the nodes (-1 none).
    void CursorStart();
    void CursorBack();
    void CursorForward();
    void CursorEnd();
    int32_t Cursor() const { return cursor_; }
    void ConvertCursorToFixed();
    bool ConvertAllNodes();

    TSLRegion* Region() const { return editing_ ? editing_ : owned_.get(); }
    TSLCurve* CurrentOutline() const { return current_; }
    const std::vector<TCandidate>& Candidates() const { return candidates_; }
    size_t RedoDepth() const { return redo_.size(); }

private:
    struct TRedo {
        TSP Node;             // owns its node data while on the stack
        int32_t PrevEndIndex; // the previous node's EndIndex when it was removed
    };
    void OfferClose();
    void Close();
    void Changed();
    TSLRegion* Neighbour(const std::vector<TSLStitch*>& objects, int step);
    void ClearRedo();
    TSLRegion* Edited() const { return Region(); }

    Host& host_;
    TStitchContext ctx_;
    TCallbacks cb_;
    std::unique_ptr<TSLRegion> owned_; // a region being built, not yet in the worksheet
    TSLRegion* editing_ = nullptr;     // a region of the worksheet being edited
    std::unique_ptr<TSLStitch> saved_; // the path when editing began ("Restore")
    TSLCurve* current_ = nullptr;
    TSLCurve* lastClicked_ = nullptr;
    std::vector<TCandidate> candidates_;
    std::vector<TRedo> redo_;
    TFixedLeg leg_ = TFixedLeg::None;
    bool overOutline_ = false;
    int32_t savedPrevEnd_ = -1;
    bool placementDone_ = false;
    int32_t cursor_ = -1;
};

// Converts nodes 1 .. count-1 of a region to fixed nodes ("Convert All Nodes ", and per region
// "Make Whole Design Use Fixed Node Regions").
void ConvertAllNodesToFixed(TSLRegion& region, const TStitchContext& ctx);

// Rebuilds and refills every region that uses `outline`, when its bounds meet `changed`.
void RebuildRegionsUsing(const std::vector<TSLStitch*>& objects, const TSLStitch& outline,
                         const TKvRect& changed, const TStitchContext& ctx);

// The point order of `outline` was reversed ("Reverse Stitching Direction"): every region built
// on it keeps its boundary (its nodes are renumbered) and refills.
void RegionsFollowReversedOutline(const std::vector<TSLStitch*>& objects, const TSLStitch& outline,
                                  const TStitchContext& ctx);

} // namespace nl
