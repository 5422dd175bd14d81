// Finding threads by colour: the viewer's Best Match inside one catalog, and the nearest threads
// across several catalogs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "threads/Catalog.h"

namespace nl {

// How far apart two colours are: the sum of the red, green and blue differences (0 .. 765).
int32_t ColourDistance(int32_t a, int32_t b);

// Best Match: the display position (0-based, in the given sort) of the thread nearest to the
// preset colour; of equally near threads the one shown first. -1 when there is no preset colour
// (NO_COLOUR) or no thread.
int32_t BestMatch(const TCatData& catalog, TThreadSort sort, int32_t preset);

struct TThreadMatch {
    const TCatData* Catalog = nullptr;
    size_t Entry = 0; // index into Catalog->Entries
    int32_t Distance = 0;
    const TCD& Thread() const { return Catalog->Entries[Entry]; }
};

// The `count` threads nearest to a colour over the catalogs, nearest first; ties keep catalog
// order, then file order. Empty for NO_COLOUR.
std::vector<TThreadMatch> NearestThreads(std::span<const TCatData> catalogs, int32_t colour, size_t count);

} // namespace nl
