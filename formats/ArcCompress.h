// Compression of byte blocks: the buffer class the HUS/VIP writer and reader (and later the
// scaleable design and font files) hand their bytes through, and the codec behind it.
//
// The compressed format is the one inside HUS and VIP files, so machines and other programs can
// read what we write: LZ77 back-references coded with per-block canonical Huffman tables. A
// stream is one MSB-first bit string of blocks; a block is a 16-bit token count, three code-length
// tables (the code-length alphabet, the 511-symbol main alphabet of literals 0-255, match lengths
// 3-256 as 256-509 and the end symbol 510, and the distance-class alphabet), then its tokens. The
// stream carries no size of its own; its last block ends with the end symbol, then zero bits pad
// it to a whole byte.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace nl {

constexpr int32_t ARC_WINDOW = 1024; // farthest back-reference we write: the smallest window readers keep
constexpr int32_t ARC_MIN_MATCH = 3;
constexpr int32_t ARC_MAX_MATCH = 256;
constexpr int32_t ARC_END_SYMBOL = 510;

// A growable byte buffer with a cursor for reading and writing, which also compresses and
// decompresses whole blocks. Lengths are int32 because the files store them so.
class TArcCompress {
public:
    static constexpr int32_t DEFAULT_GROWTH = 1000;

    explicit TArcCompress(int32_t growthStep = DEFAULT_GROWTH);

    int32_t Length() const { return length_; }
    int32_t Cursor() const { return cursor_; }
    int32_t Capacity() const { return static_cast<int32_t>(bytes_.size()); }
    int32_t GrowthStep() const { return growth_; }
    std::span<const uint8_t> Bytes() const { return {bytes_.data(), static_cast<size_t>(length_)}; }

    // Empties the buffer (length and cursor 0); the storage stays.
    void Clear() { length_ = cursor_ = 0; }
    // Makes room for `capacity` bytes without changing the contents.
    void Reserve(int32_t capacity);
    // Moves the cursor; false (and no move) outside 0..Length().
    bool Seek(int32_t position);

    // Writes at the cursor, overwriting and then extending the valid bytes; the cursor advances.
    void Write(std::span<const uint8_t> data);
    void WriteByte(uint8_t b);
    // Reads n bytes at the cursor and advances it. False, with nothing read, when n is negative or
    // more than the bytes left.
    bool Read(void* out, int32_t n);
    bool ReadByte(uint8_t& b) { return Read(&b, 1); }

    // Replaces the contents by the compressed form of `source`. `capacityHint` sizes the buffer
    // up front; output that does not fit grows the buffer. Returns the number of bytes produced
    // (the new Length(), at least 1); the cursor is left at 0. Throws TError when the source is
    // larger than a block the format can describe.
    int32_t Compress(std::span<const uint8_t> source, int32_t capacityHint);
    int32_t Compress(const TArcCompress& source, int32_t capacityHint) {
        return Compress(source.Bytes(), capacityHint);
    }
    // Replaces the contents by the decompressed form of `source`, producing at most `limit` bytes.
    // Returns the number of bytes produced (the new Length()); the cursor is left at 0. Throws
    // TReadError when the stream is malformed, truncated, or holds more than `limit` bytes.
    int32_t Decompress(std::span<const uint8_t> source, int32_t limit);

private:
    void Grow(int64_t needed);

    std::vector<uint8_t> bytes_; // size() is the capacity
    int32_t growth_;
    int32_t length_ = 0;
    int32_t cursor_ = 0;
};

// ---- the codec ----

// What a decoded stream looked like, for checks of what an encoder wrote.
struct TArcStreamInfo {
    int32_t Blocks = 0;
    int64_t Tokens = 0;
    int32_t Matches = 0;
    int32_t MaxDistance = 0;
    int32_t MinTCount = 0;  // smallest code-length table count sent in full (0: none sent in full)
    bool EndSymbol = false; // the stream ended with the end symbol (not at the limit)
    int64_t BitsUsed = 0;   // bits read up to and including the end symbol or the last token
};

// Code lengths of a canonical code of at most 16 bits per symbol for the given frequencies
// (unused symbols get 0). Returns the number of used symbols; below two, every length is 0 (the
// stream then names the one symbol instead of sending a code).
int ArcCodeLengths(std::span<const uint32_t> freq, std::span<uint8_t> len);

// Appends the compressed form of `in` to `out`; returns the number of bytes appended.
size_t ArcCompressStream(std::span<const uint8_t> in, std::vector<uint8_t>& out);

// Decodes `in` into `out` (replacing its contents). Decoding stops at the end symbol, or once
// `limit` bytes have been produced. Throws TReadError when a table is malformed (an incomplete or
// over-full code, a count out of range), a back-reference reaches before the start, the output
// would pass `limit`, or the input ends first. Returns the number of bytes produced.
size_t ArcDecompressStream(std::span<const uint8_t> in, size_t limit, std::vector<uint8_t>& out,
                           TArcStreamInfo* info = nullptr);

} // namespace nl
