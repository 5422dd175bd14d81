#include "regions/JumpNodes.h"

#include <algorithm>
#include <memory>
#include <set>

#include "core/Errors.h"
#include "core/Limits.h"
#include "core/Numeric.h"
#include "core/Units.h"
#include "stitching/Column.h"
#include "stitching/SLCurve.h"
#include "stitching/SatinOutline.h"

namespace nl {

namespace {

// The visited set of one traversal.
using TSeen = std::set<const TSLCurve*>;

bool Walk(TSLCurve& o, TSeen& seen, const std::function<bool(TSLCurve&)>& action) {
    if (!seen.insert(&o).second) return false;
    if (action(o)) return true;
    if (!o.Jumps) return false;
    // A snapshot of the partners: an action may change lists.
    std::vector<TSLCurve*> next;
    for (const auto& j : *o.Jumps)
        if (j->LinkedOutline) next.push_back(j->LinkedOutline);
    for (TSLCurve* n : next)
        if (Walk(*n, seen, action)) return true;
    return false;
}

// Frees a list left without links; the outline is no chain any more.
void DropIfEmpty(TSLCurve& o) {
    if (o.Jumps && o.Jumps->Count() == 0) {
        o.Jumps.reset();
        o.EntryIndex = -1;
        o.ExitIndex = -1;
    }
}

// Gives an outline that lost links a root when its chain has none.
void EnsureRoot(TSLCurve& o) {
    if (o.Jumps && !ChainRoot(o)) o.EntryIndex = 0;
}

// Removes a record and its Reverse from both lists.
void RemoveBoth(TSLCurve& owner, TJump* j) {
    TSLCurve* partner = j->LinkedOutline;
    TJump* rev = j->Reverse;
    if (partner && partner->Jumps && rev && partner->Jumps->Contains(rev)) partner->Jumps->Remove(rev);
    if (owner.Jumps) owner.Jumps->Remove(j);
}

TPointD SamplePoint(const TSLCurve& c, int32_t s) {
    return c.PointAtSample(Clamp(s, 0, c.LastSample()));
}

// The record in `partner`'s list that is the other end of `j` (owned by `owner`).
TJump* FindReverse(const TSLCurve& owner, const TJump& j) {
    const TSLCurve* partner = j.LinkedOutline;
    if (!partner || !partner->Jumps) return nullptr;
    for (const auto& r : *partner->Jumps)
        if (r->LinkedOutline == &owner && r->OwnIndex == j.PartnerIndex && r->PartnerIndex == j.OwnIndex)
            return r.get();
    return nullptr;
}

} // namespace

bool WalkChain(TSLCurve& start, const std::function<bool(TSLCurve&)>& action) {
    TSeen seen;
    return Walk(start, seen, action);
}

std::vector<TSLCurve*> ChainOf(TSLCurve& start) {
    std::vector<TSLCurve*> out;
    WalkChain(start, [&](TSLCurve& c) {
        out.push_back(&c);
        return false;
    });
    return out;
}

TSLCurve* ChainRoot(TSLCurve& start) {
    TSLCurve* root = nullptr;
    WalkChain(start, [&](TSLCurve& c) {
        if (c.EntryIndex >= 0) root = &c;
        return root != nullptr;
    });
    return root;
}

bool WouldCloseCycle(TSLCurve& a, TSLCurve& b) {
    return WalkChain(a, [&](TSLCurve& c) { return &c == &b; });
}

void PropagateChain(TSLCurve& from) {
    WalkChain(from, [&](TSLCurve& c) {
        c.SetColor(from.Color);
        c.GroupId = from.GroupId;
        c.EntryIndex = -1;
        return false;
    });
    from.EntryIndex = 0;
}

void PropagateChainColour(TSLCurve& from) {
    const int32_t colour = from.Color;
    WalkChain(from, [&](TSLCurve& c) {
        if (&c != &from) c.SetColor(colour);
        return false;
    });
}

void LinkOutlines(TSLCurve& a, TSLCurve& b, int32_t indexA, int32_t indexB) {
    indexA = Clamp(indexA, 0, a.LastSample());
    indexB = Clamp(indexB, 0, b.LastSample());
    if (!a.Jumps) a.Jumps = std::make_unique<TJumpList>();
    if (!b.Jumps) b.Jumps = std::make_unique<TJumpList>();
    TPointD pa = SamplePoint(a, indexA), pb = SamplePoint(b, indexB);
    TJump* ja = a.Jumps->InsertSorted(std::make_unique<TJump>(&b, indexA, indexB, static_cast<float>(pa.X),
                                                              static_cast<float>(pa.Y), b.Mark));
    TJump* jb = b.Jumps->InsertSorted(std::make_unique<TJump>(&a, indexB, indexA, static_cast<float>(pb.X),
                                                              static_cast<float>(pb.Y), a.Mark));
    ja->Reverse = jb;
    jb->Reverse = ja;
    if (a.EntryIndex < 0 && !ChainRoot(a)) a.EntryIndex = 0;
}

bool UnlinkOutlines(TSLCurve& a, int32_t index, TSLCurve& b) {
    if (!a.Jumps) return false;
    TJump* found = nullptr;
    for (const auto& j : *a.Jumps)
        if (j->OwnIndex == index && j->LinkedOutline == &b) {
            found = j.get();
            break;
        }
    if (!found) return false;
    RemoveBoth(a, found);
    DropIfEmpty(a);
    DropIfEmpty(b);
    if (a.Jumps) PropagateChain(a);
    EnsureRoot(b);
    return true;
}

void UnlinkAll(TSLCurve& outline, const TStitchContext& ctx) {
    if (!outline.Jumps) return;
    std::vector<TSLCurve*> partners;
    while (outline.Jumps && outline.Jumps->Count() > 0) {
        TJump* j = (*outline.Jumps)[0];
        if (j->LinkedOutline &&
            std::find(partners.begin(), partners.end(), j->LinkedOutline) == partners.end())
            partners.push_back(j->LinkedOutline);
        RemoveBoth(outline, j);
    }
    outline.Jumps.reset();
    outline.EntryIndex = -1;
    outline.ExitIndex = -1;
    // A partner may still point at this outline through a one-sided record: those go too.
    for (TSLCurve* p : partners) {
        if (p->Jumps) {
            for (int32_t i = p->Jumps->Count(); i-- > 0;)
                if ((*p->Jumps)[i]->LinkedOutline == &outline) p->Jumps->Delete(i);
        }
        DropIfEmpty(*p);
        EnsureRoot(*p);
    }
    for (TSLCurve* p : partners)
        p->Regenerate(ctx);
    outline.Regenerate(ctx);
}

void RecomputeJumpPoints(TSLCurve& outline) {
    if (!outline.Jumps) return;
    // Links not resolved yet (a record just read) are left as read: they are checked and
    // recomputed once the whole worksheet is there.
    const int32_t last = outline.LastSample();
    bool dropped = false;
    for (int32_t i = outline.Jumps->Count(); i-- > 0;) {
        TJump* j = (*outline.Jumps)[i];
        TSLCurve* partner = j->LinkedOutline;
        if (!partner) continue;
        if (j->OwnIndex > last || j->OwnIndex < 0 || j->PartnerIndex > partner->LastSample()) {
            RemoveBoth(outline, j);
            dropped = true;
            DropIfEmpty(*partner);
            EnsureRoot(*partner);
        }
    }
    if (dropped && outline.Jumps->Count() == 0) {
        DropIfEmpty(outline);
        return;
    }
    for (const auto& j : *outline.Jumps) {
        if (!j->LinkedOutline) continue;
        TPointD p = SamplePoint(outline, j->OwnIndex);
        j->X = static_cast<float>(p.X);
        j->Y = static_cast<float>(p.Y);
        TPointD q = SamplePoint(*j->LinkedOutline, j->PartnerIndex);
        outline.Bounds.IncludePoint(static_cast<float>(q.X), static_cast<float>(q.Y));
        j->Reverse = FindReverse(outline, *j);
        if (j->Reverse) j->Reverse->Reverse = j.get();
    }
    if (dropped) EnsureRoot(outline);
}

void ShiftJumpsAfterInsert(TSLCurve& outline, int32_t k) {
    if (!outline.Jumps) return;
    const int32_t threshold = (k - 1) / 3 * kSamplesPerSegment;
    for (const auto& j : *outline.Jumps) {
        if (j->OwnIndex <= threshold) continue;
        j->OwnIndex += kSamplesPerSegment;
        if (j->Reverse) j->Reverse->PartnerIndex = j->OwnIndex;
    }
    if (outline.EntryIndex > threshold) outline.EntryIndex += kSamplesPerSegment;
    if (outline.ExitIndex > threshold) outline.ExitIndex += kSamplesPerSegment;
}

void ReverseJumpIndices(TSLCurve& outline) {
    const int32_t last = outline.LastSample();
    if (outline.ExitIndex >= 0) outline.ExitIndex = std::max(0, last - outline.ExitIndex);
    if (outline.EntryIndex > 0) outline.EntryIndex = std::max(0, last - outline.EntryIndex);
    if (!outline.Jumps) return;
    std::vector<std::unique_ptr<TJump>> links;
    while (outline.Jumps->Count() > 0)
        links.push_back(outline.Jumps->Extract(outline.Jumps->Count() - 1));
    for (auto& j : links) {
        j->OwnIndex = std::max(0, last - j->OwnIndex);
        if (j->Reverse) j->Reverse->PartnerIndex = j->OwnIndex;
        outline.Jumps->InsertSorted(std::move(j), true);
    }
    outline.Jumps->SetCurrent(nullptr);
}

namespace {
// Pairs each link record with the record of the same link on its partner (each record is the
// other end of one link only); one-sided records go, as both ends exist or neither, and a list
// that had links and lost them all goes with its entry point.
void PairLinks(const std::vector<TSLCurve*>& owners, const std::set<const TSLCurve*>& hadLinks) {
    for (TSLCurve* c : owners)
        for (const auto& j : *c->Jumps)
            if (!j->Reverse)
                if (TJump* r = FindReverse(*c, *j); r && !r->Reverse) {
                    j->Reverse = r;
                    r->Reverse = j.get();
                }
    for (TSLCurve* c : owners) {
        for (int32_t i = c->Jumps->Count(); i-- > 0;)
            if (!(*c->Jumps)[i]->Reverse) c->Jumps->Delete(i);
        c->Jumps->SetCurrent(nullptr);
        if (c->Jumps->Count() == 0 && hadLinks.count(c)) {
            c->Jumps.reset();
            c->EntryIndex = -1;
        }
    }
}
} // namespace

void ResolveJumps(const std::vector<TSLStitch*>& objects) {
    auto curveAt = [&](int32_t id) -> TSLCurve* {
        if (id < 0 || static_cast<size_t>(id) >= objects.size()) return nullptr;
        TSLStitch* o = objects[static_cast<size_t>(id)];
        return o && o->Kind() == KIND_CURVE ? static_cast<TSLCurve*>(o) : nullptr;
    };
    // Partners first, on every list, so that Reverse can be looked for in resolved lists.
    std::vector<TSLCurve*> owners;
    std::set<const TSLCurve*> hadLinks; // an empty list as read stays ("Clear Jump" works on it)
    for (TSLStitch* o : objects) {
        if (!o || o->Kind() != KIND_CURVE) continue;
        auto* c = static_cast<TSLCurve*>(o);
        if (!c->Jumps) continue;
        owners.push_back(c);
        if (c->Jumps->Count() > 0) hadLinks.insert(c);
        for (int32_t i = c->Jumps->Count(); i-- > 0;) {
            TJump* j = (*c->Jumps)[i];
            TSLCurve* p = curveAt(j->PartnerId);
            // A rail is one side of a column, never an outline of a chain.
            const bool ok = p && p != c && !p->IsRail() && j->OwnIndex >= 0 &&
                            j->OwnIndex <= c->LastSample() && j->PartnerIndex >= 0 &&
                            j->PartnerIndex <= p->LastSample();
            if (ok) {
                j->LinkedOutline = p;
                j->Reverse = nullptr;
            } else {
                c->Jumps->Delete(i);
            }
        }
    }
    PairLinks(owners, hadLinks);
    for (TSLCurve* c : owners)
        if (c->Jumps) {
            if (c->EntryIndex > c->LastSample()) c->EntryIndex = 0;
            EnsureRoot(*c);
        }
}

void RelinkJumps(const std::vector<TSLStitch*>& objects, const TStitchContext& ctx) {
    std::set<const TSLStitch*> present(objects.begin(), objects.end());
    std::vector<TSLCurve*> owners;
    for (TSLStitch* o : objects)
        if (o && o->Kind() == KIND_CURVE && static_cast<TSLCurve*>(o)->Jumps)
            owners.push_back(static_cast<TSLCurve*>(o));
    std::set<const TSLCurve*> hadLinks;
    for (TSLCurve* c : owners) {
        if (c->Jumps->Count() > 0) hadLinks.insert(c);
        for (int32_t i = c->Jumps->Count(); i-- > 0;) {
            TJump* j = (*c->Jumps)[i];
            if (!j->LinkedOutline || !present.count(j->LinkedOutline))
                c->Jumps->Delete(i);
            else
                j->Reverse = nullptr;
        }
    }
    PairLinks(owners, hadLinks);
    TStitchContext single = ctx;
    single.BatchTransform = true;
    for (TSLCurve* c : owners)
        if (c->Jumps) {
            EnsureRoot(*c);
            c->Generated.reset();
            Restitch(*c, single);
        }
}

void ShiftPartnerIds(TJumpList& list, int32_t offset) {
    for (const auto& j : list)
        j->PartnerId += offset;
}

void SetChainStart(TSLCurve& outline, int32_t index) {
    index = Clamp(index, 0, outline.LastSample());
    bool haveRoot = false;
    WalkChain(outline, [&](TSLCurve& c) {
        c.ExitIndex = -1;
        haveRoot = haveRoot || c.EntryIndex >= 0;
        return false;
    });
    outline.ExitIndex = index;
    if (!haveRoot) outline.EntryIndex = index;
}

void ClearJumps(TSLCurve& outline, const TStitchContext& ctx) {
    if (!outline.Jumps) return;
    if (outline.Jumps->Count() > 0) {
        UnlinkAll(outline, ctx);
        return;
    }
    outline.Jumps.reset();
    outline.EntryIndex = -1;
    outline.Regenerate(ctx);
}

void RegenerateChain(TSLCurve& outline, const TStitchContext& ctx) {
    // Restitching one outline of a chain generates every outline of it, each once.
    outline.Generated.reset();
    Restitch(outline, ctx);
}

double SegmentPercent(double distance, double segmentLength) {
    if (!(segmentLength > 0) || !std::isfinite(segmentLength) || !std::isfinite(distance)) return 0.0;
    return 100.0 * distance / segmentLength;
}

// ---- the generator ----

namespace {

int32_t SampleOfVisit(const TWalkVisit& v) {
    return RoundI((static_cast<double>(v.Segment) + static_cast<double>(v.T)) / kSampleStepD);
}

TSP JumpPoint(uint32_t flags, const TPointD& at, int32_t colour, TJump* jump) {
    TSP p = TSP::Colour(flags, static_cast<float>(at.X), static_cast<float>(at.Y), colour);
    p.Ext = jump;
    return p;
}

// Where pass 2 of a non-root outline lands: the link from the root's side that reaches it.
struct TLanding {
    int32_t Sample = -1;
    std::unique_ptr<TJump> Carried;
};

bool FindLanding(TSLCurve& from, const TSLCurve& target, TSeen& seen, TLanding& out) {
    if (!seen.insert(&from).second || !from.Jumps) return false;
    for (const auto& j : *from.Jumps)
        if (j->LinkedOutline == &target) {
            out.Sample = j->PartnerIndex;
            // A link whose other end is missing has no record to carry: no landing.
            if (j->Reverse)
                out.Carried = std::make_unique<TJump>(*j->Reverse);
            else
                out.Sample = -1;
            return true;
        }
    for (const auto& j : *from.Jumps)
        if (j->LinkedOutline && FindLanding(*j->LinkedOutline, target, seen, out)) return true;
    return false;
}

// Index of every point of `before` in `after`, which holds the same points in order with others
// (split points) between them.
std::vector<int32_t> MatchIndices(const std::vector<TSP>& before, const TSLStitch& after) {
    std::vector<int32_t> at(before.size(), -1);
    int32_t j = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        while (j < after.Count()) {
            const TSP& q = after[j];
            ++j;
            if (q.X == before[i].X && q.Y == before[i].Y &&
                (q.Flags & ~SP_EXTRA) == (before[i].Flags & ~SP_EXTRA)) {
                at[i] = j - 1;
                break;
            }
        }
    }
    return at;
}

} // namespace

