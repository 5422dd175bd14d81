// Fuzz target for every stitch generator against its invariants: running outlines, satin and
// zigzag outlines, curved columns, region fills (with and without "Prog Stitch" patterns) and
// chains of linked outlines built from the fuzzer's bytes, always within the ranges their
// property pages accept. A point outside the object's reach, a stitch longer
// than the limits allow, a regeneration that differs or a satin stitch off the perpendicular
// aborts with a description of the object.
#include <cstdio>
#include <cstdlib>

#include "tests/stitching/GeneratorProperties.h"

using namespace nl;
using namespace nl::props;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const TKind kinds[] = {TKind::Running, TKind::SatinOutline, TKind::Column, TKind::Region, TKind::Linked};
    TByteDraw draw(data + 1, size - 1);
    TGenCase g = MakeCase(draw, kinds[data[0] % 5]);
    TResult r = Check(g);
    if (!r.Faults.empty()) {
        for (const std::string& f : r.Faults)
            std::fprintf(stderr, "%s\n", f.c_str());
        std::abort();
    }
    return 0;
}
