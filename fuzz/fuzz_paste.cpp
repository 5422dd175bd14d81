// The paste reader on arbitrary clipboard bytes: a record is refused with a reason, not taken for
// another program's text, or accepted; accepted objects can be written to the clipboard again and
// read back to the same number of objects.
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

#include "core/Errors.h"
#include "formats/Clipboard.h"

using namespace nl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TStitchContext ctx;
    try {
        auto objects = ReadClipboard(std::span<const uint8_t>(data, size), 100, 200, ctx);
        if (!objects) return 0;
        std::vector<TSLStitch*> raw;
        for (auto& o : *objects)
            raw.push_back(o.get());
        auto again = ReadClipboard(ClipboardBytes(raw, 100, 200), 100, 200, ctx);
        if (!again || again->size() != objects->size()) __builtin_trap();
    } catch (const TError&) {
    } catch (const std::bad_alloc&) {
        __builtin_trap(); // every count is checked against the bytes left
    }
    return 0;
}
