// TDeepPtr: an owned part that is copied with its owner.
//
// A unique_ptr in everything but copying: a copy holds the part's Clone(). Objects keep their
// optional parts (a width profile, a feather, a generated stitch list) in these, so that a copy of
// an object's fields is one assignment and a new part is copied without anyone listing it.
#pragma once
#include <memory>
#include <utility>

namespace nl {

template <class T> class TDeepPtr : public std::unique_ptr<T> {
    using Base = std::unique_ptr<T>;

public:
    using Base::Base;
    using Base::operator=;
    TDeepPtr() = default;
    TDeepPtr(Base&& p) noexcept : Base(std::move(p)) {}
    TDeepPtr(const TDeepPtr& o) : Base(o ? o->Clone() : nullptr) {}
    TDeepPtr(TDeepPtr&&) noexcept = default;
    TDeepPtr& operator=(const TDeepPtr& o) {
        if (this != &o) Base::operator=(o ? o->Clone() : nullptr);
        return *this;
    }
    TDeepPtr& operator=(TDeepPtr&&) noexcept = default;
    ~TDeepPtr() = default;
};

} // namespace nl
