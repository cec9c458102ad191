// Text operations on library paths: splitting into drive, folder, name and extension,
// and joining them back. Pure string work, no file-system access.
//
// Both '\' and '/' are separators on every platform; a drive is a letter followed by
// ':' at the start ("C:"). Texts are bytes (code page 850 names pass through as is).
#pragma once

#include <string>
#include <string_view>

namespace codfix::fs {

// The separator this platform's own paths use.
inline constexpr char kSeparator = '/';

bool is_separator(char c);

// The parts of a path; joining them in order gives the path back.
//   "C:\DADOS\KVPROD.DBF" -> drive "C:", folder "\DADOS\", name "KVPROD", extension ".DBF"
// The folder keeps its trailing separator; the extension starts at the last '.' of
// the file name and keeps it. A name made only of dots ("." or "..") has no extension.
struct PathParts {
  std::string drive;
  std::string folder;
  std::string name;
  std::string extension;
};

PathParts split_path(std::string_view path);
std::string join_path(const PathParts& parts);

// The file name with its extension: what follows the drive and the last separator.
std::string_view file_name(std::string_view path);
// Drive and folder, with the trailing separator: everything before file_name().
std::string_view folder_part(std::string_view path);

// Joins a folder and a name. Leading separators of `name` are dropped; a separator
// is added unless `folder` is empty, ends with one, or is a bare drive ("C:"). The
// added separator is the last one `folder` uses, else kSeparator.
std::string join(std::string_view folder, std::string_view name);

// True when the path starts at a root: a separator, possibly after a drive.
bool is_absolute(std::string_view path);

// The path with every '\' turned into '/'.
std::string to_posix_separators(std::string_view path);

}  // namespace codfix::fs
