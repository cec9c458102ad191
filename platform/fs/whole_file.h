// Reading and writing a whole file in one call (settings files, logs, memo texts).
// The write replaces the file's content in place, creating it when missing.
#pragma once

#include <string>
#include <string_view>

#include "platform/fs/result.h"

namespace codfix::fs {

Result<std::string> read_file(std::string_view path);
Status write_file(std::string_view path, std::string_view bytes);

}  // namespace codfix::fs
