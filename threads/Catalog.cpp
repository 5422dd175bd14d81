#include "threads/Catalog.h"

#include <algorithm>
#include <numeric>

#include "core/BinaryIO.h"
#include "core/Colour.h"
#include "core/Errors.h"
#include "core/FileIO.h"

namespace nl {

namespace {

int32_t& Field(TCD& e, TThreadSort sort) {
    switch (sort) {
    case TThreadSort::Colour:
        return e.ColourOrder;
    case TThreadSort::Name:
        return e.NameOrder;
    default:
        return e.NumberOrder;
    }
}

std::vector<int32_t> Identity(size_t n) {
    std::vector<int32_t> p(n);
    std::iota(p.begin(), p.end(), 0);
    return p;
}

void Store(TCatData& c, TThreadSort sort, const std::vector<int32_t>& perm) {
    for (size_t i = 0; i < perm.size(); ++i)
        Field(c.Entries[i], sort) = perm[i];
}

// The first word of a description for grouping by name: leading blanks skipped, up to the first
// blank or comma, upper case. A tab is no blank here: it is part of the word, as in the name order
// the catalog files store (and other programs show as stored), so a catalog written again keeps
// the order it came with.
std::string FirstWord(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    std::string w;
    for (; i < s.size() && s[i] != ' ' && s[i] != ','; ++i) {
        char ch = s[i];
        w += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    }
    return w;
}

// Lighter threads first; equal lightness keeps the order it had.
void SortByLightness(const TCatData& c, std::vector<int32_t>::iterator from,
                     std::vector<int32_t>::iterator to) {
    std::stable_sort(from, to, [&](int32_t a, int32_t b) {
        return Lightness(c.Entries[static_cast<size_t>(a)].Colour) >
               Lightness(c.Entries[static_cast<size_t>(b)].Colour);
    });
}

} // namespace

int32_t Lightness(int32_t colour) {
    const int r = ColourR(colour), g = ColourG(colour), b = ColourB(colour);
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    // round((mx + mn) / 2 / 255 * 240) = round((mx + mn) * 8 / 17); the quotient is never a half,
    // so the integer form rounds exactly as the real one does.
    return ((mx + mn) * 16 + 17) / 34;
}

int32_t OrderField(const TCD& entry, TThreadSort sort) {
    return Field(const_cast<TCD&>(entry), sort);
}

void ComputeNumberOrder(TCatData& c) {
    auto p = Identity(c.Entries.size());
    std::stable_sort(p.begin(), p.end(), [&](int32_t a, int32_t b) {
        return c.Entries[static_cast<size_t>(a)].CatalogNumber <
               c.Entries[static_cast<size_t>(b)].CatalogNumber;
    });
    Store(c, TThreadSort::Number, p);
}

void ComputeNameOrder(TCatData& c) {
    auto p = Identity(c.Entries.size());
    std::stable_sort(p.begin(), p.end(), [&](int32_t a, int32_t b) {
        return c.Entries[static_cast<size_t>(a)].Description < c.Entries[static_cast<size_t>(b)].Description;
    });
    // Threads named after the same colour word ("Blue", "Blue, Navy", "Blue Sky") sit together
    // from light to dark.
    for (size_t i = 0; i < p.size();) {
        const std::string word = FirstWord(c.Entries[static_cast<size_t>(p[i])].Description);
        size_t j = i + 1;
        while (j < p.size() && FirstWord(c.Entries[static_cast<size_t>(p[j])].Description) == word)
            ++j;
        if (j - i >= 2)
            SortByLightness(c, p.begin() + static_cast<ptrdiff_t>(i), p.begin() + static_cast<ptrdiff_t>(j));
        i = j;
    }
    Store(c, TThreadSort::Name, p);
}

void ComputeColourOrder(TCatData& c) {
    auto p = Identity(c.Entries.size());
    SortByLightness(c, p.begin(), p.end());
    Store(c, TThreadSort::Colour, p);
}

void ComputeOrders(TCatData& c) {
    ComputeNumberOrder(c);
    ComputeNameOrder(c);
    ComputeColourOrder(c);
}

bool IsOrderValid(const TCatData& c, TThreadSort sort) {
    const size_t n = c.Entries.size();
    std::vector<bool> seen(n, false);
    for (const TCD& e : c.Entries) {
        int32_t v = OrderField(e, sort);
        if (v < 0 || static_cast<size_t>(v) >= n || seen[static_cast<size_t>(v)]) return false;
        seen[static_cast<size_t>(v)] = true;
    }
    return true;
}

void RepairOrders(TCatData& c) {
    if (!IsOrderValid(c, TThreadSort::Number)) ComputeNumberOrder(c);
    if (!IsOrderValid(c, TThreadSort::Name)) ComputeNameOrder(c);
    if (!IsOrderValid(c, TThreadSort::Colour)) ComputeColourOrder(c);
}

const TCD& EntryAt(const TCatData& c, TThreadSort sort, size_t position) {
    int32_t i = OrderField(c.Entries.at(position), sort);
    // Orders are repaired on reading; an entry edited since keeps the list usable all the same.
    if (i < 0 || static_cast<size_t>(i) >= c.Entries.size()) return c.Entries[position];
    return c.Entries[static_cast<size_t>(i)];
}

TCatData NewCatalog(const std::string& manufacturer, const std::string& threadType) {
    TCatData c;
    c.Manufacturer = manufacturer;
    c.ThreadType = threadType;
    TCD e{.Colour = 255, .Description = "Thread Color Description Goes Here.", .CatalogNumber = "1"};
    c.Entries.push_back(e);
    c.EntryCount = 1;
    return c;
}

std::vector<uint8_t> EncodeCatalog(TCatData& c) {
    TByteWriter w;
    size_t text = 0;
    for (const TCD& e : c.Entries)
        text += e.Description.size() + e.CatalogNumber.size();
    w.Reserve(256 + c.Info.size() + c.Entries.size() * CATALOG_ENTRY_MIN_SIZE + text);
    w.I32(CATALOG_MAGIC);
    w.String(CATALOG_HEADER);
    w.String(c.Info);
    w.String(c.Manufacturer);
    w.String(c.ThreadType);
    w.I32(c.ListPosition);
    w.Bool(c.Enabled);
    w.I32(static_cast<int32_t>(c.Entries.size()));
    for (size_t i = 0; i < c.Entries.size(); ++i) {
        TCD& e = c.Entries[i];
        e.EntryIndex = static_cast<int32_t>(i);
        w.I32(e.Colour);
        w.I32(e.ColourOrder);
        w.I32(e.NameOrder);
        w.I32(e.NumberOrder);
        w.I32(e.EntryIndex);
        w.I32(e.Reserved);
        w.String(e.Description);
        w.String(e.CatalogNumber);
    }
    c.EntryCount = static_cast<int32_t>(c.Entries.size());
    return w.Take();
}

bool ParseCatalog(std::span<const uint8_t> bytes, TCatData& out, bool headerOnly) {
    TByteReader r(bytes);
    if (bytes.size() < 4 || r.I32() != CATALOG_MAGIC) return false;
    TCatData c;
    c.Path = out.Path;
    r.String(); // the header text is not examined: only the magic identifies a catalog
    c.Info = r.String();
    c.Manufacturer = r.String();
    c.ThreadType = r.String();
    c.ListPosition = r.I32();
    c.Enabled = r.Bool();
    c.EntryCount = r.Count(CATALOG_ENTRY_MIN_SIZE, "thread entry count");
    if (!headerOnly) {
        c.Entries.reserve(static_cast<size_t>(c.EntryCount));
        for (int32_t i = 0; i < c.EntryCount; ++i) {
            TCD e;
            // A thread is an RGB colour: bits above them (a damaged file) would make a thread that
            // nothing matches, and one of them is the "no colour" marker.
            e.Colour = r.I32() & 0xFFFFFF;
            e.ColourOrder = r.I32();
            e.NameOrder = r.I32();
            e.NumberOrder = r.I32();
            e.EntryIndex = r.I32();
            e.Reserved = r.I32();
            e.Description = r.String();
            e.CatalogNumber = r.String();
            c.Entries.push_back(std::move(e));
        }
        RepairOrders(c);
    }
    out = std::move(c);
    return true;
}

TCatData ReadCatalog(const std::filesystem::path& path) {
    auto bytes = ReadWholeFile(path, CATALOG_MAX_FILE_SIZE);
    TCatData c;
    c.Path = path;
    try {
        if (!ParseCatalog(bytes, c)) throw TReadError("not a thread catalog file");
    } catch (const TReadError& e) {
        throw TReadError(path.string() + ": " + e.what());
    }
    return c;
}

bool ReadCatalogHeader(const std::filesystem::path& path, TCatData& out) {
    try {
        auto bytes = ReadWholeFile(path, CATALOG_MAX_FILE_SIZE);
        TCatData c;
        c.Path = path;
        if (!ParseCatalog(bytes, c, true)) return false;
        out = std::move(c);
        return true;
    } catch (const TError&) {
        return false;
    }
}

} // namespace nl
