#include "platform/printer/printer_output.h"

namespace codfix::printer {

fs::Status PrinterOutput::set_file(std::string_view path, bool append) {
  if (file_.is_open()) (void)file_.close();
  state_.file = std::string(path);
  if (path.empty()) return {};
  auto opened = append ? fs::File::open(path, fs::Access::kWrite) : fs::File::create(path);
  if (!opened && append && opened.dos_error() == fs::dos::kFileNotFound)
    opened = fs::File::create(path);
  if (!opened) {
    state_.file.clear();
    return opened.error();
  }
  file_ = std::move(*opened);
  if (append) (void)file_.seek(0, fs::Whence::kEnd);
  return {};
}

fs::Status PrinterOutput::write(std::string_view text) {
  if (!state_.printing) return {};
  for (char c : text) {
    if (c == '\n') {
      ++state_.row;
      state_.col = 0;
    } else if (c == '\r') {
      state_.col = 0;
    } else if (c == '\f') {
      state_.row = 0;
      state_.col = 0;
    } else {
      ++state_.col;
    }
  }
  if (!file_.is_open()) return {};
  return file_.write(text);
}

fs::Status PrinterOutput::eject() {
  fs::Status s = write("\f");
  state_.row = 0;
  state_.col = 0;
  return s;
}

void PrinterOutput::set_position(int row, int col) {
  state_.row = row;
  state_.col = col;
}

fs::Status PrinterOutput::restore(const PrinterState& saved) {
  fs::Status s;
  if (saved.file != state_.file) s = set_file(saved.file, true);
  state_ = saved;
  return s;
}

PrinterOutput& current() {
  static PrinterOutput output;
  return output;
}

}  // namespace codfix::printer
