// The "Outline Jump Connection" mode: linking outlines by jumps so that they stitch as one object
// (click an outline, one of its nodes, then a node of another outline; the same two nodes again
// remove the link), and the start point of a chain ("Set Outline Start Jump Stitch"). Headless:
// the controller hands it the object and point under each click; prompts and beeps go to Host.
#pragma once
#include <cstdint>
#include <string>

#include "stitching/StitchContext.h"

namespace nl {

class Host;
class TSLStitch;
class TSLCurve;
class TSew;

class TJumpMode {
public:
    enum class TState : uint8_t { PickFrom, PickFromNode, PickTo, PickStartOutline, PickStartNode };

    TJumpMode(TSew& sew, Host& host) : sew_(sew), host_(host) {}

    // Entering the mode. With `startOn` (an outline) the chain start point is set instead: its
    // chain is highlighted and a click on one of its nodes secures the first stitch.
    void Enter(TSLCurve* startOn = nullptr);
    // Leaving: highlights go.
    void Leave();
    // A left click: the object under the pointer (null: nothing) and the control point hit (-1:
    // none).
    void Click(TSLStitch* hit, int32_t pointIndex);

    TState State() const { return state_; }
    const std::string& Prompt() const { return prompt_; }
    TSLCurve* From() const { return from_; }
    // The outline whose nodes are offered (drawn as blue nodes), null when none.
    TSLCurve* NodesOf() const;

    TStitchContext Context;

private:
    void SetPrompt(std::string text);
    void Refuse(std::string text);
    void Restart();
    void Highlight(TSLCurve* c);
    void ClearHighlight();

    TSew& sew_;
    Host& host_;
    TState state_ = TState::PickFrom;
    TSLCurve* from_ = nullptr;
    int32_t fromIndex_ = 0;
    std::string prompt_;
};

// True for an outline that can take part in a chain: a curve that is no rail of a column.
bool CanJump(const TSLStitch* o);

} // namespace nl
