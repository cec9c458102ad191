// The two ways the settings and file routines reach the operator: a question in
// the platform's plain alert box, and a pause that a key press ends early.
#pragma once

#include <string_view>
#include <vector>

namespace codfix {

// The chosen button (1-based), 0 for Esc, -1 when no answer can be had (no
// terminal, as under cron).
int ask_operator(std::string_view message, const std::vector<std::string_view>& buttons);

// Waits up to `seconds`; a key pressed meanwhile ends the wait and is consumed.
void pause_or_key(double seconds);

// Writes a headed entry to a log through the library's log writer (GRAVALOG,
// called by name so that the log module can sit above this one). Entries written
// while another entry is being written are dropped, so that a log that cannot be
// written does not log its own failure without end.
void write_log_line(std::string_view file, std::string_view text);
// write_log_line("ERRO.LOG", text).
void log_error_line(std::string_view text);

}  // namespace codfix
