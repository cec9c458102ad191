#include "platform/cdx/page_file.h"

#include <utility>

#include "platform/cdx/layout.h"
#include "platform/indexing/handle_page_file.h"

namespace codfix::cdx {

Result<std::unique_ptr<PageFile>> open_page_file(const std::string& path, FileOptions options) {
  return indexing::open_page_file(path, options, kLockOffset);
}

std::unique_ptr<PageFile> make_page_file(filelock::Handle handle) {
  return indexing::make_page_file(std::move(handle), kLockOffset);
}

}  // namespace codfix::cdx
