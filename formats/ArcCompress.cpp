#include "formats/ArcCompress.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include "core/Errors.h"

namespace nl {

// ---- the buffer ----

TArcCompress::TArcCompress(int32_t growthStep) : growth_(std::max<int32_t>(1, growthStep)) {}

void TArcCompress::Reserve(int32_t capacity) {
    if (capacity > Capacity()) bytes_.resize(static_cast<size_t>(capacity));
}

// Grows by the growth step at least, and geometrically, so that appending byte by byte stays
// linear however large the buffer gets.
void TArcCompress::Grow(int64_t needed) {
    if (needed <= Capacity()) return;
    if (needed > INT32_MAX) throw TError("a compression buffer cannot hold more than 2 GB");
    int64_t cap = std::max<int64_t>(needed + growth_, 2 * static_cast<int64_t>(Capacity()));
    bytes_.resize(static_cast<size_t>(std::min<int64_t>(cap, INT32_MAX)));
}

bool TArcCompress::Seek(int32_t position) {
    if (position < 0 || position > length_) return false;
    cursor_ = position;
    return true;
}

void TArcCompress::Write(std::span<const uint8_t> data) {
    if (data.empty()) return;
    const int64_t end = static_cast<int64_t>(cursor_) + static_cast<int64_t>(data.size());
    Grow(end);
    std::memcpy(bytes_.data() + cursor_, data.data(), data.size());
    cursor_ = static_cast<int32_t>(end);
    length_ = std::max(length_, cursor_);
}

void TArcCompress::WriteByte(uint8_t b) {
    if (cursor_ >= Capacity()) Grow(static_cast<int64_t>(cursor_) + 1);
    bytes_[static_cast<size_t>(cursor_++)] = b;
    length_ = std::max(length_, cursor_);
}

bool TArcCompress::Read(void* out, int32_t n) {
    // Written so that nothing can overflow: cursor_ <= length_ always holds.
    if (n < 0 || n > length_ - cursor_) return false;
    if (n > 0) std::memcpy(out, bytes_.data() + cursor_, static_cast<size_t>(n));
    cursor_ += n;
    return true;
}

int32_t TArcCompress::Compress(std::span<const uint8_t> source, int32_t capacityHint) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(std::max<int32_t>(capacityHint, 0)));
    ArcCompressStream(source, out);
    if (out.size() > static_cast<size_t>(INT32_MAX))
        throw TError("the data is too large to compress into one block");
    length_ = static_cast<int32_t>(out.size());
    cursor_ = 0;
    out.resize(std::max(out.size(), out.capacity()));
    bytes_ = std::move(out);
    return length_;
}

int32_t TArcCompress::Decompress(std::span<const uint8_t> source, int32_t limit) {
    std::vector<uint8_t> out;
    size_t produced = ArcDecompressStream(source, static_cast<size_t>(std::max<int32_t>(limit, 0)), out);
    length_ = static_cast<int32_t>(produced); // at most limit
    cursor_ = 0;
    bytes_ = std::move(out);
    return length_;
}

// ---- the codec ----

namespace {

constexpr int kNC = 511;     // main alphabet: literals, match lengths, the end symbol
constexpr int kNT = 19;      // code-length alphabet of the main table
constexpr int kNP = 32;      // distance classes a 5-bit count can announce
constexpr int kNPWrite = 11; // classes we write: distances up to 1024
constexpr int kMaxCodeLen = 16;
constexpr int kTBits = 5, kCBits = 9, kPBits = 5;
constexpr int kTSpecial = 3; // the skip field follows the third code-length entry
constexpr int kFastBits = 10;

[[noreturn]] void Bad(const std::string& what) {
    throw TReadError("the compressed data is damaged (" + what + ")");
}

// Distance class of a back-reference: 0 for distance 1, else the number of significant bits of
// distance - 1.
inline int DistanceClass(uint32_t distance) {
    uint32_t v = distance - 1;
    return v == 0 ? 0 : 32 - __builtin_clz(v);
}

// ---- bits ----

class TBitWriter {
public:
    explicit TBitWriter(std::vector<uint8_t>& out) : out_(out) {}

