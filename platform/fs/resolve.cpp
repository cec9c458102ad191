#include "platform/fs/resolve.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "platform/fs/directory.h"
#include "platform/fs/names.h"
#include "platform/fs/path.h"

namespace codfix::fs {

namespace {

std::vector<std::string_view> components(std::string_view posix) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < posix.size()) {
    size_t end = posix.find('/', i);
    if (end == std::string_view::npos) end = posix.size();
    if (end > i) parts.push_back(posix.substr(i, end - i));
    i = end + 1;
  }
  return parts;
}

void append_component(std::string& path, std::string_view component) {
  if (!path.empty() && path.back() != '/') path += '/';
  path += component;
}

// The entry of `folder` whose name equals `name` ignoring case; the smallest in byte
// order when case-twins already exist. Empty when there is none.
std::string find_ignoring_case(const std::string& folder, std::string_view name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (dirent* entry = readdir(dir)) {
    std::string_view candidate(entry->d_name);
    if (same_name(candidate, name) && (found.empty() || candidate < found)) found = candidate;
  }
  closedir(dir);
  return found;
}

}  // namespace

ResolvedPath resolve(std::string_view library_path) {
  ResolvedPath resolved;
  resolved.path = to_posix_separators(library_path);
  struct stat st;
  if (resolved.path.empty()) {
    resolved.parent_exists = true;
    return resolved;
  }
  if (stat(resolved.path.c_str(), &st) == 0) {
    resolved.exists = resolved.parent_exists = true;
    return resolved;
  }

  const std::string posix = resolved.path;
  const std::vector<std::string_view> parts = components(posix);
  std::string path = posix.front() == '/' ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string_view part = parts[i];
    std::string candidate = path;
    append_component(candidate, part);
    bool found = part == "." || part == ".." || stat(candidate.c_str(), &st) == 0;
    int err = found ? 0 : errno;
    if (!found && err == ENOENT) {
      std::string on_disk = find_ignoring_case(path, part);
      if (!on_disk.empty()) {
        candidate = path;
        append_component(candidate, on_disk);
        found = true;
      }
    }
    if (!found) {
      // Keep this component and the rest as given.
      for (size_t j = i + 1; j < parts.size(); ++j) append_component(candidate, parts[j]);
      if (posix.back() == '/') candidate += '/';
      resolved.path = candidate;
      resolved.exists = false;
      resolved.parent_exists = i + 1 == parts.size() && err != ENOTDIR;
      return resolved;
    }
    path = std::move(candidate);
  }
  if (posix.back() == '/' && path.back() != '/') path += '/';
  resolved.path = path;
  resolved.exists = resolved.parent_exists = true;
  return resolved;
}

Error path_error(int err, const ResolvedPath& resolved) {
  return error_from_errno(
      err, err == ENOENT && !resolved.parent_exists ? ErrnoContext::kFolder : ErrnoContext::kFile);
}

Result<std::string> full_path(std::string_view library_path) {
  std::string text = to_posix_separators(library_path);
  if (text.empty() || text.front() != '/') {
    Result<std::string> cwd = current_folder();
    if (!cwd) return cwd.error();
    text = join(*cwd, text);
  }
  std::vector<std::string_view> kept;
  for (std::string_view part : components(text)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(part);
  }
  std::string normal = "/";
  for (std::string_view part : kept) append_component(normal, part);
  return resolve(normal).path;
}

}  // namespace codfix::fs
