// Start-up of the program on Windows.
#include "app/startup_win.h"

#include "app/enter_keys.h"
#include "app/window_description.h"
#include "net/network_clock_win.h"
#include "skin/skins_win.h"
#include "ui/frame_win.h"

namespace app {

bool InitializeProgram() {
  if (!ui::win::InitializeFrame(WindowDescriptions())) return false;
  ui::win::SetEnterKeys(ui::ids::kMainWindow, MainWindowEnterKeys());
  net::InstallNetworkClock(&net::TickSystemClock);
  skin::SetEngineHost(&skin::LoadedEngineHost());
  return true;
}

}  // namespace app
