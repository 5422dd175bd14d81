// Helpers shared by the format tests: direct stitch objects built from coordinate lists, and a
// temporary folder that cleans up after itself.
#pragma once
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../core/TempDir.h"
#include "core/Colour.h"
#include "core/Errors.h"
#include "formats/ColorTable.h"
#include "formats/Formats.h"
#include "stitching/SLStitch.h"

namespace nl::test {

struct TPt {
    float X, Y;
    int32_t Colour = NO_COLOUR; // set: the point starts a colour block
};

inline std::unique_ptr<TSLStitch> Direct(std::initializer_list<TPt> pts) {
    auto o = std::make_unique<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    for (const TPt& p : pts) {
        if (p.Colour != NO_COLOUR)
            o->Append(TSP::Colour(0, p.X, p.Y, p.Colour));
        else
            o->Append(TSP::Plain(0, p.X, p.Y));
    }
    return o;
}

// The Tajima row of the format table.
inline const TFormat& Dst() {
    return *FormatOfExtension("dst");
}

inline std::filesystem::path DataDir() {
    return std::filesystem::path(NL_SOURCE_DIR) / "data";
}
inline std::filesystem::path Fixture(const std::string& name) {
    return std::filesystem::path(NL_FIXTURES_DIR) / name;
}

// The design the round-trip tests write and read back: two objects on one thread, a colour change
// inside an object, an empty object (skipped), and a last object far off at (farX, farY), reached
// by a long travel, ending with a long stitch back when `longBack`.
struct TMixedDesign {
    std::vector<std::unique_ptr<TSLStitch>> Objects;
    std::vector<TSLStitch*> Order;
    std::vector<const TSLStitch*> Originals;

    void Add(std::unique_ptr<TSLStitch> o) {
        Order.push_back(o.get());
        Originals.push_back(o.get());
        Objects.push_back(std::move(o));
    }
};
inline TMixedDesign MixedDesign(float farX, float farY, bool longBack = true) {
    TMixedDesign d;
    d.Add(Direct({{100, 100, 0x123456}, {140, 120}, {900, 130}, {910, -700}}));
    d.Add(Direct({{-300, 50, 0x123456}, {-310, 60}})); // same thread
    d.Add(Direct({{-300, 400, 0x00FF00}, {-200, 420}, {-150, 410, 0xABCDEF}, {0, 0}}));
    d.Add(std::make_unique<TSLStitch>()); // empty: skipped
    if (longBack)
        d.Add(Direct({{farX, farY, 0x654321}, {farX + 2, farY}, {-3000, -2000}}));
    else
        d.Add(Direct({{farX, farY, 0x654321}, {farX + 2, farY}}));
    return d;
}

// Expects `write` to be refused with a TError whose message holds `says`; `written` is the
// failure reported when it was not refused.
template <class F> void ExpectRefused(F&& write, const std::string& says, const char* written) {
    try {
        write();
        ADD_FAILURE() << written;
    } catch (const TError& e) {
        EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
    }
}

// A colour table's bytes with this magic number and size, for the reader's refusals.
inline std::vector<uint8_t> TableBytes(int32_t magic, int32_t rows, int32_t cols,
                                       size_t size = COLOR_TABLE_SIZE) {
    TColorTable t;
    t.Rows = rows;
    t.Cols = cols;
    auto b = SerializeColorTable(t);
    std::memcpy(b.data(), &magic, 4);
    b.resize(size);
    return b;
}

// The points of an object: positions and the colour of block starts.
struct TPointView {
    float X, Y;
    int32_t Colour;
    bool operator==(const TPointView&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const TPointView& p) {
    return os << "(" << p.X << ", " << p.Y << ", " << std::hex << p.Colour << std::dec << ")";
}
inline std::vector<TPointView> Points(const TSLStitch& o) {
    std::vector<TPointView> v;
    for (const TSP& p : o)
        v.push_back({p.X, p.Y, p.GetColour()});
    return v;
}

} // namespace nl::test
