// Fuzzes the HUS/VIP reader, seeded with HUS files: see FuzzRoundTrip.h for the round trip it checks.
#include "FuzzRoundTrip.h"
#include "formats/Formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return nl::fuzz::ReadWriteRead(data, size, "hus");
}
