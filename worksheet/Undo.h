// Undo and redo of worksheet edits.
//
// A step keeps only what its edit touched: for every touched object, its other state (the state
// before the edit while the step is done, the state after it while the step is undone), the
// drawing order when the edit changed it, the objects that left the worksheet, and the small
// worksheet-wide lists (groups, holes, overlays, and the support objects when asked). Undoing and
// redoing swap those states with the live ones, so an object keeps its identity through any
// number of undos and redos: regions keep pointing at their outlines, rails at their partners,
// and the hole list at its regions.
//
// An edit records itself with ONE declaration at its start (see docs/undo.md):
//
//     TUndoStep step(sew, "Move");            // the selection, the current object and their
//     ...edit...                               // dependents are snapshot now
//                                              // committed when `step` goes out of scope
//
// Objects the edit destroys through TSew::DeleteObject while a step is open are kept by the step
// (not freed), so that undo can put the very same objects back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nl {

class TSew;
class TSLStitch;

class TUndoHistory {
public:
    TUndoHistory();
    ~TUndoHistory();
    TUndoHistory(TUndoHistory&&) noexcept;
    TUndoHistory& operator=(TUndoHistory&&) noexcept;
    TUndoHistory(const TUndoHistory&) = delete;
    TUndoHistory& operator=(const TUndoHistory&) = delete;

    // Steps kept; the oldest goes when a new step would pass it.
    static constexpr size_t kDefaultLimit = 100;
    void SetLimit(size_t steps);
    size_t Limit() const { return limit_; }

    bool CanUndo() const;
    bool CanRedo() const;
    // The edit names of the step that Undo and Redo would take back or do again ("Move"), and the
    // menu captions ("Undo Move", "Redo Move"; "Undo" / "Redo" when there is none).
    std::string UndoName() const;
    std::string RedoName() const;
    std::string UndoCaption() const;
    std::string RedoCaption() const;
    // Number of steps that can be undone / redone.
    size_t UndoCount() const;
    size_t RedoCount() const;

    // Takes back / does again one step on `sew` (the worksheet this history belongs to). The
    // modified flag comes back to what it was at that point of the history. False when there was
    // nothing to take back (or a step is being recorded).
    bool Undo(TSew& sew);
    bool Redo(TSew& sew);

    // Forgets every step (a new or opened worksheet).
    void Clear();
    // The worksheet was saved: this point of the history is the unmodified state.
    void MarkSaved();

    // True while an edit is being recorded (a TUndoStep is open).
    bool Recording() const;
    // Adds an object (and its dependents) to the step being recorded, as TUndoStep::Touch does:
    // for changes the edit makes on its way (closing the selection selects more objects). Nothing
    // when no step is open.
    void Touch(TSew& sew, TSLStitch* object);
    // The support list joins the step being recorded (a memo lets go of a deleted object).
    void TouchSupport(TSew& sew);
    // An object is being destroyed outside any step: the steps that refer to it (and everything
    // older, which could not be undone past it) are dropped.
    void Forget(const TSLStitch* object);
    // Approximate memory the kept steps hold, in bytes.
    size_t Bytes() const;
    // Steps recorded since the history began (never goes down): tells whether an edit made one.
    size_t Recorded() const { return recorded_; }

    struct TStep;

private:
    friend class TUndoStep;
    friend class TSew;
    std::vector<std::unique_ptr<TStep>> steps_;
    size_t done_ = 0; // steps_[0, done_) are done, the rest undone (redo-able)
    size_t limit_ = kDefaultLimit;
    // The position of the saved state; -1 when it is no longer in the history.
    long saved_ = 0;
    TStep* open_ = nullptr; // the step being recorded
    int openDepth_ = 0;
    size_t recorded_ = 0;

    // Called by TSew::DeleteObject while recording: the step keeps the object.
    void Park(std::unique_ptr<TSLStitch> object);
    void Commit(TSew& sew, std::unique_ptr<TStep> step);
    bool ModifiedAt(size_t position, bool fallback) const;
};

// One edit being recorded. Construct it before the edit changes anything; it commits when it goes
// out of scope (or at Commit()). Steps opened inside an open step join it (Cut = Copy + Delete is
// one step named by the outer edit). A step that changed nothing leaves no trace.
class TUndoStep {
public:
    // Touches the selection (both selection bits), the current object, and their dependents: the
    // partner rail, the jump chain, and the fill regions built on touched outlines.
    TUndoStep(TSew& sew, std::string name);
    // Touches only `objects` and their dependents (for edits of objects that are not selected).
    TUndoStep(TSew& sew, std::string name, const std::vector<TSLStitch*>& objects);
    ~TUndoStep();
    TUndoStep(const TUndoStep&) = delete;
    TUndoStep& operator=(const TUndoStep&) = delete;

    // Adds an object (and its dependents) that the edit is about to change.
    void Touch(TSLStitch* object);
    // The object is new to the worksheet although it is in the list already (made before the step
    // opened, as objects being created are): undo takes it out.
    void Created(TSLStitch* object);
    // The edit changes the support objects.
    void TouchSupport();
    // The modified flag before the edit, when the edit began earlier than the step (creation).
    void SetModifiedBefore(bool modified);
    // Names the step after the edit turned out to be something else (a region closed).
    void SetName(std::string name);
    // The edit was refused or did nothing: restores nothing, records nothing.
    void Cancel();
    // Records the step now (the destructor does nothing afterwards).
    void Commit();

private:
    TSew& sew_;
    std::unique_ptr<TUndoHistory::TStep> step_; // null for a step that joined an outer one
    bool done_ = false;
    void Begin(std::string name);
};

} // namespace nl
