#include "worksheet/Undo.h"

#include <algorithm>
#include <typeinfo>
#include <unordered_set>
#include <utility>

#include "core/BinaryIO.h"
#include "core/RecordIO.h"
#include "regions/JumpNodes.h"
#include "regions/SLRegion.h"
#include "stitching/SLCurve.h"
#include "worksheet/Sew.h"

namespace nl {

struct TUndoHistory::TStep {
    struct TObject {
        TSLStitch* Live = nullptr;
        std::unique_ptr<TSLStitch> Other; // the state not in the worksheet now
    };
    std::string Name;
    std::vector<TObject> Objects;
    // The drawing order on either side of the step; both empty when the edit kept it.
    std::vector<TSLStitch*> OrderBefore, OrderAfter;
    // Objects out of the worksheet in the present state of the step: those the edit deleted while
    // the step is done, those it created while the step is undone.
    std::vector<std::unique_ptr<TSLStitch>> Parked;
    bool GroupsChanged = false, HolesChanged = false, OverlaysChanged = false, SupportChanged = false;
    std::vector<int32_t> Groups;             // the other state's group ids
    std::vector<TSLStitch*> Holes, Overlays; // the other state's lists
    bool SupportTouched = false;
    std::vector<uint8_t> Support;         // the other state's support list record
    std::vector<TSLStitch*> SupportLocks; // and the objects its memos are locked to, item by item
    TSLStitch* CurrentBefore = nullptr;
    TSLStitch* CurrentAfter = nullptr;
    bool ModifiedBefore = false;
    size_t Bytes = 0;
    std::unordered_set<const TSLStitch*> Touched; // while recording

    bool Mentions(const TSLStitch* o) const {
        auto has = [o](const std::vector<TSLStitch*>& v) {
            return std::find(v.begin(), v.end(), o) != v.end();
        };
        for (const TObject& t : Objects)
            if (t.Live == o) return true;
        return has(OrderBefore) || has(OrderAfter) || has(Holes) || has(Overlays) || has(SupportLocks);
    }
};

namespace {

// An object's memory, roughly: its points, its generated stitches and its flattened path.
size_t ObjectBytes(const TSLStitch& o) {
    size_t n = sizeof(TSLStitch) + static_cast<size_t>(o.Count()) * sizeof(TSP);
    const TSLStitch* s = o.Stitches();
    if (s && s != &o) n += static_cast<size_t>(s->Count()) * sizeof(TSP);
    if (auto* c = dynamic_cast<const TSLCurve*>(&o)) n += (c->PathX.size() + c->PathY.size()) * sizeof(float);
    return n;
}

// Exchanges everything two objects of one class hold except their identity (the partner rail
// stays: it names the other live rail, which never changes through an edit's undo).
void SwapContents(TSLStitch& a, TSLStitch& b) {
    const std::type_info& t = typeid(a);
    if (t != typeid(b)) return;
    if (t == typeid(TSLStitch) || t == typeid(TSLCurve) || t == typeid(TSLRegion)) {
        std::swap(static_cast<TPointList&>(a), static_cast<TPointList&>(b));
        std::swap(static_cast<TStitchFields&>(a), static_cast<TStitchFields&>(b));
        if (t == typeid(TSLCurve))
            std::swap(static_cast<TCurveFields&>(static_cast<TSLCurve&>(a)),
                      static_cast<TCurveFields&>(static_cast<TSLCurve&>(b)));
        if (t == typeid(TSLRegion))
            std::swap(static_cast<TRegionFields&>(static_cast<TSLRegion&>(a)),
                      static_cast<TRegionFields&>(static_cast<TSLRegion&>(b)));
        return;
    }
    // Any other class: by copies.
    std::unique_ptr<TSLStitch> tmp = a.Clone();
    a.Assign(b);
    b.Assign(*tmp);
}

int32_t OutlineIdentity(const TSLCurve* c) {
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(c) >> 3);
}

// The object's worksheet record, with region nodes naming their outlines by identity.
std::vector<uint8_t> RecordOf(const TSLStitch& o) {
    TByteWriter w;
    TRecordContext ctx;
    ctx.OutlineMarkOf = OutlineIdentity;
    WriteObjectRecord(w, o, ctx);
    return w.Data();
}

// A touched object's copy is unchanged from the live object. The copy of a rail holds no partner
// (the live rail keeps its own through every swap), so its record would always differ in that one
// field and a column's edit that changed nothing would still be kept as a step: compare as if the
// copy had the live rail's partner.
bool SameRecord(const TSLStitch& live, TSLStitch& copy) {
    const auto* liveCurve = dynamic_cast<const TSLCurve*>(&live);
    auto* copyCurve = dynamic_cast<TSLCurve*>(&copy);
    if (!liveCurve || !copyCurve) return RecordOf(live) == RecordOf(copy);
    TSLCurve* const own = copyCurve->PartnerRail;
    copyCurve->PartnerRail = liveCurve->PartnerRail;
    const bool same = RecordOf(live) == RecordOf(copy);
    copyCurve->PartnerRail = own;
    return same;
}

std::vector<uint8_t> SupportRecord(const TSupportBaseList& list) {
    TByteWriter w;
    TRecordContext ctx;
    TRecordWriter io(w, ctx, TRecordForm::Worksheet);
    list.Record(io);
    return w.Data();
}

void ReadSupport(TSupportBaseList& list, const std::vector<uint8_t>& bytes,
                 const std::vector<TSLStitch*>& locks) {
    TByteReader r(bytes);
    TRecordContext ctx;
    TRecordReader io(r, ctx, TRecordForm::Worksheet);
    TSupportBaseList fresh;
    fresh.Record(io);
    // A memo's lock is the object itself, which the record cannot hold.
    fresh.SetLocks(locks);
    // The font design backdrop is the font editor's and never in a record: it stays as it is.
    for (int32_t i = list.Count() - 1; i >= 1; --i)
        if (list[i]->Kind == SUPPORT_FONT_BASE) fresh.Add(list.Extract(i));
    list = std::move(fresh);
}

std::vector<int32_t> GroupIds(const TGroupList& g) {
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < g.Count(); ++i)
        ids.push_back(g[i].Id);
    return ids;
}