    // Appends the n low bits of value, most significant first (n <= 32).
    void Put(uint32_t value, int n) {
        acc_ = (acc_ << n) | value;
        bits_ += n;
        if (bits_ >= 32) {
            bits_ -= 32;
            uint32_t w = static_cast<uint32_t>(acc_ >> bits_);
            uint8_t b[4] = {static_cast<uint8_t>(w >> 24), static_cast<uint8_t>(w >> 16),
                            static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w)};
            out_.insert(out_.end(), b, b + 4);
        }
    }
    // Pads with zero bits to a whole byte and writes what is left.
    void Finish() {
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<uint8_t>(acc_ >> bits_));
        }
        if (bits_ > 0) out_.push_back(static_cast<uint8_t>(acc_ << (8 - bits_)));
        bits_ = 0;
        acc_ = 0;
    }

private:
    std::vector<uint8_t>& out_;
    uint64_t acc_ = 0;
    int bits_ = 0;
};

// Reads bits most significant first; past the end of the input it reads zero bits and counts
// them, so that a caller can tell a truncated stream from a complete one.
class TBitReader {
public:
    explicit TBitReader(std::span<const uint8_t> in)
        : p_(in.data()), end_(in.data() + in.size()), total_(static_cast<uint64_t>(in.size()) * 8) {}

