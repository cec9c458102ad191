#include "lib/core/text_util.h"

namespace codfix {

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view trim_left(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

std::string_view trim(std::string_view s) {
  return trim_left(trim_right(s));
}

std::string pad_right(std::string_view s, std::size_t width, char fill) {
  std::string out(s.substr(0, width));
  out.resize(width, fill);
  return out;
}

std::string pad_left(std::string_view s, std::size_t width, char fill) {
  if (s.size() >= width) return std::string(s.substr(0, width));
  return std::string(width - s.size(), fill) + std::string(s);
}

std::vector<std::string> tokens(std::string_view text, std::string_view separators) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && separators.find(text[i]) != std::string_view::npos) ++i;
    if (i >= text.size()) break;
    std::size_t start = i;
    while (i < text.size() && separators.find(text[i]) == std::string_view::npos) ++i;
    out.emplace_back(text.substr(start, i - start));
  }
  return out;
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(from, pos)) != std::string_view::npos;) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace codfix