void SetGroupIds(TGroupList& g, const std::vector<int32_t>& ids) {
    g.Clear();
    for (int32_t id : ids)
        g.Add(id);
}

std::vector<TSLStitch*> OrderOf(const TSew& sew) {
    std::vector<TSLStitch*> v;
    v.reserve(static_cast<size_t>(sew.Count()));
    for (int32_t i = 0; i < sew.Count(); ++i)
        v.push_back(sew[i]);
    return v;
}

} // namespace

// Outlines joined by jumps got their link records back as copies: the two ends of each link
// find each other again and the chains regenerate.
static void RelinkAfterSwap(TSew& sew) {
    RelinkJumps(OrderOf(sew), TStitchContext{});
}

// ---- TUndoHistory ----

TUndoHistory::TUndoHistory() = default;
TUndoHistory::~TUndoHistory() = default;
TUndoHistory::TUndoHistory(TUndoHistory&&) noexcept = default;
TUndoHistory& TUndoHistory::operator=(TUndoHistory&&) noexcept = default;

void TUndoHistory::SetLimit(size_t steps) {
    limit_ = std::max<size_t>(steps, 1);
}

bool TUndoHistory::CanUndo() const {
    return !open_ && done_ > 0;
}
bool TUndoHistory::CanRedo() const {
    return !open_ && done_ < steps_.size();
}
std::string TUndoHistory::UndoName() const {
    return done_ > 0 ? steps_[done_ - 1]->Name : std::string();
}
std::string TUndoHistory::RedoName() const {
    return done_ < steps_.size() ? steps_[done_]->Name : std::string();
}
std::string TUndoHistory::UndoCaption() const {
    return done_ > 0 ? "Undo " + UndoName() : std::string("Undo");
}
std::string TUndoHistory::RedoCaption() const {
    return done_ < steps_.size() ? "Redo " + RedoName() : std::string("Redo");
}
size_t TUndoHistory::UndoCount() const {
    return done_;
}
size_t TUndoHistory::RedoCount() const {
    return steps_.size() - done_;
}
bool TUndoHistory::Recording() const {
    return open_ != nullptr;
}

