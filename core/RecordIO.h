// The field lists of the records: each record is one function that names its fields in file
// order, once, and serves writing and reading, the worksheet file and the object stream.
//
//     template <class IO, class Self> void Fields(IO& io, Self& s) {
//         io.Field(s.Flags, s.GroupId);            // written or read in this order
//         io.Since(kVersionStitchLimits, s.StitchLimits, DEFAULT_STITCH_LIMITS);
//         io.Rect(s.Bounds);                       // relative to the origin in a stream
//         io.Part(s.Feather, [&](auto& f) { f.Record(io); }); // presence byte, then the part
//         if constexpr (IO::Reading) s.Flags &= ~TRANSIENT_BITS;       // what only loading does
//     }
//
// Called with a TRecordWriter and a const object, it writes the record; with a TRecordReader and
// the object to fill, it reads the same record back. Both carry the form (worksheet file or
// object stream) and the context (file version, stream origin): positions and rectangles are
// made relative to the origin in streams, versioned fields are present in streams and in files of
// their version on, and where the two forms differ otherwise the list says so with io.Stream().
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "core/FileVersion.h"
#include "core/KvRect.h"
#include "core/ObList.h"

namespace nl {

class TSLCurve;

// What a record needs beyond the bytes: the stream origin and the file version.
struct TRecordContext {
    int32_t OriginX = 0; // StreamOrigin
    int32_t OriginY = 0;
    int32_t Version = kVersionCurrent;
    // For region nodes: the list index of the node's outline (its Mark) when writing.
    int32_t (*OutlineMarkOf)(const TSLCurve*) = nullptr;
    // Nesting of object records inside object records (pattern copies hold objects); readers
    // refuse input nested deeper than a sane limit instead of recursing without bound.
    int32_t Depth = 0;
};

// Deepest nesting of object records inside pattern copies that a reader accepts.
constexpr int32_t MAX_RECORD_DEPTH = 4;

enum class TRecordForm : uint8_t { Worksheet, Stream };

// What both directions share: the form and the context.
class TRecordIO {
public:
    TRecordIO(const TRecordContext& ctx, TRecordForm form) : ctx_(ctx), form_(form) {}
    const TRecordContext& Context() const { return ctx_; }
    bool Stream() const { return form_ == TRecordForm::Stream; }
    // The field is in this record: always in a stream, in a worksheet file from `since` on.
    bool Has(int32_t since) const { return Stream() || ctx_.Version >= since; }

protected:
    TRecordContext ctx_;
    TRecordForm form_;
};

class TRecordWriter : public TRecordIO {
public:
    static constexpr bool Reading = false;

    TRecordWriter(TByteWriter& w, const TRecordContext& ctx, TRecordForm form)
        : TRecordIO(ctx, form), w_(w) {}

    // Fields in file order; the width is the field's type (int32_t, uint32_t, float, double, bool,
    // uint8_t, or an array of them).
    template <class... T> void Field(const T&... v) { (Put(v), ...); }
    // A field that files have from `version` on (readers of older files take `absent`).
    template <class T> void Since(int32_t version, const T& v, const T& absent) {
        (void)absent;
        if (Has(version)) Put(v);
    }
    // Positions: as they are in a worksheet file, relative to the origin in a stream.
    template <class T> void X(const T& v) { Coordinate(v, ctx_.OriginX); }
    template <class T> void Y(const T& v) { Coordinate(v, ctx_.OriginY); }
    void Rect(const TKvRect& r) {
        if (Stream())
            r.WriteRelative(w_, ctx_.OriginX, ctx_.OriginY);
        else
            r.WriteTo(w_);
    }
    // A field writers store as zero and readers skip.
    template <class T> void Unused() { Put(T{}); }
    // A block of bytes after its int32 length (a picture's data, say).
    void Block(const std::vector<uint8_t>& bytes, const char* what) {
        (void)what;
        w_.I32(static_cast<int32_t>(bytes.size()));
        w_.Bytes(bytes.data(), bytes.size());
    }
    // A count of items that follow (for lists that read their items themselves).
    void Count(int32_t n, size_t minItemSize, const char* what) {
        (void)minItemSize, (void)what;
        w_.I32(n);
    }
    // A count, then that many items, each through `item`.
    template <class T, class F>
    void Items(const std::vector<T>& list, size_t minItemSize, const char* what, F&& item) {
        (void)minItemSize, (void)what;
        w_.I32(static_cast<int32_t>(list.size()));
        for (const T& x : list)
            item(x);
    }
    template <class T, class F>
    void Items(const TObList<T>& list, size_t minItemSize, const char* what, F&& item) {
        (void)minItemSize, (void)what;
        w_.I32(list.Count());
        for (const auto& x : list)
            item(std::as_const(*x));
    }

