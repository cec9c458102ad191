#include "platform/text/memo_lines.h"

namespace codfix::text {
namespace {

bool hard_break(std::string_view t, std::size_t i) {
  return i + 1 < t.size() && t[i] == '\r' && t[i + 1] == '\n';
}
bool soft_break(std::string_view t, std::size_t i) {
  return i + 1 < t.size() && static_cast<unsigned char>(t[i]) == 0x8D && t[i + 1] == '\n';
}

}  // namespace

std::vector<std::string> memo_lines(std::string_view t, int width, int tab_width, bool wrap) {
  std::vector<std::string> lines;
  if (width < 1) width = 1;
  if (tab_width < 1) tab_width = 1;
  const auto w = static_cast<std::size_t>(width);
  std::size_t i = 0;
  while (i < t.size()) {
    std::string line;
    std::size_t last_blank = std::string::npos;  // position in `line`
    std::size_t blank_source = 0;                // position in `t` after that blank
    while (i < t.size()) {
      if (hard_break(t, i) || soft_break(t, i)) {
        i += 2;
        break;
      }
      char c = t[i];
      std::string piece =
          c == '\t' ? std::string(tab_width - line.size() % tab_width, ' ') : std::string(1, c);
      if (line.size() + piece.size() > w) {
        if (c == ' ') {
          ++i;  // the blank at the break is consumed
        } else if (wrap && last_blank != std::string::npos) {
          line.resize(last_blank);
          i = blank_source;
        }
        break;
      }
      if (c == ' ' || c == '\t') {
        last_blank = line.size();
        blank_source = i + 1;
      }
      line += piece;
      ++i;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

int memo_line_count(std::string_view text, int width, int tab_width, bool wrap) {
  return static_cast<int>(memo_lines(text, width, tab_width, wrap).size());
}

std::string memo_line(std::string_view text, int width, int n, int tab_width, bool wrap) {
  std::vector<std::string> lines = memo_lines(text, width, tab_width, wrap);
  std::string line = n >= 1 && static_cast<std::size_t>(n) <= lines.size() ? lines[n - 1] : "";
  if (width > 0) line.resize(static_cast<std::size_t>(width), ' ');
  return line;
}

}  // namespace codfix::text
