// Whole-file operations by name: existence, size, delete, rename, copy.
//
// Names are library paths resolved without regard to case (resolve.h); a target
// that exists in another case is that file, never a new case-twin.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fs/result.h"

namespace codfix::fs {

// True when the path names a file or a folder.
bool exists(std::string_view path);
// True when the path names something that is not a folder.
bool file_exists(std::string_view path);
// True when the path names a folder.
bool folder_exists(std::string_view path);

Result<std::uint64_t> file_size(std::string_view path);

// Deletes a file. Folders (5) and files marked read-only (5) are refused, as on DOS.
Status remove_file(std::string_view path);

// Renames or moves a file or folder within one file system (17 across them). An
// existing target fails with 80 unless `replace` is set; renaming a file to its own
// name in another case changes the case of its name.
Status rename_file(std::string_view from, std::string_view to, bool replace = false);

// Copies a file's bytes, permission bits and modification time. An existing target
// is replaced unless `replace` is false (80). Copying a file onto itself fails (32)
// instead of emptying it; a copy that fails part way leaves no partial target.
Status copy_file(std::string_view from, std::string_view to, bool replace = true);

}  // namespace codfix::fs
