#include "platform/fs/attributes.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/fs/path.h"
#include "platform/fs/resolve.h"

namespace codfix::fs {

int attributes_from_mode(mode_t mode, std::string_view name) {
  int attributes = 0;
  if ((mode & S_IWUSR) == 0) attributes |= attr::kReadOnly;
  if (!name.empty() && name.front() == '.' && name != "." && name != "..") {
    attributes |= attr::kHidden;
  }
  if (S_ISDIR(mode)) attributes |= attr::kDirectory;
  return attributes;
}

Result<int> attributes(std::string_view path) {
  ResolvedPath resolved = resolve(path);
  struct stat st;
  if (stat(resolved.path.c_str(), &st) != 0) return path_error(errno, resolved);
  std::string_view name = file_name(resolved.path);
  return attributes_from_mode(st.st_mode, name);
}

}  // namespace codfix::fs
