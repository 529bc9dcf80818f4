// Which button Enter runs from which input of the main window, taken from the builder rows and
// the command choosers themselves.
#pragma once

#include <vector>

#include "ui/navigation.h"

namespace app {

// Each input of a script-line row runs the row's button; each chooser's combo box its button.
std::vector<ui::EnterKey> MainWindowEnterKeys();

}  // namespace app
