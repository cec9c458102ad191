#include "platform/fs/temp_file.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <unordered_set>

#include "platform/fs/names.h"
#include "platform/fs/path.h"
#include "platform/fs/resolve.h"
#include "platform/fs/wildcard.h"

namespace codfix::fs {

namespace {

constexpr unsigned kNameCount = 0x10000;

std::string system_temp_folder() {
  const char* tmpdir = std::getenv("TMPDIR");
  return tmpdir != nullptr && *tmpdir != '\0' ? std::string(tmpdir) : std::string("/tmp");
}

// Where to start counting: differs between processes and between calls.
unsigned start_number() {
  static unsigned calls = 0;
  auto ticks =
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count() / 1000);
  return (ticks ^ (static_cast<unsigned>(getpid()) * 2654435761u) ^ (++calls * 40503u)) %
         kNameCount;
}

std::string temp_name(std::string_view prefix, unsigned number) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string name(prefix);
  for (int shift = 12; shift >= 0; shift -= 4) name += kHex[(number >> shift) & 0xF];
  name += ".tmp";
  return name;
}

// The names already in the folder, folded, so that no case-twin is made.
std::unordered_set<std::string> taken_names(const std::string& folder) {
  std::unordered_set<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* item = readdir(dir)) names.insert(fold_name(item->d_name));
    closedir(dir);
  }
  return names;
}

}  // namespace

Result<TempFile> create_temp_file(std::string_view folder, std::string_view prefix) {
  prefix = prefix.substr(0, 3);
  for (char c : prefix) {
    if (is_separator(c) || c == '\0' || has_wildcards(std::string_view(&c, 1))) {
      return Error{dos::kInvalidParameter, 0};
    }
  }
  std::string folder_text = folder.empty() ? system_temp_folder() : std::string(folder);
  ResolvedPath resolved = resolve(folder_text);
  if (!resolved.exists) return error_from_errno(ENOENT, ErrnoContext::kFolder);

  std::unordered_set<std::string> taken = taken_names(resolved.path);
  unsigned start = start_number();
  for (unsigned i = 0; i < kNameCount; ++i) {
    std::string name = temp_name(prefix, (start + i) % kNameCount);
    if (taken.count(fold_name(name)) != 0) continue;
    Result<File> file = File::create_new(join(resolved.path, name));
    if (file) return TempFile{join(folder_text, name), std::move(*file)};
    if (file.dos_error() != dos::kFileExists) return file.error();
  }
  return Error{dos::kCannotMake, 0};
}

}  // namespace codfix::fs
