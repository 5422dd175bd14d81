// The one little-endian binary writer and bounds-checked reader used by every record in the program.
#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Errors.h"

namespace nl {

class TByteWriter {
public:
    void U8(uint8_t v) { buf_.push_back(v); }
    void Bool(bool v) { buf_.push_back(v ? 1 : 0); }
    void U16(uint16_t v) { Put(&v, 2); }
    void I16(int16_t v) { Put(&v, 2); }
    void U32(uint32_t v) { Put(&v, 4); }
    void I32(int32_t v) { Put(&v, 4); }
    void F32(float v) { Put(&v, 4); }
    void F64(double v) { Put(&v, 8); }
    void Bytes(const void* p, size_t n) {
        auto b = static_cast<const uint8_t*>(p);
        buf_.insert(buf_.end(), b, b + n);
    }
    void Bytes(std::span<const uint8_t> s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
    // String record: int32 length, then one byte per character, no terminator.
    void String(std::string_view s) {
        I32(static_cast<int32_t>(s.size()));
        Bytes(s.data(), s.size());
    }
    void Fill(uint8_t v, size_t n) { buf_.insert(buf_.end(), n, v); }
    // Overwrites bytes already written (header fields known only at the end).
    void PatchU32(size_t at, uint32_t v) { std::memcpy(buf_.data() + at, &v, 4); }

    size_t Size() const { return buf_.size(); }
    const std::vector<uint8_t>& Data() const { return buf_; }
    std::vector<uint8_t> Take() { return std::move(buf_); }
    void Reserve(size_t n) { buf_.reserve(n); }

private:
    // The program runs on little-endian machines only; static_assert documents it.
    void Put(const void* p, size_t n) {
        static_assert(std::endian::native == std::endian::little);
        auto b = static_cast<const uint8_t*>(p);
        buf_.insert(buf_.end(), b, b + n);
    }
    std::vector<uint8_t> buf_;
};

// Reads fields from a byte block; every read past the end throws TReadError.
class TByteReader {
public:
    explicit TByteReader(std::span<const uint8_t> data) : data_(data) {}

    uint8_t U8() { return Get<uint8_t>(); }
    bool Bool() { return U8() != 0; }
    uint16_t U16() { return Get<uint16_t>(); }
    int16_t I16() { return Get<int16_t>(); }
    uint32_t U32() { return Get<uint32_t>(); }
    int32_t I32() { return Get<int32_t>(); }
    float F32() { return Get<float>(); }
    double F64() { return Get<double>(); }
    void Bytes(void* out, size_t n) {
        Need(n);
        std::memcpy(out, data_.data() + pos_, n);
        pos_ += n;
    }
    std::span<const uint8_t> Span(size_t n) {
        Need(n);
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    void Skip(size_t n) {
        Need(n);
        pos_ += n;
    }
    std::string String(size_t maxLength = 1u << 20) {
        int32_t n = I32();
        if (n < 0 || static_cast<size_t>(n) > maxLength) throw TReadError("invalid string length");
        Need(static_cast<size_t>(n));
        std::string s(reinterpret_cast<const char*>(data_.data() + pos_), static_cast<size_t>(n));
        pos_ += static_cast<size_t>(n);
        return s;
    }
    // Reads an int32 count and checks that `count` records of at least `minRecordSize` bytes
    // can still follow, before the caller allocates anything for them.
    int32_t Count(size_t minRecordSize, const char* what = "count") {
        int32_t n = I32();
        CheckCount(n, minRecordSize, what);
        return n;
    }
    void CheckCount(int64_t n, size_t minRecordSize, const char* what = "count") const {
        if (n < 0) throw TReadError(std::string("negative ") + what);
        if (minRecordSize == 0) minRecordSize = 1;
        if (static_cast<uint64_t>(n) > Remaining() / minRecordSize)
            throw TReadError(std::string(what) + " larger than the data that follows");
    }

    size_t Pos() const { return pos_; }
    void Seek(size_t p) {
        if (p > data_.size()) throw TReadError("seek past the end of the data");
        pos_ = p;
    }
    size_t Size() const { return data_.size(); }
    size_t Remaining() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }

private:
    void Need(size_t n) const {
        if (n > Remaining()) throw TReadError("unexpected end of data");
    }
    template <typename T> T Get() {
        Need(sizeof(T));
        T v;
        std::memcpy(&v, data_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

} // namespace nl
