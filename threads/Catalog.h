// Thread catalogs: one manufacturer's thread product as a list of colours with numbers and names,
// the ".SC1" file that holds it, and the three display orders (by number, by name, by colour)
// stored with every catalog.
#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nl {

constexpr int32_t CATALOG_MAGIC = 191376;
constexpr const char* CATALOG_HEADER = "NordeluneColorCatalogV1.00(06-03-2006)";
constexpr const char* CATALOG_EXTENSION = ".SC1";
constexpr const char* CATALOG_DEFAULT_INFO = " General Color Thread Infomation Can Be Placed Here";
constexpr int32_t CATALOG_LAST_POSITION = 9999999;
// Fixed bytes of an entry record: six int32 and two string lengths.
constexpr size_t CATALOG_ENTRY_MIN_SIZE = 32;
// Catalog files are small (a few tens of kilobytes); anything far larger is not one.
constexpr uint64_t CATALOG_MAX_FILE_SIZE = 64ull << 20;

// One thread colour of a catalog.
struct TCD {
    int32_t Colour = 0; // 0x00BBGGRR
    // Display orders: shown at position i of an order is the entry whose index is that order's
    // field of entry i, so each field taken over all entries is a permutation of 0 .. n-1.
    int32_t ColourOrder = 0;
    int32_t NameOrder = 0;
    int32_t NumberOrder = 0;
    int32_t EntryIndex = 0; // the entry's own position in the file, set when written
    int32_t Reserved = 0;
    std::string Description = "New Entry Text Goes Here";
    std::string CatalogNumber = "Not Defined";
};

// One catalog. `Path` is the file it was read from (empty for a catalog not yet written); it
// identifies the catalog, whatever its names say.
struct TCatData {
    std::string Manufacturer;
    std::string ThreadType;
    std::string Info = CATALOG_DEFAULT_INFO;
    int32_t ListPosition = CATALOG_LAST_POSITION;
    bool Enabled = false;
    // The number of entries the file holds (also known after reading the header only).
    int32_t EntryCount = 0;
    std::vector<TCD> Entries;
    std::filesystem::path Path;

    // "Manufacturer - ThreadType", as the lists show it.
    std::string Title() const { return Manufacturer + " - " + ThreadType; }
};

enum class TThreadSort : uint8_t { Colour, Number, Name };

// Lightness of a colour on the 0..240 scale: (max + min) / 2 of the channels, rounded.
int32_t Lightness(int32_t colour);

// The three display orders, each from scratch (stable: equal keys keep their file order).
void ComputeNumberOrder(TCatData& catalog);
void ComputeNameOrder(TCatData& catalog);
void ComputeColourOrder(TCatData& catalog);
// Number order, then name order, then colour order.
void ComputeOrders(TCatData& catalog);
// Whether the given order field over all entries is a permutation of 0 .. n-1.
bool IsOrderValid(const TCatData& catalog, TThreadSort sort);
// Order fields that are not permutations (from a damaged or foreign file) are computed again.
void RepairOrders(TCatData& catalog);
// The entry shown at display position i of a sort.
const TCD& EntryAt(const TCatData& catalog, TThreadSort sort, size_t position);
int32_t OrderField(const TCD& entry, TThreadSort sort);

// A new catalog as the manager creates it: one entry, colour 255, numbered "1".
TCatData NewCatalog(const std::string& manufacturer, const std::string& threadType);

// The file's bytes; sets each entry's EntryIndex to its position.
std::vector<uint8_t> EncodeCatalog(TCatData& catalog);

// Parses a catalog file's bytes. `headerOnly` stops after the entry count. Returns false when the
// magic is wrong (not a catalog); throws TReadError on a damaged file (every count and length is
// checked against the bytes left before anything is allocated). Order fields that are not
// permutations are computed again.
bool ParseCatalog(std::span<const uint8_t> bytes, TCatData& out, bool headerOnly = false);

// Reads a catalog file; throws TReadError naming the file when it cannot be read, is damaged or
// is not a catalog.
TCatData ReadCatalog(const std::filesystem::path& path);
// Reads the header and entry count only; false when the file is not a catalog or cannot be read.
bool ReadCatalogHeader(const std::filesystem::path& path, TCatData& out);

} // namespace nl
