#include "platform/fs/line_reader.h"

#include <cstring>

namespace codfix::fs {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

LineReader::LineReader(File file) : file_(std::move(file)), buffer_(kBufferSize) {}

Result<LineReader> LineReader::open(std::string_view path) {
  Result<File> file = File::open(path, Access::kRead);
  if (!file) return file.error();
  return LineReader(std::move(*file));
}

Status LineReader::fill() {
  Result<size_t> got = file_.read(buffer_.data() + end_, buffer_.size() - end_);
  if (!got) return got.error();
  if (*got == 0) at_end_ = true;
  end_ += *got;
  return {};
}

bool LineReader::next(std::string& line) {
  line.clear();
  if (!status_) return false;
  for (;;) {
    const char* begin = buffer_.data() + start_;
    const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', end_ - start_));
    if (newline != nullptr) {
      line.append(begin, newline);
      start_ = static_cast<size_t>(newline - buffer_.data()) + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    // No line ending in the buffer: keep what is there and read more.
    line.append(begin, end_ - start_);
    start_ = end_ = 0;
    if (at_end_) return !line.empty();
    status_ = fill();
    if (!status_) return false;
    if (at_end_ && end_ == 0) return !line.empty();
  }
}

}  // namespace codfix::fs
