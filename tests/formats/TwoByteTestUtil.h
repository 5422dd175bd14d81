// Helpers of the EXP and JEF tests: the two-byte records of a file decoded by hand (not by the
// code under test), designs written in one call, and needle positions for comparing designs.
#pragma once
#include <memory>
#include <ostream>
#include <span>
#include <vector>

#include "FormatTestUtil.h"
#include "NeedleView.h"
#include "formats/Export.h"
#include "formats/Import.h"

namespace nl::test {

// One record: 'S' stitch, or the command byte after 0x80 with its displacement (none for 0x10).
struct TRec {
    int Code;   // 'S', or 0x01, 0x02, 0x04, 0x10, 0x80
    int Dx, Dy; // dy positive up
    bool operator==(const TRec&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const TRec& r) {
    if (r.Code == 'S') return os << "S(" << r.Dx << ", " << r.Dy << ")";
    return os << "80 " << std::hex << r.Code << std::dec << "(" << r.Dx << ", " << r.Dy << ")";
}
inline TRec S(int dx, int dy) {
    return {'S', dx, dy};
}

inline std::vector<TRec> Records(std::span<const uint8_t> b, size_t from = 0) {
    std::vector<TRec> out;
    for (size_t at = from; at + 2 <= b.size();) {
        if (b[at] != 0x80) {
            out.push_back({'S', static_cast<int8_t>(b[at]), static_cast<int8_t>(b[at + 1])});
            at += 2;
        } else if (b[at + 1] == 0x10) {
            out.push_back({0x10, 0, 0});
            at += 2;
        } else {
            if (at + 4 > b.size()) break;
            out.push_back({b[at + 1], static_cast<int8_t>(b[at + 2]), static_cast<int8_t>(b[at + 3])});
            at += 4;
        }
    }
    return out;
}

inline TExportPlan PlanOf(std::vector<std::unique_ptr<TSLStitch>>& objects) {
    std::vector<TSLStitch*> order;
    for (auto& o : objects)
        order.push_back(o.get());
    return TExportPlan(order);
}

} // namespace nl::test
