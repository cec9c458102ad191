// The backend for tests: nothing is shown (the test reads the grid), and input
// comes from a script of events fed in advance. Actions in the script run when a
// wait reaches them, so a test can look at the screen while a dialog waits.
//
// When the script is used up, waits return at once as if no key came, which is
// what a run without a terminal sees: a dialog then ends instead of hanging.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "platform/console/backend.h"

namespace codfix::console {

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend& key(int code);
  HeadlessBackend& keys(std::initializer_list<int> codes);
  // Typed text, one key per code page 850 byte.
  HeadlessBackend& type(std::string_view cp850);
  HeadlessBackend& mouse(int code, int row, int col);
  HeadlessBackend& click(int row, int col) { return mouse(1002, row, col); }
  // Runs `action` when a wait reaches this point of the script.
  HeadlessBackend& then(std::function<void()> action);
  bool exhausted() const { return script_.empty(); }

  // false simulates a run without a terminal.
  void set_interactive(bool on) { interactive_ = on; }
  bool interactive() const override { return interactive_; }
  void present(Screen& screen, const CursorState& cursor) override;
  std::optional<InputEvent> poll(int timeout_ms) override;
  void line_output(std::string_view text, bool new_line) override;
  void tone(double hz, double seconds) override;
  void set_title(std::string_view title) override { title_ = std::string(title); }

  int presents() const { return presents_; }
  const CursorState& shown_cursor() const { return cursor_; }
  // Line output as complete lines (code page 850).
  const std::vector<std::string>& lines() const { return lines_; }
  int tones() const { return tones_; }
  const std::string& title() const { return title_; }

 private:
  std::deque<std::variant<InputEvent, std::function<void()>>> script_;
  bool interactive_ = true;
  int presents_ = 0;
  CursorState cursor_;
  std::vector<std::string> lines_;
  int tones_ = 0;
  std::string title_;
};

}  // namespace codfix::console
