// Enter keys: the main window's from the rows that the builders and choosers run on.
#include "app/enter_keys.h"

#include "compose/builders.h"
#include "compose/command_table.h"

namespace app {

std::vector<ui::EnterKey> MainWindowEnterKeys() {
  std::vector<ui::EnterKey> keys;
  for (const compose::ScriptLineRow& row : compose::ScriptLineRows()) {
    for (const compose::LinePart& part : row.parts) {
      if (part.input != 0) keys.push_back({part.input, row.button});
    }
  }
  for (const compose::Chooser& chooser : compose::Choosers()) {
    keys.push_back({chooser.comboBox, chooser.button});
  }
  return keys;
}

std::vector<ui::EnterKey> ServerWindowEnterKeys() {
  using namespace ui::ids;
  std::vector<ui::EnterKey> keys;
  for (const ui::ControlId field : {kServerName, kServerHost, kServerPort, kServerPassword}) {
    keys.push_back({field, kServerSave});
  }
  return keys;
}

}  // namespace app
