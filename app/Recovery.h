// Recovery copies of unsaved work. While a worksheet has unsaved changes the program writes a
// copy now and then to its own file in the recovery folder ("recovery-<process id>.Nl1"), never
// over the user's file. A clean exit removes it; a copy whose program is no longer running was
// left by a crash and is offered back at the next start.
#pragma once
#include <filesystem>
#include <vector>

namespace nl {

std::filesystem::path RecoveryFileFor(const std::filesystem::path& folder, int processId);
// This process's recovery file.
std::filesystem::path OwnRecoveryFile(const std::filesystem::path& folder);
// Copies whose program is not running any more, newest first.
std::vector<std::filesystem::path> OrphanedRecoveryFiles(const std::filesystem::path& folder);

} // namespace nl