void TUndoHistory::Clear() {
    steps_.clear();
    done_ = 0;
    saved_ = 0;
}

void TUndoHistory::MarkSaved() {
    saved_ = static_cast<long>(done_);
}

size_t TUndoHistory::Bytes() const {
    size_t n = 0;
    for (const auto& s : steps_)
        n += s->Bytes;
    return n;
}

namespace {
// Puts the worksheet into one side of a step.
void Apply(TSew& sew, TUndoHistory::TStep& s, bool toBefore) {
    for (auto& t : s.Objects)
        SwapContents(*t.Live, *t.Other);
    if (!s.OrderBefore.empty() || !s.OrderAfter.empty())
        sew.Arrange(toBefore ? s.OrderBefore : s.OrderAfter, s.Parked);
    if (s.GroupsChanged) {
        std::vector<int32_t> now = GroupIds(sew.Groups);
        SetGroupIds(sew.Groups, s.Groups);
        s.Groups = std::move(now);
    }
    if (s.HolesChanged) std::swap(sew.Holes, s.Holes);
    if (s.OverlaysChanged) std::swap(sew.Overlays, s.Overlays);
    if (s.SupportChanged) {
        std::vector<uint8_t> now = SupportRecord(sew.Support);
        std::vector<TSLStitch*> nowLocks = sew.Support.Locks();
        ReadSupport(sew.Support, s.Support, s.SupportLocks);
        s.Support = std::move(now);
        s.SupportLocks = std::move(nowLocks);
    }
    TSLStitch* current = toBefore ? s.CurrentBefore : s.CurrentAfter;
    sew.SetCurrent(current && sew.IndexOf(current) >= 0 ? current : nullptr);
}
} // namespace

bool TUndoHistory::Undo(TSew& sew) {
    if (!CanUndo()) return false;
    TStep& s = *steps_[done_ - 1];
    Apply(sew, s, true);
    RelinkAfterSwap(sew);
    --done_;
    sew.Modified = saved_ == static_cast<long>(done_) ? s.ModifiedBefore : true;
    return true;
}

bool TUndoHistory::Redo(TSew& sew) {
    if (!CanRedo()) return false;
    TStep& s = *steps_[done_];
    Apply(sew, s, false);
    RelinkAfterSwap(sew);
    ++done_;
    sew.Modified = saved_ != static_cast<long>(done_);
    return true;
}

void TUndoHistory::Park(std::unique_ptr<TSLStitch> object) {
    if (open_ && object) open_->Parked.push_back(std::move(object));
}

void TUndoHistory::Forget(const TSLStitch* object) {
    for (auto& s : steps_) {
        if (s->CurrentBefore == object) s->CurrentBefore = nullptr;
        if (s->CurrentAfter == object) s->CurrentAfter = nullptr;
    }
    // A redo step that names it cannot be redone, nor anything after it.
    for (size_t i = done_; i < steps_.size(); ++i)
        if (steps_[i]->Mentions(object)) {
            steps_.resize(i);
            if (saved_ > static_cast<long>(i)) saved_ = -1;
            break;
        }
    // A done step that names it cannot be undone, nor anything before it.
    for (size_t i = done_; i-- > 0;)
        if (steps_[i]->Mentions(object)) {
            steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(i + 1));
            done_ -= i + 1;
            saved_ = saved_ >= static_cast<long>(i + 1) ? saved_ - static_cast<long>(i + 1) : -1;
            break;
        }
}

