// Whole-file operations that understand both disk paths and MEM: names of the
// memory space: existence, size, delete, rename. Disk names go to platform/fs.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fs/result.h"

namespace codfix::filelock {

bool file_exists(std::string_view path);
fs::Result<uint64_t> file_size(std::string_view path);
fs::Status remove_file(std::string_view path);
// Both names must be of the same kind (disk or memory); otherwise 17.
fs::Status rename_file(std::string_view from, std::string_view to);

}  // namespace codfix::filelock
