// The contiguous, owning list of stitch points that every stitch object is built on.
#pragma once
#include <cstdint>
#include <vector>

#include "core/Point.h"

namespace nl {

class TPointList {
public:
    TPointList() = default;
    TPointList(const TPointList& other);
    TPointList& operator=(const TPointList& other);
    TPointList(TPointList&& other) noexcept;
    TPointList& operator=(TPointList&& other) noexcept;
    ~TPointList();

    int32_t Count() const { return static_cast<int32_t>(pts_.size()); }
    bool Empty() const { return pts_.empty(); }
    TSP& operator[](int32_t i) { return pts_[static_cast<size_t>(i)]; }
    const TSP& operator[](int32_t i) const { return pts_[static_cast<size_t>(i)]; }
    TSP* Last() { return pts_.empty() ? nullptr : &pts_.back(); }
    const TSP* Last() const { return pts_.empty() ? nullptr : &pts_.back(); }
    TSP* First() { return pts_.empty() ? nullptr : &pts_.front(); }
    const TSP* First() const { return pts_.empty() ? nullptr : &pts_.front(); }
    auto begin() { return pts_.begin(); }
    auto end() { return pts_.end(); }
    auto begin() const { return pts_.begin(); }
    auto end() const { return pts_.end(); }
    int32_t Capacity() const { return static_cast<int32_t>(pts_.capacity()); }

    // Inserts at index; index < 0 or > Count appends. The list takes ownership of p's Ext.
    TSP& Insert(int32_t index, const TSP& p);
    TSP& Append(const TSP& p) { return Insert(-1, p); }
    // Frees the point (and its owned Ext); out-of-range does nothing.
    void Delete(int32_t index);
    // Removes the point without freeing its Ext: ownership passes to the caller.
    TSP Extract(int32_t index);
    // Replaces the point at index, freeing the old one's Ext.
    void Replace(int32_t index, const TSP& p);
    // Opens n default slots at index for the caller to fill; false when index is out of range.
    bool InsertGap(int32_t index, int32_t n);
    void Clear();
    void SetCapacity(int32_t n);
    // Reserves room for n points; large lists ask the kernel for huge pages before the first touch.
    void Reserve(int32_t n);
    // Moves every point of `source` to the end of this list (reversed when asked); source ends empty.
    void MoveAppend(TPointList& source, bool reversed);
    // Keeps the points for which keep(point) is true, in order; frees the others. O(n).
    template <typename F> void RemoveIf(F remove) {
        size_t w = 0;
        for (size_t r = 0; r < pts_.size(); ++r) {
            if (remove(pts_[r])) {
                Free(pts_[r]);
            } else {
                pts_[w++] = pts_[r];
            }
        }
        pts_.resize(w);
    }
    // Direct access for bulk algorithms that keep ownership right themselves.
    std::vector<TSP>& Raw() { return pts_; }
    const std::vector<TSP>& Raw() const { return pts_; }

    // Frees what a point owns (its jump or node data) and clears the reference.
    static void Free(TSP& p);
    // A copy of p that owns a copy of p's Ext (when p owned one) or shares it otherwise.
    static TSP DeepCopy(const TSP& p);

private:
    std::vector<TSP> pts_;
};

} // namespace nl
