// Fuzzes the reader of the thread texture file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/ColorTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    TColorTableFault fault;
    auto table = ParseColorTable(std::span<const uint8_t>(data, size), fault);
    if (table) {
        int transparent = 0;
        for (int r = 0; r < table->Rows; ++r)
            for (int c = 0; c < table->Cols; ++c)
                transparent += table->Transparent(r, c);
        (void)transparent;
    }
    return 0;
}
