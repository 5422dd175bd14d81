#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <random>
#include <string>

#include "core/Errors.h"
#include "formats/ArcCompress.h"

using namespace nl;

namespace {

std::vector<uint8_t> Hex(const std::string& s) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < s.size();) {
        if (s[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

std::vector<uint8_t> Repeat(std::initializer_list<uint8_t> unit, size_t times) {
    std::vector<uint8_t> v;
    for (size_t k = 0; k < times; ++k)
        v.insert(v.end(), unit);
    return v;
}

std::vector<uint8_t> Compress(std::span<const uint8_t> in) {
    std::vector<uint8_t> out;
    ArcCompressStream(in, out);
    return out;
}

std::vector<uint8_t> Decompress(std::span<const uint8_t> in, size_t limit, TArcStreamInfo* info = nullptr) {
    std::vector<uint8_t> out;
    size_t n = ArcDecompressStream(in, limit, out, info);
    EXPECT_EQ(n, out.size());
    return out;
}

// Bits most significant first, for building streams by hand.
class TBits {
public:
    TBits& Put(uint32_t v, int n) {
        for (int k = n - 1; k >= 0; --k) {
            if (bits_ % 8 == 0) bytes_.push_back(0);
            if (k < 32 && ((v >> k) & 1)) bytes_.back() |= static_cast<uint8_t>(0x80 >> (bits_ % 8));
            ++bits_;
        }
        return *this;
    }
    std::vector<uint8_t> Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t bits_ = 0;
};

// Commands, x and y streams of a stitch-like design: satin columns of varying width, tatami rows
// and jumps between them, as real designs have.
std::array<std::vector<uint8_t>, 3> StitchLikeStreams(size_t records, uint32_t seed) {
    std::mt19937 rng(seed);
    std::array<std::vector<uint8_t>, 3> s;
    auto put = [&](uint8_t c, int x, int y) {
        s[0].push_back(c);
        s[1].push_back(static_cast<uint8_t>(x));
        s[2].push_back(static_cast<uint8_t>(y));
    };
    while (s[0].size() < records) {
        switch (rng() % 3) {
        case 0: { // satin column
            int width = 20 + static_cast<int>(rng() % 40), n = 50 + static_cast<int>(rng() % 400);
            for (int i = 0; i < n; ++i) {
                width += static_cast<int>(rng() % 3) - 1;
                put(0x80, i % 2 ? width : -width, 1 + static_cast<int>(rng() % 2));
            }
            break;
        }
        case 1: { // tatami rows with an offset pattern
            int n = 100 + static_cast<int>(rng() % 600);
            for (int i = 0; i < n; ++i)
                put(0x80, (i / 12) % 2 ? -35 : 35, (i % 12 == 11) ? 4 : static_cast<int>(rng() % 3) - 1);
            break;
        }
        default: // a jump, sometimes a colour change
            if (rng() % 4 == 0) put(0x84, 0, 0);
            put(0x81, static_cast<int>(rng() % 255) - 127, static_cast<int>(rng() % 255) - 127);
            put(0x80, 0, 0);
        }
    }
    for (auto& v : s)
        v.resize(records);
    return s;
}

} // namespace

TEST(ArcBuffer, GrowsAsWrittenAndReadsOnlyWhatItHolds) {
    TArcCompress b(4);
    for (int i = 0; i < 10; ++i)
        b.WriteByte(static_cast<uint8_t>(i));
    EXPECT_EQ(b.Length(), 10);
    EXPECT_GE(b.Capacity(), 10);
    EXPECT_TRUE(b.Seek(0));
    uint8_t buf[16] = {};
    EXPECT_TRUE(b.Read(buf, 4));
    EXPECT_EQ(buf[3], 3);
    EXPECT_EQ(b.Cursor(), 4);
    // Refused reads leave the cursor alone, including counts that would overflow a sum.
    for (int32_t n : {-1, 7, INT32_MAX, INT32_MIN})
        EXPECT_FALSE(b.Read(buf, n)) << n;
    EXPECT_EQ(b.Cursor(), 4);
    EXPECT_TRUE(b.Read(buf, 6));
    EXPECT_FALSE(b.Read(buf, 1));
    EXPECT_TRUE(b.Read(buf, 0));
    // Writing inside overwrites, writing at the end extends.
    EXPECT_TRUE(b.Seek(8));
    const uint8_t more[4] = {0xA, 0xB, 0xC, 0xD};
    b.Write(more);
    EXPECT_EQ(b.Length(), 12);
    EXPECT_EQ(b.Bytes()[8], 0xA);
    EXPECT_FALSE(b.Seek(13));
    EXPECT_FALSE(b.Seek(-1));
    b.Clear();
    EXPECT_EQ(b.Length(), 0);
    EXPECT_FALSE(b.ReadByte(buf[0]));
}

TEST(ArcBuffer, CompressGrowsPastItsCapacityAndReturnsTheProducedLength) {
    std::mt19937 rng(3);
    std::vector<uint8_t> noise(5000);
    for (auto& b : noise)
        b = static_cast<uint8_t>(rng());
    TArcCompress packed, unpacked;
    // Random bytes do not fit the N + 100 a stream is given: the output grows instead of overrunning.
    int32_t produced = packed.Compress(noise, static_cast<int32_t>(noise.size()) + 100);
    EXPECT_EQ(produced, packed.Length());
    EXPECT_GT(produced, static_cast<int32_t>(noise.size()));
    EXPECT_EQ(packed.Cursor(), 0);
    EXPECT_EQ(unpacked.Decompress(packed.Bytes(), 5000), 5000);
    EXPECT_TRUE(std::equal(noise.begin(), noise.end(), unpacked.Bytes().begin()));
    // A smaller limit stops the decoding there; the produced length tells the caller.
    EXPECT_EQ(unpacked.Decompress(packed.Bytes(), 4999), 4999);
}

TEST(ArcCodec, WorkedExamplesEncodeAndDecodeExactly) {
    std::string zeros;
    for (int i = 0; i < 31; ++i)
        zeros += "00 ";
    const std::string kSchemeL = "00 06 60 0B 00 02 BF E0 " + zeros + "39 D5 80 10 10 10 10 12 1F F0";
    struct Case {
        const char* name;
        std::vector<uint8_t> input;
        std::string stream;
        bool ours; // our encoder writes exactly these bytes
    } cases[] = {
        {"80 80 80 80 90", {0x80, 0x80, 0x80, 0x80, 0x90}, "00 04 28 49 3F FC D8 B1 96 DB A4 00 13 80", true},
        {"300 x 80", std::vector<uint8_t>(300, 0x80), "00 04 28 05 3F F1 B2 49 CC 0C 00 27", true},
        {"0A 14 1E x 4", Repeat({0x0A, 0x14, 0x1E}, 4), "00 05 30 49 4B FE 3C 34 34 B4 F5 C7 80 43 67", true},
        {"empty", {}, "00 01 00 00 1F E0 00", true},
        // Written by another encoder: different code lengths, the same format.
        {"2000 x 80", std::vector<uint8_t>(2000, 0x80), "00 0A 30 04 6D 7F C6 C9 37 E0 E6 80 0C 02 E0",
         false},
        // The simplest valid form: a fixed table of literals.
        {"scheme L", {0x80, 0x80, 0x80, 0x80, 0x90}, kSchemeL, false},
    };
    for (auto& c : cases) {
        auto stream = Hex(c.stream);
        TArcStreamInfo info;
        EXPECT_EQ(Decompress(stream, 1 << 20, &info), c.input) << c.name;
        EXPECT_TRUE(info.EndSymbol) << c.name;
        if (c.ours) {
            EXPECT_EQ(Compress(c.input), stream) << c.name;
        }
    }
}

TEST(ArcCodec, DecoderStopsAtTheEndSymbolOrTheLimit) {
    auto stream = Hex("00 04 28 49 3F FC D8 B1 96 DB A4 00 13 80");
    // Bytes after the end symbol (the next stream of the file) are not read.
    auto withTail = stream;
    withTail.insert(withTail.end(), {0xFF, 0x00, 0x12});
    TArcStreamInfo info;
    EXPECT_EQ(Decompress(withTail, 100, &info), (std::vector<uint8_t>{0x80, 0x80, 0x80, 0x80, 0x90}));
    EXPECT_EQ(info.BitsUsed, 105);
    // At the limit decoding stops before the next token, so an exact limit never reads further.
    EXPECT_EQ(Decompress(stream, 5, &info).size(), 5u);
    EXPECT_FALSE(info.EndSymbol);
    // A token that would pass the limit is an error, not a silent cut.
    EXPECT_THROW(Decompress(stream, 3), TReadError);
    EXPECT_EQ(Decompress(stream, 1).size(), 1u);
}

TEST(ArcCodec, DecoderRejectsMalformedStreams) {
    // A block of one token whose tables are all in the constant form.
    auto constant = [](uint32_t tokens, uint32_t cSymbol, uint32_t pClass) {
        return TBits()
            .Put(tokens, 16)
            .Put(0, 5)
            .Put(0, 5)
            .Put(0, 9)
            .Put(cSymbol, 9)
            .Put(0, 5)
            .Put(pClass, 5)
            .Bytes();
    };
    // Code-length table t2 = 1, t4 = 1 (codes 0 and 1), then a main table of 511 entries from runs.
    // Code-length table t2 = 1, t4 = 1 (codes 0 and 1), then a main table of 511 entries in which
    // the given symbols have length 2 and all others 0.
    auto mainTable = [](std::vector<int> symbols) {
        TBits b;
        b.Put(1, 16).Put(5, 5).Put(0, 3).Put(0, 3).Put(1, 3).Put(1, 2).Put(1, 3); // t0 t1 t2 skip-1 t4
        b.Put(511, 9);
        int at = 0;
        for (int sym : symbols) {
            if (sym > at) b.Put(0, 1).Put(static_cast<uint32_t>(sym - at - 20), 9); // t2: 20 + x zeros
            b.Put(1, 1);                                                            // t4: length 2
            at = sym + 1;
        }
        if (at < 511) b.Put(0, 1).Put(static_cast<uint32_t>(511 - at - 20), 9);
        return b.Put(0, 5).Put(0, 5).Bytes();
    };
    // Literal 'A' and a length-3 match with codes 0 and 1, distances of class 3 (5 to 8): the
    // match reaches 5 bytes back with 1 byte produced.
    auto farBack = TBits()
                       .Put(2, 16)
                       .Put(4, 5)
                       .Put(0, 3)
                       .Put(0, 3)
                       .Put(1, 3)
                       .Put(0, 2)
                       .Put(1, 3) // t2 '0', t3 '1'
                       .Put(257, 9)
                       .Put(0, 1)
                       .Put(45, 9)
                       .Put(1, 1)
                       .Put(0, 1)
                       .Put(170, 9)
                       .Put(1, 1)
                       .Put(0, 5)
                       .Put(3, 5)
                       .Put(0, 1)
                       .Put(1, 1)
                       .Put(0, 2)
                       .Bytes();
    auto example1 = Hex("00 04 28 49 3F FC D8 B1 96 DB A4 00 13 80");
    auto truncated = example1;
    truncated.resize(12);
    struct Case {
        const char* name;
        std::vector<uint8_t> stream;
    } cases[] = {
        {"no bytes", {}},
        {"a block of no tokens", constant(0, 510, 0)},
        {"main table constant 511", constant(1, 511, 0)},
        {"back-reference before the start", constant(1, 256, 0)},
        {"distance beyond the output", farBack},
        {"incomplete main code (two codes of 2 bits)", mainTable({128, 510})},
        {"code-length table of 20 entries", TBits().Put(1, 16).Put(20, 5).Put(0, 60).Bytes()},
        {"code-length table with a 17-bit code",
         TBits().Put(1, 16).Put(4, 5).Put(0x3FFE, 14).Put(0, 9).Put(0, 2).Put(1, 3).Bytes()},
        {"over-full code-length table",
         TBits().Put(1, 16).Put(5, 5).Put(1, 3).Put(1, 3).Put(1, 3).Put(0, 2).Put(1, 3).Put(0, 40).Bytes()},
        {"zero run past the main table's count", TBits()
                                                     .Put(1, 16)
                                                     .Put(5, 5)
                                                     .Put(0, 3)
                                                     .Put(0, 3)
                                                     .Put(1, 3)
                                                     .Put(1, 2)
                                                     .Put(1, 3)
                                                     .Put(10, 9)
                                                     .Put(0, 1)
                                                     .Put(0, 9)
                                                     .Put(0, 40)
                                                     .Bytes()},
        {"truncated", truncated},
        {"incomplete distance table (peers' literal-only form)", Hex("00 05 02 A0 01 FE 80 80 80 80 90")},
    };
    for (auto& c : cases) {
        std::vector<uint8_t> out;
        EXPECT_THROW(ArcDecompressStream(c.stream, 1000, out), TReadError) << c.name;
    }
    // The same main table with complete codes decodes.
    std::vector<uint8_t> out;
    EXPECT_NO_THROW(ArcDecompressStream(example1, 1000, out));
    // Every truncation of a valid stream is refused or decodes to a prefix; none reads out of bounds.
    auto big = Compress(StitchLikeStreams(4000, 5)[1]);
    for (size_t cut = 0; cut < big.size(); cut += 7) {
        std::vector<uint8_t> part(big.begin(), big.begin() + static_cast<long>(cut));
        try {
            ArcDecompressStream(part, 4001, out); // past the data: the end symbol is needed
            ADD_FAILURE() << "a cut at " << cut << " of " << big.size() << " decoded";
        } catch (const TReadError&) {
        }
    }
}

TEST(ArcCodec, CodeLengthsStayWithin16BitsAndFormCompleteCodes) {
    // Fibonacci frequencies give the deepest Huffman trees: 25 symbols would need 24 bits.
    std::vector<uint32_t> fib(25);
    fib[0] = fib[1] = 1;
    for (size_t i = 2; i < fib.size(); ++i)
        fib[i] = fib[i - 1] + fib[i - 2];
    std::mt19937 rng(9);
    std::vector<uint32_t> skewed(511);
    for (auto& f : skewed)
        f = rng() % 3 == 0 ? 0 : 1u << (rng() % 20);
    for (const auto* freq : {&fib, &skewed}) {
        std::vector<uint8_t> len(freq->size());
        int used = ArcCodeLengths(*freq, len);
        uint64_t kraft = 0;
        for (size_t s = 0; s < len.size(); ++s) {
            EXPECT_LE(len[s], 16);
            EXPECT_EQ(len[s] == 0, (*freq)[s] == 0);
            if (len[s]) kraft += 1ull << (16 - len[s]);
        }
        EXPECT_EQ(kraft, 1ull << 16);
        EXPECT_GT(used, 1);
    }
    // More frequent symbols never get longer codes.
    std::vector<uint8_t> len(fib.size());
    ArcCodeLengths(fib, len);
    for (size_t s = 1; s < len.size(); ++s)
        EXPECT_LE(len[s], len[s - 1]);
}

TEST(ArcCodec, RoundTripsRandomAndStitchLikeDataUpTo1MB) {
    std::mt19937 rng(1);
    auto check = [](const std::vector<uint8_t>& data, const std::string& what) {
        auto packed = Compress(data);
        TArcStreamInfo info;
        // A larger limit than needed: the stream itself must say where it ends.
        auto back = Decompress(packed, data.size() + 1000, &info);
        EXPECT_EQ(back.size(), data.size()) << what;
        EXPECT_TRUE(back == data) << what;
        // What readers with a 1024-byte window and a strict table reader need.
        EXPECT_TRUE(info.EndSymbol) << what;
        EXPECT_LE(info.MaxDistance, ARC_WINDOW) << what;
        EXPECT_TRUE(info.MinTCount == 0 || info.MinTCount >= 4) << what;
        EXPECT_EQ(static_cast<size_t>(info.BitsUsed + 7) / 8, packed.size()) << what; // padding only
        return packed.size();
    };
    for (size_t n :
         {1u, 2u, 3u, 4u, 255u, 256u, 1023u, 1024u, 1025u, 7300u, 65535u, 65536u, 300000u, 1u << 20}) {
        std::vector<uint8_t> noise(n);
        for (auto& b : noise)
            b = static_cast<uint8_t>(rng());
        size_t packed = check(noise, "random " + std::to_string(n));
        if (n >= 65536) {
            EXPECT_LT(packed, n + n / 50) << n; // random data grows by under 2 %
        }
    }
    for (size_t n : {10u, 5000u, 100000u, 1u << 20}) {
        auto streams = StitchLikeStreams(n, static_cast<uint32_t>(n));
        size_t total = 0;
        for (int k = 0; k < 3; ++k)
            total += check(streams[static_cast<size_t>(k)], "stitch-like " + std::to_string(n));
        if (n >= 100000) {
            EXPECT_LT(total, 3 * n / 4) << "stitch streams shrink to under a quarter";
        }
    }
    // Long runs, short repeats and all byte values.
    check(std::vector<uint8_t>(1 << 20, 0x80), "a run of 1 MB");
    check(Repeat({1, 2}, 50000), "a two-byte pattern");
    std::vector<uint8_t> all(256 * 40);
    std::iota(all.begin(), all.end(), 0);
    check(all, "all byte values");
}
