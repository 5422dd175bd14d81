// Helpers of the tests of the record formats (XXX, DAT, 10O, KSM): writing objects as one design,
// reading bytes back, hand-built records, and needle positions to compare designs by.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <vector>

#include "FormatTestUtil.h"
#include "formats/ExportWalk.h"
#include "formats/Import.h"

namespace nl::test {

// Writes the objects as one design, in order, with the writer of the row of `extension`.
inline std::vector<uint8_t> WriteAs(const char* extension,
                                    const std::vector<std::unique_ptr<TSLStitch>>& objects,
                                    std::vector<int32_t>* colours = nullptr) {
    std::vector<TSLStitch*> order;
    for (auto& o : objects)
        order.push_back(o.get());
    TExportPlan plan(order);
    TExportState st;
    auto bytes = FormatOfExtension(extension)->Write(plan, st);
    if (colours) *colours = st.Colours;
    return bytes;
}

inline std::unique_ptr<TSLStitch> ReadAs(const char* extension, std::span<const uint8_t> bytes,
                                         TImportColours colours = {}) {
    return DecodeStitchFile(bytes, *FormatOfExtension(extension), colours, 0, 0);
}

// Bytes of a file put together from pieces.
inline std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A needle position in machine units (y downward) with the colour where a thread starts.
struct TNeedle {
    int32_t X, Y;
    int32_t Colour; // NO_COLOUR: the thread goes on
    bool operator==(const TNeedle&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const TNeedle& n) {
    os << "(" << n.X << ", " << n.Y;
    if (n.Colour != NO_COLOUR) os << ", colour " << std::hex << n.Colour << std::dec;
    return os << ")";
}

// The needle positions (machine units, as export rounds them) of objects sewn one after the other,
// consecutive repeats folded, with the colour of each new thread; relative to the first point when
// `relative`.
inline std::vector<TNeedle> Needles(const std::vector<const TSLStitch*>& objects, bool relative = true) {
    std::vector<TNeedle> out;
    int32_t thread = NO_COLOUR;
    for (const TSLStitch* o : objects)
        for (const TSP& p : *o) {
            int32_t c = NO_COLOUR;
            if (p.IsColourPoint() && p.ColourOrLink != thread) c = thread = p.ColourOrLink;
            const TNeedle n{MachineUnits(p.X), MachineUnits(p.Y), c};
            if (!out.empty() && out.back().X == n.X && out.back().Y == n.Y) {
                if (c != NO_COLOUR) out.back().Colour = c;
                continue;
            }
            out.push_back(n);
        }
    if (relative)
        for (size_t i = out.size(); i-- > 0;) {
            out[i].X -= out[0].X;
            out[i].Y -= out[0].Y;
        }
    return out;
}
inline std::vector<TNeedle> Needles(const TSLStitch& o, bool relative = true) {
    return Needles(std::vector<const TSLStitch*>{&o}, relative);
}

// Checks that a design read from another program's file sews the needle positions of the same
// design read from its DST twin (positions from the file's start): all of them in order but at
// most `missing` (stitches a writer leaves out at the start and at a colour change), with the
// colours changing at the same needle give or take `slack` needles (where the connecting move
// starts, where it ends, or the first stitch after it).
inline void ExpectSameDesignAsDst(const std::vector<TNeedle>& got, const std::vector<TNeedle>& dst,
                                  size_t missing, const char* what, long slack = 1) {
    size_t j = 0, skipped = 0;
    std::vector<size_t> changes, dstChanges;
    for (size_t i = 0; i < dst.size(); ++i) {
        if (dst[i].Colour != NO_COLOUR) dstChanges.push_back(i);
        if (j < got.size() && got[j].X == dst[i].X && got[j].Y == dst[i].Y) {
            if (got[j].Colour != NO_COLOUR) changes.push_back(i);
            ++j;
        } else {
            ++skipped;
        }
    }
    EXPECT_EQ(j, got.size()) << what << ": a needle position the DST file does not have, at " << j;
    EXPECT_LE(skipped, missing) << what;
    ASSERT_EQ(changes.size(), dstChanges.size()) << what;
    for (size_t k = 0; k < changes.size(); ++k)
        EXPECT_LE(std::abs(static_cast<long>(changes[k]) - static_cast<long>(dstChanges[k])), slack) << what;
}

} // namespace nl::test
