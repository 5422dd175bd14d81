// A fresh folder under the system's temporary folder, removed with everything in it at the end of
// the test. Shared by every test folder that writes files.
#pragma once
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace nl::test {

class TTempDir {
public:
    explicit TTempDir(const std::string& prefix = "nl-test-") {
        std::random_device rd;
        Path = std::filesystem::temp_directory_path() / (prefix + std::to_string(rd()));
        std::filesystem::create_directories(Path);
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return Path / name; }
    std::filesystem::path Path;
};

} // namespace nl::test