    // At least 57 bits are available after this.
    void Refill() {
        if (cnt_ > 56) return;
        if (end_ - p_ >= 8) {
            uint64_t w;
            std::memcpy(&w, p_, 8);
            w = __builtin_bswap64(w);
            const int take = (64 - cnt_) >> 3; // whole bytes that fit
            buf_ |= (take == 8 ? w : (w >> (64 - 8 * take))) << (64 - cnt_ - 8 * take);
            p_ += take;
            cnt_ += 8 * take;
            return;
        }
        while (cnt_ <= 56) {
            uint64_t b = p_ < end_ ? *p_++ : 0;
            buf_ |= b << (56 - cnt_);
            cnt_ += 8;
        }
    }
    // The next n bits (n <= 32) without consuming them; needs Refill first.
    uint32_t Peek(int n) const { return n == 0 ? 0 : static_cast<uint32_t>(buf_ >> (64 - n)); }
    void Skip(int n) {
        buf_ <<= n;
        cnt_ -= n;
        used_ += static_cast<uint64_t>(n);
    }
    uint32_t Get(int n) {
        Refill();
        uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    bool Overrun() const { return used_ > total_; }
    uint64_t Used() const { return used_; }

private:
    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t buf_ = 0;
    int cnt_ = 0;
    uint64_t used_ = 0;
    uint64_t total_;
};

// ---- code lengths and canonical codes ----

// Code lengths (at most maxLen) for the symbols with nonzero frequency; unused symbols get 0.
// Returns the number of used symbols; with fewer than two, every length is 0 and the caller
// sends the alphabet in its constant form. Ties in frequency give the higher symbol the longer
// code, which reproduces the published example streams bit for bit.
int BuildLengths(const uint32_t* freq, int n, uint8_t* len, int maxLen = kMaxCodeLen) {
    std::array<uint16_t, kNC> syms;
    int m = 0;
    for (int s = 0; s < n; ++s) {
        len[s] = 0;
        if (freq[s]) syms[static_cast<size_t>(m++)] = static_cast<uint16_t>(s);
    }
    if (m < 2) return m;
    std::sort(syms.begin(), syms.begin() + m,
              [&](uint16_t a, uint16_t b) { return freq[a] != freq[b] ? freq[a] < freq[b] : a > b; });
    // Two-queue Huffman: leaves in ascending weight, internal nodes made in ascending weight.
    std::array<uint64_t, 2 * kNC> weight;
    std::array<uint16_t, 2 * kNC> parent;
    for (int i = 0; i < m; ++i)
        weight[static_cast<size_t>(i)] = freq[syms[static_cast<size_t>(i)]];
    int leaf = 0, node = m;
    auto take = [&](int k) {
        if (leaf < m && (node >= k || weight[static_cast<size_t>(leaf)] <= weight[static_cast<size_t>(node)]))
            return leaf++;
        return node++;
    };
    for (int k = m; k < 2 * m - 1; ++k) {
        int a = take(k), b = take(k);
        weight[static_cast<size_t>(k)] = weight[static_cast<size_t>(a)] + weight[static_cast<size_t>(b)];
        parent[static_cast<size_t>(a)] = parent[static_cast<size_t>(b)] = static_cast<uint16_t>(k);
    }
    std::array<uint8_t, 2 * kNC> depth;
    depth[static_cast<size_t>(2 * m - 2)] = 0;
    std::array<int, 64> count{};
    bool overflow = false;
    for (int k = 2 * m - 3; k >= 0; --k) {
        int d = depth[parent[static_cast<size_t>(k)]] + 1;
        depth[static_cast<size_t>(k)] = static_cast<uint8_t>(std::min(d, 63));
        if (k < m) {
            if (d > maxLen) overflow = true;
            ++count[static_cast<size_t>(std::min(d, maxLen))];
        }
    }
    if (overflow) {
        // Leaves deeper than maxLen were counted at maxLen, which makes the code over-full by
        // some units of 2^-maxLen. Each round removes one unit: a leaf at maxLen goes, and a
        // shallower leaf splits into two one level down.
        uint64_t kraft = 0;
        for (int l = 1; l <= maxLen; ++l)
            kraft += static_cast<uint64_t>(count[static_cast<size_t>(l)]) << (maxLen - l);
        while (kraft > (1ull << maxLen)) {
            --count[static_cast<size_t>(maxLen)];
            for (int l = maxLen - 1; l > 0; --l)
                if (count[static_cast<size_t>(l)]) {
                    --count[static_cast<size_t>(l)];
                    count[static_cast<size_t>(l + 1)] += 2;
                    break;
                }
            --kraft;
        }
    }
    // Rarest symbols get the longest codes.
    int at = 0;
    for (int l = maxLen; l >= 1; --l)
        for (int c = 0; c < count[static_cast<size_t>(l)]; ++c)
            len[syms[static_cast<size_t>(at++)]] = static_cast<uint8_t>(l);
    return m;
}

// Canonical codes: by increasing length, and by increasing symbol within a length.
void MakeCodes(const uint8_t* len, int n, uint16_t* code) {
    std::array<uint32_t, kMaxCodeLen + 2> count{}, next{};
    for (int s = 0; s < n; ++s)
        ++count[len[s]];
    count[0] = 0;
    uint32_t c = 0;
    for (int l = 1; l <= kMaxCodeLen; ++l) {
        c = (c + count[static_cast<size_t>(l - 1)]) << 1;
        next[static_cast<size_t>(l)] = c;
    }
    for (int s = 0; s < n; ++s)
        code[s] = len[s] ? static_cast<uint16_t>(next[len[s]]++) : 0;
}

// Decoding table of one alphabet for one block.
class TDecodeTable {
public:
    void SetConstant(uint16_t v) {
        constant_ = true;
        value_ = v;
    }
    // Builds the table from code lengths; false when they do not form a complete code.
    bool Build(const uint8_t* len, int n) {
        constant_ = false;
        std::array<uint32_t, kMaxCodeLen + 1> count{};
        for (int s = 0; s < n; ++s)
            ++count[len[s]];
        count[0] = 0;
        uint32_t kraft = 0;
        for (int l = 1; l <= kMaxCodeLen; ++l)
            kraft += count[static_cast<size_t>(l)] << (kMaxCodeLen - l);
        if (kraft != (1u << kMaxCodeLen)) return false;
        uint32_t code = 0, index = 0;
        for (int l = 1; l <= kMaxCodeLen; ++l) {
            code = (code + count[static_cast<size_t>(l - 1)]) << 1;
            first_[l] = code;
            firstIndex_[l] = index;
            count_[l] = count[static_cast<size_t>(l)];
            index += count[static_cast<size_t>(l)];
        }
        std::array<uint32_t, kMaxCodeLen + 1> fill = firstIndex_;
        for (int s = 0; s < n; ++s)
            if (len[s]) sorted_[fill[len[s]]++] = static_cast<uint16_t>(s);
        fast_.fill(0);
        for (int l = 1; l <= kFastBits; ++l)
            for (uint32_t k = 0; k < count_[l]; ++k) {
                uint32_t c = first_[l] + k, s = sorted_[firstIndex_[l] + k];
                uint32_t from = c << (kFastBits - l), span = 1u << (kFastBits - l);
                for (uint32_t j = 0; j < span; ++j)
                    fast_[from + j] = static_cast<uint16_t>(s << 5 | static_cast<uint32_t>(l));
            }
        return true;
    }
    uint32_t Decode(TBitReader& r) const {
        if (constant_) return value_;
        r.Refill();
        const uint32_t bits = r.Peek(kMaxCodeLen);
        const uint16_t e = fast_[bits >> (kMaxCodeLen - kFastBits)];
        if (e & 31) {
            r.Skip(e & 31);
            return e >> 5;
        }
        for (int l = kFastBits + 1; l <= kMaxCodeLen; ++l) {
            uint32_t c = bits >> (kMaxCodeLen - l);
            if (c >= first_[l] && c - first_[l] < count_[l]) {
                r.Skip(l);
                return sorted_[firstIndex_[l] + (c - first_[l])];
            }
        }
        Bad("a code that no table entry has"); // cannot happen with a complete code
    }

private:
    bool constant_ = false;
    uint16_t value_ = 0;
    std::array<uint16_t, 1 << kFastBits> fast_{};
    std::array<uint32_t, kMaxCodeLen + 1> first_{}, firstIndex_{}, count_{};
    std::array<uint16_t, kNC> sorted_{};
};

// ---- decoder ----

// A code-length table sent as numbers: the code-length alphabet (with its skip field) or the
// distance classes.
void ReadLengthTable(TBitReader& r, int nn, int nbit, int special, TDecodeTable& table, const char* name,
                     TArcStreamInfo* info) {
    const uint32_t n = r.Get(nbit);
    if (n == 0) {
        uint32_t v = r.Get(nbit);
        if (v >= static_cast<uint32_t>(nn)) Bad(std::string(name) + " table names a symbol out of range");
        table.SetConstant(static_cast<uint16_t>(v));
        return;
    }
    if (n > static_cast<uint32_t>(nn)) Bad(std::string(name) + " table has too many entries");
    if (info && special > 0 && (info->MinTCount == 0 || static_cast<int32_t>(n) < info->MinTCount))
        info->MinTCount = static_cast<int32_t>(n);
    std::array<uint8_t, kNP> len{};
    uint32_t i = 0;
    while (i < n) {
        r.Refill();
        uint32_t c = r.Peek(3);
        r.Skip(3);
        if (c == 7) {
            while (r.Get(1)) {
                if (++c > kMaxCodeLen) Bad(std::string(name) + " table has a code longer than 16 bits");
                if (r.Overrun()) Bad("it ends early");
            }
        }
        len[i++] = static_cast<uint8_t>(c);
        if (static_cast<int>(i) == special) {
            // Entries after the third that are zero and not sent; a skip past the count only
            // covers entries that are zero anyway.
            for (uint32_t s = r.Get(2); s > 0 && i < static_cast<uint32_t>(nn); --s)
                len[i++] = 0;
        }
    }
    if (r.Overrun()) Bad("it ends early");
    if (!table.Build(len.data(), nn)) Bad(std::string(name) + " table is not a complete code");
}

void ReadMainTable(TBitReader& r, const TDecodeTable& tTable, TDecodeTable& table) {
    const uint32_t n = r.Get(kCBits);
    if (n == 0) {
        uint32_t v = r.Get(kCBits);
        if (v >= kNC) Bad("the main table names a symbol out of range");
        table.SetConstant(static_cast<uint16_t>(v));
        return;
    }
    std::array<uint8_t, kNC> len{};
    uint32_t i = 0;
    while (i < n) {
        uint32_t c = tTable.Decode(r);
        if (c <= 2) {
            uint32_t run = c == 0 ? 1 : c == 1 ? r.Get(4) + 3 : r.Get(kCBits) + 20;
            if (run > n - i) Bad("a run of unused symbols passes the end of the main table");
            i += run; // already zero
        } else {
            len[i++] = static_cast<uint8_t>(c - 2);
        }
        if (r.Overrun()) Bad("it ends early");
    }
    if (!table.Build(len.data(), kNC)) Bad("the main table is not a complete code");
}

} // namespace