    // Presence bytes: 1 or 0 (a flag), or a marker byte of its own or 0.
    bool Flag(bool present) {
        w_.Bool(present);
        return present;
    }
    bool Marker(bool present, uint8_t marker, const char* what) {
        (void)what;
        w_.U8(present ? marker : 0);
        return present;
    }
    // A flag in a worksheet file, a marker byte of its own in a stream.
    bool Present(bool present, uint8_t streamMarker, const char* what) {
        return Stream() ? Marker(present, streamMarker, what) : Flag(present);
    }
    // An optional part (owned pointer or std::optional) whose presence is known: its fields follow.
    template <class P, class F> void Owned(const P& part, bool present, F&& body) {
        if (present) body(*part);
    }
    // An optional part announced by a flag byte.
    template <class P, class F> void Part(const P& part, F&& body) { Owned(part, Flag(bool(part)), body); }
    // A nested object record: its kind byte, then its record in this form. (Readers take a
    // function that makes the object of a kind; writers have the object.)
    template <class O> void Object(const O& object) {
        w_.U8(object.Kind());
        object.Record(*this);
    }
    template <class P, class MakeOfKind> void Object(const P& object, MakeOfKind&&) { Object(*object); }
    // The same record one level deeper (objects inside a pattern), at origin 0 when asked.
    TRecordWriter Nested(bool atZeroOrigin) const {
        TRecordWriter inner = *this;
        inner.ctx_.Depth = ctx_.Depth + 1;
        if (atZeroOrigin) inner.ctx_.OriginX = inner.ctx_.OriginY = 0;
        return inner;
    }

private:
    void Put(const uint8_t& v) { w_.U8(v); }
    void Put(const bool& v) { w_.Bool(v); }
    void Put(const int32_t& v) { w_.I32(v); }
    void Put(const uint32_t& v) { w_.U32(v); }
    void Put(const float& v) { w_.F32(v); }
    void Put(const double& v) { w_.F64(v); }
    // A string record: int32 length, then one byte per character.
    void Put(const std::string& v) { w_.String(v); }
    template <class T, size_t N> void Put(const T (&a)[N]) {
        for (const T& v : a)
            Put(v);
    }
    template <class T, size_t N> void Put(const std::array<T, N>& a) {
        for (const T& v : a)
            Put(v);
    }
    void Coordinate(float v, int32_t origin) {
        w_.F32(Stream() ? static_cast<float>(static_cast<double>(v) - origin) : v);
    }
    void Coordinate(double v, int32_t origin) { w_.F64(Stream() ? v - origin : v); }

    TByteWriter& w_;
};

class TRecordReader : public TRecordIO {
public:
    static constexpr bool Reading = true;

    TRecordReader(TByteReader& r, const TRecordContext& ctx, TRecordForm form)
        : TRecordIO(ctx, form), r_(r) {}

