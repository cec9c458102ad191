// Folders: listing with wildcards, creating, the current folder, and syncing a
// folder after renames.
//
// Names are library paths resolved without regard to case (resolve.h). Listings
// come back sorted by name ignoring case, so that they are the same on every run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/result.h"

namespace codfix::fs {

// Modification date and time, local time.
struct DateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

struct DirEntry {
  std::string name;  // as on disk
  std::uint64_t size = 0;
  DateTime modified;
  int attributes = 0;  // attributes.h
};

struct ListOptions {
  bool directories = false;  // include folders, "." and ".." among them
  bool hidden = false;       // include hidden entries (names starting with '.')
};

// Lists the entries of a folder whose names match a wildcard pattern (wildcard.h):
// "DADOS\*.DBF", "/x/y/*.", "*.usr". The pattern is the last component; an empty
// one (a path ending in a separator) matches everything. A missing folder is 3;
// a folder with no match gives an empty list.
Result<std::vector<DirEntry>> list_directory(std::string_view pattern, ListOptions options = {});

// Creates one folder; its parent must exist (3). An existing entry, in any case of
// the name, is 80.
Status make_folder(std::string_view path);
// Creates a folder and every missing folder above it. Succeeds when the folder
// already exists; fails (80) when a file is in the way.
Status make_folders(std::string_view path);

Result<std::string> current_folder();
Status set_current_folder(std::string_view path);

// Flushes a folder's entries to disk (after renaming or creating files in it).
Status sync_directory(std::string_view path);

}  // namespace codfix::fs
