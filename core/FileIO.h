// Whole-file reads with a size cap, and writes that never destroy the previous file.
#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace nl {

// Reads the whole file; throws TReadError naming the file when it cannot be read or is larger
// than maxBytes.
std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes = 512ull << 20);

// Writes to a temporary file beside `path`, flushes it, then renames it over `path`. On any
// failure the temporary file is removed, `path` is untouched and TError names the file.
void WriteFileAtomic(const std::filesystem::path& path, std::span<const uint8_t> bytes);

} // namespace nl
