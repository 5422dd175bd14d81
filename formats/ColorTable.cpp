#include "formats/ColorTable.h"

#include "core/BinaryIO.h"
#include "core/FileIO.h"

namespace nl {

std::optional<TColorTable> ParseColorTable(std::span<const uint8_t> bytes, TColorTableFault& fault) {
    fault = TColorTableFault::None;
    TByteReader r(bytes);
    if (r.Remaining() < 4) {
        fault = TColorTableFault::LoadFailed;
        return std::nullopt;
    }
    if (r.I32() != COLOR_TABLE_MAGIC) {
        fault = TColorTableFault::NotATable;
        return std::nullopt;
    }
    if (bytes.size() < COLOR_TABLE_SIZE) {
        fault = TColorTableFault::LoadFailed;
        return std::nullopt;
    }
    TColorTable t;
    t.Rows = r.I32();
    t.Cols = r.I32();
    // The 3D view indexes the tile with these; sizes outside the stored grid are not a texture.
    if (t.Rows < 1 || t.Rows > COLOR_TABLE_MAX_ROWS || t.Cols < 1 || t.Cols > COLOR_TABLE_MAX_COLS) {
        fault = TColorTableFault::NotATable;
        return std::nullopt;
    }
    for (auto& c : t.Cells)
        c = r.U32();
    return t;
}

std::vector<uint8_t> SerializeColorTable(const TColorTable& table) {
    TByteWriter w;
    w.I32(COLOR_TABLE_MAGIC);
    w.I32(table.Rows);
    w.I32(table.Cols);
    for (uint32_t c : table.Cells)
        w.U32(c);
    return w.Take();
}

std::optional<TColorTable> ReadColorTable(const std::filesystem::path& programFolder,
                                          TColorTableFault& fault) {
    try {
        auto bytes = ReadWholeFile(programFolder / COLOR_TABLE_NAME, 1 << 20);
        return ParseColorTable(bytes, fault);
    } catch (const std::exception&) {
        fault = TColorTableFault::LoadFailed;
        return std::nullopt;
    }
}

} // namespace nl
