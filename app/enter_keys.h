// Which button Enter runs from which input: in the main window as the builder rows and the
// command choosers say, in the server window the save button from every field.
#pragma once

#include <vector>

#include "ui/navigation.h"

namespace app {

// Each input of a script-line row runs the row's button; each chooser's combo box its button.
std::vector<ui::EnterKey> MainWindowEnterKeys();
std::vector<ui::EnterKey> ServerWindowEnterKeys();

}  // namespace app