void GenerateLinkedOutline(TSLCurve& curve, const TStitchContext& ctx) {
    TJumpList& links = *curve.Jumps;
    const bool satin = curve.Outlines != nullptr;
    const uint32_t base = satin ? SP_UNDER : SP_BOUNDARY;
    const int32_t colour = curve.Color;
    auto list = std::make_unique<TSLStitch>();
    list->Reserve(10000);
    list->Flags = curve.Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT);
    list->StitchLimits = curve.StitchLimits;
    const int32_t last = curve.LastSample();
    const int32_t step = Clamp(curve.RunLength, RUN_LENGTH_MIN, RUN_LENGTH_MAX);

    // Pass 1, forwards: the entry point, the link points and the walk.
    int32_t entry = curve.EntryIndex >= 0 ? std::min(curve.EntryIndex, last) : -1;
    int32_t stitchIndex = 0;
    int32_t k = 0;
    // The path is walked once; pass 2 goes over the same visits.
    struct TVisit {
        float X, Y;
        int32_t C;
    };
    std::vector<TVisit> visits;
    curve.Walk(step, [&](const TWalkVisit& v) { visits.push_back({v.X, v.Y, SampleOfVisit(v)}); });
    for (const TVisit& v : visits) {
        const int32_t c = v.C;
        if (entry >= 0 && c >= entry) {
            TPointD e = SamplePoint(curve, entry);
            stitchIndex = list->Count();
            list->Append(TSP::Plain(base, static_cast<float>(e.X), static_cast<float>(e.Y)));
            entry = -1;
        }
        while (k < links.Count() && links[k]->OwnIndex <= c) {
            TJump* j = links[k];
            j->PointIndex = list->Count();
            list->Append(JumpPoint(base | SP_JUMP_LINK, SamplePoint(curve, j->OwnIndex), colour, j));
            ++k;
        }
        list->Append(TSP::Plain(base, v.X, v.Y));
        if (list->Count() > kMaxRunPoints) throw TGenerationError("outline has too many stitches");
    }
    if (!list->Empty()) list->Last()->Flags |= SP_PASS_END;

    // The root, and the targets of pass 2.
    TSLCurve* root = ChainRoot(curve);
    if (!root) {
        root = &curve;
        curve.EntryIndex = 0;
    }
    int32_t entry2 = -1;
    TLanding landing;
    if (root == &curve) {
        entry2 = Clamp(curve.EntryIndex, 0, last);
    } else {
        TSeen seen;
        FindLanding(*root, curve, seen, landing);
        if (landing.Sample > last) landing.Sample = -1;
    }

    // Pass 2, back: every point inserted at the end of pass 1, so it reads in reverse walk order.
    std::vector<TSP> back;
    if (!satin) {
        back.reserve(visits.size() + 2);
        for (const TVisit& v : visits) {
            const int32_t c = v.C;
            if (entry2 >= 0 && c >= entry2) {
                back.push_back(JumpPoint(SP_BOUNDARY | SP_JUMP | SP_JUMP_SHARED | SP_FLAT,
                                         SamplePoint(curve, entry2), colour, nullptr));
                entry2 = -1;
            }
            if (landing.Sample >= 0 && c >= landing.Sample) {
                back.push_back(JumpPoint(SP_BOUNDARY | SP_JUMP | SP_FLAT, SamplePoint(curve, landing.Sample),
                                         colour, landing.Carried.release()));
                landing.Sample = -1;
            }
            back.push_back(TSP::Plain(SP_BOUNDARY | SP_FLAT, v.X, v.Y));
            if (static_cast<int64_t>(back.size()) > kMaxRunPoints)
                throw TGenerationError("outline has too many stitches");
        }
        list->Reserve(list->Count() + static_cast<int32_t>(back.size()));
        for (auto it = back.rbegin(); it != back.rend(); ++it)
            list->Append(*it);
    } else {
        // The satin runs back over the forward run: its first point at the entry (or landing)
        // visit becomes the jump point.
        TSLStitch column;
        GenerateSatinOutline(curve, column, ctx, [&](TSP& p, int32_t c) {
            if (entry2 >= 0 && c >= entry2) {
                p = JumpPoint(SP_BOUNDARY | SP_JUMP | SP_JUMP_SHARED, {p.X, p.Y}, colour, nullptr);
                entry2 = -1;
            } else if (landing.Sample >= 0 && c >= landing.Sample) {
                p = JumpPoint(SP_BOUNDARY | SP_JUMP, {p.X, p.Y}, colour, landing.Carried.release());
                landing.Sample = -1;
            }
        });
        // A target past the last visit the satin makes (the path's very end) gets its own point
        // there.
        if (entry2 >= 0)
            column.Append(JumpPoint(SP_BOUNDARY | SP_JUMP | SP_JUMP_SHARED, SamplePoint(curve, entry2),
                                    colour, nullptr));
        else if (landing.Sample >= 0)
            column.Append(JumpPoint(SP_BOUNDARY | SP_JUMP, SamplePoint(curve, landing.Sample), colour,
                                    landing.Carried.release()));
        list->MoveAppend(column, true);
    }

    // The common tail; it may add split points, so the indices that refer into the list are
    // found again afterwards.
    // (Every point here is a boundary or under point, which the short-stitch pass keeps; only
    // splitting and overlay crossings add points, which match none of them.)
    std::vector<TSP> before = list->Raw();
    list->RemoveShortStitches(curve.MinStitch());
    list->SplitLongStitches(curve.MinStitch(), curve.MaxStitch());
    PierceCurveOverlays(curve, *list, ctx);
    std::vector<int32_t> at;
    if (list->Count() != static_cast<int32_t>(before.size())) at = MatchIndices(before, *list);
    auto remap = [&](int32_t i) {
        if (at.empty()) return i >= 0 && i < list->Count() ? i : 0;
        return (i >= 0 && static_cast<size_t>(i) < at.size() && at[static_cast<size_t>(i)] >= 0)
                   ? at[static_cast<size_t>(i)]
                   : 0;
    };
    stitchIndex = remap(stitchIndex);
    for (const auto& j : links)
        j->PointIndex = remap(j->PointIndex);
    list->SetCapacity(list->Count());
    if (!list->Empty()) {
        list->MarkColourStart(0);
        list->SetColor(colour);
    }
    list->Flags |= OF_NEEDLE_POINTS;
    list->UpdateBounds(ctx);
    links.StitchIndex = stitchIndex;
    curve.Generated = std::move(list);
}

