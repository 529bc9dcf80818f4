#include "app/remembered_settings_win.h"

#include <windows.h>

#include <optional>

#include "app/settings_win.h"
#include "base/runtime.h"

namespace app::win {
namespace {

Settings g_settings;
SettingsSaver g_saver(&SaveSettings);
UINT_PTR g_retryTimer = 0;

void ScheduleRetry(std::optional<int> delayMs);

void CALLBACK RetrySave(HWND, UINT, UINT_PTR, DWORD) {
  ScheduleRetry(g_saver.RetryPending());
}

// A thread timer, so that a save pending after the main window has gone is still tried.
void ScheduleRetry(std::optional<int> delayMs) {
  if (g_retryTimer != 0) KillTimer(nullptr, g_retryTimer);
  g_retryTimer = delayMs ? SetTimer(nullptr, 0, static_cast<UINT>(*delayMs), &RetrySave) : 0;
}

void PauseMs(int milliseconds) {
  Sleep(static_cast<DWORD>(milliseconds));
}

// The exit path: whatever is still pending when the program ends normally.
void FlushSettings(int /*position*/) {
  ScheduleRetry(std::nullopt);
  // Retried for the whole patience already; an exiting program has no later chance.
  static_cast<void>(g_saver.FlushAtExit(&PauseMs));
}

}  // namespace

void LoadRememberedSettings() {
  RemoveLeftoverTemporaryFiles();
  g_settings = LoadSettings();
  base::RegisterExitRoutine(&FlushSettings);
}

Settings& RememberedSettings() {
  return g_settings;
}

void SaveRememberedSettings() {
  ScheduleRetry(g_saver.Save(g_settings));
}

void SaveRememberedSettingsAtExit() {
  ScheduleRetry(std::nullopt);
  // What is still pending the exit routine tries once more before the program ends.
  static_cast<void>(g_saver.SaveAtExit(g_settings, &PauseMs));
}

}  // namespace app::win
