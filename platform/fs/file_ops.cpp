#include "platform/fs/file_ops.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/fs/file.h"
#include "platform/fs/names.h"
#include "platform/fs/path.h"
#include "platform/fs/resolve.h"

namespace codfix::fs {

namespace {

bool stat_path(std::string_view path, struct stat& st) {
  ResolvedPath resolved = resolve(path);
  return resolved.exists && stat(resolved.path.c_str(), &st) == 0;
}

bool same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// rename() that fails with EEXIST instead of replacing an existing target.
int rename_no_replace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // The file system cannot rename without replacing: test first, then rename.
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from.c_str(), to.c_str());
}

// Copies all bytes from `in` to `out`.
Status copy_bytes(File& in, File& out) {
  std::vector<char> buffer(256 * 1024);
  for (;;) {
    Result<size_t> got = in.read(buffer.data(), buffer.size());
    if (!got) return got.error();
    if (*got == 0) return {};
    Status put = out.write(buffer.data(), *got);
    if (!put) return put;
  }
}

}  // namespace

bool exists(std::string_view path) {
  return resolve(path).exists;
}

bool file_exists(std::string_view path) {
  struct stat st;
  return stat_path(path, st) && !S_ISDIR(st.st_mode);
}

bool folder_exists(std::string_view path) {
  struct stat st;
  return stat_path(path, st) && S_ISDIR(st.st_mode);
}

Result<std::uint64_t> file_size(std::string_view path) {
  ResolvedPath resolved = resolve(path);
  struct stat st;
  if (stat(resolved.path.c_str(), &st) != 0) return path_error(errno, resolved);
  if (S_ISDIR(st.st_mode)) return error_from_errno(EISDIR);
  return static_cast<std::uint64_t>(st.st_size);
}

Status remove_file(std::string_view path) {
  ResolvedPath resolved = resolve(path);
  struct stat st;
  if (lstat(resolved.path.c_str(), &st) != 0) return path_error(errno, resolved);
  if (S_ISDIR(st.st_mode)) return error_from_errno(EISDIR);
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return Error{dos::kAccessDenied, 0};
  if (unlink(resolved.path.c_str()) != 0) return path_error(errno, resolved);
  return {};
}

Status rename_file(std::string_view from, std::string_view to, bool replace) {
  ResolvedPath source = resolve(from);
  struct stat src;
  if (lstat(source.path.c_str(), &src) != 0) return path_error(errno, source);
  ResolvedPath target = resolve(to);
  std::string target_path = target.path;
  struct stat dst;
  if (target.exists && lstat(target.path.c_str(), &dst) == 0) {
    if (same_file(src, dst) && same_name(source.path, target.path)) {
      // The same file under another case of its name: only the case changes.
      target_path = std::string(folder_part(target.path)) + to_posix_separators(file_name(to));
      if (target_path == source.path) return {};
      replace = true;
    } else if (!replace) {
      return error_from_errno(EEXIST);
    }
  }
  int rc = replace ? ::rename(source.path.c_str(), target_path.c_str())
                   : rename_no_replace(source.path, target_path);
  if (rc != 0) return path_error(errno, target);
  return {};
}

Status copy_file(std::string_view from, std::string_view to, bool replace) {
  Result<File> in = File::open(from, Access::kRead);
  if (!in) return in.error();
  struct stat src;
  if (fstat(in->descriptor(), &src) != 0) return error_from_errno(errno, ErrnoContext::kRead);

  ResolvedPath target = resolve(to);
  struct stat dst;
  if (target.exists && stat(target.path.c_str(), &dst) == 0) {
    if (same_file(src, dst)) return Error{dos::kSharingViolation, 0};
    if (!replace) return error_from_errno(EEXIST);
  }
  Result<File> out = replace ? File::create(target.path) : File::create_new(target.path);
  if (!out) return out.error();

  Status copied = copy_bytes(*in, *out);
  if (copied) {
    if (fchmod(out->descriptor(), src.st_mode & 07777) != 0) {
      copied = error_from_errno(errno);
    } else {
      struct timespec times[2] = {src.st_atim, src.st_mtim};
      if (futimens(out->descriptor(), times) != 0) copied = error_from_errno(errno);
    }
  }
  if (copied) copied = out->close();
  if (!copied) {
    std::string partial = out->path();
    (void)out->close();  // the copy's own error is the one to report
    unlink(partial.c_str());
  }
  return copied;
}

}  // namespace codfix::fs
