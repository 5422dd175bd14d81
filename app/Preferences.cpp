#include "app/Preferences.h"

#include <charconv>
#include <cstdlib>
#include <fstream>

#include "core/Errors.h"
#include "core/FileIO.h"

namespace nl {

namespace {
std::filesystem::path XdgFolder(const char* variable, const char* fallback) {
    const char* v = std::getenv(variable);
    if (v && *v == '/') return std::filesystem::path(v) / "nordelune";
    const char* home = std::getenv("HOME");
    std::filesystem::path base =
        home && *home ? std::filesystem::path(home) : std::filesystem::temp_directory_path();
    return base / fallback / "nordelune";
}
} // namespace

std::filesystem::path PreferencesFile() {
    return XdgFolder("XDG_CONFIG_HOME", ".config") / "nordelune.conf";
}

std::filesystem::path UserDataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

TPreferences LoadPreferences(const std::filesystem::path& file) {
    TPreferences p;
    std::ifstream in(file);
    std::string line;
    while (in && std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "AutosaveMinutes") {
            int v = 0;
            auto r = std::from_chars(value.data(), value.data() + value.size(), v);
            if (r.ec == std::errc() && v >= 0 && v <= AUTOSAVE_MAX_MINUTES) p.AutosaveMinutes = v;
        }
    }
    return p;
}

bool SavePreferences(const TPreferences& prefs, const std::filesystem::path& file) {
    std::string text =
        "# Nordelune preferences\nAutosaveMinutes=" + std::to_string(prefs.AutosaveMinutes) + "\n";
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    try {
        WriteFileAtomic(file, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    } catch (const TError&) {
        return false;
    }
    return true;
}

} // namespace nl
