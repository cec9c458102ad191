// The alert box: a message in a framed box, centred on the screen, with one
// button per caption; the operator picks a button.
//
// The message is split into lines at each `;`, and lines wider than the box
// allows are word-wrapped. Keys: Left/Right/Tab/Shift+Tab/Home/End move between
// buttons, Enter or Space choose, the first letter of a caption chooses it, a
// left click on a button chooses it, Esc dismisses. Bound hot keys run while it
// waits. The screen, cursor and colours are left as they were found.
//
// Colours: the first pair of `colour` for the box, the text and the buttons
// without focus, the second pair for the button with focus; default "W+/R" and
// "W+/B". Without a second pair, the focus colour is the first pair reversed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/core/value.h"

namespace codfix::dialogs {

// The chosen button's number (from 1), 0 for Esc or when `timeout_seconds` (> 0)
// runs out, nothing when there is no terminal to ask (no answer). No captions
// give one button "Ok".
std::optional<int> alert(std::string_view message, const std::vector<std::string>& buttons,
                         std::string_view colour = {}, double timeout_seconds = 0);

// The same with the arguments as values (message text, array of captions,
// colour text, seconds); the result is a number, or nil for no answer.
Value alert_value(const Value& message, const Value& buttons, const Value& colour,
                  const Value& timeout);

}  // namespace codfix::dialogs
