#include "lib/errors/error_stream.h"

#include <cstdio>
#include <string>

#include "platform/text/codepage.h"

namespace codfix {

void write_error_stream(std::string_view cp850) {
  std::string utf8 = text::cp850_to_utf8(cp850);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

}  // namespace codfix