void TUndoHistory::Commit(TSew& sew, std::unique_ptr<TStep> step) {
    TStep& s = *step;
    std::vector<TSLStitch*> after = OrderOf(sew);
    std::unordered_set<const TSLStitch*> before(s.OrderBefore.begin(), s.OrderBefore.end());
    std::unordered_set<const TSLStitch*> now(after.begin(), after.end());

    // Objects made and destroyed within the edit are of no use to either side.
    std::erase_if(s.Parked, [&](const std::unique_ptr<TSLStitch>& o) { return !before.count(o.get()); });
    bool safe = true;
    for (TSLStitch* o : s.OrderBefore)
        if (!now.count(o) &&
            std::none_of(s.Parked.begin(), s.Parked.end(), [o](const auto& p) { return p.get() == o; }))
            safe = false; // destroyed behind the history's back: this step cannot bring it back
    if (!safe) {
        // Nothing older can be undone past a state that can no longer be rebuilt.
        steps_.clear();
        done_ = 0;
        saved_ = -1;
        return;
    }
    if (s.OrderBefore == after) {
        s.OrderBefore.clear();
    } else {
        s.OrderAfter = std::move(after);
    }

    // Touched objects: only those that existed before and changed.
    std::erase_if(s.Objects, [&](TStep::TObject& t) {
        if (!before.count(t.Live)) return true;
        return SameRecord(*t.Live, *t.Other) && ObjectBytes(*t.Live) == ObjectBytes(*t.Other);
    });
    s.GroupsChanged = s.Groups != GroupIds(sew.Groups);
    s.HolesChanged = s.Holes != sew.Holes;
    s.OverlaysChanged = s.Overlays != sew.Overlays;
    s.SupportChanged = s.SupportTouched &&
                       (s.Support != SupportRecord(sew.Support) || s.SupportLocks != sew.Support.Locks());
    if (!s.GroupsChanged) s.Groups.clear();
    if (!s.HolesChanged) s.Holes.clear();
    if (!s.OverlaysChanged) s.Overlays.clear();
    if (!s.SupportChanged) {
        s.Support.clear();
        s.SupportLocks.clear();
    }
    if (s.Objects.empty() && s.OrderBefore.empty() && s.OrderAfter.empty() && !s.GroupsChanged &&
        !s.HolesChanged && !s.OverlaysChanged && !s.SupportChanged)
        return; // nothing changed

    s.CurrentAfter = sew.Current();
    s.Touched.clear();
    s.Bytes = sizeof(TStep) + s.Name.size() +
              (s.OrderBefore.size() + s.OrderAfter.size() + s.Holes.size() + s.Overlays.size()) *
                  sizeof(TSLStitch*) +
              s.Groups.size() * sizeof(int32_t) + s.Support.size();
    for (const auto& t : s.Objects)
        s.Bytes += ObjectBytes(*t.Other) + sizeof(TStep::TObject);
    for (const auto& p : s.Parked)
        s.Bytes += ObjectBytes(*p);
    sew.Modified = true;

    // A new change drops what could have been redone.
    steps_.resize(done_);
    if (saved_ > static_cast<long>(done_)) saved_ = -1;
    steps_.push_back(std::move(step));
    ++done_;
    ++recorded_;
    while (steps_.size() > limit_) {
        steps_.erase(steps_.begin());
        --done_;
        saved_ = saved_ > 0 ? saved_ - 1 : -1;
    }
}

// ---- TUndoStep ----

TUndoStep::TUndoStep(TSew& sew, std::string name) : sew_(sew) {
    Begin(std::move(name));
    for (int32_t i = 0; i < sew_.Count(); ++i)
        if (sew_[i]->Flags & (OF_SELECTED_EDIT | OF_SELECTED_LAYOUT)) Touch(sew_[i]);
    if (sew_.Current()) Touch(sew_.Current());
}

TUndoStep::TUndoStep(TSew& sew, std::string name, const std::vector<TSLStitch*>& objects) : sew_(sew) {
    Begin(std::move(name));
    for (TSLStitch* o : objects)
        Touch(o);
}

void TUndoStep::Begin(std::string name) {
    TUndoHistory& h = sew_.History;
    ++h.openDepth_;
    if (h.open_) return; // joins the step already being recorded
    step_ = std::make_unique<TUndoHistory::TStep>();
    TUndoHistory::TStep& s = *step_;
    s.Name = std::move(name);
    s.OrderBefore = OrderOf(sew_);
    s.Groups = GroupIds(sew_.Groups);
    s.Holes = sew_.Holes;
    s.Overlays = sew_.Overlays;
    s.CurrentBefore = sew_.Current();
    s.ModifiedBefore = sew_.Modified;
    h.open_ = &s;
}

