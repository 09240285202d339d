#pragma once
// Where the settings file lives: "tarn.INI" in the folder "tarn" of the user's
// application-data folder (%APPDATA%) on Windows, and of the user's configuration
// directory ($XDG_CONFIG_HOME, else ~/.config) elsewhere. On Windows a file that older
// versions kept in the Windows directory, which a standard user may not write, is copied
// to the new place the first time. The environment variable TARN_SETTINGS names another
// file, for demonstrations and test runs; a test can also set a path directly. Paths are
// UTF-8.

#include <string>

std::string SettingsFilePath();

// Makes SettingsFilePath answer path, ahead of TARN_SETTINGS; an empty path removes it.
void OverrideSettingsFilePath(const std::string& path);

// The settings file to use at path: when there is none yet but one at oldPath, that one
// is copied to path (creating its folder) and left where it was. Answers path, or oldPath
// when the copy failed, so that the old settings are still read.
std::string AdoptSettingsFile(const std::string& path, const std::string& oldPath);
