// The program's own preferences (not worksheet values): kept in a small text file in the user's
// configuration folder, and the user's data folder where the recovery copies of unsaved work go.
// Both follow the XDG base directory rules ($XDG_CONFIG_HOME, $XDG_DATA_HOME, else ~/.config and
// ~/.local/share).
#pragma once
#include <filesystem>
#include <string>

namespace nl {

struct TPreferences {
    // Minutes between recovery copies of a worksheet with unsaved changes; 0 switches them off.
    int AutosaveMinutes = 5;
};

constexpr int AUTOSAVE_MAX_MINUTES = 120;

// "<config>/nordelune/nordelune.conf" and "<data>/nordelune".
std::filesystem::path PreferencesFile();
std::filesystem::path UserDataFolder();

// Reads "Key=Value" lines; a missing or unreadable file, an unknown key or a bad value keeps the
// default. Never throws.
TPreferences LoadPreferences(const std::filesystem::path& file);
// Writes the file (folder created when missing); false when it could not be written.
bool SavePreferences(const TPreferences& prefs, const std::filesystem::path& file);

} // namespace nl
