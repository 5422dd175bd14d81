// TObList: the generic owning list that the object lists of the program are made of.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace nl {

template <typename T> class TObList {
public:
    TObList() = default;
    TObList(const TObList&) = delete;
    TObList& operator=(const TObList&) = delete;
    TObList(TObList&&) noexcept = default;
    TObList& operator=(TObList&&) noexcept = default;
    virtual ~TObList() = default;

    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    T* operator[](int32_t i) const { return items_[static_cast<size_t>(i)].get(); }
    T* Item(int32_t i) const { return (i >= 0 && i < Count()) ? items_[static_cast<size_t>(i)].get() : nullptr; }
    T* Current() const { return current_; }
    void SetCurrent(T* item) { current_ = item; }
    int32_t Capacity() const { return static_cast<int32_t>(items_.capacity()); }

    // Inserts at index (index < 0 or > Count appends) and makes the item current.
    T* Insert(int32_t index, std::unique_ptr<T> item) {
        T* raw = item.get();
        if (index < 0 || index > Count()) items_.push_back(std::move(item));
        else items_.insert(items_.begin() + index, std::move(item));
        current_ = raw;
        return raw;
    }
    T* Add(std::unique_ptr<T> item) { return Insert(-1, std::move(item)); }
    template <typename U = T> U* AddNew(int32_t index = -1) {
        return static_cast<U*>(Insert(index, std::make_unique<U>()));
    }
    int32_t IndexOf(const T* item) const {
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i].get() == item) return static_cast<int32_t>(i);
        return -1;
    }
    void Delete(int32_t index) {
        if (index < 0 || index >= Count()) return;
        if (current_ == items_[static_cast<size_t>(index)].get()) current_ = nullptr;
        items_.erase(items_.begin() + index);
    }
    std::unique_ptr<T> Extract(int32_t index) {
        if (index < 0 || index >= Count()) return nullptr;
        auto item = std::move(items_[static_cast<size_t>(index)]);
        items_.erase(items_.begin() + index);
        if (current_ == item.get()) current_ = nullptr;
        return item;
    }
    void Clear() {
        items_.clear();
        items_.shrink_to_fit();
        current_ = nullptr;
    }
    void SetCapacity(int32_t n) {
        if (n > Count()) items_.reserve(static_cast<size_t>(n));
    }
    // Moves the item at `from` so that it ends at index `to`.
    void Move(int32_t from, int32_t to) {
        if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
        auto item = std::move(items_[static_cast<size_t>(from)]);
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(item));
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

protected:
    std::vector<std::unique_ptr<T>> items_;
    T* current_ = nullptr;
};

} // namespace nl
