#include "platform/cdx/production.h"

#include "platform/filelock/files.h"
#include "platform/fs/path.h"
#include "platform/fs/resolve.h"

namespace codfix::cdx {
namespace {

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// The folder of a path as an absolute, resolved path ("." for none).
std::string folder_of(std::string_view path) {
  std::string_view folder = fs::folder_part(path);
  auto full = fs::full_path(folder.empty() ? std::string_view(".") : folder);
  return full.ok() ? fs::to_posix_separators(*full) : std::string(folder);
}

}  // namespace

std::string production_index_name(std::string_view table_path) {
  fs::PathParts parts = fs::split_path(table_path);
  bool lower = false;
  for (char c : parts.name)
    if (c >= 'a' && c <= 'z') lower = true;
  parts.extension = lower ? ".cdx" : ".CDX";
  return fs::join_path(parts);
}

std::optional<std::string> find_production_index(std::string_view table_path) {
  const std::string name = production_index_name(table_path);
  if (!filelock::file_exists(name)) return std::nullopt;
  if (name.size() >= 4 && same_ignoring_case(std::string_view(name).substr(0, 4), "MEM:"))
    return name;
  return fs::resolve(name).path;
}

bool is_production_index(std::string_view table_path, std::string_view index_path) {
  const fs::PathParts table = fs::split_path(table_path);
  const fs::PathParts index = fs::split_path(index_path);
  if (!same_ignoring_case(index.extension, ".cdx") || !same_ignoring_case(index.name, table.name))
    return false;
  if (same_ignoring_case(table.drive + table.folder, index.drive + index.folder)) return true;
  const std::string a = folder_of(table_path), b = folder_of(index_path);
  return a == b || same_ignoring_case(a, b);
}

}  // namespace codfix::cdx
