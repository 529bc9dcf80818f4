// Which controls of the main window hold text that players will read in the game, and so get
// the colour-code preview. Inputs are previewed while they have the focus or the pointer rests
// on them; the output boxes (which only collect finished lines) while the pointer rests on them.
#pragma once

#include "ui/ids.h"

namespace compose {

// Inputs whose text reaches players as a chat message, title or action bar: the money and item
// shortage messages, the action-bar message, main title and subtitle, the item's display name
// (coloured names carry their codes), and the messages after the permission, level and health
// conditions.
inline constexpr ui::ControlId kMessageInputs[] = {
    ui::ids::编辑框4,   // $cost: amount and shortage message
    ui::ids::编辑框5,   // @msg: action bar
    ui::ids::编辑框6,   // @title: main title
    ui::ids::编辑框7,   // @title: subtitle
    ui::ids::编辑框9,   // $item: the item's display name
    ui::ids::编辑框11,  // $item: shortage message
    ui::ids::编辑框12,  // @perm: node and message
    ui::ids::编辑框13,  // level condition and message
    ui::ids::编辑框14,  // health condition and message
};

inline constexpr ui::ControlId kPreviewedOutputs[] = {ui::ids::编辑框15, ui::ids::编辑框16};

}  // namespace compose
