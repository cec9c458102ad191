// Maps a library path to the POSIX path to hand to the system.
//
// A '\' is a separator. Each component that exists on disk is found without regard
// to case (a table written as "KVPROD.DBF" may be "kvprod.dbf" here); the first
// component that does not exist, and all after it, are kept as given, so creating
// through the result never makes a second file that differs only by case. When the
// exact name exists it is used at once; folders are read only on a miss.
//
// Drive letters are not interpreted on POSIX; "." and ".." are left to the system.
#pragma once

#include <string>
#include <string_view>

#include "platform/fs/errors.h"
#include "platform/fs/result.h"

namespace codfix::fs {

struct ResolvedPath {
  std::string path;            // the POSIX path
  bool exists = false;         // every component was found
  bool parent_exists = false;  // the folder holding the last component was found
};

ResolvedPath resolve(std::string_view library_path);

// The Error for an errno returned by a system call made on `resolved.path`: a
// missing entry is "path not found" (3) when its folder is missing, else "file not
// found" (2).
Error path_error(int err, const ResolvedPath& resolved);

// The absolute path of a name: relative names start at the current folder, "." and
// ".." are applied to the text, and existing components are resolved as above.
Result<std::string> full_path(std::string_view library_path);

}  // namespace codfix::fs