size_t ArcDecompressStream(std::span<const uint8_t> in, size_t limit, std::vector<uint8_t>& out,
                           TArcStreamInfo* info) {
    if (info) *info = TArcStreamInfo{};
    TBitReader r(in);
    TDecodeTable tTable, cTable, pTable;
    // The output grows as it is produced: a small damaged stream never makes a large allocation.
    out.clear();
    out.resize(std::min(limit, in.size() * 4 + 256));
    size_t used = 0;
    auto finish = [&](bool end) {
        out.resize(used);
        if (info) {
            info->EndSymbol = end;
            info->BitsUsed = static_cast<int64_t>(r.Used());
        }
        return used;
    };
    auto room = [&](size_t n) {
        if (used + n > out.size()) out.resize(std::min(limit, std::max(used + n, 2 * out.size())));
    };
    for (;;) {
        if (used == limit) return finish(false);
        const uint32_t tokens = r.Get(16);
        if (r.Overrun()) Bad("it ends before its end symbol");
        if (tokens == 0) Bad("a block with no tokens");
        ReadLengthTable(r, kNT, kTBits, kTSpecial, tTable, "the code-length", info);
        ReadMainTable(r, tTable, cTable);
        ReadLengthTable(r, kNP, kPBits, -1, pTable, "the distance", nullptr);
        if (info) {
            ++info->Blocks;
            info->Tokens += tokens;
        }
        for (uint32_t k = 0; k < tokens; ++k) {
            if (used == limit) return finish(false);
            const uint32_t sym = cTable.Decode(r);
            if (sym < 256) {
                room(1);
                out[used++] = static_cast<uint8_t>(sym);
            } else if (sym == ARC_END_SYMBOL) {
                if (r.Overrun()) Bad("it ends early");
                return finish(true);
            } else {
                const size_t length = sym - 253;
                const uint32_t cls = pTable.Decode(r);
                uint64_t distance = 1;
                if (cls == 1)
                    distance = 2;
                else if (cls >= 2)
                    distance = (1ull << (cls - 1)) + r.Get(static_cast<int>(cls - 1)) + 1;
                if (distance > used) Bad("a back-reference reaches before the start");
                if (length > limit - used) Bad("it holds more bytes than expected");
                room(length);
                uint8_t* dst = out.data() + used;
                const uint8_t* src = dst - distance;
                if (distance >= length) {
                    std::memcpy(dst, src, length);
                } else {
                    for (size_t j = 0; j < length; ++j)
                        dst[j] = src[j];
                }
                used += length;
                if (info) {
                    ++info->Matches;
                    info->MaxDistance = std::max(info->MaxDistance, static_cast<int32_t>(distance));
                }
            }
            if (r.Overrun()) Bad("it ends before its end symbol");
        }
    }
}

