// Fuzzes the Compucon / Singer XXX reader, writes back whatever it reads, and checks that reading and
// writing again changes nothing.
#include "RecordRoundTrip.h"
#include "formats/Import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return nl::fuzz::ReadWriteRead("xxx", data, size);
}
