// The CDX driver's orders: an Order per tag of a compound .cdx file (platform/cdx),
// all the orders of one file sharing its one open CompoundFile. The file is opened
// with the table's share mode through the process-wide open-file table.
//
// Keys: character keys are ordered by the active collation, the others bytewise.
// The key type of a tag is found by evaluating its key expression on the table's
// current record: callers put the table on its phantom (blank) record and make its
// work area current before open_cdx_orders() and start_cdx_build().
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dbf/order.h"
#include "platform/filelock/handle.h"

namespace codfix::cdx {
class CompoundFile;
}

namespace codfix::dbf {

struct CdxBuildOptions {
  std::string key_text;
  std::string for_text;  // empty: no condition
  std::string tag_name;  // empty: the bag file's base name
  bool unique = false;
  bool descending = false;
  bool write_behind = false;  // a new file written to the disk as it is built (Table)
};

// The bag file name: `.cdx` added when the name has no extension.
std::string cdx_file_name(std::string_view path);

// The compound file under an order of this driver; null for other orders.
std::shared_ptr<cdx::CompoundFile> cdx_bag_of(const Order& order);

// Opens a compound file and every tag in it, in creation order. A damaged file or
// a tag whose expressions do not compile is 32/1012; a missing file 21/1003; a
// file without tags 32/1012.
std::vector<std::unique_ptr<Order>> open_cdx_orders(std::string_view path, bool writable,
                                                    filelock::Share share, Failure& failure);

// Starts a tag build into `path`: into `bag` when the file is already open (an
// attached order's cdx_bag_of()), else into the file when it exists, else into a
// new file. A tag of the same name is replaced when the build finishes. A key that
// does not compile raises the syntax error and fails; a key of no type or width is
// 33/1026, a FOR that is not logical 33/1053.
std::unique_ptr<OrderBuild> start_cdx_build(std::string_view path, const CdxBuildOptions& options,
                                            std::shared_ptr<cdx::CompoundFile> bag, bool writable,
                                            filelock::Share share, Failure& failure);

}  // namespace codfix::dbf
