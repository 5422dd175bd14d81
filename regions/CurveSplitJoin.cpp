#include "regions/CurveSplitJoin.h"

#include <algorithm>

#include "core/Units.h"
#include "regions/JumpNodes.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
bool IsColumn(const TSLCurve& c) {
    return c.IsRail() && c.PartnerRail && c.PartnerRail != &c;
}

// Rail B of a column (null for an outline).
TSLCurve* RailB(TSLCurve& head) {
    return IsColumn(head) ? head.PartnerRail : nullptr;
}

// Keeps points [from, to] of a curve, freeing the others.
void KeepRange(TSLCurve& c, int32_t from, int32_t to) {
    for (int32_t i = c.Count() - 1; i > to; --i)
        c.Delete(i);
    for (int32_t i = from - 1; i >= 0; --i)
        c.Delete(i);
}

// The copy that becomes the second part of a split: every attribute, no links, no stitches.
std::unique_ptr<TSLCurve> PartCopy(const TSLCurve& c) {
    std::unique_ptr<TSLStitch> copy = c.Clone();
    auto* part = static_cast<TSLCurve*>(copy.release());
    std::unique_ptr<TSLCurve> owned(part);
    owned->Jumps.reset();
    owned->EntryIndex = -1;
    owned->ExitIndex = -1;
    owned->Generated.reset();
    owned->JumpVia.reset();
    owned->ClearFlags(OF_SELECTED_EDIT | OF_SELECTED_LAYOUT | OF_REGION_MARK_1 | OF_REGION_MARK_2);
    return owned;
}

// Splits the width profile: sections 0..s stay, s.. go to the part (positions from 0).
void SplitProfile(TSLCurve& c, TSLCurve& part, int32_t s) {
    if (!c.Outlines) return;
    auto& keep = *c.Outlines;
    auto& moved = *part.Outlines;
    const int32_t base = s < moved.Count() ? moved[s]->StartSample : kSamplesPerSegment * s;
    for (int32_t i = std::min(s, moved.Count()); i-- > 0;)
        moved.Delete(i);
    for (const auto& o : moved)
        o->StartSample -= base;
    while (keep.Count() > s + 1)
        keep.Delete(keep.Count() - 1);
    keep.SetCurrent(nullptr);
    moved.SetCurrent(nullptr);
    keep.CurrentSection = std::min(keep.CurrentSection, std::max(0, keep.Count() - 1));
    moved.CurrentSection = 0;
}

// Links of `c` past sample `split` go to `part`, to the same partner points.
void MoveLinks(TSLCurve& c, TSLCurve& part, int32_t split) {
    if (!c.Jumps) return;
    struct TMove {
        TSLCurve* Partner;
        int32_t Own, PartnerIndex;
    };
    std::vector<TMove> moves;
    for (const auto& j : *c.Jumps)
        if (j->OwnIndex > split && j->LinkedOutline)
            moves.push_back({j->LinkedOutline, j->OwnIndex, j->PartnerIndex});
    for (const TMove& m : moves) {
        UnlinkOutlines(c, m.Own, *m.Partner);
        LinkOutlines(part, *m.Partner, m.Own - split, m.PartnerIndex);
    }
    if (part.Jumps) PropagateChain(part);
    // A start point that was on the part that went: the chain starts at the beginning again.
    if (c.EntryIndex > split) c.EntryIndex = c.Jumps ? 0 : -1;
    if (c.ExitIndex > split) c.ExitIndex = -1;
}

void Refresh(TSLCurve& head, const TStitchContext& ctx) {
    if (TSLCurve* b = RailB(head)) b->RefreshGeometry(ctx);
    head.UpdateBounds(ctx);
}
} // namespace

TSLCurve& ColumnHead(TSLCurve& curve) {
    return curve.IsRailB() && curve.PartnerRail ? *curve.PartnerRail : curve;
}

bool IsEndAnchor(const TSLCurve& c, int32_t node) {
    return c.SegmentCount() > 0 && (node == 0 || node == c.Count() - 1);
}

bool IsInnerAnchor(const TSLCurve& c, int32_t node) {
    return c.SegmentCount() > 0 && node > 0 && node < c.Count() - 1 && node % 3 == 0;
}

std::vector<std::unique_ptr<TSLStitch>> SplitCurve(TSLCurve& curve, int32_t node, const TStitchContext& ctx) {
    std::vector<std::unique_ptr<TSLStitch>> parts;
    TSLCurve& head = ColumnHead(curve);
    TSLCurve* railB = RailB(head);
    if (!IsInnerAnchor(head, node) || (railB && railB->Count() != head.Count())) return parts;
    const int32_t n = head.Count();
    const int32_t section = node / 3;
    const int32_t split = section * kSamplesPerSegment;
    std::unique_ptr<TSLCurve> partA = PartCopy(head);
    std::unique_ptr<TSLCurve> partB = railB ? PartCopy(*railB) : nullptr;
    if (partB) {
        partA->PartnerRail = partB.get();
        partB->PartnerRail = partA.get();
    }
    for (auto [c, part] : {std::pair{&head, partA.get()}, std::pair{railB, partB.get()}}) {
        if (!c) continue;
        SplitProfile(*c, *part, section);
        MoveLinks(*c, *part, split);
        KeepRange(*part, node, n - 1);
        KeepRange(*c, 0, node);
    }
    Refresh(head, ctx);
    Refresh(*partA, ctx);
    parts.push_back(std::move(partA));
    if (partB) parts.push_back(std::move(partB));
    return parts;
}

