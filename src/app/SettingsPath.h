#pragma once
// Where the settings file lives: "tarn.INI" in the Windows directory on Windows, and in
// the folder "tarn" of the user's configuration directory ($XDG_CONFIG_HOME, else
// ~/.config) elsewhere. The environment variable TARN_SETTINGS names another file, for
// demonstrations and test runs; a test can also set a path directly.

#include <string>

std::string SettingsFilePath();

// Makes SettingsFilePath answer path, ahead of TARN_SETTINGS; an empty path removes it.
void OverrideSettingsFilePath(const std::string& path);
