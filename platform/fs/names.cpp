#include "platform/fs/names.h"

namespace codfix::fs {

char fold_name_char(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string fold_name(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = fold_name_char(c);
  return out;
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold_name_char(a[i]) != fold_name_char(b[i])) return false;
  }
  return true;
}

int compare_names(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(fold_name_char(a[i]));
    auto y = static_cast<unsigned char>(fold_name_char(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int bytes = a.compare(b);
  return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

}  // namespace codfix::fs
