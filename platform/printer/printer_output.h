// Printer output redirected to a file (SET PRINTER TO file ADDITIVE, SET PRINTER
// ON, SET CONSOLE OFF): text sent to the printer is appended to the file, and the
// printer's row and column counters (PROW/PCOL) follow it.
//
// One printer output exists for the process (current()). Routines that redirect it
// save the settings and counters with state() and put them back with restore().
#pragma once

#include <string>
#include <string_view>

#include "platform/fs/file.h"
#include "platform/fs/result.h"

namespace codfix::printer {

struct PrinterState {
  std::string file;       // the redirection target, "" when none
  bool printing = false;  // SET PRINTER ON
  bool console = true;    // SET CONSOLE
  int row = 0;
  int col = 0;
};

class PrinterOutput {
 public:
  // Directs printer output to a file; `append` keeps what the file holds. An
  // empty name closes the redirection.
  fs::Status set_file(std::string_view path, bool append);
  void set_printing(bool on) { state_.printing = on; }
  void set_console(bool on) { state_.console = on; }
  bool printing() const { return state_.printing; }
  bool console() const { return state_.console; }

  // Sends text to the printer (when printing is on); CR LF moves to the next row,
  // a form feed ejects. Failures are returned, the counters follow what was sent.
  fs::Status write(std::string_view text);
  // Page eject: a form feed, row and column back to 0.
  fs::Status eject();

  int row() const { return state_.row; }
  int col() const { return state_.col; }
  void set_position(int row, int col);

  PrinterState state() const { return state_; }
  // Restores settings and counters saved with state(); reopens the file when the
  // target changed.
  fs::Status restore(const PrinterState& saved);

 private:
  PrinterState state_;
  fs::File file_;
};

PrinterOutput& current();

}  // namespace codfix::printer
