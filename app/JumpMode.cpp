#include "app/JumpMode.h"

#include "core/Units.h"
#include "platform/Host.h"
#include "regions/JumpNodes.h"
#include "stitching/SLCurve.h"
#include "worksheet/Sew.h"
#include "worksheet/Undo.h"

namespace nl {

namespace {
constexpr const char* kPickFrom = " Left Click On The Outline That You Would Like To Jump From !";
constexpr const char* kPickFromNode = "Click On A Blue Node To Start The Jump !";
constexpr const char* kPickTo = " Left Click On The New Outline That You Would Like To Jump To !";
constexpr const char* kSame =
    " Can't Link To The Same Outline. Left Click On A New Outline That You Would Like To Jump To !";
constexpr const char* kCircular =
    " Circular Path Detected ! Left Click On A Valid Node That You Would Like To Jump To !";
constexpr const char* kInvalid =
    " Invalid Node ! Left Click On A Valid Node That You Would Like To Jump To !";
constexpr const char* kRestart =
    " Invalid Node ! Restarting Jump Sequence. Left Click On The Outline That You Would Like To Jump From !";
constexpr const char* kPickStart =
    " Left Click On The Associated Outlines That You Would Like To Set A Jump Start Point From";
constexpr const char* kPickStartNode = "Click On A Blue Node To Secure The First Stitch Point.";

// The sample of an anchor (a node); -1 for any other point.
int32_t NodeSample(int32_t pointIndex) {
    return pointIndex >= 0 && pointIndex % 3 == 0 ? pointIndex / 3 * kSamplesPerSegment : -1;
}
} // namespace

bool CanJump(const TSLStitch* o) {
    return o && o->Kind() == KIND_CURVE && !static_cast<const TSLCurve*>(o)->IsRail() &&
           !(o->Flags & OF_PATTERN_MEMBER);
}

void TJumpMode::SetPrompt(std::string text) {
    prompt_ = std::move(text);
    host_.SetPrompt(prompt_);
}

void TJumpMode::Refuse(std::string text) {
    host_.Beep();
    SetPrompt(std::move(text));
}

void TJumpMode::Highlight(TSLCurve* c) {
    ClearHighlight();
    if (!c) return;
    for (TSLCurve* o : ChainOf(*c))
        o->SetFlags(OF_REGION_MARK_1);
}

void TJumpMode::ClearHighlight() {
    sew_.ClearSelection(OF_REGION_MARK_1);
}

void TJumpMode::Enter(TSLCurve* startOn) {
    from_ = nullptr;
    if (startOn && CanJump(startOn)) {
        from_ = startOn;
        Highlight(startOn);
        state_ = TState::PickStartOutline;
        SetPrompt(kPickStart);
        return;
    }
    ClearHighlight();
    state_ = TState::PickFrom;
    SetPrompt(kPickFrom);
}

void TJumpMode::Leave() {
    ClearHighlight();
    from_ = nullptr;
    state_ = TState::PickFrom;
}

void TJumpMode::Restart() {
    ClearHighlight();
    from_ = nullptr;
    state_ = TState::PickFrom;
}

TSLCurve* TJumpMode::NodesOf() const {
    return state_ == TState::PickFrom ? nullptr : from_;
}

void TJumpMode::Click(TSLStitch* hit, int32_t pointIndex) {
    TSLCurve* curve = CanJump(hit) ? static_cast<TSLCurve*>(hit) : nullptr;
    const int32_t sample = curve ? NodeSample(pointIndex) : -1;
    switch (state_) {
    case TState::PickFrom:
        if (!curve) return;
        from_ = curve;
        Highlight(curve);
        state_ = TState::PickFromNode;
        SetPrompt(kPickFromNode);
        break;
    case TState::PickFromNode:
        if (!hit) {
            Restart();
            Refuse(kRestart);
        } else if (curve != from_ || sample < 0) {
            Refuse(kInvalid);
        } else {
            fromIndex_ = std::min(sample, from_->LastSample());
            state_ = TState::PickTo;
            SetPrompt(kPickTo);
        }
        break;
    case TState::PickTo: {
        if (!hit) {
            Restart();
            Refuse(kRestart);
            break;
        }
        if (curve == from_) {
            Refuse(kSame);
            break;
        }
        if (!curve || sample < 0) {
            Refuse(kInvalid);
            break;
        }
        const int32_t toIndex = std::min(sample, curve->LastSample());
        TUndoStep step(sew_, "Outline Jump Connection", {from_, curve});
        // The same two nodes again remove the link.
        bool existing = false;
        if (from_->Jumps)
            for (const auto& j : *from_->Jumps)
                if (j->LinkedOutline == curve && j->OwnIndex == fromIndex_ && j->PartnerIndex == toIndex)
                    existing = true;
        if (existing) {
            UnlinkOutlines(*from_, fromIndex_, *curve);
        } else if (WouldCloseCycle(*from_, *curve)) {
            step.Cancel();
            Refuse(kCircular);
            break;
        } else {
            LinkOutlines(*from_, *curve, fromIndex_, toIndex);
            PropagateChain(*from_);
        }
        // Both chains regenerate (the link points, the root and the landings moved).
        TSLCurve* a = from_;
        a->RefreshGeometry(Context);
        curve->RefreshGeometry(Context);
        if (a->Jumps)
            RegenerateChain(*a, Context);
        else
            a->Regenerate(Context);
        if (curve->Jumps)
            RegenerateChain(*curve, Context);
        else
            curve->Regenerate(Context);
        sew_.MarkModified();
        Restart();
        SetPrompt(kPickFrom);
        break;
    }
    case TState::PickStartOutline:
        if (!curve || !from_ || !(curve->Flags & OF_REGION_MARK_1)) return;
        from_ = curve;
        state_ = TState::PickStartNode;
        SetPrompt(kPickStartNode);
        break;
    case TState::PickStartNode:
        if (curve && sample >= 0 && (curve->Flags & OF_REGION_MARK_1)) {
            TUndoStep step(sew_, "Set Outline Start Jump Stitch", {curve});
            SetChainStart(*curve, sample);
            if (curve->Jumps)
                RegenerateChain(*curve, Context);
            else
                curve->Regenerate(Context);
            sew_.MarkModified();
            from_ = curve;
            state_ = TState::PickStartOutline;
            SetPrompt(kPickStart);
        } else {
            host_.Beep();
        }
        break;
    }
    host_.RequestRedraw();
}

} // namespace nl
