// Unique temporary files: <prefix><4 hexadecimal digits>.tmp in a given folder,
// created empty with O_EXCL so that the name is reserved for the caller. A name
// already taken in any case of its letters is skipped.
//
// The prefix is cut to its first 3 characters and must not hold separators or
// wildcards (87). An empty folder means the system's temporary folder ($TMPDIR, else
// /tmp). When all 65536 names are taken the result is 82.
#pragma once

#include <string>
#include <string_view>

#include "platform/fs/file.h"
#include "platform/fs/result.h"

namespace codfix::fs {

struct TempFile {
  std::string path;  // the folder as given joined with the new name
  File file;         // open for reading and writing
};

Result<TempFile> create_temp_file(std::string_view folder, std::string_view prefix);

}  // namespace codfix::fs
