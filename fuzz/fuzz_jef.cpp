// Fuzzes the JEF reader: see FuzzRoundTrip.h for the round trip it checks. The files are written
// with a fixed date, so that two writes a second apart are still the same file.
#include "FuzzRoundTrip.h"
#include "formats/Formats.h"
#include "formats/Jef.h"

namespace {
std::vector<uint8_t> WriteDated(const nl::TExportPlan& plan, nl::TExportState& state) {
    return nl::WriteJefStamped(plan, state, "20240102030405");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return nl::fuzz::ReadWriteRead(data, size, "jef", &WriteDated);
}
