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

// The file a name really stands for: a symbolic link (or a chain of them) followed to its target,
// which need not exist yet. Throws TError on a loop of links.
std::filesystem::path RealFileOf(const std::filesystem::path& path);

// Every file the program writes goes through here. The bytes go to a new temporary file beside the
// file `path` really names (a symbolic link is followed: the link stays and its target is
// replaced in its own folder), which is flushed and then renamed over it; the folder is flushed
// after the rename so that the new name survives a power cut. A file that is replaced keeps its
// permission bits and, where the system allows it, its owner and group; a new file gets the
// usual permissions (0666 less the umask). A read-only file is refused, not replaced. On any
// failure the temporary file is removed, the previous file is untouched and TError names the
// file and the reason.
void WriteFileAtomic(const std::filesystem::path& path, std::span<const uint8_t> bytes);

} // namespace nl
