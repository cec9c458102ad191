// The NTX driver's orders: an Order over one .ntx file (platform/ntx), opened or
// built for a table. The index file is opened with the table's share mode through
// the process-wide open-file table, so its lock conflicts across work areas and
// processes alike.
//
// Keys: character keys are ordered by the active collation (PT850 by default),
// numeric, date and logical keys bytewise. The key type is found by evaluating the
// key expression on the table's current record: callers put the table on its
// phantom (blank) record and make its work area current before open() and
// start_build().
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/dbf/order.h"
#include "platform/filelock/handle.h"

namespace codfix::dbf {

struct NtxBuildOptions {
  std::string key_text;
  std::string for_text;  // empty: no condition
  std::string tag_name;  // empty: none stored
  bool unique = false;
  bool descending = false;
  bool partial = false;       // built from part of the table (a scope): flag it in the header
  bool write_behind = false;  // the file written to the disk as it is built (Table)
};

// The index file name: `.ntx` added when the name has no extension.
std::string ntx_file_name(std::string_view path);

// Opens an index file for a table. A header that fails its checks, or whose
// expressions do not compile, is 32/1012; a missing file 21/1003.
std::unique_ptr<Order> open_ntx_order(std::string_view path, bool writable, filelock::Share share,
                                      Failure& failure);

// Creates (empties) the file and returns the build that fills it. A key that does
// not compile raises the syntax error and fails; a key of no type or width is
// 33/1026, a FOR that is not logical 33/1053; the file 20/1006.
std::unique_ptr<OrderBuild> start_ntx_build(std::string_view path, const NtxBuildOptions& options,
                                            bool writable, filelock::Share share, Failure& failure);

}  // namespace codfix::dbf
