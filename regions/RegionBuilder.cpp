#include "regions/RegionBuilder.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "platform/Canvas.h"

namespace nl {

TRegionBuilder::TRegionBuilder(Host& host, TStitchContext ctx, TCallbacks callbacks)
    : host_(host), ctx_(std::move(ctx)), cb_(std::move(callbacks)) {}

TRegionBuilder::~TRegionBuilder() {
    ClearRedo();
}

void TRegionBuilder::ClearRedo() {
    for (TRedo& r : redo_)
        TPointList::Free(r.Node);
    redo_.clear();
}

void TRegionBuilder::Changed() {
    if (TSLRegion* r = Region()) r->UpdateBounds(ctx_);
    if (cb_.Redraw) cb_.Redraw();
}

void TRegionBuilder::Enter() {
    host_.SetPrompt(PROMPT_CLICK_OUTLINE);
}

void TRegionBuilder::Leave() {
    if (leg_ != TFixedLeg::None) MakeFixedNodeButton();
    // An unfinished new region is discarded; a worksheet region keeps what it has.
    owned_.reset();
    if (editing_ && editing_->UnderConstruction() && saved_) Restore();
    editing_ = nullptr;
    saved_.reset();
    candidates_.clear();
    ClearRedo();
    current_ = lastClicked_ = nullptr;
    cursor_ = -1;
}

void TRegionBuilder::ClickOutline(TSLCurve* outline) {
    if (!outline || leg_ != TFixedLeg::None) return;
    lastClicked_ = outline;
    TSLRegion* r = Region();
    if (!r) {
        current_ = outline;
        host_.SetPrompt(PROMPT_ANCHOR);
        return;
    }
    if (!current_) return;
    candidates_ = FindCandidates(*current_, *outline);
    host_.SetPrompt(PROMPT_NEW_OUTLINE);
    if (cb_.Redraw) cb_.Redraw();
}

bool TRegionBuilder::ClickAnchor(int32_t sample) {
    if (Region() || !current_) return false;
    int32_t last = LastSampleOf(*current_);
    if (last < 0 || sample < 0 || sample > last) {
        host_.SetPrompt(PROMPT_ANCHOR);
        return false;
    }
    owned_ = std::make_unique<TSLRegion>();
    owned_->Flags |= RF_UNDER_CONSTRUCTION;
    TSP& first = (*owned_)[0];
    first.X = current_->PathX[static_cast<size_t>(sample)];
    first.Y = current_->PathY[static_cast<size_t>(sample)];
    TRegionNode& n = owned_->Node(0);
    n.Outline = current_;
    n.StartIndex = sample;
    n.EndIndex = -1;
    n.PercentA = 0;
    host_.SetPrompt(PROMPT_NEW_OUTLINE);
    Changed();
    return true;
}

void TRegionBuilder::Draw(TDrawContext& dc) const {
    if (!dc.Target) return;
    if (const TSLRegion* r = Region()) r->DrawEdit(dc);
    // Group 0 is the plain candidate; members of a coincident cluster get their own colours so
    // the user can tell that several nodes share the spot.
    static constexpr int32_t colours[8] = {0x000000FF, 0x0000A000, 0x00FF0000, 0x0000A0A0,
                                           0x00A000A0, 0x00A0A000, 0x00404040, 0x00008080};
    for (const TCandidate& c : candidates_)
        dc.Target->Marker(dc.SX(c.X), dc.SY(c.Y), TMarker::Circle, dc.MarkerSize + 1.f, colours[c.Group & 7]);
}

int32_t TRegionBuilder::CandidateAt(float x, float y, float radius) const {
    int32_t best = -1;
    double bestD = radius;
    for (size_t i = 0; i < candidates_.size(); ++i) {
        double d = std::hypot(candidates_[i].X - x, candidates_[i].Y - y);
        if (d <= bestD) {
            bestD = d;
            best = static_cast<int32_t>(i);
        }
    }
    return best;
}

bool TRegionBuilder::PickCandidate(int32_t index) {
    TSLRegion* r = Region();
    if (!r || index < 0 || static_cast<size_t>(index) >= candidates_.size() || leg_ != TFixedLeg::None) {
        host_.SetPrompt(PROMPT_NEW_OUTLINE);
        return false;
    }
    TCandidate c = candidates_[static_cast<size_t>(index)];
    ClearRedo();
    r->Node(r->Count() - 1).EndIndex = c.PrevIndex;
    r->AppendNode(c.Kind | (c.Group << SP_GROUP_SHIFT), c.X, c.Y, c.Outline, c.NewIndex, -1);
    int32_t k = r->Count() - 1;
    if (c.Kind == NK_JOIN_FROM_START || c.Kind == NK_JOIN_FROM_END) {
        TButton b = host_.MessageDialog(
            "Convert To Fixed", "Would You Like To Make This A Permanent ( Fixed ) Jump Between End Points ?",
            TButton::Yes | TButton::No);
        if (b == TButton::Yes) {
            TSP& p = (*r)[k];
            p.Flags = (p.Flags & ~SP_NODE_KIND) | NK_FIXED;
            r->Node(k).PercentA = r->Node(k).PercentB = 0;
        }
    }
    current_ = c.Outline;
    candidates_.clear();
    host_.SetPrompt(PROMPT_NEW_OUTLINE);
    Changed();
    OfferClose();
    return true;
}

void TRegionBuilder::OfferClose() {
    TSLRegion* r = Region();
    if (!r || !r->UnderConstruction() || r->Count() < 2) return;
    if (leg_ != TFixedLeg::None) return;
    const TSP& last = *r->Last();
    const TRegionNode* ln = NodeOf(last);
    const TRegionNode* fn = r->NodeAt(0);
    if (!ln || !fn || ln->Outline != fn->Outline || (last.Flags & SP_CLOSE_DECLINED)) return;
    TButton b = host_.MessageDialog("Region Can Now Be Closed",
                                    "Click Yes to Finish The Region or No to Continue With Path Building",
                                    TButton::Yes | TButton::No);
    if (b == TButton::Yes)
        Close();
    else
        r->Last()->Flags |= SP_CLOSE_DECLINED;
}

void TRegionBuilder::Close() {
    TSLRegion* r = Region();
    const int32_t n = r->Count();
    r->Node(n - 1).EndIndex = r->Node(0).StartIndex;
    r->Flags = (r->Flags | OF_HIGHLIGHT | OF_VISIBLE) & ~RF_UNDER_CONSTRUCTION;
    // A region holds one stitch type: a new one gets tatami, a reopened one keeps its own.
    if (r->StitchType() == 0) r->SetStitchTypeBits(ST_TATAMI);
    if (r->Node(0).Outline) r->GroupId = r->Node(0).Outline->GroupId;
    r->UpdateBounds(ctx_);
    r->DeriveEntryExit = true;
    Restitch(*r, ctx_);
    candidates_.clear();
    ClearRedo();
    if (owned_) {
        if (cb_.AddRegion) cb_.AddRegion(std::move(owned_));
        owned_.reset();
    }
    editing_ = nullptr;
    saved_.reset();
    current_ = nullptr;
    if (cb_.Finished) cb_.Finished();
    if (cb_.Redraw) cb_.Redraw();
}

// ---- fixed nodes ----

void TRegionBuilder::MakeFixedNodeButton() {
    TSLRegion* r = Region();
    if (!r) return;
    if (leg_ != TFixedLeg::None) {
        // "    Cancel Direct Jump": the node being placed goes, and the previous node gets back
        // the EndIndex that leg 1 changed.
        r->Delete(r->Count() - 1);
        if (r->Count() > 0) r->Node(r->Count() - 1).EndIndex = savedPrevEnd_;
        leg_ = TFixedLeg::None;
        Changed();
        return;
    }
    if (r->Count() < 1 || !lastClicked_) return;
    savedPrevEnd_ = r->Node(r->Count() - 1).EndIndex;
    r->AppendNode(NK_FIXED, r->Last()->X, r->Last()->Y, lastClicked_, -1, -1);
    leg_ = TFixedLeg::Leg1;
    overOutline_ = false;
    placementDone_ = false;
    Changed();
}

void TRegionBuilder::PointerOverOutline(TSLCurve* outline, int32_t sample, double percent) {
    TSLRegion* r = Region();
    if (!r || leg_ == TFixedLeg::None || r->Count() < 2) return;
    const int32_t k = r->Count() - 1;
    TRegionNode& node = r->Node(k);
    TRegionNode& prev = r->Node(k - 1);
    TSLCurve* want = leg_ == TFixedLeg::Leg1 ? prev.Outline : node.Outline;
    int32_t last = outline ? LastSampleOf(*outline) : -1;
    overOutline_ = outline && outline == want && last >= 0;
    if (!overOutline_) {
        if (leg_ == TFixedLeg::Leg2) node.StartIndex = -1;
        Changed();
        return;
    }
    sample = Clamp(sample, 0, last);
    if (!std::isfinite(percent)) percent = 0;
    percent = std::clamp(percent, 0.0, 100.0);
    if (leg_ == TFixedLeg::Leg1) {
        prev.EndIndex = sample;
        node.PercentA = static_cast<float>(percent);
    } else {
        node.StartIndex = sample;
        node.PercentB = static_cast<float>(percent);
        double x, y;
        SamplePoint(*outline, sample, percent, x, y);
        (*r)[k].X = static_cast<float>(x);
        (*r)[k].Y = static_cast<float>(y);
    }
    Changed();
}

void TRegionBuilder::ClickDuringPlacement(TSLCurve* outline, int32_t sample, double percent) {
    if (leg_ == TFixedLeg::None) return;
    PointerOverOutline(outline, sample, percent);
    if (!overOutline_) return;
    if (leg_ == TFixedLeg::Leg1) {
        leg_ = TFixedLeg::Leg2;
        overOutline_ = false;
        return;
    }
    leg_ = TFixedLeg::None;
    placementDone_ = true;
    candidates_.clear();
    current_ = outline;
    Changed();
    OfferClose();
}

// ---- path editing ----

void TRegionBuilder::EditRegion(TSLRegion* region) {
    Leave();
    editing_ = region;
    if (!region) return;
    saved_ = region->Clone();
    const TRegionNode* last = region->Empty() ? nullptr : NodeOf(*region->Last());
    current_ = last ? last->Outline : nullptr;
    lastClicked_ = current_;
}

void TRegionBuilder::Back() {
    TSLRegion* r = Region();
    if (!r || r->Count() < 2 || leg_ != TFixedLeg::None) return;
    const int32_t k = r->Count() - 1;
    TSLCurve* removedOutline = r->Node(k).Outline;
    TRedo item{r->Extract(k), r->Node(k - 1).EndIndex};
    redo_.push_back(item);
    r->Flags |= RF_UNDER_CONSTRUCTION;
    r->Node(k - 1).EndIndex = -1;
    current_ = r->Node(k - 1).Outline;
    candidates_ =
        (current_ && removedOutline) ? FindCandidates(*current_, *removedOutline) : std::vector<TCandidate>{};
    r->FreeGenerated();
    Changed();
}

void TRegionBuilder::Start() {
    TSLRegion* r = Region();
    if (!r || leg_ != TFixedLeg::None) return;
    while (r->Count() > 1)
        Back();
}

void TRegionBuilder::Forward() {
    TSLRegion* r = Region();
    if (!r || redo_.empty() || leg_ != TFixedLeg::None) return;
    TRedo item = redo_.back();
    redo_.pop_back();
    r->Node(r->Count() - 1).EndIndex = item.PrevEndIndex;
    r->Append(item.Node); // the list takes the node data over
    const TRegionNode* n = NodeOf(*r->Last());
    current_ = n ? n->Outline : current_;
    candidates_.clear();
    Changed();
    if (redo_.empty()) OfferClose();
}

void TRegionBuilder::End() {
    while (!redo_.empty() && Region() && Region()->UnderConstruction())
        Forward();
}

void TRegionBuilder::Restore() {
    TSLRegion* r = Region();
    if (!r || !saved_) return;
    ClearRedo();
    r->Assign(*saved_);
    r->Flags &= ~RF_UNDER_CONSTRUCTION;
    candidates_.clear();
    r->UpdateBounds(ctx_);
    Restitch(*r, ctx_);
    if (cb_.Redraw) cb_.Redraw();
}

bool TRegionBuilder::Delete() {
    TSLRegion* r = Region();
    if (!r || leg_ != TFixedLeg::None) return false;
    TButton b = host_.MessageDialog("Delete This Region ?", "O.K To Delete Currently Selected Region ?",
                                    TButton::Yes | TButton::No);
    if (b != TButton::Yes) return false;
    TSLRegion* victim = editing_;
    editing_ = nullptr;
    owned_.reset();
    saved_.reset();
    ClearRedo();
    candidates_.clear();
    current_ = nullptr;
    if (victim && cb_.DeleteRegion) cb_.DeleteRegion(victim);
    host_.SetPrompt(PROMPT_CLICK_OUTLINE);
    if (cb_.Redraw) cb_.Redraw();
    return true;
}

TSLRegion* TRegionBuilder::Neighbour(const std::vector<TSLStitch*>& objects, int step) {
    TSLRegion* r = editing_;
    if (!r) return nullptr;
    auto it = std::find(objects.begin(), objects.end(), r);
    if (it == objects.end()) return nullptr;
    const int64_t n = static_cast<int64_t>(objects.size());
    int64_t at = it - objects.begin();
    for (int64_t i = 1; i < n; ++i) {
        int64_t j = ((at + step * i) % n + n) % n;
        TSLStitch* o = objects[static_cast<size_t>(j)];
        if (o && o->Kind() == KIND_REGION && o->GroupId == r->GroupId) {
            auto* next = static_cast<TSLRegion*>(o);
            EditRegion(next);
            return next;
        }
    }
    return nullptr;
}

TSLRegion* TRegionBuilder::Up(const std::vector<TSLStitch*>& objects) {
    return Neighbour(objects, +1);
}
TSLRegion* TRegionBuilder::Down(const std::vector<TSLStitch*>& objects) {
    return Neighbour(objects, -1);
}

// ---- node page ----

void TRegionBuilder::CursorStart() {
    cursor_ = Region() && !Region()->Empty() ? 0 : -1;
}
void TRegionBuilder::CursorBack() {
    if (cursor_ > 0) --cursor_;
}
void TRegionBuilder::CursorForward() {
    if (Region() && cursor_ + 1 < Region()->Count()) ++cursor_;
}
void TRegionBuilder::CursorEnd() {
    cursor_ = Region() ? Region()->Count() - 1 : -1;
}

void TRegionBuilder::ConvertCursorToFixed() {
    TSLRegion* r = Region();
    if (!r || cursor_ < 0) return;
    r->ConvertNodeToFixed(cursor_);
    r->UpdateBounds(ctx_);
    Restitch(*r, ctx_);
    if (cb_.Redraw) cb_.Redraw();
}

bool TRegionBuilder::ConvertAllNodes() {
    TSLRegion* r = Region();
    if (!r) return false;
    TButton b = host_.MessageDialog(
        "Convert Dynamic Nodes To Fixed Nodes",
        "This will irreversibly convert dynamically editable regions to fixed regions.You will increase "
        "region "
        "stability but loose the ability to fine tune paths while in edit mode. Continue ?",
        TButton::Yes | TButton::No);
    if (b != TButton::Yes) return false;
    ConvertAllNodesToFixed(*r, ctx_);
    if (cb_.Redraw) cb_.Redraw();
    return true;
}

void ConvertAllNodesToFixed(TSLRegion& region, const TStitchContext& ctx) {
    for (int32_t k = 1; k < region.Count(); ++k)
        region.ConvertNodeToFixed(k);
    region.UpdateBounds(ctx);
    Restitch(region, ctx);
}

void RebuildRegionsUsing(const std::vector<TSLStitch*>& objects, const TSLStitch& outline,
                         const TKvRect& changed, const TStitchContext& ctx) {
    for (TSLStitch* o : objects) {
        if (!o || o->Kind() != KIND_REGION) continue;
        auto used = o->UsedOutlines();
        if (std::find(used.begin(), used.end(), &outline) == used.end()) continue;
        static_cast<TSLRegion*>(o)->RebuildIfMeets(changed, ctx);
    }
}

void RegionsFollowReversedOutline(const std::vector<TSLStitch*>& objects, const TSLStitch& outline,
                                  const TStitchContext& ctx) {
    for (TSLStitch* o : objects) {
        if (!o || o->Kind() != KIND_REGION) continue;
        auto used = o->UsedOutlines();
        if (std::find(used.begin(), used.end(), &outline) == used.end()) continue;
        static_cast<TSLRegion*>(o)->OutlineReversed(outline, ctx);
        Restitch(*o, ctx);
    }
}

} // namespace nl
