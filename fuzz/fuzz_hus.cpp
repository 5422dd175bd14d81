// Fuzzes the HUS/VIP reader (seeded with HUS files), and writes back as HUS whatever it reads.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Errors.h"
#include "formats/Hus.h"
#include "formats/Import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nl;
    std::unique_ptr<TSLStitch> object;
    try {
        TImportColours colours;
        object = DecodeStitchFile(std::span<const uint8_t>(data, size), TReaderKind::HusVip, colours, 0, 0);
    } catch (const TReadError&) {
        return 0;
    }
    try {
        TExportPlan plan({object.get()});
        TExportState state;
        auto bytes = WriteHus(plan, state);
        ParseHusVip(bytes); // what we write, we read
    } catch (const TReadError&) {
        __builtin_trap();
    } catch (const TError&) {
        // a design too large for the format is refused, not written
    }
    return 0;
}
