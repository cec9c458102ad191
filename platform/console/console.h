// The console: the screen grid with its cursor and colours, positioned and line
// output, screen images, update batching, window title and tone, the keyboard
// queue, and the backend that shows it all.
//
// One console is current for the process (current()); tests replace it for their
// lifetime with a ConsoleScope over a headless backend. Single-threaded, like the
// rest of the run time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/console/backend.h"
#include "platform/console/colour.h"
#include "platform/console/keyboard.h"
#include "platform/console/screen.h"

namespace codfix::console {

class Console {
 public:
  explicit Console(std::unique_ptr<Backend> backend, int rows = 25, int cols = 80);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  Screen& screen() { return screen_; }
  const Screen& screen() const { return screen_; }
  Keyboard& keyboard() { return keyboard_; }
  Backend& backend() { return *backend_; }
  // Whether a person can see the screen and answer.
  bool interactive() const { return backend_->interactive(); }

  int maxrow() const { return screen_.maxrow(); }
  int maxcol() const { return screen_.maxcol(); }
  // Switches the screen size (SETMODE); the screen is cleared. False for a size
  // below 1 × 1 or above 255 × 512.
  bool set_mode(int rows, int cols);

  // Colours.
  const ColourSet& colours() const { return colours_; }
  void set_colours(const ColourSet& c) { colours_ = c; }
  // Applies a colour string (empty positions keep theirs); returns the previous
  // setting's text.
  std::string set_colour(std::string_view colour);
  Attr standard() const { return colours_.standard(); }
  Attr enhanced() const { return colours_.enhanced(); }

  // Positioned output; the cursor ends after the text.
  void say(int row, int col, std::string_view text) { say(row, col, text, standard()); }
  void say(int row, int col, std::string_view text, Attr attr);
  // Clears the whole screen in the standard colour; cursor to 0,0.
  void clear();
  // Clears a rectangle in the standard colour (or `attr`).
  void clear_area(int top, int left, int bottom, int right);
  void clear_area(int top, int left, int bottom, int right, Attr attr);
  // Frames a rectangle (see Screen::frame).
  void frame(int top, int left, int bottom, int right, std::string_view chars, Attr attr);
  void scroll(int top, int left, int bottom, int right, int n);
  // Screen images.
  std::string save(int top, int left, int bottom, int right) const {
    return screen_.save(top, left, bottom, right);
  }
  std::string save_all() const { return save(0, 0, maxrow(), maxcol()); }
  void restore(int top, int left, int bottom, int right, std::string_view image);
  void restore_all(std::string_view image) { restore(0, 0, maxrow(), maxcol(), image); }
  // Any change made directly on screen() is shown by the next refresh().

  // Line output in the standard colour: line_out() starts a new line first (`?`),
  // out() writes at the cursor (`??`); both wrap at the right edge and scroll.
  void line_out(std::string_view text);
  void out(std::string_view text);

  // Cursor.
  int row() const { return cursor_.row; }
  int col() const { return cursor_.col; }
  void set_pos(int row, int col);
  CursorShape cursor_shape() const { return cursor_.shape; }
  CursorShape set_cursor_shape(CursorShape shape);

  // Update batching: nothing is shown between begin_update() and the matching
  // end_update(); nesting is allowed.
  void begin_update() { ++batch_; }
  void end_update();
  int update_level() const { return batch_; }
  // Shows pending changes unless a batch is open.
  void refresh();

  const std::string& title() const { return title_; }
  void set_title(std::string_view title);
  // A tone of `hz` for `ticks` clock ticks (18.2 per second).
  void tone(double hz, double ticks);

 private:
  void advance_line();
  void changed() { refresh(); }

  std::unique_ptr<Backend> backend_;
  Screen screen_;
  Keyboard keyboard_;
  ColourSet colours_;
  CursorState cursor_;
  int batch_ = 0;
  std::string title_;
};

// The process-wide console. Made on first use: the terminal backend when
// standard input and output are terminals, else the stream backend.
Console& current();
// The backend current() would choose.
std::unique_ptr<Backend> default_backend();

// Makes a console current for its lifetime (tests, tools).
class ConsoleScope {
 public:
  explicit ConsoleScope(std::unique_ptr<Backend> backend, int rows = 25, int cols = 80);
  ~ConsoleScope();
  Console& console() { return console_; }
  ConsoleScope(const ConsoleScope&) = delete;
  ConsoleScope& operator=(const ConsoleScope&) = delete;

 private:
  Console console_;
  Console* previous_;
};

}  // namespace codfix::console
