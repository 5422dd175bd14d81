// Fuzzes the thread catalog reader: header and whole file, then what the viewer does with a
// catalog that was accepted (display orders, Best Match) and a write-and-read-back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/Errors.h"
#include "threads/Catalog.h"
#include "threads/ThreadMatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    std::span<const uint8_t> bytes(data, size);
    try {
        TCatData header;
        ParseCatalog(bytes, header, true);
    } catch (const TReadError&) {
    }
    TCatData c;
    try {
        if (!ParseCatalog(bytes, c)) return 0;
    } catch (const TReadError&) {
        return 0;
    }
    // Accepted orders are permutations: every display position shows an entry.
    for (TThreadSort sort : {TThreadSort::Number, TThreadSort::Name, TThreadSort::Colour}) {
        if (!IsOrderValid(c, sort)) std::abort();
        for (size_t i = 0; i < c.Entries.size(); ++i)
            (void)EntryAt(c, sort, i);
        int32_t at = BestMatch(c, sort, c.Entries.empty() ? 0 : c.Entries.back().Colour);
        if (!c.Entries.empty() && (at < 0 || static_cast<size_t>(at) >= c.Entries.size())) std::abort();
    }
    TCatData back;
    auto again = EncodeCatalog(c);
    if (!ParseCatalog(again, back) || back.Entries.size() != c.Entries.size()) std::abort();
    ComputeOrders(back);
    return 0;
}
