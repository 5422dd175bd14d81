// Hand-built expected records for the layout tests of the point, rectangle and object records.
//
// The bytes are composed here by shifting values apart, never through TByteWriter, so a test
// compares the writers against an independent picture of the layout. Every field carries its
// name: a mismatch names the field and its offset instead of a bare byte number.
#pragma once
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace nl::test {

class TExpectedRecord {
public:
    TExpectedRecord& U8(uint8_t v, const char* field) { return Put(v, 1, field); }
    TExpectedRecord& Bool(bool v, const char* field) { return Put(v ? 1 : 0, 1, field); }
    TExpectedRecord& U32(uint32_t v, const char* field) { return Put(v, 4, field); }
    TExpectedRecord& I32(int32_t v, const char* field) { return Put(static_cast<uint32_t>(v), 4, field); }
    TExpectedRecord& F32(float v, const char* field) { return Put(std::bit_cast<uint32_t>(v), 4, field); }
    TExpectedRecord& F64(double v, const char* field) { return Put(std::bit_cast<uint64_t>(v), 8, field); }
    // A rectangle record: Left, Top, Right, Bottom, then the empty byte (17 bytes).
    TExpectedRecord& Rect(int32_t left, int32_t top, int32_t right, int32_t bottom, bool empty,
                          const std::string& prefix) {
        I32(left, (prefix + ".Left").c_str());
        I32(top, (prefix + ".Top").c_str());
        I32(right, (prefix + ".Right").c_str());
        I32(bottom, (prefix + ".Bottom").c_str());
        return Bool(empty, (prefix + ".empty").c_str());
    }
    // Raw bytes spelled out in the test (for the simplest records, as a check on the helper).
    TExpectedRecord& Raw(std::initializer_list<uint8_t> bytes, const char* field) {
        Mark(field);
        bytes_.insert(bytes_.end(), bytes);
        return *this;
    }
    TExpectedRecord& Append(const TExpectedRecord& other) {
        for (const auto& f : other.fields_)
            fields_.push_back({f.At + bytes_.size(), f.Name});
        bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
        return *this;
    }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    size_t Size() const { return bytes_.size(); }

    // The name and offset of the field holding byte `at`.
    std::string FieldAt(size_t at) const {
        const TField* hit = nullptr;
        for (const auto& f : fields_)
            if (f.At <= at) hit = &f;
        if (!hit) return "?";
        return hit->Name + " (field at offset " + std::to_string(hit->At) + ")";
    }

private:
    struct TField {
        size_t At;
        std::string Name;
    };
    void Mark(const char* field) { fields_.push_back({bytes_.size(), field}); }
    TExpectedRecord& Put(uint64_t v, int n, const char* field) {
        Mark(field);
        for (int i = 0; i < n; ++i)
            bytes_.push_back(static_cast<uint8_t>(v >> (8 * i))); // little-endian
        return *this;
    }
    std::vector<uint8_t> bytes_;
    std::vector<TField> fields_;
};

// Compares a written record with the expected one; the first difference is reported with the
// name of the field it falls in.
inline ::testing::AssertionResult SameRecord(const std::vector<uint8_t>& actual,
                                             const TExpectedRecord& expected) {
    const auto& e = expected.Bytes();
    size_t n = std::min(actual.size(), e.size());
    for (size_t i = 0; i < n; ++i) {
        if (actual[i] != e[i]) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "byte %zu: written 0x%02X, expected 0x%02X, in ", i, actual[i],
                          e[i]);
            return ::testing::AssertionFailure() << buf << expected.FieldAt(i);
        }
    }
    if (actual.size() != e.size())
        return ::testing::AssertionFailure()
               << "written " << actual.size() << " bytes, expected " << e.size()
               << (actual.size() < e.size() ? "; missing from " + expected.FieldAt(actual.size())
                                            : std::string("; extra bytes after the last field"));
    return ::testing::AssertionSuccess();
}

} // namespace nl::test
