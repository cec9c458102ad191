#include "platform/filelock/open_files.h"

#include <atomic>
#include <map>
#include <utility>

namespace codfix::filelock {

namespace {

std::map<std::pair<dev_t, ino_t>, std::weak_ptr<OpenFile>>& table() {
  static std::map<std::pair<dev_t, ino_t>, std::weak_ptr<OpenFile>> files;
  return files;
}

}  // namespace

std::shared_ptr<OpenFile> find_open_file(dev_t dev, ino_t ino) {
  auto it = table().find({dev, ino});
  return it == table().end() ? nullptr : it->second.lock();
}

void register_open_file(const std::shared_ptr<OpenFile>& file) {
  table()[{file->dev, file->ino}] = file;
}

void unregister_open_file(const OpenFile& file) {
  auto it = table().find({file.dev, file.ino});
  if (it != table().end() && it->second.lock().get() == &file) table().erase(it);
}

uint64_t next_owner_id() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

}  // namespace codfix::filelock