// ---- the view the export walk has ----

int32_t TCurveJumpLinks::StitchIndex() const {
    return owner_.Jumps ? owner_.Jumps->StitchIndex : 0;
}

bool TCurveJumpLinks::IsEntry() const {
    return owner_.EntryIndex >= 0;
}

std::optional<TJumpTarget> TCurveJumpLinks::LinkAt(const TSP& point) const {
    if (!(point.Flags & SP_EXTRA) || !point.Ext || !owner_.Jumps) return std::nullopt;
    const TJumpList& links = *owner_.Jumps;
    // Only references that are known to be alive are followed: a record of this outline's list,
    // or a copy the point owns that leads to one of this outline's partners.
    const TJump* j = nullptr;
    for (const auto& own : links)
        if (own.get() == point.Ext) j = own.get();
    if (!j && point.OwnsExt()) {
        const auto* carried = dynamic_cast<const TJump*>(point.Ext);
        if (!carried) return std::nullopt;
        for (const auto& own : links)
            if (own->LinkedOutline && own->LinkedOutline == carried->LinkedOutline) j = own.get();
        if (!j) return std::nullopt;
        TJumpTarget t;
        t.Outline = carried->LinkedOutline;
        // A landing point leads back to where the chain came from.
        if (j->Reverse) t.EntryPoint = j->Reverse->PointIndex;
        return t;
    }
    if (!j || !j->LinkedOutline) return std::nullopt;
    TJumpTarget t;
    t.Outline = j->LinkedOutline;
    const TJumpList* far = j->LinkedOutline->Jumps.get();
    if (j->Reverse && far && far->Contains(j->Reverse)) t.EntryPoint = j->Reverse->PointIndex;
    return t;
}

} // namespace nl
