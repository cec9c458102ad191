#include "platform/filelock/files.h"

#include "platform/filelock/memory_space.h"
#include "platform/fs/errors.h"
#include "platform/fs/file_ops.h"

namespace codfix::filelock {

bool file_exists(std::string_view path) {
  return is_memory_name(path) ? MemorySpace::instance().exists(path) : fs::file_exists(path);
}

fs::Result<uint64_t> file_size(std::string_view path) {
  return is_memory_name(path) ? MemorySpace::instance().size(path) : fs::file_size(path);
}

fs::Status remove_file(std::string_view path) {
  return is_memory_name(path) ? MemorySpace::instance().remove(path) : fs::remove_file(path);
}

fs::Status rename_file(std::string_view from, std::string_view to) {
  const bool memory = is_memory_name(from);
  if (memory != is_memory_name(to)) return fs::Error{fs::dos::kNotSameDevice, 0};
  return memory ? MemorySpace::instance().rename(from, to) : fs::rename_file(from, to);
}

}  // namespace codfix::filelock
