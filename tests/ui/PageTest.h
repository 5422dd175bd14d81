// Helpers shared by the page model tests: a field or check box found by its caption.
#pragma once
#include <gtest/gtest.h>

#include <cstddef>

namespace nl::test {

// An index from a caption lookup; a caption the page does not have fails the test.
inline size_t Found(int index, const char* caption) {
    EXPECT_GE(index, 0) << caption;
    return static_cast<size_t>(index);
}

// The index of the n-th field (or check box) with this caption on the page.
template <typename Page> size_t Field(const char* caption, int occurrence = 0) {
    return Found(Page::FieldIndex(caption, occurrence), caption);
}
template <typename Page> size_t Field(const Page&, const char* caption, int occurrence = 0) {
    return Field<Page>(caption, occurrence);
}
template <typename Page> size_t Toggle(const char* caption, int occurrence = 0) {
    return Found(Page::ToggleIndex(caption, occurrence), caption);
}
template <typename Page> size_t Toggle(const Page&, const char* caption, int occurrence = 0) {
    return Toggle<Page>(caption, occurrence);
}

} // namespace nl::test
