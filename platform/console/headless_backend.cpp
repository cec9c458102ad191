#include "platform/console/headless_backend.h"

namespace codfix::console {

HeadlessBackend& HeadlessBackend::key(int code) {
  script_.emplace_back(InputEvent{code});
  return *this;
}

HeadlessBackend& HeadlessBackend::keys(std::initializer_list<int> codes) {
  for (int c : codes) key(c);
  return *this;
}

HeadlessBackend& HeadlessBackend::type(std::string_view cp850) {
  for (char c : cp850) key(static_cast<unsigned char>(c));
  return *this;
}

HeadlessBackend& HeadlessBackend::mouse(int code, int row, int col) {
  script_.emplace_back(InputEvent{code, row, col});
  return *this;
}

HeadlessBackend& HeadlessBackend::then(std::function<void()> action) {
  script_.emplace_back(std::move(action));
  return *this;
}

void HeadlessBackend::present(Screen& screen, const CursorState& cursor) {
  ++presents_;
  cursor_ = cursor;
  screen.clear_changes();
}

std::optional<InputEvent> HeadlessBackend::poll(int) {
  if (!interactive_) return std::nullopt;
  while (!script_.empty()) {
    auto item = std::move(script_.front());
    script_.pop_front();
    if (auto* e = std::get_if<InputEvent>(&item)) return *e;
    std::get<std::function<void()>>(item)();
  }
  return std::nullopt;
}

void HeadlessBackend::line_output(std::string_view text, bool new_line) {
  if (new_line || lines_.empty()) lines_.emplace_back();
  lines_.back() += text;
}

void HeadlessBackend::tone(double, double) {
  ++tones_;
}

}  // namespace codfix::console
