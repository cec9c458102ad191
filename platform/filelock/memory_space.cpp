#include "platform/filelock/memory_space.h"

#include <algorithm>
#include <cstring>

#include "platform/filelock/open_files.h"
#include "platform/fs/errors.h"
#include "platform/text/codepage.h"

namespace codfix::filelock {

namespace {

fs::Error dos_error(int code) {
  return fs::Error{code, 0};
}

}  // namespace

bool is_memory_name(std::string_view path) {
  if (path.size() < 4) return false;
  return text::upper(path.substr(0, 4)) == "MEM:";
}

MemorySpace& MemorySpace::instance() {
  static MemorySpace space;
  return space;
}

std::string MemorySpace::key(std::string_view name) {
  std::string k = text::upper(name);
  std::replace(k.begin(), k.end(), '/', '\\');
  return k;
}

void MemorySpace::set_capacity(uint64_t bytes) {
  std::lock_guard lock(mu_);
  capacity_ = bytes;
}

uint64_t MemorySpace::capacity() const {
  std::lock_guard lock(mu_);
  return capacity_;
}

uint64_t MemorySpace::used() const {
  std::lock_guard lock(mu_);
  return used_;
}

bool MemorySpace::exists(std::string_view name) const {
  return find(name) != nullptr;
}

std::shared_ptr<MemoryFile> MemorySpace::find(std::string_view name) const {
  std::lock_guard lock(mu_);
  auto it = files_.find(key(name));
  return it == files_.end() ? nullptr : it->second;
}

fs::Result<uint64_t> MemorySpace::size(std::string_view name) const {
  std::lock_guard lock(mu_);
  auto it = files_.find(key(name));
  if (it == files_.end()) return dos_error(fs::dos::kFileNotFound);
  return static_cast<uint64_t>(it->second->data.size());
}

fs::Status MemorySpace::remove(std::string_view name) {
  std::lock_guard lock(mu_);
  auto it = files_.find(key(name));
  if (it == files_.end()) return dos_error(fs::dos::kFileNotFound);
  if (!it->second->open.expired()) return dos_error(fs::dos::kSharingViolation);
  used_ -= it->second->data.size();
  files_.erase(it);
  return {};
}

fs::Status MemorySpace::rename(std::string_view from, std::string_view to) {
  std::lock_guard lock(mu_);
  auto it = files_.find(key(from));
  if (it == files_.end()) return dos_error(fs::dos::kFileNotFound);
  if (!it->second->open.expired()) return dos_error(fs::dos::kSharingViolation);
  if (key(from) != key(to) && files_.count(key(to)) != 0) return dos_error(fs::dos::kFileExists);
  std::shared_ptr<MemoryFile> file = it->second;
  files_.erase(it);
  file->name = std::string(to);
  files_[key(to)] = file;
  return {};
}

std::vector<std::string> MemorySpace::list() const {
  std::lock_guard lock(mu_);
  std::vector<std::string> names;
  for (const auto& [k, f] : files_) names.push_back(f->name);
  std::sort(names.begin(), names.end());
  return names;
}

void MemorySpace::clear() {
  std::lock_guard lock(mu_);
  for (auto it = files_.begin(); it != files_.end();) {
    if (it->second->open.expired()) {
      used_ -= it->second->data.size();
      it = files_.erase(it);
    } else {
      ++it;
    }
  }
}

fs::Result<std::shared_ptr<MemoryFile>> MemorySpace::create(std::string_view name) {
  std::lock_guard lock(mu_);
  auto it = files_.find(key(name));
  if (it != files_.end()) {
    if (!it->second->open.expired()) return dos_error(fs::dos::kSharingViolation);
    used_ -= it->second->data.size();
    it->second->data.clear();
    it->second->data.shrink_to_fit();
    return it->second;
  }
  if (used_ >= capacity_) return dos_error(kNoServerStorage);
  auto file = std::make_shared<MemoryFile>();
  file->name = std::string(name);
  files_[key(name)] = file;
  return file;
}

size_t MemorySpace::read(const MemoryFile& f, uint64_t offset, void* buffer, size_t count) const {
  std::lock_guard lock(mu_);
  if (offset >= f.data.size()) return 0;
  size_t n = std::min<uint64_t>(count, f.data.size() - offset);
  std::memcpy(buffer, f.data.data() + offset, n);
  return n;
}

fs::Status MemorySpace::write(MemoryFile& f, uint64_t offset, const void* data, size_t count) {
  std::lock_guard lock(mu_);
  uint64_t end = offset + count;
  if (end > f.data.size()) {
    uint64_t growth = end - f.data.size();
    if (used_ + growth > capacity_) return dos_error(kNoServerStorage);
    f.data.resize(end);
    used_ += growth;
  }
  if (count > 0) std::memcpy(f.data.data() + offset, data, count);
  return {};
}

uint64_t MemorySpace::size(const MemoryFile& f) const {
  std::lock_guard lock(mu_);
  return f.data.size();
}

fs::Status MemorySpace::truncate(MemoryFile& f, uint64_t size) {
  std::lock_guard lock(mu_);
  if (size > f.data.size()) {
    uint64_t growth = size - f.data.size();
    if (used_ + growth > capacity_) return dos_error(kNoServerStorage);
    used_ += growth;
  } else {
    used_ -= f.data.size() - size;
  }
  f.data.resize(size);
  return {};
}

}  // namespace codfix::filelock
