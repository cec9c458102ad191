// PageFile over a filelock::Handle: the process-wide open-file table (one
// descriptor per file), its share modes and its table of held lock ranges.
#include "platform/indexing/handle_page_file.h"

#include <string>
#include <utility>

namespace codfix::indexing {
namespace {

Status failure(Code code, const std::string& what, const fs::Error& e) {
  return Status(code, what + ": " + e.message(), e.os);
}

class HandlePageFile final : public PageFile {
 public:
  HandlePageFile(filelock::Handle handle, uint64_t lock_offset)
      : h_(std::move(handle)), lock_offset_(lock_offset) {}

  Status read_at(uint64_t offset, void* buffer, size_t count) override {
    auto r = h_.read_at(offset, buffer, count);
    if (!r.ok()) return failure(Code::kReadError, "read " + name(), r.error());
    if (*r != count)
      return Status(Code::kReadError,
                    "read past the end of " + name() + " at " + std::to_string(offset));
    return {};
  }
  Status write_at(uint64_t offset, const void* data, size_t count) override {
    auto r = h_.write_at(offset, data, count);
    if (!r.ok()) return failure(Code::kWriteError, "write " + name(), r.error());
    return {};
  }
  Result<uint64_t> size() override {
    auto r = h_.size();
    if (!r.ok()) return failure(Code::kReadError, "size of " + name(), r.error());
    return *r;
  }
  Status truncate(uint64_t size) override {
    auto r = h_.truncate(size);
    if (!r.ok()) return failure(Code::kWriteError, "truncate " + name(), r.error());
    return {};
  }
  Status sync() override {
    auto r = h_.sync();
    if (!r.ok()) return failure(Code::kWriteError, "flush " + name(), r.error());
    return {};
  }
  bool shared() const override { return h_.share() == filelock::Share::kShared; }
  bool writable() const override { return h_.writable(); }
  Status lock(LockMode mode) override {
    auto kind = mode == LockMode::kShared ? filelock::LockKind::kRead : filelock::LockKind::kWrite;
    auto r = h_.lock(lock_offset_, 1, kind, filelock::Wait::kYes);
    if (!r.ok()) return failure(Code::kLockError, "lock " + name(), r.error());
    return {};
  }
  Status unlock() override {
    h_.unlock(lock_offset_, 1);
    return {};
  }
  std::string name() const override { return h_.path(); }

 private:
  filelock::Handle h_;
  uint64_t lock_offset_;
};

}  // namespace

std::unique_ptr<PageFile> make_page_file(filelock::Handle handle, uint64_t lock_offset) {
  return std::make_unique<HandlePageFile>(std::move(handle), lock_offset);
}

Result<std::unique_ptr<PageFile>> open_page_file(const std::string& path, FileOptions options,
                                                 uint64_t lock_offset) {
  if (options.create) {
    auto h = filelock::Handle::create(path);
    if (!h.ok()) return failure(Code::kCreateError, "create " + path, h.error());
    return make_page_file(std::move(*h), lock_offset);
  }
  auto share = options.shared ? filelock::Share::kShared : filelock::Share::kExclusive;
  auto h = filelock::Handle::open(path, options.writable, share);
  if (!h.ok()) return failure(Code::kOpenError, "open " + path, h.error());
  return make_page_file(std::move(*h), lock_offset);
}

}  // namespace codfix::indexing