    template <class... T> void Field(T&... v) { (Get(v), ...); }
    template <class T> void Since(int32_t version, T& v, const T& absent) {
        if (Has(version))
            Get(v);
        else
            v = absent;
    }
    template <class T, size_t N> void Since(int32_t version, T (&v)[N], const T (&absent)[N]) {
        for (size_t i = 0; i < N; ++i)
            Since(version, v[i], absent[i]);
    }
    template <class T> void X(T& v) { Coordinate(v, ctx_.OriginX); }
    template <class T> void Y(T& v) { Coordinate(v, ctx_.OriginY); }
    void Rect(TKvRect& r) {
        if (Stream())
            r.ReadRelative(r_, ctx_.OriginX, ctx_.OriginY);
        else
            r.ReadFrom(r_);
    }
    template <class T> void Unused() { r_.Skip(sizeof(T)); }
    // The length is checked against the bytes left before the block is allocated.
    void Block(std::vector<uint8_t>& bytes, const char* what) {
        int32_t n = r_.Count(1, what);
        auto s = r_.Span(static_cast<size_t>(n));
        bytes.assign(s.begin(), s.end());
    }
    // Reads a count and checks that `n` items of at least `minItemSize` bytes can still follow,
    // before the caller allocates anything for them.
    void Count(int32_t& n, size_t minItemSize, const char* what) { n = r_.Count(minItemSize, what); }
    // The count is checked against the bytes left (items of at least `minItemSize` bytes) before
    // anything is allocated; the list is then replaced by that many items, each read in place.
    template <class T, class F>
    void Items(std::vector<T>& list, size_t minItemSize, const char* what, F&& item) {
        int32_t n = r_.Count(minItemSize, what);
        list.clear();
        list.reserve(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i)
            item(list.emplace_back());
    }
    template <class T, class F> void Items(TObList<T>& list, size_t minItemSize, const char* what, F&& item) {
        int32_t n = r_.Count(minItemSize, what);
        list.Clear();
        for (int32_t i = 0; i < n; ++i)
            item(*list.AddNew());
        list.SetCurrent(nullptr);
    }

    // The next byte, left for the field list to read (a kind byte that its record repeats).
    uint8_t PeekByte() {
        size_t at = r_.Pos();
        uint8_t b = r_.U8();
        r_.Seek(at);
        return b;
    }
    size_t Remaining() const { return r_.Remaining(); }

    bool Flag(bool) { return r_.Bool(); }
    bool Marker(bool, uint8_t marker, const char* what) {
        uint8_t m = r_.U8();
        if (m != 0 && m != marker) throw TReadError(what);
        return m != 0;
    }
    bool Present(bool present, uint8_t streamMarker, const char* what) {
        return Stream() ? Marker(present, streamMarker, what) : Flag(present);
    }
    // The part is replaced: made afresh and read when present, gone when absent.
    template <class P, class F> void Owned(P& part, bool present, F&& body) {
        part.reset();
        if (!present) return;
        Make(part);
        body(*part);
    }
    template <class P, class F> void Part(P& part, F&& body) { Owned(part, Flag(false), body); }
    // A nested object record: the kind byte picks the class through `make` (which refuses the kinds
    // that do not belong here, or gives null where a kind ends a list), then the object reads its
    // record in this form.
    template <class P, class MakeOfKind> void Object(P& object, MakeOfKind&& make) {
        object = make(r_.U8());
        if (object) object->Record(*this);
    }
    TRecordReader Nested(bool atZeroOrigin) const {
        if (ctx_.Depth >= MAX_RECORD_DEPTH) throw TReadError("stitch patterns nested too deeply");
        TRecordReader inner = *this;
        inner.ctx_.Depth = ctx_.Depth + 1;
        if (atZeroOrigin) inner.ctx_.OriginX = inner.ctx_.OriginY = 0;
        return inner;
    }

private:
    void Get(uint8_t& v) { v = r_.U8(); }
    void Get(bool& v) { v = r_.Bool(); }
    void Get(int32_t& v) { v = r_.I32(); }
    void Get(uint32_t& v) { v = r_.U32(); }
    void Get(float& v) { v = r_.F32(); }
    void Get(double& v) { v = r_.F64(); }
    // The length is checked against the bytes left (TByteReader::String).
    void Get(std::string& v) { v = r_.String(r_.Remaining()); }
    template <class T, size_t N> void Get(T (&a)[N]) {
        for (T& v : a)
            Get(v);
    }
    template <class T, size_t N> void Get(std::array<T, N>& a) {
        for (T& v : a)
            Get(v);
    }
    void Coordinate(float& v, int32_t origin) {
        v = Stream() ? static_cast<float>(r_.F32() + static_cast<double>(origin)) : r_.F32();
    }
    void Coordinate(double& v, int32_t origin) { v = Stream() ? r_.F64() + origin : r_.F64(); }
    template <class T> static void Make(std::unique_ptr<T>& p) { p = std::make_unique<T>(); }
    template <class T> static void Make(std::optional<T>& p) { p.emplace(); }

    TByteReader& r_;
};

} // namespace nl