// ---- encoder ----

namespace {

constexpr int kHashBits = 14;
constexpr int kMaxChain = 16; // candidates tried per position
// Block size in eighths of a byte of token buffer: a literal costs 9, a match 25, as in the
// encoders whose files machines read; it gives blocks of about 2,600 to 7,300 tokens.
constexpr uint32_t kBlockBudget = 8192 * 8 - 64;

inline uint32_t Hash3(const uint8_t* p) {
    uint32_t v = static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

inline int MatchLength(const uint8_t* a, const uint8_t* b, int maxLen) {
    int n = 0;
    while (n + 8 <= maxLen) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (uint64_t d = x ^ y) return n + (__builtin_ctzll(d) >> 3);
        n += 8;
    }
    while (n < maxLen && a[n] == b[n])
        ++n;
    return n;
}

class TEncoder {
public:
    TEncoder(std::span<const uint8_t> in, std::vector<uint8_t>& out) : in_(in), bits_(out) {
        head_.fill(-1);
        syms_.reserve(8192);
        dists_.reserve(8192);
    }

    void Run() {
        const uint8_t* s = in_.data();
        const int64_t n = static_cast<int64_t>(in_.size());
        int64_t i = 0;
        while (i < n) {
            int bestLen = 0, bestDist = 0;
            if (i + ARC_MIN_MATCH <= n) {
                const uint32_t h = Hash3(s + i);
                const int maxLen = static_cast<int>(std::min<int64_t>(ARC_MAX_MATCH, n - i));
                int64_t cand = head_[h];
                for (int chain = kMaxChain; cand >= 0 && i - cand <= ARC_WINDOW && chain > 0; --chain) {
                    if (s[cand + bestLen] == s[i + bestLen]) {
                        int len = MatchLength(s + cand, s + i, maxLen);
                        if (len > bestLen) {
                            bestLen = len;
                            bestDist = static_cast<int>(i - cand);
                            if (len >= maxLen) break;
                        }
                    }
                    cand = prev_[static_cast<size_t>(cand & (ARC_WINDOW - 1))];
                }
                Insert(i, h);
            }
            if (bestLen >= ARC_MIN_MATCH) {
                Token(static_cast<uint16_t>(bestLen + 253), static_cast<uint16_t>(bestDist));
                const int64_t end = std::min(i + bestLen, n - ARC_MIN_MATCH + 1);
                for (int64_t j = i + 1; j < end; ++j)
                    Insert(j, Hash3(s + j));
                i += bestLen;
            } else {
                Token(s[i], 0);
                ++i;
            }
        }
        Token(ARC_END_SYMBOL, 0);
        Flush();
        bits_.Finish();
    }

private:
    void Insert(int64_t pos, uint32_t h) {
        prev_[static_cast<size_t>(pos & (ARC_WINDOW - 1))] = head_[h];
        head_[h] = static_cast<int32_t>(pos);
    }

