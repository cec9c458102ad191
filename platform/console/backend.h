// What a console backend does: show the screen grid, deliver input events, and
// take the side channels (line output, tone, window title).
//
// Backends: headless (tests feed events and read the grid), terminal (ncursesw),
// and the stream backend used when there is no terminal (line output goes to
// standard output, key waits return at once as if no key came).
#pragma once

#include <optional>
#include <string_view>

#include "platform/console/screen.h"

namespace codfix::console {

enum class CursorShape { None = 0, Normal = 1, Insert = 2, Special1 = 3, Special2 = 4 };

struct CursorState {
  int row = 0;
  int col = 0;
  CursorShape shape = CursorShape::Normal;
};

// A key press or a mouse event; mouse events carry the cell they happened on.
struct InputEvent {
  int key = 0;
  int row = -1;
  int col = -1;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // True when the backend shows the screen and can deliver keys: dialogs that
  // need an answer give none without it.
  virtual bool interactive() const = 0;

  // Shows the grid's changed cells and the cursor, then clears the change flags.
  virtual void present(Screen& screen, const CursorState& cursor) = 0;

  // The next input event, waiting up to `timeout_ms` (< 0: no limit). Nothing
  // when the time runs out or when no input can ever come.
  virtual std::optional<InputEvent> poll(int timeout_ms) = 0;

  // Drops keys typed ahead by the person at the keyboard (not the program's own
  // type-ahead, which the keyboard queue holds).
  virtual void discard_input() {}

  // Line output as `?` and `??` produce it: `new_line` starts a new line before
  // `text` (code page 850).
  virtual void line_output(std::string_view text, bool new_line) {
    (void)text;
    (void)new_line;
  }
  // The whole screen was cleared.
  virtual void screen_cleared() {}
  virtual void tone(double hz, double seconds) {
    (void)hz;
    (void)seconds;
  }
  virtual void set_title(std::string_view title) { (void)title; }
  // The grid changed size.
  virtual void resized(int rows, int cols) {
    (void)rows;
    (void)cols;
  }
};

}  // namespace codfix::console
