// The settings file: %APPDATA%\CommandComposer\settings.ini, UTF-8 like every file the program
// writes (a server's name may be Chinese). Read once at start-up, written whole whenever a
// remembered value changes. Writing goes to a temporary file beside it that then replaces the old
// one, so a crash or a full disk never leaves half a file behind; another program holding the
// file open only delays the write (SettingsSaver).
#pragma once

#include <string>

#include "app/settings.h"

namespace app::win {

// The settings file's path; empty when there is no application-data folder.
std::wstring SettingsPath();

// The settings from the file; the defaults when it is missing, unreadable or damaged.
Settings LoadSettings();

// Writes settings to the file, creating its folder. When it could not be written the old file
// stays as it was, and the result says whether another program holding it is the reason.
[[nodiscard]] SaveResult SaveSettings(const Settings& settings);

// Removes the temporary files that saves of processes no longer running left beside the file
// (a save killed half way); those of running processes, another composer's, stay.
void RemoveLeftoverTemporaryFiles();

}  // namespace app::win
