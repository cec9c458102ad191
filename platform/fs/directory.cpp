#include "platform/fs/directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/fs/attributes.h"
#include "platform/fs/names.h"
#include "platform/fs/path.h"
#include "platform/fs/resolve.h"
#include "platform/fs/wildcard.h"

namespace codfix::fs {

namespace {

DateTime local_date_time(std::time_t when) {
  std::tm tm{};
  localtime_r(&when, &tm);
  return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// The folder to list, as a library path: "." when the pattern has no folder part.
std::string folder_of_pattern(std::string_view pattern) {
  std::string_view folder = folder_part(pattern);
  return folder.empty() ? std::string(".") : std::string(folder);
}

}  // namespace

Result<std::vector<DirEntry>> list_directory(std::string_view pattern, ListOptions options) {
  std::string_view name_pattern = file_name(pattern);
  if (name_pattern.empty()) name_pattern = "*";
  ResolvedPath folder = resolve(folder_of_pattern(pattern));
  if (!folder.exists) return error_from_errno(ENOENT, ErrnoContext::kFolder);

  DIR* dir = opendir(folder.path.c_str());
  if (dir == nullptr) return path_error(errno, folder);
  std::vector<DirEntry> entries;
  int fd = dirfd(dir);
  for (;;) {
    errno = 0;
    dirent* item = readdir(dir);
    if (item == nullptr) break;
    std::string_view name(item->d_name);
    if (!wildcard_match(name_pattern, name)) continue;
    struct stat st;
    if (fstatat(fd, item->d_name, &st, 0) != 0 &&
        fstatat(fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;  // removed since readdir saw it
    }
    int attributes = attributes_from_mode(st.st_mode, name);
    if ((attributes & attr::kDirectory) != 0 && !options.directories) continue;
    if ((attributes & attr::kHidden) != 0 && !options.hidden) continue;
    DirEntry entry;
    entry.name = name;
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.modified = local_date_time(st.st_mtime);
    entry.attributes = attributes;
    entries.push_back(std::move(entry));
  }
  int err = errno;
  closedir(dir);
  if (err != 0) return error_from_errno(err, ErrnoContext::kRead);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return compare_names(a.name, b.name) < 0; });
  return entries;
}

Status make_folder(std::string_view path) {
  ResolvedPath resolved = resolve(path);
  if (resolved.exists) return error_from_errno(EEXIST);
  if (mkdir(resolved.path.c_str(), 0777) != 0) return path_error(errno, resolved);
  return {};
}

Status make_folders(std::string_view path) {
  ResolvedPath resolved = resolve(path);
  const std::string& full = resolved.path;
  struct stat st;
  // Existing components are already in their on-disk case; create the rest in turn.
  for (size_t end = 0; end <= full.size(); ++end) {
    if (end < full.size() && full[end] != '/') continue;
    if (end == 0 || full[end - 1] == '/') continue;
    std::string prefix = full.substr(0, end);
    if (stat(prefix.c_str(), &st) == 0) {
      bool last = full.find_first_not_of('/', end) == std::string::npos;
      if (!S_ISDIR(st.st_mode)) return error_from_errno(last ? EEXIST : ENOTDIR);
      continue;
    }
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return error_from_errno(errno);
  }
  if (stat(full.c_str(), &st) != 0) return error_from_errno(errno, ErrnoContext::kFolder);
  if (!S_ISDIR(st.st_mode)) return error_from_errno(EEXIST);
  return {};
}

Result<std::string> current_folder() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(buffer.find('\0'));
      return buffer;
    }
    if (errno != ERANGE) return error_from_errno(errno, ErrnoContext::kFolder);
    buffer.resize(buffer.size() * 2);
  }
}

Status set_current_folder(std::string_view path) {
  ResolvedPath resolved = resolve(path);
  if (chdir(resolved.path.c_str()) != 0) {
    return error_from_errno(errno, ErrnoContext::kFolder);
  }
  return {};
}

Status sync_directory(std::string_view path) {
  ResolvedPath resolved = resolve(path);
  int fd = ::open(resolved.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return error_from_errno(errno, ErrnoContext::kFolder);
  int rc = fsync(fd);
  int err = errno;
  ::close(fd);
  // Some file systems cannot sync a folder (EINVAL): there is nothing to flush then.
  if (rc != 0 && err != EINVAL) return error_from_errno(err, ErrnoContext::kWrite);
  return {};
}

}  // namespace codfix::fs
