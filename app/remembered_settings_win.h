// The settings the program remembers between runs (the skin, the main window's place, the game
// servers): read once at start-up and written whole at each change. A write that finds the file
// held by another program is tried again on a timer and at exit, so no change is dropped.
#pragma once

#include "app/settings.h"

namespace app::win {

// Removes temporary files left by an earlier killed save, reads the settings, and has whatever is
// still pending written when the program ends normally.
void LoadRememberedSettings();

// The settings as read at start-up and changed since, and writing them to the settings file.
Settings& RememberedSettings();
void SaveRememberedSettings();

// As the main window ends: writes them now, giving a file held by another program some patience;
// what is still pending then, the exit routine tries once more.
void SaveRememberedSettingsAtExit();

}  // namespace app::win
