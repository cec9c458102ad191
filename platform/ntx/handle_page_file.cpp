#include "platform/ntx/handle_page_file.h"

#include <utility>

#include "platform/indexing/handle_page_file.h"
#include "platform/ntx/header.h"

namespace codfix::ntx {

std::unique_ptr<PageFile> make_page_file(filelock::Handle handle) {
  return indexing::make_page_file(std::move(handle), kLockOffset);
}

Result<std::unique_ptr<PageFile>> open_page_file(const std::string& path, FileOptions options) {
  return indexing::open_page_file(path, options, kLockOffset);
}

}  // namespace codfix::ntx
