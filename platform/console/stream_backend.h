// The backend for a run without a terminal (standard input or output redirected,
// as under cron or in a pipe): positioned drawing is not shown, line output goes
// to the stream as lines (UTF-8), and key waits return at once as if no key came.
#pragma once

#include <cstdio>

#include "platform/console/backend.h"

namespace codfix::console {

class StreamBackend : public Backend {
 public:
  // `out` stays owned by the caller (standard output by default).
  explicit StreamBackend(std::FILE* out = stdout) : out_(out) {}
  ~StreamBackend() override;

  bool interactive() const override { return false; }
  void present(Screen& screen, const CursorState&) override { screen.clear_changes(); }
  std::optional<InputEvent> poll(int) override { return std::nullopt; }
  void line_output(std::string_view text, bool new_line) override;

 private:
  std::FILE* out_;
  bool started_ = false;    // something was written
  bool line_open_ = false;  // the last line has no line end yet
};

}  // namespace codfix::console
