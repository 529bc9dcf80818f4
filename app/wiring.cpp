// Handlers of the main window itself.
#include "app/wiring.h"

#include "compose/directive_tips.h"
#include "skin/skins.h"

namespace app {

// Runs once, after every control of the main window exists.
void OnMainWindowCreated() {
  // The skin is applied first, so the window shows it before any tip is attached.
  skin::ApplySkin(skin::kStartupSkin);
  compose::AttachDirectiveTips();
}

// The clock label stays empty until the network clock is fetched on each tick.
void OnClockTick() {}

}  // namespace app
