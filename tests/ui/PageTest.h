// Helpers shared by the page model tests: a field or check box found by its caption.
#pragma once
#include <gtest/gtest.h>

#include <cstddef>

namespace nl::test {

// The index of the n-th field with this caption on the page; a missing one fails the test.
template <typename Page> size_t Field(const char* caption, int occurrence = 0) {
    const int i = Page::FieldIndex(caption, occurrence);
    EXPECT_GE(i, 0) << caption;
    return static_cast<size_t>(i);
}
template <typename Page> size_t Field(const Page&, const char* caption, int occurrence = 0) {
    return Field<Page>(caption, occurrence);
}

// The same for a check box.
template <typename Page> size_t Toggle(const char* caption, int occurrence = 0) {
    const int i = Page::ToggleIndex(caption, occurrence);
    EXPECT_GE(i, 0) << caption;
    return static_cast<size_t>(i);
}
template <typename Page> size_t Toggle(const Page&, const char* caption, int occurrence = 0) {
    return Toggle<Page>(caption, occurrence);
}

} // namespace nl::test
