// Which controls of the main window hold text that players will read in the game, and so get
// the colour-code preview. Inputs are previewed while they have the focus or the pointer rests
// on them; the output boxes (which only collect finished lines) while the pointer rests on them.
#pragma once

#include "app/ids.h"

namespace compose {

// Inputs whose text reaches players as a chat message, title or action bar: the money and item
// shortage messages, the action-bar message, main title and subtitle, the item's display name
// (coloured names carry their codes), and the messages after the permission, level and health
// conditions.
inline constexpr app::ControlId kMessageInputs[] = {
    app::ids::编辑框4,   // $cost: amount and shortage message
    app::ids::编辑框5,   // @msg: action bar
    app::ids::编辑框6,   // @title: main title
    app::ids::编辑框7,   // @title: subtitle
    app::ids::编辑框9,   // $item: the item's display name
    app::ids::编辑框11,  // $item: shortage message
    app::ids::编辑框12,  // @perm: node and message
    app::ids::编辑框13,  // level condition and message
    app::ids::编辑框14,  // health condition and message
};

inline constexpr app::ControlId kPreviewedOutputs[] = {app::ids::编辑框15, app::ids::编辑框16};

}  // namespace compose
