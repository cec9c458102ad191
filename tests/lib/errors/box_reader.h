// Reads the alert box on a headless screen back as text: the message lines
// (UTF-8, trimmed) and the button captions, so tests can check what the
// operator was shown without depending on where the box was drawn.
#pragma once

#include <string>
#include <vector>

#include "lib/core/text_util.h"
#include "platform/console/screen.h"
#include "platform/text/codepage.h"

namespace codfix::testing {

struct ShownBox {
  bool found = false;
  std::vector<std::string> lines;  // message lines
  std::string buttons;             // the buttons row, trimmed
};

inline ShownBox read_box(const console::Screen& s) {
  ShownBox box;
  constexpr char kTopLeft = '\xDA', kTopRight = '\xBF', kBottomLeft = '\xC0';
  int top = -1, left = -1, right = -1;
  for (int r = 0; r < s.rows() && top < 0; ++r) {
    std::string row = s.row_text(r);
    std::size_t l = row.find(kTopLeft);
    if (l == std::string::npos) continue;
    top = r;
    left = static_cast<int>(l);
    right = static_cast<int>(row.find(kTopRight, l));
  }
  if (top < 0 || right < 0) return box;
  int bottom = top + 1;
  while (bottom < s.rows() && s.row_text(bottom)[static_cast<std::size_t>(left)] != kBottomLeft)
    ++bottom;
  if (bottom >= s.rows()) return box;
  box.found = true;
  std::vector<std::string> inner;
  for (int r = top + 1; r < bottom; ++r) {
    std::string row = s.row_text(r).substr(static_cast<std::size_t>(left + 1),
                                           static_cast<std::size_t>(right - left - 1));
    inner.push_back(text::cp850_to_utf8(trim(row)));
  }
  // Message lines, a blank line, the buttons.
  box.buttons = inner.back();
  box.lines.assign(inner.begin(), inner.end() - 2);
  return box;
}

}  // namespace codfix::testing
