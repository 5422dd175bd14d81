// TSew: the worksheet. Every stitch object in drawing order, the support objects, the layout
// groups that bind objects into designs, and the stitching order of each group.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileVersion.h"
#include "core/ObList.h"
#include "regions/Support.h"
#include "stitching/SLStitch.h"
#include "worksheet/Undo.h"
#include "worksheet/WorksheetSettings.h"

namespace nl {

struct TGroup {
    int32_t Id = 0;
    int32_t MappedId = 0; // used only while pasting
};

// The group ids in use, ascending.
class TGroupList {
public:
    int32_t Count() const { return static_cast<int32_t>(groups_.size()); }
    const TGroup& operator[](int32_t i) const { return groups_[static_cast<size_t>(i)]; }
    bool Contains(int32_t id) const;
    // Allocates a new id: the first gap from the start (one below the larger neighbour), else last + 1.
    int32_t NewGroup();
    void Add(int32_t id);
    void Remove(int32_t id);
    void Clear() { groups_.clear(); }
    // Paste remapping: the worksheet id for a clipboard id, allocated in `target` on first use.
    int32_t Map(int32_t clipboardId, TGroupList& target);

    // Record: int32 count, then the ids. Reading replaces the list (ids kept ascending, each once).
    void Record(TRecordWriter& io) const;
    void Record(TRecordReader& io);

private:
    std::vector<TGroup> groups_;
};

class TSew : public TObList<TSLStitch> {
public:
    TSew();

    TSupportBaseList Support;
    TGroupList Groups;
    // The view and tool settings the worksheet file keeps (kept by New Worksheet).
    TWorksheetSettings Settings;
    std::string FileName = "Untitled";
    uint8_t SelectionKind = 0;
    int32_t StreamOriginX = 0;
    int32_t StreamOriginY = 0;
    int32_t FormatVersion = kVersionCurrent;
    // Unsaved changes since the last save or load.
    bool Modified = false;
    TKvRect SelectionBounds;
    // The hole list and the overlay list (references into the object list, not owned). The flag
    // bits of the objects decide membership; SyncShapeLists brings the lists back in step.
    std::vector<TSLStitch*> Holes;
    std::vector<TSLStitch*> Overlays;
    // Temporary objects made while building an order (text characters as direct stitches).
    std::vector<std::unique_ptr<TSLStitch>> OrderTemporaries;
    // The edits that can be undone and redone (emptied by Reset: a new or opened worksheet).
    TUndoHistory History;

    // Empties everything without asking (start state: one embroidery frame).
    void Reset();
    void MarkModified() { Modified = true; }

    void ClearSelection(uint32_t mask);
    // Group id of the first selected (layout) object with id > 0; 0 when selected objects are
    // all ungrouped; -1 when nothing is selected. The last selected object becomes current.
    int32_t SelectedGroup();
    void SelectGroup(int32_t id, uint32_t mask);
    // Closes the selection over dependencies and binds it into a new group; returns the id.
    int32_t ComposeGroup();
    void CloseSelection();
    void DecomposeGroup();
    void RenumberIds();
    // 0 nothing selected; 1 only ungrouped; 2 only grouped; 3 both.
    uint8_t ComputeSelectionKind();

    // The stitching order of the group `key` (0: the ungrouped objects).
    std::vector<TSLStitch*> BuildStitchOrder(int32_t key);
    // Every stitched object of the worksheet: the groups in ascending id, each in its stitching
    // order, then the ungrouped objects in theirs.
    std::vector<TSLStitch*> BuildWorksheetOrder();

    // Drawing order: a curved column moves as a pair, rail A before rail B.
    void BringToTop(TSLStitch* object);
    void SendToBottom(TSLStitch* object);

    // Removes and frees an object (and its rail partner); its group id is dropped from the group
    // list only when no other object carries it. While an edit is being recorded the undo step
    // keeps the object instead of freeing it.
    void DeleteObject(TSLStitch* object);
    // Brings the hole and overlay lists in step with the objects' flag bits (and drops entries
    // for objects that are gone).
    void SyncShapeLists();
    // Removes the object at `index` alone (no partner), as DeleteObject does.
    void Delete(int32_t index);
    // Puts the objects in `order`, taking them from the list and from `spare`; every object of
    // either that is not in `order` ends in `spare` (used by undo and redo).
    void Arrange(const std::vector<TSLStitch*>& order, std::vector<std::unique_ptr<TSLStitch>>& spare);
    // Drops ids from the group list that no object carries.
    void PruneGroups();
    // After a worksheet was read (objects, and the hole and overlay lists as object indices):
    // pairs the rails of curved columns, resolves the outlines of region nodes, rebuilds the
    // regions of files older than `kVersionRegionRules`, regenerates what is not stored, and
    // turns the hole and overlay indices into references (an index that is not a region or an
    // outline is skipped). Throws TReadError when references do not resolve.
    void AfterLoad(const TStitchContext& ctx, int32_t fileVersion, const std::vector<int32_t>& holes,
                   const std::vector<int32_t>& overlays);
};

} // namespace nl
