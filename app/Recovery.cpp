#include "app/Recovery.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <string>
#include <unistd.h>

namespace nl {

namespace {
constexpr const char* kPrefix = "recovery-";
constexpr const char* kSuffix = ".Nl1";

bool Running(int pid) {
    if (pid <= 0) return false;
    if (pid == static_cast<int>(::getpid())) return true;
    return ::kill(pid, 0) == 0 || errno == EPERM;
}
} // namespace

std::filesystem::path RecoveryFileFor(const std::filesystem::path& folder, int processId) {
    return folder / (kPrefix + std::to_string(processId) + kSuffix);
}

std::filesystem::path OwnRecoveryFile(const std::filesystem::path& folder) {
    return RecoveryFileFor(folder, static_cast<int>(::getpid()));
}

std::vector<std::filesystem::path> OrphanedRecoveryFiles(const std::filesystem::path& folder) {
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> found;
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return {};
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) continue;
        std::string digits = name.substr(9, name.size() - 9 - 4);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit) || digits.size() > 9)
            continue;
        if (Running(std::stoi(digits))) continue;
        std::error_code tec;
        found.emplace_back(std::filesystem::last_write_time(e.path(), tec), e.path());
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::filesystem::path> out;
    for (auto& f : found)
        out.push_back(f.second);
    return out;
}

} // namespace nl
