#include "worksheet/Sew.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

#include "regions/Hole.h"
#include "regions/JumpNodes.h"
#include "regions/Pattern.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"
#include "worksheet/HoleSeams.h"

namespace nl {

// ---- TGroupList ----

bool TGroupList::Contains(int32_t id) const {
    return std::any_of(groups_.begin(), groups_.end(), [&](const TGroup& g) { return g.Id == id; });
}

int32_t TGroupList::NewGroup() {
    int32_t id;
    size_t at = groups_.size();
    if (groups_.empty()) {
        id = 1;
    } else {
        id = groups_.back().Id + 1;
        for (size_t i = 1; i < groups_.size(); ++i) {
            if (groups_[i].Id - groups_[i - 1].Id > 1) {
                id = groups_[i].Id - 1;
                at = i;
                break;
            }
        }
    }
    groups_.insert(groups_.begin() + static_cast<std::ptrdiff_t>(at), TGroup{id, 0});
    return id;
}

void TGroupList::Add(int32_t id) {
    if (id <= 0 || Contains(id)) return;
    auto it = std::lower_bound(groups_.begin(), groups_.end(), id,
                               [](const TGroup& g, int32_t v) { return g.Id < v; });
    groups_.insert(it, TGroup{id, 0});
}

void TGroupList::Remove(int32_t id) {
    std::erase_if(groups_, [&](const TGroup& g) { return g.Id == id; });
}

int32_t TGroupList::Map(int32_t clipboardId, TGroupList& target) {
    if (clipboardId <= 0) return 0;
    for (TGroup& g : groups_)
        if (g.Id == clipboardId) return g.MappedId;
    int32_t fresh = target.NewGroup();
    groups_.push_back(TGroup{clipboardId, fresh});
    return fresh;
}

namespace {
template <class IO, class L> void GroupFields(IO& io, L& ids) {
    io.Items(ids, 4, "group count", [&](auto& id) { io.Field(id); });
}
} // namespace

void TGroupList::Record(TRecordWriter& io) const {
    std::vector<int32_t> ids;
    ids.reserve(groups_.size());
    for (const TGroup& g : groups_)
        ids.push_back(g.Id);
    GroupFields(io, ids);
}

void TGroupList::Record(TRecordReader& io) {
    std::vector<int32_t> ids;
    GroupFields(io, ids);
    // Ids of 0 or less mean "no group" and are never in the list.
    groups_.clear();
    for (int32_t id : ids)
        Add(id);
}

// ---- TSew ----

TSew::TSew() {
    Reset();
}

void TSew::Reset() {
    Clear();
    Support.Reset();
    Groups.Clear();
    Holes.clear();
    Overlays.clear();
    OrderTemporaries.clear();
    History.Clear();
    FileName = "Untitled";
    SelectionKind = 0;
    StreamOriginX = StreamOriginY = 0;
    SelectionBounds = TKvRect{};
    SelectionBounds.empty = true;
    Modified = false;
}

void TSew::ClearSelection(uint32_t mask) {
    for (auto& o : items_)
        o->ClearFlags(mask);
}

int32_t TSew::SelectedGroup() {
    int32_t result = -1;
    for (auto& o : items_) {
        if (!(o->Flags & OF_SELECTED_LAYOUT)) continue;
        current_ = o.get();
        if (result <= 0) result = o->GroupId > 0 ? o->GroupId : 0;
    }
    return result;
}

void TSew::SelectGroup(int32_t id, uint32_t mask) {
    for (auto& o : items_)
        if (o->GroupId == id) o->SetFlags(mask);
}

void TSew::CloseSelection() {
    auto selected = [](const TSLStitch* o) { return (o->Flags & OF_SELECTED_LAYOUT) != 0; };
    bool changed = true;
    while (changed) {
        changed = false;
        auto select = [&](TSLStitch* o) {
            if (o && !selected(o)) {
                // Inside an edit what the closing adds is recorded before it changes: undo gives
                // back whatever the edit then does to it.
                History.Touch(*this, o);
                o->SetFlags(OF_SELECTED_LAYOUT);
                changed = true;
            }
        };
        for (auto& o : items_) {
            auto used = o->UsedOutlines();
            if (!used.empty()) {
                if (!selected(o.get()) && std::all_of(used.begin(), used.end(), selected)) select(o.get());
                if (selected(o.get()))
                    for (TSLStitch* u : used) {
                        select(u);
                        for (TSLStitch* c : u->JumpChain())
                            select(c);
                    }
            }
            if (selected(o.get())) {
                for (TSLStitch* c : o->JumpChain())
                    select(c);
                // A curved column is one object to the user: both rails go together.
                if (o->Flags & (OF_RAIL_A | OF_RAIL_B)) select(o->Partner());
            }
        }
    }
    SelectionBounds = TKvRect{};
    SelectionBounds.empty = true;
    for (auto& o : items_)
        if (selected(o.get())) SelectionBounds.UnionWith(o->GetPathBounds());
}

int32_t TSew::ComposeGroup() {
    CloseSelection();
    std::vector<TSLStitch*> sel;
    for (auto& o : items_)
        if (o->Flags & OF_SELECTED_LAYOUT) sel.push_back(o.get());
    if (sel.empty()) return 0;
    int32_t mark = 0;
    for (TSLStitch* o : sel)
        o->Mark = mark++;

    // Objects that carry a stitching position keep their relative order: old groups one after
    // another in ascending id, each in its own order, numbered consecutively.
    std::vector<TSLStitch*> ordered;
    for (TSLStitch* o : sel)
        if (o->OrderIndex >= 0 && o->OrderIndex <= 9999999) ordered.push_back(o);
    std::stable_sort(ordered.begin(), ordered.end(), [](const TSLStitch* a, const TSLStitch* b) {
        return std::tie(a->GroupId, a->OrderIndex) < std::tie(b->GroupId, b->OrderIndex);
    });
    for (size_t i = 0; i < ordered.size(); ++i)
        ordered[i]->OrderIndex = static_cast<int32_t>(i);

    int32_t id = Groups.NewGroup();
    for (TSLStitch* o : sel)
        o->GroupId = id;
    PruneGroups();
    Modified = true;
    return id;
}

void TSew::DecomposeGroup() {
    for (auto& o : items_)
        if (o->Flags & OF_SELECTED_LAYOUT) o->GroupId = 0;
    PruneGroups();
    Modified = true;
}

void TSew::PruneGroups() {
    std::set<int32_t> carried;
    for (auto& o : items_)
        if (o->GroupId > 0) carried.insert(o->GroupId);
    std::vector<int32_t> drop;
    for (int32_t i = 0; i < Groups.Count(); ++i)
        if (!carried.count(Groups[i].Id)) drop.push_back(Groups[i].Id);
    for (int32_t id : drop)
        Groups.Remove(id);
    for (int32_t id : carried)
        Groups.Add(id);
}

void TSew::RenumberIds() {
    for (int32_t i = 0; i < Count(); ++i)
        (*this)[i]->Mark = i;
}

uint8_t TSew::ComputeSelectionKind() {
    bool grouped = false, ungrouped = false;
    for (auto& o : items_) {
        if (!(o->Flags & OF_SELECTED_LAYOUT)) continue;
        (o->GroupId > 0 ? grouped : ungrouped) = true;
    }
    SelectionKind = static_cast<uint8_t>((ungrouped ? 1 : 0) | (grouped ? 2 : 0));
    return SelectionKind;
}

std::vector<TSLStitch*> TSew::BuildStitchOrder(int32_t key) {
    for (auto& o : items_)
        o->Mark = 0;
    OrderTemporaries.clear();
    std::vector<TSLStitch*> taken;
    auto take = [&](TSLStitch* o) {
        if (o->Mark) return;
        o->Mark = 1;
        taken.push_back(o);
    };
    for (auto& up : items_) {
        TSLStitch* o = up.get();
        if (o->GroupId != key || o->Mark != 0) continue;
        if (o->Flags & OF_PATTERN_MEMBER) continue; // belongs to a stitch pattern creator
        if (o->Flags & OF_RAIL_A) {
            take(o);
        } else if (o->Flags & OF_RAIL_B) {
            // sewn with its rail A
        } else if (o->Kind() == KIND_CURVE) {
            if (o->OrderIndex >= 0 && ((o->Flags & OF_RUNNING) || o->HasOutlineStitching())) {
                // A jump chain is sewn from its first outline, and taken once.
                auto chain = o->JumpChain();
                take(chain.empty() ? o : chain.front());
                for (TSLStitch* c : chain)
                    c->Mark = 1;
            } else if (o->Mark == 0) {
                o->OrderIndex = ORDER_NONE;
            }
        } else if (o->StitchType() != ST_NONE) {
            take(o);
        }
    }
    auto key_of = [](const TSLStitch* o) -> int64_t {
        return (o->OrderIndex < 0 || o->OrderIndex == ORDER_UNPLACED) ? INT64_MAX : o->OrderIndex;
    };
    std::stable_sort(taken.begin(), taken.end(),
                     [&](const TSLStitch* a, const TSLStitch* b) { return key_of(a) < key_of(b); });
    for (size_t i = 0; i < taken.size(); ++i)
        taken[i]->OrderIndex = static_cast<int32_t>(i);
    return taken;
}

std::vector<TSLStitch*> TSew::BuildWorksheetOrder() {
    std::vector<int32_t> keys;
    for (int32_t i = 0; i < Groups.Count(); ++i)
        keys.push_back(Groups[i].Id);
    keys.push_back(0);
    std::vector<TSLStitch*> all;
    for (int32_t key : keys) {
        std::vector<TSLStitch*> part = BuildStitchOrder(key);
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

namespace {
// The block of list indices an object occupies: itself, or both rails of a column.
std::pair<int32_t, int32_t> BlockOf(const TSew& sew, TSLStitch* o) {
    int32_t i = sew.IndexOf(o);
    if (i < 0) return {-1, -1};
    if ((o->Flags & OF_RAIL_A) && sew.Item(i + 1) && sew.Item(i + 1) == o->Partner()) return {i, i + 1};
    if ((o->Flags & OF_RAIL_B) && i > 0 && sew.Item(i - 1) == o->Partner()) return {i - 1, i};
    return {i, i};
}
} // namespace

void TSew::BringToTop(TSLStitch* object) {
    auto [a, b] = BlockOf(*this, object);
    if (a < 0) return;
    for (int32_t k = a; k <= b; ++k)
        Move(a, Count() - 1);
    Modified = true;
}

void TSew::SendToBottom(TSLStitch* object) {
    auto [a, b] = BlockOf(*this, object);
    if (a < 0) return;
    for (int32_t k = 0; k <= b - a; ++k)
        Move(b, 0);
    Modified = true;
}

void TSew::SyncShapeLists() {
    const std::vector<TSLStitch*> objects = SheetObjects(*this);
    SyncHoleList(Holes, objects);
    SyncOverlayList(Overlays, objects);
}

void TSew::DeleteObject(TSLStitch* object) {
    auto [a, b] = BlockOf(*this, object);
    if (a < 0) return;
    for (int32_t k = b; k >= a; --k) {
        // Outlines joined to this one let go of it (both ends of every link) and regenerate.
        if (TSLStitch* o = (*this)[k]; o->Kind() == KIND_CURVE)
            UnlinkAll(*static_cast<TSLCurve*>(o), TStitchContext{});
        Delete(k);
    }
    PruneGroups();
    Modified = true;
}

void TSew::Delete(int32_t index) {
    TSLStitch* o = Item(index);
    if (!o) return;
    std::erase(Holes, o);
    std::erase(Overlays, o);
    // A stitch pattern creator lets go of a member that leaves (undo gives it back through
    // ResolveCreatorMembers).
    for (TObjectPatternCreator* c : Support.Creators())
        std::erase(c->Members, o);
    // A memo locked to it lets go (undo locks it again).
    if (Support.HasMemoLockedTo(o)) {
        History.TouchSupport(*this);
        Support.UnlockFrom(o);
    }
    std::unique_ptr<TSLStitch> gone = Extract(index);
    if (History.Recording()) {
        History.Park(std::move(gone));
        return;
    }
    // Steps that refer to it can no longer be undone.
    History.Forget(gone.get());
}

void TSew::Arrange(const std::vector<TSLStitch*>& order, std::vector<std::unique_ptr<TSLStitch>>& spare) {
    std::unordered_map<const TSLStitch*, std::unique_ptr<TSLStitch>> pool;
    pool.reserve(items_.size() + spare.size());
    for (auto& o : items_)
        pool.emplace(o.get(), std::move(o));
    for (auto& o : spare)
        if (o) pool.emplace(o.get(), std::move(o));
    items_.clear();
    spare.clear();
    items_.reserve(order.size());
    for (TSLStitch* o : order) {
        auto it = pool.find(o);
        if (it == pool.end() || !it->second) continue;
        items_.push_back(std::move(it->second));
    }
    for (auto& [p, o] : pool)
        if (o) spare.push_back(std::move(o));
    if (current_ && IndexOf(current_) < 0) current_ = nullptr;
}

void TSew::AfterLoad(const TStitchContext& ctx, int32_t fileVersion, const std::vector<int32_t>& holes,
                     const std::vector<int32_t>& overlays) {
    std::vector<TSLStitch*> objects;
    objects.reserve(items_.size());
    for (auto& o : items_)
        objects.push_back(o.get());
    // Each rail B is linked to the rail A read before it (and the column generated).
    LinkRailsInOrder(objects, ctx);
    // Members of stitch pattern creators name their creator by its place in the support list; memos
    // name the object they are locked to by its place in the object list.
    ResolveCreatorMembers(Support, objects);
    Support.ResolveLocks(objects);
    // Jump links name their partners by list position: resolved (and checked) now, and the chains
    // generated, since their stitches are not stored.
    ResolveJumps(objects);
    TStitchContext single = ctx;
    single.BatchTransform = true; // one outline at a time: every member of a chain is listed
    for (TSLStitch* o : objects)
        if (o->Kind() == KIND_CURVE && static_cast<TSLCurve*>(o)->Jumps) {
            static_cast<TSLCurve*>(o)->RefreshGeometry(ctx);
            Restitch(*o, single);
        }
    // Region nodes name their outlines by list position; they become references only now that the
    // whole list exists (a reference to anything but an outline fails the load).
    // Fills made here are shaped by this worksheet's holes and overlays, so every region is
    // resolved and has its bounds before any of them is filled.
    TStitchContext bound = ctx;
    BindHoleSeams(bound, *this);
    for (TSLStitch* o : objects) {
        if (o->Kind() != KIND_REGION) continue;
        auto* rg = static_cast<TSLRegion*>(o);
        rg->ResolveOutlines(objects);
        // Files from before the current region rules are rebuilt with them.
        if (fileVersion < kVersionRegionRules) rg->RebuildFromOutlines(bound);
        rg->UpdateBounds(bound);
    }
    for (TSLStitch* o : objects) {
        if (o->Kind() != KIND_REGION) continue;
        auto* rg = static_cast<TSLRegion*>(o);
        if (!rg->FillStitches || fileVersion < kVersionRegionRules || rg->DeriveEntryExit)
            Restitch(*rg, bound);
    }
    Holes.clear();
    Overlays.clear();
    auto at = [&](int32_t i) -> TSLStitch* {
        return i >= 0 && static_cast<size_t>(i) < objects.size() ? objects[static_cast<size_t>(i)] : nullptr;
    };
    for (int32_t i : holes)
        if (TSLStitch* o = at(i);
            o && o->Kind() == KIND_REGION && std::find(Holes.begin(), Holes.end(), o) == Holes.end())
            Holes.push_back(o);
    for (int32_t i : overlays)
        if (TSLStitch* o = at(i);
            o && o->Kind() == KIND_CURVE && std::find(Overlays.begin(), Overlays.end(), o) == Overlays.end())
            Overlays.push_back(o);
    // The flag bits decide: the file's lists only confirm them.
    SyncShapeLists();
    // An id an object carries is in the group list, so a new group never takes it; ids without
    // objects stay as the file has them.
    for (auto& o : items_)
        if (o->GroupId > 0) Groups.Add(o->GroupId);
    SetCurrent(nullptr);
    Modified = false;
}

} // namespace nl