    void Token(uint16_t sym, uint16_t dist) {
        syms_.push_back(sym);
        ++cFreq_[sym];
        if (sym >= 256 && sym != ARC_END_SYMBOL) {
            dists_.push_back(dist);
            ++pFreq_[DistanceClass(dist)];
            budget_ += 25;
        } else {
            budget_ += 9;
        }
        if (budget_ >= kBlockBudget && sym != ARC_END_SYMBOL) Flush();
    }

    // Code lengths sent as numbers (3 bits up to 6, else 111 and a unary tail), with the skip
    // field after the third entry when `special` is set.
    void WriteLengthTable(const uint8_t* len, int n, int nbit, bool special) {
        while (n > 0 && len[n - 1] == 0)
            --n;
        bits_.Put(static_cast<uint32_t>(n), nbit);
        int i = 0;
        while (i < n) {
            int k = len[i++];
            if (k <= 6)
                bits_.Put(static_cast<uint32_t>(k), 3);
            else
                bits_.Put((1u << (k - 3)) - 2, k - 3);
            if (special && i == kTSpecial) {
                while (i < 6 && len[i] == 0)
                    ++i;
                bits_.Put(static_cast<uint32_t>(i - kTSpecial), 2);
            }
        }
    }

    void Flush() {
        if (syms_.empty()) return;
        bits_.Put(static_cast<uint32_t>(syms_.size()), 16);
        std::array<uint8_t, kNC> cLen;
        std::array<uint16_t, kNC> cCode;
        const int usedC = BuildLengths(cFreq_.data(), kNC, cLen.data());
        if (usedC < 2) {
            // One symbol: every table in its constant form.
            bits_.Put(0, kTBits);
            bits_.Put(0, kTBits);
            bits_.Put(0, kCBits);
            bits_.Put(syms_[0], kCBits);
            cLen.fill(0);
        } else {
            WriteMainTable(cLen.data());
        }
        MakeCodes(cLen.data(), kNC, cCode.data());

        std::array<uint8_t, kNP> pLen{};
        std::array<uint16_t, kNP> pCode{};
        const int usedP = BuildLengths(pFreq_.data(), kNPWrite, pLen.data());
        if (usedP < 2) {
            int only = 0;
            while (only < kNPWrite && pFreq_[static_cast<size_t>(only)] == 0)
                ++only;
            bits_.Put(0, kPBits);
            bits_.Put(static_cast<uint32_t>(only == kNPWrite ? 0 : only), kPBits);
        } else {
            WriteLengthTable(pLen.data(), kNPWrite, kPBits, false);
        }
        MakeCodes(pLen.data(), kNPWrite, pCode.data());

        size_t d = 0;
        for (uint16_t sym : syms_) {
            bits_.Put(cCode[sym], cLen[sym]);
            if (sym >= 256 && sym != ARC_END_SYMBOL) {
                const uint32_t dist = dists_[d++];
                const int cls = DistanceClass(dist);
                bits_.Put(pCode[static_cast<size_t>(cls)], pLen[static_cast<size_t>(cls)]);
                if (cls >= 2) bits_.Put((dist - 1) - (1u << (cls - 1)), cls - 1);
            }
        }
        syms_.clear();
        dists_.clear();
        cFreq_.fill(0);
        pFreq_.fill(0);
        budget_ = 0;
    }

