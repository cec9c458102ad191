// The library's screen vocabulary: the framed window (DESJAN) with its drop
// shadow (BOXSHADOW), the non-modal wait box (MSG_BOX), the one-line prompt that
// waits for a key (MSGOPC), the status line (MSGEXP), the question box
// (MSGALERTA), the progress bar (PROGBAR) and the one-field input window
// (GETWINDOW).
//
// Arguments follow the callers' positions; -1 (or an empty text) stands for an
// argument left out. Every routine puts back the colour it found; coordinates are
// computed in real arithmetic and truncated where a row or column is used.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/core/value.h"

namespace codfix {

bool DESJAN(int top, int left, int bottom, int right, bool menu = false,
            std::string_view title = "", int title_pos = 13, std::string_view colour = "",
            bool shadow = true);
void BOXSHADOW(int top, int left, int bottom, int right);
// A text or array opens a box and returns its identifier; a number closes that
// box and returns nil.
Value MSG_BOX(const Value& message, std::string_view colour = "", int row = -1);
int MSGOPC(std::string_view message, int row = -1, bool beep = true, int width = 59,
           bool restore = true);
bool MSGEXP(std::string_view message, int row = -1, int width = 59, std::string_view align = "R",
            std::string_view fill = " ", bool roll = false);
// The chosen option (from 1), 0 for Esc or a wait that ran out, nothing when no
// one can answer (no terminal).
std::optional<int> MSGALERTA(std::string_view message, const std::vector<std::string>& options,
                             std::string_view colour = "", double wait_seconds = 0);

struct ProgressArgs {
  std::optional<double> current;  // default: position in the active order, else RECNO()
  std::optional<double> total;    // default: RECCOUNT()
  std::string message;
  std::optional<int> row;
  int col = 19;
  bool cancellable = false;
  std::optional<double> start;  // seconds since midnight when the job began
};
bool PROGBAR(const ProgressArgs& args);

Value GETWINDOW(std::string_view title, const Value& value, std::string_view mask = "",
                int row = -1, int col = -1, bool keep_spaces = false, bool accept_empty = true);

void register_window_routines();

}  // namespace codfix
