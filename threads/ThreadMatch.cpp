#include "threads/ThreadMatch.h"

#include <algorithm>
#include <cstdlib>

#include "core/Colour.h"

namespace nl {

int32_t ColourDistance(int32_t a, int32_t b) {
    return std::abs(ColourR(a) - ColourR(b)) + std::abs(ColourG(a) - ColourG(b)) +
           std::abs(ColourB(a) - ColourB(b));
}

int32_t BestMatch(const TCatData& catalog, TThreadSort sort, int32_t preset) {
    if (preset == NO_COLOUR) return -1;
    int32_t best = -1;
    int32_t bound = 9999;
    for (size_t i = 0; i < catalog.Entries.size(); ++i) {
        int32_t d = ColourDistance(preset, EntryAt(catalog, sort, i).Colour);
        // A later thread must be strictly nearer to win: ties go to the one shown first.
        if (d < bound) {
            bound = d;
            best = static_cast<int32_t>(i);
            if (d == 0) break;
        }
    }
    return best;
}

std::vector<TThreadMatch> NearestThreads(std::span<const TCatData> catalogs, int32_t colour, size_t count) {
    std::vector<TThreadMatch> all;
    if (colour == NO_COLOUR || count == 0) return all;
    size_t total = 0;
    for (const TCatData& c : catalogs)
        total += c.Entries.size();
    all.reserve(total);
    for (const TCatData& c : catalogs)
        for (size_t i = 0; i < c.Entries.size(); ++i)
            all.push_back({&c, i, ColourDistance(colour, c.Entries[i].Colour)});
    // Nearest first; equal distances in catalog order, then file order (the order they were
    // gathered in), so only the first `count` need sorting.
    auto nearer = [](const TThreadMatch& a, const TThreadMatch& b) {
        if (a.Distance != b.Distance) return a.Distance < b.Distance;
        if (a.Catalog != b.Catalog) return a.Catalog < b.Catalog;
        return a.Entry < b.Entry;
    };
    count = std::min(count, all.size());
    std::partial_sort(all.begin(), all.begin() + static_cast<ptrdiff_t>(count), all.end(), nearer);
    all.resize(count);
    return all;
}

} // namespace nl
