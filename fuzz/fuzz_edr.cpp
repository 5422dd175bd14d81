// Fuzzes the colour side file: as the colours of an import and as the template of an export.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/Errors.h"
#include "formats/SideFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    std::vector<uint8_t> bytes(data, data + size);
    TImportColours colours(bytes);
    std::vector<int32_t> got;
    for (size_t i = 0; i < size / 4 + 3; ++i)
        got.push_back(colours.Next());
    try {
        BuildSideFile(bytes, got);
    } catch (const TError&) {
    }
    return 0;
}
