// "ColorTable.dat": the thread texture tile the 3D view recolours for every thread colour.
#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace nl {

constexpr const char* COLOR_TABLE_NAME = "ColorTable.dat";
constexpr int32_t COLOR_TABLE_MAGIC = 99103;
constexpr int32_t COLOR_TABLE_MAX_ROWS = 12;
constexpr int32_t COLOR_TABLE_MAX_COLS = 32;
constexpr size_t COLOR_TABLE_SIZE = 12 + 4 * COLOR_TABLE_MAX_ROWS * COLOR_TABLE_MAX_COLS;
// Cells at or above this value are transparent; below it they are 0x00BBGGRR colours.
constexpr uint32_t COLOR_TABLE_TRANSPARENT = 0x01000000;

struct TColorTable {
    int32_t Rows = 0; // rows used, 1..12
    int32_t Cols = 0; // columns used, 1..32
    std::array<uint32_t, COLOR_TABLE_MAX_ROWS * COLOR_TABLE_MAX_COLS> Cells{};

    uint32_t Cell(int32_t r, int32_t c) const {
        return Cells[static_cast<size_t>(r * COLOR_TABLE_MAX_COLS + c)];
    }
    bool Transparent(int32_t r, int32_t c) const { return Cell(r, c) >= COLOR_TABLE_TRANSPARENT; }
};

// Why a table was refused: a wrong magic or sizes is not a texture file at all; a short or
// unreadable file failed to load.
enum class TColorTableFault { None, NotATable, LoadFailed };

// Parses the file's bytes; on failure returns nothing and sets `fault`.
std::optional<TColorTable> ParseColorTable(std::span<const uint8_t> bytes, TColorTableFault& fault);
std::vector<uint8_t> SerializeColorTable(const TColorTable& table);

// Reads the table from the program folder; on failure (also a missing or unreadable file:
// LoadFailed) returns nothing and sets `fault`.
std::optional<TColorTable> ReadColorTable(const std::filesystem::path& programFolder,
                                          TColorTableFault& fault);

} // namespace nl
