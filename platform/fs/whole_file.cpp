#include "platform/fs/whole_file.h"

#include "platform/fs/file.h"

namespace codfix::fs {

Result<std::string> read_file(std::string_view path) {
  Result<File> file = File::open(path, Access::kRead);
  if (!file) return file.error();
  Result<std::uint64_t> size = file->size();
  if (!size) return size.error();
  std::string bytes;
  bytes.resize(static_cast<size_t>(*size));
  Result<size_t> got = file->read(bytes.data(), bytes.size());
  if (!got) return got.error();
  bytes.resize(*got);
  // The file may have grown since its size was taken.
  char more[4096];
  for (;;) {
    Result<size_t> extra = file->read(more, sizeof more);
    if (!extra) return extra.error();
    if (*extra == 0) break;
    bytes.append(more, *extra);
  }
  return bytes;
}

Status write_file(std::string_view path, std::string_view bytes) {
  Result<File> file = File::create(path);
  if (!file) return file.error();
  Status written = file->write(bytes);
  if (!written) return written;
  return file->close();
}

}  // namespace codfix::fs
