// The backend for people: the grid shown in a UTF-8 terminal through ncursesw.
//
// Code page 850 is shown with its Unicode glyphs (accents, frames, blocks,
// arrows), 16 colours where the terminal has them (bright colours as bold
// otherwise), keys and mouse events mapped to the platform's codes. Only cells that
// changed since the last refresh are sent. Ctrl+C, the break key, a hang-up and a
// termination request arrive as key code 256 (a second termination request ends
// the process); after a hang-up the terminal is gone and the backend stops being
// interactive. What line output printed since
// the last clear of the whole screen is written to the terminal again when the
// backend closes, so it stays readable after the program ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/console/backend.h"

namespace codfix::console {

class TerminalBackend : public Backend {
 public:
  // Takes over the terminal on standard input/output; null when the terminal
  // cannot be used (unknown TERM, no terminal).
  static std::unique_ptr<TerminalBackend> open();
  ~TerminalBackend() override;

  bool interactive() const override { return !closed_; }
  void present(Screen& screen, const CursorState& cursor) override;
  std::optional<InputEvent> poll(int timeout_ms) override;
  void discard_input() override;
  void line_output(std::string_view text, bool new_line) override;
  void screen_cleared() override { transcript_.clear(); }
  void tone(double hz, double seconds) override;
  void set_title(std::string_view title) override;
  void resized(int rows, int cols) override;

  struct Impl;

 private:
  TerminalBackend();
  std::optional<InputEvent> read_one(int timeout_ms);

  std::unique_ptr<Impl> impl_;
  bool closed_ = false;
  std::vector<std::string> transcript_;
};

}  // namespace codfix::console
