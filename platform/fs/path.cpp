#include "platform/fs/path.h"

namespace codfix::fs {

namespace {

bool is_ascii_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

size_t drive_length(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && is_ascii_letter(path[0]) ? 2 : 0;
}

bool only_dots(std::string_view name) {
  return !name.empty() && name.find_first_not_of('.') == std::string_view::npos;
}

}  // namespace

bool is_separator(char c) {
  return c == '\\' || c == '/';
}

std::string_view file_name(std::string_view path) {
  size_t start = drive_length(path);
  for (size_t i = path.size(); i > start; --i) {
    if (is_separator(path[i - 1])) return path.substr(i);
  }
  return path.substr(start);
}

std::string_view folder_part(std::string_view path) {
  return path.substr(0, path.size() - file_name(path).size());
}

PathParts split_path(std::string_view path) {
  PathParts parts;
  size_t drive = drive_length(path);
  parts.drive = path.substr(0, drive);
  std::string_view base = file_name(path);
  parts.folder = path.substr(drive, path.size() - drive - base.size());
  size_t dot = base.rfind('.');
  if (dot == std::string_view::npos || only_dots(base)) {
    parts.name = base;
  } else {
    parts.name = base.substr(0, dot);
    parts.extension = base.substr(dot);
  }
  return parts;
}

std::string join_path(const PathParts& parts) {
  return parts.drive + parts.folder + parts.name + parts.extension;
}

std::string join(std::string_view folder, std::string_view name) {
  while (!name.empty() && is_separator(name.front())) name.remove_prefix(1);
  std::string joined(folder);
  if (!folder.empty() && !is_separator(folder.back()) && drive_length(folder) != folder.size()) {
    char separator = kSeparator;
    for (size_t i = folder.size(); i > 0; --i) {
      if (is_separator(folder[i - 1])) {
        separator = folder[i - 1];
        break;
      }
    }
    joined += separator;
  }
  joined += name;
  return joined;
}

bool is_absolute(std::string_view path) {
  size_t drive = drive_length(path);
  return path.size() > drive && is_separator(path[drive]);
}

std::string to_posix_separators(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

}  // namespace codfix::fs
