#include "formats/ExportWalk.h"

#include <algorithm>
#include <limits>
#include <set>

#include "core/Numeric.h"
#include "stitching/JumpLinks.h"
#include "stitching/SLStitch.h"

namespace nl {

std::span<const TSP> TExportItem::Points() const {
    if (UsesWalk) return Walked;
    const TSLStitch* s = Object ? Object->Stitches() : nullptr;
    if (!s) return {};
    return std::span<const TSP>(s->Raw());
}

TEmitList TExportItem::List() const {
    TEmitList l;
    l.Points = Points();
    l.Via = (Object && Object->JumpVia) ? &*Object->JumpVia : nullptr;
    return l;
}

namespace {

// A copy for the output list: position, flags and colour only. The copy never owns or shares
// the original's jump record.
TSP OutputCopy(const TSP& p, uint32_t clear = 0) {
    TSP q = TSP::Plain(p.Flags & ~clear, p.X, p.Y);
    if (q.Flags & SP_EXTRA) q.ColourOrLink = p.ColourOrLink;
    return q;
}

class TNetworkWalk {
public:
    explicit TNetworkWalk(std::vector<TSP>& out) : out_(out) {}

    void Walk(const TSLStitch& outline, int32_t s, const TSLStitch* from) {
        visited_.insert(&outline);
        const TSLStitch* list = outline.Stitches();
        if (!list || list->Empty()) return;
        const std::vector<TSP>& L = list->Raw();
        const int32_t n = static_cast<int32_t>(L.size());
        if (s < 0 || s >= n) s = 0;
        const TJumpLinks* links = outline.JumpLinks();

        // Forward pass.
        int32_t stop = n;
        int fromSeen = 0;
        for (int32_t i = s; i < n; ++i) {
            TSP copy = OutputCopy(L[static_cast<size_t>(i)]);
            out_.push_back(copy);
            if (!(copy.Flags & (SP_EXTRA | SP_JUMP_SHARED))) continue;
            out_.back().Flags &= ~SP_EXTRA;
            if (copy.Flags & SP_JUMP_SHARED) {
                stop = i;
                break;
            }
            auto target = Target(links, L[static_cast<size_t>(i)]);
            if (!target.Outline) continue;
            if (target.Outline == from) {
                if (++fromSeen == 2) {
                    stop = i;
                    break;
                }
                continue;
            }
            if (Enter(target, &outline)) out_.push_back(OutputCopy(L[static_cast<size_t>(i)], SP_EXTRA));
        }
        // Backward pass.
        for (int32_t i = s - 1; i >= 0; --i) {
            const TSP& p = L[static_cast<size_t>(i)];
            out_.push_back(OutputCopy(p, SP_EXTRA));
            if (!(p.Flags & SP_EXTRA)) continue;
            auto target = Target(links, p);
            if (target.Outline && target.Outline != from && Enter(target, &outline))
                out_.push_back(OutputCopy(p, SP_EXTRA));
        }
        // Tail: the points from where the forward pass stopped, in reverse order.
        size_t c = out_.size();
        std::vector<TSP> tail;
        for (int32_t i = stop; i < n; ++i)
            tail.push_back(OutputCopy(L[static_cast<size_t>(i)], SP_EXTRA));
        out_.insert(out_.begin() + static_cast<std::ptrdiff_t>(c), tail.rbegin(), tail.rend());
    }

private:
    TJumpTarget Target(const TJumpLinks* links, const TSP& p) const {
        if (!links) return {};
        auto t = links->LinkAt(p);
        return t ? *t : TJumpTarget{};
    }

    // Walks a linked outline when the link can be followed; false when it was passed over.
    bool Enter(const TJumpTarget& t, const TSLStitch* from) {
        if (visited_.count(t.Outline) || !t.EntryPoint) return false;
        const TSLStitch* list = t.Outline->Stitches();
        if (!list || *t.EntryPoint < 0 || *t.EntryPoint >= list->Count()) return false;
        Walk(*t.Outline, *t.EntryPoint, from);
        return true;
    }

    std::vector<TSP>& out_;
    std::set<const TSLStitch*> visited_;
};

} // namespace

std::vector<TSP> JumpNetworkWalk(const TSLStitch& outline, int32_t start) {
    std::vector<TSP> out;
    TNetworkWalk(out).Walk(outline, start, nullptr);
    return out;
}

TExportPlan::TExportPlan(const std::vector<TSLStitch*>& order) {
    Extent.empty = true;
    float minX = std::numeric_limits<float>::infinity(), maxX = -minX, minY = minX, maxY = -minX;
    for (const TSLStitch* o : order) {
        if (!o) continue;
        if (o->Kind() == KIND_REGION && o->StitchType() == ST_NONE) continue;
        const TSLStitch* s = o->Stitches();
        if (!s || s->Empty()) continue;
        TExportItem item;
        item.Object = o;
        const TJumpLinks* links = o->Kind() == KIND_CURVE ? o->JumpLinks() : nullptr;
        if (links) {
            int32_t start = links->IsEntry() ? links->StitchIndex() : 0;
            item.Walked = JumpNetworkWalk(*o, start);
            item.UsesWalk = true;
            if (item.Walked.empty()) continue;
            TSP& first = item.Walked.front();
            first = TSP::Colour(first.Flags & ~SP_JUMP_BITS, first.X, first.Y, o->GetColor());
        }
        TEmitList list = item.List();
        // Rounding is monotonic: rounding the extremes once gives the rectangle of the rounded points.
        // Locals, not captured references, so the loop keeps the extremes in registers.
        float x0 = minX, x1 = maxX, y0 = minY, y1 = maxY;
        for (const TSP& p : list.Points) {
            x0 = std::min(x0, p.X), x1 = std::max(x1, p.X);
            y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
        }
        if (list.Via) {
            x0 = std::min(x0, list.Via->X), x1 = std::max(x1, list.Via->X);
            y0 = std::min(y0, list.Via->Y), y1 = std::max(y1, list.Via->Y);
        }
        minX = x0, maxX = x1, minY = y0, maxY = y1;
        StitchTotal += static_cast<int64_t>(list.Count());
        Items.push_back(std::move(item));
    }
    if (!Items.empty()) {
        Extent.SetRounded(minX, minY, maxX, maxY);
        Extent.empty = false;
        CentreX = RoundI((static_cast<double>(Extent.Left) + Extent.Right) / 4.0);
        CentreY = RoundI((static_cast<double>(Extent.Top) + Extent.Bottom) / 4.0);
    }
}

void RunObjectWalk(const TExportPlan& plan, TEmitter& emitter, TExportState& state) {
    state.First = true;
    int32_t previous = NO_COLOUR;
    for (const TExportItem& item : plan.Items) {
        state.Suppress = false;
        TEmitList list = item.List();
        const TSP& first = list[0];
        // Only an object that opens with a thread change can repeat the thread in the machine. A
        // plain first point says nothing about the thread: comparing its "no colour" with a
        // previous "no colour" would swallow the object's first real change further on.
        if (IsColourChange(first) && !state.First && first.ColourOrLink == previous) state.Suppress = true;
        emitter.EmitObject(list, state);
        // The thread in the machine after this object is the one of its last colour block.
        for (size_t i = list.Count(); i-- > 0;) {
            if (IsColourChange(list[i])) {
                previous = list[i].ColourOrLink;
                break;
            }
        }
    }
}

} // namespace nl