bool CanJoinCurves(const TSLCurve& first, const TSLCurve& second) {
    if (&first == &second || first.SegmentCount() == 0 || second.SegmentCount() == 0) return false;
    if ((first.Flags | second.Flags) & OF_PATTERN_MEMBER) return false;
    const bool colA = IsColumn(first), colB = IsColumn(second);
    if (colA != colB) return false;
    if (!colA) return !first.IsRail() && !second.IsRail();
    // Two different columns whose rails pair point for point.
    return first.PartnerRail != &second && first.PartnerRail->Count() == first.Count() &&
           second.PartnerRail->Count() == second.Count();
}

bool JoinCurves(TSLCurve& firstCurve, bool firstAtEnd, const TSLCurve& secondCurve, bool secondAtEnd,
                const TStitchContext& ctx) {
    TSLCurve& first = ColumnHead(firstCurve);
    const TSLCurve& second = ColumnHead(const_cast<TSLCurve&>(secondCurve));
    if (!CanJoinCurves(first, second)) return false;
    // The end of the first must meet the start of the second.
    if (!firstAtEnd) first.ReverseStitching(ctx);
    const TSLCurve* secondB = IsColumn(second) ? second.PartnerRail : nullptr;
    const int32_t m = second.Count();
    auto appendFrom = [&](TSLCurve& to, const TSLCurve& from) {
        for (int32_t k = 1; k < m; ++k) {
            const TSP& p = from[secondAtEnd ? m - 1 - k : k];
            TSP copy = TSP::Plain(p.Flags & SP_FORCE, p.X, p.Y);
            to.Append(copy);
        }
    };
    appendFrom(first, second);
    if (TSLCurve* fb = RailB(first); fb && secondB) appendFrom(*fb, *secondB);
    if (first.Outlines) {
        // The last section gives way to the second's, whose positions continue from its own.
        TOutlineList& list = *first.Outlines;
        int32_t pos = list.Count() > 0 ? list[list.Count() - 1]->StartSample : 0;
        if (list.Count() > 0) list.Delete(list.Count() - 1);
        std::unique_ptr<TOutlineList> defaults;
        const TOutlineList* from = second.Outlines.get();
        if (!from || from->Count() != second.AnchorCount()) {
            defaults = TOutlineList::MakeDefault(second.AnchorCount());
            from = defaults.get();
        }
        const int32_t count = from->Count();
        for (int32_t k = 0; k < count; ++k) {
            auto section = std::make_unique<TOutline>(*(*from)[secondAtEnd ? count - 1 - k : k]);
            section->StartSample = pos;
            pos += kSamplesPerSegment;
            list.Add(std::move(section));
        }
        list.SetCurrent(nullptr);
    }
    // A line object stays straight.
    if (first.IsLineObject())
        for (int32_t s = 0; s < first.SegmentCount(); ++s)
            first.StraightenSegment(s);
    Refresh(first, ctx);
    return true;
}

int32_t InsertSegmentAfter(TSLCurve& curve, int32_t node, float x, float y) {
    if (curve.SegmentCount() == 0 || node < 0 || node >= curve.Count() || node % 3 != 0) return -1;
    const int32_t at = node + 1;
    for (int32_t k = 0; k < 3; ++k)
        curve.Insert(at + k, TSP::Plain(0, x, y));
    // Links past the node are one segment further along now; the profile gains the new anchor's
    // section.
    ShiftJumpsAfterInsert(curve, at);
    curve.InsertSection(node / 3);
    return at;
}

bool RemoveSegmentAfter(TSLCurve& curve, int32_t node) {
    if (node < 0 || node % 3 != 0 || node + 3 >= curve.Count()) return false;
    for (int32_t k = 0; k < 3; ++k)
        curve.Delete(node + 1);
    const int32_t threshold = node / 3 * kSamplesPerSegment;
    auto back = [&](int32_t& index) {
        if (index > threshold) index = std::max(threshold, index - kSamplesPerSegment);
    };
    if (curve.Jumps)
        for (const auto& j : *curve.Jumps) {
            back(j->OwnIndex);
            if (j->Reverse) j->Reverse->PartnerIndex = j->OwnIndex;
        }
    back(curve.EntryIndex);
    back(curve.ExitIndex);
    if (curve.Outlines && node / 3 + 1 < curve.Outlines->Count()) {
        TOutlineList& list = *curve.Outlines;
        list.Delete(node / 3 + 1);
        for (int32_t i = node / 3 + 1; i < list.Count(); ++i)
            list[i]->StartSample -= kSamplesPerSegment;
        list.SetCurrent(nullptr);
    }
    return true;
}

} // namespace nl
