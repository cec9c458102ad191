// DOS-style file attributes as one number (1 read-only, 2 hidden, 4 system,
// 16 directory, 32 archive), worked out from what POSIX keeps: read-only when the
// owner may not write, hidden when the name starts with '.', directory. The
// system and archive bits are never set on POSIX.
#pragma once

#include <sys/types.h>

#include <string_view>

#include "platform/fs/result.h"

namespace codfix::fs {

namespace attr {
inline constexpr int kReadOnly = 1;
inline constexpr int kHidden = 2;
inline constexpr int kSystem = 4;
inline constexpr int kDirectory = 16;
inline constexpr int kArchive = 32;
}  // namespace attr

// The attributes of an entry named `name` with the mode bits `mode` (st_mode).
int attributes_from_mode(mode_t mode, std::string_view name);

// The attributes of the file or folder at `path`.
Result<int> attributes(std::string_view path);

}  // namespace codfix::fs
