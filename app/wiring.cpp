// Handlers of the main window itself.
#include "app/wiring.h"

#include "compose/directive_tips.h"
#include "net/network_clock.h"
#include "skin/skins.h"
#include "ui/frame.h"
#include "ui/ids.h"

namespace app {

// Runs once, after every control of the main window exists.
void OnMainWindowCreated() {
  // The skin is applied first, so the window shows it before any tip is attached.
  skin::ApplySkin(skin::StartupSkin());
  compose::AttachDirectiveTips();
}

// Each tick asks the network clock, which writes 透明标签20 once its answer is in; the tick
// itself never waits for the network.
void OnClockTick() {
  net::ShowNetworkTime([](std::string_view text) {
    ui::WriteText(ui::ids::kMainWindow, ui::ids::透明标签20, text);
  });
}

}  // namespace app
