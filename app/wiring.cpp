// Handlers of the main window itself.
#include "app/wiring.h"

namespace app {

// The skin and the directive tips are attached here once they exist; the window already shows
// every control in the system look.
void OnMainWindowCreated() {}

// The clock label stays empty until the network clock is fetched on each tick.
void OnClockTick() {}

}  // namespace app