namespace {
// Adds an object with its dependents to a step being recorded.
void TouchIn(TSew& sew, TUndoHistory::TStep& step, TSLStitch* object) {
    TUndoHistory::TStep* s = &step;
    std::vector<TSLStitch*> seeds{object};
    if (TSLStitch* p = object->Partner()) seeds.push_back(p);
    for (TSLStitch* c : object->JumpChain()) {
        seeds.push_back(c);
        if (TSLStitch* p = c->Partner()) seeds.push_back(p);
    }
    std::vector<TSLStitch*> added;
    for (TSLStitch* o : seeds) {
        if (sew.IndexOf(o) < 0 || s->Touched.count(o)) continue;
        s->Touched.insert(o);
        s->Objects.push_back({o, o->Clone()});
        added.push_back(o);
    }
    // The fill regions built on a touched outline follow it.
    bool outline =
        std::any_of(added.begin(), added.end(), [](TSLStitch* o) { return o->Kind() == KIND_CURVE; });
    if (!outline) return;
    for (int32_t i = 0; i < sew.Count(); ++i) {
        TSLStitch* r = sew[i];
        if (r->Kind() != KIND_REGION || s->Touched.count(r)) continue;
        auto used = r->UsedOutlines();
        if (std::any_of(used.begin(), used.end(), [&](TSLStitch* u) { return s->Touched.count(u) > 0; })) {
            s->Touched.insert(r);
            s->Objects.push_back({r, r->Clone()});
        }
    }
}

void TouchSupportIn(TSew& sew, TUndoHistory::TStep& s) {
    if (s.SupportTouched) return;
    s.SupportTouched = true;
    s.Support = SupportRecord(sew.Support);
    s.SupportLocks = sew.Support.Locks();
}
} // namespace

void TUndoHistory::Touch(TSew& sew, TSLStitch* object) {
    if (open_ && object) TouchIn(sew, *open_, object);
}

void TUndoHistory::TouchSupport(TSew& sew) {
    if (open_) TouchSupportIn(sew, *open_);
}

void TUndoStep::Touch(TSLStitch* object) {
    TUndoHistory::TStep* s = sew_.History.open_;
    if (!s || !object || done_) return;
    TouchIn(sew_, *s, object);
}

void TUndoStep::Created(TSLStitch* object) {
    TUndoHistory::TStep* s = sew_.History.open_;
    if (!s || !object) return;
    std::vector<TSLStitch*> made{object};
    if (TSLStitch* p = object->Partner()) made.push_back(p);
    for (TSLStitch* o : made) {
        std::erase(s->OrderBefore, o);
        std::erase_if(s->Objects, [o](const TUndoHistory::TStep::TObject& t) { return t.Live == o; });
        s->Touched.insert(o);
        if (s->CurrentBefore == o) s->CurrentBefore = nullptr;
    }
}

void TUndoStep::TouchSupport() {
    if (TUndoHistory::TStep* s = sew_.History.open_) TouchSupportIn(sew_, *s);
}

void TUndoStep::SetName(std::string name) {
    if (step_ && !done_) step_->Name = std::move(name);
}

void TUndoStep::SetModifiedBefore(bool modified) {
    if (TUndoHistory::TStep* s = sew_.History.open_) s->ModifiedBefore = modified;
}

void TUndoStep::Cancel() {
    if (done_) return;
    done_ = true;
    TUndoHistory& h = sew_.History;
    --h.openDepth_;
    if (!step_) return; // an inner step: the outer one decides
    h.open_ = nullptr;
    // What the edit deleted before it was refused is gone for good.
    auto parked = std::move(step_->Parked);
    step_.reset();
    for (auto& o : parked)
        h.Forget(o.get());
}

void TUndoStep::Commit() {
    if (done_) return;
    done_ = true;
    TUndoHistory& h = sew_.History;
    --h.openDepth_;
    if (!step_) return;
    h.open_ = nullptr;
    h.Commit(sew_, std::move(step_));
}

TUndoStep::~TUndoStep() {
    Commit();
}

} // namespace nl
