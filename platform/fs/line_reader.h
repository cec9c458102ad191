// LineReader: reads a text file one line at a time. LF or CR LF ends a line (the
// ending is not part of the line); a last line without an ending is still given.
// A CR not followed by LF stays in the line. Bytes are passed through unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/file.h"
#include "platform/fs/result.h"

namespace codfix::fs {

class LineReader {
 public:
  // Reads `file` from its current position on.
  explicit LineReader(File file);
  static Result<LineReader> open(std::string_view path);

  // Fills `line` with the next line and returns true; returns false at the end of
  // the file or on a read failure, which status() then reports:
  //   while (reader.next(line)) { ... }
  //   if (!reader.status()) { ... }
  bool next(std::string& line);
  const Status& status() const { return status_; }

  File& file() { return file_; }

 private:
  Status fill();

  File file_;
  std::vector<char> buffer_;
  size_t start_ = 0;  // first unread byte in buffer_
  size_t end_ = 0;    // one past the last byte read into buffer_
  bool at_end_ = false;
  Status status_;
};

}  // namespace codfix::fs
