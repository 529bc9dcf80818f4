// The settings file: %APPDATA%\CommandComposer\settings.ini, UTF-8 like every file the program
// writes (a server's name may be Chinese). Read once at start-up, written whole whenever a
// remembered value changes. Writing goes to a temporary file beside it that
// then replaces the old one, so a crash or a full disk never leaves half a file behind.
#pragma once

#include <string>

#include "app/settings.h"

namespace app::win {

// The settings file's path; empty when there is no application-data folder.
std::wstring SettingsPath();

// The settings from the file; the defaults when it is missing, unreadable or damaged.
Settings LoadSettings();

// Writes settings to the file, creating its folder. False when it could not be written; the old
// file then stays as it was.
bool SaveSettings(const Settings& settings);

}  // namespace app::win
