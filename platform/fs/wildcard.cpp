#include "platform/fs/wildcard.h"

#include "platform/fs/names.h"

namespace codfix::fs {

namespace {

bool has_extension(std::string_view name) {
  return name.find_first_not_of('.') != std::string_view::npos &&
         name.find('.') != std::string_view::npos;
}

// '*' and '?' over the whole name, with backtracking to the last '*'.
bool glob(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || fold_name_char(pattern[p]) == fold_name_char(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool has_wildcards(std::string_view pattern) {
  return pattern.find_first_of("*?") != std::string_view::npos;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
  bool only_dots = pattern.find_first_not_of('.') == std::string_view::npos;
  if (!only_dots && pattern.back() == '.') {
    pattern.remove_suffix(1);
    return !has_extension(name) && glob(pattern, name);
  }
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
    if (glob(pattern, name)) return true;
    return !has_extension(name) && glob(pattern.substr(0, pattern.size() - 2), name);
  }
  return glob(pattern, name);
}

}  // namespace codfix::fs
