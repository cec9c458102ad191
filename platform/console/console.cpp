#include "platform/console/console.h"

#include <unistd.h>

#include "platform/console/stream_backend.h"
#include "platform/console/terminal_backend.h"

namespace codfix::console {
namespace {

Console* g_current = nullptr;

}  // namespace

Console::Console(std::unique_ptr<Backend> backend, int rows, int cols)
    : backend_(std::move(backend)), screen_(rows, cols), keyboard_(*this) {
  backend_->resized(screen_.rows(), screen_.cols());
}

Console::~Console() = default;

bool Console::set_mode(int rows, int cols) {
  if (rows < 1 || cols < 1 || rows > 255 || cols > 512) return false;
  screen_.resize(rows, cols, standard());
  cursor_.row = 0;
  cursor_.col = 0;
  backend_->resized(rows, cols);
  backend_->screen_cleared();
  changed();
  return true;
}

std::string Console::set_colour(std::string_view colour) {
  std::string old = colours_.text();
  colours_.apply(colour);
  return old;
}

void Console::say(int row, int col, std::string_view text, Attr attr) {
  screen_.write(row, col, text, attr);
  cursor_.row = row;
  cursor_.col = col + static_cast<int>(text.size());
  changed();
}

void Console::clear() {
  screen_.fill(0, 0, maxrow(), maxcol(), ' ', standard());
  cursor_.row = 0;
  cursor_.col = 0;
  backend_->screen_cleared();
  changed();
}

void Console::clear_area(int top, int left, int bottom, int right) {
  clear_area(top, left, bottom, right, standard());
}

void Console::clear_area(int top, int left, int bottom, int right, Attr attr) {
  screen_.fill(top, left, bottom, right, ' ', attr);
  changed();
}

void Console::frame(int top, int left, int bottom, int right, std::string_view chars, Attr attr) {
  screen_.frame(top, left, bottom, right, chars, attr);
  changed();
}

void Console::scroll(int top, int left, int bottom, int right, int n) {
  screen_.scroll(top, left, bottom, right, n, standard());
  changed();
}

void Console::restore(int top, int left, int bottom, int right, std::string_view image) {
  screen_.restore(top, left, bottom, right, image);
  changed();
}

void Console::advance_line() {
  cursor_.col = 0;
  if (cursor_.row >= maxrow()) {
    cursor_.row = maxrow();
    screen_.scroll(0, 0, maxrow(), maxcol(), 1, standard());
  } else {
    ++cursor_.row;
  }
}

void Console::line_out(std::string_view text) {
  backend_->line_output({}, true);
  advance_line();
  out(text);
}

void Console::out(std::string_view text) {
  if (!text.empty()) backend_->line_output(text, false);
  if (cursor_.row < 0) cursor_.row = 0;
  if (cursor_.row > maxrow()) cursor_.row = maxrow();
  if (cursor_.col < 0) cursor_.col = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      cursor_.col = 0;
      continue;
    }
    if (c == '\n') {
      advance_line();
      continue;
    }
    if (c == '\a') {
      backend_->tone(800, 0.1);
      continue;
    }
    if (c == '\b') {
      if (cursor_.col > 0) --cursor_.col;
      continue;
    }
    if (cursor_.col > maxcol()) advance_line();
    screen_.set(cursor_.row, cursor_.col, Cell{static_cast<uint8_t>(c), standard()});
    ++cursor_.col;
  }
  changed();
}

void Console::set_pos(int row, int col) {
  cursor_.row = row;
  cursor_.col = col;
  changed();
}

CursorShape Console::set_cursor_shape(CursorShape shape) {
  CursorShape old = cursor_.shape;
  cursor_.shape = shape;
  changed();
  return old;
}

void Console::end_update() {
  if (batch_ > 0) --batch_;
  refresh();
}

void Console::refresh() {
  if (batch_ > 0) return;
  backend_->present(screen_, cursor_);
}

void Console::set_title(std::string_view title) {
  title_ = std::string(title);
  backend_->set_title(title);
}

void Console::tone(double hz, double ticks) {
  backend_->tone(hz, ticks / 18.2);
}

std::unique_ptr<Backend> default_backend() {
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    if (auto t = TerminalBackend::open()) return t;
  }
  return std::make_unique<StreamBackend>();
}

Console& current() {
  if (!g_current) {
    // The process console lives until exit; its backend restores the terminal.
    static Console process_console(default_backend());
    g_current = &process_console;
  }
  return *g_current;
}

ConsoleScope::ConsoleScope(std::unique_ptr<Backend> backend, int rows, int cols)
    : console_(std::move(backend), rows, cols), previous_(g_current) {
  g_current = &console_;
}

ConsoleScope::~ConsoleScope() {
  g_current = previous_;
}

}  // namespace codfix::console
