#include "platform/console/stream_backend.h"

#include <string>

#include "platform/text/codepage.h"

namespace codfix::console {

StreamBackend::~StreamBackend() {
  if (line_open_) {
    std::fputc('\n', out_);
    std::fflush(out_);
  }
}

void StreamBackend::line_output(std::string_view text, bool new_line) {
  if (new_line) {
    // The first `?` of the run starts the first line rather than leaving an empty one.
    if (started_) std::fputc('\n', out_);
    started_ = true;
    line_open_ = true;
  }
  if (text.empty()) {
    std::fflush(out_);
    return;
  }
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    plain += text[i];
  }
  std::string utf8 = text::cp850_to_utf8(plain);
  std::fwrite(utf8.data(), 1, utf8.size(), out_);
  started_ = true;
  line_open_ = utf8.empty() ? line_open_ : utf8.back() != '\n';
  std::fflush(out_);
}

}  // namespace codfix::console
