#include "core/PointList.h"

#include <algorithm>
#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace nl {

void TPointList::Free(TSP& p) {
    if (p.OwnsExt()) delete p.Ext;
    if (p.Class() == TPointClass::Extra || p.Class() == TPointClass::Region) p.Ext = nullptr;
}

TSP TPointList::DeepCopy(const TSP& p) {
    TSP q = p;
    if (p.OwnsExt()) q.Ext = p.Ext->Clone().release();
    return q;
}

TPointList::TPointList(const TPointList& other) {
    pts_.reserve(other.pts_.size());
    for (const TSP& p : other.pts_)
        pts_.push_back(DeepCopy(p));
}

TPointList& TPointList::operator=(const TPointList& other) {
    if (this != &other) {
        TPointList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TPointList::TPointList(TPointList&& other) noexcept : pts_(std::move(other.pts_)) {
    other.pts_.clear();
}

TPointList& TPointList::operator=(TPointList&& other) noexcept {
    if (this != &other) {
        Clear();
        pts_ = std::move(other.pts_);
        other.pts_.clear();
    }
    return *this;
}

TPointList::~TPointList() {
    Clear();
}

TSP& TPointList::Insert(int32_t index, const TSP& p) {
    if (index < 0 || index >= Count()) {
        pts_.push_back(p);
        return pts_.back();
    }
    return *pts_.insert(pts_.begin() + index, p);
}

void TPointList::Delete(int32_t index) {
    if (index < 0 || index >= Count()) return;
    Free(pts_[static_cast<size_t>(index)]);
    pts_.erase(pts_.begin() + index);
}

TSP TPointList::Extract(int32_t index) {
    if (index < 0 || index >= Count()) return TSP{};
    TSP p = pts_[static_cast<size_t>(index)];
    pts_.erase(pts_.begin() + index);
    return p;
}

void TPointList::Replace(int32_t index, const TSP& p) {
    if (index < 0 || index >= Count()) return;
    TSP& slot = pts_[static_cast<size_t>(index)];
    if (slot.OwnsExt() && slot.Ext != p.Ext) delete slot.Ext;
    slot = p;
}

bool TPointList::InsertGap(int32_t index, int32_t n) {
    if (index < 0 || index > Count() - 1 || n < 0) return false;
    // The gap is filled with plain points owning nothing, so a failure before the caller fills
    // it can never free anything twice.
    pts_.insert(pts_.begin() + index, static_cast<size_t>(n), TSP{});
    return true;
}

void TPointList::Reserve(int32_t n) {
    if (n <= 0 || static_cast<size_t>(n) <= pts_.capacity()) return;
    pts_.reserve(static_cast<size_t>(n));
#if defined(__linux__)
    // A list of tens of megabytes is filled at once (an import, a large fill): most of the cost of
    // growing it is the kernel faulting in fresh 4 KiB pages, which huge pages mostly save.
    constexpr uintptr_t page = 4096;
    constexpr size_t large = 4u << 20;
    size_t bytes = pts_.capacity() * sizeof(TSP);
    if (bytes >= large) {
        uintptr_t start = (reinterpret_cast<uintptr_t>(pts_.data()) + page - 1) & ~(page - 1);
        uintptr_t end = (reinterpret_cast<uintptr_t>(pts_.data()) + bytes) & ~(page - 1);
        if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
#endif
}

void TPointList::Clear() {
    for (TSP& p : pts_)
        Free(p);
    pts_.clear();
    pts_.shrink_to_fit();
}

void TPointList::SetCapacity(int32_t n) {
    if (n < Count()) n = Count();
    if (static_cast<size_t>(n) > pts_.capacity())
        pts_.reserve(static_cast<size_t>(n));
    else if (n == Count())
        pts_.shrink_to_fit();
}

void TPointList::MoveAppend(TPointList& source, bool reversed) {
    if (&source == this) return;
    pts_.reserve(pts_.size() + source.pts_.size());
    if (reversed)
        pts_.insert(pts_.end(), source.pts_.rbegin(), source.pts_.rend());
    else
        pts_.insert(pts_.end(), source.pts_.begin(), source.pts_.end());
    source.pts_.clear();
}

} // namespace nl