    // The main table's lengths as runs coded with the code-length alphabet, preceded by that
    // alphabet's own table.
    void WriteMainTable(const uint8_t* cLen) {
        int n = kNC;
        while (n > 0 && cLen[n - 1] == 0)
            --n;
        // Runs: (t-symbol, extra bits, extra width).
        struct TRun {
            uint8_t Sym, Width;
            uint16_t Extra;
        };
        std::array<TRun, 2 * kNC> runs;
        size_t nRuns = 0;
        std::array<uint32_t, kNT> tFreq{};
        auto add = [&](int sym, int extra, int width) {
            runs[nRuns++] = {static_cast<uint8_t>(sym), static_cast<uint8_t>(width),
                             static_cast<uint16_t>(extra)};
            ++tFreq[static_cast<size_t>(sym)];
        };
        for (int i = 0; i < n;) {
            int k = cLen[i++];
            if (k != 0) {
                add(k + 2, 0, 0);
                continue;
            }
            int count = 1;
            while (i < n && cLen[i] == 0) {
                ++i;
                ++count;
            }
            if (count <= 2) {
                for (int j = 0; j < count; ++j)
                    add(0, 0, 0);
            } else if (count <= 18) {
                add(1, count - 3, 4);
            } else if (count == 19) {
                add(0, 0, 0);
                add(1, 15, 4);
            } else {
                add(2, count - 20, kCBits);
            }
        }
        std::array<uint8_t, kNT> tLen;
        std::array<uint16_t, kNT> tCode;
        const int usedT = BuildLengths(tFreq.data(), kNT, tLen.data());
        if (usedT < 2) {
            int only = 0;
            while (tFreq[static_cast<size_t>(only)] == 0)
                ++only;
            bits_.Put(0, kTBits);
            bits_.Put(static_cast<uint32_t>(only), kTBits);
        } else {
            WriteLengthTable(tLen.data(), kNT, kTBits, true);
        }
        MakeCodes(tLen.data(), kNT, tCode.data());
        bits_.Put(static_cast<uint32_t>(n), kCBits);
        for (size_t r = 0; r < nRuns; ++r) {
            bits_.Put(tCode[runs[r].Sym], tLen[runs[r].Sym]);
            if (runs[r].Width) bits_.Put(runs[r].Extra, runs[r].Width);
        }
    }

    std::span<const uint8_t> in_;
    TBitWriter bits_;
    std::array<int32_t, 1 << kHashBits> head_;
    std::array<int32_t, ARC_WINDOW> prev_{};
    std::vector<uint16_t> syms_, dists_;
    std::array<uint32_t, kNC> cFreq_{};
    std::array<uint32_t, kNP> pFreq_{};
    uint32_t budget_ = 0;
};

} // namespace

int ArcCodeLengths(std::span<const uint32_t> freq, std::span<uint8_t> len) {
    if (freq.size() > static_cast<size_t>(kNC) || len.size() < freq.size())
        throw TError("an alphabet of more than 511 symbols");
    return BuildLengths(freq.data(), static_cast<int>(freq.size()), len.data());
}

size_t ArcCompressStream(std::span<const uint8_t> in, std::vector<uint8_t>& out) {
    const size_t before = out.size();
    if (in.size() > static_cast<size_t>(INT32_MAX)) throw TError("the data is too large to compress");
    auto encoder = std::make_unique<TEncoder>(in, out);
    encoder->Run();
    return out.size() - before;
}

} // namespace nl
