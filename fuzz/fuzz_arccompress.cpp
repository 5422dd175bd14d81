// Fuzzes the decoder of the HUS/VIP stream compression, and checks that whatever it decodes
// compresses and decodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/Errors.h"
#include "formats/ArcCompress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    std::vector<uint8_t> out;
    try {
        ArcDecompressStream(std::span<const uint8_t>(data, size), 1 << 20, out);
    } catch (const TReadError&) {
        return 0;
    }
    std::vector<uint8_t> packed, back;
    ArcCompressStream(out, packed);
    TArcStreamInfo info;
    ArcDecompressStream(packed, out.size() + 1, back, &info);
    if (back != out || !info.EndSymbol || info.MaxDistance > ARC_WINDOW) __builtin_trap();
    return 0;
}
